// Store speed and memory at 1,000, 10,000 and 100,000 résumés of 5 experience and 3 education
// entries each. Each case reports its own peak resident memory.
#include "bench_support.h"
#include "store/model_container.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

// Opening the store and fetching the sorted list, as the list screen does at launch.
void BM_OpenAndFetchSorted(benchmark::State& state) {
    const QString path = bench::sampleStore(int(state.range(0)));
    bench::resetPeakMemory();
    for (auto _ : state) {
        auto container = std::move(ModelContainer::open(path)).value();
        auto list = container->mainContext().fetchResumes();
        if (list->size() != state.range(0))
            state.SkipWithError("the store does not hold the résumés");
        benchmark::DoNotOptimize(list->size());
        // Closing is not part of opening.
        state.PauseTiming();
        list = QList<ResumePtr>();
        container.reset();
        state.ResumeTiming();
    }
    state.counters["peak_RSS_MiB"] = bench::peakMemoryMiB();
}
BENCHMARK(BM_OpenAndFetchSorted)->Apply(bench::storeSizes)->Unit(benchmark::kMillisecond);

// Saving one changed field of a loaded store, as autosave does after an edit.
void BM_SaveOneChangedField(benchmark::State& state) {
    const QString path = bench::sampleStore(int(state.range(0)));
    bench::resetPeakMemory();
    auto container = ModelContainer::open(path);
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    const auto list = *context.fetchResumes();
    int n = 0;
    for (auto _ : state) {
        list.at(n % list.size())->setTitle(QStringLiteral("Edited %1").arg(n));
        ++n;
        if (!context.save())
            state.SkipWithError("the save failed");
    }
    state.counters["peak_RSS_MiB"] = bench::peakMemoryMiB();
}
BENCHMARK(BM_SaveOneChangedField)->Apply(bench::storeSizes)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
