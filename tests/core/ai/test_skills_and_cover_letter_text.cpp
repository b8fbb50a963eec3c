#include "ai/ai_model_session.h"
#include "ai/cover_letter_generator.h"
#include "ai/resume_skill_suggestion_service.h"
#include "editor/editor_ai.h"
#include "model/resume_operations.h"
#include "platform/settings.h"
#include "support/fake_language_model.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QDir>
#include <QNetworkAccessManager>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;
using quillora::test::FakeLanguageModel;
using quillora::test::LoopbackHttpServer;
using Service = ResumeSkillSuggestionService;

namespace {

ExperiencePtr entry(const QString& role, const QString& company, const QString& details, qint64 sortOrder,
                    const QString& start = {}, const QString& end = {}) {
    return std::make_shared<Experience>(role, company, start, end, details, sortOrder);
}

EducationPtr school(const QString& name, const QString& degree, const QString& year, qint64 sortOrder) {
    return std::make_shared<Education>(name, degree, year, sortOrder);
}

} // namespace

class SkillsAndCoverLetterTextTest : public QObject {
    Q_OBJECT

private slots:
    void skillAnswersAreCleanedIntoNameAndDescriptor() {
        const QStringList commaForm =
            Service::parseSkillList(QStringLiteral("Skills: Swift: iOS apps, Figma:Prototyping"));
        QCOMPARE(commaForm,
                 (QStringList{QStringLiteral("Swift: iOS apps"), QStringLiteral("Figma: Prototyping")}));
        // One per line, led by "- " or "• ", gives the same list.
        QCOMPARE(Service::parseSkillList(QStringLiteral("- Swift: iOS apps\n\u2022 Figma:Prototyping\n")),
                 commaForm);
        // Without a colon: first word, then the rest; a single word is dropped; a tab splits.
        QCOMPARE(Service::parseSkillList(
                     QStringLiteral("Project Management Agile teams; Leadership; Git\tVersioning")),
                 (QStringList{QStringLiteral("Project: Management Agile teams"),
                              QStringLiteral("Git: Versioning")}));
        // A colon at either end drops the item; two colons split at the first.
        QCOMPARE(Service::parseSkillList(
                     QStringLiteral(":Swift, Swift:, SQL: Queries: joins ,  Excel  :   Models ")),
                 (QStringList{QStringLiteral("SQL: Queries: joins"), QStringLiteral("Excel: Models")}));
        // "Skills:" goes in any letter case, also inside an item.
        QCOMPARE(Service::parseSkillList(QStringLiteral("Design SKILLS: Typography")),
                 QStringList{QStringLiteral("Design: Typography")});
        // Exact repeats go before normalising; an item led by "- " stays a second entry.
        QCOMPARE(Service::parseSkillList(QStringLiteral("Swift: iOS, Swift: iOS, - Swift: iOS")),
                 (QStringList{QStringLiteral("Swift: iOS"), QStringLiteral("Swift: iOS")}));
        QCOMPARE(Service::parseSkillList(QString()), QStringList());
        QCOMPARE(Service::normalizeSkillItem(QStringLiteral("--C++-Templates--")), std::nullopt);
        QCOMPARE(Service::normalizeSkillItem(QStringLiteral("-Data-driven design-")),
                 std::optional<QString>(QStringLiteral("Data-driven: design")));
    }

    void appliedSkillsAndErrorTexts() {
        QCOMPARE(normalizedSkill(QStringLiteral("Swift: iOS")), QStringLiteral("Swift: iOS"));
        QCOMPARE(normalizedSkill(QStringLiteral("Swift  iOS apps")), QStringLiteral("Swift: iOS apps"));
        QCOMPARE(normalizedSkill(QStringLiteral("   Leadership \n")), QStringLiteral("Leadership"));
        QCOMPARE(normalizedSkill(QStringLiteral("a    b")), QStringLiteral("a: : b"));

        const Error server =
            makeOpenAIClientError(OpenAIClientError::requestFailed, QStringLiteral("bad key"), 401);
        const QString fallback = QStringLiteral("Skill suggestions failed. Please try again.");
        QCOMPARE(editorAIErrorMessage(server, fallback, true),
                 QStringLiteral("OpenAI request failed. Check your API key and network connection."));
        QCOMPARE(editorAIErrorMessage(server, fallback, false), fallback);
        QCOMPARE(
            editorAIErrorMessage(makeOpenAIClientError(OpenAIClientError::emptyResponse), fallback, true),
            QStringLiteral("OpenAI returned an empty response. Please try again."));
        QCOMPARE(
            editorAIErrorMessage(makeOpenAIClientError(OpenAIClientError::invalidResponse), fallback, true),
            QStringLiteral("OpenAI returned an invalid response. Please try again."));
        QCOMPARE(
            editorAIErrorMessage(makeOpenAIClientError(OpenAIClientError::decodingFailed), fallback, true),
            QStringLiteral("OpenAI response could not be decoded. Please try again."));
        // A time-out or an on-device failure is not the exchange's own error.
        QCOMPARE(
            editorAIErrorMessage(Error{ErrorKind::timeout, QStringLiteral("late"), 0, {}}, fallback, true),
            fallback);
    }

