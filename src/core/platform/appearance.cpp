#include "platform/appearance.h"

#include "platform/desktop_motion.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPalette>

namespace quillora {

Appearance::Appearance(QObject* parent)
    : QObject(parent) {
    if (auto* app = QCoreApplication::instance())
        app->installEventFilter(this);
    m_lastLight = isLight();
}

Appearance::~Appearance() = default;

bool Appearance::paletteIsLight() const {
    if (!qobject_cast<QGuiApplication*>(QCoreApplication::instance()))
        return true;
    return QGuiApplication::palette().color(QPalette::Active, QPalette::Window).lightnessF() >= 0.5;
}

bool Appearance::isLight() const {
    return m_lightOverride.value_or(paletteIsLight());
}

bool Appearance::reduceMotion() const {
    if (m_reduceMotionOverride)
        return *m_reduceMotionOverride;
    return m_motionSource && m_motionSource->reduceMotion().value_or(false);
}

bool Appearance::isMotionSettled() const {
    return m_reduceMotionOverride || !m_motionSource || m_motionSource->isSettled();
}

void Appearance::setMotionSource(std::unique_ptr<MotionPreferenceSource> source) {
    m_motionSource = std::move(source);
    if (m_motionSource) {
        connect(m_motionSource.get(), &MotionPreferenceSource::settled, this, &Appearance::motionSettled);
        connect(m_motionSource.get(), &MotionPreferenceSource::changed, this, [this] {
            const bool reduce = reduceMotion();
            if (reduce != m_lastReduceMotion) {
                m_lastReduceMotion = reduce;
                emit changed();
            }
        });
    }
    if (reduceMotion() != m_lastReduceMotion) {
        m_lastReduceMotion = reduceMotion();
        emit changed();
    }
}

void Appearance::setLightOverride(std::optional<bool> light) {
    m_lightOverride = light;
    m_lastLight = isLight();
    emit changed();
}

void Appearance::setReduceMotionOverride(std::optional<bool> reduceMotion) {
    m_reduceMotionOverride = reduceMotion;
    m_lastReduceMotion = this->reduceMotion();
    emit changed();
}

bool Appearance::eventFilter(QObject* watched, QEvent* event) {
    if (watched == QCoreApplication::instance() && event->type() == QEvent::ApplicationPaletteChange) {
        const bool light = isLight();
        if (light != m_lastLight) {
            m_lastLight = light;
            emit changed();
        }
    }
    return QObject::eventFilter(watched, event);
}

} // namespace quillora
