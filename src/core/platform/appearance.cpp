#include "platform/appearance.h"

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
    return m_reduceMotionOverride.value_or(false);
}

void Appearance::setLightOverride(std::optional<bool> light) {
    m_lightOverride = light;
    m_lastLight = isLight();
    emit changed();
}

void Appearance::setReduceMotionOverride(std::optional<bool> reduceMotion) {
    m_reduceMotionOverride = reduceMotion;
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
