// Portfolio speed: opening the editor of a résumé with twenty 12-megapixel photos stored in the
// store file (the first frame, with the images' bytes read and the card's write-back saved),
// and the time until every thumbnail is decoded on the workers, with the peak memory of that.
#include "app/services.h"
#include "bench_support.h"
#include "editor/portfolio_card.h"
#include "editor/resume_editor_view.h"
#include "sync_counter.h"
#include "theme/font_resolver.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QScrollArea>

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

constexpr int photoCount = 20;

// A 4000 × 3000 JPEG with photo-like detail (a few megabytes), made once.
QByteArray photo() {
    static const QByteArray bytes = [] {
        QImage image(4000, 3000, QImage::Format_RGB32);
        QRandomGenerator random(7);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x)
                line[x] = qRgb((x / 16) % 256, (y / 12) % 256, int(random.bounded(256)));
        }
        QByteArray out;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        image.save(&buffer, "JPEG", 90);
        return out;
    }();
    return bytes;
}

// The window's pending layout and paint work, done now: what the event loop does after an event.
void repaintNow() {
    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::UpdateRequest);
    QCoreApplication::sendPostedEvents();
}

// A key press and release as the window system delivers them to the focused field.
void typeCharacter(QWidget* target, QChar character) {
    const QString text(character);
    const auto key = Qt::Key(character.toUpper().unicode());
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &press);
    QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier, text);
    QCoreApplication::sendEvent(target, &release);
}

struct Fixture {
    std::unique_ptr<Services> services;
    ResumePtr resume;

    Fixture() {
        const QString path = QDir::temp().filePath(QStringLiteral("portfolio-bench.store"));
        for (const char* suffix : {"", "-wal", "-shm"})
            QFile::remove(path + QLatin1String(suffix));
        {
            auto container = ModelContainer::open(path);
            ModelContext& context = container.value()->mainContext();
            context.setAutosaveEnabled(false);
            bench::insertSampleResumes(context, 1, 5, 2);
            ResumePtr r = context.fetchResumes()->first();
            QList<PortfolioItemPtr> items;
            for (int i = 0; i < photoCount; ++i) {
                // Distinct bytes per image: a trailer after the end marker, which decoders ignore.
                const QByteArray bytes = photo() + QByteArray::number(i);
                items << std::make_shared<PortfolioItem>(QUuid::createUuid(), bytes,
                                                         QStringLiteral("Photo %1").arg(i), i,
                                                         PortfolioImageOrientation::landscape);
            }
            r->setPortfolioItems(items);
            (void)context.save();
        }
        auto container = ModelContainer::open(path);
        services = std::make_unique<Services>(
            std::move(container).value(),
            std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("portfolio-bench.ini"))));
        services->context().setAutosaveEnabled(false);
    }

    // A fresh copy of the résumé from the store, its images not read yet, as after a restart.
    ResumePtr freshResume() {
        const QString path = QDir::temp().filePath(QStringLiteral("portfolio-bench.store"));
        auto container = ModelContainer::open(path);
        services = std::make_unique<Services>(
            std::move(container).value(),
            std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("portfolio-bench.ini"))));
        services->context().setAutosaveEnabled(false);
        return services->context().fetchResumes()->first();
    }
};

void BM_OpenEditorTwentyPhotos(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        ResumePtr resume = f.freshResume();
        state.ResumeTiming();
        {
            ResumeEditorView view(resume, *f.services);
            view.resize(900, 800);
            view.show();
            benchmark::DoNotOptimize(view.grab());
            state.PauseTiming();
            auto* card = qobject_cast<PortfolioCard*>(view.sectionWidget(EditorSection::portfolio));
            while (card->isLoading())
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            card->thumbnails().waitForDecodes();
            view.hide();
        }
        state.ResumeTiming();
    }
}
BENCHMARK(BM_OpenEditorTwentyPhotos)->Unit(benchmark::kMillisecond)->Iterations(5);

