#include "theme/background_layers.h"

#include "theme/orb_layer.h"

#include <QList>
#include <QPainter>
#include <QRandomGenerator>

namespace quillora {

namespace {

constexpr int grainCount = 16000;
constexpr int hairlineCount = 700;
constexpr int speckleCount = 420;

QColor white(float alpha) {
    return QColor::fromRgbF(1, 1, 1, alpha);
}

QColor black(float alpha) {
    return QColor::fromRgbF(0, 0, 0, alpha);
}

// Uniform in the closed range [low, high].
qreal uniform(qreal low, qreal high) {
    const double unit = static_cast<double>(QRandomGenerator::global()->generate()) / 4294967295.0;
    return low + (high - low) * unit;
}

} // namespace

QLinearGradient backgroundWashGradient(ColorScheme scheme, const QRectF& rect) {
    QLinearGradient wash(QPointF(rect.center().x(), rect.top()), QPointF(rect.center().x(), rect.bottom()));
    if (scheme == ColorScheme::light) {
        wash.setColorAt(0, white(0.35f));
        wash.setColorAt(1, white(0.08f));
    } else {
        wash.setColorAt(0, black(0.35f));
        wash.setColorAt(1, black(0.65f));
    }
    return wash;
}

QLinearGradient highlightGradient(const QRectF& rect) {
    QLinearGradient sheen = rotatedGradient(QPointF(rect.left(), rect.center().y()),
                                            QPointF(rect.right(), rect.center().y()), rect.center(), 18);
    sheen.setColorAt(0, white(0.35f));
    sheen.setColorAt(0.5, white(0));
    sheen.setColorAt(1, white(0.18f));
    return sheen;
}

QRadialGradient vignetteGradient(const QRectF& rect) {
    constexpr qreal startRadius = 80;
    constexpr qreal endRadius = 440;
    QRadialGradient vignette(rect.center(), endRadius);
    vignette.setColorAt(0, black(0));
    vignette.setColorAt(startRadius / endRadius, black(0));
    vignette.setColorAt(1, black(0.35f));
    return vignette;
}

void drawGrainLayer(QPainter& painter, QSizeF size) {
    QList<QRectF> marks;
    marks.reserve(grainCount);
    for (int i = 0; i < grainCount; ++i) {
        const qreal x = uniform(0, size.width());
        const qreal y = uniform(0, size.height());
        marks.append(QRectF(x, y, 1.2, 1.2));
    }
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.18f));
    painter.drawRects(marks.constData(), static_cast<int>(marks.size()));
    painter.restore();
}

void drawHairlineLayer(QPainter& painter, QSizeF size) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.05f));
    for (int i = 0; i < hairlineCount; ++i) {
        const qreal y = uniform(0, size.height());
        painter.drawRect(QRectF(0, y, size.width(), 0.6));
    }
    painter.restore();
}

void drawSpeckleLayer(QPainter& painter, QSizeF size) {
    painter.save();
    painter.setPen(Qt::NoPen);
    painter.setBrush(white(0.12f));
    for (int i = 0; i < speckleCount; ++i) {
        const qreal x = uniform(0, size.width());
        const qreal y = uniform(0, size.height());
        const qreal s = uniform(0.6, 1.8);
        painter.drawEllipse(QRectF(x, y, s, s));
    }
    painter.restore();
}

} // namespace quillora
