#include "theme/themed_background.h"

#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/background_layers.h"
#include "theme/orb_layer.h"

#include <QEvent>
#include <QPaintEvent>
#include <QPainter>

#include <cmath>

namespace quillora {

namespace {

QImage transparentImage(QSize pixelSize, qreal devicePixelRatio) {
    QImage image(pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    return image;
}

} // namespace

ThemedBackground::ThemedBackground(Settings& settings, Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_settings(&settings)
    , m_appearance(&appearance) {
    setAttribute(Qt::WA_OpaquePaintEvent);
    connect(m_settings, &Settings::changed, this, [this](const QString& key) {
        if (key == Settings::selectedGradientIDKey)
            refresh();
    });
    connect(m_appearance, &Appearance::changed, this, &ThemedBackground::refresh);
    m_resizeSettle.setSingleShot(true);
    m_resizeSettle.setInterval(resizeSettleMs);
    connect(&m_resizeSettle, &QTimer::timeout, this, qOverload<>(&QWidget::update));
}

ThemedBackground::~ThemedBackground() = default;

void ThemedBackground::setOrbScale(qreal scale) {
    if (qFuzzyCompare(scale, m_orbScale))
        return;
    m_orbScale = scale;
    refresh();
}

QuilloraGradientID ThemedBackground::gradientID() const {
    return gradientIDOrDefault(m_settings->selectedGradientID());
}

ColorScheme ThemedBackground::colorScheme() const {
    return m_appearance->colorScheme();
}

void ThemedBackground::refresh() {
    update();
}

const ThemedBackground::RandomLayers& ThemedBackground::randomLayers(QSize pixelSize,
                                                                     qreal devicePixelRatio) {
    if (m_random.pixelSize == pixelSize && qFuzzyCompare(m_random.grain.devicePixelRatio(), devicePixelRatio))
        return m_random;
    const QSizeF size = QSizeF(pixelSize) / devicePixelRatio;
    const auto draw = [&](void (*layer)(QPainter&, QSizeF)) {
        QImage image = transparentImage(pixelSize, devicePixelRatio);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        layer(painter, size);
        return image;
    };
    m_random.pixelSize = pixelSize;
    m_random.grain = draw(&drawGrainLayer);
    m_random.hairlines = draw(&drawHairlineLayer);
    m_random.speckles = draw(&drawSpeckleLayer);
    return m_random;
}

QImage ThemedBackground::renderComposite(const CompositeKey& key) {
    const RandomLayers& random = randomLayers(key.pixelSize, key.devicePixelRatio);
    QImage image(key.pixelSize, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(key.devicePixelRatio);
    image.fill(Qt::black);

    const QRectF rect(QPointF(0, 0), QSizeF(key.pixelSize) / key.devicePixelRatio);
    const BackgroundStyle style = standardProjectTheme().gradientPalette(key.id, key.scheme);

    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);

    // 1. The orb layer, enlarged about the centre and clipped to the area.
    painter.save();
    painter.setClipRect(rect);
    painter.translate(rect.center());
    painter.scale(key.orbScale, key.orbScale);
    painter.translate(-rect.center());
    drawOrbBackgroundLayer(painter, rect, style, standardProjectTheme());
    painter.restore();

    // 2. The wash.
    painter.fillRect(rect, backgroundWashGradient(key.scheme, rect));

    // 3. Grain.
    painter.setCompositionMode(QPainter::CompositionMode_Overlay);
    painter.drawImage(rect.topLeft(), random.grain);

    // 4. The sheen, rotated by 18 degrees about the centre.
    painter.setCompositionMode(QPainter::CompositionMode_Overlay);
    painter.fillRect(rect, highlightGradient(rect));

    // 5. Vignette. Multiplying by black at some opacity over an opaque image is the same as
    // laying that black over it, which is much cheaper.
    painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    painter.fillRect(rect, vignetteGradient(rect));

    // 6. Hairlines.
    painter.setCompositionMode(QPainter::CompositionMode_Overlay);
    painter.drawImage(rect.topLeft(), random.hairlines);

    // 7. Speckles.
    painter.setCompositionMode(QPainter::CompositionMode_Screen);
    painter.drawImage(rect.topLeft(), random.speckles);
    painter.end();

    // Opaque from here on, so a repaint is a plain copy.
    return image.convertToFormat(QImage::Format_RGB32);
}

QImage ThemedBackground::frostedBackdrop(const QColor& tint) const {
    if (m_composite.isNull())
        return {};
    if (m_frostedFrom != m_composite.cacheKey() || m_frostedTint != tint) {
        // Blurred at a quarter of the resolution, then brought back to full size and tinted once,
        // so that a panel's frame is a plain copy rather than a scaled and blended one.
        constexpr int shrink = 4;
        const QImage small =
            blurredOpaqueCopy(m_composite, frostedBlurRadius * m_composite.devicePixelRatio(), shrink);
        m_frosted = small.scaled(m_composite.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        m_frosted.setDevicePixelRatio(1);
        QPainter painter(&m_frosted);
        painter.fillRect(m_frosted.rect(), tint);
        painter.end();
        m_frostedFrom = m_composite.cacheKey();
        m_frostedTint = tint;
    }
    return m_frosted;
}

void ThemedBackground::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    // Only a backdrop already on screen is stood in for; the first paint is always full.
    if (m_compositeKey)
        m_resizeSettle.start();
}

void ThemedBackground::changeEvent(QEvent* event) {
    QWidget::changeEvent(event);
    if (event->type() == QEvent::PaletteChange || event->type() == QEvent::ThemeChange)
        update();
}

void ThemedBackground::paintEvent(QPaintEvent* event) {
    const qreal dpr = devicePixelRatioF();
    const QSize pixelSize(static_cast<int>(std::ceil(width() * dpr)),
                          static_cast<int>(std::ceil(height() * dpr)));
    if (pixelSize.isEmpty())
        return;

    const CompositeKey key{pixelSize, gradientID(), colorScheme(), m_orbScale, dpr};
    QPainter painter(this);
    painter.setClipRegion(event->region());
    if (m_compositeKey && !(*m_compositeKey == key)) {
        CompositeKey sameLook = *m_compositeKey;
        sameLook.pixelSize = pixelSize;
        if (sameLook == key && m_resizeSettle.isActive()) {
            // Mid-resize: the cached backdrop stretched over the new size. The backdrop is soft,
            // so a plain (unfiltered) stretch of a nearby size looks the same and costs little.
            painter.drawImage(QRectF(rect()), m_composite);
            m_showsResizeFrame = true;
            return;
        }
    }
    if (!m_compositeKey || !(*m_compositeKey == key)) {
        m_composite = renderComposite(key);
        m_compositeKey = key;
    }
    m_showsResizeFrame = false;
    painter.drawImage(QPointF(0, 0), m_composite);
}

} // namespace quillora
