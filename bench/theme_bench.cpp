// Cost of the themed background that every screen draws behind its content, and of one scroll
// frame of the editor, whose section cards show the background blurred through them.
#include "app/services.h"
#include "editor/resume_editor_view.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/background_layers.h"
#include "theme/font_resolver.h"
#include "theme/orb_layer.h"
#include "theme/project_theme.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <memory>

using namespace quillora;

namespace {

struct Fixture {
    QTemporaryDir dir;
    Settings settings{dir.filePath(QStringLiteral("settings.conf"))};
    Appearance appearance;
};

Fixture& fixture() {
    static Fixture instance;
    return instance;
}

// Repainting after the first paint: the widget only copies its cached backdrop.
void BM_RepaintAfterFirstPaint(benchmark::State& state) {
    ThemedBackground background(fixture().settings, fixture().appearance);
    background.setOrbScale(1.15);
    background.resize(1440, 900);
    QImage target(1440, 900, QImage::Format_RGB32);
    background.render(&target);
    for (auto _ : state) {
        background.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintAfterFirstPaint)->Unit(benchmark::kMillisecond);

// The first paint (and the paint once a resize has settled): random layers, orb layer and
// composite are all built.
void BM_FirstPaintAtNewSize(benchmark::State& state) {
    QImage target(1441, 901, QImage::Format_RGB32);
    int step = 0;
    for (auto _ : state) {
        ThemedBackground background(fixture().settings, fixture().appearance);
        background.setOrbScale(1.15);
        background.resize(1440 + (step % 2), 900);
        ++step;
        background.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_FirstPaintAtNewSize)->Unit(benchmark::kMillisecond);

// One frame while the window is being resized: the cached backdrop stands in, stretched.
void BM_ResizeFrame(benchmark::State& state) {
    // Inside a shown window, so that resizes reach it as they do on screen.
    QWidget window;
    window.resize(1442, 900);
    auto* background = new ThemedBackground(fixture().settings, fixture().appearance, &window);
    background->setOrbScale(1.15);
    background->resize(1440, 900);
    window.show();
    QImage target(1442, 901, QImage::Format_RGB32);
    background->render(&target);
    int step = 0;
    for (auto _ : state) {
        background->resize(1441 + (++step % 2), 900);
        background->render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
    if (!background->showsResizeFrame())
        state.SkipWithError("the resize frame was not the stand-in");
}
BENCHMARK(BM_ResizeFrame)->Unit(benchmark::kMillisecond);

// A gradient change at an unchanged size: the random layers are reused.
void BM_RepaintAfterGradientChange(benchmark::State& state) {
    ThemedBackground background(fixture().settings, fixture().appearance);
    background.resize(1440, 900);
    QImage target(1440, 900, QImage::Format_RGB32);
    background.render(&target);
    int id = 0;
    for (auto _ : state) {
        fixture().settings.setSelectedGradientID(id++ % quilloraGradientCount);
        background.render(&target);
        benchmark::DoNotOptimize(target.constBits());
    }
}
BENCHMARK(BM_RepaintAfterGradientChange)->Unit(benchmark::kMillisecond);

void BM_OrbLayer(benchmark::State& state) {
    const BackgroundStyle style =
        standardProjectTheme().gradientPalette(QuilloraGradientID::g4, ColorScheme::light);
    for (auto _ : state)
        benchmark::DoNotOptimize(renderOrbBackgroundLayer(style, standardProjectTheme(), QSize(1440, 900)));
}
BENCHMARK(BM_OrbLayer)->Unit(benchmark::kMillisecond);

void BM_GrainLayer(benchmark::State& state) {
    QImage image(1440, 900, QImage::Format_ARGB32_Premultiplied);
    for (auto _ : state) {
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        drawGrainLayer(painter, QSizeF(1440, 900));
    }
}
BENCHMARK(BM_GrainLayer)->Unit(benchmark::kMillisecond);

// The blurred, tinted copy the translucent cards show, made again after the backdrop or tint
// changed (here the tint, every time), at 1920 x 1080.
void BM_FrostedBackdrop(benchmark::State& state) {
    ThemedBackground background(fixture().settings, fixture().appearance);
    background.resize(1920, 1080);
    QImage target(1920, 1080, QImage::Format_RGB32);
    background.render(&target);
    int step = 0;
    for (auto _ : state)
        benchmark::DoNotOptimize(background.frostedBackdrop(QColor(255, 255, 255, 100 + (++step % 2))));
}
BENCHMARK(BM_FrostedBackdrop)->Unit(benchmark::kMillisecond);

// One frame of the editor scrolling three points at the given window size, in the light
// (range 2 = 1) or dark scheme: the background under the page and every card on screen redrawn.
void BM_EditorScrollFrame(benchmark::State& state) {
    QTemporaryDir dir;
    const auto services = Services::forTesting(dir.filePath(QStringLiteral("settings.ini")));
    services->appearance().setLightOverride(state.range(2) != 0);
    bench::insertSampleResumes(services->context(), 1);
    ResumeEditorView view(services->context().fetchResumes()->first(), *services);
    view.resize(static_cast<int>(state.range(0)), static_cast<int>(state.range(1)));
    view.show();
    QCoreApplication::processEvents();
    auto* scroll = view.findChild<QScrollArea*>(QStringLiteral("editorScrollArea"));
    QScrollBar* bar = scroll->verticalScrollBar();
    int step = 0;
    for (auto _ : state) {
        bar->setValue((++step * 3) % std::max(1, bar->maximum()));
        scroll->viewport()->repaint();
    }
    state.SetLabel(state.range(2) != 0 ? "light" : "dark");
}
BENCHMARK(BM_EditorScrollFrame)
    ->Args({1024, 640, 1})
    ->Args({1024, 640, 0})
    ->Args({1920, 1080, 1})
    ->Args({1920, 1080, 0})
    ->Unit(benchmark::kMicrosecond);

void BM_GradientPalette(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(
            standardProjectTheme().gradientPalette(QuilloraGradientID::g7, ColorScheme::dark));
}
BENCHMARK(BM_GradientPalette);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    FontResolver::registerAppFonts();
    return quillora::bench::runBenchmarks(argc, argv);
}
