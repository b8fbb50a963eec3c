#include "controls/symbol_icon.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QIconEngine>
#include <QPainter>
#include <QSvgRenderer>

#include <QtMath>

#include <algorithm>
#include <cmath>
#include <memory>

namespace quillora {

namespace {

QString resourcePath(const QString& name) {
    return QStringLiteral(":/icons/") + name + QStringLiteral(".svg");
}

// Parsed drawings, kept for the life of the process (GUI thread only).
QSvgRenderer* renderer(const QString& name) {
    static QHash<QString, std::shared_ptr<QSvgRenderer>> cache;
    if (const auto it = cache.constFind(name); it != cache.constEnd())
        return it->get();
    std::shared_ptr<QSvgRenderer> loaded;
    if (!name.isEmpty() && QFile::exists(resourcePath(name))) {
        loaded = std::make_shared<QSvgRenderer>(resourcePath(name));
        if (!loaded->isValid())
            loaded.reset();
    }
    cache.insert(name, loaded);
    return loaded.get();
}

// The drawings are black ink with white cut-outs over transparency. The ink share of a pixel is
// its coverage less its lightness, which keeps antialiased edges between ink and cut-out soft.
void tint(QImage& image, const QColor& color) {
    const QRgb premultipliedTint = color.rgba();
    const int tr = qRed(premultipliedTint);
    const int tg = qGreen(premultipliedTint);
    const int tb = qBlue(premultipliedTint);
    const int ta = qAlpha(premultipliedTint);
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const QRgb pixel = line[x];
            const int coverage = qAlpha(pixel);
            const int lightness = (qRed(pixel) + qGreen(pixel) + qBlue(pixel)) / 3;
            const int inkShare = std::clamp(coverage - lightness, 0, 255);
            const int alpha = inkShare * ta / 255;
            line[x] = qRgba(tr * alpha / 255, tg * alpha / 255, tb * alpha / 255, alpha);
        }
    }
}

class SymbolIconEngine final : public QIconEngine {
public:
    SymbolIconEngine(QString name, QColor color)
        : m_name(std::move(name))
        , m_color(color) {}

    void paint(QPainter* painter, const QRect& rect, QIcon::Mode mode, QIcon::State) override {
        paintSymbol(*painter, rect, m_name, colorFor(mode));
    }

    QPixmap pixmap(const QSize& size, QIcon::Mode mode, QIcon::State) override {
        return QPixmap::fromImage(symbolImage(m_name, colorFor(mode), size));
    }

    QPixmap scaledPixmap(const QSize& size, QIcon::Mode mode, QIcon::State, qreal scale) override {
        return QPixmap::fromImage(symbolImage(m_name, colorFor(mode), size, scale));
    }

    QIconEngine* clone() const override { return new SymbolIconEngine(m_name, m_color); }
    QString key() const override { return QStringLiteral("quillora-symbol"); }
    QString iconName() override { return m_name; }

private:
    QColor colorFor(QIcon::Mode mode) const {
        QColor color = m_color;
        if (mode == QIcon::Disabled)
            color.setAlphaF(color.alphaF() * 0.4f);
        return color;
    }

    QString m_name;
    QColor m_color;
};

} // namespace

bool hasSymbol(const QString& name) {
    return renderer(name) != nullptr;
}

QStringList symbolNames() {
    QStringList names;
    const QStringList files =
        QDir(QStringLiteral(":/icons")).entryList({QStringLiteral("*.svg")}, QDir::Files);
    for (const QString& file : files)
        names.append(file.chopped(4));
    names.sort();
    return names;
}

QImage symbolImage(const QString& name, const QColor& color, QSize size, qreal devicePixelRatio) {
    QSvgRenderer* svg = renderer(name);
    const QSize pixels = (QSizeF(size) * devicePixelRatio).toSize();
    if (!svg || pixels.isEmpty())
        return {};
    QImage image(pixels, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        const int side = std::min(pixels.width(), pixels.height());
        svg->render(&painter,
                    QRectF((pixels.width() - side) / 2.0, (pixels.height() - side) / 2.0, side, side));
    }
    tint(image, color);
    image.setDevicePixelRatio(devicePixelRatio);
    return image;
}

QPixmap symbolPixmap(const QString& name, const QColor& color, int side, qreal devicePixelRatio) {
    return QPixmap::fromImage(symbolImage(name, color, QSize(side, side), devicePixelRatio));
}

void paintSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color) {
    const qreal side = std::min(rect.width(), rect.height());
    if (side <= 0)
        return;
    const qreal scale = painter.device() ? painter.device()->devicePixelRatioF() : 1.0;
    const qreal transformScale =
        std::max(std::abs(painter.transform().m11()), std::abs(painter.transform().m12()));
    const qreal ratio = scale * (transformScale > 0 ? transformScale : 1.0);
    const int pixelSide = std::max(1, qCeil(side * ratio));
    const QImage image = symbolImage(name, color, QSize(pixelSide, pixelSide));
    if (image.isNull())
        return;
    const QRectF target(rect.center().x() - side / 2, rect.center().y() - side / 2, side, side);
    painter.save();
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(target, image);
    painter.restore();
}

QIcon symbolIcon(const QString& name, const QColor& color) {
    if (!hasSymbol(name))
        return {};
    return QIcon(new SymbolIconEngine(name, color));
}

} // namespace quillora
