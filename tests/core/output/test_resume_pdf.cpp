#include "output/portfolio_renditions.h"
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "store/model_container.h"
#include "support/pdf_tools.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtConcurrent>
#include <QtTest>

#include <csignal>
#include <sys/mount.h>
#include <sys/resource.h>

using namespace quillora;
using quillora::test::pdfText;
using quillora::test::runPdfTool;

namespace {

// --- Reading a PDF the way a reader or an ATS does, with poppler-utils ---

int pageCount(const QString& pdf) {
    const QRegularExpressionMatch m = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)"))
                                          .match(runPdfTool(QStringLiteral("pdfinfo"), {pdf}));
    return m.hasMatch() ? m.captured(1).toInt() : -1;
}

QString pageSize(const QString& pdf) {
    const QRegularExpressionMatch m =
        QRegularExpression(QStringLiteral("Page size:\\s+([\\d.]+ x [\\d.]+) pts"))
            .match(runPdfTool(QStringLiteral("pdfinfo"), {pdf}));
    return m.captured(1);
}

QString pageText(const QString& pdf, int page) {
    return runPdfTool(QStringLiteral("pdftotext"),
                      {QStringLiteral("-layout"), QStringLiteral("-f"), QString::number(page),
                       QStringLiteral("-l"), QString::number(page), pdf, QStringLiteral("-")});
}

struct Word {
    int page;
    QString text;
    QRectF box;
};

QList<Word> words(const QString& pdf) {
    const QString xhtml =
        runPdfTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression pageStart(QStringLiteral("<page "));
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<Word> out;
    const QStringList pages = xhtml.split(pageStart);
    for (qsizetype p = 1; p < pages.size(); ++p) {
        auto it = word.globalMatch(pages.at(p));
        while (it.hasNext()) {
            const auto m = it.next();
            const qreal x0 = m.captured(1).toDouble(), y0 = m.captured(2).toDouble();
            out.append(
                {int(p), m.captured(5),
                 QRectF(QPointF(x0, y0), QPointF(m.captured(3).toDouble(), m.captured(4).toDouble()))});
        }
    }
    return out;
}

QList<Word> find(const QList<Word>& all, const QString& text) {
    QList<Word> out;
    for (const Word& w : all) {
        if (w.text == text)
            out.append(w);
    }
    return out;
}

QImage pageImage(const QString& pdf, int page, int dpi) {
    QTemporaryDir dir;
    const QString prefix = dir.filePath(QStringLiteral("page"));
    runPdfTool(QStringLiteral("pdftoppm"),
               {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-f"), QString::number(page),
                QStringLiteral("-l"), QString::number(page), QStringLiteral("-png"),
                QStringLiteral("-singlefile"), pdf, prefix});
    return QImage(prefix + QStringLiteral(".png"));
}

// True when each needle occurs after the previous one.
bool inOrder(const QString& text, const QStringList& needles, QString* missing) {
    qsizetype from = 0;
    for (const QString& n : needles) {
        const qsizetype at = text.indexOf(n, from);
        if (at < 0) {
            *missing = n;
            return false;
        }
        from = at + n.size();
    }
    return true;
}

#define VERIFY_IN_ORDER(text, ...)                                                                           \
    do {                                                                                                     \
        QString missing;                                                                                     \
        QVERIFY2(inOrder(text, __VA_ARGS__, &missing),                                                       \
                 qPrintable(u"not found in order: " + missing + u"\n" + text));                              \
    } while (false)

// --- Résumés ---

QByteArray photo(int width, int height, int hue) {
    QImage image(width, height, QImage::Format_RGB32);
    QPainter p(&image);
    QLinearGradient g(0, 0, width, height);
    g.setColorAt(0, QColor::fromHsv(hue, 180, 230));
    g.setColorAt(1, QColor::fromHsv((hue + 120) % 360, 200, 90));
    p.fillRect(image.rect(), g);
    p.setBrush(Qt::white);
    p.drawEllipse(QPoint(width / 2, height / 2), height / 4, height / 4);
    p.end();
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

PortfolioItemPtr portfolioItem(const QString& caption, qint64 order, PortfolioImageOrientation orientation,
                               std::optional<QByteArray> data) {
    return std::make_shared<PortfolioItem>(QUuid::createUuid(), data, caption, order, orientation);
}

// A one-page résumé, with its entries stored out of order.
ResumePtr makeReferenceResume() {
    ResumePtr r = test::makeEmptyResume(QStringLiteral("Reference Resume"));
    r->setFullName(QStringLiteral("Avery Quinn"));
    r->setContactInfo(QStringLiteral("avery@example.com | +1 555 0100"));
    r->setSummary(QStringLiteral("Operations lead who makes office workflows efficient and affordable."));
    r->setExperienceItems({
        std::make_shared<Experience>(QStringLiteral("Operations Director"), QStringLiteral("Northwind"),
                                     QStringLiteral("2021"), QStringLiteral("Present"),
                                     QStringLiteral("Runs three offices."), 2),
        std::make_shared<Experience>(QStringLiteral("Office Manager"), QStringLiteral("Contoso"),
                                     QStringLiteral("2015"), QStringLiteral("2018"),
                                     QStringLiteral("Cut supply costs by a fifth."), 0),
        std::make_shared<Experience>(QStringLiteral("Operations Manager"), QStringLiteral("Fabrikam"),
                                     QStringLiteral("2018"), QStringLiteral("2021"),
                                     QStringLiteral("Moved the firm to a paperless office."), 1),
    });
    r->setAppliedSkills({QStringLiteral("Budgeting"), QStringLiteral("Vendor management")});
    r->setEducationItems({std::make_shared<Education>(
        QStringLiteral("State University"), QStringLiteral("BA Economics"), QStringLiteral("2014"), 0)});
    r->setTitleExperience(QStringLiteral("Work History"));
    return r;
}

QString exportPdf(const ResumeRepresentable& resume, ResumeLayoutMode mode,
                  BackgroundShapeType shape = BackgroundShapeType::circles,
                  BackgroundColorTheme theme = BackgroundColorTheme::pastel) {
    const Result<QString> result =
        ResumePDFGenerator::exportPDF(ResumeExportSnapshot(resume), shape, theme, mode);
    if (!result.ok())
        qWarning() << result.error();
    return result.ok() ? result.value() : QString();
}

bool isWhite(QRgb c) {
    return qRed(c) > 250 && qGreen(c) > 250 && qBlue(c) > 250;
}

} // namespace

