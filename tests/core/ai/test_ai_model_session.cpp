#include "ai/ai_model_session.h"
#include "ai/ats_analysis.h"
#include "ai/ats_rewrite_payload.h"
#include "ai/cover_letter.h"
#include "ai/language_model.h"
#include "ai/seamless_star_result.h"
#include "platform/settings.h"
#include "support/ai_backends_fixture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTest>

using namespace quillora;
using quillora::test::AIBackendsFixture;
using quillora::test::LoopbackHttpServer;

namespace {

template <typename T> Result<T> decodeReply(const char* reply) {
    return AIModelSession::decodeOpenAIReply<T>(QString::fromUtf8(reply));
}

bool failsDecoding(const Error& error) {
    return openAIClientError(error) == OpenAIClientError::decodingFailed;
}

} // namespace

class AIModelSessionTest : public QObject, private AIBackendsFixture {
    Q_OBJECT

private slots:
    void init() { initAIBackends(QStringLiteral("ai-session.ini")); }
    void cleanup() {
        cleanupAIBackends();
        qunsetenv(LanguageModel::localModelURLVariable);
    }

    void eachRequestChoosesItsBackend() {
        const AIModelSession session(QStringLiteral("Answer in JSON."), services());
        QCOMPARE(m_model->sessionsMade(), 1);

        // A key of white space is no key: the on-device model answers.
        m_settings->setOpenAIAPIKey(QStringLiteral("  \n"));
        m_model->enqueue(QStringLiteral("{\"paragraph\":\"on device\"}"));
        QCOMPARE(generate<SeamlessStarResult>(session, QStringLiteral("first")).value().paragraph,
                 QStringLiteral("on device"));

        // A key stored between two requests moves the next one to OpenAI…
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-live"));
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\":\"from openai\"}")));
        QCOMPARE(generate<SeamlessStarResult>(session, QStringLiteral("second")).value().paragraph,
                 QStringLiteral("from openai"));

        // …and removing it moves the one after back, through the same on-device session.
        OpenAIClient::setAPIKey(*m_settings, QString());
        m_model->enqueue(QStringLiteral("{\"paragraph\":\"again\"}"));
        QCOMPARE(generate<SeamlessStarResult>(session, QStringLiteral("third")).value().paragraph,
                 QStringLiteral("again"));

        QCOMPARE(m_server->requestCount(), 1);
        const auto onDevice = m_model->requests();
        QCOMPARE(onDevice.size(), 2);
        QCOMPARE(onDevice[0].prompt, QStringLiteral("first"));
        QCOMPARE(onDevice[1].prompt, QStringLiteral("third"));
        QCOMPARE(onDevice[0].instructions, QStringLiteral("Answer in JSON."));
        QCOMPARE(onDevice[0].schemaName, QStringLiteral("SeamlessStarResult"));
        QCOMPARE(m_model->sessionsMade(), 1);

        // A failure of one backend never falls back to the other.
        m_model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("no model"), 0, {}});
        QCOMPARE(generate<SeamlessStarResult>(session, QStringLiteral("x")).errorKind(),
                 ErrorKind::unavailable);
        QCOMPARE(m_server->requestCount(), 1);
    }

    void systemMessageAndResponseFormatPerEntry() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-live"));
        QCOMPARE(AIModelSession::structuredSystemMessage(QStringLiteral("Reply as JSON.")),
                 QStringLiteral("Reply as JSON."));
        QCOMPARE(AIModelSession::structuredSystemMessage(QStringLiteral("Reply as jSoN.")),
                 QStringLiteral("Reply as jSoN."));

        const AIModelSession plainPrompt(QStringLiteral("Be brief."), services());
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("{\"text\":\"Dear…\"}")));
        QCOMPARE(generate<CoverLetter>(plainPrompt, QStringLiteral("letter")).value().text,
                 QStringLiteral("Dear…"));
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("  some skills \n")));
        QCOMPARE(respond(plainPrompt, QStringLiteral("skills")).value(), QStringLiteral("some skills"));
        // An empty answer is an empty text for plain text, decodingFailed for a structure.
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral(" ")));
        QCOMPARE(respond(plainPrompt, QStringLiteral("skills")).value(), QString());
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral(" ")));
        QVERIFY(failsDecoding(generate<CoverLetter>(plainPrompt, QStringLiteral("letter")).errorInfo()));

        const auto requests = m_server->requests();
        const QJsonObject structured = QJsonDocument::fromJson(requests[0].body).object();
        QCOMPARE(structured[QStringLiteral("messages")][0][QStringLiteral("content")].toString(),
                 QStringLiteral("Be brief.\nReturn valid JSON only."));
        QCOMPARE(structured[QStringLiteral("messages")][1][QStringLiteral("content")].toString(),
                 QStringLiteral("letter"));
        QCOMPARE(structured[QStringLiteral("response_format")][QStringLiteral("type")].toString(),
                 QStringLiteral("json_object"));
        const QJsonObject plain = QJsonDocument::fromJson(requests[1].body).object();
        QCOMPARE(plain[QStringLiteral("messages")][0][QStringLiteral("content")].toString(),
                 QStringLiteral("Be brief."));
        QVERIFY(!plain.contains(QStringLiteral("response_format")));

        // On the device, plain text comes as it is, untrimmed.
        m_settings->remove(Settings::openAIAPIKeyKey);
        m_model->enqueue(QStringLiteral("  spaced \n"));
        QCOMPARE(respond(plainPrompt, QStringLiteral("p")).value(), QStringLiteral("  spaced \n"));
        QCOMPARE(m_model->requests().last().schemaName, QString());
    }

    void jsonSpanRule() {
        using Span = std::optional<QString>;
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("Sure! {\"a\":1} Hope it helps.")),
                 Span(QStringLiteral("{\"a\":1}")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("```json\n{\"a\":{\"b\":2}}\n```")),
                 Span(QStringLiteral("{\"a\":{\"b\":2}}")));
        // First opener to last closer, no matching, quotes ignored.
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("{\"a\":1} and {\"b\":\"}\"}")),
                 Span(QStringLiteral("{\"a\":1} and {\"b\":\"}\"}")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("} then {")), Span());
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("} then { [1]")), Span(QStringLiteral("[1]")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("[{\"a\":1}]")), Span(QStringLiteral("{\"a\":1}")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("list: [1, 2]")), Span(QStringLiteral("[1, 2]")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("{}")), Span(QStringLiteral("{}")));
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("no json")), Span());
        QCOMPARE(OpenAIClient::extractJSON(QString()), Span());
        // A brace carrying a combining mark is another character, not a brace.
        QCOMPARE(OpenAIClient::extractJSON(QStringLiteral("{\u0301 {\"a\":1}")),
                 Span(QStringLiteral("{\"a\":1}")));
    }

    void repliesDecodeWholeOrThroughTheirSpan() {
        QCOMPARE(decodeReply<SeamlessStarResult>("{\"paragraph\":\"p\",\"extra\":[1]}").value().paragraph,
                 QStringLiteral("p"));
        QCOMPARE(decodeReply<SeamlessStarResult>("Here you go:\n```json\n{\"paragraph\": \"p\"}\n```")
                     .value()
                     .paragraph,
                 QStringLiteral("p"));
        QCOMPARE(decodeReply<SeamlessStarResult>("[{\"paragraph\":\"one\"}]").value().paragraph,
                 QStringLiteral("one"));
        for (const char* reply : {"{\"paragraph\":\"a\"} {\"paragraph\":\"b\"}", "} {",
                                  "[{\"paragraph\":\"a\"},{\"paragraph\":\"b\"}]", "[\"a\"]", "",
                                  "{\"paragraph\":null}", "{\"paragraph\":3}", "{\"text\":\"wrong type\"}"}) {
            Result<SeamlessStarResult> result = decodeReply<SeamlessStarResult>(reply);
            QVERIFY2(!result.ok() && failsDecoding(result.errorInfo()), reply);
            QCOMPARE(result.error(), QStringLiteral("OpenAI response could not be decoded."));
        }
    }

    void resultTypesDecodeStrictly() {
        const char* analysis = "{\"overallScore\":120,\"missingKeywords\":[\"SQL\"],\"suggestions\":[],"
                               "\"sectionFeedback\":[{\"section\":\"Skills\",\"feedback\":{\"score\":-5,"
                               "\"missingKeywords\":[],\"suggestions\":[\"Add SQL\"]}}]}";
        Result<ATSAnalysis> decoded = decodeReply<ATSAnalysis>(analysis);
        QCOMPARE(decoded->overallScore, 120);
        QCOMPARE(decoded->sectionFeedback.at(0).feedback.score, -5);
        QVERIFY(!decoded->notes);
        QString withNull = QString::fromUtf8(analysis);
        withNull.insert(1, QStringLiteral("\"notes\":null,"));
        QVERIFY(!AIModelSession::decodeOpenAIReply<ATSAnalysis>(withNull)->notes);
        QString withNotes = QString::fromUtf8(analysis);
        withNotes.insert(1, QStringLiteral("\"notes\":[\"n\"],\"overallScore\":3.0,"));
        QCOMPARE(AIModelSession::decodeOpenAIReply<ATSAnalysis>(withNotes)->notes,
                 QStringList{QStringLiteral("n")});

        QString fraction = QString::fromUtf8(analysis).replace(QStringLiteral("120"), QStringLiteral("12.5"));
        QString quoted =
            QString::fromUtf8(analysis).replace(QStringLiteral("120"), QStringLiteral("\"120\""));
        QString noSections = QStringLiteral("{\"overallScore\":1,\"missingKeywords\":[],\"suggestions\":[]}");
        for (const QString& reply : {fraction, quoted, noSections})
            QVERIFY2(failsDecoding(AIModelSession::decodeOpenAIReply<ATSAnalysis>(reply).errorInfo()),
                     qPrintable(reply));

        Result<ATSRewritePayload> payload = decodeReply<ATSRewritePayload>(
            "{\"summary\":\"S\",\"experience\":[],\"skills\":[],\"insertedKeywords\":[],\"fifth\":true}");
        QCOMPARE(payload->summary, QStringLiteral("S"));
        QVERIFY(payload->experience.isEmpty() && payload->skills.isEmpty() &&
                payload->insertedKeywords.isEmpty());
        QVERIFY(failsDecoding(
            decodeReply<ATSRewritePayload>("{\"summary\":\"S\",\"experience\":[],\"skills\":[]}")
                .errorInfo()));
        QVERIFY(failsDecoding(
            decodeReply<ATSRewritePayload>("{\"summary\":\"S\",\"experience\":[{\"role\":\"r\","
                                           "\"company\":\"c\"}],\"skills\":[],\"insertedKeywords\":[]}")
                .errorInfo()));
        QVERIFY(!(ATSRewritePayload::InsertedKeyword{QStringLiteral("SQL"), QStringLiteral("Skills")} ==
                  ATSRewritePayload::InsertedKeyword{QStringLiteral("SQL"), QStringLiteral("Summary")}));
    }

    void localModelServerStandsInForTheDevice() {
        // Unset: no on-device model. Off this machine: refused.
        QVERIFY(!LanguageModel::systemDefault(m_network)->isAvailable());
        qputenv(LanguageModel::localModelURLVariable, "http://192.0.2.7:8080");
        QVERIFY(!LanguageModel::systemDefault(m_network)->isAvailable());

        qputenv(LanguageModel::localModelURLVariable, m_server->baseURL().toUtf8());
        AIServices ai{m_settings.get(), &m_network, LanguageModel::systemDefault(m_network), 5000};
        QVERIFY(ai.onDeviceModel->isAvailable());
        const AIModelSession session(QStringLiteral("You write JSON."), ai);
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\":\"local\"}")));
        Result<SeamlessStarResult> result = generate<SeamlessStarResult>(session, QStringLiteral("rewrite"));
        QCOMPARE(result.value().paragraph, QStringLiteral("local"));
        m_server->enqueue({500, "boom"});
        QCOMPARE(generate<SeamlessStarResult>(session, QStringLiteral("again")).errorKind(),
                 ErrorKind::httpStatus);

        const auto request = m_server->requests().first();
        QCOMPARE(request.path, QByteArray("/v1/chat/completions"));
        QVERIFY(!request.headers.contains("authorization"));
        QCOMPARE(
            request.body,
            QByteArray(
                "{\"model\":\"local\",\"messages\":[{\"role\":\"system\",\"content\":\"You write JSON.\"},"
                "{\"role\":\"user\",\"content\":\"rewrite\"}],\"response_format\":{\"type\":\"json_schema\","
                "\"json_schema\":{\"name\":\"SeamlessStarResult\",\"strict\":true,\"schema\":{\"title\":"
                "\"SeamlessStarResult\",\"type\":\"object\",\"properties\":{\"paragraph\":{\"type\":"
                "\"string\",\"description\":\"One clean, professional resume-ready paragraph in STAR "
                "format with no labels and no invented metrics.\"}},\"required\":[\"paragraph\"],"
                "\"additionalProperties\":false}}}}"));
        // The optional member of the analysis may be null in the schema too.
        QVERIFY(ATSAnalysis::schema()->toJSONSchema().contains(
            "\"notes\":{\"anyOf\":[{\"type\":\"array\",\"items\":{\"type\":\"string\"}},{\"type\":\"null\"}]"
            "}"));
    }

private:
    template <typename T> Result<T> generate(const AIModelSession& session, const QString& prompt) {
        QObject context;
        std::optional<Result<T>> result;
        session.generate<T>(prompt, ResultReceiver(&context, QStringLiteral("test")),
                            [&](Result<T> r) { result = std::move(r); });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
            qFatal("no result");
        return *result;
    }

    Result<QString> respond(const AIModelSession& session, const QString& prompt) {
        QObject context;
        std::optional<Result<QString>> result;
        session.respondText(prompt, ResultReceiver(&context, QStringLiteral("test")),
                            [&](Result<QString> r) { result = std::move(r); });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
            qFatal("no result");
        return *result;
    }
};

QUILLORA_TEST_MAIN(AIModelSessionTest)
#include "test_ai_model_session.moc"
