#include "theme/orb_layer.h"

#include <QPainter>
#include <QTransform>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace quillora {

namespace {

// The blurred parts are drawn at a resolution where the smaller side measures about this many
// pixels; they are smooth enough that scaling them up loses nothing visible.
constexpr qreal blurCanvasSide = 128.0;
// How far beyond the layer the blurred parts are still drawn, as a fraction of the smaller
// side, so that orbs just outside the layer still glow into it.
constexpr qreal blurMargin = 0.6;

// One box pass (window 2r+1, zero outside) over count pixels of Channels bytes each, read
// srcStride bytes apart and written dstStride bytes apart.
template <int Channels>
void boxPass(const std::uint8_t* src, std::ptrdiff_t srcStride, std::uint8_t* dst, std::ptrdiff_t dstStride,
             int count, int r) {
    const auto window = static_cast<std::uint64_t>(2 * r + 1);
    // Division by the window as a fixed-point multiply, rounded to nearest.
    const std::uint64_t reciprocal = ((std::uint64_t{1} << 32) + window - 1) / window;
    constexpr std::uint64_t half = std::uint64_t{1} << 31;
    std::uint32_t sums[Channels] = {};
    for (int i = 0; i < std::min(r, count); ++i) {
        for (int c = 0; c < Channels; ++c)
            sums[c] += src[i * srcStride + c];
    }
    for (int i = 0; i < count; ++i) {
        if (const int incoming = i + r; incoming < count) {
            for (int c = 0; c < Channels; ++c)
                sums[c] += src[incoming * srcStride + c];
        }
        for (int c = 0; c < Channels; ++c)
            dst[i * dstStride + c] =
                static_cast<std::uint8_t>(std::min<std::uint64_t>(255, (sums[c] * reciprocal + half) >> 32));
        if (const int outgoing = i - r; outgoing >= 0) {
            for (int c = 0; c < Channels; ++c)
                sums[c] -= src[outgoing * srcStride + c];
        }
    }
}

template <int Channels> void blurBytes(QImage& image, int r) {
    const int width = image.width();
    const int height = image.height();
    const std::ptrdiff_t bytesPerLine = image.bytesPerLine();
    std::uint8_t* bits = image.bits();
    std::vector<std::uint8_t> a(static_cast<std::size_t>(std::max(width, height)) * Channels);
    std::vector<std::uint8_t> b(a.size());
    for (int y = 0; y < height; ++y) {
        std::uint8_t* row = bits + y * bytesPerLine;
        boxPass<Channels>(row, Channels, a.data(), Channels, width, r);
        boxPass<Channels>(a.data(), Channels, b.data(), Channels, width, r);
        boxPass<Channels>(b.data(), Channels, row, Channels, width, r);
    }
    for (int x = 0; x < width; ++x) {
        std::uint8_t* column = bits + static_cast<std::ptrdiff_t>(x) * Channels;
        boxPass<Channels>(column, bytesPerLine, a.data(), Channels, height, r);
        boxPass<Channels>(a.data(), Channels, b.data(), Channels, height, r);
        boxPass<Channels>(b.data(), Channels, column, bytesPerLine, height, r);
    }
}

// Every byte of a premultiplied pixel times a / 255, rounded.
QRgb scaled(QRgb pixel, uint a) {
    uint rb = (pixel & 0x00FF00FFu) * a;
    rb = ((rb + ((rb >> 8) & 0x00FF00FFu) + 0x00800080u) >> 8) & 0x00FF00FFu;
    uint ag = ((pixel >> 8) & 0x00FF00FFu) * a;
    ag = (ag + ((ag >> 8) & 0x00FF00FFu) + 0x00800080u) & 0xFF00FF00u;
    return ag | rb;
}

// Lays colour (straight alpha) over canvas where mask says, source-over.
void compositeMask(QImage& canvas, const QImage& mask, const QColor& color) {
    const QRgb premultiplied = qPremultiply(color.rgba());
    for (int y = 0; y < canvas.height(); ++y) {
        auto* out = reinterpret_cast<QRgb*>(canvas.scanLine(y));
        const std::uint8_t* coverage = mask.constScanLine(y);
        for (int x = 0; x < canvas.width(); ++x) {
            if (coverage[x] == 0)
                continue;
            const QRgb source = scaled(premultiplied, coverage[x]);
            const uint inverse = 255 - qAlpha(source);
            out[x] = source + scaled(out[x], inverse);
        }
    }
}

void fillEllipseWithAlpha(QPainter& painter, QPointF centre, qreal diameter, QColor color, qreal opacity) {
    color.setAlphaF(static_cast<float>(color.alphaF() * opacity));
    painter.setPen(Qt::NoPen);
    painter.setBrush(color);
    painter.drawEllipse(centre, diameter / 2, diameter / 2);
}

// The orbs and the haze, each blurred on its own, on a small canvas that covers rect plus a
// margin; returns the canvas and the rect (in rect's coordinates) it covers.
QImage renderBlurredParts(const QRectF& rect, const BackgroundStyle& style, QRectF& coverage) {
    const qreal m = std::min(rect.width(), rect.height());
    const qreal scale = std::min(1.0, blurCanvasSide / m);
    const qreal margin = blurMargin * m;
    coverage = rect.adjusted(-margin, -margin, margin, margin);
    const QSize canvasSize(std::max(1, static_cast<int>(std::ceil(coverage.width() * scale))),
                           std::max(1, static_cast<int>(std::ceil(coverage.height() * scale))));

    QImage canvas(canvasSize, QImage::Format_ARGB32_Premultiplied);
    canvas.fill(Qt::transparent);
    // Each part is one colour, so only its coverage is drawn and blurred.
    QImage mask(canvasSize, QImage::Format_Alpha8);

    // Canvas coordinates: the layer's centre in the canvas, in layer points times scale.
    const QPointF centre((rect.center().x() - coverage.left()) * scale,
                         (rect.center().y() - coverage.top()) * scale);
    const qreal unit = m / 400.0;

    const auto drawPart = [&](const QColor& color, qreal opacity, qreal blurRadius, const auto& shape) {
        mask.fill(Qt::transparent);
        {
            QPainter painter(&mask);
            painter.setRenderHint(QPainter::Antialiasing);
            painter.setPen(Qt::NoPen);
            painter.setBrush(Qt::black);
            shape(painter);
        }
        blurImage(mask, blurRadius);
        QColor tinted = color;
        tinted.setAlphaF(static_cast<float>(color.alphaF() * opacity));
        compositeMask(canvas, mask, tinted);
    };

    for (const OrbSpec& orb : style.orbs) {
        const QPointF at = centre + QPointF(orb.offset.width() * unit, orb.offset.height() * unit) * scale;
        const qreal radius = orb.size * m * scale / 2;
        drawPart(orb.color, orb.opacity, orb.blur * m * scale,
                 [&](QPainter& painter) { painter.drawEllipse(at, radius, radius); });
    }

    drawPart(style.hazeColor, 0.25, 0.12 * m * scale, [&](QPainter& painter) {
        painter.translate(centre + QPointF(-0.1 * m, 0.25 * m) * scale);
        painter.rotate(style.hazeAngle);
        const qreal width = 1.25 * m * scale;
        const qreal height = 0.75 * m * scale;
        const qreal corner = std::min(0.35 * m * scale, std::min(width, height) / 2);
        painter.drawRoundedRect(QRectF(-width / 2, -height / 2, width, height), corner, corner);
    });
    return canvas;
}

} // namespace

