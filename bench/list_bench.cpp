// The résumé list: opening a store of 1,000 résumés (5 experience and 3 education entries each),
// loading them into the list model of the list screen, laying it out and painting its first
// screen of rows; and what one painted row asks of the model.
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "bench_support.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_container.h"

#include <QApplication>
#include <QListView>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

void BM_LoadAndPaintFirstScreen(benchmark::State& state) {
    const QString path = bench::sampleStore(1000);
    const QString settings = QDir::temp().filePath(QStringLiteral("list-bench-settings.ini"));
    for (auto _ : state) {
        {
            auto container = ModelContainer::open(path);
            Services services(std::move(container).value(), std::make_unique<Settings>(settings));
            services.appearance().setReduceMotionOverride(true);
            ResumeListView view(services, UserInterfaceIdiom::other);
            view.resize(420, 780);
            const QPixmap painted = view.grab(); // lays out and paints the visible rows
            benchmark::DoNotOptimize(painted.cacheKey());
            if (view.model()->rowCount() != 1000)
                state.SkipWithError("the list does not hold the résumés");
            state.PauseTiming(); // closing is not part of showing
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_LoadAndPaintFirstScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

// Everything a painted card and its accessibility ask of one row.
void BM_OneRowData(benchmark::State& state) {
    auto container = std::move(ModelContainer::open(bench::sampleStore(1000))).value();
    ResumeListModel model(container->mainContext());
    const QModelIndex index = model.index(500);
    for (auto _ : state) {
        benchmark::DoNotOptimize(index.data(Qt::DisplayRole));
        benchmark::DoNotOptimize(index.data(ResumeListModel::FullNameRole));
        benchmark::DoNotOptimize(index.data(Qt::AccessibleTextRole));
        benchmark::DoNotOptimize(index.data(Qt::AccessibleDescriptionRole));
        benchmark::DoNotOptimize(index.data(ResumeListModel::IdentifierRole));
    }
}
BENCHMARK(BM_OneRowData)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("XDG_CACHE_HOME", home.filePath(QStringLiteral("cache")).toLocal8Bit());
    qputenv("TMPDIR", home.path().toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
