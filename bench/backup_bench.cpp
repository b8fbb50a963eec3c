// Time to write the JSON user backup of a large store, and how long the UI thread is held when
// only the records are taken there and the writing happens on a worker.
#include "store/model_container.h"
#include "store/store_location.h"
#include "store/user_backup.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

QString words(int count, int seed) {
    static const QStringList vocabulary{QStringLiteral("designed"),  QStringLiteral("shipped"),
                                        QStringLiteral("led"),       QStringLiteral("research"),
                                        QStringLiteral("résumé"),    QStringLiteral("platform/tools"),
                                        QStringLiteral("customers"), QStringLiteral("\"quality\"")};
    QStringList out;
    for (int i = 0; i < count; ++i)
        out << vocabulary.at((i * 7 + seed) % vocabulary.size());
    return out.join(QLatin1Char(' '));
}

ResumePtr makeResume(int n, int images) {
    QList<ExperiencePtr> experience;
    for (int i = 0; i < 3; ++i)
        experience << std::make_shared<Experience>(
            QStringLiteral("Role %1").arg(i), QStringLiteral("Company %1").arg(n), QStringLiteral("2015"),
            QStringLiteral("2019"), words(60, n + i), 2 - i);
    QList<EducationPtr> education{std::make_shared<Education>(
        QStringLiteral("University"), QStringLiteral("BSc"), QStringLiteral("2014"), 0)};
    QList<PortfolioItemPtr> portfolio;
    for (int i = 0; i < images; ++i) {
        QByteArray bytes(1 << 20, Qt::Uninitialized);
        QRandomGenerator generator(quint32(n * 10 + i));
        generator.fillRange(reinterpret_cast<quint32*>(bytes.data()), bytes.size() / 4);
        portfolio << std::make_shared<PortfolioItem>(QUuid::createUuid(), bytes,
                                                     QStringLiteral("Image %1").arg(i), i,
                                                     PortfolioImageOrientation::landscape);
    }
    const QDateTime when = QDateTime::currentDateTimeUtc().addSecs(-n);
    return std::make_shared<Resume>(QStringLiteral("Résumé %1").arg(n), QStringLiteral("Person %1").arg(n),
                                    QStringLiteral("p%1@example.com").arg(n), words(80, n), experience,
                                    education, portfolio, std::nullopt, QStringLiteral("Work"), std::nullopt,
                                    true, words(150, n), words(100, n), QString(), when, false, QString(),
                                    QString(), std::nullopt, std::nullopt, QStringLiteral("Avenir Next"), 0,
                                    when, true, QStringList{QStringLiteral("Figma"), QStringLiteral("UX")},
                                    QStringList{QStringLiteral("Figma")}, std::nullopt);
}

// A saved store of `count` résumés with `images` 1 MB images each, written in batches; made
// once per program run.
QString makeStore(int count, int images) {
    static QSet<QString> made;
    const QString path =
        QDir::tempPath() + QStringLiteral("/bench-backup-%1-%2.store").arg(count).arg(images);
    if (made.contains(path))
        return path;
    made.insert(path);
    bench::writeStoreInBatches(path, count, [images](ModelContext& context, int from, int batch) {
        for (int n = from; n < from + batch; ++n)
            context.insert(makeResume(n, images));
        if (!context.save())
            qFatal("save failed");
    });
    return path;
}

std::unique_ptr<ModelContainer> reopen(const QString& path) {
    auto container = ModelContainer::open(path);
    if (!container)
        qFatal("store failed: %s", qPrintable(container.error()));
    auto store = std::move(container).value();
    store->mainContext().setAutosaveEnabled(false);
    return store;
}

