// Portfolio speed: opening the editor of a résumé with twenty 12-megapixel photos stored in the
// store file (the first frame, with the images' bytes read and the card's write-back saved),
// and the time until every thumbnail is decoded on the workers, with the peak memory of that.
#include "app/services.h"
#include "bench_support.h"
#include "editor/portfolio_card.h"
#include "editor/resume_editor_view.h"
#include "theme/font_resolver.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QPainter>
#include <QRandomGenerator>

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

// One character typed into a caption of a résumé with twenty photos: the working copy, the two
// write-backs and the three saves it causes.
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
    QString caption;
    for (auto _ : state) {
        caption += QLatin1Char('a');
        card->updatePortfolioCaption(3, caption);
    }
    view.hide();
}
BENCHMARK(BM_CaptionKeystrokeTwentyPhotos)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("QT_LOGGING_RULES", "qt.qpa.*=false");
    QApplication app(argc, argv);
    FontResolver::registerAppFonts();
    return bench::runBenchmarks(argc, argv);
}
