#pragma once

#include "ai/ai_model_session.h"
#include "output/translation_engine.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_container.h"
#include "theme/theme_controller.h"

#include <QNetworkAccessManager>
#include <QObject>

#include <memory>

namespace quillora {

// The app's services, built once at start-up and passed down to every screen that needs one;
// nothing reaches them through a global. Tests build their own (see forTesting()).
//   - the store (its container and main context; may be absent, see hasStore())
//   - the user's settings, and the theme controller over them
//   - the appearance (light or dark, reduce motion)
//   - the app-wide events
//   - the one network access manager every request goes through
//   - the machine translation engine (Apertium; tests put in their own)
// Lives on the UI thread and outlives every screen it is given to.
class Services final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Services)

public:
    // Takes the store (may be null when none could be made) and the settings (null: the
    // user's settings file).
    explicit Services(std::unique_ptr<ModelContainer> store, std::unique_ptr<Settings> settings = nullptr,
                      QObject* parent = nullptr);
    ~Services() override;

    // An in-memory store with autosave off and a settings file at `settingsFilePath`
    // (INI format); the appearance follows the palette until a test overrides it.
    static std::unique_ptr<Services> forTesting(const QString& settingsFilePath);

    bool hasStore() const { return m_store != nullptr; }
    ModelContainer& store() const; // only when hasStore()
    ModelContext& context() const; // the store's main context; only when hasStore()
    Settings& settings() const { return *m_settings; }
    QuilloraThemeController& themeController() const { return *m_themeController; }
    Appearance& appearance() const { return *m_appearance; }
    AppEvents& events() const { return *m_events; }
    QNetworkAccessManager& network() const { return *m_network; }
    TranslationEngine& translationEngine() const { return *m_translationEngine; }
    // What the AI tools need: the settings, the network manager and the system's on-device model.
    AIServices aiServices() const;
    void setTranslationEngine(std::unique_ptr<TranslationEngine> engine);

private:
    std::unique_ptr<ModelContainer> m_store;
    std::unique_ptr<Settings> m_settings;
    std::unique_ptr<QuilloraThemeController> m_themeController;
    std::unique_ptr<Appearance> m_appearance;
    std::unique_ptr<AppEvents> m_events;
    std::unique_ptr<QNetworkAccessManager> m_network;
    std::unique_ptr<TranslationEngine> m_translationEngine;
};

} // namespace quillora
