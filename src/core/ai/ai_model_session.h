#pragma once

#include "ai/generation_schema.h"
#include "ai/language_model.h"
#include "ai/openai_client.h"
#include "platform/async.h"
#include "platform/result.h"

#include <QString>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace quillora {

class Settings;

// What the AI tools need of the app: the settings holding the OpenAI key, the one network
// access manager, and the on-device model. The OpenAI time limit is 60 seconds; tests
// shorten it.
struct AIServices final {
    Settings* settings = nullptr;
    QNetworkAccessManager* network = nullptr;
    std::shared_ptr<LanguageModel> onDeviceModel;
    int openAITimeoutMs = OpenAIClient::defaultTimeoutMs;
};

// The one road from every AI tool to a language model. A tool makes one session with its
// system prompt and asks it for a structured value (generate<T>) or for plain text
// (respondText). Every request chooses its backend anew: OpenAI ("gpt-4o-mini") when a key is
// stored, else the on-device model; a failure of one never falls back to the other. Copies
// share one on-device session, made with the system prompt as its instructions.
//
// Results come back through done(result) from the event loop, never inside the call, and not
// at all unless the receiver still accepts it (screen work: its screen lives; résumé work: its
// résumé exists, whether or not the screen that asked is still open).
class AIModelSession final {
public:
    static inline const QString jsonReminder = QStringLiteral("\nReturn valid JSON only.");

    AIModelSession(QString systemPrompt, AIServices services);

    const QString& systemPrompt() const { return m_systemPrompt; }
    const AIServices& services() const { return m_services; }

    // True when the next request goes to OpenAI (a key is stored now).
    bool usesOpenAI() const;

    // A complete value of T, or an error: OpenAI's (OpenAIClientError cases, a transport
    // error, a time-out, a reply that is not a chat completion) or the on-device model's. An
    // OpenAI reply that does not decode into T, whole or as its JSON span, is decodingFailed.
    template <typename T>
    void generate(const QString& prompt, ResultReceiver receiver, std::function<void(Result<T>)> done) const {
        request(T::schema(), prompt, std::move(receiver),
                [done = std::move(done)](Result<QString> answer, bool viaOpenAI) {
                    if (!answer)
                        done(answer.errorInfo());
                    else if (viaOpenAI)
                        done(decodeOpenAIReply<T>(answer.value()));
                    else
                        done(decodeOnDeviceAnswer<T>(answer.value()));
                });
    }

    // Plain text: OpenAI's answer trimmed (it sends the system prompt unchanged and no response
    // format), or the on-device model's answer as it comes.
    void respondText(const QString& prompt, ResultReceiver receiver,
                     std::function<void(Result<QString>)> done) const;

    // The system message of a structured OpenAI request: the prompt unchanged when it mentions
    // "json" in any case, else the prompt + "\nReturn valid JSON only.".
    static QString structuredSystemMessage(const QString& systemPrompt);

    // Reads a structured reply: the reply as it is, else the JSON span of the trimmed reply;
    // anything else is decodingFailed.
    template <typename T> static Result<T> decodeOpenAIReply(const QString& reply) {
        if (Result<T> whole = decodeGenerated<T>(reply.toUtf8()))
            return whole;
        const std::optional<QString> span = OpenAIClient::extractJSON(reply.trimmed());
        if (span) {
            if (Result<T> value = decodeGenerated<T>(span->toUtf8()))
                return value;
        }
        return makeOpenAIClientError(OpenAIClientError::decodingFailed);
    }

private:
    template <typename T> static Result<T> decodeOnDeviceAnswer(const QString& answer) {
        Result<T> value = decodeOpenAIReply<T>(answer);
        if (!value)
            return Error{ErrorKind::decoding,
                         QStringLiteral("The on-device model's answer did not have the requested form."),
                         0,
                         {}};
        return value;
    }

    void request(std::shared_ptr<const GenerationSchema> schema, const QString& prompt,
                 ResultReceiver receiver, std::function<void(Result<QString>, bool viaOpenAI)> done) const;

    QString m_systemPrompt;
    AIServices m_services;
    std::shared_ptr<LanguageModelSession> m_onDeviceSession;
};

} // namespace quillora
