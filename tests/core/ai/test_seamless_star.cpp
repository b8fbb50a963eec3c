#include "ai/resume_ai_view_model.h"
#include "ai/seamless_star_formatter.h"
#include "support/ai_backends_fixture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;
using quillora::test::AIBackendsFixture;
using quillora::test::LoopbackHttpServer;

namespace {

QString answer(const QString& paragraph) {
    return QStringLiteral("{\"paragraph\":\"") + paragraph + QStringLiteral("\"}");
}

const QString threeSentences = QStringLiteral("Joined the team. Owned the build. Cut its time.");

} // namespace

class SeamlessStarTest : public QObject, private AIBackendsFixture {
    Q_OBJECT

private slots:
    void init() { initAIBackends(QStringLiteral("star.ini")); }
    void cleanup() { cleanupAIBackends(); }

    void promptsAreExact() {
        QCOMPARE(star_prompt::systemPrompt.toUtf8().size(), 952);
        QCOMPARE(star_prompt::systemPrompt.count(u'\n'), 18);
        QCOMPARE(star_prompt::summaryInstruction.toUtf8().size(), 148);
        QCOMPARE(star_prompt::experienceInstruction.toUtf8().size(), 360);
        QCOMPARE(star_prompt::rulesBlock.toUtf8().size(), 380);
        QCOMPARE(star_prompt::retryInstruction.toUtf8().size(), 230);
        QCOMPARE(star_prompt::summarySeparator.toUtf8().size(), 35);
        QCOMPARE(star_prompt::contextSeparator.toUtf8().size(), 37);

        // No sources: both headings still there, each followed by two triple quotes.
        const QString empty =
            SeamlessStarFormatterService::firstPrompt({}, {}, {}, SeamlessStarMode::experience);
        QVERIFY(empty.startsWith(star_prompt::experienceInstruction + QStringLiteral("\nIMPORTANT:\n")));
        QVERIFY(empty.endsWith(
            QStringLiteral("ORIGINAL TEXT:\n\"\"\"\"\"\"\nUSER SUMMARY (if provided):\n\"\"\"\"\"\"\n"
                           "RESUME CONTEXT (if provided):\n\"\"\"\"\"\"")));
        QCOMPARE(SeamlessStarFormatterService::firstPrompt(QStringLiteral("T"), QStringLiteral("S"),
                                                           QStringLiteral("R"), SeamlessStarMode::summary),
                 star_prompt::summaryInstruction + star_prompt::rulesBlock + QStringLiteral("T") +
                     star_prompt::summarySeparator + QStringLiteral("S") + star_prompt::contextSeparator +
                     QStringLiteral("R\"\"\""));
        QCOMPARE(SeamlessStarFormatterService::retryPrompt(QStringLiteral("T"), {}, QStringLiteral("R")),
                 star_prompt::retryInstruction + QStringLiteral("T") + star_prompt::summarySeparator +
                     star_prompt::contextSeparator + QStringLiteral("R\"\"\""));
    }

    void sentencesAndNormalForm() {
        QCOMPARE(starSentenceSplit(QStringLiteral("Raised it 3.5 times. Done.")), 3);
        QCOMPARE(starSentenceSplit(QStringLiteral("Really?! Yes.")), 2);
        QCOMPARE(starSentenceSplit(QStringLiteral("...")), 0);
        QCOMPARE(starSentenceSplit(QStringLiteral("no stop at all")), 1);
        QCOMPARE(starSentenceSplit(QStringLiteral(" \n")), 0);
        QCOMPARE(starNormalize(QStringLiteral("  Led\tTHE\n\n team ")), QStringLiteral("led the team"));
    }

