#include "output/creative_page_background.h"

#include <QPainter>
#include <QPainterPath>
#include <QRandomGenerator>

#include <cmath>
#include <numbers>

namespace quillora {

namespace {

constexpr qreal pi = std::numbers::pi;

// Uniform in the closed range [a, b].
qreal uniform(qreal a, qreal b) {
    return a + (b - a) * QRandomGenerator::global()->generateDouble();
}

QColor randomPaletteColor(const QList<QColor>& palette, qreal alpha) {
    QColor c = palette.isEmpty()
                   ? QColor(Qt::black)
                   : palette.at(qsizetype(QRandomGenerator::global()->bounded(int(palette.size()))));
    c.setAlphaF(float(alpha));
    return c;
}

QRectF randomShapeSquare(qreal pageWidth, qreal pageHeight, qreal minSide, qreal maxSide) {
    const qreal s = uniform(minSide, maxSide);
    const qreal x = uniform(-s / 4, pageWidth);
    const qreal y = uniform(-s / 4, pageHeight);
    return {x, y, s, s};
}

// Saves the state and turns the painter about the frame's centre by a random angle.
void drawRotatedShape(QPainter& p, const QRectF& frame, qreal minAngle, qreal maxAngle) {
    p.save();
    const QPointF c = frame.center();
    p.translate(c);
    p.rotate(uniform(minAngle, maxAngle) * 180.0 / pi);
    p.translate(-c);
}

void fillWithRandomPaletteColor(QPainter& p, const QPainterPath& path, const QList<QColor>& palette,
                                qreal opacity) {
    p.fillPath(path, randomPaletteColor(palette, opacity));
}

using ShapeDrawer = void (*)(QPainter&, const QList<QColor>&, qreal, qreal, qreal);

void drawCircle(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF frame = randomShapeSquare(w, h, 220, 420);
    p.save();
    QPainterPath path;
    path.addEllipse(frame);
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void drawSquare(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF frame = randomShapeSquare(w, h, 200, 360);
    drawRotatedShape(p, frame, 0, 2 * pi);
    QPainterPath path;
    path.addRect(frame);
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void drawTriangle(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF f = randomShapeSquare(w, h, 220, 360);
    drawRotatedShape(p, f, 0, 2 * pi);
    QPainterPath path;
    path.moveTo(f.center().x(), f.top());
    path.lineTo(f.left(), f.bottom());
    path.lineTo(f.right(), f.bottom());
    path.closeSubpath();
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void drawStar(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF f = randomShapeSquare(w, h, 240, 380);
    drawRotatedShape(p, f, 0, 2 * pi);
    const QPointF c = f.center();
    const qreal outer = f.width() / 2;
    QPainterPath path;
    for (int k = 0; k < 10; ++k) {
        const qreal theta = k * pi / 5;
        const qreal rho = (k % 2 == 0) ? outer : 0.45 * outer;
        const QPointF v(c.x() + rho * std::cos(theta), c.y() + rho * std::sin(theta));
        if (k == 0)
            path.moveTo(v);
        else
            path.lineTo(v);
    }
    path.closeSubpath();
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void drawHeart(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF f = randomShapeSquare(w, h, 220, 340);
    drawRotatedShape(p, f, -pi / 12, pi / 12);
    const qreal x = f.x(), y = f.y(), s = f.width();
    const auto P = [&](qreal a, qreal b) { return QPointF(x + a * s, y + b * s); };
    QPainterPath path;
    path.moveTo(P(0.5, 0.25));
    path.cubicTo(P(0.2, 0.4), P(0.05, 0.15), P(0.15, 0));
    path.cubicTo(P(0, 0.75), P(0.3, 0.95), P(0.5, 1));
    path.cubicTo(P(0.7, 0.95), P(1, 0.75), P(0.85, 0));
    path.cubicTo(P(1, 0.15), P(0.8, 0.4), P(0.5, 0.25));
    path.closeSubpath();
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void drawBlob(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    const QRectF f = randomShapeSquare(w, h, 260, 400);
    drawRotatedShape(p, f, 0, 2 * pi);
    const int n = 8 + QRandomGenerator::global()->bounded(5);
    const QPointF c = f.center();
    const qreal s = f.width();
    QPainterPath path;
    for (int i = 0; i < n; ++i) {
        const qreal theta = i * 2 * pi / n;
        const qreal rho = (s / 2) * uniform(0.6, 1.1);
        const QPointF v(c.x() + rho * std::cos(theta), c.y() + rho * std::sin(theta));
        if (i == 0)
            path.moveTo(v);
        else
            path.lineTo(v);
    }
    path.closeSubpath();
    fillWithRandomPaletteColor(p, path, palette, opacity);
    p.restore();
}

void strokeLine(QPainter& p, const QPointF& a, const QPointF& b, const QColor& color, qreal width) {
    QPen pen(color, width, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    p.setPen(pen);
    p.drawLine(a, b);
}

void drawVerticalLines(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    for (int i = 0; i < 36; ++i) {
        const qreal x = i * w / 36;
        const QColor c = randomPaletteColor(palette, 0.7 * opacity);
        strokeLine(p, {x, 0}, {x, h}, c, uniform(1, 3));
    }
}

void drawHorizontalLines(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    for (int i = 0; i < 36; ++i) {
        const qreal y = i * h / 36;
        const QColor c = randomPaletteColor(palette, 0.7 * opacity);
        strokeLine(p, {0, y}, {w, y}, c, uniform(1, 3));
    }
}

void drawDiagonalStripes(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    for (qreal x = -h; x < w; x += 80) {
        const QColor c = randomPaletteColor(palette, 0.6 * opacity);
        strokeLine(p, {x, 0}, {x + h, h}, c, uniform(20, 40));
    }
}

void drawDotGrid(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    p.setPen(Qt::NoPen);
    for (qreal y = 0; y < h; y += 30) {
        for (qreal x = 0; x < w; x += 30) {
            const qreal d = uniform(2.5, 5);
            p.setBrush(randomPaletteColor(palette, opacity));
            p.drawEllipse(QRectF(x, y, d, d));
        }
    }
}

void drawGradientBands(QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w, qreal h) {
    p.setPen(Qt::NoPen);
    for (qreal y = 0; y < h; y += 200)
        p.fillRect(QRectF(0, y, w, 140), randomPaletteColor(palette, opacity));
}

void repeat(ShapeDrawer drawer, int times, QPainter& p, const QList<QColor>& palette, qreal opacity, qreal w,
            qreal h) {
    for (int i = 0; i < times; ++i)
        drawer(p, palette, opacity, w, h);
}

} // namespace

void drawCreativePageBackground(QPainter& painter, BackgroundShapeType shape, const QList<QColor>& palette,
                                qreal opacity, qreal pageWidth, qreal pageHeight) {
    painter.save();
    const qreal w = pageWidth, h = pageHeight;
    switch (shape) {
    case BackgroundShapeType::circles:
        repeat(drawCircle, 10, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::squares:
        repeat(drawSquare, 10, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::triangles:
        repeat(drawTriangle, 10, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::stars:
        repeat(drawStar, 8, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::hearts:
        repeat(drawHeart, 10, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::blobs:
        repeat(drawBlob, 8, painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::confetti: {
        static constexpr ShapeDrawer kinds[] = {drawCircle, drawSquare, drawTriangle,
                                                drawStar,   drawHeart,  drawBlob};
        for (int i = 0; i < 16; ++i)
            kinds[QRandomGenerator::global()->bounded(6)](painter, palette, opacity, w, h);
        break;
    }
    case BackgroundShapeType::verticalLines:
        drawVerticalLines(painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::horizontalLines:
        drawHorizontalLines(painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::diagonalStripes:
        drawDiagonalStripes(painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::dotGrid:
        drawDotGrid(painter, palette, opacity, w, h);
        break;
    case BackgroundShapeType::gradientBands:
        drawGradientBands(painter, palette, opacity, w, h);
        break;
    }
    painter.restore();
}

} // namespace quillora
