// Export time and peak memory for text no one should type but someone will paste: one unbroken
// word of a million characters, and ten million characters of prose in one paragraph.
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace quillora;

namespace {

double peakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

ResumeExportSnapshot resumeWithSummary(QString summary) {
    ResumeExportSnapshot r;
    r.m_title = QStringLiteral("Hostile");
    r.m_fullName = QStringLiteral("Avery Quinn");
    r.m_summary = std::move(summary);
    return r;
}

void exportLoop(benchmark::State& state, const ResumeExportSnapshot& resume, ResumeLayoutMode mode) {
    for (auto _ : state) {
        auto path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                  BackgroundColorTheme::pastel, mode);
        benchmark::DoNotOptimize(path.ok());
    }
    state.counters["peak_RSS_MiB"] = peakMemoryMiB();
}

void BM_MegabyteWord(benchmark::State& state) {
    const auto resume = resumeWithSummary(QString(1000000, QLatin1Char('a')));
    exportLoop(state, resume, state.range(0) == 0 ? ResumeLayoutMode::ats : ResumeLayoutMode::creative);
}
BENCHMARK(BM_MegabyteWord)->Arg(0)->Arg(1)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TenMegabytesOfProse(benchmark::State& state) {
    QString text;
    text.reserve(10000000);
    while (text.size() < 10000000)
        text += QStringLiteral("lorem ipsum dolor sit amet consectetur ");
    const auto resume = resumeWithSummary(std::move(text));
    exportLoop(state, resume, ResumeLayoutMode::ats);
}
BENCHMARK(BM_TenMegabytesOfProse)->Unit(benchmark::kMillisecond)->Iterations(1);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
