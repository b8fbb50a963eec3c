// Translating a résumé from English into Spanish with Apertium, through the run the preview
// uses (one session, one pipeline of processes, one request per field): the bare run, and the
// same run started from the open preview, which shows every field as it is translated. Two and
// ten pages, and ten pages whose entries each hold one paragraph of about 75 words, whose labels
// wrap over several lines and grow or shrink as they are translated. "longest_block_ms" is the longest the UI
// thread went without serving a 1 ms timer during the run.
#include "app/services.h"
#include "bench_support.h"
#include "model/resume.h"
#include "output/apertium_translation_engine.h"
#include "output/resume_titles.h"
#include "output/resume_translation.h"
#include "output/template_classic.h"
#include "store/model_context.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QTimer>

using namespace quillora;

namespace {

const QString detailsText = QStringLiteral(
    "Led a cross-functional team of eight engineers building the company's payments platform.\n"
    "Designed and shipped a new billing service that processes two million invoices a month.\n"
    "Cut infrastructure costs by thirty percent by moving batch jobs to a managed queue.\n"
    "Mentored junior developers and ran the weekly architecture review.");

const QString paragraphText = QStringLiteral(
    "Led a cross-functional team of eight engineers that rebuilt the company's payments platform "
    "from the ground up, moving two million monthly invoices onto a new billing service without "
    "a single hour of downtime, while cutting infrastructure costs by thirty percent through "
    "managed queues for batch jobs, mentoring junior developers through weekly pairing sessions, "
    "and running the architecture review that settled how every new service is designed, tested, "
    "deployed and monitored across all four product teams.");

// A résumé of about two pages per `scale`: six experience entries and two education entries each.
// With `paragraphs` each entry's details are one long paragraph instead of four short lines.
ResumePtr sampleResume(int scale, bool paragraphs) {
    QList<ExperiencePtr> experience;
    const QStringList roles = {QStringLiteral("Senior Software Engineer"),
                               QStringLiteral("Software Engineer"),
                               QStringLiteral("Backend Developer"),
                               QStringLiteral("Technical Lead"),
                               QStringLiteral("Web Developer"),
                               QStringLiteral("Junior Developer")};
    for (int n = 0; n < scale * roles.size(); ++n) {
        const int i = n % int(roles.size());
        experience << std::make_shared<Experience>(
            roles.at(i), QStringLiteral("Northwind Traders"), QStringLiteral("January %1").arg(2010 + 2 * i),
            QStringLiteral("December %1").arg(2011 + 2 * i), paragraphs ? paragraphText : detailsText, n);
    }
    QList<EducationPtr> education;
    for (int n = 0; n < scale; ++n) {
        education << std::make_shared<Education>(QStringLiteral("University of Manchester"),
                                                 QStringLiteral("Master of Science in Computer Science"),
                                                 QStringLiteral("2009"), 2 * n)
                  << std::make_shared<Education>(QStringLiteral("University of Leeds"),
                                                 QStringLiteral("Bachelor of Science in Mathematics"),
                                                 QStringLiteral("2007"), 2 * n + 1);
    }
    return std::make_shared<Resume>(
        QStringLiteral("Engineering"), QStringLiteral("Jane Doe"),
        QStringLiteral("jane.doe@example.com | +44 20 7946 0000 | London, United Kingdom"),
        QStringLiteral(
            "Software engineer with fifteen years of experience building reliable web services. "
            "I enjoy turning complex business problems into simple, well tested systems, and I have "
            "led teams through several large migrations without downtime."),
        experience, education, QList<PortfolioItemPtr>{}, std::nullopt, std::nullopt, std::nullopt, true,
        QStringLiteral(
            "Dear hiring manager,\n\nI am writing to apply for the position of senior engineer. ") +
            detailsText + QStringLiteral("\n\nKind regards,\nJane Doe"),
        QStringLiteral("We are looking for a senior engineer to lead our payments team."), QString(),
        std::nullopt, false, QString(), QString(), std::nullopt, std::nullopt,
        QStringLiteral("Helvetica Neue"), 0, QDateTime::currentDateTimeUtc(), true, QStringList{},
        QStringList{QStringLiteral("Go")}, std::nullopt);
}

// Measures the longest stretch the UI thread does not come back to its event loop.
class BlockWatch final {
public:
    BlockWatch() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(1);
        QObject::connect(&m_timer, &QTimer::timeout,
                         [this] { m_longest = std::max(m_longest, m_clock.restart()); });
        m_clock.start();
        m_timer.start();
    }
    qint64 longestMs() const { return m_longest; }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// One run over a fresh copy of the résumé, saved in an in-memory store; through the open preview
// when `preview` is true.
void translateOnce(benchmark::State& state, bool preview) {
    auto services = Services::forTesting(QDir::temp().filePath(QStringLiteral("translation-bench.ini")));
    services->setTranslationEngine(std::make_unique<ApertiumTranslationEngine>());
    if (services->translationEngine().pairStatus(QStringLiteral("en"), QStringLiteral("es")) !=
        TranslationPairStatus::installed) {
        state.SkipWithError("apertium-eng-spa is not installed");
        return;
    }
    std::optional<qint64> longest;
    for (auto _ : state) {
        state.PauseTiming();
        ResumePtr resume = sampleResume(int(state.range(0)), state.range(1) != 0);
        services->context().insert(resume);
        (void)services->context().save();
        std::unique_ptr<TemplateClassic> screen;
        ResumeTitles titles;
        std::unique_ptr<ResumeTranslationRun> bare;
        if (preview) {
            screen = std::make_unique<TemplateClassic>(resume, *services);
            screen->resize(720, 820);
            screen->show();
            screen->chooseLanguage(QStringLiteral("es"));
            // The user translates a preview already laid out and painted: let the first layout
            // passes and paints, which the show and the choice post, end before the clock runs.
            QElapsedTimer settle;
            settle.start();
            while (settle.elapsed() < 300)
                QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        QEventLoop loop;
        bool ok = false;
        const auto done = [&](ResumeTranslationRun::Outcome outcome, const QString&) {
            ok = outcome == ResumeTranslationRun::Outcome::translated;
            loop.quit();
        };
        state.ResumeTiming();
        BlockWatch watch;
        if (preview) {
            screen->translate();
            QObject::connect(ResumeTranslationRun::runningFor(*resume), &ResumeTranslationRun::finished,
                             &loop, done);
        } else {
            bare = std::make_unique<ResumeTranslationRun>(
                resume, services->translationEngine().makeSession(QStringLiteral("en"), QStringLiteral("es")),
                &titles);
            QObject::connect(bare.get(), &ResumeTranslationRun::finished, &loop, done);
            bare->start();
        }
        loop.exec();
        if (preview) // the preview shows the last field before it counts as done
            QCoreApplication::processEvents();
        state.PauseTiming();
        longest = std::max(longest.value_or(0), watch.longestMs());
        if (!ok) {
            state.SkipWithError("translation failed");
            return;
        }
        state.counters["requests"] = ResumeTranslationRun::requestCount(*resume);
        screen.reset();
        services->context().deleteRecord(resume);
        (void)services->context().save();
        state.ResumeTiming();
    }
    state.counters["longest_block_ms"] = double(longest.value_or(0));
}

void BM_TranslateBare(benchmark::State& state) {
    translateOnce(state, false);
}
void BM_TranslateThroughPreview(benchmark::State& state) {
    translateOnce(state, true);
}
// Both runs take the same résumés. Arguments: pages / 2, and 1 for entries of one long paragraph.
void translationCases(benchmark::internal::Benchmark* b) {
    b->Args({1, 0})->Args({5, 0})->Args({5, 1})->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);
}
BENCHMARK(BM_TranslateBare)->Apply(translationCases);
BENCHMARK(BM_TranslateThroughPreview)->Apply(translationCases);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
