#pragma once

#include <QColor>
#include <QPushButton>
#include <QRectF>

class QHBoxLayout;
class QPainter;
class QVariantAnimation;

namespace quillora {

class Appearance;

// The glass capsule look of the app's action buttons: a translucent pill with a 1-point outline
// and a sheen over its upper part, a little denser and 1.5 % smaller while pressed.
struct GlassCapsuleButtonStyle {
    static constexpr qreal horizontalPadding = 18;
    static constexpr qreal verticalPadding = 12;
    // Between an icon and the text beside it.
    static constexpr int iconSpacing = 8;
    static constexpr qreal pressedScale = 0.985;
    static constexpr int pressAnimationMs = 150;

    static QColor fill(bool light, bool pressed);
    static QColor outline(bool light);
    // White at this colour's opacity at the top edge, fading to clear at the bottom.
    static QColor sheen(bool light);
    // The default colour of the label.
    static QColor foreground(bool light);

    // Draws the capsule (fill, outline and sheen) filling rect.
    static void paintCapsule(QPainter& painter, const QRectF& rect, bool light, bool pressed);
};

// A push button drawn in the glass capsule style. Its label is its text, or a label widget
// (a SparkleButtonLabel, say) that takes the style's foreground colour unless it sets its own.
class GlassCapsuleButton final : public QPushButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(GlassCapsuleButton)

public:
    explicit GlassCapsuleButton(Appearance& appearance, QWidget* parent = nullptr);
    GlassCapsuleButton(Appearance& appearance, const QString& text, QWidget* parent = nullptr);
    ~GlassCapsuleButton() override;

    // Replaces the text with a widget laid out inside the capsule's padding (ownership passes
    // to the button).
    void setLabelWidget(QWidget* label);
    QWidget* labelWidget() const { return m_label; }

    // The scale the capsule is drawn at now (1 released, 0.985 pressed, in between while it
    // animates).
    qreal currentScale() const { return m_scale; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
    bool event(QEvent* event) override;

private:
    void applyScheme();
    void pressChanged();

    Appearance* m_appearance;
    QHBoxLayout* m_layout = nullptr;
    QWidget* m_label = nullptr;
    QVariantAnimation* m_pressAnimation;
    qreal m_scale = 1.0;
    bool m_drawnPressed = false;
};

} // namespace quillora