// The whole backup on the calling thread, as the synchronous writeUserBackup does it.
void BM_WriteUserBackup(benchmark::State& state) {
    const int count = int(state.range(0)), images = int(state.range(1));
    const QString path = makeStore(count, images);
    auto store = reopen(path);
    bench::QuietStdout quiet;
    for (auto _ : state)
        writeUserBackup(store->mainContext(), QStringLiteral("background"));
    state.counters["bytes"] =
        double(QFileInfo(backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json")).size());
}

// How long writeUserBackupInBackground holds the calling (UI) thread: it copies what is not
// saved yet (here one edited title) and leaves reading the saved résumés and images from the
// store file, encoding and writing to the worker. The store is opened afresh each time, as at
// launch, so no image has been read yet.
void BM_BackgroundBackupCallerThread(benchmark::State& state) {
    const int count = int(state.range(0)), images = int(state.range(1));
    const QString path = makeStore(count, images);
    bench::QuietStdout quiet;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = reopen(path);
        // The app has loaded its list before the first backup; one edit is not saved yet.
        store->mainContext().fetchResumes()->first()->setTitle(QStringLiteral("Pending edit"));
        state.ResumeTiming();
        writeUserBackupInBackground(store->mainContext(), QStringLiteral("launch"), path);
        state.PauseTiming();
        waitForUserBackups();
        store.reset();
        state.ResumeTiming();
    }
}

// The whole background run, caller and worker, until the files are written.
void BM_BackgroundBackupUntilWritten(benchmark::State& state) {
    const int count = int(state.range(0)), images = int(state.range(1));
    const QString path = makeStore(count, images);
    bench::QuietStdout quiet;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = reopen(path);
        (void)store->mainContext().fetchResumes();
        state.ResumeTiming();
        writeUserBackupInBackground(store->mainContext(), QStringLiteral("launch"), path);
        waitForUserBackups();
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}

// Memory of the launch backup as the app runs it: the store open and its list fetched, the
// backup written on the worker. Reports what the app held before, its peak while the backup ran,
// and what it holds once the backup is done and the app is idle again.
void BM_LaunchBackupMemory(benchmark::State& state) {
    const int count = int(state.range(0));
    const QString path = makeStore(count, 0);
    bench::QuietStdout quiet;
    double before = 0, peak = 0, idle = 0;
    for (auto _ : state) {
        state.PauseTiming();
        auto store = reopen(path);
        if (store->mainContext().fetchResumes()->size() != count)
            state.SkipWithError("the store does not hold the résumés");
        bench::resetPeakMemory();
        before = bench::residentMemoryMiB();
        state.ResumeTiming();
        writeUserBackupInBackground(store->mainContext(), QStringLiteral("launch"), path);
        waitForUserBackups();
        state.PauseTiming();
        peak = bench::peakMemoryMiB();
        idle = bench::residentMemoryMiB();
        store.reset();
        state.ResumeTiming();
    }
    state.counters["list_RSS_MiB"] = before;
    state.counters["peak_RSS_MiB"] = peak;
    state.counters["idle_RSS_MiB"] = idle;
    state.counters["bytes"] =
        double(QFileInfo(backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json")).size());
}

} // namespace

// A store of 1,000, 10,000 and 100,000 résumés without images, and a small one with images.
void sizes(benchmark::internal::Benchmark* b) {
    for (int count : {1000, 10000, 100000})
        b->Args({count, 0});
    b->Args({50, 4});
}

BENCHMARK(BM_WriteUserBackup)->Apply(sizes)->Iterations(3)->Unit(benchmark::kMillisecond)->UseRealTime();
// Each run reopens the store and waits for the worker outside the timing: a fixed count keeps
// the program quick.
BENCHMARK(BM_BackgroundBackupCallerThread)
    ->Apply(sizes)
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(BM_BackgroundBackupUntilWritten)
    ->Apply(sizes)
    ->Iterations(3)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(BM_LaunchBackupMemory)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", (home.path() + QStringLiteral("/data")).toLocal8Bit());
    qputenv("TMPDIR", home.path().toLocal8Bit());
    QCoreApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
