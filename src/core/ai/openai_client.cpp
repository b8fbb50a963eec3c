#include "ai/openai_client.h"

#include "ai/chat_completions.h"
#include "ai/json_text.h"

#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTextBoundaryFinder>

namespace quillora {

namespace {

const QString openAIErrorDetail = QStringLiteral("openAIClientError");

Error notAChatCompletion(int status) {
    return Error{ErrorKind::decoding, QStringLiteral("OpenAI's reply is not a chat completion."), status, {}};
}

} // namespace

QString openAIClientErrorDescription(OpenAIClientError error, const QString& message) {
    switch (error) {
    case OpenAIClientError::requestFailed:
        return QStringLiteral("OpenAI request failed: ") + message;
    case OpenAIClientError::invalidResponse:
        return QStringLiteral("OpenAI returned an invalid response.");
    case OpenAIClientError::emptyResponse:
        return QStringLiteral("OpenAI returned an empty response.");
    case OpenAIClientError::decodingFailed:
        return QStringLiteral("OpenAI response could not be decoded.");
    }
    return {};
}

Error makeOpenAIClientError(OpenAIClientError error, const QString& message, int status) {
    Error result;
    result.kind = error == OpenAIClientError::requestFailed ? ErrorKind::httpStatus : ErrorKind::decoding;
    result.text = openAIClientErrorDescription(error, message);
    result.code = status;
    result.details.insert(openAIErrorDetail, static_cast<int>(error));
    if (error == OpenAIClientError::requestFailed)
        result.details.insert(QStringLiteral("message"), message);
    return result;
}

std::optional<OpenAIClientError> openAIClientError(const Error& error) {
    const QVariant value = error.details.value(openAIErrorDetail);
    if (!value.isValid())
        return std::nullopt;
    return static_cast<OpenAIClientError>(value.toInt());
}

QString openAIFailureMessage(const Error& error, const QString& fallback) {
    const std::optional<OpenAIClientError> openAIError = openAIClientError(error);
    if (!openAIError)
        return fallback;
    switch (*openAIError) {
    case OpenAIClientError::requestFailed:
        return QStringLiteral("OpenAI request failed. Check your API key and network connection.");
    case OpenAIClientError::invalidResponse:
        return QStringLiteral("OpenAI returned an invalid response. Please try again.");
    case OpenAIClientError::emptyResponse:
        return QStringLiteral("OpenAI returned an empty response. Please try again.");
    case OpenAIClientError::decodingFailed:
        return QStringLiteral("OpenAI response could not be decoded. Please try again.");
    }
    return fallback;
}

Error exchangeFailure(const QString& service, int error, const QString& errorText, int timeoutMs) {
    if (error == QNetworkReply::OperationCanceledError || error == QNetworkReply::TimeoutError) {
        const int seconds = (timeoutMs + 999) / 1000;
        return Error{ErrorKind::timeout,
                     service % QStringLiteral(" did not answer within ") % QString::number(seconds) %
                         (seconds == 1 ? QStringLiteral(" second.") : QStringLiteral(" seconds.")),
                     0,
                     {}};
    }
    return Error{
        ErrorKind::network, service % QStringLiteral(" could not be reached: ") % errorText, error, {}};
}

QUrl OpenAIClient::endpoint() {
    const QString override = qEnvironmentVariable(baseURLVariable);
    return chatCompletionsURL(override.trimmed().isEmpty() ? defaultBaseURL : override);
}

QByteArray OpenAIClient::requestBody(const QString& system, const QString& user,
                                     const std::optional<QString>& responseFormat) const {
    QByteArray format;
    if (responseFormat) {
        format = QByteArrayLiteral("{\"type\":");
        format.append(jsonQuoted(*responseFormat));
        format.append('}');
    }
    return chatRequestBody(model, system, user, QByteArrayLiteral("0.2"), format);
}

Result<QString> OpenAIClient::oversizedReply(int status) {
    // A success status with such a body cannot be a chat completion; a failure status is told
    // by its code, as for a body that cannot be shown.
    if (status >= 200 && status <= 299)
        return notAChatCompletion(status);
    return makeOpenAIClientError(OpenAIClientError::requestFailed,
                                 QStringLiteral("HTTP ") + QString::number(status), status);
}

Result<QString> OpenAIClient::decodeReply(int status, const QByteArray& body) {
    if (status < 200 || status > 299) {
        const QString message =
            isValidUtf8(body) ? QString::fromUtf8(body) : QStringLiteral("HTTP ") + QString::number(status);
        return makeOpenAIClientError(OpenAIClientError::requestFailed, message, status);
    }
    auto completion = decodeChatCompletion(body);
    if (!completion)
        return notAChatCompletion(status);
    if (!completion.value())
        return makeOpenAIClientError(OpenAIClientError::emptyResponse);
    return completion.value()->trimmed();
}

void OpenAIClient::complete(QNetworkAccessManager& network, const QString& system, const QString& user,
                            const std::optional<QString>& responseFormat, ResultReceiver receiver,
                            std::function<void(Result<QString>)> done, int timeoutMs) const {
    const QUrl url = endpoint();
    if (!url.isValid()) {
        deliverLater(std::move(receiver), [done = std::move(done)] {
            done(makeOpenAIClientError(OpenAIClientError::invalidResponse));
        });
        return;
    }
    postChatRequest(network, chatRequest(url, apiKey, timeoutMs), requestBody(system, user, responseFormat),
                    timeoutMs, std::move(receiver),
                    [done = std::move(done), timeoutMs](const ChatExchange& exchange) {
                        if (exchange.status && exchange.tooLarge)
                            done(oversizedReply(*exchange.status));
                        else if (exchange.status)
                            done(decodeReply(*exchange.status, exchange.body));
                        else if (exchange.error == QNetworkReply::NoError)
                            done(makeOpenAIClientError(OpenAIClientError::invalidResponse));
                        else
                            done(exchangeFailure(QStringLiteral("OpenAI"), exchange.error, exchange.errorText,
                                                 timeoutMs));
                    });
}

std::optional<QString> OpenAIClient::extractJSON(const QString& text) {
    // A bracket counts only as a character of its own, not as the base of a cluster with
    // combining marks after it. Cluster boundaries depend only on the neighbours, so a small
    // window around the bracket decides.
    const auto wholeCharacter = [&](qsizetype at) {
        const qsizetype start = std::max<qsizetype>(0, at - 8);
        const qsizetype end = std::min<qsizetype>(text.size(), at + 9);
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, text.mid(start, end - start));
        graphemes.setPosition(at - start);
        if (!graphemes.isAtBoundary())
            return false;
        graphemes.setPosition(at - start + 1);
        return graphemes.isAtBoundary();
    };
    const auto span = [&](QChar open, QChar close) -> std::optional<QString> {
        qsizetype first = text.indexOf(open);
        while (first >= 0 && !wholeCharacter(first))
            first = text.indexOf(open, first + 1);
        if (first < 0)
            return std::nullopt;
        qsizetype last = text.lastIndexOf(close);
        while (last >= 0 && !wholeCharacter(last))
            last = last == 0 ? -1 : text.lastIndexOf(close, last - 1);
        if (last < first)
            return std::nullopt;
        return text.mid(first, last - first + 1);
    };
    if (auto braces = span(u'{', u'}'))
        return braces;
    return span(u'[', u']');
}

} // namespace quillora
