#include "ai/ats_result_cards.h"
#include "ai/ats_version_section.h"
#include "app/services.h"
#include "controls/glass_capsule_button.h"
#include "controls/opacity_transition.h"
#include "controls/sparkle_button_label.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_context.h"
#include "support/fake_language_model.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QNetworkAccessManager>
#include <QPlainTextEdit>
#include <QTest>
#include <QVariantAnimation>

using namespace quillora;
using quillora::test::FakeLanguageModel;
using quillora::test::LoopbackHttpServer;
using quillora::test::StdoutCapture;

namespace {

const QString sampleAnalysis = QStringLiteral(
    "{\"overallScore\": 72, \"missingKeywords\": [\"Kubernetes\", \"Terraform\"],"
    " \"suggestions\": [\"Name the cloud you deployed to.\", \"Quantify API traffic.\"],"
    " \"sectionFeedback\": ["
    "  {\"section\": \"Summary\", \"feedback\": {\"score\": 85, \"missingKeywords\": [],"
    "   \"suggestions\": []}},"
    "  {\"section\": \"Experience\", \"feedback\": {\"score\": 59, \"missingKeywords\": [\"Go\", \"gRPC\"],"
    "   \"suggestions\": [\"Lead with Go.\", \"Second tip.\", \"Third tip.\"]}}],"
    " \"notes\": [\"Strong backend profile.\"]}");

const QString samplePayload = QStringLiteral(
    "{\"summary\": \"Backend engineer who ships reliable Go services.\","
    " \"experience\": [{\"role\": \"Engineer\", \"company\": \"Globex\", \"details\": \"Built Go APIs.\"}],"
    " \"skills\": [\"Go\", \" Go\", \"SQL\"],"
    " \"insertedKeywords\": [{\"keyword\": \"Go\", \"section\": \"Summary\"},"
    "  {\"keyword\": \"REST APIs\", \"section\": \"Experience\"}]}");

ResumePtr sampleResume() {
    ResumePtr resume = quillora::test::makeEmptyResume(QStringLiteral("Backend"));
    resume->setFullName(QStringLiteral("Ada Park"));
    resume->setSummary(QStringLiteral("Backend engineer who ships reliable services."));
    resume->setExperienceItems({std::make_shared<Experience>(
        QStringLiteral("Engineer"), QStringLiteral("Globex"), QStringLiteral("2020"), QStringLiteral("2024"),
        QStringLiteral("Built APIs."), 0)});
    resume->setIncludeATSVersion(true);
    resume->setAtsJobPosting(QStringLiteral("Go developer, REST APIs"));
    return resume;
}

QJsonObject requestBody(const LoopbackHttpServer::Request& request) {
    return QJsonDocument::fromJson(request.body).object();
}

QString message(const QJsonObject& body, int index) {
    return body.value(QStringLiteral("messages"))
        .toArray()
        .at(index)
        .toObject()
        .value(QStringLiteral("content"))
        .toString();
}

bool shown(const QWidget* widget) {
    return widget && widget->isVisibleTo(widget->window());
}

QStringList chipTexts(const QWidget* card) {
    QStringList texts;
    for (const ATSChip* chip : card->findChildren<ATSChip*>())
        texts.append(chip->text());
    return texts;
}

QStringList labelTexts(const QWidget* widget) {
    QStringList texts;
    for (const QLabel* label : widget->findChildren<QLabel*>())
        if (!qobject_cast<const ATSChip*>(label))
            texts.append(label->text());
    return texts;
}

} // namespace

class ATSVersionSectionTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        m_settings = std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("ats-section.ini")));
        m_settings->remove(Settings::openAIAPIKeyKey);
        m_model = std::make_shared<FakeLanguageModel>();
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
        m_appearance.setLightOverride(true);
    }
    void cleanup() {
        m_server.reset();
        m_settings.reset();
    }

    void toggleBlankPostingAndLabels() {
        ResumePtr resume = sampleResume();
        resume->setIncludeATSVersion(false);
        resume->setAtsJobPosting(QStringLiteral(" \n\t"));
        auto section = makeSection(resume);
        section->show();
        auto* toggle = section->findChild<QCheckBox*>(QStringLiteral("includeATSVersionToggle"));
        QCOMPARE(toggle->text(), QStringLiteral("Create ATS-Optimized Version"));
        QVERIFY(!shown(analyzeButton(*section)));
        QVERIFY(!shown(generateButton(*section)));

        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(resume->includeATSVersion());
        QVERIFY(shown(analyzeButton(*section)));
        QVERIFY(shown(section->findChild<QWidget*>(QStringLiteral("atsJobPostingEditor"))));
        QCOMPARE(section->findChild<QWidget*>(QStringLiteral("atsJobPostingEditor"))->accessibleName(),
                 QStringLiteral("Job posting"));
        // A blank posting: nothing can start, and there is nothing to re-analyse.
        QVERIFY(!section->canAnalyzeATS());
        QVERIFY(!analyzeButton(*section)->isEnabled());
        QVERIFY(!generateButton(*section)->isEnabled());
        QCOMPARE(analyzeButton(*section)->accessibleName(), QStringLiteral("Resume Already Analyzed"));
        QVERIFY(!shown(section->findChild<QLabel*>(QStringLiteral("atsReanalyzeHint"))));
        QVERIFY(!section->findChild<QWidget*>(QStringLiteral("atsInsertedKeywordsCard")));
        QVERIFY(!shown(section->findChild<QLabel*>(QStringLiteral("atsLastGeneratedLabel"))));
        QCOMPARE(generateTitle(*section), QStringLiteral("ATS with Apple AI"));

        // Typing a posting enables both; the key only renames the rewrite button.
        auto* posting = section->findChild<QPlainTextEdit*>(QStringLiteral("atsJobPostingEditor"));
        posting->setFocus();
        posting->moveCursor(QTextCursor::End);
        QTest::keyClicks(posting, QStringLiteral("Go"));
        QCOMPARE(resume->atsJobPosting(), QStringLiteral(" \n\tGo"));
        QVERIFY(analyzeButton(*section)->isEnabled());
        QVERIFY(generateButton(*section)->isEnabled());
        QCOMPARE(analyzeButton(*section)->accessibleName(), QStringLiteral("Analyze Resume ATS"));
        m_settings->setOpenAIAPIKey(QStringLiteral("   "));
        QCOMPARE(generateTitle(*section), QStringLiteral("ATS with Apple AI"));
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-ats"));
        QCOMPARE(generateTitle(*section), QStringLiteral("ATS with OpenAI"));

        // Off again: the rest hides and nothing is reset.
        QTest::mouseClick(toggle, Qt::LeftButton);
        QVERIFY(!resume->includeATSVersion());
        QVERIFY(!shown(analyzeButton(*section)));
        QCOMPARE(resume->atsJobPosting(), QStringLiteral(" \n\tGo"));
    }

    void analysisThroughOpenAIAndTheFingerprint() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-ats"));
        ResumePtr resume = sampleResume();
        auto section = makeSection(resume);
        section->show();
        const QString expectedPrompt = atsAnalysisPrompt(*resume);
        LoopbackHttpServer::Reply reply = LoopbackHttpServer::completion(sampleAnalysis);
        reply.delayMs = 200;
        m_server->enqueue(reply);

        QTest::mouseClick(analyzeButton(*section), Qt::LeftButton);
        // A second press while it runs starts nothing.
        section->analyzeResumeATS();
        QVERIFY(section->isAnalyzingResumeATS());
        QCOMPARE(analyzeButton(*section)->accessibleName(), QStringLiteral("Analyzing…"));
        QVERIFY(!analyzeButton(*section)->isEnabled());
        // The rewrite stays usable meanwhile.
        QVERIFY(generateButton(*section)->isEnabled());
        QTRY_VERIFY(section->atsAnalysis().has_value());
        QTRY_VERIFY(!section->isAnalyzingResumeATS());

        const auto requests = m_server->requests();
        QCOMPARE(requests.size(), 1);
        const QJsonObject body = requestBody(requests[0]);
        QCOMPARE(message(body, 0), ats_prompt::analyzerSystemPrompt);
        QCOMPARE(message(body, 1), expectedPrompt);
        QCOMPARE(
            body.value(QStringLiteral("response_format")).toObject().value(QStringLiteral("type")).toString(),
            QStringLiteral("json_object"));

        QCOMPARE(section->lastATSInputHash(), section->atsInputHash());
        QVERIFY(!section->canAnalyzeATS());
        QCOMPARE(analyzeButton(*section)->accessibleName(), QStringLiteral("Resume Already Analyzed"));
        QVERIFY(!analyzeButton(*section)->isEnabled());
        QVERIFY(shown(section->findChild<QLabel*>(QStringLiteral("atsReanalyzeHint"))));
        QVERIFY(shown(section->findChild<QWidget*>(QStringLiteral("atsAnalysisSummaryCard"))));

        // The card is made anew for another scheme; a text of it that had the focus keeps it.
        section->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(section.get()));
        const auto focusable = [&] {
            QList<QWidget*> stops;
            for (QWidget* widget : section->findChild<QWidget*>(QStringLiteral("atsAnalysisSummaryCard"))
                                       ->findChildren<QWidget*>())
                if (widget->focusPolicy() & Qt::TabFocus)
                    stops << widget;
            return stops;
        };
        QVERIFY(focusable().size() > 3);
        focusable().at(3)->setFocus(Qt::TabFocusReason);
        const QString focusedName = focusable().at(3)->accessibleName();
        m_appearance.setLightOverride(false);
        QTRY_COMPARE(QApplication::focusWidget(), focusable().at(3));
        QCOMPARE(QApplication::focusWidget()->accessibleName(), focusedName);
        m_appearance.setLightOverride(true);
        QTRY_VERIFY(shown(section->findChild<QWidget*>(QStringLiteral("atsAnalysisSummaryCard"))));

        // The same input again: skipped with its line, nothing sent, nothing changed.
        StdoutCapture capture;
        section->analyzeResumeATS();
        const QStringList lines = capture.lines();
        QCOMPARE(lines, QStringList{QStringLiteral("ℹ️ ATS analysis skipped — content unchanged")});
        QCOMPARE(m_server->requestCount(), 1);
        QVERIFY(section->atsAnalysis().has_value());

        // Blank ends of the posting do not count; a new character does, and the card stays.
        resume->setAtsJobPosting(QStringLiteral("\n Go developer, REST APIs  "));
        QVERIFY(!section->canAnalyzeATS());
        resume->setAtsJobPosting(QStringLiteral("Go developer, REST APIs!"));
        QVERIFY(section->canAnalyzeATS());
        QCOMPARE(analyzeButton(*section)->accessibleName(), QStringLiteral("Analyze Resume ATS"));
        QVERIFY(!shown(section->findChild<QLabel*>(QStringLiteral("atsReanalyzeHint"))));
        QVERIFY(shown(section->findChild<QWidget*>(QStringLiteral("atsAnalysisSummaryCard"))));
        // So does an edit of an experience entry.
        resume->setAtsJobPosting(QStringLiteral("Go developer, REST APIs"));
        QVERIFY(!section->canAnalyzeATS());
        resume->experienceItems().first()->setDetails(QStringLiteral("Built REST APIs."));
        QVERIFY(section->canAnalyzeATS());
        QVERIFY(analyzeButton(*section)->isEnabled());
    }

    void analysisCardShowsTheSample() {
        const Result<ATSAnalysis> analysis = AIModelSession::decodeOpenAIReply<ATSAnalysis>(sampleAnalysis);
        QVERIFY(analysis.ok());
        ATSAnalysisSummaryCard card(analysis.value(), true);
        QCOMPARE(card.objectName(), QStringLiteral("atsAnalysisSummaryCard"));
        auto* score = card.findChild<ATSValueLabel*>(QStringLiteral("overallATSScoreLabel"));
        QCOMPARE(score->text(), QStringLiteral("72%"));
        QCOMPARE(score->accessibleName(), QStringLiteral("Resume ATS score"));
        QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(score);
        QCOMPARE(accessible->text(QAccessible::Value), QStringLiteral("72 percent"));
        // A screen reader reads a text by its name alone: the value is heard with it.
        QCOMPARE(accessible->text(QAccessible::Name), QStringLiteral("Resume ATS score, 72 percent"));
        // The card's title is a heading; a keyword group and a bullet row are one element each, the
        // bullet never read.
        QAccessibleInterface* cardReader = QAccessible::queryAccessibleInterface(&card);
        QStringList read;
        for (int i = 0; i < cardReader->childCount(); ++i) {
            QAccessibleInterface* child = cardReader->child(i);
            read << child->text(QAccessible::Name) +
                        (child->role() == QAccessible::Heading ? u" (heading)"_qs : u""_qs);
            for (int j = 0; j < child->childCount(); ++j)
                read << u"  "_qs + child->child(j)->text(QAccessible::Name);
        }
        QVERIFY2(read.startsWith(u"Resume ATS Score (heading)"_qs), qPrintable(read.join(u'|')));
        QVERIFY2(read.contains(u"Missing Keywords: Kubernetes, Terraform"_qs), qPrintable(read.join(u'|')));
        QVERIFY2(read.contains(u"  Name the cloud you deployed to."_qs), qPrintable(read.join(u'|')));
        QVERIFY2(!read.join(u'|').contains(u"•"_qs), qPrintable(read.join(u'|')));

        QWidget* missing = card.findChild<QWidget*>(QStringLiteral("atsMissingKeywords"));
        QCOMPARE(missing->accessibleName(), QStringLiteral("Missing Keywords: Kubernetes, Terraform"));
        QCOMPARE(chipTexts(missing),
                 QStringList({QStringLiteral("Kubernetes"), QStringLiteral("Terraform")}));
        QCOMPARE(missing->findChild<ATSChip*>()->tint(), ats_cards::missingKeywordTint());

        QWidget* suggestions = card.findChild<QWidget*>(QStringLiteral("atsSuggestions"));
        QCOMPARE(labelTexts(suggestions),
                 QStringList({QStringLiteral("Suggestions"), QStringLiteral("•"),
                              QStringLiteral("Name the cloud you deployed to."), QStringLiteral("•"),
                              QStringLiteral("Quantify API traffic.")}));

        const QList<QWidget*> rows = card.findChildren<QWidget*>(QStringLiteral("atsSectionFeedbackRow"));
        QCOMPARE(rows.size(), 2);
        QCOMPARE(labelTexts(rows[0]), QStringList({QStringLiteral("Summary"), QStringLiteral("85%")}));
        QCOMPARE(labelTexts(rows[1]),
                 QStringList({QStringLiteral("Experience"), QStringLiteral("59%"),
                              QStringLiteral("Missing: Go, gRPC"), QStringLiteral("Tip: Lead with Go.")}));
        QVERIFY(labelTexts(card.findChild<QWidget*>(QStringLiteral("atsSectionBreakdown")))
                    .startsWith(QStringLiteral("Section Breakdown")));
        QCOMPARE(labelTexts(card.findChild<QWidget*>(QStringLiteral("atsNotes"))),
                 QStringList({QStringLiteral("Notes"), QStringLiteral("•"),
                              QStringLiteral("Strong backend profile.")}));

        // Only the score row for empty lists; present but empty notes show no list.
        ATSAnalysis bare;
        bare.overallScore = -5;
        bare.notes = QStringList();
        ATSAnalysisSummaryCard bareCard(bare, false);
        QCOMPARE(bareCard.findChild<QLabel*>(QStringLiteral("overallATSScoreLabel"))->text(),
                 QStringLiteral("-5%"));
        for (const char* group : {"atsMissingKeywords", "atsSuggestions", "atsSectionBreakdown", "atsNotes"})
            QVERIFY(!bareCard.findChild<QWidget*>(QLatin1StringView(group)));

        // Score colours, the same in both schemes; the frame follows the scheme.
        QCOMPARE(ats_cards::scoreColor(80), ats_cards::scoreColor(150));
        QCOMPARE(ats_cards::scoreColor(79), ats_cards::scoreColor(60));
        QCOMPARE(ats_cards::scoreColor(59), ats_cards::scoreColor(-5));
        QVERIFY(ats_cards::scoreColor(80) != ats_cards::scoreColor(79));
        QVERIFY(ats_cards::scoreColor(60) != ats_cards::scoreColor(59));
        QCOMPARE(ats_cards::scoreColor(85).name(), QStringLiteral("#34c759"));
        QCOMPARE(ats_cards::scoreColor(59).name(), QStringLiteral("#ff3b30"));
        QVERIFY(ATSCardFrame::fill(true) != ATSCardFrame::fill(false));
        QCOMPARE(ats_cards::insertedKeywordTint(true).name(), QStringLiteral("#2239d1"));
        QCOMPARE(ats_cards::insertedKeywordTint(false).name(), QStringLiteral("#22d3ee"));
    }

    void failureTextsShowWhereTheyBelong() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-ats"));
        ResumePtr resume = sampleResume();
        auto section = makeSection(resume);
        section->show();
        auto* analysisError = section->findChild<QLabel*>(QStringLiteral("atsAnalysisErrorLabel"));

        const QList<std::pair<LoopbackHttpServer::Reply, QString>> cases{
            {{401, "{\"error\":{\"message\":\"Incorrect API key\"}}"},
             QStringLiteral("OpenAI request failed. Check your API key and network connection.")},
            {LoopbackHttpServer::completion(QStringLiteral("Sorry, no JSON today.")),
             QStringLiteral("OpenAI response could not be decoded. Please try again.")},
            {LoopbackHttpServer::completion(QStringLiteral("{\"overallScore\": 1.5, \"missingKeywords\": [],"
                                                           " \"suggestions\": [], \"sectionFeedback\": []}")),
             QStringLiteral("OpenAI response could not be decoded. Please try again.")},
            {{200, "{\"choices\":[]}"},
             QStringLiteral("OpenAI returned an empty response. Please try again.")},
        };
        for (const auto& [reply, text] : cases) {
            m_server->enqueue(reply);
            StdoutCapture capture;
            section->analyzeResumeATS();
            QTRY_VERIFY(section->atsAnalysisError().has_value());
            QTRY_VERIFY(!section->isAnalyzingResumeATS());
            const QStringList lines = capture.lines();
            QCOMPARE(*section->atsAnalysisError(), text);
            QVERIFY(shown(analysisError));
            QCOMPARE(analysisError->text(), text);
            QVERIFY(!section->lastATSInputHash());
            QCOMPARE(lines.filter(QStringLiteral("❌ ATS analysis failed: ")).size(), 1);
            // The server's own words are never shown.
            QVERIFY(!analysisError->text().contains(QStringLiteral("Incorrect")));
        }

        // The on-device route: any failure reads the generic text, for the rewrite too.
        m_settings->remove(Settings::openAIAPIKeyKey);
        m_model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("model missing"), 0, {}});
        section->analyzeResumeATS();
        QTRY_COMPARE(section->atsAnalysisError().value_or(QString()),
                     QStringLiteral("ATS analysis failed. Please try again."));
        const QString summary = resume->summary();
        m_model->enqueue(QStringLiteral("{\"summary\": \"x\"}"));
        StdoutCapture capture;
        QTest::mouseClick(generateButton(*section), Qt::LeftButton);
        QTRY_VERIFY(!section->isGeneratingATSVersion());
        const QStringList lines = capture.lines();
        QCOMPARE(section->atsRewriteError().value_or(QString()),
                 QStringLiteral("ATS analysis failed. Please try again."));
        QCOMPARE(lines.filter(QStringLiteral("❌ ATS generation failed: ")).size(), 1);
        auto* rewriteError = section->findChild<QLabel*>(QStringLiteral("atsRewriteErrorLabel"));
        QVERIFY(shown(rewriteError));
        QVERIFY(shown(analysisError));
        // Nothing of the résumé changed.
        QCOMPARE(resume->summary(), summary);
        QVERIFY(!resume->atsLastGenerated());
        QVERIFY(!resume->atsInsertedKeywords());
        QCOMPARE(resume->experienceItems().first()->details(), QStringLiteral("Built APIs."));
    }

    void lastGeneratedDateInTheLocalesAbbreviatedForm() {
        const QDate date(2026, 12, 7);
        QCOMPARE(abbreviatedDateText(date, QLocale(QLocale::English, QLocale::UnitedStates)),
                 QStringLiteral("Dec 7, 2026"));
        QCOMPARE(abbreviatedDateText(date, QLocale(QLocale::English, QLocale::UnitedKingdom)),
                 QStringLiteral("7 Dec 2026"));
        QCOMPARE(abbreviatedDateText(date, QLocale(QLocale::German, QLocale::Germany)),
                 QStringLiteral("7. Dez. 2026"));
        QCOMPARE(abbreviatedDateText(date, QLocale(QLocale::French, QLocale::France)),
                 QStringLiteral("7 déc. 2026"));

        const QLocale before;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        ResumePtr resume = sampleResume();
        resume->setAtsLastGenerated(QDateTime(date, QTime(15, 4)));
        auto section = makeSection(resume);
        QLocale::setDefault(before);
        auto* label = section->findChild<QLabel*>(QStringLiteral("atsLastGeneratedLabel"));
        QCOMPARE(label->text(), QStringLiteral("ATS optimized 7. Dez. 2026, 15:04"));
        // What a screen reader hears: the complete date and the short time, joined as the locale
        // joins them.
        QCOMPARE(static_cast<ATSValueLabel*>(label)->accessibilityValue(),
                 QStringLiteral("Montag, 7. Dezember 2026 15:04"));
    }

    void lastGeneratedLabelAndGenerateButtonFade() {
        for (const bool reduceMotion : {false, true}) {
            m_appearance.setReduceMotionOverride(reduceMotion);
            ResumePtr resume = sampleResume();
            auto section = makeSection(resume);
            section->show();
            auto* label = section->findChild<QLabel*>(QStringLiteral("atsLastGeneratedLabel"));
            const QVariantAnimation& fade = section->lastGeneratedTransition().animation();
            QVERIFY(!shown(label));

            // Set: shown at once, fading in over 0.2 s (ease-in-out) unless motion is reduced.
            resume->setAtsLastGenerated(QDateTime::currentDateTime());
            QVERIFY(shown(label));
            QCOMPARE(fade.state() == QAbstractAnimation::Running, !reduceMotion);
            if (!reduceMotion) {
                QCOMPARE(fade.duration(), 200);
                QCOMPARE(fade.easingCurve().type(), QEasingCurve::InOutQuad);
                QCOMPARE(fade.endValue().toReal(), 1.0);
            }
            QTRY_COMPARE(section->lastGeneratedTransition().opacity(), 1.0);

            // Cleared: fades out, then goes.
            resume->setAtsLastGenerated(std::nullopt);
            QCOMPARE(shown(label), !reduceMotion);
            QTRY_VERIFY(!shown(label));

            // The generate button changes with a 0.2 s ease-in-out fade as the rewrite starts.
            const QVariantAnimation& change = section->generateTransition().animation();
            m_model->enqueue(samplePayload);
            section->generateATSVersion();
            QVERIFY(section->isGeneratingATSVersion());
            QCOMPARE(change.state() == QAbstractAnimation::Running, !reduceMotion);
            QCOMPARE(change.duration(), 200);
            QCOMPARE(change.easingCurve().type(), QEasingCurve::InOutQuad);
            QTRY_VERIFY(!section->isGeneratingATSVersion());
            QTRY_COMPARE(section->generateTransition().opacity(), 1.0);
        }
        m_appearance.setReduceMotionOverride(std::nullopt);
    }

    void analyzeButtonTitleAndIconFadeWithThePanel() {
        const QColor primary = schemeColors::primaryLabel(true);
        const QColor secondary = schemeColors::secondaryLabel(true);
        for (const bool reduceMotion : {false, true}) {
            m_appearance.setReduceMotionOverride(reduceMotion);
            ResumePtr resume = sampleResume();
            auto section = makeSection(resume);
            section->show();
            QVERIFY(QTest::qWaitForWindowExposed(section.get()));
            QCOMPARE(section->analyzeTitleColor(), primary);
            QCOMPARE(section->analyzeIconColor(), accentColor(true));

            // A blank posting: panel, title and icon go to the resting look together.
            resume->setAtsJobPosting(QStringLiteral(" "));
            const QVariantAnimation& fade = section->analyzeFade();
            QCOMPARE(fade.state() == QAbstractAnimation::Running, !reduceMotion);
            QCOMPARE(fade.duration(), 200);
            QCOMPARE(fade.easingCurve().type(), QEasingCurve::InOutQuad);
            if (!reduceMotion)
                QVERIFY(section->analyzeTitleColor() != secondary);
            QTRY_COMPARE(section->analyzeTitleColor(), secondary);
            QCOMPARE(section->analyzeIconColor(), secondary);
        }
        m_appearance.setReduceMotionOverride(std::nullopt);
    }

    void rewriteOnDeviceAppliesAndShowsKeywords() {
        ResumePtr resume = sampleResume();
        resume->setIncludeATSVersion(false);
        auto section = makeSection(resume);
        section->show();
        // Switched on by the rewrite itself; pressed through the action while the card is closed.
        const QString expectedPrompt = makeATSRewriteRequest(*resume).prompt;
        m_model->enqueue(samplePayload);
        section->generateATSVersion();
        section->generateATSVersion();
        QVERIFY(section->isGeneratingATSVersion());
        QCOMPARE(generateTitle(*section), QStringLiteral("Creating…"));
        QTRY_VERIFY(!section->isGeneratingATSVersion());

        const auto requests = m_model->requests();
        QCOMPARE(requests.size(), 1);
        QCOMPARE(requests[0].instructions, ats_prompt::rewriteSystemPrompt);
        QCOMPARE(requests[0].prompt, expectedPrompt);
        QCOMPARE(requests[0].schemaName, QStringLiteral("ATSRewritePayload"));

        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships reliable Go services."));
        QCOMPARE(resume->experienceItems().first()->details(), QStringLiteral("Built Go APIs."));
        QCOMPARE(resume->appliedSkills(), QStringList({QStringLiteral("Go"), QStringLiteral("SQL")}));
        QVERIFY(resume->includeSkills());
        QVERIFY(resume->includeATSVersion());
        QVERIFY(resume->atsLastGenerated().has_value());
        QVERIFY(resume->atsGeneratedText().contains(QStringLiteral("• SQL")));

        QVERIFY(shown(analyzeButton(*section)));
        auto* card = section->findChild<ATSInsertedKeywordsCard*>(QStringLiteral("atsInsertedKeywordsCard"));
        QVERIFY(shown(card));
        QCOMPARE(chipTexts(card),
                 QStringList({QStringLiteral("Go (Summary)"), QStringLiteral("REST APIs (Experience)")}));
        QCOMPARE(card->findChild<QWidget*>(QStringLiteral("atsInsertedKeywordChips"))->accessibleName(),
                 QStringLiteral("Inserted keywords: Go (Summary), REST APIs (Experience)"));
        QVERIFY(labelTexts(card).contains(
            QStringLiteral("These are the ATS terms the rewrite says it added or made more explicit.")));
        auto* generated = section->findChild<QLabel*>(QStringLiteral("atsLastGeneratedLabel"));
        QVERIFY(shown(generated));
        QVERIFY(generated->text().startsWith(QStringLiteral("ATS optimized ")));
        QCOMPARE(generated->accessibleName(), QStringLiteral("ATS version last generated"));

        // An answer without inserted keywords clears the list and the card.
        m_model->enqueue(QStringLiteral(
            "{\"summary\": \"\", \"experience\": [], \"skills\": [], \"insertedKeywords\": []}"));
        section->generateATSVersion();
        QTRY_VERIFY(!section->isGeneratingATSVersion());
        QCOMPARE(resume->atsInsertedKeywords(), QStringList());
        QVERIFY(!section->findChild<QWidget*>(QStringLiteral("atsInsertedKeywordsCard")));
        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships reliable Go services."));
    }

    void rewriteThroughOpenAISendsItsPrompts() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-ats"));
        ResumePtr resume = sampleResume();
        auto section = makeSection(resume);
        const QString expectedPrompt = makeATSRewriteRequest(*resume).prompt;
        m_server->enqueue(LoopbackHttpServer::completion(QStringLiteral("```json\n") + samplePayload +
                                                         QStringLiteral("\n```")));
        section->generateATSVersion();
        QTRY_VERIFY(!section->isGeneratingATSVersion());
        QVERIFY(!section->atsRewriteError());
        const QJsonObject body = requestBody(m_server->requests().at(0));
        QCOMPARE(message(body, 0), ats_prompt::rewriteSystemPrompt);
        QCOMPARE(message(body, 1), expectedPrompt);
        QCOMPARE(resume->experienceItems().first()->details(), QStringLiteral("Built Go APIs."));
    }

    void lateResultsReachTheResumeUnlessItIsDeleted() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-ats"));
        ResumePtr resume = sampleResume();
        LoopbackHttpServer::Reply slow = LoopbackHttpServer::completion(samplePayload);
        slow.delayMs = 300;

        // The editor closed: the rewrite is still written into the résumé.
        {
            m_server->enqueue(slow);
            auto section = makeSection(resume);
            section->generateATSVersion();
            section.reset();
            QTRY_VERIFY(resume->atsLastGenerated().has_value());
        }
        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships reliable Go services."));
        const QString summary = resume->summary();
        const QDateTime generated = *resume->atsLastGenerated();

        // The résumé was deleted while the rewrite ran.
        std::unique_ptr<Services> services =
            Services::forTesting(QDir::temp().filePath(QStringLiteral("ats-services.ini")));
        services->context().insert(resume);
        m_server->enqueue(slow);
        auto section = makeSection(resume);
        section->generateATSVersion();
        services->context().deleteRecord(resume);
        StdoutCapture capture;
        QTRY_VERIFY(capture.linesSoFar().contains(
            QStringLiteral("⏭️ ATS rewrite result dropped: its résumé was deleted")));
        QCOMPARE(resume->summary(), summary);
        QCOMPARE(resume->atsLastGenerated(), std::optional(generated));
    }

private:
    std::unique_ptr<ATSVersionSection> makeSection(const ResumePtr& resume) {
        AIServices ai{m_settings.get(), &m_network, m_model, 5000};
        auto section = std::make_unique<ATSVersionSection>(resume, ai, m_appearance);
        section->resize(520, 900);
        return section;
    }
    static QPushButton* analyzeButton(const ATSVersionSection& section) {
        return section.findChild<QPushButton*>(QStringLiteral("analyzeATSButton"));
    }
    static QPushButton* generateButton(const ATSVersionSection& section) {
        return section.findChild<QPushButton*>(QStringLiteral("generateATSButton"));
    }
    static QString generateTitle(const ATSVersionSection& section) {
        return generateButton(section)->findChild<SparkleButtonLabel*>()->title();
    }

    std::unique_ptr<Settings> m_settings;
    std::shared_ptr<FakeLanguageModel> m_model;
    std::unique_ptr<LoopbackHttpServer> m_server;
    QNetworkAccessManager m_network;
    Appearance m_appearance;
};

QUILLORA_TEST_MAIN(ATSVersionSectionTest)
#include "test_ats_version_section.moc"
