#include "ai/ai_model_session.h"
#include "ai/ats_analysis.h"
#include "ai/ats_tools.h"
#include "ai/openai_client.h"
#include "model/resume_operations.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QTest>

using namespace quillora;
using quillora::test::makeEmptyResume;
using quillora::test::printedBy;

namespace {

QString words(int count, const QString& word = QStringLiteral("word")) {
    QStringList list;
    for (int i = 0; i < count; ++i)
        list.append(word);
    return list.join(QLatin1Char(' '));
}

ExperiencePtr entry(const QString& role, const QString& company, const QString& details, qint64 order) {
    return std::make_shared<Experience>(role, company, QStringLiteral("2020"), QStringLiteral("2024"),
                                        details, order);
}

// A résumé with two experience entries (stored out of order), one education entry and skills.
ResumePtr sampleResume() {
    ResumePtr resume = makeEmptyResume(QStringLiteral("Title"));
    resume->setFullName(QStringLiteral("Ada Park"));
    resume->setContactInfo(QStringLiteral("ada@example.com"));
    resume->setSummary(QStringLiteral("Backend engineer who ships reliable services."));
    resume->setExperienceItems(
        {entry(QStringLiteral("Engineer"), QStringLiteral("Globex"), QStringLiteral("Built APIs."), 1),
         entry(QStringLiteral("Intern"), QStringLiteral("Initech"), QStringLiteral("Fixed bugs."), 0)});
    resume->setEducationItems({std::make_shared<Education>(QStringLiteral("State U"), QStringLiteral("BSc"),
                                                           QStringLiteral("2019"), 0)});
    resume->setAppliedSkills(
        {QStringLiteral(" Go "), QString(), QStringLiteral("\n"), QStringLiteral("SQL")});
    resume->setIncludeSkills(true);
    resume->setAtsJobPosting(QStringLiteral("\nGo developer\n"));
    return resume;
}

} // namespace

class ATSToolsTest : public QObject {
    Q_OBJECT

private slots:
    void systemPromptsAreTheToolsOwn() {
        QCOMPARE(ats_prompt::analyzerSystemPrompt.toUtf8().size(), 1017);
        QCOMPARE(ats_prompt::analyzerSystemPrompt.size(), 1011);
        QVERIFY(ats_prompt::analyzerSystemPrompt.startsWith(
            QStringLiteral("You are an Applicant Tracking System (ATS) analyzer.\nTASK:\n")));
        QVERIFY(ats_prompt::analyzerSystemPrompt.contains(
            QStringLiteral("  \"sectionFeedback\": [\n    {\n      \"section\": \"string\",\n")));
        QVERIFY(ats_prompt::analyzerSystemPrompt.endsWith(
            QStringLiteral("Skills, and Education when present.\n- Return valid JSON only.")));
        QCOMPARE(ats_prompt::rewriteSystemPrompt.toUtf8().size(), 1440);
        QVERIFY(ats_prompt::rewriteSystemPrompt.startsWith(QStringLiteral(
            "You are an expert résumé writer specializing in Applicant Tracking Systems (ATS).\n")));
        QVERIFY(ats_prompt::rewriteSystemPrompt.endsWith(QStringLiteral(
            "- Do not add duplicate skills.\n- Return valid JSON only with no markdown or commentary.")));
        // Both mention JSON, so OpenAI gets them unchanged.
        QCOMPARE(AIModelSession::structuredSystemMessage(ats_prompt::analyzerSystemPrompt),
                 ats_prompt::analyzerSystemPrompt);
        QCOMPARE(AIModelSession::structuredSystemMessage(ats_prompt::rewriteSystemPrompt),
                 ats_prompt::rewriteSystemPrompt);
    }