    void editorCoverLetterInput() {
        auto resume = test::makeEmptyResume();
        resume->setCoverLetterJobPosting(QStringLiteral("  Teacher wanted "));
        const QString rule(40, QLatin1Char('-'));
        QCOMPARE(quillora::editorCoverLetterInput(*resume),
                 QStringLiteral("JOB DESCRIPTION:\n  Teacher wanted \n") + rule +
                     QStringLiteral("\nRÉSUMÉ EXPERIENCE:\n\n") + rule + QStringLiteral("\nEDUCATION:\n\n") +
                     rule + QStringLiteral("\nCandidate Full Name:\n") + coverLetterFallbackName);

        resume->setFullName(QStringLiteral(" Ada Lovelace "));
        resume->setExperienceItems(
            {entry(QStringLiteral("Tutor"), QStringLiteral("Academy"), QStringLiteral("Taught maths."), 2),
             entry(QString(), QString(), QString(), 1)});
        resume->setEducationItems(
            {school(QStringLiteral("City College"), QStringLiteral(" "), QStringLiteral("2019"), 1),
             school(QStringLiteral("High School"), QString(), QStringLiteral("2015"), 0)});
        QCOMPARE(
            quillora::editorCoverLetterInput(*resume),
            QStringLiteral("JOB DESCRIPTION:\n  Teacher wanted \n") + rule +
                QStringLiteral("\nRÉSUMÉ EXPERIENCE:\n \u2014 \n\n\nTutor \u2014 Academy\nTaught maths.\n") +
                rule + QStringLiteral("\nEDUCATION:\nHigh School,  , City College\n") + rule +
                QStringLiteral("\nCandidate Full Name:\n Ada Lovelace "));
    }

    void generatorResumeTextAndPrompt() {
        auto resume = test::makeEmptyResume();
        resume->setAppliedSkills({QStringLiteral("Figma")});
        QCOMPARE(cover_letter_generator::resumeText(*resume), QStringLiteral("SUMMARY\n\nSKILLS"));

        resume->setFullName(QStringLiteral("Ada"));
        resume->setSummary(QStringLiteral("Builds engines."));
        resume->setIncludeSkills(true);
        resume->setAppliedSkills({QStringLiteral(" Figma "), QString(), QStringLiteral("Sketch")});
        resume->setExperienceItems({entry(QStringLiteral("Analyst"), QString(),
                                          QStringLiteral("Ran numbers."), 1, QStringLiteral("2020")),
                                    entry(QStringLiteral("Tutor"), QStringLiteral("Academy"), QString(), 0,
                                          QStringLiteral("2018"), QStringLiteral("2019"))});
        resume->setEducationItems({school(QString(), QStringLiteral("BSc"), QStringLiteral("2017"), 0)});
        QCOMPARE(cover_letter_generator::resumeText(*resume),
                 QStringLiteral("Ada\n\nSUMMARY\nBuilds engines.\n\nSKILLS\nFigma, Sketch\n\nEXPERIENCE\n"
                                "Tutor \u2014 Academy\n2018 \u2013 2019\n\nAnalyst\n2020\nRan numbers.\n\n"
                                "EDUCATION\nBSc\n2017"));
        QCOMPARE(QString::fromUtf16(cover_letter_generator::entryHeadingSeparator).toUtf8().size(), 5);

        const QString rule(40, QLatin1Char('-'));
        resume->setFullName(QStringLiteral("  "));
        QCOMPARE(cover_letter_generator::prompt(QStringLiteral(" \n"), QStringLiteral(" text "), *resume),
                 QStringLiteral("JOB DESCRIPTION:\n\n") + rule + QStringLiteral("\nRÉSUME:\ntext\n") + rule +
                     QStringLiteral("\nCandidate Full Name:\n") + cover_letter_generator::fallbackFullName);
        QVERIFY(cover_letter_generator::hasForbiddenOpening(QStringLiteral("Hello.\nI AM writing to apply")));
        QCOMPARE(cover_letter_generator::systemPrompt.toUtf8().size(), 2412);
        QCOMPARE(cover_letter_generator::systemPrompt.count(QLatin1Char('\n')), 42);
        QCOMPARE(ResumeSkillSuggestionService::systemPrompt.toUtf8().size(), 981);
    }