    void experienceRetriesOnceSummaryNever() {
        const SeamlessStarFormatterService formatter(AIModelSession(star_prompt::systemPrompt, services()));

        // Two sentences: one retry, whose answer is returned even though it is short too.
        m_model->enqueue(answer(QStringLiteral("One. Two.")));
        m_model->enqueue(answer(QStringLiteral("Still short.")));
        QCOMPARE(format(formatter, QStringLiteral("did things"), SeamlessStarMode::experience).value(),
                 QStringLiteral("Still short."));
        QCOMPARE(m_model->requests().size(), 2);
        QCOMPARE(m_model->requests()[1].prompt,
                 SeamlessStarFormatterService::retryPrompt(QStringLiteral("did things"), {}, {}));

        // The input again, differing only in case and spacing: a retry although it has three sentences.
        m_model->enqueue(answer(QStringLiteral("  WE shipped.  It worked. Users   smiled. ")));
        m_model->enqueue(answer(threeSentences));
        QCOMPARE(format(formatter, QStringLiteral("We shipped. It worked.\nUsers smiled."),
                        SeamlessStarMode::experience)
                     .value(),
                 threeSentences);
        QCOMPARE(m_model->requests().size(), 4);

        // Good enough at once: no retry, returned untrimmed.
        m_model->enqueue(answer(QStringLiteral(" ") + threeSentences));
        QCOMPARE(format(formatter, QStringLiteral("x"), SeamlessStarMode::experience).value(),
                 QStringLiteral(" ") + threeSentences);
        QCOMPARE(m_model->requests().size(), 5);

        // Summary mode never retries, even on an empty answer.
        m_model->enqueue(answer(QString()));
        QCOMPARE(format(formatter, QStringLiteral("x"), SeamlessStarMode::summary).value(), QString());
        QCOMPARE(m_model->requests().size(), 6);

        // An error ends the call: none after the first; after the retry the first answer is lost.
        m_model->enqueue(Error{ErrorKind::general, QStringLiteral("first failed"), 0, {}});
        QCOMPARE(format(formatter, QStringLiteral("x"), SeamlessStarMode::experience).error(),
                 QStringLiteral("first failed"));
        QCOMPARE(m_model->requests().size(), 7);
        m_model->enqueue(answer(QStringLiteral("Short.")));
        m_model->enqueue(Error{ErrorKind::general, QStringLiteral("retry failed"), 0, {}});
        QCOMPARE(format(formatter, QStringLiteral("x"), SeamlessStarMode::experience).error(),
                 QStringLiteral("retry failed"));
        QCOMPARE(m_model->requests().size(), 9);
    }

    void numberScrub() {
        const auto scrub = &ResumeAIViewModel::scrubUnsupportedNumbers;
        QCOMPARE(scrub(QStringLiteral("Grew sales 35% and cut costs by 12 percent ."),
                       QStringLiteral("Grew sales")),
                 QStringLiteral("Grew sales and cut costs by."));
        QCOMPARE(scrub(QStringLiteral("Saved 2.5 hours , daily"), QStringLiteral("saved time")),
                 QStringLiteral("Saved hours, daily"));
        QCOMPARE(scrub(QStringLiteral("A PERCENTAGE of 40 users"), QStringLiteral("users")),
                 QStringLiteral("A of users"));
        // Any digit in the source keeps every number.
        QCOMPARE(scrub(QStringLiteral("Grew sales 35%"), QStringLiteral("Grew sales in Q3")),
                 QStringLiteral("Grew sales 35%"));
        QCOMPARE(scrub(QStringLiteral("Led twenty people"), QStringLiteral("led people")),
                 QStringLiteral("Led twenty people"));
    }

    void viewModelOutcomesAndMessages() {
        ResumeAIViewModel viewModel(services());
        QCOMPARE(viewModel.backend(), AIBackend::appleOnDevice);
        QSignalSpy busy(&viewModel, &ResumeAIViewModel::busyChanged);

        // Blank text and no résumé context: a message, no request, busy untouched.
        refine(viewModel, QStringLiteral(" \n "), std::nullopt, SeamlessStarMode::experience);
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(QStringLiteral("Please enter some experience text first.")));
        QVERIFY(busy.isEmpty());
        QVERIFY(m_model->requests().isEmpty());