    void plainTextAndPrompts() {
        ResumePtr resume = sampleResume();
        const QString text =
            QStringLiteral("Ada Park\nada@example.com\n\nSUMMARY\nBackend engineer who ships "
                           "reliable services.\n\nSKILLS\nGo\nSQL\n\nEXPERIENCE\n"
                           "Intern \u2013 Initech\n2020 \u2013 2024\nFixed bugs.\n\n"
                           "Engineer \u2013 Globex\n2020 \u2013 2024\nBuilt APIs.\n\n"
                           "EDUCATION\nBSc, State U \u2013 2019");
        QCOMPARE(atsResumePlainText(makeATSResumeSnapshot(*resume)), text);
        QCOMPARE(atsAnalysisPrompt(*resume),
                 QStringLiteral(
                     "JOB POSTING:\n\nGo developer\n\n----------------------------\nCURRENT RÉSUMÉ:\n") +
                     text);
        const ATSRewriteRequest request = makeATSRewriteRequest(*resume);
        QCOMPARE(
            request.prompt,
            QStringLiteral("JOB POSTING:\n\nGo developer\n\n----------------------------------------\n"
                           "CURRENT RÉSUMÉ CONTENT:\n") +
                text +
                QStringLiteral("\n----------------------------------------\nTASK:\nConservatively optimize "
                               "this résumé for ATS without changing facts.\nReturn ONLY valid JSON "
                               "matching the provided schema."));
        QCOMPARE(request.summaryAtRequest, resume->summary());
        QCOMPARE(request.detailsAtRequest.value(QStringLiteral("Engineer|||Globex")),
                 QStringLiteral("Built APIs."));

        // Skills off (or only blank ones): no skills block. Nothing else: both headings, trimmed.
        resume->setIncludeSkills(false);
        QVERIFY(!atsResumePlainText(makeATSResumeSnapshot(*resume)).contains(QStringLiteral("SKILLS")));
        ResumePtr empty = makeEmptyResume();
        empty->setAppliedSkills({QStringLiteral("  ")});
        empty->setIncludeSkills(true);
        QCOMPARE(atsResumePlainText(makeATSResumeSnapshot(*empty)),
                 QStringLiteral("SUMMARY\n\n\nEXPERIENCE\nEDUCATION"));
        QCOMPARE(makeATSResumeSnapshot(*empty).skillsText(), QString());
    }

    void fingerprintCoversPostingAndResumeText() {
        ResumePtr resume = sampleResume();
        const QString first = atsInputHash(*resume);
        QCOMPARE(atsInputHash(*resume), first);
        QVERIFY(!first.isEmpty());
        bool ok = false;
        first.toLongLong(&ok);
        QVERIFY(ok);

        // Blank ends of the posting and fields outside the text do not count.
        resume->setAtsJobPosting(QStringLiteral("  Go developer \n\n"));
        resume->setTitle(QStringLiteral("Other"));
        resume->setCoverLetterText(QStringLiteral("Dear"));
        resume->setSuggestedSkills({QStringLiteral("Rust")});
        QCOMPARE(atsInputHash(*resume), first);
        // A canonically equivalent posting is the same input.
        resume->setAtsJobPosting(QStringLiteral("Caf\u00e9"));
        const QString precomposed = atsInputHash(*resume);
        resume->setAtsJobPosting(QStringLiteral("Cafe\u0301"));
        QCOMPARE(atsInputHash(*resume), precomposed);

        resume->setAtsJobPosting(QStringLiteral("Go developer"));
        QCOMPARE(atsInputHash(*resume), first);
        resume->setAtsJobPosting(QStringLiteral("Go  developer"));
        QVERIFY(atsInputHash(*resume) != first);
        resume->setAtsJobPosting(QStringLiteral("Go developer"));
        resume->setSummary(QStringLiteral("Changed."));
        QVERIFY(atsInputHash(*resume) != first);
        resume->setSummary(QStringLiteral("Backend engineer who ships reliable services."));
        resume->setIncludeSkills(false);
        QVERIFY(atsInputHash(*resume) != first);
        resume->setIncludeSkills(true);
        resume->experienceItems().first()->setDetails(QStringLiteral("Built more APIs."));
        QVERIFY(atsInputHash(*resume) != first);
    }

    void failureTexts() {
        const auto text = [](OpenAIClientError error) {
            return atsFailureMessage(makeOpenAIClientError(error));
        };
        QCOMPARE(atsFailureMessage(
                     makeOpenAIClientError(OpenAIClientError::requestFailed, QStringLiteral("body"), 401)),
                 QStringLiteral("OpenAI request failed. Check your API key and network connection."));
        QCOMPARE(text(OpenAIClientError::invalidResponse),
                 QStringLiteral("OpenAI returned an invalid response. Please try again."));
        QCOMPARE(text(OpenAIClientError::emptyResponse),
                 QStringLiteral("OpenAI returned an empty response. Please try again."));
        QCOMPARE(text(OpenAIClientError::decodingFailed),
                 QStringLiteral("OpenAI response could not be decoded. Please try again."));
        for (const ErrorKind kind :
             {ErrorKind::network, ErrorKind::timeout, ErrorKind::unavailable, ErrorKind::decoding})
            QCOMPARE(atsFailureMessage(Error{kind, QStringLiteral("x"), 0, {}}),
                     QStringLiteral("ATS analysis failed. Please try again."));
    }

