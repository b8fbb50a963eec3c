#include "theme/theme_controller.h"

#include "platform/settings.h"

namespace quillora {

QuilloraThemeController::QuilloraThemeController(Settings& settings, QObject* parent)
    : QObject(parent)
    , m_settings(&settings) {
    connect(m_settings, &Settings::changed, this, [this](const QString& key) {
        if (key == Settings::selectedGradientIDKey || key == Settings::backgroundShapeKey ||
            key == Settings::colorThemeKey)
            emit changed(key);
    });
}

QuilloraThemeController::~QuilloraThemeController() = default;

int QuilloraThemeController::storedGradientID() const {
    return m_settings->selectedGradientID();
}

void QuilloraThemeController::setStoredGradientID(int rawValue) {
    m_settings->setSelectedGradientID(rawValue);
}

QString QuilloraThemeController::storedShapeRaw() const {
    return m_settings->backgroundShapeRaw();
}

void QuilloraThemeController::setStoredShapeRaw(const QString& rawValue) {
    m_settings->setBackgroundShapeRaw(rawValue);
}

QString QuilloraThemeController::storedColorThemeRaw() const {
    return m_settings->colorThemeRaw();
}

void QuilloraThemeController::setStoredColorThemeRaw(const QString& rawValue) {
    m_settings->setColorThemeRaw(rawValue);
}

QuilloraGradientID QuilloraThemeController::selectedGradient() const {
    return gradientIDOrDefault(storedGradientID());
}

void QuilloraThemeController::selectGradient(QuilloraGradientID id) {
    setStoredGradientID(rawValue(id));
}

BackgroundStyle QuilloraThemeController::backgroundStyle(ColorScheme scheme) const {
    return standardProjectTheme().gradientPalette(selectedGradient(), scheme);
}

} // namespace quillora
