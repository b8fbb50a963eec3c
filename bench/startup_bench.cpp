// Start-up: from the launch preflight to the main window's first paint, over a store of
// 1,000 résumés.
#include "app/main_window.h"
#include "platform/appearance.h"
#include "store/app_store.h"
#include "store/store_location.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

void seedStore()
{
    (void)ensureStoreDirectory();
    auto container = ModelContainer::open(storeFileURL());
    auto& context = container.value()->mainContext();
    context.setAutosaveEnabled(false);
    if (context.fetchResumes()->size() >= 1000)
        return;
    const QDateTime base = QDateTime::currentDateTimeUtc();
    for (int i = 0; i < 1000; ++i) {
        QList<ExperiencePtr> experience;
        for (int j = 0; j < 5; ++j)
            experience << std::make_shared<Experience>(QStringLiteral("Role %1").arg(j), QStringLiteral("Company"),
                                                       QStringLiteral("2020"), QStringLiteral("2022"),
                                                       QString(400, QLatin1Char('d')), j);
        QList<EducationPtr> education;
        for (int j = 0; j < 3; ++j)
            education << std::make_shared<Education>(QStringLiteral("School"), QStringLiteral("BA"),
                                                     QStringLiteral("2010"), j);
        context.insert(std::make_shared<Resume>(
            QStringLiteral("Résumé %1").arg(i), QStringLiteral("Name"), QStringLiteral("contact"),
            QString(600, QLatin1Char('s')), experience, education, QList<PortfolioItemPtr>{}, std::nullopt,
            std::nullopt, std::nullopt, false, QString(), QString(), QString(), std::nullopt, false, QString(),
            QString(), std::nullopt, std::nullopt, QStringLiteral("Helvetica Neue"), 0, base.addSecs(i), true,
            QStringList{}, QStringList{QStringLiteral("Qt")}, std::nullopt));
    }
    (void)context.save();
}

void BM_LaunchToFirstPaint(benchmark::State& state)
{
    seedStore();
    for (auto _ : state) {
        AppStore store = openAppStore();
        MainWindow window(store.container.get());
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

int main(int argc, char** argv)
{
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    Appearance::shared().setReduceMotionOverride(true);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