    void repliesDecodeStrictly() {
        // Whatever is wrong with a reply, the analysis sees decodingFailed.
        const QString good = QStringLiteral(
            "{\"overallScore\":72,\"missingKeywords\":[\"Go\"],\"suggestions\":[],\"sectionFeedback\":"
            "[{\"section\":\"Summary\",\"feedback\":{\"score\":60,\"missingKeywords\":[],\"suggestions\":[]}}"
            "]}");
        Result<ATSAnalysis> analysis = AIModelSession::decodeOpenAIReply<ATSAnalysis>(
            QStringLiteral("Here you go:\n```json\n") + good + QStringLiteral("\n```"));
        QVERIFY(analysis.ok());
        QCOMPARE(analysis->overallScore, 72);
        QVERIFY(!analysis->notes);
        for (const QString& bad :
             {QStringLiteral("{\"overallScore\":\"72\",\"missingKeywords\":[],\"suggestions\":[],"
                             "\"sectionFeedback\":[]}"),
              QStringLiteral("{\"overallScore\":72,\"missingKeywords\":[],\"suggestions\":[]}"), QString()}) {
            const Result<ATSAnalysis> failed = AIModelSession::decodeOpenAIReply<ATSAnalysis>(bad);
            QCOMPARE(openAIClientError(failed.errorInfo()), OpenAIClientError::decodingFailed);
        }
        const Result<ATSRewritePayload> noKeywords = AIModelSession::decodeOpenAIReply<ATSRewritePayload>(
            QStringLiteral("{\"summary\":\"s\",\"experience\":[],\"skills\":[]}"));
        QCOMPARE(openAIClientError(noKeywords.errorInfo()), OpenAIClientError::decodingFailed);
        const Result<ATSRewritePayload> minimal =
            AIModelSession::decodeOpenAIReply<ATSRewritePayload>(QStringLiteral(
                "{\"summary\":\"s\",\"experience\":[],\"skills\":[],\"insertedKeywords\":[],\"x\":1}"));
        QVERIFY(minimal.ok());
    }

    void summaryGuard() {
        const QString ten = words(10);
        QCOMPARE(conservativeSummary(ten, words(30, QStringLiteral("new"))), ten);
        QCOMPARE(conservativeSummary(ten, words(22, QStringLiteral("new"))),
                 words(22, QStringLiteral("new")));
        QCOMPARE(conservativeSummary(ten, words(23, QStringLiteral("new"))), ten);
        const QString hundred = words(100);
        QCOMPARE(conservativeSummary(hundred, words(135, QStringLiteral("new"))),
                 words(135, QStringLiteral("new")));
        QCOMPARE(conservativeSummary(hundred, words(136, QStringLiteral("new"))), hundred);
        // No full stop counts as one sentence: two are accepted, three refused.
        QCOMPARE(conservativeSummary(QStringLiteral("Builds things"), QStringLiteral("Builds. Ships.")),
                 QStringLiteral("Builds. Ships."));
        QCOMPARE(
            conservativeSummary(QStringLiteral("Builds things"), QStringLiteral("Builds. Ships. Leads!")),
            QStringLiteral("Builds things"));
        // Blank sides, and the result always trimmed.
        QCOMPARE(conservativeSummary(QStringLiteral(" \n"), words(200)), words(200));
        QCOMPARE(conservativeSummary(QStringLiteral("  Kept. \n"), QStringLiteral(" \t")),
                 QStringLiteral("Kept."));
        QCOMPARE(conservativeSummary(QStringLiteral("Kept."), QStringLiteral("\u00a0Kept.\u2029")),
                 QStringLiteral("Kept."));
        QCOMPARE(atsSentenceSplit(QStringLiteral("A. . B?")).size(), 3);
        QCOMPARE(atsWordSplit(QStringLiteral(" a\tb\u2028c\u00a0 ")).size(), 3);
    }

