// Start-up: from the launch preflight to the main window's first paint, over a store of
// 1,000 résumés.
#include "app/main_window.h"
#include "bench_support.h"
#include "platform/appearance.h"
#include "platform/services.h"
#include "store/app_store.h"
#include "store/store_location.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

void seedStore() {
    (void)ensureStoreDirectory();
    auto container = ModelContainer::open(storeFileURL());
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    if (context.fetchResumes()->size() >= 1000)
        return;
    bench::insertSampleResumes(context, 1000);
}

void BM_LaunchToFirstPaint(benchmark::State& state) {
    seedStore();
    for (auto _ : state) {
        AppStore store = openAppStore();
        Services services(std::move(store.container));
        services.appearance().setReduceMotionOverride(true);
        MainWindow window(services);
        window.resize(1180, 780);
        window.show();
        benchmark::DoNotOptimize(window.grab());
        state.PauseTiming();
        window.hide();
        QApplication::processEvents(); // the launch backup runs after the first paint
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LaunchToFirstPaint)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
