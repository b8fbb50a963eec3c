// Export speed, file size and peak memory of the PDF renderer.
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"

#include "bench_support.h"

#include <benchmark/benchmark.h>

#include <QBuffer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <sys/resource.h>

using namespace quillora;

namespace {

double peakMemoryMiB() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_maxrss) / 1024.0;
}

// A photo-like JPEG: smooth light and shade with fine grain, as a camera gives.
QByteArray photo(int width, int height, int seed) {
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
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

ResumeExportSnapshot twoPageResume() {
    ResumeExportSnapshot r;
    r.m_title = QStringLiteral("Benchmark Resume");
    r.m_fullName = QStringLiteral("Avery Quinn");
    r.m_contactInfo = QStringLiteral("avery@example.com | +1 555 0100 | Portland, OR");
    r.m_summary =
        QStringLiteral("Operations lead with ten years of experience making office workflows efficient, "
                       "affordable and calm for teams of every size.");
    for (int i = 0; i < 8; ++i) {
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
    state.counters["peak_RSS_MiB"] = peakMemoryMiB();
}

void BM_AtsTwoPages(benchmark::State& state) {
    const ResumeExportSnapshot resume = twoPageResume();
    QString path;
    for (auto _ : state) {
        path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                             BackgroundColorTheme::pastel, ResumeLayoutMode::ats)
                   .value();
        benchmark::DoNotOptimize(path);
    }
    report(state, path);
}
BENCHMARK(BM_AtsTwoPages)->Unit(benchmark::kMillisecond);

void BM_CreativeFourPhotos(benchmark::State& state) {
    ResumeExportSnapshot resume = twoPageResume();
    resume.m_experience.resize(3);
    for (int i = 0; i < 4; ++i) {
        auto item = std::make_unique<ResumeExportSnapshot::PortfolioEntry>();
        item->imageData_ = photo(2000, 1500, i);
        item->caption_ = QStringLiteral("Project %1").arg(i);
        item->sortOrder_ = i;
        item->orientation_ = PortfolioImageOrientation::landscape;
        resume.m_portfolio.push_back(std::move(item));
    }
    QString path;
    for (auto _ : state) {
        path = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::confetti,
                                             BackgroundColorTheme::tropical, ResumeLayoutMode::creative)
                   .value();
        benchmark::DoNotOptimize(path);
    }
    report(state, path);
}
BENCHMARK(BM_CreativeFourPhotos)->Unit(benchmark::kMillisecond);

} // namespace

int main(int argc, char** argv) {
    QTemporaryDir temp;
    qputenv("TMPDIR", temp.path().toUtf8());
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    return quillora::bench::runBenchmarks(argc, argv);
}
