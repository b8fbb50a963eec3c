#include "support/ai_backends_fixture.h"

#include "ai/openai_client.h"

#include <QDir>

namespace quillora::test {

void AIBackendsFixture::initAIBackends(const QString& settingsFileName) {
    m_settings = std::make_unique<Settings>(QDir::temp().filePath(settingsFileName));
    m_settings->remove(Settings::openAIAPIKeyKey);
    m_model = std::make_shared<FakeLanguageModel>();
    m_server = std::make_unique<LoopbackHttpServer>();
    qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
}

void AIBackendsFixture::cleanupAIBackends() {
    m_server.reset();
    m_settings.reset();
}

} // namespace quillora::test
