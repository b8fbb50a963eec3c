// Writes the seeds of fuzz_pdf_rewrite into a folder: files as Qt's PDF writer writes an export
// (US Letter at 72 dpi, a title, the creator), with runs of several scripts, faces Qt makes bold
// or slanted itself, and more than one page, each with the spans of the runs drawn. Each seed is
// first given its spans as an export would be, which says in the log if one was not placed.
//   make_pdf_rewrite_seeds <folder>

#include "pdf_rewrite_input.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTextLayout>

#include <cstdio>

using namespace quillora;

namespace {

struct Text {
    QString text;
    QString family;
    bool bold = false;
    bool italic = false;
};

// Draws each text's runs on `page` of the painter, as a résumé's lines are drawn, and records them.
void drawRecorded(QPainter& painter, QPdfWriter& writer, int page, const QList<Text>& texts,
                  QList<detail::RecordedSpan>& spans) {
    qreal y = 60;
    for (const Text& t : texts) {
        QFont font(t.family, 11);
        font.setBold(t.bold);
        font.setItalic(t.italic);
        QTextLayout layout(t.text, font, &writer);
        layout.beginLayout();
        QTextLine line = layout.createLine();
        line.setLineWidth(480);
        layout.endLayout();
        const QPointF position(54, y - line.y());
        for (const QGlyphRun& run : line.glyphRuns()) {
            if (run.glyphIndexes().isEmpty())
                continue;
            painter.drawGlyphRun(position, run);
            spans.append({page, position + run.positions().constFirst(), run.glyphIndexes().size(), t.text});
        }
        y += line.height() + 6;
    }
}

QByteArray written(const QString& title, const QList<QList<Text>>& pages,
                   QList<detail::RecordedSpan>& spans) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    QPdfWriter writer(&buffer);
    writer.setResolution(72);
    writer.setPageLayout(QPageLayout(QPageSize(QPageSize::Letter), QPageLayout::Portrait, QMarginsF(),
                                     QPageLayout::Point, QMarginsF()));
    writer.setTitle(title);
    writer.setCreator(QStringLiteral("Quillora"));
    QPainter painter(&writer);
    for (int page = 0; page < pages.size(); ++page) {
        if (page > 0)
            writer.newPage();
        drawRecorded(painter, writer, page, pages.at(page), spans);
    }
    painter.end();
    return bytes;
}

} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_pdf_rewrite_seeds <folder>\n");
        return 2;
    }
    const QDir folder(QString::fromLocal8Bit(argv[1]));
    if (!QDir().mkpath(folder.path()))
        return 1;

    const QString sans = QStringLiteral("DejaVu Sans");
    const QList<Text> latin{{QStringLiteral("Avery Quinn"), sans, true},
                            {QStringLiteral("Résumé · naïve café"), sans},
                            {QStringLiteral("Senior engineer"), QStringLiteral("DejaVu Serif"), false, true}};
    const QList<Text> shaped{{QStringLiteral("राहुल शर्मा क्षेत्रीय"), QStringLiteral("Noto Sans Devanagari")},
                             {QStringLiteral("مُهَنْدِسَةُ بَرْمَجِيَّاتٍ"), QStringLiteral("Noto Sans Arabic")},
                             {QStringLiteral("שָׁלוֹם"), QStringLiteral("Noto Sans Hebrew")},
                             {QStringLiteral("ދިވެހި ބަސް"), QStringLiteral("Noto Sans Thaana")}};
    const QList<Text> madeByQt{{QStringLiteral("कर्मचारी"), QStringLiteral("Lohit Devanagari"), true},
                               {QStringLiteral("دانشگاه"), QStringLiteral("Noto Sans Arabic"), false, true}};
    const QList<Text> rightToLeft{{QStringLiteral("شَرِكَة لا إله"), QStringLiteral("Noto Sans Arabic")},
                                  {QStringLiteral("שָׁלוֹם עוֹלָם"), QStringLiteral("Noto Sans Hebrew")}};
    const QList<Text> wide{{QStringLiteral("山田太郎 김민준"), QStringLiteral("Noto Sans CJK JP")},
                           {QStringLiteral("𠮷野家 😀"), QStringLiteral("Noto Sans CJK JP")}};
    const QList<std::pair<QString, QList<QList<Text>>>> seeds{
        {QStringLiteral("Latin"), {latin}},
        {QStringLiteral("Shaped"), {shaped}},
        {QStringLiteral("Made bold and slanted by Qt"), {madeByQt}},
        {QStringLiteral("Three pages"), {latin, shaped, wide}},
        {QStringLiteral("\nxref\n0 1\ntrailer\n<< >>\nstartxref\n9\n%%EOF\n"), {shaped, madeByQt}},
        {QStringLiteral("Right to left"), {rightToLeft}},
        {QStringLiteral("Right to left, two pages"), {rightToLeft, rightToLeft}},
    };
    int number = 0;
    for (const auto& [title, pages] : seeds) {
        fuzz::PdfRewriteInput input;
        input.file = written(title, pages, input.spans);
        // Right-to-left seeds: their runs are rewritten to read in typed order, their fonts given codes.
        if (title.startsWith(QStringLiteral("Right to left"))) {
            for (detail::RecordedSpan& span : input.spans)
                span.rightToLeft = true;
        }
        QByteArray check;
        QBuffer buffer(&check);
        buffer.open(QIODevice::WriteOnly);
        if (!detail::writeWithSpans(input.file, input.spans, &buffer))
            return 1;
        QFile seed(folder.filePath(QStringLiteral("seed-%1.bin").arg(++number)));
        if (!seed.open(QIODevice::WriteOnly) || seed.write(fuzz::encodedInput(input)) < 0)
            return 1;
        std::printf("%s: %lld bytes, %lld spans\n", qPrintable(seed.fileName()), qlonglong(seed.size()),
                    qlonglong(input.spans.size()));
    }
    return 0;
}
