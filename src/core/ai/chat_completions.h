#pragma once

#include "platform/async.h"
#include "platform/result.h"

#include <QByteArray>
#include <QNetworkReply>
#include <QString>
#include <QUrl>

#include <functional>
#include <optional>

class QNetworkAccessManager;
class QNetworkRequest;

namespace quillora {

// The OpenAI-compatible chat-completions exchange shared by the OpenAI client and the local
// model server: the request, its body, one asynchronous POST and the reply's envelope.

// `base` + "/v1/chat/completions" (a trailing slash of the base is dropped); an invalid URL
// when the base is not an absolute http or https address.
QUrl chatCompletionsURL(const QString& base);

// The request body, members in this order: "model", "messages" (the system message, then the
// user message, each "role" then "content"), "temperature" when given (written as given, for
// example "0.2"), "response_format" when given (its JSON object, written as given).
QByteArray chatRequestBody(const QString& model, const QString& system, const QString& user,
                           const QByteArray& temperature, const QByteArray& responseFormat);

// POST with "Content-Type: application/json", "Authorization: Bearer <key>" when a key is
// given, the protocol's default cache policy and an inactivity time limit (postChatRequest adds
// the deadline for the whole exchange).
QNetworkRequest chatRequest(const QUrl& url, const std::optional<QString>& bearerKey, int timeoutMs);

// The bound on a reply body: one of this size or more is not read. A chat completion is text the model wrote:
// even 128,000 tokens of it (about half a megabyte), every character escaped in JSON, stays below 4 MB. A
// body above this is no chat completion, and reading it would only cost memory (a few times its size).
inline constexpr qint64 kMaxChatReplyBytes = 8 * 1024 * 1024;

// What came back: the HTTP status and body when the server answered over HTTP, otherwise the
// network error. A time-out shows as TimeoutError (or OperationCanceledError).
struct ChatExchange final {
    std::optional<int> status;
    QByteArray body;
    // The body reached kMaxChatReplyBytes: it was not read, and `body` is empty.
    bool tooLarge = false;
    QNetworkReply::NetworkError error = QNetworkReply::NoError;
    QString errorText;
};

// Sends the request and calls done(exchange) from the event loop when it finishes, never from
// inside this call, and only if the receiver still accepts it; the request is aborted when
// the receiver's object is destroyed first. The reply is deleted afterwards either way.
// The exchange ends with a time-out when it is not complete timeoutMs after this call, however
// busy the connection is, and a body of kMaxChatReplyBytes or more is refused as soon as it shows.
void postChatRequest(QNetworkAccessManager& network, const QNetworkRequest& request, const QByteArray& body,
                     int timeoutMs, ResultReceiver receiver, std::function<void(const ChatExchange&)> done);

// Reads a successful reply's envelope: {"choices": [{"message": {"content": "…"}}, …]}. Every
// choice must have a message with a string content; other members are ignored. Gives the
// first choice's content untrimmed, or nothing when "choices" is empty; a decoding error when
// the body is not such an object.
Result<std::optional<QString>> decodeChatCompletion(const QByteArray& body);

// True when `text` was decodable UTF-8 (an empty text is).
bool isValidUtf8(const QByteArray& bytes);

} // namespace quillora
