// Export speed, file size and peak memory of the PDF renderer, with the app's fonts registered
// as the app registers them. Each case reports its own peak resident memory. The new-process
// cases time a whole process that starts, registers the fonts and exports once (the program runs
// itself as that process), which is what a first export costs from a cold start.
#include "output/portfolio_renditions.h"
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "theme/font_resolver.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>

using namespace quillora;

namespace {

// The pages of a PDF file, counted from its page objects.
int pageCount(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return -1;
    static const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    return int(QString::fromLatin1(file.readAll()).count(page));
}

// A photo-like image (JPEG or PNG): smooth light and shade with fine grain, as a camera gives.
QByteArray photo(int width, int height, int seed, const char* format = "JPEG") {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor::fromHsv(seed * 70 % 360, 160, 230));
    g.setColorAt(1, QColor::fromHsv((seed * 70 + 150) % 360, 200, 70));
    p.fillRect(image.rect(), g);
    QRandomGenerator rng(quint32(seed + 1));
    for (int i = 0; i < 300; ++i) {
        p.setBrush(QColor::fromHsv(rng.bounded(360), 120, 200, 90));
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(rng.bounded(width), rng.bounded(height)), rng.bounded(20, 200),
                      rng.bounded(20, 200));
    }
    p.end();
    for (int y = 0; y < height; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const int n = int(rng.bounded(13)) - 6;
            const QRgb c = line[x];
            line[x] = qRgb(qBound(0, qRed(c) + n, 255), qBound(0, qGreen(c) + n, 255),
                           qBound(0, qBlue(c) + n, 255));
        }
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, qstrcmp(format, "JPEG") == 0 ? 90 : -1);
    return bytes;
}

ResumeExportSnapshot twoPageResume() {
    ResumeExportSnapshot r;
    r.m_fontName = QStringLiteral("Avenir Next");
    r.m_title = QStringLiteral("Benchmark Resume");
    r.m_fullName = QStringLiteral("Avery Quinn");
    r.m_contactInfo = QStringLiteral("avery@example.com | +1 555 0100 | Portland, OR");
    r.m_summary =
        QStringLiteral("Operations lead with ten years of experience making office workflows efficient, "
                       "affordable and calm for teams of every size.");
    for (int i = 0; i < 6; ++i) {
        auto e = std::make_unique<ResumeExportSnapshot::ExperienceEntry>();
        e->role_ = QStringLiteral("Operations Manager %1").arg(i);
        e->company_ = QStringLiteral("Company %1").arg(i);
        e->startDate_ = QStringLiteral("20%1").arg(10 + i);
        e->endDate_ = QStringLiteral("20%1").arg(11 + i);
        e->details_ =
            QStringLiteral("Led a team of twelve through a move to a paperless office, cut supply "
                           "costs by a fifth and set up a vendor review that saved forty hours a month.");
        e->sortOrder_ = i;
        r.m_experience.push_back(std::move(e));
    }
    for (int i = 0; i < 10; ++i)
        r.m_appliedSkills << QStringLiteral("Skill number %1").arg(i);
    for (int i = 0; i < 2; ++i) {
        auto e = std::make_unique<ResumeExportSnapshot::EducationEntry>();
        e->school_ = QStringLiteral("State University %1").arg(i);
        e->degree_ = QStringLiteral("BA Economics");
        e->year_ = QStringLiteral("2014");
        r.m_education.push_back(std::move(e));
    }
    return r;
}

void report(benchmark::State& state, const QString& path) {
    state.counters["file_MB"] = double(QFileInfo(path).size()) / (1024.0 * 1024.0);
    state.counters["peak_RSS_MiB"] = bench::peakMemoryMiB();
}

