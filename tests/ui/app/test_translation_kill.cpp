#include "store/app_store.h"
#include "store/model_container.h"
#include "store/model_context.h"
#include "store/store_location.h"
#include "support/fake_translation_engine.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTest>

#include <csignal>

using namespace quillora;
using quillora::test::FakeTranslationEngine;

// The app translating a résumé with a 280 KB cover letter is ended at random moments of the run,
// by SIGKILL and by a termination signal (the app quits). Whatever the moment, every résumé in
// the store is afterwards wholly untranslated or wholly translated. QUILLORA_KILL_RUNS sets how
// many kills (12 by default).
class TranslationKillTest final : public QObject {
    Q_OBJECT

    enum class State { untranslated, translated, mixed };

    QStringList m_original;  // the translated résumé's texts before the run
    QStringList m_untouched; // the other résumé's texts

    static ResumePtr longResume() {
        auto resume = test::makeFullResume();
        QList<ExperiencePtr> experience;
        for (int i = 0; i < 6; ++i)
            experience << std::make_shared<Experience>(
                QStringLiteral("Role %1").arg(i), QStringLiteral("Company %1").arg(i), QStringLiteral("2010"),
                QStringLiteral("2012"), QStringLiteral("Did things, part %1.").arg(i), i);
        resume->setExperienceItems(experience);
        QString letter;
        while (letter.size() < 280 * 1024)
            letter += QStringLiteral("I would bring calm, careful work to your team, every day. ");
        resume->setIncludeCoverLetter(true);
        resume->setCoverLetterText(letter);
        resume->setLastEdited(QDateTime::currentDateTimeUtc());
        return resume;
    }

    void seedStore() {
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(storeFileURL() + QLatin1String(suffix));
        AppStore store = openAppStore();
        QVERIFY2(store.container, qPrintable(store.fatalError));
        ModelContext& context = store.container->mainContext();
        auto other = test::makeFullResume();
        other->setTitle(QStringLiteral("Not translated"));
        other->setPortfolioItems({}); // image identities are unique in the store
        context.insert(other);
        auto resume = longResume();
        context.insert(resume);
        const Status saved = context.save();
        QVERIFY2(saved.ok(), qPrintable(saved.error()));
        m_original = test::translatableTexts(*resume);
        m_untouched = test::translatableTexts(*other);
    }

    // What the store holds now: the translated résumé's state; the other must be untouched.
    State storedState() {
        auto container = ModelContainer::open(storeFileURL());
        if (!container)
            return State::mixed;
        const auto resumes = container.value()->mainContext().fetchResumes();
        if (!resumes || resumes->size() != 2)
            return State::mixed;
        QStringList translated;
        for (const QString& text : std::as_const(m_original))
            translated << FakeTranslationEngine::translated(QStringLiteral("es"), text);
        State state = State::mixed;
        for (const ResumePtr& resume : *resumes) {
            const QStringList texts = test::translatableTexts(*resume);
            if (resume->title() == QLatin1String("Not translated")) {
                if (texts != m_untouched)
                    return State::mixed;
            } else if (texts == m_original) {
                state = State::untranslated;
            } else if (texts == translated) {
                state = State::translated;
            }
        }
        return state;
    }

    struct Launched {
        std::unique_ptr<QProcess> process;
        QString output;
    };

    // Starts the app and waits until its translation has started.
    static Launched launch() {
        Launched app{std::make_unique<QProcess>(), QString()};
        app.process->setProcessChannelMode(QProcess::MergedChannels);
        app.process->start(QStringLiteral(QUILLORA_TRANSLATING_APP), {QStringLiteral("25")});
        app.process->waitForStarted();
        waitFor(app, QStringLiteral("translating: started"));
        return app;
    }
    static bool waitFor(Launched& app, const QString& line, int timeoutMs = 30000) {
        QElapsedTimer clock;
        clock.start();
        while (!app.output.contains(line) && clock.elapsed() < timeoutMs &&
               app.process->state() == QProcess::Running) {
            app.process->waitForReadyRead(20);
            app.output += QString::fromUtf8(app.process->readAll());
        }
        return app.output.contains(line);
    }
    static void end(Launched& app, int signal) {
        ::kill(pid_t(app.process->processId()), signal);
        app.process->waitForFinished(30000);
        app.output += QString::fromUtf8(app.process->readAll());
    }

private slots:
    void everyKillLeavesEachResumeWhollyTranslatedOrNot() {
        // A whole run first: it ends translated, with one save, and gives the run's length.
        seedStore();
        Launched whole = launch();
        QElapsedTimer clock;
        clock.start();
        QVERIFY2(waitFor(whole, QStringLiteral("translating: finished")), qPrintable(whole.output));
        const qint64 runMs = clock.elapsed();
        end(whole, SIGTERM);
        QCOMPARE(whole.process->exitCode(), 0);
        const QString during = whole.output.section(QStringLiteral("translating: started"), 1)
                                   .section(QStringLiteral("translating: finished"), 0, 0);
        QCOMPARE(during.count(QStringLiteral("translating: saved")), 1);
        QCOMPARE(storedState(), State::translated);

        const int kills = qEnvironmentVariableIntValue("QUILLORA_KILL_RUNS") > 0
                              ? qEnvironmentVariableIntValue("QUILLORA_KILL_RUNS")
                              : 12;
        int untranslated = 0;
        int translated = 0;
        for (int i = 0; i < kills + 2; ++i) {
            // The last two end by a termination signal: the app quits during the run.
            const bool quit = i >= kills;
            seedStore();
            Launched app = launch();
            QTest::qSleep(int(QRandomGenerator::global()->bounded(runMs + 1)));
            end(app, quit ? SIGTERM : SIGKILL);
            if (quit)
                QCOMPARE(app.process->exitCode(), 0);
            const State state = storedState();
            QVERIFY2(state != State::mixed, qPrintable(QStringLiteral("end %1 left a mixed store").arg(i)));
            (state == State::translated ? translated : untranslated)++;
        }
        qInfo("run of %lld ms; %d ends: %d untranslated, %d translated", runMs, kills + 2, untranslated,
              translated);
        QVERIFY(untranslated > 0); // some ends fell inside the run
    }
};

QUILLORA_TEST_MAIN(TranslationKillTest)
#include "test_translation_kill.moc"
