#include "controls/layout_move_animation.h"

#include "platform/appearance.h"

#include <QLayout>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QWidget>

#include <cmath>
#include <numbers>
#include <utility>

namespace quillora {

namespace {

qreal spring(qreal progress) {
    if (progress >= 1)
        return 1;
    constexpr qreal response = 0.25;
    constexpr qreal damping = 0.8;
    const qreal omega = 2 * std::numbers::pi / response;
    const qreal dampedOmega = omega * std::sqrt(1 - damping * damping);
    const qreal t = progress * springDurationMs / 1000.0;
    return 1 - std::exp(-damping * omega * t) *
                   (std::cos(dampedOmega * t) + damping * omega / dampedOmega * std::sin(dampedOmega * t));
}

} // namespace

QEasingCurve springEasingCurve() {
    QEasingCurve curve;
    curve.setCustomType(&spring);
    return curve;
}

LayoutMoveAnimation::LayoutMoveAnimation(Appearance& appearance, int durationMs, const QEasingCurve& easing,
                                         QObject* parent)
    : QObject(parent)
    , m_appearance(appearance)
    , m_duration(durationMs)
    , m_easing(easing)
    , m_group(new QParallelAnimationGroup(this)) {}

LayoutMoveAnimation::~LayoutMoveAnimation() = default;

void LayoutMoveAnimation::capture(const QList<QWidget*>& widgets) {
    // A slide still running stops where it is; the next slide starts from there.
    m_group->stop();
    m_group->clear();
    m_captured.clear();
    for (QWidget* widget : widgets) {
        if (widget && widget->isVisible())
            m_captured.append({widget, widget->pos()});
    }
}

void LayoutMoveAnimation::play(QLayout* layout) {
    const auto captured = std::exchange(m_captured, {});
    if (!layout || m_appearance.reduceMotion() || captured.isEmpty())
        return;
    // Placed anew by the layout (also a widget a stopped slide left part way).
    layout->invalidate();
    layout->activate();
    for (const auto& [widget, from] : captured) {
        if (!widget || !widget->isVisible())
            continue;
        const QPoint to = widget->pos();
        if (to == from)
            continue;
        auto* slide = new QPropertyAnimation(widget, "pos", m_group);
        slide->setDuration(m_duration);
        slide->setEasingCurve(m_easing);
        slide->setStartValue(from);
        slide->setEndValue(to);
        widget->move(from);
    }
    if (m_group->animationCount() > 0)
        m_group->start();
}

} // namespace quillora