// From the editor's first frame until the working copy holds the images read on the worker.
void BM_TwentyPhotosReadAfterOpening(benchmark::State& state) {
    Fixture f;
    for (auto _ : state) {
        state.PauseTiming();
        ResumePtr resume = f.freshResume();
        ResumeEditorView view(resume, *f.services);
        view.resize(900, 800);
        view.show();
        auto* card = qobject_cast<PortfolioCard*>(view.sectionWidget(EditorSection::portfolio));
        state.ResumeTiming();
        while (card->isLoading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        state.PauseTiming();
        card->thumbnails().waitForDecodes();
        view.hide();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_TwentyPhotosReadAfterOpening)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_TwentyThumbnailsDecoded(benchmark::State& state) {
    Fixture f;
    double peak = 0;
    for (auto _ : state) {
        state.PauseTiming();
        ResumePtr resume = f.freshResume();
        ResumeEditorView view(resume, *f.services);
        view.resize(900, 800);
        view.show();
        auto* card = qobject_cast<PortfolioCard*>(view.sectionWidget(EditorSection::portfolio));
        while (card->isLoading())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
        card->thumbnails().waitForDecodes();
        bench::resetPeakMemory();
        const double before = bench::peakMemoryMiB();
        // Decoding again from scratch: a new card over the same rows.
        PortfolioThumbnails thumbnails;
        state.ResumeTiming();
        for (const auto& row : card->pickerItems())
            thumbnails.state(row);
        thumbnails.waitForDecodes();
        state.PauseTiming();
        peak = std::max(peak, bench::peakMemoryMiB() - before);
        view.hide();
        state.ResumeTiming();
    }
    state.counters["peak_growth_MiB"] = peak;
}
BENCHMARK(BM_TwentyThumbnailsDecoded)->Unit(benchmark::kMillisecond)->Iterations(3);

// One character typed into a caption of a résumé with twenty photos, as the user types it: the
// key press in the caption field, the working copy, the two write-backs and the saves they make,
// and the repaint of what changed, all on the UI thread. syncs_per_keystroke counts the disk
// syncs of those saves.
void BM_CaptionKeystrokeTwentyPhotos(benchmark::State& state) {
    Fixture f;
    ResumePtr resume = f.freshResume();
    ResumeEditorView view(resume, *f.services);
    view.resize(900, 800);
    view.show();
    auto* card = qobject_cast<PortfolioCard*>(view.sectionWidget(EditorSection::portfolio));
    while (card->isLoading())
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    card->thumbnails().waitForDecodes();
    card->setCaptionsExpanded(true);
    auto* field = card->findChild<QLineEdit*>(QStringLiteral("portfolioCaptionField") +
                                              portfolioIdText(card->pickerItems().at(3).id));
    if (!field) {
        state.SkipWithError("no caption field");
        return;
    }
    // The card scrolled into view and the field focused, as when the user clicks into it.
    view.activateWindow();
    repaintNow();
    view.scrollArea()->ensureWidgetVisible(field);
    field->setFocus();
    repaintNow();
    bench::QuietStdout quiet; // the save routine prints its lines
    const qint64 syncsBefore = bench::SyncCounter::syncs();
    const qint64 rowsBefore = f.services->context().rowsWritten();
    const double writtenBefore = bench::bytesWrittenMiB();
    for (auto _ : state) {
        if (field->text().size() > 40)
            field->clear(); // a caption of a sensible length; the clearing is a keystroke too
        typeCharacter(field, QLatin1Char('a'));
        repaintNow();
    }
    state.counters["syncs_per_keystroke"] =
        double(bench::SyncCounter::syncs() - syncsBefore) / double(state.iterations());
    state.counters["rows_per_keystroke"] =
        double(f.services->context().rowsWritten() - rowsBefore) / double(state.iterations());
    state.counters["MiB_written_per_keystroke"] =
        (bench::bytesWrittenMiB() - writtenBefore) / double(state.iterations());
    if (card->pickerItems().at(3).caption != field->text())
        state.SkipWithError("the caption did not reach the working copy");
    view.hide();
}
BENCHMARK(BM_CaptionKeystrokeTwentyPhotos)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    bench::SyncCounter::install();
    QApplication app(argc, argv);
    FontResolver::registerAppFonts();
    return bench::runBenchmarks(argc, argv);
}