class TestResumePdf final : public QObject {
    Q_OBJECT

private slots:
    void fileNames() {
        QCOMPARE(ResumePDFGenerator::fileNameForTitle(QStringLiteral("Design/Dev CV")),
                 QStringLiteral("Design-Dev CV.pdf"));
        QCOMPARE(ResumePDFGenerator::fileNameForTitle(QString()), QStringLiteral(".pdf"));
        QCOMPARE(
            ResumePDFGenerator::fileNameForTitle(QStringLiteral("A") + QChar(u'\0') + QStringLiteral("B")),
            QStringLiteral("AB.pdf"));
        // Control characters and direction overrides go too: the name reads as it is.
        QCOMPARE(ResumePDFGenerator::fileNameForTitle(
                     QStringLiteral("CV\u202Efdp.exe\u2066 \u200Fnew\nline\tand\u0085\u001B[31m")),
                 QStringLiteral("CVfdp.exe newlineand[31m.pdf"));
        QCOMPARE(ResumePDFGenerator::fileNameForTitle(QStringLiteral("👩\u200D💻 Résumé")),
                 QStringLiteral("👩\u200D💻 Résumé.pdf"));

        // Over-long titles are cut at a character boundary: "é" is two bytes, the emoji four.
        for (const QString& unit : {QStringLiteral("é"), QStringLiteral("😀"), QStringLiteral("a")}) {
            const QString name = ResumePDFGenerator::fileNameForTitle(unit.repeated(300));
            const QByteArray utf8 = name.toUtf8();
            QVERIFY(utf8.size() <= 255);
            QVERIFY(utf8.size() > 255 - 4 - 4);
            QVERIFY(name.endsWith(QStringLiteral(".pdf")));
            QCOMPARE(QString::fromUtf8(utf8), name); // valid UTF-8, no broken pair
            QVERIFY(!name.contains(QChar::ReplacementCharacter));
        }

        // The written file is where the name says, also for a title that could not be a file name.
        ResumePtr r = makeReferenceResume();
        r->setTitle(QStringLiteral("Ops/Lead ") + QChar(u'\0') + QStringLiteral("é").repeated(200));
        const QString path = exportPdf(*r, ResumeLayoutMode::ats);
        QVERIFY(!path.isEmpty());
        QCOMPARE(QFileInfo(QFileInfo(path).absolutePath()).absolutePath(),
                 QFileInfo(QDir::tempPath()).absoluteFilePath());
        QCOMPARE(QFileInfo(path).fileName(), ResumePDFGenerator::fileNameForTitle(r->title()));
        QVERIFY(QFileInfo(path).fileName().startsWith(QStringLiteral("Ops-Lead éé")));
        QVERIFY(QFileInfo::exists(path));
    }

