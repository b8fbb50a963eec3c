// Cost of the floating close and help buttons while the screen under them scrolls: each frame
// redraws the discs over what has just moved behind them, blurred.
#include "controls/floating_buttons.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QVBoxLayout>

#include "bench_support.h"

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

// A help-like sheet: the themed background, a scrolling column of text and, when asked, both
// floating buttons over it. Each iteration scrolls three points and lets the window redraw.
void BM_ScrollFrame(benchmark::State& state) {
    const bool withButtons = state.range(0) != 0;
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("settings.conf")));
    Appearance appearance;
    ThemedBackground window(settings, appearance);
    window.resize(static_cast<int>(state.range(1)), static_cast<int>(state.range(2)));
    auto* layout = new QVBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* scroll = new QScrollArea(&window);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->viewport()->setAutoFillBackground(false);
    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* column = new QVBoxLayout(page);
    for (int i = 0; i < 200; ++i) {
        auto* line =
            new QLabel(QStringLiteral("• Line %1 of the help text that scrolls under the buttons").arg(i));
        column->addWidget(line);
    }
    scroll->setWidget(page);
    layout->addWidget(scroll);
    if (withButtons) {
        new FloatingCloseButton(appearance, &window);
        new FloatingHelpButton(appearance, &window);
    }
    window.show();
    QApplication::processEvents();
    QScrollBar* bar = scroll->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue((++step * 3) % bar->maximum());
        scroll->viewport()->repaint();
    }
    state.SetLabel(withButtons ? "with the floating buttons" : "without them");
}
BENCHMARK(BM_ScrollFrame)
    ->Args({0, 1024, 640})
    ->Args({1, 1024, 640})
    ->Args({0, 1920, 1080})
    ->Args({1, 1920, 1080})
    ->Unit(benchmark::kMicrosecond);

// One button's redraw alone: the grab of what lies behind, its blur and the disc.
void BM_ButtonRedraw(benchmark::State& state) {
    QTemporaryDir dir;
    Settings settings(dir.filePath(QStringLiteral("settings.conf")));
    Appearance appearance;
    ThemedBackground window(settings, appearance);
    window.resize(1024, 640);
    auto* button = new FloatingCloseButton(appearance, &window);
    window.show();
    QApplication::processEvents();
    for (auto _ : state)
        button->repaint();
}
BENCHMARK(BM_ButtonRedraw)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
