#include "controls/opacity_transition.h"

#include "platform/appearance.h"

#include <QGraphicsOpacityEffect>
#include <QVariantAnimation>
#include <QWidget>

namespace quillora {

OpacityTransition::OpacityTransition(QWidget* target, Appearance& appearance, int duration)
    : QObject(target)
    , m_target(target)
    , m_appearance(appearance)
    , m_effect(new QGraphicsOpacityEffect(target))
    , m_animation(new QVariantAnimation(this))
    , m_shown(!target->isHidden()) {
    m_effect->setEnabled(false);
    target->setGraphicsEffect(m_effect);
    m_animation->setDuration(duration);
    m_animation->setEasingCurve(easing);
    connect(m_animation, &QVariantAnimation::valueChanged, this,
            [this](const QVariant& value) { m_effect->setOpacity(value.toReal()); });
    connect(m_animation, &QVariantAnimation::finished, this, [this] {
        m_effect->setEnabled(false);
        m_effect->setOpacity(1);
        if (!m_shown)
            m_target->hide();
    });
}

OpacityTransition::~OpacityTransition() = default;

qreal OpacityTransition::opacity() const {
    if (m_target->isHidden())
        return 0;
    return m_effect->isEnabled() ? m_effect->opacity() : 1.0;
}

void OpacityTransition::setShown(bool shown) {
    if (shown == m_shown)
        return;
    m_shown = shown;
    const QWidget* host = m_target->parentWidget();
    const bool animate = !m_appearance.reduceMotion() && host && host->isVisible();
    if (!animate) {
        m_animation->stop();
        m_effect->setEnabled(false);
        m_effect->setOpacity(1);
        m_target->setVisible(shown);
        return;
    }
    // From where it is now: nothing when hidden, part way when a fade the other way runs.
    const qreal from = opacity();
    if (shown)
        m_target->show();
    run(from, shown ? 1.0 : 0.0);
}

void OpacityTransition::fadeInContent() {
    if (m_appearance.reduceMotion() || !m_target->isVisible())
        return;
    run(0.0, 1.0);
}

void OpacityTransition::run(qreal from, qreal to) {
    m_animation->stop();
    m_effect->setOpacity(from);
    m_effect->setEnabled(true);
    m_animation->setStartValue(from);
    m_animation->setEndValue(to);
    m_animation->start();
}

} // namespace quillora
