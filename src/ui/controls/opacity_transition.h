#pragma once

#include <QEasingCurve>
#include <QObject>

class QGraphicsOpacityEffect;
class QVariantAnimation;
class QWidget;

namespace quillora {

class Appearance;

// Fades a widget in as it is shown and out before it is hidden, or fades new content in, over
// 0.2 s with an ease-in-out curve; under reduce motion the change is immediate. Between
// transitions the widget is drawn without an effect.
class OpacityTransition final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OpacityTransition)

public:
    static constexpr int durationMs = 200;
    static constexpr QEasingCurve::Type easing = QEasingCurve::InOutQuad;

    OpacityTransition(QWidget* target, Appearance& appearance);
    ~OpacityTransition() override;

    // Shows the target and fades it in, or fades it out and then hides it. A hidden host (or
    // reduce motion) makes the change at once.
    void setShown(bool shown);
    // True when the target is shown or fading in (false while it fades out).
    bool isShown() const { return m_shown; }
    // Fades the target's current content in from nothing (after its content changed).
    void fadeInContent();

    const QVariantAnimation& animation() const { return *m_animation; }
    // The opacity the target is drawn with now.
    qreal opacity() const;

private:
    void run(qreal from, qreal to);

    QWidget* m_target;
    Appearance& m_appearance;
    QGraphicsOpacityEffect* m_effect;
    QVariantAnimation* m_animation;
    bool m_shown;
};

} // namespace quillora
