#include "ai/ats_version_section.h"
#include "ai/openai_client.h"
#include "app/services.h"
#include "editor/cover_letter_section.h"
#include "editor/resume_editor_view.h"
#include "editor/skills_section.h"
#include "platform/settings.h"
#include "store/model_container.h"
#include "store/model_context.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quillora;
using quillora::test::LoopbackHttpServer;

// An AI answer belongs to the résumé, not to the editor that asked for it: closing the editor
// while OpenAI works does not throw the (paid) answer away. It is written and saved as the
// editor would have done; only a deleted résumé drops it.
class WorkOutlivesEditorTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<LoopbackHttpServer> m_server;
    std::unique_ptr<Services> m_services;
    ResumePtr m_resume;
    QString m_path;
    std::unique_ptr<ModelContainer> m_reopened;

    static ResumePtr sampleResume() {
        auto resume = test::makeEmptyResume(QStringLiteral("Bakery"));
        resume->setFullName(QStringLiteral("Ada Park"));
        resume->setSummary(QStringLiteral("Baker who bakes good bread every single day."));
        resume->setExperienceItems({std::make_shared<Experience>(
            QStringLiteral("Baker"), QStringLiteral("Crumb & Co"), QStringLiteral("2020"),
            QStringLiteral("2024"), QStringLiteral("Baked bread daily."), 0)});
        resume->setIncludeSkills(true);
        resume->setIncludeCoverLetter(true);
        resume->setCoverLetterJobPosting(QStringLiteral("Head baker wanted"));
        resume->setIncludeATSVersion(true);
        resume->setAtsJobPosting(QStringLiteral("Head baker, sourdough"));
        return resume;
    }

    // The task's answer, how it is started in the editor, and whether a résumé holds its outcome.
    static LoopbackHttpServer::Reply answerFor(const QString& task) {
        if (task == QLatin1String("skills"))
            return LoopbackHttpServer::completion(
                QStringLiteral("Baking: Artisan bread, Ovens: Stone decks"));
        if (task == QLatin1String("cover letter"))
            return LoopbackHttpServer::completion(QStringLiteral("Dear team, I bake."));
        return LoopbackHttpServer::completion(QStringLiteral(
            "{\"summary\": \"Sourdough baker.\", \"experience\": [{\"role\": \"Baker\", \"company\": "
            "\"Crumb & Co\", \"details\": \"Baked sourdough daily.\"}], \"skills\": [\"Sourdough\"],"
            " \"insertedKeywords\": [{\"keyword\": \"sourdough\", \"section\": \"Summary\"}]}"));
    }
    static void start(const QString& task, ResumeEditorView& editor) {
        if (task == QLatin1String("skills"))
            editor.findChild<SkillsSection*>()->generateSkillSuggestions();
        else if (task == QLatin1String("cover letter"))
            editor.findChild<CoverLetterSection*>()->generateCoverLetterFromEditor();
        else
            editor.findChild<ATSVersionSection*>()->generateATSVersion();
    }
    static bool holdsOutcome(const QString& task, const Resume& resume) {
        if (task == QLatin1String("skills"))
            return resume.suggestedSkills() ==
                   QStringList{QStringLiteral("Baking: Artisan bread"), QStringLiteral("Ovens: Stone decks")};
        if (task == QLatin1String("cover letter"))
            return resume.coverLetterText() == QLatin1String("Dear team, I bake.") &&
                   resume.coverLetterLastGenerated().has_value();
        return resume.summary() == QLatin1String("Sourdough baker.") &&
               resume.experienceItems().first()->details() == QLatin1String("Baked sourdough daily.") &&
               resume.atsLastGenerated().has_value();
    }
    static QString workName(const QString& task) {
        if (task == QLatin1String("skills"))
            return QStringLiteral("Skill suggestion");
        if (task == QLatin1String("cover letter"))
            return QStringLiteral("Cover letter");
        return QStringLiteral("ATS rewrite");
    }

    // What a second opening of the store file reads (kept open: long texts and entries are read
    // when first asked for).
    QList<ResumePtr> storedResumes() {
        auto reopened = ModelContainer::open(m_path);
        if (!reopened)
            return {};
        m_reopened = std::move(reopened).value();
        auto resumes = m_reopened->mainContext().fetchResumes();
        return resumes ? *resumes : QList<ResumePtr>();
    }

    static void tasks() {
        QTest::addColumn<QString>("task");
        QTest::newRow("skills") << QStringLiteral("skills");
        QTest::newRow("cover letter") << QStringLiteral("cover letter");
        QTest::newRow("ATS rewrite") << QStringLiteral("ATS rewrite");
    }

private slots:
    void init() {
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
        m_path = QDir::temp().filePath(QStringLiteral("outlives.store"));
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(m_path + QLatin1String(suffix));
        auto store = ModelContainer::open(m_path);
        QVERIFY(store.ok());
        m_services = std::make_unique<Services>(
            std::move(store).value(),
            std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("outlives.ini"))));
        m_services->settings().setOpenAIAPIKey(QStringLiteral("sk-outlives"));
        m_services->appearance().setReduceMotionOverride(true);
        m_services->context().setAutosaveDelay(10);
        m_resume = sampleResume();
        m_services->context().insert(m_resume);
        QVERIFY(m_services->context().save().ok());
    }
    void cleanup() {
        m_reopened.reset();
        m_resume.reset();
        m_services.reset();
        m_server.reset();
    }

    void theOutcomeIsStoredAfterTheEditorCloses_data() { tasks(); }
    void theOutcomeIsStoredAfterTheEditorCloses() {
        QFETCH(QString, task);
        LoopbackHttpServer::Reply answer = answerFor(task);
        answer.delayMs = 400; // the server holds the answer while the editor closes
        m_server->enqueue(answer);
        auto editor = std::make_unique<ResumeEditorView>(m_resume, *m_services);
        start(task, *editor);
        QTRY_COMPARE(m_server->requestCount(), 1);
        editor.reset();

        QTRY_VERIFY(holdsOutcome(task, *m_resume));
        QTRY_VERIFY(!m_services->context().hasChanges());
        const QList<ResumePtr> stored = storedResumes();
        QCOMPARE(stored.size(), 1);
        QVERIFY(holdsOutcome(task, *stored.first()));
    }

    void aDeletedResumeDropsTheOutcome_data() { tasks(); }
    void aDeletedResumeDropsTheOutcome() {
        QFETCH(QString, task);
        LoopbackHttpServer::Reply answer = answerFor(task);
        answer.delayMs = 300;
        m_server->enqueue(answer);
        auto editor = std::make_unique<ResumeEditorView>(m_resume, *m_services);
        start(task, *editor);
        QTRY_COMPARE(m_server->requestCount(), 1);
        editor.reset();
        m_services->context().deleteRecord(m_resume);
        QVERIFY(m_services->context().save().ok());

        test::StdoutCapture capture;
        QTRY_VERIFY(capture.linesSoFar().contains(QStringLiteral("⏭️ ") + workName(task) +
                                                  QStringLiteral(" result dropped: its résumé was deleted")));
        QVERIFY(!holdsOutcome(task, *m_resume));
        QVERIFY(!m_services->context().hasChanges());
        QVERIFY(storedResumes().isEmpty());
    }
};

QUILLORA_TEST_MAIN(WorkOutlivesEditorTest)
#include "test_work_outlives_editor.moc"
