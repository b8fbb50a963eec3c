#include "ai/language_model.h"

#include "ai/chat_completions.h"
#include "ai/json_text.h"
#include "ai/openai_client.h"
#include "platform/log.h"

#include <QHostAddress>
#include <QNetworkReply>

namespace quillora {

namespace {

const QString onDeviceService = QStringLiteral("The on-device model");

class UnavailableSession final : public LanguageModelSession {
public:
    void respond(const QString&, std::shared_ptr<const GenerationSchema>, ResultReceiver receiver,
                 std::function<void(Result<QString>)> done) override {
        deliverLater(std::move(receiver), [done = std::move(done)] {
            done(Error{ErrorKind::unavailable,
                       QStringLiteral("No on-device language model is available on this system."),
                       0,
                       {}});
        });
    }
};

class LocalServerSession final : public LanguageModelSession {
public:
    LocalServerSession(QUrl endpoint, QNetworkAccessManager& network, int timeoutMs, QString instructions)
        : m_endpoint(std::move(endpoint))
        , m_network(&network)
        , m_timeoutMs(timeoutMs)
        , m_instructions(std::move(instructions)) {}

    void respond(const QString& prompt, std::shared_ptr<const GenerationSchema> schema,
                 ResultReceiver receiver, std::function<void(Result<QString>)> done) override {
        const QByteArray body = LocalServerLanguageModel::requestBody(m_instructions, prompt, schema.get());
        const int timeoutMs = m_timeoutMs;
        postChatRequest(
            *m_network, chatRequest(m_endpoint, std::nullopt, timeoutMs), body, timeoutMs,
            std::move(receiver), [done = std::move(done), timeoutMs](const ChatExchange& exchange) {
                if (!exchange.status) {
                    done(exchangeFailure(onDeviceService, exchange.error, exchange.errorText, timeoutMs));
                    return;
                }
                if (*exchange.status < 200 || *exchange.status > 299) {
                    done(Error{ErrorKind::httpStatus,
                               onDeviceService % QStringLiteral(" answered with HTTP status ") %
                                   QString::number(*exchange.status) % u'.',
                               *exchange.status,
                               {}});
                    return;
                }
                // A body over the size bound was not read: it is no answer either.
                std::optional<QString> content;
                if (!exchange.tooLarge) {
                    if (auto completion = decodeChatCompletion(exchange.body))
                        content = completion.value();
                }
                if (!content) {
                    done(Error{ErrorKind::decoding,
                               onDeviceService % QStringLiteral(" gave an answer that could not be read."),
                               0,
                               {}});
                    return;
                }
                done(*content);
            });
    }

private:
    QUrl m_endpoint;
    QNetworkAccessManager* m_network;
    int m_timeoutMs;
    QString m_instructions;
};

bool isLoopback(const QUrl& url) {
    const QString host = url.host().toLower();
    if (host == QStringLiteral("localhost"))
        return true;
    const QHostAddress address(host);
    return !address.isNull() && address.isLoopback();
}

} // namespace

std::shared_ptr<LanguageModelSession> UnavailableLanguageModel::makeSession(const QString&) {
    return std::make_shared<UnavailableSession>();
}

LocalServerLanguageModel::LocalServerLanguageModel(const QString& baseURL, QNetworkAccessManager& network,
                                                   int timeoutMs)
    : m_endpoint(chatCompletionsURL(baseURL))
    , m_network(&network)
    , m_timeoutMs(timeoutMs) {
    if (m_endpoint.isValid() && !isLoopback(m_endpoint)) {
        logLine(QStringLiteral("⚠️ Local model server ignored: ") % m_endpoint.host() %
                QStringLiteral(" is not an address on this machine"));
        m_endpoint = QUrl();
    }
}

std::shared_ptr<LanguageModelSession> LocalServerLanguageModel::makeSession(const QString& instructions) {
    if (!isAvailable())
        return std::make_shared<UnavailableSession>();
    return std::make_shared<LocalServerSession>(m_endpoint, *m_network, m_timeoutMs, instructions);
}

QByteArray LocalServerLanguageModel::requestBody(const QString& instructions, const QString& prompt,
                                                 const GenerationSchema* schema) {
    QByteArray format;
    if (schema) {
        format = QByteArrayLiteral("{\"type\":\"json_schema\",\"json_schema\":{\"name\":");
        format.append(jsonQuoted(schema->name()));
        format.append(",\"strict\":true,\"schema\":");
        format.append(schema->toJSONSchema());
        format.append("}}");
    }
    return chatRequestBody(modelName, instructions, prompt, {}, format);
}

std::shared_ptr<LanguageModel> LanguageModel::systemDefault(QNetworkAccessManager& network) {
    const QString url = qEnvironmentVariable(localModelURLVariable).trimmed();
    if (url.isEmpty())
        return std::make_shared<UnavailableLanguageModel>();
    return std::make_shared<LocalServerLanguageModel>(url, network);
}

} // namespace quillora