        // An empty answer (twice: experience mode asks again): the empty-response message.
        m_model->enqueue(answer(QStringLiteral(" ")));
        m_model->enqueue(answer(QStringLiteral("\\n")));
        QCOMPARE(refine(viewModel, QStringLiteral("Fixed bugs."), std::nullopt, SeamlessStarMode::experience),
                 QString());
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(
                     QStringLiteral("Apple Intelligence returned an empty response. Please try again.")));
        QCOMPARE(busy.count(), 2);

        // Experience answer equal to the input: flagged, still published (scrubbed).
        m_model->enqueue(answer(QStringLiteral("Fixed bugs. Wrote docs. Helped users.")));
        m_model->enqueue(answer(QStringLiteral(" Fixed bugs. Wrote docs. Helped users. ")));
        QCOMPARE(refine(viewModel, QStringLiteral("Fixed bugs. Wrote docs. Helped users."), std::nullopt,
                        SeamlessStarMode::experience),
                 QStringLiteral("Fixed bugs. Wrote docs. Helped users."));
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(QStringLiteral(
                     "Apple Intelligence returned the original text. Add detail or try again.")));

        // Summary mode publishes the same answer without a message.
        m_model->enqueue(answer(QStringLiteral("Same text.")));
        QCOMPARE(refine(viewModel, QStringLiteral("Same text."), std::nullopt, SeamlessStarMode::summary),
                 QStringLiteral("Same text."));
        QVERIFY(!viewModel.errorMessage());

        // A second call while busy changes nothing and sends nothing.
        const int sent = m_model->requests().size();
        m_model->enqueue(answer(threeSentences));
        QString first;
        QString second = QStringLiteral("unset");
        viewModel.refine(QStringLiteral("a"), {}, {}, SeamlessStarMode::summary,
                         [&](const QString& p) { first = p; });
        viewModel.refine(QStringLiteral("b"), {}, {}, SeamlessStarMode::summary,
                         [&](const QString& p) { second = p; });
        QCOMPARE(second, QString());
        QTRY_COMPARE(first, threeSentences);
        QCOMPARE(m_model->requests().size(), sent + 1);

        // The on-device route shows one message for any error.
        m_model->enqueue(Error{ErrorKind::network, QStringLiteral("x"), 0, {}});
        refine(viewModel, QStringLiteral("text"), std::nullopt, SeamlessStarMode::summary);
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(QStringLiteral("Apple Intelligence failed. Please try again.")));
        QCOMPARE(viewModel.refinedText(), QString());

        // No key and no model: unavailable, nothing sent.
        m_model->available = false;
        refine(viewModel, QStringLiteral("text"), std::nullopt, SeamlessStarMode::summary);
        QCOMPARE(viewModel.backend(), AIBackend::unavailable);
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(QStringLiteral("Apple Intelligence is unavailable on this device.")));
        QVERIFY(!viewModel.isBusy());

        // A key wins over any model; the service's rejection gets the OpenAI text.
        m_model->available = true;
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-star"));
        m_server->enqueue({429, "{\"error\":\"rate limited\"}"});
        refine(viewModel, QStringLiteral("text"), std::nullopt, SeamlessStarMode::summary);
        QCOMPARE(viewModel.backend(), AIBackend::openAI);
        QCOMPARE(viewModel.errorMessage(),
                 std::optional<QString>(
                     QStringLiteral("OpenAI request failed. Check your API key and network connection.")));
        m_server->enqueue(LoopbackHttpServer::completion(answer(QStringLiteral("  "))));
        refine(viewModel, QStringLiteral("text"), std::nullopt, SeamlessStarMode::summary);
        QCOMPARE(viewModel.errorMessage(), std::optional<QString>(QStringLiteral(
                                               "OpenAI returned an empty response. Please try again.")));
        // A blank text with a résumé context is sent, untrimmed.
        m_server->enqueue(LoopbackHttpServer::completion(answer(QStringLiteral("From the résumé."))));
        QCOMPARE(refine(viewModel, QStringLiteral("  "), QStringLiteral("RESUME"), SeamlessStarMode::summary),
                 QStringLiteral("From the résumé."));
        QVERIFY(m_server->requests().last().body.contains("ORIGINAL TEXT:\\n\\\"\\\"\\\"  \\\"\\\"\\\""));
    }

private:
    Result<QString> format(const SeamlessStarFormatterService& formatter, const QString& text,
                           SeamlessStarMode mode) {
        QObject context;
        std::optional<Result<QString>> result;
        formatter.starFormat(text, std::nullopt, std::nullopt, mode,
                             ResultReceiver(&context, QStringLiteral("test")),
                             [&](Result<QString> r) { result = std::move(r); });
        if (!QTest::qWaitFor([&] { return result.has_value(); }, 20000))
            qFatal("no result");
        return *result;
    }

    QString refine(ResumeAIViewModel& viewModel, const QString& text,
                   const std::optional<QString>& resumeContext, SeamlessStarMode mode) {
        std::optional<QString> produced;
        viewModel.refine(text, std::nullopt, resumeContext, mode, [&](const QString& p) { produced = p; });
        if (!QTest::qWaitFor([&] { return produced.has_value(); }, 20000))
            qFatal("refinement did not end");
        return *produced;
    }
};

QUILLORA_TEST_MAIN(SeamlessStarTest)
#include "test_seamless_star.moc"
