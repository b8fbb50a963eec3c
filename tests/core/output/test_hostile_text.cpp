#include "output/pdf_text.h"
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "support/pdf_tools.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QPdfWriter>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QStandardPaths>
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

// The scripts a résumé may be written in, each as a few words and the block of its letters and
// marks (the marks drawn over or under a letter, vowel signs, joiners are what a span stands for).
struct Script {
    const char* name;
    QString words;
    char32_t first, last;
};

// clang-format off
const Script kScripts[] = {
    {"Latin", QStringLiteral("Zoë Ångström-Núñez, Łódź, naïve"), 0x00C0, 0x024F},
    {"Greek", QStringLiteral("Μηχανικός λογισμικού"), 0x0370, 0x03FF},
    {"Cyrillic", QStringLiteral("Инженер-программист"), 0x0400, 0x04FF},
    {"Armenian", QStringLiteral("Ծրագրավորող ինժեներ"), 0x0531, 0x058A},
    {"Georgian", QStringLiteral("პროგრამული ინჟინერი"), 0x10D0, 0x10FF},
    {"Hebrew", QStringLiteral("מְהַנְדֵּס תּוֹכְנָה"), 0x05B0, 0x05EA},
    {"Arabic", QStringLiteral("مُهَنْدِسُ بَرْمَجِيَّاتٍ، كتاب‌ها"), 0x0610, 0x06FF},
    {"Thaana", QStringLiteral("ސޮފްޓްވެއަރ އިންޖިނިއަރު ދިވެހި"), 0x0780, 0x07B1},
    {"Devanagari", QStringLiteral("सॉफ्टवेयर इंजीनियर क्षेत्रीय"), 0x0900, 0x097F},
    {"Bengali", QStringLiteral("সফটওয়্যার প্রকৌশলী"), 0x0980, 0x09FE},
    {"Gurmukhi", QStringLiteral("ਸਾਫਟਵੇਅਰ ਇੰਜੀਨੀਅਰ"), 0x0A01, 0x0A76},
    {"Gujarati", QStringLiteral("સોફ્ટવેર ઇજનેર"), 0x0A81, 0x0AFF},
    {"Oriya", QStringLiteral("ସଫ୍ଟୱେର୍ ଇଞ୍ଜିନିୟର"), 0x0B01, 0x0B77},
    {"Tamil", QStringLiteral("மென்பொருள் பொறியாளர்"), 0x0B82, 0x0BFA},
    {"Telugu", QStringLiteral("సాఫ్ట్‌వేర్ ఇంజనీర్"), 0x0C00, 0x0C7F},
    {"Kannada", QStringLiteral("ಸಾಫ್ಟ್‌ವೇರ್ ಎಂಜಿನಿಯರ್"), 0x0C80, 0x0CF2},
    {"Malayalam", QStringLiteral("സോഫ്റ്റ്‌വെയർ എഞ്ചിനീയർ"), 0x0D00, 0x0D7F},
    {"Sinhala", QStringLiteral("මෘදුකාංග ඉංජිනේරු"), 0x0D81, 0x0DF4},
    {"Thai", QStringLiteral("วิศวกรซอฟต์แวร์"), 0x0E01, 0x0E5B},
    {"Lao", QStringLiteral("ວິສະວະກອນຊອບແວ"), 0x0E81, 0x0EDF},
    {"Tibetan", QStringLiteral("མཉེན་ཆས་བཟོ་སྐྲུན་པ།"), 0x0F00, 0x0FDA},
    {"Myanmar", QStringLiteral("ဆော့ဖ်ဝဲ အင်ဂျင်နီယာ"), 0x1000, 0x109F},
    {"Khmer", QStringLiteral("វិស្វករ​កម្មវិធី"), 0x1780, 0x17F9},
    {"Ethiopic", QStringLiteral("የሶፍትዌር መሐንዲስ"), 0x1200, 0x137C},
    {"Han and kana", QStringLiteral("山田太郎 ソフトウェア技術者 𠮷野"), 0x3041, 0x30FF},
    {"Hangul", QStringLiteral("소프트웨어 엔지니어"), 0xAC00, 0xD7A3},
    {"Runic", QStringLiteral("ᚱᚢᚾᚨᛦ ᛗᛁᚾ"), 0x16A0, 0x16F8},
};
// clang-format on

// A word of the script: one of its words, or letters and marks of its block at random.
QString wordOf(const Script& script, QRandomGenerator& random) {
    if (random.bounded(2) == 0) {
        const QStringList words = script.words.split(u' ');
        return words.at(random.bounded(int(words.size())));
    }
    QString word;
    const int length = 1 + random.bounded(8);
    while (word.size() < length) {
        const char32_t c = script.first + char32_t(random.bounded(int(script.last - script.first + 1)));
        if (QChar::script(c) != QChar::Script_Unknown)
            word += QString::fromUcs4(&c, 1);
    }
    return word;
}

