// Résumé list speed: the list model over 1,000 résumés, and one row's data.
#include "app/resume_list_model.h"
#include "bench_support.h"
#include "store/model_container.h"

#include <QCoreApplication>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

std::unique_ptr<ModelContainer> seededStore() {
    auto container = std::move(ModelContainer::inMemory()).value();
    auto& context = container->mainContext();
    context.setAutosaveEnabled(false);
    // Dates out of order, so building the model really sorts.
    bench::insertSampleResumes(context, 1000, 0, 0);
    (void)context.fetchResumes();
    return container;
}

void BM_BuildListModel(benchmark::State& state) {
    auto store = seededStore();
    for (auto _ : state) {
        ResumeListModel model(store->mainContext());
        benchmark::DoNotOptimize(model.rowCount());
    }
}
BENCHMARK(BM_BuildListModel)->Unit(benchmark::kMillisecond);

// Everything a painted card and its accessibility ask of one row.
void BM_OneRowData(benchmark::State& state) {
    auto store = seededStore();
    ResumeListModel model(store->mainContext());
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
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
