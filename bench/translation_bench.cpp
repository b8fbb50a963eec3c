// Translating a full two-page résumé from English into Spanish with Apertium, through the run
// the preview uses: one session (one pipeline of processes), one request per field.
#include "bench_support.h"
#include "model/resume.h"
#include "output/apertium_translation_engine.h"
#include "output/resume_titles.h"
#include "output/resume_translation.h"

#include <QCoreApplication>
#include <QEventLoop>

using namespace quillora;

namespace {

const QString detailsText = QStringLiteral(
    "Led a cross-functional team of eight engineers building the company's payments platform.\n"
    "Designed and shipped a new billing service that processes two million invoices a month.\n"
    "Cut infrastructure costs by thirty percent by moving batch jobs to a managed queue.\n"
    "Mentored junior developers and ran the weekly architecture review.");

ResumePtr twoPageResume() {
    QList<ExperiencePtr> experience;
    const QStringList roles = {QStringLiteral("Senior Software Engineer"),
                               QStringLiteral("Software Engineer"),
                               QStringLiteral("Backend Developer"),
                               QStringLiteral("Technical Lead"),
                               QStringLiteral("Web Developer"),
                               QStringLiteral("Junior Developer")};
    for (int i = 0; i < roles.size(); ++i) {
        experience << std::make_shared<Experience>(
            roles.at(i), QStringLiteral("Northwind Traders"), QStringLiteral("January %1").arg(2010 + 2 * i),
            QStringLiteral("December %1").arg(2011 + 2 * i), detailsText, i);
    }
    QList<EducationPtr> education{
        std::make_shared<Education>(QStringLiteral("University of Manchester"),
                                    QStringLiteral("Master of Science in Computer Science"),
                                    QStringLiteral("2009"), 0),
        std::make_shared<Education>(QStringLiteral("University of Leeds"),
                                    QStringLiteral("Bachelor of Science in Mathematics"),
                                    QStringLiteral("2007"), 1),
    };
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

void BM_TranslateTwoPageResume(benchmark::State& state) {
    ApertiumTranslationEngine engine;
    if (engine.pairStatus(QStringLiteral("en"), QStringLiteral("es")) != TranslationPairStatus::installed) {
        state.SkipWithError("apertium-eng-spa is not installed");
        return;
    }
    for (auto _ : state) {
        ResumePtr resume = twoPageResume();
        ResumeTitles titles;
        ResumeTranslationRun run(resume, engine.makeSession(QStringLiteral("en"), QStringLiteral("es")),
                                 &titles);
        QEventLoop loop;
        bool ok = false;
        QObject::connect(&run, &ResumeTranslationRun::finished, &loop,
                         [&](ResumeTranslationRun::Outcome outcome, const QString&) {
                             ok = outcome == ResumeTranslationRun::Outcome::translated;
                             loop.quit();
                         });
        run.start();
        loop.exec();
        if (!ok) {
            state.SkipWithError("translation failed");
            return;
        }
        state.counters["requests"] = ResumeTranslationRun::requestCount(*resume);
    }
}
BENCHMARK(BM_TranslateTwoPageResume)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