    void atsLayoutReadsInOrderAsTyped() {
        ResumePtr r = makeReferenceResume();
        const QString pdf = exportPdf(*r, ResumeLayoutMode::ats);
        QCOMPARE(QFileInfo(pdf).fileName(), QStringLiteral("Reference Resume.pdf"));
        QCOMPARE(pageSize(pdf), QStringLiteral("612 x 792"));
        QCOMPARE(pageCount(pdf), 1);

        const QString text = pageText(pdf, 1);
        VERIFY_IN_ORDER(
            text,
            {QStringLiteral("Avery Quinn"), QStringLiteral("avery@example.com | +1 555 0100"),
             QStringLiteral("Summary"),
             QStringLiteral("Operations lead who makes office workflows efficient and affordable."),
             QStringLiteral("Work History"), QStringLiteral("Office Manager"), QStringLiteral("Contoso"),
             QStringLiteral("2015 – 2018"), QStringLiteral("Cut supply costs by a fifth."),
             QStringLiteral("Operations Manager"), QStringLiteral("Fabrikam"),
             QStringLiteral("Operations Director"), QStringLiteral("Skills"), QStringLiteral("• Budgeting"),
             QStringLiteral("• Vendor management"), QStringLiteral("Education"),
             QStringLiteral("BA Economics"), QStringLiteral("State University"), QStringLiteral("2014")});
        // No ligature glyphs: keyword searches find the words as typed.
        for (QChar ligature : {QChar(0xFB00), QChar(0xFB01), QChar(0xFB02), QChar(0xFB03), QChar(0xFB04)})
            QVERIFY(!text.contains(ligature));

        // One column at the left margin, name and content where the header puts them.
        const QList<Word> all = words(pdf);
        for (const Word& w : all)
            QVERIFY2(w.box.left() >= 59 && w.box.right() <= 553, qPrintable(w.text));
        QVERIFY(qAbs(find(all, QStringLiteral("Avery")).first().box.left() - 60) < 1.5);
        QVERIFY(find(all, QStringLiteral("Summary")).first().box.top() >= 128);

        // A plain white page: no background anywhere off the text.
        const QImage page = pageImage(pdf, 1, 36);
        QCOMPARE(page.size(), QSize(306, 396));
        for (int y = 0; y < page.height(); y += 3) {
            for (int x : {2, 20, 285, 303})
                QVERIFY2(isWhite(page.pixel(x, y)), qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
        }
    }

    void creativeLayoutWithCoverLetter() {
        ResumePtr r = makeReferenceResume();
        r->setIncludeCoverLetter(true);
        r->setCoverLetterText(QStringLiteral("Dear hiring team,\n\nI would like to run your offices."));
        r->setPortfolioItems({portfolioItem(QStringLiteral("Floor plan"), 0,
                                            PortfolioImageOrientation::portrait, photo(600, 900, 30))});
        const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
        QCOMPARE(pageSize(pdf), QStringLiteral("612 x 792"));
        QCOMPARE(pageCount(pdf), 3); // letter, résumé, portfolio

        const QString letter = pageText(pdf, 1);
        VERIFY_IN_ORDER(letter, {QStringLiteral("Avery Quinn"), QStringLiteral("avery@example.com"),
                                 QStringLiteral("Dear hiring team,"),
                                 QStringLiteral("I would like to run your offices.")});
        QVERIFY(!letter.contains(QStringLiteral("Summary")));
        const QList<Word> all = words(pdf);
        QVERIFY(qAbs(find(all, QStringLiteral("Dear")).first().box.left() - 90) < 1.5);

        const QString resume = pageText(pdf, 2);
        VERIFY_IN_ORDER(resume, {QStringLiteral("Avery Quinn"), QStringLiteral("Summary"),
                                 QStringLiteral("Work History"), QStringLiteral("Office Manager"),
                                 QStringLiteral("Operations Manager"), QStringLiteral("Operations Director"),
                                 QStringLiteral("Skills"), QStringLiteral("Education")});
        QVERIFY(pdfText(pdf).contains(QStringLiteral("office workflows")));

        // Everything fits the first column, so the name stands in the second, reading upwards.
        const QList<Word> page2Names = [&] {
            QList<Word> out;
            for (const Word& w : find(all, QStringLiteral("Avery")))
                if (w.page == 2)
                    out.append(w);
            return out;
        }();
        QCOMPARE(page2Names.size(), 2);
        const Word& vertical = page2Names.at(1);
        QVERIFY(vertical.box.height() > vertical.box.width());
        QVERIFY(vertical.box.center().x() > 380 && vertical.box.center().x() < 500);

        VERIFY_IN_ORDER(pageText(pdf, 3), {QStringLiteral("Avery Quinn"), QStringLiteral("Portfolio"),
                                           QStringLiteral("Floor plan")});
    }

    void emptyResumeGivesOneHeaderPage() {
        ResumePtr r = test::makeEmptyResume(QStringLiteral("Empty"));
        r->setFullName(QStringLiteral("Nameonly"));
        r->setIncludeCoverLetter(true);
        r->setCoverLetterText(QStringLiteral("  \n\t "));
        for (ResumeLayoutMode mode : {ResumeLayoutMode::creative, ResumeLayoutMode::ats}) {
            const QString pdf = exportPdf(*r, mode);
            QCOMPARE(pageCount(pdf), 1);
            const QList<Word> all = words(pdf);
            QCOMPARE(find(all, QStringLiteral("Nameonly")).size(),
                     mode == ResumeLayoutMode::creative ? 2 : 1);
        }
    }

    void contactLinesNeverCrossTheRule_data() {
        QTest::addColumn<int>("lines");
        QTest::addColumn<bool>("creative");
        for (int n = 1; n <= 6; ++n) {
            QTest::addRow("%d lines, creative", n) << n << true;
            QTest::addRow("%d lines, ATS", n) << n << false;
        }
    }

    void contactLinesNeverCrossTheRule() {
        QFETCH(int, lines);
        QFETCH(bool, creative);
        ResumePtr r = makeReferenceResume();
        QStringList contact;
        for (int i = 1; i <= lines; ++i)
            contact << QStringLiteral("Contact%1 line%1@example.com").arg(i);
        r->setContactInfo(contact.join(u'\n'));
        const QString pdf = exportPdf(*r, creative ? ResumeLayoutMode::creative : ResumeLayoutMode::ats);

        // Every line is there, whole.
        const QString text = pageText(pdf, 1);
        for (const QString& line : std::as_const(contact))
            QVERIFY2(text.contains(line), qPrintable(line + u"\n" + text));

        const QList<Word> all = words(pdf);
        qreal contactBottom = 0;
        for (const Word& w : all) {
            if (w.page == 1 && w.text.startsWith(QStringLiteral("Contact")))
                contactBottom = std::max(contactBottom, w.box.bottom());
        }
        // The first block below the header: the summary's title.
        const QList<Word> summary = find(all, QStringLiteral("Summary"));
        QVERIFY(!summary.isEmpty());
        const qreal contentTop = summary.first().box.top();
        QVERIFY2(contactBottom < contentTop,
                 qPrintable(QStringLiteral("%1 / %2").arg(contactBottom).arg(contentTop)));
        if (!creative)
            return;

        // The rule: the first dark pixel below the contact lines, right of the text.
        const int dpi = 288;
        const QImage page = pageImage(pdf, 1, dpi);
        const int x = 540 * dpi / 72;
        int ruleRow = -1;
        for (int y = 84 * dpi / 72; y < 300 * dpi / 72 && ruleRow < 0; ++y) {
            if (qGray(page.pixel(x, y)) < 140)
                ruleRow = y;
        }
        QVERIFY(ruleRow > 0);
        const qreal ruleY = ruleRow * 72.0 / dpi;
        QVERIFY2(contactBottom < ruleY, qPrintable(QStringLiteral("%1 / %2").arg(contactBottom).arg(ruleY)));
        QVERIFY(ruleY < contentTop);
        // One or two lines keep the header's usual shape.
        if (lines <= 2)
            QVERIFY2(qAbs(ruleY - 110) < 1, qPrintable(QString::number(ruleY)));
    }

    void skillsOverflowIntoTheSecondColumn() {
        ResumePtr r = makeReferenceResume();
        QStringList skills;
        for (int i = 1; i <= 35; ++i)
            skills << QStringLiteral("Skill%1").arg(i);
        r->setAppliedSkills(skills);
        const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
        QCOMPARE(pageCount(pdf), 1);
        const QList<Word> all = words(pdf);
        const Word first = find(all, QStringLiteral("Skill1")).first();
        const Word last = find(all, QStringLiteral("Skill35")).first();
        QVERIFY(qAbs(first.box.left() - 60) < 12);
        QVERIFY(last.box.left() >= 320 && last.box.left() < 340);
        QVERIFY(last.box.top() < first.box.top());
        // The second column begins just below the rule, and nothing passes the bottom margin.
        qreal topOfSecond = 1000;
        for (const Word& w : all) {
            QVERIFY2(w.box.bottom() <= 733, qPrintable(w.text));
            if (w.box.left() >= 320 && w.box.left() < 552)
                topOfSecond = std::min(topOfSecond, w.box.top());
        }
        QVERIFY(topOfSecond >= 126 && topOfSecond < 135);
        // The name goes vertical only when the second column is free.
        QCOMPARE(find(all, QStringLiteral("Avery")).size(), 1);

        // In the ATS layout the flow goes on to a new page instead.
        const QString ats = exportPdf(*r, ResumeLayoutMode::ats);
        QCOMPARE(pageCount(ats), 2);
        VERIFY_IN_ORDER(pageText(ats, 2), {QStringLiteral("Avery Quinn"), QStringLiteral("Skill35"),
                                           QStringLiteral("Education")});
    }

    void portfolioGridPages_data() {
        QTest::addColumn<QString>(
            "orientations"); // p = portrait, l = landscape, - = no image, x = not an image
        QTest::addColumn<int>("portfolioPages");
        QTest::addColumn<QList<int>>("tilesPerPage");
        QTest::newRow("four portraits") << QStringLiteral("pppp") << 1 << QList<int>{4};
        QTest::newRow("two landscapes and a portrait") << QStringLiteral("llp") << 1 << QList<int>{3};
        QTest::newRow("three landscapes") << QStringLiteral("lll") << 2 << QList<int>{2, 1};
        QTest::newRow("missing images leave no gap") << QStringLiteral("p-p-p-p") << 1 << QList<int>{4};
        QTest::newRow("bytes that are no image are skipped") << QStringLiteral("pxpp") << 1 << QList<int>{3};
        QTest::newRow("seven portraits") << QStringLiteral("ppppppp") << 2 << QList<int>{6, 1};
    }

    void portfolioGridPages() {
        QFETCH(QString, orientations);
        QFETCH(int, portfolioPages);
        QFETCH(QList<int>, tilesPerPage);
        ResumePtr r = makeReferenceResume();
        QList<PortfolioItemPtr> items;
        for (qsizetype i = 0; i < orientations.size(); ++i) {
            const bool landscape = orientations.at(i) == u'l';
            const bool missing = orientations.at(i) == u'-';
            std::optional<QByteArray> data;
            if (orientations.at(i) == u'x')
                data = QByteArray("not an image at all");
            else if (!missing)
                data = landscape ? photo(800, 600, int(i) * 40) : photo(600, 800, int(i) * 40);
            // Stored in reverse; the grid sorts by sortOrder.
            items.prepend(portfolioItem(QStringLiteral("Cap%1").arg(i), i,
                                        landscape ? PortfolioImageOrientation::landscape
                                                  : PortfolioImageOrientation::portrait,
                                        data));
        }
        r->setPortfolioItems(items);
        const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
        QCOMPARE(pageCount(pdf), 1 + portfolioPages);

        const QList<Word> all = words(pdf);
        for (int p = 0; p < portfolioPages; ++p) {
            const int page = 2 + p;
            QCOMPARE(pageText(pdf, page).count(QStringLiteral("Portfolio")), 1);
            int onPage = 0;
            for (const Word& w : all) {
                if (w.page == page && w.text.startsWith(QStringLiteral("Cap")))
                    ++onPage;
            }
            QCOMPARE(onPage, tilesPerPage.at(p));
        }
        // Captions come in sortOrder, skipping items without an image.
        QList<Word> captions;
        for (const Word& w : all) {
            if (w.text.startsWith(QStringLiteral("Cap")))
                captions << w;
        }
        std::sort(captions.begin(), captions.end(), [](const Word& a, const Word& b) {
            return std::tuple(a.page, qRound(a.box.top()), a.box.left()) <
                   std::tuple(b.page, qRound(b.box.top()), b.box.left());
        });
        QStringList order;
        for (const Word& w : captions)
            order << w.text;
        QStringList expected;
        for (qsizetype i = 0; i < orientations.size(); ++i) {
            if (orientations.at(i) != u'-' && orientations.at(i) != u'x')
                expected << QStringLiteral("Cap%1").arg(i);
        }
        QCOMPARE(order, expected);

        if (orientations == QStringLiteral("pppp")) {
            // A first row of three in their cells, the fourth alone and centred across the page.
            const Word c0 = find(all, QStringLiteral("Cap0")).first();
            const Word c2 = find(all, QStringLiteral("Cap2")).first();
            const Word c3 = find(all, QStringLiteral("Cap3")).first();
            QVERIFY(qAbs(c0.box.top() - c2.box.top()) < 1);
            QVERIFY(qAbs(c0.box.center().x() - (60 + 82)) < 2);
            QVERIFY(qAbs(c2.box.center().x() - (60 + 164 * 2 + 82)) < 2);
            QVERIFY(c3.box.top() > c0.box.top() + 100);
            QVERIFY(qAbs(c3.box.center().x() - 306) < 2);
        }
    }

    void portfolioCaptionKeepsToItsBox() {
        ResumePtr r = makeReferenceResume();
        QStringList words40;
        for (int i = 1; i <= 40; ++i)
            words40 << QStringLiteral("Cw%1").arg(i);
        r->setPortfolioItems(
            {portfolioItem(words40.join(u' '), 0, PortfolioImageOrientation::portrait, photo(600, 800, 10)),
             portfolioItem(QStringLiteral("Short"), 1, PortfolioImageOrientation::portrait,
                           photo(600, 800, 50))});
        const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
        qreal top = 1e9, bottom = 0;
        int shown = 0;
        for (const Word& w : words(pdf)) {
            if (w.page == 2 && w.text.startsWith(QStringLiteral("Cw"))) {
                top = std::min(top, w.box.top());
                bottom = std::max(bottom, w.box.bottom());
                ++shown;
            }
        }
        // Whole lines in a box 32 points high: two lines of the body font, never three.
        QVERIFY(shown > 0 && shown < 40);
        QVERIFY2(bottom - top <= 32, qPrintable(QString::number(bottom - top)));
        QVERIFY2(bottom - top > 16, qPrintable(QString::number(bottom - top)));
        QVERIFY(find(words(pdf), QStringLiteral("Short")).size() == 1);
    }

    void portfolioImagesAreDownscaled() {
        ResumePtr r = makeReferenceResume();
        QList<PortfolioItemPtr> items;
        for (int i = 0; i < 4; ++i)
            items << portfolioItem(QStringLiteral("Photo%1").arg(i), i, PortfolioImageOrientation::landscape,
                                   photo(2000, 1500, i * 70));
        r->setPortfolioItems(items);
        const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
        QVERIFY(QFileInfo(pdf).size() <= 3 * 1024 * 1024);
        const QString list = runPdfTool(QStringLiteral("pdfimages"), {QStringLiteral("-list"), pdf});
        // width height columns of each image row; a landscape tile is under 320 x 240 points.
        static const QRegularExpression row(QStringLiteral("^\\s*\\d+\\s+\\d+\\s+image\\s+(\\d+)\\s+(\\d+)"),
                                            QRegularExpression::MultilineOption);
        int images = 0;
        for (auto it = row.globalMatch(list); it.hasNext();) {
            const auto m = it.next();
            QVERIFY(m.captured(1).toInt() <= 1340);
            QVERIFY(m.captured(2).toInt() <= 1010);
            ++images;
        }
        QCOMPARE(images, 4);
    }

    // The print-size renditions kept between exports are only ever copies: a removed, damaged or
    // unwritable cache folder gives the same pages, and a removed one is made again.
    void portfolioRenditionCacheIsOnlyACopy() {
        ResumePtr r = makeReferenceResume();
        QList<PortfolioItemPtr> items;
        for (int i = 0; i < 3; ++i) {
            QImage image(1600, 1200, QImage::Format_ARGB32);
            image.fill(QColor::fromHsv(i * 100, 200, 220, i == 2 ? 128 : 255)); // one with alpha
            QPainter p(&image);
            p.setBrush(Qt::black);
            p.drawEllipse(QPoint(800 + i * 100, 600), 300, 200);
            p.end();
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "PNG");
            items << portfolioItem(
                QStringLiteral("Photo%1").arg(i), i,
                i == 1 ? PortfolioImageOrientation::portrait : PortfolioImageOrientation::landscape, png);
        }
        r->setPortfolioItems(items);
        const QDir cache(PortfolioRenditions::directory());
        QVERIFY(QDir(cache).removeRecursively()); // the renditions of earlier tests
        const auto renditions = [&] { return cache.entryList({QStringLiteral("*.rendition")}, QDir::Files); };
        // The images embedded in the export (the page backgrounds differ from one export to the next).
        const auto portfolioPage = [&] {
            const QString pdf = exportPdf(*r, ResumeLayoutMode::creative);
            QTemporaryDir dir;
            runPdfTool(QStringLiteral("pdfimages"),
                       {QStringLiteral("-png"), pdf, dir.filePath(QStringLiteral("i"))});
            QList<QImage> images;
            for (const QString& name : QDir(dir.path()).entryList(QDir::Files, QDir::Name))
                images << QImage(dir.filePath(name)).convertToFormat(QImage::Format_ARGB32);
            return images;
        };

        const QList<QImage> first = portfolioPage();
        QCOMPARE(first.size(), 4); // three images and the alpha of one
        QCOMPARE(renditions().size(), 3);
        QCOMPARE(portfolioPage(), first); // from the cache

        QVERIFY(QDir(cache).removeRecursively());
        QCOMPARE(portfolioPage(), first);
        QCOMPARE(renditions().size(), 3);

        // A damaged rendition is decoded again and replaced.
        const QString damaged = cache.filePath(renditions().first());
        QFile file(damaged);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.resize(100));
        file.close();
        QCOMPARE(portfolioPage(), first);
        QVERIFY(QFileInfo(damaged).size() > 100);

