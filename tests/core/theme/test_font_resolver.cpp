#include "support/test_home.h"
#include "theme/font_resolver.h"

#include <QFontInfo>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QPdfWriter>
#include <QProcess>
#include <QRawFont>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>
#include <QTextLayout>
#include <QtConcurrent/QtConcurrentMap>

using namespace quillora;

namespace {

// The glyph runs Qt shapes for text in a font, fallbacks included.
QList<QGlyphRun> shape(const QString& text, const QFont& font) {
    QTextLayout layout(text, font);
    layout.beginLayout();
    layout.createLine();
    layout.endLayout();
    return layout.glyphRuns();
}

// The text drawn as black outlines on white, glyph by glyph, wherever the layout placed them.
QImage drawn(const QString& text, const QFont& font) {
    QImage image(900, 60, QImage::Format_RGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    for (const QGlyphRun& run : shape(text, font)) {
        const QRawFont raw = run.rawFont();
        const QList<quint32> glyphs = run.glyphIndexes();
        const QList<QPointF> positions = run.positions();
        for (qsizetype i = 0; i < glyphs.size(); ++i)
            painter.fillPath(raw.pathForGlyph(glyphs.at(i)).translated(positions.at(i) + QPointF(4, 40)),
                             Qt::black);
    }
    return image;
}

const QString kLatin = QStringLiteral("The quick brown fox jumps over the lazy dog 0123456789 éàüç");

} // namespace

class FontResolverTest : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { FontResolver::registerAppFonts(); }

    // Every font of the picker, and the help sheets' face, shows a real face: its own where it
    // is open, else the nearest packaged one; fetched families fall back to packaged ones.
    void pickerFontsResolveToRealFaces_data() {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<QStringList>("faces"); // acceptable families, best first
        QTest::addColumn<bool>("fetched");      // faces.first() comes from scripts/fetch-fonts

        const auto row = [](const char* name, std::initializer_list<const char*> faces,
                            bool fetched = false) {
            QStringList families;
            for (const char* face : faces)
                families.append(QString::fromUtf8(face));
            QTest::newRow(name) << QString::fromUtf8(name) << families << fetched;
        };
        row("Avenir Next", {"Avenir Next", "Lato"});
        row("Bitter-Regular", {"Bitter", "Roboto Slab"}, true);
        row("CharisSILR", {"Charis SIL"});
        row("Courier New", {"Courier New", "Cousine"});
        row("Crimson-Roman", {"Crimson Text", "EB Garamond"}, true);
        row("Futura", {"Futura", "League Spartan"});
        row("EBGaramond12-Regular", {"EB Garamond"});
        row("Georgia", {"Georgia", "Caladea"});
        row("Helvetica Neue", {"Helvetica Neue", "Arimo"});
        row("Inter-Light", {"Inter"});
        row("Lato-Light", {"Lato"});
        row("LibreBaskerville-Regular", {"Libre Baskerville", "Tinos"}, true);
        row("Lora-Regular", {"Lora", "PT Serif"}, true);
        row("Merriweather-Light", {"Merriweather", "Caladea"}, true);
        row("Montserrat-Light", {"Montserrat", "League Spartan"}, true);
        row("NunitoSans-Light", {"Nunito Sans", "Lato"}, true);
        row("OpenSans-Light", {"Open Sans"});
        row("Oswald-Light", {"Oswald", "Roboto Condensed"}, true);
        row("Poppins-Light", {"Poppins", "League Spartan"}, true);
        row("PTF55F", {"PT Serif"});
        row("Quicksand-Regular", {"Quicksand"});
        row("Roboto-Light", {"Roboto"});
        row("Rubik-Light", {"Rubik", "Roboto"}, true);
        row("SourceSansPro-Light", {"Source Sans Pro", "PT Sans"}, true);
        row("WorkSans-Light", {"Work Sans", "Inter"}, true);
    }

    void pickerFontsResolveToRealFaces() {
        QFETCH(QString, fontName);
        QFETCH(QStringList, faces);
        QFETCH(bool, fetched);

        const QString family = FontResolver::resolveFamily(fontName);
        QVERIFY2(faces.contains(family), qPrintable(fontName + QStringLiteral(" -> ") + family));
        QVERIFY(FontResolver::isResolved(fontName));
        QVERIFY(family != FontResolver::fallbackFamily());

        // Qt really loads that face, and it draws Latin text itself.
        const QFont font = FontResolver::font(fontName, 12);
        QCOMPARE(QFontInfo(font).family(), family);
        const QRawFont raw = QRawFont::fromFont(font);
        QVERIFY(raw.isValid());
        QCOMPARE(raw.familyName(), family);
        for (const QChar c : kLatin)
            QVERIFY2(raw.supportsCharacter(c), qPrintable(QString(c)));

        if (fetched && family != faces.first())
            QSKIP("Fetched fonts are absent (scripts/fetch-fonts did not run); checked the stand-in");
        if (fetched)
            QVERIFY(FontResolver::embeddedFamilies().contains(family));
    }

