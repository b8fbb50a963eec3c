#include "ai/chat_completions.h"

#include "ai/json_text.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QNetworkAccessManager>
#include <QNetworkRequest>
#include <QStringDecoder>
#include <QTimer>

#include <memory>

namespace quillora {

QUrl chatCompletionsURL(const QString& base) {
    QString address = base.trimmed();
    while (address.endsWith(u'/'))
        address.chop(1);
    const QUrl url(address + QStringLiteral("/v1/chat/completions"), QUrl::StrictMode);
    if (!url.isValid() || url.host().isEmpty())
        return {};
    const QString scheme = url.scheme().toLower();
    if (scheme != QStringLiteral("https") && scheme != QStringLiteral("http"))
        return {};
    return url;
}

QByteArray chatRequestBody(const QString& model, const QString& system, const QString& user,
                           const QByteArray& temperature, const QByteArray& responseFormat) {
    QByteArray body;
    body.reserve(system.size() + user.size() + 160);
    body.append("{\"model\":");
    body.append(jsonQuoted(model));
    body.append(",\"messages\":[{\"role\":\"system\",\"content\":");
    body.append(jsonQuoted(system));
    body.append("},{\"role\":\"user\",\"content\":");
    body.append(jsonQuoted(user));
    body.append("}]");
    if (!temperature.isEmpty()) {
        body.append(",\"temperature\":");
        body.append(temperature);
    }
    if (!responseFormat.isEmpty()) {
        body.append(",\"response_format\":");
        body.append(responseFormat);
    }
    body.append('}');
    return body;
}

QNetworkRequest chatRequest(const QUrl& url, const std::optional<QString>& bearerKey, int timeoutMs) {
    QNetworkRequest request(url);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::PreferNetwork);
    request.setTransferTimeout(timeoutMs);
    request.setRawHeader("Content-Type", "application/json");
    if (bearerKey)
        request.setRawHeader("Authorization", QByteArrayLiteral("Bearer ") + bearerKey->toUtf8());
    return request;
}

void postChatRequest(QNetworkAccessManager& network, const QNetworkRequest& request, const QByteArray& body,
                     int timeoutMs, ResultReceiver receiver, std::function<void(const ChatExchange&)> done) {
    QNetworkReply* reply = network.post(request, body);
    // Why the exchange was cut short, if it was.
    enum class Cut { no, deadline, tooLarge };
    auto cut = std::make_shared<Cut>(Cut::no);
    const auto stop = [reply, cut](Cut why) {
        if (*cut == Cut::no && reply->isRunning()) {
            *cut = why;
            reply->abort();
        }
    };

    // The limit is a deadline from the request to the last byte: a server that keeps the
    // connection alive with a trickle of bytes does not hold it open any longer.
    if (timeoutMs > 0) {
        auto* deadline = new QTimer(reply);
        deadline->setSingleShot(true);
        QObject::connect(deadline, &QTimer::timeout, reply, [stop] { stop(Cut::deadline); });
        deadline->start(timeoutMs);
    }
    // Little more than the bound is ever held: an announced length above it ends the exchange
    // before the body, and the buffer stops taking bytes a little past it (the transport fills it
    // a block at a time, so a buffer of exactly the bound would stall at the bound unnoticed).
    reply->setReadBufferSize(kMaxChatReplyBytes + 1024 * 1024);
    const auto refuseIfTooLarge = [reply, stop] {
        const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
        if (reply->bytesAvailable() >= kMaxChatReplyBytes ||
            (length.isValid() && length.toLongLong() >= kMaxChatReplyBytes))
            stop(Cut::tooLarge);
    };
    QObject::connect(reply, &QNetworkReply::metaDataChanged, reply, refuseIfTooLarge);
    QObject::connect(reply, &QNetworkReply::readyRead, reply, refuseIfTooLarge);

    whenReplyFinished(reply, std::move(receiver), [done = std::move(done), cut](QNetworkReply& finished) {
        ChatExchange exchange;
        const QVariant status = finished.attribute(QNetworkRequest::HttpStatusCodeAttribute);
        if (*cut == Cut::deadline) {
            exchange.error = QNetworkReply::TimeoutError;
            exchange.errorText = QStringLiteral("The time limit ran out.");
        } else if (status.isValid()) {
            exchange.status = status.toInt();
            if (*cut == Cut::tooLarge || finished.bytesAvailable() >= kMaxChatReplyBytes)
                exchange.tooLarge = true;
            else
                exchange.body = finished.readAll();
        } else {
            exchange.error = finished.error();
            exchange.errorText = finished.errorString();
        }
        done(exchange);
    });
}

Result<std::optional<QString>> decodeChatCompletion(const QByteArray& body) {
    const auto notACompletion = [] {
        return Result<std::optional<QString>>::failure(ErrorKind::decoding,
                                                       QStringLiteral("The reply is not a chat completion."));
    };
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject())
        return notACompletion();
    const QJsonValue choices = document.object().value(QStringLiteral("choices"));
    if (!choices.isArray())
        return notACompletion();
    const QJsonArray list = choices.toArray();
    std::optional<QString> first;
    for (qsizetype i = 0; i < list.size(); ++i) {
        const QJsonValue message = list.at(i).toObject().value(QStringLiteral("message"));
        const QJsonValue content = message.toObject().value(QStringLiteral("content"));
        if (!list.at(i).isObject() || !message.isObject() || !content.isString())
            return notACompletion();
        if (i == 0)
            first = content.toString();
    }
    return first;
}

bool isValidUtf8(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    const QString text = decoder(bytes);
    Q_UNUSED(text);
    return !decoder.hasError();
}

} // namespace quillora
