// Start-up: a new process, from exec to the main window's first paint, over a store of 1,000 and
// of 10,000 résumés. The program runs itself as the app: the child does exactly what the app's main does
// (application object, fonts, launch preflight, store, window) and reports the moment the main
// window has first been painted; the parent times from just before it starts the child to that
// report. The child's teardown (saving, the launch and background backups) is not timed.
// Also the settling, at start-up, of the pushes to Morvessa that an earlier run left unfinished:
// 500 and 2,000 listed names, with a database that answers at once (the tests' stand-in).
#include "app/quillora_app.h"
#include "bench_support.h"
#include "sharing/morvessa_push_journal.h"
#include "sharing/morvessa_sharing.h"
#include "store/store_location.h"
#include "support/fake_cloud_database.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QMainWindow>
#include <QProcess>
#include <QTemporaryDir>
#include <QTimer>

#include <benchmark/benchmark.h>

#include <cstdio>

using namespace quillora;

namespace {

constexpr char kChildArgument[] = "--startup-child";
constexpr char kPaintedLine[] = "first paint";

// In the child: notices the main window's first paint and, once it is done, reports it and quits.
class FirstPaintWatcher final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!m_seen && event->type() == QEvent::Paint && watched->isWidgetType()) {
            auto* window = qobject_cast<QMainWindow*>(static_cast<QWidget*>(watched)->window());
            if (window) {
                m_seen = true;
                QTimer::singleShot(0, qApp, [] {
                    std::printf("%s\n", kPaintedLine);
                    std::fflush(stdout);
                    QCoreApplication::quit();
                });
            }
        }
        return false;
    }

private:
    bool m_seen = false;
};

int runChild(int argc, char** argv) {
    QApplication app(argc, argv);
    FirstPaintWatcher watcher;
    app.installEventFilter(&watcher);
    return runQuillora(app);
}

// A data folder whose store holds `count` sample résumés.
QString seededDataHome(int count) {
    const QString dataHome = QDir::temp().filePath(QStringLiteral("data-%1").arg(count));
    const QString directory = dataHome + QStringLiteral("/QuilloraStore");
    QDir().mkpath(directory);
    const QString store = directory + QLatin1Char('/') + storeFileName();
    if (!QFile::exists(store))
        QFile::copy(bench::sampleStore(count), store);
    return dataHome;
}

void BM_NewProcessToFirstPaint(benchmark::State& state) {
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_DATA_HOME"), seededDataHome(int(state.range(0))));
    const QString program = QCoreApplication::applicationFilePath();
    for (auto _ : state) {
        QProcess child;
        child.setProcessEnvironment(environment);
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(program, {QString::fromLatin1(kChildArgument)});
        bool painted = false;
        while (!painted && child.waitForReadyRead(30000)) {
            while (child.canReadLine()) {
                if (child.readLine().trimmed() == kPaintedLine)
                    painted = true;
            }
        }
        const double seconds = double(clock.nsecsElapsed()) / 1e9;
        state.SetIterationTime(seconds);
        if (!painted) {
            state.SkipWithError("the app did not paint its window");
            child.kill();
        }
        state.PauseTiming();
        child.waitForFinished(60000); // saving and the backups at quit are not start-up
        state.ResumeTiming();
    }
}
BENCHMARK(BM_NewProcessToFirstPaint)
    ->Arg(1000)
    ->Arg(10000)
    ->Unit(benchmark::kMillisecond)
    ->UseManualTime()
    ->Iterations(10);

// From the call to the moment the worker is done, and then "UI ms": the time the UI thread takes
// to apply the outcome (clearing names, writing the list).
void BM_SettleInterruptedPushes(benchmark::State& state) {
    qputenv("XDG_DATA_HOME", QDir::temp().filePath(QStringLiteral("settle-data")).toLocal8Bit());
    QDir().mkpath(storeDirectoryURL());
    auto cloud = std::make_shared<test::FakeCloud>();
    const MorvessaCloudService service([cloud] { return std::make_unique<test::FakeCloudDatabase>(cloud); });
    auto store = std::move(ModelContainer::inMemory()).value();
    double uiMilliseconds = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QStringList names;
        for (int i = 0; i < state.range(0); ++i) {
            names << MorvessaCloudService::newRecordName();
            if (i % 2 == 0)
                cloud->records[names.last()] = CloudRecord{};
        }
        QFile list(morvessaPushJournal::path());
        if (!list.open(QIODevice::WriteOnly) || list.write(names.join(QLatin1Char('\n')).toUtf8()) < 0)
            state.SkipWithError("the list could not be written");
        list.close();
        state.ResumeTiming();
        const bench::QuietStdout quiet;
        settleInterruptedMorvessaPushes(service, store->mainContext()).waitForFinished();
        QElapsedTimer ui;
        ui.start();
        QCoreApplication::processEvents();
        uiMilliseconds += double(ui.nsecsElapsed()) / 1e6;
        if (QFile::exists(morvessaPushJournal::path()))
            state.SkipWithError("names were left on the list");
    }
    state.counters["UI ms"] = benchmark::Counter(uiMilliseconds, benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_SettleInterruptedPushes)
    ->Arg(500)
    ->Arg(2000)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

} // namespace

int main(int argc, char** argv) {
    if (argc > 1 && qstrcmp(argv[argc - 1], kChildArgument) == 0)
        return runChild(argc, argv);
    QTemporaryDir home;
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("TMPDIR", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
