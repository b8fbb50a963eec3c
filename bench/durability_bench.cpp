// What a save costs when every commit waits for the disk (synchronous = FULL) against waiting
// only at checkpoints (NORMAL), on the disk that holds the temporary directory: one résumé's
// title, summary and lastEdited written in a transaction of its own, as the editor's save does,
// in a store of 1,000 résumés.
#include "bench_support.h"
#include "store/model_container.h"
#include "store/sqlite.h"

#include <QCoreApplication>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

void BM_SaveOneResume(benchmark::State& state) {
    const bool full = state.range(0) == 1;
    state.SetLabel(full ? "synchronous=FULL" : "synchronous=NORMAL");
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("default.store"));
    {
        auto container = ModelContainer::open(path);
        auto& context = container.value()->mainContext();
        context.setAutosaveEnabled(false);
        bench::insertSampleResumes(context, 1000);
    }
    auto db = sql::Database::open(path, sql::Database::Mode::ReadWrite);
    (void)db->exec(QStringLiteral("PRAGMA journal_mode = WAL"));
    (void)db->exec(full ? QStringLiteral("PRAGMA synchronous = FULL")
                        : QStringLiteral("PRAGMA synchronous = NORMAL"));
    QList<qint64> rows;
    {
        auto select = db->prepare(QStringLiteral("SELECT rowid FROM \"Resume\""));
        while (select->next())
            rows << select->int64(0);
    }
    auto update = db->prepare(QStringLiteral(
        "UPDATE \"Resume\" SET \"title\" = ?, \"summary\" = ?, \"lastEdited\" = ? WHERE rowid = ?"));
    const QString summary(600, QLatin1Char('s'));
    int n = 0;
    for (auto _ : state) {
        (void)db->exec(QStringLiteral("BEGIN IMMEDIATE"));
        update->bind(1, QStringLiteral("Edited %1").arg(n));
        update->bind(2, summary);
        update->bind(3, QStringLiteral("2026-12-07T10:00:%1Z").arg(n % 60, 2, 10, QLatin1Char('0')));
        update->bind(4, rows.at(n % rows.size()));
        benchmark::DoNotOptimize(update->exec().ok());
        (void)db->exec(QStringLiteral("COMMIT"));
        ++n;
    }
}
BENCHMARK(BM_SaveOneResume)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond)->UseRealTime();

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