void BM_AtsTwoPages(benchmark::State& state) {
    const ResumeExportSnapshot resume = twoPageResume();
    QString path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                 BackgroundColorTheme::pastel, ResumeLayoutMode::ats)
                       .value();
    if (const int pages = pageCount(path); pages != 2) {
        state.SkipWithError(qPrintable(QStringLiteral("the ATS export has %1 pages, not 2").arg(pages)));
        return;
    }
    bench::resetPeakMemory();
    for (auto _ : state) {
        path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                             BackgroundColorTheme::pastel, ResumeLayoutMode::ats)
                   .value();
        benchmark::DoNotOptimize(path);
    }
    report(state, path);
}
BENCHMARK(BM_AtsTwoPages)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same two pages in Hindi: every line is shaped, and its words carry the text they spell.
ResumeExportSnapshot hindiTwoPageResume() {
    ResumeExportSnapshot r = twoPageResume();
    r.m_fullName = QStringLiteral("राहुल शर्मा");
    r.m_contactInfo = QStringLiteral("फ़ोन 98765 43210 · दिल्ली");
    r.m_summary = QStringLiteral("दस वर्षों के अनुभव वाले सॉफ्टवेयर इंजीनियर, जिन्होंने बड़े डेटा प्लेटफ़ॉर्म बनाए।");
    for (const auto& e : r.m_experience) {
        e->role_ = QStringLiteral("वरिष्ठ इंजीनियर");
        e->company_ = QStringLiteral("भारतीय सॉफ्टवेयर लिमिटेड");
        e->details_ = QStringLiteral("बारह लोगों की टीम को काग़ज़ रहित कार्यालय तक ले गए, आपूर्ति की लागत पाँचवाँ "
                                     "हिस्सा घटाई और विक्रेताओं की समीक्षा शुरू की जिससे हर महीने चालीस घंटे बचे।");
    }
    for (QString& skill : r.m_appliedSkills)
        skill = QStringLiteral("कृत्रिम बुद्धिमत्ता");
    return r;
}

void exportTwoPages(benchmark::State& state, const ResumeExportSnapshot& resume, ResumeLayoutMode mode) {
    QString path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                 BackgroundColorTheme::pastel, mode)
                       .value();
    bench::resetPeakMemory();
    for (auto _ : state) {
        path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                             BackgroundColorTheme::pastel, mode)
                   .value();
        benchmark::DoNotOptimize(path);
    }
    report(state, path);
}

void BM_AtsHindiTwoPages(benchmark::State& state) {
    exportTwoPages(state, hindiTwoPageResume(), ResumeLayoutMode::ats);
}
BENCHMARK(BM_AtsHindiTwoPages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreativeHindiTwoPages(benchmark::State& state) {
    exportTwoPages(state, hindiTwoPageResume(), ResumeLayoutMode::creative);
}
BENCHMARK(BM_CreativeHindiTwoPages)->Unit(benchmark::kMillisecond)->UseRealTime();

// The same two pages in Persian with Arabic marks and Latin words: every line is right to left,
// its glyphs written in typed order and its fonts given the codes of marks and joiners.
// clang-format off
ResumeExportSnapshot persianTwoPageResume() {
    ResumeExportSnapshot r = twoPageResume();
    r.m_fullName = QStringLiteral("سارا حدّاد");
    r.m_contactInfo = QStringLiteral("ایمیل: sara@example.com · تلفن 0912 345 6789");
    r.m_summary = QStringLiteral("می‌خواهم تجربه‌ام را در اختیار تیم قرار بدهم. مُهَنْدِسَةُ بَرْمَجِيَّاتٍ در Qt.");
    for (const auto& e : r.m_experience) {
        e->role_ = QStringLiteral("مدیر عملیات");
        e->company_ = QStringLiteral("شرکت نرم‌افزاری عمّان");
        e->details_ = QStringLiteral("تیم دوازده نفره را به دفتری بدون کاغذ رساندم، هزینه‌ی لوازم را یک پنجم کم کردم "
                                     "و بازبینی فروشندگان را راه انداختم که هر ماه چهل ساعت صرفه‌جویی کرد.");
    }
    for (QString& skill : r.m_appliedSkills)
        skill = QStringLiteral("هوش مصنوعی");
    return r;
}
// clang-format on

void BM_AtsPersianTwoPages(benchmark::State& state) {
    exportTwoPages(state, persianTwoPageResume(), ResumeLayoutMode::ats);
}
BENCHMARK(BM_AtsPersianTwoPages)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreativePersianTwoPages(benchmark::State& state) {
    exportTwoPages(state, persianTwoPageResume(), ResumeLayoutMode::creative);
}
BENCHMARK(BM_CreativePersianTwoPages)->Unit(benchmark::kMillisecond)->UseRealTime();

// The creative layout with four 2000 x 1500 photos. A JPEG can be decoded at a reduced scale; a PNG
// cannot, so PNGs lean on the parallel decoding and on the renditions kept between exports.
ResumeExportSnapshot creativeWithPhotos(const char* format) {
    ResumeExportSnapshot resume = twoPageResume();
    resume.m_experience.resize(3);
    for (int i = 0; i < 4; ++i) {
        auto item = std::make_unique<ResumeExportSnapshot::PortfolioEntry>();
        item->imageData_ = photo(2000, 1500, i, format);
        item->caption_ = QStringLiteral("Project %1").arg(i);
        item->sortOrder_ = i;
        item->orientation_ = PortfolioImageOrientation::landscape;
        resume.m_portfolio.push_back(std::move(item));
    }
    return resume;
}

enum class Renditions { none, kept };

void exportCreative(benchmark::State& state, const char* format, Renditions renditions) {
    const ResumeExportSnapshot resume = creativeWithPhotos(format);
    const auto once = [&] {
        return ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::confetti,
                                             BackgroundColorTheme::tropical, ResumeLayoutMode::creative)
            .value();
    };
    QDir(PortfolioRenditions::directory()).removeRecursively();
    if (renditions == Renditions::kept)
        (void)once();
    bench::resetPeakMemory();
    QString path;
    for (auto _ : state) {
        if (renditions == Renditions::none) {
            state.PauseTiming();
            QDir(PortfolioRenditions::directory()).removeRecursively();
            state.ResumeTiming();
        }
        path = once();
        benchmark::DoNotOptimize(path);
    }
    report(state, path);
}

