#include "app/services.h"

#include "output/apertium_translation_engine.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_container.h"
#include "theme/theme_controller.h"

#include <QNetworkAccessManager>

namespace quillora {

Services::Services(std::unique_ptr<ModelContainer> store, std::unique_ptr<Settings> settings, QObject* parent)
    : QObject(parent)
    , m_store(std::move(store))
    , m_settings(settings ? std::move(settings) : std::make_unique<Settings>())
    , m_themeController(std::make_unique<QuilloraThemeController>(*m_settings))
    , m_appearance(std::make_unique<Appearance>())
    , m_events(std::make_unique<AppEvents>())
    , m_network(std::make_unique<QNetworkAccessManager>())
    , m_translationEngine(std::make_unique<ApertiumTranslationEngine>()) {}

Services::~Services() = default;

std::unique_ptr<Services> Services::forTesting(const QString& settingsFilePath) {
    auto store = ModelContainer::inMemory();
    if (!store)
        qFatal("The in-memory store could not be made: %s", qPrintable(store.error()));
    (*store)->mainContext().setAutosaveEnabled(false);
    return std::make_unique<Services>(std::move(store).value(), std::make_unique<Settings>(settingsFilePath));
}

void Services::setTranslationEngine(std::unique_ptr<TranslationEngine> engine) {
    Q_ASSERT(engine);
    m_translationEngine = std::move(engine);
}

ModelContainer& Services::store() const {
    Q_ASSERT(m_store);
    return *m_store;
}

ModelContext& Services::context() const {
    Q_ASSERT(m_store);
    return m_store->mainContext();
}

AIServices Services::aiServices() const {
    return {m_settings.get(), m_network.get(), LanguageModel::systemDefault(*m_network),
            OpenAIClient::defaultTimeoutMs};
}

} // namespace quillora
