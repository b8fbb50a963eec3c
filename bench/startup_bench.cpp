// Start-up: a new process, from exec to the main window's first paint, over a store of 1,000 and
// of 10,000 résumés. The program runs itself as the app: the child does exactly what the app's main does
// (application object, fonts, launch preflight, store, window) and reports the moment the main
// window has first been painted; the parent times from just before it starts the child to that
// report. The child's teardown (saving, the launch and background backups) is not timed.
#include "app/quillora_app.h"
#include "bench_support.h"
#include "store/store_location.h"

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