    // The service stores what the model answers (on-device and OpenAI) and leaves the résumé
    // alone when the request fails.
    void suggestionsAreStoredOrLeftAlone() {
        Settings settings(QDir::temp().filePath(QStringLiteral("skills.ini")));
        QNetworkAccessManager network;
        LoopbackHttpServer server;
        qputenv(OpenAIClient::baseURLVariable, server.baseURL().toUtf8());
        auto model = std::make_shared<FakeLanguageModel>();
        const Service service(AIServices{&settings, &network, model, 30000});
        QCOMPARE(model->requests().size(), 0);

        auto resume = test::makeEmptyResume();
        resume->setExperienceItems(
            {entry(QStringLiteral("Baker"), QStringLiteral("Bakery"), QStringLiteral("Bread."), 0)});
        resume->setSuggestedSkills({QStringLiteral("Old: one")});
        resume->setLastEdited(QDateTime::currentDateTimeUtc().addDays(-1));
        const QDateTime before = resume->lastEdited();
        QObject context;
        std::optional<Status> outcome;
        model->enqueue(QStringLiteral("Baking: Sourdough, Ovens: Deck ovens"));
        service.suggestSkills(resume, &context, [&](Status s) { outcome = s; });
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 30000);
        QVERIFY(outcome->ok());
        QCOMPARE(resume->suggestedSkills(),
                 (QStringList{QStringLiteral("Baking: Sourdough"), QStringLiteral("Ovens: Deck ovens")}));
        QVERIFY(resume->lastEdited() != before);
        QCOMPARE(model->requests().at(0).instructions, Service::systemPrompt);
        QCOMPARE(model->requests().at(0).prompt, skillExtractionPrompt(*resume));
        QVERIFY(model->requests().at(0).schemaName.isEmpty());

        outcome.reset();
        model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("no model"), 0, {}});
        const QDateTime stamped = resume->lastEdited();
        service.suggestSkills(resume, &context, [&](Status s) { outcome = s; });
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 30000);
        QCOMPARE(outcome->errorKind(), ErrorKind::unavailable);
        QCOMPARE(resume->suggestedSkills().size(), 2);
        QCOMPARE(resume->lastEdited(), stamped);

        // With a key the same request goes to OpenAI as plain text.
        settings.setOpenAIAPIKey(QStringLiteral("sk-skills"));
        server.enqueue(LoopbackHttpServer::completion(QStringLiteral("Skills:\n- Kneading: By hand")));
        outcome.reset();
        service.suggestSkills(resume, &context, [&](Status s) { outcome = s; });
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 30000);
        QCOMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Kneading: By hand")});
        QVERIFY(!server.requests().at(0).body.contains("response_format"));

        // An answer for a closed screen still reaches the résumé.
        server.enqueue(LoopbackHttpServer::completion(QStringLiteral("Late: answer")));
        outcome.reset();
        auto closing = std::make_unique<QObject>();
        service.suggestSkills(resume, closing.get(), [&](Status s) { outcome = s; });
        closing.reset();
        settings.remove(Settings::openAIAPIKeyKey);
        QTRY_VERIFY_WITH_TIMEOUT(outcome.has_value(), 30000);
        QCOMPARE(resume->suggestedSkills(), QStringList{QStringLiteral("Late: answer")});
    }
};

QUILLORA_TEST_MAIN(SkillsAndCoverLetterTextTest)
#include "test_skills_and_cover_letter_text.moc"
