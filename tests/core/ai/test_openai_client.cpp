#include "ai/ai_model_session.h"
#include "ai/openai_client.h"
#include "ai/resume_ai_view_model.h"
#include "support/loopback_http_server.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QTest>

using namespace quillora;
using quillora::test::LoopbackHttpServer;

namespace {

const QString testKey = QStringLiteral("sk-test-secret-0123456789");

// Runs one exchange against the current base address and waits for its result.
Result<QString> runExchange(QNetworkAccessManager& network, const std::optional<QString>& format,
                            const QString& system = QStringLiteral("S"),
                            const QString& user = QStringLiteral("U"),
                            int timeoutMs = OpenAIClient::defaultTimeoutMs) {
    QObject context;
    std::optional<Result<QString>> result;
    OpenAIClient{testKey, OpenAIClient::defaultModel}.complete(
        network, system, user, format, ResultReceiver(&context, QStringLiteral("test")),
        [&](Result<QString> r) { result = std::move(r); }, timeoutMs);
    // Never delivered inside the call.
    if (result)
        qFatal("delivered synchronously");
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
        qFatal("no result");
    return *result;
}

} // namespace

class OpenAIClientTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
    }
    void cleanup() {
        m_server.reset();
        qunsetenv(OpenAIClient::baseURLVariable);
    }

    void structuredAndPlainRequestsAreSentExactly() {
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\":\"x\"}")));
        const QString system = QStringLiteral("Be \"exact\"\nJSON only\t\\ /");
        const QString user = QStringLiteral("Résumé ✓ — 日本\u0001");
        QVERIFY(runExchange(m_network, OpenAIClient::jsonObjectFormat, system, user).ok());

        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("plain")));
        QCOMPARE(runExchange(m_network, std::nullopt, QStringLiteral("sys"), QStringLiteral("usr")).value(),
                 QStringLiteral("plain"));

        const auto requests = m_server->requests();
        QCOMPARE(requests.size(), 2);
        for (const auto& request : requests) {
            QCOMPARE(request.method, QByteArray("POST"));
            QCOMPARE(request.path, QByteArray("/v1/chat/completions"));
            QCOMPARE(request.headers.value("content-type"), QByteArray("application/json"));
            QCOMPARE(request.headers.value("authorization"), QByteArray("Bearer ") + testKey.toUtf8());
        }
        QCOMPARE(requests[0].body,
                 QByteArray("{\"model\":\"gpt-4o-mini\",\"messages\":[{\"role\":\"system\",\"content\":\"Be "
                            "\\\"exact\\\"\\nJSON only\\t\\\\ /\"},{\"role\":\"user\",\"content\":\"") +
                     QStringLiteral("Résumé ✓ — 日本").toUtf8() +
                     QByteArray(
                         "\\u0001\"}],\"temperature\":0.2,\"response_format\":{\"type\":\"json_object\"}}"));
        QCOMPARE(requests[1].body,
                 QByteArray("{\"model\":\"gpt-4o-mini\",\"messages\":[{\"role\":\"system\",\"content\":"
                            "\"sys\"},{\"role\":\"user\",\"content\":\"usr\"}],\"temperature\":0.2}"));
    }

    void statusRulesAndTheirTexts() {
        // 299 is a success; 300 and 199 are failures.
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("  fine \n"), 299));
        QCOMPARE(runExchange(m_network, std::nullopt).value(), QStringLiteral("fine"));
        QCOMPARE(OpenAIClient::decodeReply(199, "{}").error(), QStringLiteral("OpenAI request failed: {}"));

        const QByteArray serviceError =
            "{\"error\":{\"message\":\"Incorrect API key provided\",\"code\":\"invalid\"}}";
        m_server->enqueue({401, serviceError});
        Result<QString> unauthorized = runExchange(m_network, std::nullopt);
        QCOMPARE(unauthorized.error(),
                 QStringLiteral("OpenAI request failed: ") + QString::fromUtf8(serviceError));
        QCOMPARE(openAIClientError(unauthorized.errorInfo()), OpenAIClientError::requestFailed);
        QCOMPARE(unauthorized.errorInfo().code, 401);
        QCOMPARE(ResumeAIViewModel::openAIErrorMessage(unauthorized.errorInfo()),
                 QStringLiteral("OpenAI request failed. Check your API key and network connection."));

        m_server->enqueue({300, " untrimmed \n"});
        QCOMPARE(runExchange(m_network, std::nullopt).error(),
                 QStringLiteral("OpenAI request failed:  untrimmed \n"));
        m_server->enqueue({500, ""});
        QCOMPARE(runExchange(m_network, std::nullopt).error(), QStringLiteral("OpenAI request failed: "));
        m_server->enqueue({502, QByteArray("\xff\xfe bad", 6)});
        QCOMPARE(runExchange(m_network, std::nullopt).error(),
                 QStringLiteral("OpenAI request failed: HTTP 502"));
    }

    void replyBodies() {
        // No choices: emptyResponse.
        m_server->enqueue({200, "{\"choices\":[]}"});
        Result<QString> empty = runExchange(m_network, std::nullopt);
        QCOMPARE(openAIClientError(empty.errorInfo()), OpenAIClientError::emptyResponse);
        QCOMPARE(empty.error(), QStringLiteral("OpenAI returned an empty response."));
        QCOMPARE(ResumeAIViewModel::openAIErrorMessage(empty.errorInfo()),
                 QStringLiteral("OpenAI returned an empty response. Please try again."));

        // Only white space: an empty text, no error. Further choices are ignored.
        m_server->enqueue(
            {200,
             "{\"choices\":[{\"message\":{\"content\":\" \\n\\t\"}},{\"message\":{\"content\":\"b\"}}]}"});
        QCOMPARE(runExchange(m_network, std::nullopt).value(), QString());

        // Not a chat completion (null content, missing members, not JSON, an empty body): the
        // decoder's own error, which is none of the four cases.
        for (const QByteArray& body : {QByteArray("{\"choices\":[{\"message\":{\"content\":null}}]}"),
                                       QByteArray("{\"choices\":[{\"message\":{}}]}"), QByteArray("{}"),
                                       QByteArray("{\"choices\":[{\"message\":{\"content\":\"a\"}},{}]}"),
                                       QByteArray("<html>502</html>"), QByteArray()}) {
            m_server->enqueue({200, body});
            Result<QString> result = runExchange(m_network, std::nullopt);
            QVERIFY2(!result.ok(), body.constData());
            QCOMPARE(result.errorKind(), ErrorKind::decoding);
            QVERIFY(!openAIClientError(result.errorInfo()));
            QCOMPARE(ResumeAIViewModel::openAIErrorMessage(result.errorInfo()),
                     QStringLiteral("OpenAI failed. Please try again."));
        }

        // The texts of the other two cases.
        QCOMPARE(makeOpenAIClientError(OpenAIClientError::invalidResponse).text,
                 QStringLiteral("OpenAI returned an invalid response."));
        QCOMPARE(
            ResumeAIViewModel::openAIErrorMessage(makeOpenAIClientError(OpenAIClientError::invalidResponse)),
            QStringLiteral("OpenAI returned an invalid response. Please try again."));
        QCOMPARE(makeOpenAIClientError(OpenAIClientError::decodingFailed).text,
                 QStringLiteral("OpenAI response could not be decoded."));
        QCOMPARE(
            ResumeAIViewModel::openAIErrorMessage(makeOpenAIClientError(OpenAIClientError::decodingFailed)),
            QStringLiteral("OpenAI response could not be decoded. Please try again."));
    }

    void transportFailuresTimeOutsAndAddresses() {
        // A server that never answers: a time-out (shortened here from 60 seconds).
        m_server->enqueue(LoopbackHttpServer::silence());
        Result<QString> silent =
            runExchange(m_network, std::nullopt, QStringLiteral("S"), QStringLiteral("U"), 400);
        QCOMPARE(silent.errorKind(), ErrorKind::timeout);
        QCOMPARE(silent.error(), QStringLiteral("OpenAI did not answer within 1 second."));
        QCOMPARE(ResumeAIViewModel::openAIErrorMessage(silent.errorInfo()),
                 QStringLiteral("OpenAI failed. Please try again."));

        // Nobody listening.
        const QString closed = m_server->baseURL();
        m_server.reset();
        qputenv(OpenAIClient::baseURLVariable, closed.toUtf8());
        Result<QString> refused = runExchange(m_network, std::nullopt);
        QCOMPARE(refused.errorKind(), ErrorKind::network);
        QVERIFY(refused.error().startsWith(QStringLiteral("OpenAI could not be reached: ")));
        for (const auto& result : {silent, refused})
            QVERIFY(!result.error().contains(testKey));

        // The public endpoint by default; an address that cannot be formed is invalidResponse.
        qunsetenv(OpenAIClient::baseURLVariable);
        QCOMPARE(OpenAIClient::endpoint(),
                 QUrl(QStringLiteral("https://api.openai.com/v1/chat/completions")));
        qputenv(OpenAIClient::baseURLVariable, "not a url");
        QVERIFY(!OpenAIClient::endpoint().isValid());
        Result<QString> invalid = runExchange(m_network, std::nullopt);
        QCOMPARE(openAIClientError(invalid.errorInfo()), OpenAIClientError::invalidResponse);
    }

    void resultForAGoneReceiverIsDropped() {
        LoopbackHttpServer::Reply late = LoopbackHttpServer::completion(QStringLiteral("late"));
        late.delayMs = 300;
        m_server->enqueue(late);
        bool delivered = false;
        auto context = std::make_unique<QObject>();
        OpenAIClient{testKey, OpenAIClient::defaultModel}.complete(
            m_network, QStringLiteral("S"), QStringLiteral("U"), std::nullopt,
            ResultReceiver(context.get(), QStringLiteral("test")),
            [&](Result<QString>) { delivered = true; });
        QTRY_COMPARE(m_server->requestCount(), 1);
        quillora::test::StdoutCapture log;
        context.reset();
        QTRY_VERIFY(
            log.linesSoFar().contains(QStringLiteral("⏭️ test result dropped: its screen was closed")));
        QVERIFY(!delivered);
    }

private:
    QNetworkAccessManager m_network;
    std::unique_ptr<LoopbackHttpServer> m_server;
};

QUILLORA_TEST_MAIN(OpenAIClientTest)
#include "test_openai_client.moc"
