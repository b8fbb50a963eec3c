#pragma once

#include "ai/ai_model_session.h"
#include "platform/settings.h"
#include "support/fake_language_model.h"
#include "support/loopback_http_server.h"

#include <QNetworkAccessManager>
#include <QString>

#include <memory>

namespace quillora::test {

// The AI tools' backends stood in for a test class that derives from this next to QObject:
// settings in a temporary file without an OpenAI key, a scripted on-device model, and a
// loopback server that OpenAI requests go to. Call initAIBackends() from init() and
// cleanupAIBackends() from cleanup(), so every test function starts afresh.
class AIBackendsFixture {
protected:
    void initAIBackends(const QString& settingsFileName);
    void cleanupAIBackends();
    // The backends with a five-second OpenAI time-out.
    AIServices services() { return {m_settings.get(), &m_network, m_model, 5000}; }

    QNetworkAccessManager m_network;
    std::unique_ptr<Settings> m_settings;
    std::shared_ptr<FakeLanguageModel> m_model;
    std::unique_ptr<LoopbackHttpServer> m_server;
};

} // namespace quillora::test
