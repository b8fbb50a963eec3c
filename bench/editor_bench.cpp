// Editor speed: opening the editor of a résumé with 30 experience entries (built, laid out and
// painted once), and one keystroke in a field of that résumé (the write and its notices; the
// store is not touched until the context saves).
#include "app/services.h"
#include "bench_support.h"
#include "editor/resume_editor_view.h"
#include "theme/font_resolver.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

struct Fixture {
    std::unique_ptr<Services> services;
    ResumePtr resume;

    Fixture() {
        services = Services::forTesting(QDir::tempPath() + QStringLiteral("/editor-bench.ini"));
        bench::insertSampleResumes(services->context(), 1, 30, 5);
        resume = services->context().fetchResumes()->first();
    }
};

void BM_OpenEditor30Entries(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        ResumeEditorView view(f.resume, *f.services);
        view.resize(900, 800);
        view.show();
        // The first frame: layout and paint of what is on screen.
        benchmark::DoNotOptimize(view.grab());
        state.PauseTiming();
        view.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenEditor30Entries)->Unit(benchmark::kMillisecond);

void BM_KeystrokeInTitle(benchmark::State& state) {
    Fixture f;
    ResumeEditorView view(f.resume, *f.services);
    view.resize(900, 800);
    view.show();
    auto* field = view.findChild<QLineEdit*>(QStringLiteral("resumeTitleField"));
    field->setFocus();
    const auto press = [field](int key, const QString& text) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier, text);
        QCoreApplication::sendEvent(field, &event);
    };
    for (auto _ : state) {
        press(Qt::Key_A, QStringLiteral("a"));
        press(Qt::Key_Backspace, QString());
    }
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_KeystrokeInTitle)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    FontResolver::registerAppFonts();
    return bench::runBenchmarks(argc, argv);
}