    void skillLists() {
        QCOMPARE(cleanSkillList({QStringLiteral("Go"), QStringLiteral("go"), QStringLiteral("Go"), QString(),
                                 QString(), QStringLiteral("Caf\u00e9"), QStringLiteral("Cafe\u0301")}),
                 QStringList(
                     {QStringLiteral("Go"), QStringLiteral("go"), QString(), QStringLiteral("Caf\u00e9")}));
        QCOMPARE(trimmedSkillList({QStringLiteral(" Swift"), QStringLiteral("Swift"), QString(),
                                   QStringLiteral("swift"), QStringLiteral("\n")}),
                 QStringList({QStringLiteral("Swift"), QStringLiteral("swift")}));
        QCOMPARE(experienceMatchKey(QStringLiteral(" Lead \n"), QStringLiteral("\tAcme ")),
                 QStringLiteral("Lead|||Acme"));
    }

    void applyingARewrite() {
        ResumePtr resume = sampleResume();
        const ExperiencePtr engineer = resume->experienceItems().at(0);
        const ExperiencePtr intern = resume->experienceItems().at(1);
        engineer->setRole(QStringLiteral("Engineer "));
        engineer->setCompany(QStringLiteral(" Globex"));
        const ATSRewriteRequest request = makeATSRewriteRequest(*resume);
        // The user edits the summary while the request runs: applying overwrites the edit.
        resume->setSummary(QStringLiteral("Edited meanwhile."));

        ATSRewritePayload payload;
        payload.summary = QStringLiteral("  Backend engineer who ships reliable Go services.  ");
        payload.experience = {
            {QStringLiteral("Engineer"), QStringLiteral("Globex"), QStringLiteral(" Built Go APIs.\n")},
            {QStringLiteral("intern"), QStringLiteral("Initech"), QStringLiteral("Case differs.")},
            {QStringLiteral("Intern"), QStringLiteral("Initech"), QStringLiteral(" \n")}};
        payload.skills = {QStringLiteral(" Go"), QStringLiteral("Go"), QString(), QStringLiteral("go")};
        payload.insertedKeywords = {{QStringLiteral("Go"), QStringLiteral("Summary")},
                                    {QStringLiteral("Go"), QStringLiteral("Summary")},
                                    {QStringLiteral("Go"), QStringLiteral("Experience")}};
        const QDateTime now(QDate(2026, 12, 7), QTime(10, 30, 5), Qt::UTC);
        const bool skillsWereOn = resume->includeSkills();
        ATSRewriteChanges changes;
        const QStringList lines = printedBy([&] {
            changes =
                applyATSRewrite(*resume, payload, request.summaryAtRequest, request.detailsAtRequest, now);
        });
        // What changed, as the résumé shows it: the edited summary replaced, one entry rewritten.
        QCOMPARE(changes,
                 (ATSRewriteChanges{true,
                                    {QStringLiteral("Engineer ")},
                                    2,
                                    !skillsWereOn,
                                    {QStringLiteral("Go (Summary)"), QStringLiteral("Go (Experience)")}}));
        // Applied again, the same answer changes nothing more but the keywords it names.
        const ATSRewriteChanges again =
            applyATSRewrite(*resume, payload, request.summaryAtRequest, request.detailsAtRequest, now);
        QCOMPARE(again, (ATSRewriteChanges{false, {}, 2, false, changes.insertedKeywords}));

        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships reliable Go services."));
        QCOMPARE(engineer->details(), QStringLiteral("Built Go APIs."));
        QCOMPARE(engineer->role(), QStringLiteral("Engineer "));
        // No match by letter case; a blank proposal keeps the description.
        QCOMPARE(intern->details(), QStringLiteral("Fixed bugs."));
        QCOMPARE(resume->appliedSkills(), QStringList({QStringLiteral("Go"), QStringLiteral("go")}));
        QVERIFY(resume->includeSkills());
        QCOMPARE(resume->atsInsertedKeywords(),
                 QStringList({QStringLiteral("Go (Summary)"), QStringLiteral("Go (Experience)")}));
        QCOMPARE(resume->atsLastGenerated(), now);
        QVERIFY(resume->includeATSVersion());
        const QString generated = resume->atsGeneratedText();
        QVERIFY(generated.contains(QStringLiteral("reliable Go services.")));
        QVERIFY(generated.contains(QStringLiteral("Built Go APIs.")));
        QVERIFY(generated.contains(QStringLiteral("• go")));

        QVERIFY(lines.contains(
            QStringLiteral("✅ SUMMARY CHANGED BEFORE: Backend engineer who ships reliable "
                           "services. AFTER : Backend engineer who ships reliable Go services.")));
        QVERIFY(lines.contains(QStringLiteral("✅ EXPERIENCE UPDATED ROLE: Engineer COMPANY: Globex BEFORE: "
                                              "Built APIs. AFTER : Built Go APIs.")));
        QVERIFY(lines.contains(QStringLiteral("ROLE: intern | COMPANY: Initech")));
        QVERIFY(lines.contains(QStringLiteral("⚠️ EXPERIENCE UNCHANGED ROLE: Intern COMPANY: Initech")));
        QVERIFY(lines.contains(QStringLiteral("📌 ATS APPLIED AT: 2026-12-07 10:30:05 +0000")));
        QVERIFY(lines.filter(QStringLiteral("📄 formattedResumeText CALLED")).size() == 1);
    }

