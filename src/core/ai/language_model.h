#pragma once

#include "ai/generation_schema.h"
#include "platform/async.h"
#include "platform/result.h"

#include <QString>
#include <QUrl>

#include <functional>
#include <memory>

class QNetworkAccessManager;

namespace quillora {

// A session with the on-device language model, made with standing instructions. Every request
// through one session goes to the same session.
class LanguageModelSession {
public:
    virtual ~LanguageModelSession() = default;

    // Asks for a value of `schema`'s form (its schema is part of the request), or for plain
    // text when `schema` is null. done(result) gets the answer's text (the JSON of the value)
    // or the model's error; it runs from the event loop, never inside this call, and not at
    // all unless the receiver still accepts it.
    virtual void respond(const QString& prompt, std::shared_ptr<const GenerationSchema> schema,
                         ResultReceiver receiver, std::function<void(Result<QString>)> done) = 0;
};

// The on-device language model. Linux ships none: the system default is "unavailable",
// unless QUILLORA_LOCAL_MODEL_URL names a model server on this machine that speaks the
// OpenAI-compatible chat API.
class LanguageModel {
public:
    static constexpr const char* localModelURLVariable = "QUILLORA_LOCAL_MODEL_URL";

    virtual ~LanguageModel() = default;

    virtual bool isAvailable() const = 0;
    virtual std::shared_ptr<LanguageModelSession> makeSession(const QString& instructions) = 0;

    // The local model server named by QUILLORA_LOCAL_MODEL_URL when it is set to a loopback
    // address, else the unavailable model.
    static std::shared_ptr<LanguageModel> systemDefault(QNetworkAccessManager& network);
};

// No model: unavailable, and every request fails with an "unavailable" error.
class UnavailableLanguageModel final : public LanguageModel {
public:
    bool isAvailable() const override { return false; }
    std::shared_ptr<LanguageModelSession> makeSession(const QString& instructions) override;
};

// A model server on loopback speaking the OpenAI-compatible chat API (llama.cpp's server,
// say): each request is one chat completion with the instructions as the system message, the
// prompt as the user message and, for structured requests, the schema as a "json_schema"
// response format. Addresses off this machine are refused (the model is then unavailable),
// so the résumé never leaves it on this road.
class LocalServerLanguageModel final : public LanguageModel {
public:
    static constexpr int defaultTimeoutMs = 180000;
    static inline const QString modelName = QStringLiteral("local");

    LocalServerLanguageModel(const QString& baseURL, QNetworkAccessManager& network,
                             int timeoutMs = defaultTimeoutMs);

    bool isAvailable() const override { return m_endpoint.isValid(); }
    std::shared_ptr<LanguageModelSession> makeSession(const QString& instructions) override;

    QUrl endpoint() const { return m_endpoint; }
    // The request body for one request (what the server is sent).
    static QByteArray requestBody(const QString& instructions, const QString& prompt,
                                  const GenerationSchema* schema);

private:
    QUrl m_endpoint;
    QNetworkAccessManager* m_network;
    int m_timeoutMs;
};

} // namespace quillora