void BM_CreativeFourJpegs(benchmark::State& state) {
    exportCreative(state, "JPEG", Renditions::none);
}
BENCHMARK(BM_CreativeFourJpegs)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreativeFourPngsFirstExport(benchmark::State& state) {
    exportCreative(state, "PNG", Renditions::none);
}
BENCHMARK(BM_CreativeFourPngsFirstExport)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_CreativeFourPngsRepeatExport(benchmark::State& state) {
    exportCreative(state, "PNG", Renditions::kept);
}
BENCHMARK(BM_CreativeFourPngsRepeatExport)->Unit(benchmark::kMillisecond)->UseRealTime();

// A whole process that starts, registers the app's fonts and exports the two-page résumé once.
constexpr char kChildArgument[] = "--export-child";

void exportInNewProcess(benchmark::State& state, const char* layout) {
    for (auto _ : state) {
        QProcess child;
        child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QElapsedTimer clock;
        clock.start();
        child.start(QCoreApplication::applicationFilePath(),
                    {QString::fromLatin1(layout), QString::fromLatin1(kChildArgument)});
        if (!child.waitForFinished(60000) || child.exitCode() != 0) {
            state.SkipWithError("the export process failed");
            return;
        }
        state.SetIterationTime(double(clock.nsecsElapsed()) / 1e9);
    }
}

void BM_AtsNewProcess(benchmark::State& state) {
    exportInNewProcess(state, "ats");
}
BENCHMARK(BM_AtsNewProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

void BM_CreativeNewProcess(benchmark::State& state) {
    exportInNewProcess(state, "creative");
}
BENCHMARK(BM_CreativeNewProcess)->Unit(benchmark::kMillisecond)->UseManualTime()->Iterations(20);

int runChild(int argc, char** argv) {
    QGuiApplication app(argc, argv);
    FontResolver::registerAppFonts();
    const bool ats = qstrcmp(argv[argc - 2], "ats") == 0;
    return ResumePDFGenerator::exportPDF(twoPageResume(), BackgroundShapeType::circles,
                                         BackgroundColorTheme::pastel,
                                         ats ? ResumeLayoutMode::ats : ResumeLayoutMode::creative)
               ? 0
               : 1;
}

} // namespace

int main(int argc, char** argv) {
    if (argc > 2 && qstrcmp(argv[argc - 1], kChildArgument) == 0)
        return runChild(argc, argv);
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    qputenv("XDG_CACHE_HOME", QDir(temp.path()).filePath(QStringLiteral("cache")).toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    FontResolver::registerAppFonts();
    return quillora::bench::runBenchmarks(argc, argv);
}