    void styleSuffixesGiveWeightAndSlant() {
        const auto style = [](const char* name) { return FontResolver::parseStyle(QString::fromUtf8(name)); };
        QCOMPARE(style("Oswald-Light").weight, QFont::Light);
        QCOMPARE(style("Oswald-Light").baseName, QStringLiteral("Oswald"));
        QCOMPARE(style("Crimson-Roman").weight, QFont::Normal);
        QCOMPARE(style("Lato-Light-Semibold").weight, QFont::DemiBold);
        QCOMPARE(style("Lato-Light-Semibold").baseName, QStringLiteral("Lato"));
        QCOMPARE(style("Helvetica-BoldOblique").weight, QFont::Bold);
        QVERIFY(style("Helvetica-BoldOblique").italic);
        QVERIFY(style("Lora-Italic").italic);
        QVERIFY(!style("Lora-Italic").weight);
        QVERIFY(!style("Avenir Next").weight);
        QCOMPARE(style("CharisSILR").baseName, QStringLiteral("CharisSILR"));
        QCOMPARE(style("Some-Name").baseName, QStringLiteral("Some-Name"));

        // The PDF's headline font: the résumé's font name plus "-Semibold".
        const QFont headline = FontResolver::font(QStringLiteral("Inter-Light-Semibold"), 9);
        QCOMPARE(QFontInfo(headline).family(), QStringLiteral("Inter"));
        QCOMPARE(QFontInfo(headline).weight(), int(QFont::DemiBold));
        QCOMPARE(headline.pointSizeF(), 9.0);

        const QFont bold = FontResolver::font(QStringLiteral("Helvetica-Bold"), 20);
        QCOMPARE(QFontInfo(bold).family(), QStringLiteral("Arimo"));
        QVERIFY(QFontInfo(bold).bold());
        QCOMPARE(QFontInfo(FontResolver::font(QStringLiteral("Inter-Light"), 10)).weight(),
                 int(QFont::Light));
        QVERIFY(QFontInfo(FontResolver::font(QStringLiteral("Georgia-Italic"), 10)).italic());

        const QFont garamond = FontResolver::font(QStringLiteral("EBGaramond12-Regular"), 10);
        QCOMPARE(QRawFont::fromFont(garamond).styleName(), QStringLiteral("12 Regular"));
        const QFont garamondBold = FontResolver::font(QStringLiteral("EBGaramond12-Regular-Semibold"), 10);
        QVERIFY(QFontInfo(garamondBold).weight() >= int(QFont::DemiBold));

        const QFont explicitWeight = FontResolver::font(QStringLiteral("Lato-Light"), 9, QFont::Bold);
        QCOMPARE(QFontInfo(explicitWeight).weight(), int(QFont::Bold));
    }

    void unknownNamesUseTheGenericFallback() {
        for (const QString& name : {QString(), QStringLiteral("   "), QStringLiteral("No Such Face"),
                                    QStringLiteral("NoSuchFace-Bold"), QStringLiteral("-Bold")}) {
            QCOMPARE(FontResolver::resolveFamily(name), FontResolver::fallbackFamily());
            QVERIFY2(!FontResolver::isResolved(name), qPrintable(name));
        }
        const QFont bold = FontResolver::font(QStringLiteral("NoSuchFace-Bold"), 14);
        QCOMPARE(QFontInfo(bold).family(), FontResolver::fallbackFamily());
        QVERIFY(QFontInfo(bold).bold());

        // An installed family that the table does not name still resolves, spaces or not.
        QCOMPARE(FontResolver::resolveFamily(QStringLiteral("DejaVuSerif-Bold")),
                 QStringLiteral("DejaVu Serif"));
        QCOMPARE(FontResolver::resolveFamily(QStringLiteral(" Open Sans ")), QStringLiteral("Open Sans"));
    }

    // The PDF is drawn on a worker thread while the screen resolves the same names.
    void resolvesFromWorkerThreads() {
        QStringList names;
        for (int i = 0; i < 50; ++i) {
            names << QStringLiteral("Oswald-Light") << QStringLiteral("Helvetica Neue-Semibold")
                  << QStringLiteral("Unknown %1").arg(i) << QStringLiteral("EBGaramond12-Regular");
        }
        const QStringList families = QtConcurrent::blockingMapped(
            names, [](const QString& name) { return FontResolver::font(name, 9).family(); });
        for (qsizetype i = 0; i < names.size(); ++i)
            QCOMPARE(families.at(i), FontResolver::resolveFamily(names.at(i)));
    }

