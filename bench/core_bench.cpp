// The core's live-editing paths:
//  - a change notice: a setter on a résumé with 30 entries, through its context (pending change,
//    autosave timer, list notice) to one bound field (target: at most 20 µs);
//  - an export snapshot of a résumé with twenty 12-megapixel JPEG images: the share of the UI
//    thread (target: at most 5 ms), and the copy a worker takes.
#include "controls/field_binding.h"
#include "model/resume_operations.h"
#include "output/resume_export_snapshot.h"
#include "store/model_container.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "bench_support.h"

#include <benchmark/benchmark.h>

using namespace quillora;

namespace {

ResumePtr resumeWithEntries(int entries) {
    ResumePtr resume = makeNewResume();
    QList<ExperiencePtr> experience;
    for (int i = 0; i < entries; ++i)
        experience << std::make_shared<Experience>(QStringLiteral("Role %1").arg(i),
                                                   QStringLiteral("Company"), QStringLiteral("2020"),
                                                   QStringLiteral("2022"), QString(400, QLatin1Char('d')), i);
    resume->setExperienceItems(experience);
    return resume;
}

void BM_ChangeNoticeToABoundField(benchmark::State& state) {
    auto store = std::move(ModelContainer::inMemory()).value();
    ModelContext& context = store->mainContext();
    ResumePtr resume = resumeWithEntries(30);
    context.insert(resume);
    (void)context.save();
    int listNotices = 0;
    QObject::connect(&context, &ModelContext::resumeChanged,
                     [&](Resume*, Resume::Property) { ++listNotices; });
    QLineEdit field;
    bindField(&field, resume, Resume::FullName);
    const QString names[] = {QStringLiteral("Avery Lindqvist"), QStringLiteral("Avery Q. Lindqvist")};
    int i = 0;
    for (auto _ : state) {
        resume->setFullName(names[i++ & 1]);
        benchmark::DoNotOptimize(field.text().size());
    }
    if (field.text() != resume->fullName() || listNotices == 0)
        state.SkipWithError("the field or the list did not follow");
    state.counters["notices"] = listNotices;
}
BENCHMARK(BM_ChangeNoticeToABoundField)->Unit(benchmark::kMicrosecond);

// An entry's setter announced by the context with its résumé.
void BM_EntryChangeNoticeThroughTheContext(benchmark::State& state) {
    auto store = std::move(ModelContainer::inMemory()).value();
    ModelContext& context = store->mainContext();
    ResumePtr resume = resumeWithEntries(30);
    context.insert(resume);
    (void)context.save();
    int notices = 0;
    QObject::connect(&context, &ModelContext::entryChanged, [&](Resume*, Record*, int) { ++notices; });
    const ExperiencePtr last = resume->experienceItems().last();
    const QString roles[] = {QStringLiteral("Lead"), QStringLiteral("Principal")};
    int i = 0;
    for (auto _ : state)
        last->setRole(roles[i++ & 1]);
    state.counters["notices"] = notices;
}
BENCHMARK(BM_EntryChangeNoticeThroughTheContext)->Unit(benchmark::kMicrosecond);

// A 4000 × 3000 photo-like JPEG (gradients and noise, so it compresses like a photo).
QByteArray twelveMegapixelJpeg(int seed) {
    QImage image(4000, 3000, QImage::Format_RGB32);
    QRandomGenerator random(quint32(seed + 1));
    for (int y = 0; y < image.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < image.width(); ++x) {
            const int noise = int(random.bounded(48));
            line[x] = qRgb((x / 16 + noise + seed * 20) & 255, (y / 12 + noise) & 255,
                           ((x + y) / 28 + noise) & 255);
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 85);
    return bytes;
}

struct PhotoStore {
    QTemporaryDir dir;
    QString path = dir.filePath(QStringLiteral("default.store"));
    qint64 imageBytes = 0;

    PhotoStore() {
        auto store = std::move(ModelContainer::open(path)).value();
        ResumePtr resume = resumeWithEntries(10);
        QList<PortfolioItemPtr> portfolio;
        const QByteArray photo = twelveMegapixelJpeg(0);
        for (int i = 0; i < 20; ++i) {
            QByteArray bytes = photo;
            bytes[bytes.size() / 2] = char(i); // twenty different images of the same size
            imageBytes += bytes.size();
            portfolio << std::make_shared<PortfolioItem>(QUuid::createUuid(), bytes,
                                                         QStringLiteral("Photo %1").arg(i), i,
                                                         PortfolioImageOrientation::landscape);
        }
        resume->setPortfolioItems(portfolio);
        store->mainContext().insert(resume);
        (void)store->mainContext().save();
    }
};

PhotoStore& photoStore() {
    static PhotoStore store;
    return store;
}

// The UI thread's share: the snapshot notes which images are still in the store.
void BM_ExportSnapshotOnTheUiThread(benchmark::State& state) {
    PhotoStore& photos = photoStore();
    auto store = std::move(ModelContainer::open(photos.path)).value();
    const ResumePtr resume = store->mainContext().fetchResumes()->first();
    for (auto _ : state) {
        ResumeExportSnapshot snapshot = ResumeExportSnapshot::of(*resume, photos.path);
        benchmark::DoNotOptimize(snapshot.hasStoredImages());
    }
    state.counters["image_MB"] = double(photos.imageBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_ExportSnapshotOnTheUiThread)->Unit(benchmark::kMillisecond);

// The worker's copy of a snapshot whose images are in memory (bytes are shared, not copied).
void BM_ExportSnapshotCopy(benchmark::State& state) {
    PhotoStore& photos = photoStore();
    auto store = std::move(ModelContainer::open(photos.path)).value();
    const ResumePtr resume = store->mainContext().fetchResumes()->first();
    ResumeExportSnapshot loaded = ResumeExportSnapshot::of(*resume, photos.path);
    (void)loaded.loadStoredImages();
    for (auto _ : state) {
        ResumeExportSnapshot copy = loaded;
        benchmark::DoNotOptimize(copy.portfolio().size());
    }
}
BENCHMARK(BM_ExportSnapshotCopy)->Unit(benchmark::kMillisecond);

// For comparison: reading the images on the UI thread, as a snapshot of the records alone must.
void BM_ExportSnapshotReadingImagesOnTheUiThread(benchmark::State& state) {
    PhotoStore& photos = photoStore();
    for (auto _ : state) {
        state.PauseTiming();
        auto store = std::move(ModelContainer::open(photos.path)).value();
        const ResumePtr resume = store->mainContext().fetchResumes()->first();
        state.ResumeTiming();
        ResumeExportSnapshot snapshot(*resume);
        benchmark::DoNotOptimize(snapshot.portfolio().size());
        state.PauseTiming();
        store.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ExportSnapshotReadingImagesOnTheUiThread)->Unit(benchmark::kMillisecond)->Iterations(5);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir home;
    qputenv("XDG_DATA_HOME", home.filePath(QStringLiteral("data")).toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", home.filePath(QStringLiteral("config")).toLocal8Bit());
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    return bench::runBenchmarks(argc, argv);
}
