#include "ai/ai_model_session.h"

#include "platform/settings.h"

namespace quillora {

AIModelSession::AIModelSession(QString systemPrompt, AIServices services)
    : m_systemPrompt(std::move(systemPrompt))
    , m_services(std::move(services)) {
    if (!m_services.onDeviceModel)
        m_services.onDeviceModel = std::make_shared<UnavailableLanguageModel>();
    m_onDeviceSession = m_services.onDeviceModel->makeSession(m_systemPrompt);
}

bool AIModelSession::usesOpenAI() const {
    return OpenAIClient::storedAPIKey(*m_services.settings).has_value();
}

QString AIModelSession::structuredSystemMessage(const QString& systemPrompt) {
    if (systemPrompt.toLower().contains(QStringLiteral("json")))
        return systemPrompt;
    return systemPrompt + jsonReminder;
}

void AIModelSession::request(std::shared_ptr<const GenerationSchema> schema, const QString& prompt,
                             ResultReceiver receiver,
                             std::function<void(Result<QString>, bool viaOpenAI)> done) const {
    if (const std::optional<QString> key = OpenAIClient::storedAPIKey(*m_services.settings)) {
        const OpenAIClient client{*key, OpenAIClient::defaultModel};
        client.complete(
            *m_services.network, structuredSystemMessage(m_systemPrompt), prompt,
            OpenAIClient::jsonObjectFormat, std::move(receiver),
            [done = std::move(done)](Result<QString> reply) { done(std::move(reply), true); },
            m_services.openAITimeoutMs);
        return;
    }
    m_onDeviceSession->respond(
        prompt, std::move(schema), std::move(receiver),
        [done = std::move(done)](Result<QString> answer) { done(std::move(answer), false); });
}

void AIModelSession::respondText(const QString& prompt, ResultReceiver receiver,
                                 std::function<void(Result<QString>)> done) const {
    if (const std::optional<QString> key = OpenAIClient::storedAPIKey(*m_services.settings)) {
        const OpenAIClient client{*key, OpenAIClient::defaultModel};
        client.complete(*m_services.network, m_systemPrompt, prompt, std::nullopt, std::move(receiver),
                        std::move(done), m_services.openAITimeoutMs);
        return;
    }
    m_onDeviceSession->respond(prompt, nullptr, std::move(receiver), std::move(done));
}

} // namespace quillora
