#include "output/pdf_text.h"
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "support/pdf_tools.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QRegularExpression>
#include <QTest>

using namespace quillora;
using quillora::test::pdfText;

namespace {

QString lowerCaseLettersOf(QString text) {
    return text.remove(QRegularExpression(QStringLiteral("[^a-z]")));
}

// The same paragraph laid out whole by QTextLayout, as a block of ordinary length is.
QList<qreal> wholeLayoutLineHeights(const QString& text, const QFont& font, qreal width,
                                    QPaintDevice* device) {
    QTextLayout layout(text, font, device);
    QTextOption option;
    option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    option.setUseDesignMetrics(true);
    layout.setTextOption(option);
    layout.beginLayout();
    QList<qreal> heights;
    for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
        line.setLeadingIncluded(true);
        line.setLineWidth(width);
        heights << line.height();
    }
    layout.endLayout();
    return heights;
}

} // namespace

class HostileTextTest : public QObject {
    Q_OBJECT

private slots:
    void aMegabyteWordIsExportedWhole() {
        ResumeExportSnapshot resume;
        resume.m_title = QStringLiteral("Long word");
        resume.m_fullName = QStringLiteral("AVERY QUINN"); // repeated on every page: kept apart from the word
        resume.m_displaySummaryTitle = QStringLiteral("SUMMARY");
        QString word;
        word.reserve(1 << 20);
        for (int i = 0; word.size() < 1000000; ++i)
            word += QChar(u'a' + i % 26);
        resume.m_summary = word;
        for (const auto mode : {ResumeLayoutMode::ats, ResumeLayoutMode::creative}) {
            const auto exported = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                                BackgroundColorTheme::pastel, mode);
            QVERIFY(exported.ok());
            // Broken at the column's width, in order, with nothing left out.
            const QString text = lowerCaseLettersOf(pdfText(exported.value()));
            QVERIFY2(text == word, qPrintable(text.left(200)));
        }
    }

    void windowsBreakLinesAsAWholeLayoutDoes() {
        QPdfWriter device(QDir::tempPath() + QStringLiteral("/measure.pdf"));
        device.setResolution(72);
        const QFont font = pdfTextFont(QFont(QStringLiteral("DejaVu Sans"), 9));
        QString words;
        for (int i = 0; words.size() < 30000; ++i)
            words += QStringLiteral("word%1 ").arg(i * 7919 % 100000) +
                     (i % 97 == 0 ? QString(90, u'x') : QString());
        QString cjk;
        for (int i = 0; cjk.size() < 9000; ++i)
            cjk += QChar(0x4e00 + i % 500);
        for (const QString& text : {words, QString(9000, u'm'), cjk}) {
            const PdfTextBlock block(text, font, 232, &device);
            const QList<qreal> expected = wholeLayoutLineHeights(text, font, 232, &device);
            QCOMPARE(block.lineCount(), int(expected.size()));
            qreal total = 0;
            for (int i = 0; i < block.lineCount(); ++i) {
                QCOMPARE(block.lineHeight(i), expected.at(i));
                total += expected.at(i);
            }
            QCOMPARE(block.height(), total);
        }
    }
};

QUILLORA_TEST_MAIN(HostileTextTest)
#include "test_hostile_text.moc"
