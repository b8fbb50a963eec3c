// Store speed and memory: 1,000 résumés of 5 experience and 3 education entries each.
#include "bench_support.h"
#include "store/model_container.h"

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <fstream>
#include <string>

using namespace quillora;

namespace {

QString seededStore(const QTemporaryDir& dir) {
    const QString path = dir.filePath(QStringLiteral("default.store"));
    auto container = ModelContainer::open(path);
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    bench::insertSampleResumes(context, 1000);
    return path;
}

long residentKiB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0)
            return std::stol(line.substr(6));
    }
    return 0;
}

void BM_OpenAndFetchSorted(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = seededStore(dir);
    for (auto _ : state) {
        auto container = ModelContainer::open(path);
        auto list = container.value()->mainContext().fetchResumes();
        benchmark::DoNotOptimize(list->size());
        state.counters["rss_MiB"] = double(residentKiB()) / 1024.0;
    }
}
BENCHMARK(BM_OpenAndFetchSorted)->Unit(benchmark::kMillisecond);

void BM_SaveOneChangedField(benchmark::State& state) {
    QTemporaryDir dir;
    const QString path = seededStore(dir);
    auto container = ModelContainer::open(path);
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    const auto list = *context.fetchResumes();
    int n = 0;
    for (auto _ : state) {
        list.at(n % list.size())->setTitle(QStringLiteral("Edited %1").arg(n));
        ++n;
        benchmark::DoNotOptimize(context.save().ok());
    }
}
BENCHMARK(BM_SaveOneChangedField)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