QLinearGradient rotatedGradient(QPointF start, QPointF end, QPointF centre, qreal degrees) {
    QTransform rotation;
    rotation.translate(centre.x(), centre.y());
    rotation.rotate(degrees);
    rotation.translate(-centre.x(), -centre.y());
    return QLinearGradient(rotation.map(start), rotation.map(end));
}

void blurImage(QImage& image, qreal radius) {
    if (image.isNull() || radius < 0.5)
        return;
    const int r = std::max(1, static_cast<int>(std::lround(radius)));
    if (image.format() == QImage::Format_Alpha8 || image.format() == QImage::Format_Grayscale8) {
        blurBytes<1>(image, r);
        return;
    }
    if (image.format() != QImage::Format_ARGB32_Premultiplied)
        image = image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    blurBytes<4>(image, r);
}

QImage blurredOpaqueCopy(const QImage& image, qreal radius, int shrink) {
    if (image.isNull())
        return {};
    shrink = std::max(1, shrink);
    QImage copy = image.scaled(std::max(1, (image.width() + shrink - 1) / shrink),
                               std::max(1, (image.height() + shrink - 1) / shrink), Qt::IgnoreAspectRatio,
                               Qt::SmoothTransformation);
    blurImage(copy, radius / shrink);
    return copy.convertToFormat(QImage::Format_RGB32);
}

