// Store speed and memory at 1,000, 10,000 and 100,000 résumés of 5 experience and 3 education
// entries each. Each case reports its own peak resident memory.
#include "bench_support.h"
#include "store/model_container.h"
#include "sync_counter.h"

#include <QCoreApplication>
#include <QTemporaryDir>
#include <QUuid>

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

// Saving one changed field of a loaded store, as autosave does after an edit. Every repetition
// writes a title the store never held (a save of an unchanged value writes nothing), on a
// different résumé each time; syncs_per_save counts the disk syncs SQLite asked for.
void BM_SaveOneChangedField(benchmark::State& state) {
    const QString path = bench::sampleStore(int(state.range(0)));
    bench::resetPeakMemory();
    auto container = ModelContainer::open(path);
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    const auto list = *context.fetchResumes();
    // The benchmark library runs this function several times over one store: the counter and
    // the run's own mark keep every title new.
    static int n = 0;
    const QString run = QUuid::createUuid().toString(QUuid::WithoutBraces);
    const qint64 rowsBefore = context.rowsWritten();
    const qint64 syncsBefore = bench::SyncCounter::syncs();
    for (auto _ : state) {
        list.at(n % list.size())->setTitle(QStringLiteral("Edited %1 %2").arg(n).arg(run));
        ++n;
        if (!context.save())
            state.SkipWithError("the save failed");
    }
    const auto saves = double(state.iterations());
    if (context.rowsWritten() - rowsBefore < state.iterations())
        state.SkipWithError("a save wrote nothing");
    state.counters["rows_per_save"] = double(context.rowsWritten() - rowsBefore) / saves;
    state.counters["syncs_per_save"] = double(bench::SyncCounter::syncs() - syncsBefore) / saves;
    state.counters["peak_RSS_MiB"] = bench::peakMemoryMiB();
}
BENCHMARK(BM_SaveOneChangedField)->Apply(bench::storeSizes)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toLocal8Bit());
    bench::SyncCounter::install();
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
