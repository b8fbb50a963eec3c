#pragma once

#include "theme/project_theme.h"

#include <QImage>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace quillora {

class Appearance;
class Settings;

// The layered backdrop of every themed screen: the stored gradient's orb layer, then the wash,
// grain, sheen, vignette, hairlines and speckles. Screens use it as their container: give it a
// layout and put the content on top. It follows the stored gradient ("QuilloraSelectedGradientID",
// g4 when out of range) and the colour scheme, repainting at once when either changes. The
// finished backdrop is cached per size, gradient and scheme, and the random layers per size,
// so repaints are cheap and never shimmer; so is a blurred copy for the translucent panels laid
// over it. While the widget is being resized it shows the cached backdrop stretched to the new
// size, and draws the full backdrop once the size has stayed put for resizeSettleMs.
class ThemedBackground : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ThemedBackground)

public:
    // Over the shared settings and appearance.
    ThemedBackground(Settings& settings, Appearance& appearance, QWidget* parent = nullptr);
    ~ThemedBackground() override;

    // How long the size must stay unchanged before the full backdrop is drawn again.
    static constexpr int resizeSettleMs = 150;

    // How much the orb layer is enlarged about its centre (1 draws it at its natural size;
    // most screens use 1.15).
    qreal orbScale() const { return m_orbScale; }
    void setOrbScale(qreal scale);

    // The gradient shown now.
    QuilloraGradientID gradientID() const;
    ColorScheme colorScheme() const;
    // Whether the last paint was the stretched stand-in of a resize.
    bool showsResizeFrame() const { return m_showsResizeFrame; }

    // How far the backdrop is blurred for the translucent panels that show it through them.
    static constexpr qreal frostedBlurRadius = 16;
    // The backdrop as last painted, blurred by frostedBlurRadius points, with tint laid over it:
    // what a translucent panel of that tint over it shows. In device pixels (its device pixel
    // ratio is 1), covering the whole widget (stretched over it mid-resize, as the backdrop is).
    // Made once after each change of the backdrop or tint, so a panel's every frame only copies
    // it; null before the first paint.
    QImage frostedBackdrop(const QColor& tint) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    struct RandomLayers {
        QSize pixelSize;
        QImage grain;
        QImage hairlines;
        QImage speckles;
    };
    struct CompositeKey {
        QSize pixelSize;
        QuilloraGradientID id = QuilloraGradientID::g4;
        ColorScheme scheme = ColorScheme::light;
        qreal orbScale = 1.0;
        qreal devicePixelRatio = 1.0;
        bool operator==(const CompositeKey&) const = default;
    };

    void refresh();
    const RandomLayers& randomLayers(QSize pixelSize, qreal devicePixelRatio);
    QImage renderComposite(const CompositeKey& key);

    Settings* m_settings;
    Appearance* m_appearance;
    qreal m_orbScale = 1.0;
    RandomLayers m_random;
    std::optional<CompositeKey> m_compositeKey;
    QImage m_composite;
    mutable QImage m_frosted;
    mutable qint64 m_frostedFrom = 0;
    mutable QColor m_frostedTint;
    QTimer m_resizeSettle;
    bool m_showsResizeFrame = false;
};

} // namespace quillora