void drawOrbBackgroundLayer(QPainter& painter, const QRectF& rect, const BackgroundStyle& style,
                            const QuilloraProjectTheme& theme) {
    if (!(rect.width() > 0) || !(rect.height() > 0))
        return;
    painter.save();
    painter.setClipRect(rect, Qt::IntersectClip);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.setPen(Qt::NoPen);

    // 1. The base gradient.
    painter.fillRect(rect, style.base.toQGradient(rect));

    // 2-3. The orbs and the haze.
    QRectF coverage;
    const QImage blurred = renderBlurredParts(rect, style, coverage);
    painter.drawImage(coverage, blurred);

    // 4. The beam: the layer-sized gradient rotated about the centre. The gradient pads its end
    // colours beyond its ends, so rotating its end points covers the layer without edges.
    {
        QColor from = style.beamColor;
        from.setAlphaF(static_cast<float>(from.alphaF() * 0.35));
        QColor to = style.beamColor;
        to.setAlpha(0);
        QLinearGradient beam =
            rotatedGradient(rect.topLeft(), rect.bottomRight(), rect.center(), style.beamAngle);
        beam.setColorAt(0, from);
        beam.setColorAt(1, to);
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Screen);
        painter.fillRect(rect, beam);
        painter.restore();
    }

    // 5. The shade of the light scheme: multiplying by black at some opacity over an opaque
    // layer is the same as laying that black over it, which is much cheaper.
    if (style.isLightMode) {
        QLinearGradient shade(rect.topLeft(), rect.bottomLeft());
        shade.setColorAt(0, QColor::fromRgbF(0, 0, 0, 0.08f));
        shade.setColorAt(1, QColor::fromRgbF(0, 0, 0, 0.18f));
        painter.fillRect(rect, shade);
    }

    // 6. The fixed speckle points.
    if (!theme.speckleSizes.isEmpty()) {
        painter.save();
        painter.setCompositionMode(QPainter::CompositionMode_Screen);
        for (qsizetype i = 0; i < theme.specklePoints.size(); ++i) {
            const QPointF point = theme.specklePoints.at(i);
            const qreal diameter = theme.speckleSizes.at(i % theme.speckleSizes.size());
            const qreal opacity = style.speckleOpacity * (i % 3 == 0 ? 1.0 : 0.6);
            const QPointF at(rect.left() + point.x() * rect.width(), rect.top() + point.y() * rect.height());
            fillEllipseWithAlpha(painter, at, diameter, style.speckleColor, opacity);
        }
        painter.restore();
    }
    painter.restore();
}

QImage renderOrbBackgroundLayer(const BackgroundStyle& style, const QuilloraProjectTheme& theme, QSize size,
                                qreal devicePixelRatio) {
    if (size.isEmpty())
        return {};
    QImage image(size * devicePixelRatio, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawOrbBackgroundLayer(painter, QRectF(QPointF(0, 0), QSizeF(size)), style, theme);
    return image;
}

} // namespace quillora
