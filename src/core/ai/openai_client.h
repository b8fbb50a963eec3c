#pragma once

#include "platform/async.h"
#include "platform/result.h"

#include <QByteArray>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;

namespace quillora {

class Settings;

// The four ways an OpenAI exchange fails on the service's side, in this order. Carried in an
// Error's details (see makeOpenAIClientError), beside a kind and the description as its text.
enum class OpenAIClientError {
    requestFailed,   // a status outside 200…299; the message is the body (or "HTTP <code>")
    invalidResponse, // no endpoint address, or an answer that is not an HTTP response
    emptyResponse,   // a successful reply without choices
    decodingFailed,  // a structured reply that does not decode into the requested type
};

// "OpenAI request failed: <message>", "OpenAI returned an invalid response.", "OpenAI returned
// an empty response.", "OpenAI response could not be decoded.".
QString openAIClientErrorDescription(OpenAIClientError error, const QString& message = {});
// An Error with the case's description as its text; requestFailed is an httpStatus error with
// the status as code, the others decoding errors.
Error makeOpenAIClientError(OpenAIClientError error, const QString& message = {}, int status = 0);
// The case an error carries, or nothing for any other error (transport, time-out, a reply that
// is not a chat completion, the on-device model's errors).
std::optional<OpenAIClientError> openAIClientError(const Error& error);
// What the AI tools show for a failed exchange: "OpenAI request failed. Check your API key and
// network connection." and the like for the four cases, `fallback` for any other error.
QString openAIFailureMessage(const Error& error, const QString& fallback);

// The OpenAI chat-completions client: a value made afresh for each request. One exchange
// sends a system and a user message at temperature 0.2 and gives the first choice's content,
// trimmed. The key goes into the Authorization header only: it is never printed, logged or
// put in an error text.
//
// The user's key lives in the settings under "OpenAIAPIKey"; a stored key switches the AI
// tools from the on-device model to OpenAI.
class OpenAIClient final {
public:
    static constexpr int defaultTimeoutMs = 60000;
    static inline const QString defaultModel = QStringLiteral("gpt-4o-mini");
    static inline const QString jsonObjectFormat = QStringLiteral("json_object");
    // The service's public address; QUILLORA_OPENAI_BASE_URL replaces it (tests and
    // OpenAI-compatible servers stand in that way).
    static inline const QString defaultBaseURL = QStringLiteral("https://api.openai.com");
    static constexpr const char* baseURLVariable = "QUILLORA_OPENAI_BASE_URL";

    QString apiKey;
    QString model = defaultModel;

    // The endpoint: the base address + "/v1/chat/completions"; invalid when it cannot be formed.
    static QUrl endpoint();

    // The request body: "model", "messages" (system, then user), "temperature" 0.2, and
    // "response_format" {"type": responseFormat} only when a format is given.
    QByteArray requestBody(const QString& system, const QString& user,
                           const std::optional<QString>& responseFormat) const;

    // Reads the answer: a status outside 200…299 fails with requestFailed (the body as UTF-8
    // text, untrimmed, or "HTTP <code>" when it is not UTF-8); a body that is no chat
    // completion fails with a decoding error of its own; no choices with emptyResponse;
    // otherwise the first choice's content, trimmed (possibly empty).
    static Result<QString> decodeReply(int status, const QByteArray& body);
    // The answer to a reply whose body was over the size bound (kMaxChatReplyBytes) and was not
    // read: with a success status the decoding error of a body that is no chat completion, with
    // any other requestFailed with the message "HTTP <code>".
    static Result<QString> oversizedReply(int status);

    // One exchange. done(result) runs from the event loop, never inside this call, and not at
    // all unless the receiver still accepts it. Transport failures are network errors, an exchange not
    // complete within timeoutMs (from the call to the last byte) a timeout error; neither is an
    // OpenAIClientError.
    void complete(QNetworkAccessManager& network, const QString& system, const QString& user,
                  const std::optional<QString>& responseFormat, ResultReceiver receiver,
                  std::function<void(Result<QString>)> done, int timeoutMs = defaultTimeoutMs) const;

    // The JSON span of a reply: from the first "{" through the last "}" when that "}" is at or
    // after it, else from the first "[" through the last "]" likewise, else nothing. No
    // bracket matching, quoting ignored; positions count whole characters.
    static std::optional<QString> extractJSON(const QString& text);

    // The stored key trimmed of white space and line breaks, or nothing when the entry is
    // absent, empty or only white space.
    static std::optional<QString> storedAPIKey(const Settings& settings);

    // Stores the key trimmed; a key that is blank once trimmed removes the entry.
    static void setAPIKey(Settings& settings, const QString& key);
};

// Turns a failed exchange (no HTTP answer) into an error: a time-out or a network error whose
// text begins with `service` ("OpenAI", say). Shared with the local model server.
Error exchangeFailure(const QString& service, int error, const QString& errorText, int timeoutMs);

} // namespace quillora
