#pragma once

#include <QEasingCurve>
#include <QObject>

class QGraphicsOpacityEffect;
class QVariantAnimation;
class QWidget;

namespace quillora {

class Appearance;

// The motion of a change that names no curve of its own (a row coming or going, a mode switched,
// a card closed): 0.35 s, ease-in-out.
inline constexpr int defaultAnimationMs = 350;
inline constexpr QEasingCurve::Type defaultAnimationEasing = QEasingCurve::InOutQuad;

// Fades a widget in as it is shown and out before it is hidden, or fades new content in, over
// 0.2 s (or the given duration) with an ease-in-out curve; under reduce motion the change is
// immediate. Between transitions the widget is drawn without an effect.
class OpacityTransition final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OpacityTransition)

public:
    static constexpr int durationMs = 200;
    static constexpr QEasingCurve::Type easing = QEasingCurve::InOutQuad;

    OpacityTransition(QWidget* target, Appearance& appearance, int duration = durationMs);
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