        // A file where the folder should be: nothing can be cached, the export is the same.
        QVERIFY(QDir(cache).removeRecursively());
        QFile blocker(cache.path());
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QCOMPARE(portfolioPage(), first);
        QVERIFY(QFileInfo(cache.path()).isFile());
        QVERIFY(QFile::remove(cache.path()));
    }

    void backgroundTint_data() {
        QTest::addColumn<QString>("shape");
        QTest::addColumn<QString>("theme");
        QTest::addColumn<QPointF>("tinted");   // in points
        QTest::addColumn<QPointF>("untinted"); // in points
        // Bands cover y 0–140, 200–340, …; the dot grid puts a dot at every 30 points.
        QTest::newRow("bands, pastel") << QStringLiteral("gradientBands") << QStringLiteral("pastel")
                                       << QPointF(590, 70) << QPointF(590, 170);
        QTest::newRow("bands, tropical") << QStringLiteral("gradientBands") << QStringLiteral("tropical")
                                         << QPointF(580, 620) << QPointF(580, 770);
        QTest::newRow("dots, midnight") << QStringLiteral("dotGrid") << QStringLiteral("midnight")
                                        << QPointF(571.25, 751.25) << QPointF(585, 765);
    }

    void backgroundTint() {
        QFETCH(QString, shape);
        QFETCH(QString, theme);
        QFETCH(QPointF, tinted);
        QFETCH(QPointF, untinted);
        const BackgroundColorTheme colors = *backgroundColorThemeFromRawValue(theme);
        const QString pdf = exportPdf(*makeReferenceResume(), ResumeLayoutMode::creative,
                                      *backgroundShapeTypeFromRawValue(shape), colors);
        const int dpi = 144;
        const QImage page = pageImage(pdf, 1, dpi);
        const auto at = [&](QPointF pt) {
            return page.pixel(int(pt.x() * dpi / 72), int(pt.y() * dpi / 72));
        };

        // One palette colour laid over white at the theme's opacity.
        const QRgb seen = at(tinted);
        const qreal a = shapeOpacity(colors);
        bool matched = false;
        for (const QColor& c : palette(colors)) {
            const auto blend = [a](qreal v) { return 255 * (1 - a) + v * 255 * a; };
            matched |= qAbs(qRed(seen) - blend(c.redF())) <= 4 &&
                       qAbs(qGreen(seen) - blend(c.greenF())) <= 4 &&
                       qAbs(qBlue(seen) - blend(c.blueF())) <= 4;
        }
        QVERIFY2(matched, qPrintable(QColor(seen).name()));
        QVERIFY(isWhite(at(untinted)));
    }

    void overlongCoverLetterLosesNothing_data() {
        QTest::addColumn<ResumeLayoutMode>("mode");
        QTest::newRow("ats") << ResumeLayoutMode::ats;
        QTest::newRow("creative") << ResumeLayoutMode::creative;
    }

    void overlongCoverLetterLosesNothing() {
        QFETCH(ResumeLayoutMode, mode);
        ResumePtr r = makeReferenceResume();
        QStringList lines;
        for (int i = 1; i <= 150; ++i)
            lines << QStringLiteral("Letterline%1 says why this office work suits me.").arg(i);
        r->setIncludeCoverLetter(true);
        r->setCoverLetterText(lines.join(u'\n'));
        const QString pdf = exportPdf(*r, mode);
        const int pages = pageCount(pdf);
        QVERIFY(pages >= 4);

        // Page 1 holds the start of the letter, not only the header.
        QVERIFY(pageText(pdf, 1).contains(QStringLiteral("Letterline1 says")));
        QStringList needles;
        for (int i = 1; i <= 150; ++i)
            needles << QStringLiteral("Letterline%1 says").arg(i);
        VERIFY_IN_ORDER(pdfText(pdf), needles);

        // Every continuation page carries the header; nothing passes the bottom margin.
        const QList<Word> all = words(pdf);
        for (const Word& w : all)
            QVERIFY2(w.box.bottom() <= 733, qPrintable(w.text));
        for (int p = 1; p <= pages; ++p)
            QVERIFY(pageText(pdf, p).trimmed().startsWith(QStringLiteral("Avery Quinn")));
        // The résumé starts on a page of its own.
        const QString last = pageText(pdf, pages);
        QVERIFY(!last.contains(QStringLiteral("Letterline")));
        QVERIFY(last.contains(QStringLiteral("Summary")));
    }

    void overtallBlocksSplitAtLineBoundaries() {
        ResumePtr r = makeReferenceResume();
        QStringList lines;
        for (int i = 1; i <= 120; ++i)
            lines << QStringLiteral("Detailline%1").arg(i);
        r->setSummary(lines.join(u'\n'));
        for (ResumeLayoutMode mode : {ResumeLayoutMode::creative, ResumeLayoutMode::ats}) {
            const QString pdf = exportPdf(*r, mode);
            VERIFY_IN_ORDER(pdfText(pdf), lines);
            for (const Word& w : words(pdf))
                QVERIFY2(w.box.bottom() <= 733, qPrintable(w.text));
            // The text starts on page 1, right under its title.
            const QList<Word> all = words(pdf);
            QCOMPARE(find(all, QStringLiteral("Detailline1")).first().page, 1);
            QVERIFY(find(all, QStringLiteral("Detailline1")).first().box.top() >
                    find(all, QStringLiteral("Summary")).first().box.top());
        }
    }

    void otherScriptsKeepTheirGlyphs() {
        ResumePtr r = makeReferenceResume();
        r->setSummary(QStringLiteral("テキスト 中文 हिन्दी पाठ نص عربي"));
        for (ResumeLayoutMode mode : {ResumeLayoutMode::creative, ResumeLayoutMode::ats}) {
            const QString pdf = exportPdf(*r, mode);
            const QString fonts = runPdfTool(QStringLiteral("pdffonts"), {pdf});
            // Every face in the file is embedded.
            const QStringList rows = fonts.split(u'\n', Qt::SkipEmptyParts).mid(2);
            QVERIFY(rows.size() >= 2);
            for (const QString& row : rows)
                QVERIFY2(row.contains(QStringLiteral(" yes ")), qPrintable(row));
            const QString text = pdfText(pdf);
            QVERIFY2(text.contains(QStringLiteral("テキスト")), qPrintable(text));
            QVERIFY2(text.contains(QStringLiteral("पाठ")), qPrintable(text));
        }
    }

    // A temporary folder that takes no more bytes: the export fails with the system's reason and
    // leaves no folder behind. A limit on the size of files stands in for a full disk anywhere
    // (the system refuses the write the same way, as "File too large"); as root, a small file
    // system of the test's own is filled for real.
    void aFullTemporaryFolderIsSaidWithTheSystemsReason() {
        const ResumeExportSnapshot resume(*makeReferenceResume());
        const auto exportFolders = [] {
            return QDir(QDir::tempPath())
                .entryList({ResumePDFGenerator::privateFolderPrefix() + u'*'}, QDir::Dirs | QDir::Hidden);
        };
        const QStringList before = exportFolders();
        const auto exportATS = [&] {
            return ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                 BackgroundColorTheme::pastel, ResumeLayoutMode::ats);
        };
        {
            struct rlimit saved {};
            QVERIFY(::getrlimit(RLIMIT_FSIZE, &saved) == 0);
            struct rlimit small = saved;
            small.rlim_cur = 4096;
            const auto previousHandler = std::signal(SIGXFSZ, SIG_IGN);
            QVERIFY(::setrlimit(RLIMIT_FSIZE, &small) == 0);
            const Result<QString> exported = exportATS();
            ::setrlimit(RLIMIT_FSIZE, &saved);
            std::signal(SIGXFSZ, previousHandler);
            QVERIFY(!exported);
            QVERIFY2(exported.error().endsWith(QStringLiteral("/Reference Resume.pdf”: File too large")),
                     qPrintable(exported.error()));
            QCOMPARE(exportFolders(), before);
        }
        if (::geteuid() != 0)
            return;
        const QString disk = QDir::tempPath() + QStringLiteral("/full-disk");
        QVERIFY(QDir().mkpath(disk));
        const QByteArray mountPoint = QFile::encodeName(disk);
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=256k,mode=0700") !=
            0)
            return; // no file system may be mounted here
        const QByteArray previous = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            qputenv("TMPDIR", previous);
            ::umount2(mountPoint.constData(), MNT_DETACH);
        });
        {
            QFile filler(disk + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(4096, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        qputenv("TMPDIR", mountPoint);
        const Result<QString> exported = exportATS();
        QVERIFY(!exported);
        QVERIFY2(exported.error().contains(QStringLiteral(": No space left on device")),
                 qPrintable(exported.error()));
        QCOMPARE(exportFolders(), QStringList());
    }

    void snapshotOfAStoredResumeReadsItsImagesOnTheWorker() {
        const QString path = QDir::tempPath() + QStringLiteral("/snapshot-store/default.store");
        QDir().mkpath(QFileInfo(path).absolutePath());
        const QByteArray original = photo(300, 400, 11);
        {
            auto store = std::move(ModelContainer::open(path)).value();
            ResumePtr r = makeReferenceResume();
            r->setPortfolioItems(
                {portfolioItem(QStringLiteral("Plan"), 0, PortfolioImageOrientation::portrait, original)});
            store->mainContext().insert(r);
            QVERIFY(store->mainContext().save().ok());
        }
        auto store = std::move(ModelContainer::open(path)).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        const ResumePtr r = context.fetchResumes()->first();
        const PortfolioItemPtr item = r->portfolioItems().first();

        const ResumeExportSnapshot snapshot = ResumeExportSnapshot::of(*r, path);
        QVERIFY(!item->isImageLoaded()); // the UI thread copied no image
        QVERIFY(snapshot.hasStoredImages());

        // A save after the snapshot does not reach it: it shows the résumé as it was taken.
        item->setImageData(photo(200, 100, 12));
        QVERIFY(context.save().ok());

        const auto [pdf, bytes] = QtConcurrent::run([snapshot] {
                                      ResumeExportSnapshot loaded = snapshot;
                                      (void)loaded.loadStoredImages();
                                      const auto path = ResumePDFGenerator::exportPDF(
                                          snapshot, BackgroundShapeType::circles,
                                          BackgroundColorTheme::pastel, ResumeLayoutMode::creative);
                                      return std::pair(path.ok() ? path.value() : QString(),
                                                       loaded.portfolio().first()->imageData());
                                  }).result();
        QCOMPARE(bytes, std::optional(original));
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCount(pdf), 2);
    }

    void snapshotIsIndependentAndRendersTheSame() {
        ResumePtr r = makeReferenceResume();
        r->setPortfolioItems({portfolioItem(QStringLiteral("Plan"), 0, PortfolioImageOrientation::portrait,
                                            photo(300, 400, 10))});
        auto snapshot = std::make_shared<ResumeExportSnapshot>(*r);
        r->setFullName(QStringLiteral("Changed Name"));
        r->experienceItems().first()->setRole(QStringLiteral("Changed Role"));
        r->setPortfolioItems({});
        QCOMPARE(snapshot->fullName(), QStringLiteral("Avery Quinn"));
        QCOMPARE(snapshot->experience().first()->role(), QStringLiteral("Operations Director"));
        QCOMPARE(snapshot->portfolio().size(), 1);

        const ResumeExportSnapshot copy = *snapshot;
        QVERIFY(copy.experience().first() != snapshot->experience().first());
        QCOMPARE(copy.experience().first()->role(), snapshot->experience().first()->role());
        QCOMPARE(copy.portfolio().first()->imageData(), snapshot->portfolio().first()->imageData());

        // Rendered on a worker thread, as the editor does.
        const QString pdf = QtConcurrent::run([snapshot] {
                                return exportPdf(*snapshot, ResumeLayoutMode::creative);
                            }).result();
        QVERIFY(!pdf.isEmpty());
        QCOMPARE(pageCount(pdf), 2);
        VERIFY_IN_ORDER(pdfText(pdf), {QStringLiteral("Avery Quinn"), QStringLiteral("Operations Director"),
                                       QStringLiteral("Plan")});
    }
};

QUILLORA_TEST_MAIN(TestResumePdf)
#include "test_resume_pdf.moc"