    // A translated résumé keeps its font: glyphs the face lacks come from a script face.
    void translatedTextHasGlyphs_data() {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<QString>("text");
        const QStringList fonts{QStringLiteral("Helvetica Neue"), QStringLiteral("Oswald-Light"),
                                QStringLiteral("EBGaramond12-Regular"), QStringLiteral("Courier New"),
                                QStringLiteral("No Such Face")};
        const QList<std::pair<const char*, QString>> texts{
            {"Chinese", QStringLiteral("软件工程师，负责设计")},
            {"Japanese", QStringLiteral("ソフトウェアエンジニア、東京")},
            {"Hindi", QStringLiteral("सॉफ्टवेयर इंजीनियर, दिल्ली")},
            {"Arabic", QStringLiteral("مهندس برمجيات في القاهرة")},
        };
        for (const QString& font : fonts) {
            for (const auto& [script, text] : texts)
                QTest::newRow(qPrintable(font + QLatin1Char(' ') + QLatin1String(script))) << font << text;
        }
    }

    void translatedTextHasGlyphs() {
        QFETCH(QString, fontName);
        QFETCH(QString, text);
        const QList<QGlyphRun> runs = shape(text, FontResolver::font(fontName, 12));
        QVERIFY(!runs.isEmpty());
        int glyphs = 0;
        for (const QGlyphRun& run : runs) {
            const QList<quint32> indexes = run.glyphIndexes();
            for (const quint32 index : indexes)
                QVERIFY2(index != 0,
                         qPrintable(QStringLiteral("missing glyph in ") + run.rawFont().familyName()));
            glyphs += int(indexes.size());
        }
        QVERIFY(glyphs >= text.size() / 2);
    }

    // The copies derived from the CJK and Devanagari faces (so that PDFs read back as typed) draw
    // exactly what the packaged faces draw, look-alike characters included.
    void exactFacesDrawTheSameGlyphs_data() {
        QTest::addColumn<QString>("fontName");
        QTest::addColumn<QString>("text");
        const QList<std::pair<const char*, QString>> texts{
            {"Chinese", QStringLiteral("软件工程师 長門資訊 一人日月大工言金 见贝车")},
            {"Japanese", QStringLiteral("東京大学・言語処理～／　勤務")},
            {"look-alikes", QStringLiteral("\u2F00\u2F08\u2EC5\uF900\uF914\u30FB\u3000\uFF0F\u301C")},
            {"Hindi", QStringLiteral("फ़ोन सॉफ्टवेयर \u095E\u095C")},
        };
        for (const char* font : {"Helvetica Neue", "Georgia", "Courier New"}) {
            for (const auto& [script, text] : texts)
                QTest::newRow(qPrintable(QLatin1String(font) + QLatin1Char(' ') + QLatin1String(script)))
                    << QString::fromLatin1(font) << text;
        }
    }

    void exactFacesDrawTheSameGlyphs() {
        QFETCH(QString, fontName);
        QFETCH(QString, text);
        const QFont font = FontResolver::font(fontName, 24);
        QCOMPARE(FontResolver::fontForText(font, kLatin), font); // the face's own characters: as it is
        const QFont exact = FontResolver::fontForText(font, text);
        QFont packaged = exact;
        QStringList families = exact.families();
        families.removeIf([](const QString& f) { return f.contains(QLatin1StringView(" Exact")); });
        packaged.setFamilies(families);
        QVERIFY(families.size() < exact.families().size());

        bool usedExact = false;
        for (const QGlyphRun& run : shape(text, exact))
            usedExact = usedExact || run.rawFont().familyName().contains(QLatin1StringView(" Exact"));
        QVERIFY(usedExact);
        QCOMPARE(drawn(text, exact), drawn(text, packaged));
    }

    // The PDF embeds the résumé's face and the script faces it fell back to.
    void pdfEmbedsTheFacesItDraws() {
        const QString pdffonts = QStandardPaths::findExecutable(QStringLiteral("pdffonts"));
        if (pdffonts.isEmpty())
            QSKIP("pdffonts (poppler-utils) is not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString path = dir.filePath(QStringLiteral("fonts.pdf"));
        {
            QPdfWriter writer(path);
            writer.setResolution(72);
            QPainter painter(&writer);
            painter.setFont(FontResolver::font(QStringLiteral("Helvetica Neue"), 12));
            painter.drawText(QPointF(40, 40), QStringLiteral("Senior Designer"));
            painter.drawText(QPointF(40, 60), QStringLiteral("软件工程师 ソフトウェア"));
            painter.drawText(QPointF(40, 80), QStringLiteral("सॉफ्टवेयर इंजीनियर"));
            painter.drawText(QPointF(40, 100), QStringLiteral("مهندس برمجيات"));
        }
        QProcess process;
        process.start(pdffonts, {path});
        QVERIFY(process.waitForFinished(30000));
        const QString listing = QString::fromUtf8(process.readAllStandardOutput());
        for (const char* face : {"Arimo", "CJK", "Devanagari", "Arabic"})
            QVERIFY2(listing.contains(QLatin1StringView(face)), qPrintable(listing));
    }
};

QUILLORA_TEST_MAIN(FontResolverTest)
#include "test_font_resolver.moc"