    void aSparseRewriteLeavesTheRestAlone() {
        ResumePtr resume = sampleResume();
        resume->setAtsInsertedKeywords(QStringList{QStringLiteral("Old (Skills)")});
        const QStringList skillsBefore = resume->appliedSkills();
        resume->setIncludeSkills(false);
        const ATSRewriteRequest request = makeATSRewriteRequest(*resume);
        ATSRewritePayload payload;
        payload.summary = words(40); // too long: the stored summary stays
        payload.skills = {QStringLiteral(" "), QString()};
        const QStringList lines = printedBy(
            [&] { applyATSRewrite(*resume, payload, request.summaryAtRequest, request.detailsAtRequest); });
        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships reliable services."));
        QCOMPARE(resume->appliedSkills(), skillsBefore);
        QVERIFY(!resume->includeSkills());
        QCOMPARE(resume->atsInsertedKeywords(), QStringList());
        QCOMPARE(resume->experienceItems().at(0)->details(), QStringLiteral("Built APIs."));
        QVERIFY(lines.contains(QStringLiteral("⚠️ SUMMARY UNCHANGED")));
    }

    // A summary or description typed in a multi-line field often ends in a line break: the
    // rewrite stores it trimmed, but what the report says changed is only what reads otherwise.
    void onlyChangedWordsAreReported() {
        ResumePtr resume = sampleResume();
        const ExperiencePtr engineer = resume->experienceItems().at(0);
        resume->setSummary(QStringLiteral("Backend engineer who ships\nreliable services.\n\n"));
        engineer->setDetails(QStringLiteral("  Built APIs.\n"));
        const ATSRewriteRequest request = makeATSRewriteRequest(*resume);
        ATSRewritePayload payload;
        payload.summary = words(40); // too long: the stored summary is kept
        payload.experience = {{engineer->role(), engineer->company(), QStringLiteral("Built  APIs.")}};
        ATSRewriteChanges changes;
        (void)printedBy([&] {
            changes = applyATSRewrite(*resume, payload, request.summaryAtRequest, request.detailsAtRequest);
        });
        QVERIFY(!changes.summaryReplaced);
        QVERIFY(changes.rewrittenRoles.isEmpty());
        QCOMPARE(resume->summary(), QStringLiteral("Backend engineer who ships\nreliable services."));
        QCOMPARE(engineer->details(), QStringLiteral("Built  APIs."));

        // A word that differs, even only by its letter case or a trailing full stop, is a change.
        payload.summary = QStringLiteral("backend engineer who ships reliable services.");
        payload.experience = {{engineer->role(), engineer->company(), QStringLiteral("Built APIs")}};
        (void)printedBy([&] {
            changes = applyATSRewrite(*resume, payload, request.summaryAtRequest, request.detailsAtRequest);
        });
        QVERIFY(changes.summaryReplaced);
        QCOMPARE(changes.rewrittenRoles, QStringList{engineer->role()});
    }
};

QUILLORA_TEST_MAIN(ATSToolsTest)
#include "test_ats_tools.moc"
