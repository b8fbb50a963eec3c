#pragma once

#include <QEasingCurve>
#include <QHash>
#include <QObject>
#include <QPoint>
#include <QPointer>

class QLayout;
class QParallelAnimationGroup;
class QWidget;

namespace quillora {

class Appearance;

// A spring of response 0.25 s and damping fraction 0.8 as an easing curve (a slight overshoot,
// then rest), played over springDurationMs, by which time it has settled.
QEasingCurve springEasingCurve();
inline constexpr int springDurationMs = 400;

// Slides the widgets of a layout from where they were to where the layout has just put them,
// after their order changed. Under reduce motion, or while the widgets are not on screen, they
// simply are where the layout puts them.
class LayoutMoveAnimation final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LayoutMoveAnimation)

public:
    LayoutMoveAnimation(Appearance& appearance, int durationMs, const QEasingCurve& easing, QObject* parent);
    ~LayoutMoveAnimation() override;

    // Remembers where the widgets are now (call before the layout changes).
    void capture(const QList<QWidget*>& widgets);
    // Lets the layout place its widgets now, then slides every captured widget that moved from
    // its old place to its new one.
    void play(QLayout* layout);

    int duration() const { return m_duration; }
    const QEasingCurve& easingCurve() const { return m_easing; }
    // The slides now running (empty when nothing moves).
    const QParallelAnimationGroup& group() const { return *m_group; }

private:
    Appearance& m_appearance;
    int m_duration;
    QEasingCurve m_easing;
    QParallelAnimationGroup* m_group;
    QList<QPair<QPointer<QWidget>, QPoint>> m_captured;
};

} // namespace quillora
