#include "ai/chat_completions.h"
#include "ai/language_model.h"
#include "ai/openai_client.h"
#include "ai/resume_skill_suggestion_service.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QNetworkAccessManager>
#include <QTest>

using namespace quillora;
using quillora::test::LoopbackHttpServer;

namespace {

// The time limit the exchanges get here, shortened from the app's; exchanges that test sizes
// get a long one, so that a busy machine reading megabytes is not taken for a time-out.
constexpr int limitMs = 2000;
constexpr int sizeLimitMs = 60000;

Result<QString> askOpenAI(QNetworkAccessManager& network, int limit = sizeLimitMs) {
    QObject context;
    std::optional<Result<QString>> result;
    OpenAIClient{QStringLiteral("sk-limits"), OpenAIClient::defaultModel}.complete(
        network, QStringLiteral("S"), QStringLiteral("U"), std::nullopt,
        ResultReceiver(&context, QStringLiteral("test")), [&](Result<QString> r) { result = std::move(r); },
        limit);
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 2 * sizeLimitMs))
        qFatal("no result");
    return *result;
}

Result<QString> askLocalModel(QNetworkAccessManager& network, const QString& baseURL,
                              int limit = sizeLimitMs) {
    LocalServerLanguageModel model(baseURL, network, limit);
    QObject context;
    std::optional<Result<QString>> result;
    model.makeSession(QStringLiteral("S"))
        ->respond(QStringLiteral("U"), nullptr, ResultReceiver(&context, QStringLiteral("test")),
                  [&](Result<QString> r) { result = std::move(r); });
    if (!QTest::qWaitFor([&] { return result.has_value(); }, 2 * sizeLimitMs))
        qFatal("no result");
    return *result;
}

// A chat completion whose body is about `bytes` long.
LoopbackHttpServer::Reply completionOfSize(qint64 bytes) {
    return LoopbackHttpServer::completion(QString(bytes, QLatin1Char('w')));
}

} // namespace

class AIExchangeLimitsTest : public QObject {
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

    // A server that answers at once and then sends its body a byte a second keeps the
    // connection busy, but the limit counts from the request to the last byte.
    void theTimeLimitIsADeadlineForTheWholeExchange() {
        LoopbackHttpServer::Reply trickle{200, "{\"choices\":[]}"};
        trickle.trickleMs = 1000;
        m_server->enqueue(trickle);
        const Result<QString> openAI = askOpenAI(m_network, limitMs);
        QCOMPARE(openAI.error(), QStringLiteral("OpenAI did not answer within 2 seconds."));
        QCOMPARE(openAI.errorKind(), ErrorKind::timeout);

        m_server->enqueue(trickle);
        const Result<QString> local = askLocalModel(m_network, m_server->baseURL(), limitMs);
        QCOMPARE(local.error(), QStringLiteral("The on-device model did not answer within 2 seconds."));
        QCOMPARE(local.errorKind(), ErrorKind::timeout);

        // A reply that is merely large but quick is no time-out.
        m_server->enqueue(completionOfSize(2 * 1024 * 1024));
        QCOMPARE(askOpenAI(m_network).value().size(), 2 * 1024 * 1024);
    }

    void repliesAboveTheBoundAreRefusedUnread() {
        const qint64 over = kMaxChatReplyBytes + 1024;

        // A successful answer too large to be a chat completion: the decoding failure, whether
        // its length is announced or not.
        for (const bool chunked : {false, true}) {
            LoopbackHttpServer::Reply large = completionOfSize(over);
            large.chunked = chunked;
            m_server->enqueue(large);
            const Result<QString> result = askOpenAI(m_network);
            QCOMPARE(result.error(), QStringLiteral("OpenAI's reply is not a chat completion."));
            QCOMPARE(result.errorKind(), ErrorKind::decoding);
        }
        // A failure status with a huge body: the request failure, without the body.
        m_server->enqueue({500, QByteArray(over, 'e'), "text/plain"});
        const Result<QString> failed = askOpenAI(m_network);
        QCOMPARE(openAIClientError(failed.errorInfo()), OpenAIClientError::requestFailed);
        QCOMPARE(failed.error(), QStringLiteral("OpenAI request failed: HTTP 500"));

        // An announced length over the bound ends the exchange before the body is read.
        m_server.reset();
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
        // What is in flight when the headers are read (Qt's read buffer of about the bound, and
        // the sockets' buffers) stays well under half of it.
        const qint64 huge = 8 * kMaxChatReplyBytes;
        m_server->enqueue(completionOfSize(huge));
        QCOMPARE(askOpenAI(m_network).errorKind(), ErrorKind::decoding);
        QVERIFY2(m_server->bytesSent() < huge / 2, qPrintable(QString::number(m_server->bytesSent())));

        // The local model server: its own texts.
        m_server->enqueue(completionOfSize(over));
        QCOMPARE(askLocalModel(m_network, m_server->baseURL()).error(),
                 QStringLiteral("The on-device model gave an answer that could not be read."));

        // Just under the bound is still an answer.
        m_server->enqueue(completionOfSize(kMaxChatReplyBytes - 1024));
        QCOMPARE(askOpenAI(m_network).value().size(), kMaxChatReplyBytes - 1024);
    }

    void theSkillLogQuotesABoundedPartOfTheAnswer() {
        // One real item, then a long tail: the list is parsed from all of it, the log quotes the start.
        const QString answer = QStringLiteral("Qt: Widgets, ") + QString(200000, QLatin1Char('x'));
        auto resume = test::makeEmptyResume(QStringLiteral("Skills"));
        test::StdoutCapture capture;
        ResumeSkillSuggestionService::parseSkillResponse(answer, *resume);
        const QString printed = capture.lines().join(QLatin1Char('\n'));
        QVERIFY(printed.startsWith(QStringLiteral("🧠 Raw AI skill response:\nQt: Widgets, xxx")));
        QVERIFY2(printed.size() < 5000, qPrintable(QString::number(printed.size())));
        QVERIFY(printed.endsWith(QStringLiteral("… (198013 more characters)")));
        QCOMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Qt: Widgets")});
    }

private:
    QNetworkAccessManager m_network;
    std::unique_ptr<LoopbackHttpServer> m_server;
};

QUILLORA_TEST_MAIN(AIExchangeLimitsTest)
#include "test_ai_exchange_limits.moc"