// A text of `words` words, each of a script of `scripts`, with a line break now and then.
QString textOf(const QList<const Script*>& scripts, int words, QRandomGenerator& random) {
    QString text;
    for (int i = 0; i < words; ++i) {
        if (i > 0)
            text += random.bounded(12) == 0 ? u'\n' : u' ';
        text += wordOf(*scripts.at(random.bounded(int(scripts.size()))), random);
    }
    return text;
}

// Whether qpdf finds the file sound (true without qpdf); `report` is what it said.
bool soundByQpdf(const QString& pdf, QString* report) {
    if (QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty())
        return true;
    QProcess qpdf;
    qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
    if (!qpdf.waitForFinished(120000))
        return false;
    *report = QString::fromUtf8(qpdf.readAllStandardOutput() + qpdf.readAllStandardError());
    return qpdf.exitStatus() == QProcess::NormalExit && qpdf.exitCode() == 0;
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

    // Whatever scripts a résumé is written in, in whatever field, the export finishes in both
    // layouts and its file is sound: résumés of random words of every script, three or four
    // scripts each. The seed is fixed; a failure names it and the résumé.
    void everyScriptInEveryFieldExports() {
        constexpr quint32 kSeed = 20261209;
        QRandomGenerator random(kSeed);
        const QStringList fonts{QStringLiteral("Avenir Next"), QStringLiteral("Georgia"),
                                QStringLiteral("Courier New"), QStringLiteral("Lato")};
        constexpr int kScriptCount = int(std::size(kScripts));
        constexpr int kResumes = 9;
        for (int i = 0; i < kResumes; ++i) {
            // Every script is in one résumé at least, with others beside it.
            QList<const Script*> scripts;
            for (int at = i; at < kScriptCount; at += kResumes)
                scripts.append(&kScripts[at]);
            scripts.append(&kScripts[random.bounded(kScriptCount)]);
            ResumeExportSnapshot resume;
            resume.m_title = textOf(scripts, 2, random);
            resume.m_fontName = fonts.at(random.bounded(int(fonts.size())));
            resume.m_fullName = textOf(scripts, 2, random);
            resume.m_contactInfo = textOf(scripts, 3, random) + QStringLiteral(" · name@example.com");
            resume.m_displaySummaryTitle = textOf(scripts, 1, random);
            resume.m_displayExperienceTitle = textOf(scripts, 1, random);
            resume.m_displayEducationTitle = textOf(scripts, 1, random);
            resume.m_summary = textOf(scripts, 40, random);
            resume.m_appliedSkills = {textOf(scripts, 1, random), textOf(scripts, 2, random)};
            auto experience = std::make_unique<ResumeExportSnapshot::ExperienceEntry>();
            experience->role_ = textOf(scripts, 2, random);
            experience->company_ = textOf(scripts, 2, random);
            experience->startDate_ = QStringLiteral("2019");
            experience->endDate_ = textOf(scripts, 1, random);
            experience->details_ = textOf(scripts, 25, random);
            resume.m_experience.push_back(std::move(experience));
            auto education = std::make_unique<ResumeExportSnapshot::EducationEntry>();
            education->school_ = textOf(scripts, 3, random);
            education->degree_ = textOf(scripts, 3, random);
            education->year_ = QStringLiteral("2018");
            resume.m_education.push_back(std::move(education));
            resume.m_includeCoverLetter = true;
            resume.m_coverLetterText = textOf(scripts, 30, random);

            QStringList names;
            for (const Script* script : std::as_const(scripts))
                names.append(QString::fromLatin1(script->name));
            for (const auto mode : {ResumeLayoutMode::ats, ResumeLayoutMode::creative}) {
                const QString which = QStringLiteral("seed %1, résumé %2 (%3, %4, %5)")
                                          .arg(kSeed)
                                          .arg(i)
                                          .arg(names.join(QStringLiteral(", ")), resume.m_fontName,
                                               mode == ResumeLayoutMode::ats ? QStringLiteral("ATS")
                                                                             : QStringLiteral("creative"));
                const auto exported = ResumePDFGenerator::exportPDF(resume, BackgroundShapeType::circles,
                                                                    BackgroundColorTheme::pastel, mode);
                QVERIFY2(exported.ok(), qPrintable(which + u": " + exported.error()));
                QString report;
                QVERIFY2(soundByQpdf(exported.value(), &report), qPrintable(which + u": " + report));
                ResumePDFGenerator::removeExport(exported.value());
            }
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
