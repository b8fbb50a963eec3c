#include "output/pdf_text_rtl.h"
#include "output/pdf_text_writer.h"
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "support/pdf_tools.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"
#include "theme/font_resolver.h"

#include <QBuffer>
#include <QGlyphRun>
#include <QGuiApplication>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTextLayout>
#include <QtConcurrent>
#include <QtTest>

using namespace quillora;
using quillora::test::pdfReaders;
using quillora::test::pdfText;
using quillora::test::runPdfTool;

// An ATS reads a résumé through the text a PDF carries, not through its look: every character
// typed in any script has to come back out of the file as it was typed.

namespace {

// pdftotext writes every gap between words as a plain space, whatever space character drew it.
QString withPlainSpaces(QString text) {
    for (QChar& c : text) {
        if (c.isSpace() && c != u'\n')
            c = u' ';
    }
    return text;
}

// True when `typed` occurs in `extracted` character for character, where the only differences
// are the layout's line breaks: a break in place of the space a line ended at, or between two
// characters of a word or of CJK text that wrapped there. pdftotext joins a line that ends in a
// hyphen to the next one and drops the hyphen. `breaks` counts the breaks.
bool appearsAsLaidOut(const QString& extracted, const QString& typed, int* breaks) {
    const QString wanted = withPlainSpaces(typed);
    for (qsizetype start = extracted.indexOf(wanted.front()); start >= 0;
         start = extracted.indexOf(wanted.front(), start + 1)) {
        qsizetype i = 0, j = start;
        int lineBreaks = 0;
        while (i < wanted.size() && j < extracted.size()) {
            const QChar out = extracted.at(j);
            if (out == wanted.at(i)) {
                ++i;
                ++j;
            } else if (out == u'\n' && i > 0) {
                ++lineBreaks;
                ++j;
                if (wanted.at(i) == u' ')
                    ++i;
            } else if (wanted.at(i) == u'-' && i > 0) {
                ++lineBreaks;
                ++i;
            } else {
                break;
            }
        }
        if (i == wanted.size()) {
            *breaks = lineBreaks;
            return true;
        }
    }
    return false;
}

// Every font listed by pdffonts is embedded; returns the font names.
QStringList embeddedFonts(const QString& pdf, QString* notEmbedded) {
    const QStringList rows =
        runPdfTool(QStringLiteral("pdffonts"), {pdf}).split(u'\n', Qt::SkipEmptyParts).mid(2);
    QStringList names;
    for (const QString& row : rows) {
        if (!row.contains(QStringLiteral(" yes ")))
            *notEmbedded += row + u'\n';
        names.append(row.section(u' ', 0, 0));
    }
    return names;
}

// Formatting characters a reader adds around right-to-left runs.
bool isDirectionMark(QChar c) {
    const char16_t u = c.unicode();
    return u == 0x200E || u == 0x200F || (u >= 0x202A && u <= 0x202E) || (u >= 0x2066 && u <= 0x2069);
}

// A reader's text as a person reads it: without the direction marks it adds, every run of white
// space (a line break, a tab) one space.
QString asRead(const QString& text) {
    QString read;
    for (const QChar c : text) {
        if (isDirectionMark(c))
            continue;
        if (c.isSpace()) {
            if (!read.isEmpty() && !read.endsWith(u' '))
                read += u' ';
        } else {
            read += c;
        }
    }
    return read;
}

// A word of `pdftotext -bbox`, with its box on the page, without the direction marks a span of a
// right-to-left line adds.
struct PlacedWord {
    QString text;
    QRectF box;
};

QList<PlacedWord> placedWords(const QString& pdf) {
    const QString xhtml =
        runPdfTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    static const QRegularExpression word(QStringLiteral(
        "<word xMin=\"([\\d.]+)\" yMin=\"([\\d.]+)\" xMax=\"([\\d.]+)\" yMax=\"([\\d.]+)\">([^<]*)</word>"));
    QList<PlacedWord> words;
    for (auto it = word.globalMatch(xhtml); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        QString text = m.captured(5);
        text.removeIf(isDirectionMark);
        words.append({text, QRectF(topLeft, bottomRight)});
    }
    return words;
}

// The characters whose UTF-16 code units, high byte first, spell `bytes` (padded to a whole unit).
QString spelledInUtf16(QByteArray bytes) {
    if (bytes.size() % 2)
        bytes.append('\x05');
    QString text;
    for (qsizetype i = 0; i < bytes.size(); i += 2)
        text += QChar(char16_t(quint8(bytes.at(i)) << 8 | quint8(bytes.at(i + 1))));
    return text;
}

// The texts of one résumé in one script.
struct Sample {
    QString fullName, contact, summaryTitle, summary, role, company, details, skill, degree, school;

    QStringList fields() const {
        return {fullName, contact, summaryTitle, summary, role, company, details, skill, degree, school};
    }
};

// The characters of `text` that neither the sample's fields nor the page's own words hold, each
// once; spaces and direction marks aside. `formsSpelled`: the reader spells presentation forms
// (ﷺ) out as the letters they stand for.
QString charactersNotTyped(const QString& text, const Sample& sample, bool formsSpelled = false) {
    QSet<QChar> typed;
    for (const QString& field :
         sample.fields() + QStringList{QStringLiteral("Skills • 2019 \u2013 2024 2018")}) {
        for (const QChar c : formsSpelled ? field + field.normalized(QString::NormalizationForm_KC) : field)
            typed.insert(c);
    }
    QString foreign;
    for (const QChar c : text) {
        if (!c.isSpace() && !isDirectionMark(c) && !typed.contains(c) && !foreign.contains(c))
            foreign += c;
    }
    return foreign;
}

ResumePtr resumeOf(const Sample& s, const QString& fontName) {
    ResumePtr r = test::makeEmptyResume(QStringLiteral("Extraction"));
    r->setFontName(fontName);
    r->setFullName(s.fullName);
    r->setContactInfo(s.contact);
    r->setTitleSummary(s.summaryTitle);
    r->setSummary(s.summary);
    r->setTitleExperience(s.company);
    r->setExperienceItems({std::make_shared<Experience>(s.role, s.company, QStringLiteral("2019"),
                                                        QStringLiteral("2024"), s.details, 0)});
    r->setAppliedSkills({s.skill});
    r->setTitleEducation(s.school);
    r->setEducationItems({std::make_shared<Education>(s.school, s.degree, QStringLiteral("2018"), 0)});
    return r;
}

QString exportPdf(const ResumeRepresentable& resume, ResumeLayoutMode mode) {
    const ResumeExportSnapshot snapshot(resume);
    const Result<QString> result = ResumePDFGenerator::exportPDF(snapshot, BackgroundShapeType::circles,
                                                                 BackgroundColorTheme::pastel, mode);
    if (!result.ok())
        qWarning() << result.error();
    return result.ok() ? result.value() : QString();
}

// clang-format off
const Sample kSimplifiedChinese{
    QStringLiteral("王小明"), QStringLiteral("电话 138 0000 0000 · 北京"), QStringLiteral("个人简介"),
    QStringLiteral("资深软件工程师，十年以上分布式系统开发经验。负责设计和实现大规模数据处理平台，"
                   "带领团队完成人工智能与自然语言处理项目，见证产品从零到一的成长。"),
    QStringLiteral("高级工程师"), QStringLiteral("长城科技有限公司"),
    QStringLiteral("主导车联网数据平台，日处理十亿条记录；优化金融风控模型。"),
    QStringLiteral("机器学习、言语处理"), QStringLiteral("计算机科学硕士"), QStringLiteral("清华大学")};
const Sample kTraditionalChinese{
    QStringLiteral("陳大文"), QStringLiteral("電話 0912 345 678 · 臺北"), QStringLiteral("個人簡介"),
    QStringLiteral("資深軟體工程師，擁有十年以上的分散式系統開發經驗。負責設計與實現大規模資料處理平台，"
                   "帶領團隊完成人工智慧與自然語言處理專案。"),
    QStringLiteral("首席工程師"), QStringLiteral("長門資訊股份有限公司"),
    QStringLiteral("建置鳥類辨識系統；門市營運儀表板，頁面載入時間縮短一半。"),
    QStringLiteral("雲端運算、龜速網路最佳化"), QStringLiteral("資訊工程學系學士"), QStringLiteral("國立臺灣大學")};
const Sample kJapanese{
    QStringLiteral("山田太郎"), QStringLiteral("電話 090-1234-5678・東京都"), QStringLiteral("職務要約"),
    QStringLiteral("月曜日から金曜日まで勤務。人工知能と言語処理の研究・開発に十年間従事し、"
                   "大規模データ基盤の設計から運用までを担当。　社内勉強会を主催～若手育成にも注力。"),
    QStringLiteral("主任研究員"), QStringLiteral("日本語処理株式会社"),
    QStringLiteral("金融機関向け文書解析システムを開発／導入（入力工数を半減）。"),
    QStringLiteral("自然言語処理・機械学習"), QStringLiteral("情報理工学修士"), QStringLiteral("東京大学大学院")};
const Sample kKorean{
    QStringLiteral("김민준"), QStringLiteral("전화 010-1234-5678 · 서울"), QStringLiteral("자기소개"),
    QStringLiteral("10년 경력의 소프트웨어 엔지니어로서 대규모 데이터 처리 플랫폼을 설계하고 "
                   "구현했습니다. 인공지능과 자연어 처리 프로젝트를 이끌었습니다."),
    QStringLiteral("수석 엔지니어"), QStringLiteral("한빛소프트 주식회사"),
    QStringLiteral("결제 시스템의 응답 시간을 절반으로 줄였습니다."),
    QStringLiteral("분산 시스템"), QStringLiteral("컴퓨터공학 석사"), QStringLiteral("서울대학교")};
const Sample kAccentedLatin{
    QStringLiteral("Zoë Ångström-Núñez"), QStringLiteral("zoe@example.com · Malmö, Sverige"),
    QStringLiteral("Résumé"),
    QStringLiteral("Ingénieure logicielle chevronnée : conçoit des systèmes distribués fiables, "
                   "pilote l'équipe « données » à São Paulo, Kraków et Reykjavík; façade, crème brûlée, "
                   "naïveté, Ærøskøbing, Łódź, Dvořák, İstanbul, Þórður."),
    QStringLiteral("Directrice technique"), QStringLiteral("Société Générale d'Ingénierie"),
    QStringLiteral("Réduit les coûts d'exploitation de 30 % grâce à l'automatisation."),
    QStringLiteral("Français, Español, Português, Čeština"), QStringLiteral("Maîtrise en génie"),
    QStringLiteral("École Polytechnique Fédérale")};
const Sample kMixed{
    QStringLiteral("Léa 王 Müller 山田"), QStringLiteral("lea@example.com · 東京 · Zürich · 서울"),
    QStringLiteral("Summary 概要 요약"),
    QStringLiteral("Trilingual engineer (English, 中文, 日本語) who led the café-chain app in "
                   "São Paulo and 上海; 한국어 fluent. 人工知能・言語処理 and naïve Bayes models."),
    QStringLiteral("Lead Engineer 主任"), QStringLiteral("Global Ltd. 株式会社"),
    QStringLiteral("Built 数据平台 for Zürich and 서울 teams."),
    QStringLiteral("Python, 机器学习, 日本語"), QStringLiteral("MSc 情報科学"), QStringLiteral("ETH Zürich 大学")};
// Devanagari is shaped: conjuncts (क्ष, श्र, ज्ञ), half forms, the reph of र्म, nukta letters
// typed as letter and nukta (फ़), and the vowel sign ि drawn before the consonant it follows.
const Sample kHindi{
    QStringLiteral("राहुल शर्मा"), QStringLiteral("फ़ोन 98765 43210 · दिल्ली"), QStringLiteral("सारांश"),
    QStringLiteral("दस वर्षों के अनुभव वाले सॉफ्टवेयर इंजीनियर, जिन्होंने बड़े डेटा प्लेटफ़ॉर्म बनाए। सुरक्षा, "
                   "श्रम और कर्मचारी प्रशिक्षण में विशेषज्ञ; क्षेत्रीय टीमों का नेतृत्व किया।"),
    QStringLiteral("वरिष्ठ इंजीनियर"), QStringLiteral("भारतीय सॉफ्टवेयर लिमिटेड"),
    QStringLiteral("भुगतान प्रणाली की गति दोगुनी की।"), QStringLiteral("कृत्रिम बुद्धिमत्ता"),
    QStringLiteral("कंप्यूटर विज्ञान में स्नातकोत्तर"), QStringLiteral("दिल्ली विश्वविद्यालय")};
const Sample kMixedDevanagari{
    QStringLiteral("Priya प्रिया 王"), QStringLiteral("priya@example.com · फ़ोन 98765 43210 · 東京"),
    QStringLiteral("Summary सारांश 概要"),
    QStringLiteral("Led क्षेत्रीय data teams (हिन्दी, 中文); श्रम-saving कर्मचारी tools."),
    QStringLiteral("Lead Engineer वरिष्ठ 主任"), QStringLiteral("Global Ltd. भारतीय 株式会社"),
    QStringLiteral("Built डेटा प्लेटफ़ॉर्म for 東京 and दिल्ली teams."),
    QStringLiteral("Python, मशीन लर्निंग, 日本語"), QStringLiteral("MSc कंप्यूटर विज्ञान"),
    QStringLiteral("IIT दिल्ली 大学")};
// Characters outside the Basic Multilingual Plane: an ideograph of a family name (𠮷, not 吉),
// a rare one, and an emoji.
const Sample kOutsideBasicPlane{
    QStringLiteral("𠮷野太郎"), QStringLiteral("電話 090-1234-5678・東京都 😀"), QStringLiteral("職務要約"),
    QStringLiteral("𩸽の研究に十年間従事。"), QStringLiteral("主任研究員"), QStringLiteral("𠮷野家株式会社"),
    QStringLiteral("文書解析システムを開発。"), QStringLiteral("機械学習 😀"), QStringLiteral("情報理工学修士"),
    QStringLiteral("東京大学")};
// Characters that look like others and share their glyphs in the CJK faces, typed on purpose:
// Kangxi radicals, a radical supplement form, compatibility ideographs, the Latin middle dot
// next to the katakana one, the figure dash next to the en dash.
const Sample kLookAlikes{
    QStringLiteral("\u2F00\u4E00 \u2F08\u4EBA"), QStringLiteral("\u00B7\u30FB \u2012\u2013"),
    QStringLiteral("\u2EC5\u89C1"),
    QStringLiteral("\uF900\u8C48 \uF914\u6A02 \u2F49\u6708 \u2FA6\u91D1 \uFF0F\u2215 \u301C\uFF5E"),
    QStringLiteral("\u2F2F\u5DE5"), QStringLiteral("\u2F24\u5927"), QStringLiteral("\u2F94\u8A00"),
    QStringLiteral("\u2F47\u65E5"), QStringLiteral("\u3008\u2329"), QStringLiteral("\u2026\u22EF")};
// clang-format on

// A file as Qt's PDF writer lays one out: `objects` are the bodies of objects 1, 2, …, the
// catalog first; a table gives each its place.
QByteArray pdfOf(const QList<QByteArray>& objects) {
    QByteArray file("%PDF-1.4\n");
    QList<qsizetype> offsets;
    for (qsizetype i = 0; i < objects.size(); ++i) {
        offsets.append(file.size());
        file += QByteArray::number(i + 1) + " 0 obj\n" + objects.at(i) + "\nendobj\n";
    }
    const qsizetype table = file.size();
    file += "xref\n0 " + QByteArray::number(objects.size() + 1) + "\n0000000000 65535 f \n";
    for (const qsizetype offset : offsets)
        file += QByteArray::number(offset).rightJustified(10, '0') + " 00000 n \n";
    file += "trailer\n<< /Size " + QByteArray::number(objects.size() + 1) + " /Root 1 0 R >>\nstartxref\n" +
            QByteArray::number(table) + "\n%%EOF\n";
    return file;
}

QByteArray streamOf(const QByteArray& length, const QByteArray& data) {
    return "<< /Length " + length + " >>\nstream\n" + data + "\nendstream";
}

// One glyph at (10, 20) in the painter's coordinates, as Qt writes it.
const QByteArray kOneGlyph("q\nBT\n/F1 12 Tf 1 0 0 -1 0 0 Tm\n10 -20 Td <0001> Tj\nET\nQ\n");

} // namespace

class PdfTextExtractionTest final : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { FontResolver::registerAppFonts(); }

    // The first exports that need the script faces may run at once on workers, as the editor's
    // do: the faces are registered once, under way, and every PDF reads back as typed. Runs
    // first, before any other export has registered them.
    void firstScriptExportsAtOnceReadBackAsTyped() {
        const QList<Sample> samples{kJapanese, kSimplifiedChinese, kKorean, kLookAlikes};
        std::vector<std::unique_ptr<ResumeExportSnapshot>> snapshots;
        for (const Sample& sample : samples) {
            snapshots.push_back(std::make_unique<ResumeExportSnapshot>(*resumeOf(sample, QString())));
            snapshots.back()->m_title = QStringLiteral("At once %1").arg(snapshots.size());
        }
        const QStringList pdfs =
            QtConcurrent::blockingMapped<QStringList>(QList<size_t>{0, 1, 2, 3}, [&snapshots](size_t i) {
                return exportPdf(*snapshots.at(i), ResumeLayoutMode::ats);
            });
        for (qsizetype i = 0; i < samples.size(); ++i) {
            const QString text = pdfText(pdfs.at(i));
            int breaks = 0;
            for (const QString& field : samples.at(i).fields())
                QVERIFY2(appearsAsLaidOut(text, field, &breaks), qPrintable(field + u"\n" + text));
        }
    }

    void everyCharacterReadsBackAsTyped_data() {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<ResumeLayoutMode>("mode");
        QTest::addColumn<QString>("fontName");
        const QList<std::pair<const char*, Sample>> samples{
            {"simplified Chinese", kSimplifiedChinese},
            {"traditional Chinese", kTraditionalChinese},
            {"Japanese", kJapanese},
            {"Korean", kKorean},
            {"accented Latin", kAccentedLatin},
            {"mixed", kMixed},
            {"Hindi", kHindi},
            {"outside the Basic Multilingual Plane", kOutsideBasicPlane},
            {"mixed with Devanagari", kMixedDevanagari},
            {"look-alikes", kLookAlikes},
        };
        for (const auto& [name, sample] : samples) {
            QTest::addRow("%s, ATS", name) << sample << ResumeLayoutMode::ats << QString();
            QTest::addRow("%s, creative sans", name)
                << sample << ResumeLayoutMode::creative << QStringLiteral("Avenir Next");
            QTest::addRow("%s, creative serif", name)
                << sample << ResumeLayoutMode::creative << QStringLiteral("Georgia");
        }
    }

    void everyCharacterReadsBackAsTyped() {
        QFETCH(Sample, sample);
        QFETCH(ResumeLayoutMode, mode);
        QFETCH(QString, fontName);
        const QString pdf = exportPdf(*resumeOf(sample, fontName), mode);
        QVERIFY(!pdf.isEmpty());

        const QString text = pdfText(pdf);
        int summaryBreaks = -1;
        for (const QString& field : sample.fields()) {
            int breaks = 0;
            QVERIFY2(appearsAsLaidOut(text, field, &breaks),
                     qPrintable(u"not found as typed: " + field + u"\n--- extracted ---\n" + text));
            if (field == sample.summary)
                summaryBreaks = breaks;
        }
        // The summary is longer than a line in both layouts: the check above saw it wrapped.
        if (sample.summary.size() > 80)
            QVERIFY2(summaryBreaks > 0, qPrintable(text));

        // MuPDF and pdfminer read each glyph through its font's table: no character is missing
        // or one that was not typed, and pdfminer reads every field as typed. (MuPDF takes the step
        // from a mark set over the start of its letter to the next glyph for a space.)
        for (const test::PdfReader& reader : pdfReaders()) {
            if (QByteArrayView(reader.name) == "poppler")
                continue;
            QString read = withPlainSpaces(reader.text(pdf));
            read.replace(QRegularExpression(QStringLiteral(" *\n+ *")), QStringLiteral("\n"));
            read.replace(QRegularExpression(QStringLiteral("  +")), QStringLiteral(" "));
            const QString foreign = charactersNotTyped(read, sample);
            QVERIFY2(foreign.isEmpty(),
                     qPrintable(QString::fromLatin1(reader.name) + u": characters not in the input: " +
                                foreign + u"\n" + read));
            if (QByteArrayView(reader.name) != "pdfminer")
                continue;
            QStringList missing;
            for (const QString& field : sample.fields()) {
                int breaks = 0;
                if (!appearsAsLaidOut(read, field, &breaks))
                    missing.append(field);
            }
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QString::fromLatin1(reader.name) + u": not found as typed: " +
                                missing.join(u" | ") + u"\n" + read));
        }

        QString notEmbedded;
        const QStringList fonts = embeddedFonts(pdf, &notEmbedded);
        QVERIFY2(notEmbedded.isEmpty(), qPrintable(notEmbedded));
        QVERIFY(!fonts.isEmpty());
    }

    // Right-to-left text reads back as typed in poppler, MuPDF and pdfminer: every word, in every
    // layout, with its marks after their letter and its joiners, and the phrases whose order the
    // readers could get wrong (Latin, numbers, dates, an address and a hashtag inside a right-to-left
    // line, a period between two sentences); no presentation form takes a typed character's place.
    void rightToLeftWordsReadBackAsTyped_data() {
        QTest::addColumn<Sample>("sample");
        QTest::addColumn<QStringList>("phrases");
        QTest::addColumn<QStringList>("oneLine"); // phrases MuPDF gives on one line
        QTest::addColumn<ResumeLayoutMode>("mode");
        QTest::addColumn<QString>("fontName");
        // clang-format off
        const Sample arabic{
            QStringLiteral("أحمد المصري"), QStringLiteral("هاتف 0100 123 4567 · القاهرة"), QStringLiteral("الملخص"),
            QStringLiteral("مهندس برمجيات ذو خبرة عشر سنوات في تصميم وبناء منصات البيانات الكبيرة والذكاء الاصطناعي."),
            QStringLiteral("مهندس أول"), QStringLiteral("شركة البرمجيات العربية"),
            QStringLiteral("ضاعف سرعة نظام الدفع."), QStringLiteral("معالجة اللغة الطبيعية"),
            QStringLiteral("ماجستير علوم الحاسب"), QStringLiteral("جامعة القاهرة")};
        // Words whose glyphs are not their letters one for one: shadda, harakat, niqqud, a
        // zero-width non-joiner, next to Latin words and numbers.
        const Sample marked{
            QStringLiteral("سارة حدّاد"), QStringLiteral("عمّان · الأردن"), QStringLiteral("שָׁלוֹם"),
            QStringLiteral("مُهَنْدِسَةُ بَرْمَجِيَّاتٍ فِي عمّان منذ 2019 مع Qt."),
            QStringLiteral("می‌خواهم یاد بگیرم"), QStringLiteral("חֶבְרַת תּוֹכְנָה"),
            QStringLiteral("عَلَّمَ فريق الدفع و عَلَّمَ Python و بنى نظامه في شرکت‌ها و בָּנָה מַעֲרֶכֶת، عن النبي ﷺ."), QStringLiteral("کتاب‌ها"),
            QStringLiteral("מַדְעֵי הַמַּחְשֵׁב"), QStringLiteral("دانشگاه تهران")};
        // Urdu and Yiddish, Persian sentences, and right-to-left lines with an address, a date,
        // numbers and Latin words.
        const Sample mixed{
            QStringLiteral("علی رضایی"), QStringLiteral("ایمیل: ali.rezaei@example.com · تلفن 0912 345 6789"),
            QStringLiteral("درباره‌ی من"),
            QStringLiteral("می‌خواهم تجربه‌ام را در اختیار تیم قرار بدهم. تجربه‌ی من در Python و Qt است. "
                           "با #Python و Qt/C++ کار می‌کنم."),
            QStringLiteral("میں پہلے لاہور شہر میں سافٹ ویئر انجینئر ہوں"), QStringLiteral("איך בין אַ ייִדישער פּראָגראַמיסט"),
            QStringLiteral("از 2019-03-15 تا 2024 در شرکت Acme کار کردم."), QStringLiteral("پاکستان"),
            QStringLiteral("کارشناسی ارشد"), QStringLiteral("دانشگاه صنعتی شریف")};
        const QStringList markedPhrases{QStringLiteral("عمّان منذ"), QStringLiteral("مع Qt."), QStringLiteral("عَلَّمَ فريق"), QStringLiteral("عَلَّمَ Python"), QStringLiteral("عن النبي ﷺ")};
        const QStringList mixedPhrases{
            QStringLiteral("بدهم. تجربه‌ی"), QStringLiteral("ایمیل: ali.rezaei@example.com · تلفن"),
            QStringLiteral("در Python و Qt است."), QStringLiteral("با #Python و Qt/C++ کار"),
            QStringLiteral("از 2019-03-15 تا 2024 در شرکت Acme کار کردم."),
            QStringLiteral("میں پہلے لاہور شہر میں سافٹ ویئر انجینئر ہوں"), QStringLiteral("איך בין אַ ייִדישער פּראָגראַמיסט")};
        // Punctuation and symbols after right-to-left words, Latin words and numbers.
        const Sample punctuation{
            QStringLiteral("«مریم» (کریمی)"), QStringLiteral("تلفن: +98 (21) 1234-5678 · تهران!"),
            QStringLiteral("خلاصه؟"),
            QStringLiteral("با F#! و کار با (C#) در ۵۰٪ پروژه‌ها؛ 50% زمان! آیا Qt؟ بله... 3.5 سال، v2.0 و \"Go\"."),
            QStringLiteral("مدیر [ارشد]"), QStringLiteral("شرکت \"آلفا\""),
            QStringLiteral("- ساخت API / REST برای ۳ تیم و $100k صرفه‌جویی. C++, C# در Google Cloud Platform و Machine Learning certified office."), QStringLiteral("C# / .NET"),
            QStringLiteral("کارشناسی (مهندسی)"), QStringLiteral("دانشگاه «تهران»")};
        const QStringList punctuationPhrases{
            QStringLiteral("«مریم» (کریمی)"), QStringLiteral("خلاصه؟"), QStringLiteral("با F#! و"), QStringLiteral("تلفن: +98"),
            QStringLiteral("50% زمان!"), QStringLiteral("آیا Qt؟ بله..."), QStringLiteral("3.5 سال،"),
            QStringLiteral("C# / .NET"), QStringLiteral("1234-5678 · تهران!"), QStringLiteral("در ۵۰٪ پروژه‌ها؛"),
            QStringLiteral("مدیر [ارشد]"), QStringLiteral("API / REST برای"), QStringLiteral("$100k"), QStringLiteral("صرفه‌جویی. C++, C# در Google Cloud Platform و Machine Learning certified office.")};
        // An English paragraph in a field that holds Persian too is set with the shaping the Persian
        // needs, which joins "ffi" and "ft" into one glyph.
        const Sample bilingual{
            QStringLiteral("مریم احمدی"), QStringLiteral("تهران · maryam@example.com"), QStringLiteral("خلاصه"),
            QStringLiteral("Efficient official affine fjord after first office staff.\nمن در تیم‌های بزرگ کار کرده‌ام و با مدیران پروژه همکاری داشته‌ام."),
            QStringLiteral("مدیر دفتر"), QStringLiteral("شرکت آلفا"),
            QStringLiteral("Shifted office traffic, wrote on the Prophet ﷺ.\nترافیک دفتر را جابه‌جا کردم."), QStringLiteral("Efficiency"),
            QStringLiteral("کارشناسی"), QStringLiteral("دانشگاه تهران")};
        const QStringList bilingualPhrases{
            QStringLiteral("Efficient official affine fjord after first office staff."), QStringLiteral("Shifted office traffic, wrote on the Prophet")};
        // A summary whose lines run past the top of the name set large down the right column, which
        // poppler read between two of them.
        const QString longSummary = QStringLiteral(
            "أعمل مهندس برمجيات منذ عشر سنوات في شركات ناشئة وكبيرة، وقد بنيت خلالها أنظمة دفع "
            "ومنصات بيانات تخدم ملايين المستخدمين كل يوم. قدت فرقا صغيرة من المطورين والمصممين، "
            "وكتبت خطط الاختبار ووثائق التصميم، وراجعت الشيفرة مع زملائي كل أسبوع. أحب تعليم "
            "المهندسين الجدد وأشارك في المؤتمرات المحلية بمحاضرات عن جودة البرمجيات وأمن الشبكات.");
        const Sample beside{
            QStringLiteral("علي حسن"), QStringLiteral("الرياض"), QStringLiteral("نبذة"), longSummary,
            QStringLiteral("مهندس أول"), QStringLiteral("شركة الدفع"), QStringLiteral("بنى نظام الدفع."),
            QStringLiteral("أمن الشبكات"), QStringLiteral("بكالوريوس"), QStringLiteral("جامعة الملك سعود")};
        // Urdu words in a Latin paragraph, a letter of which (ہ, ے) comes from another face in the
        // ATS layout: poppler read "لاہور" as "لاور", and the "ہ" as a line of its own.
        const Sample urduInLatin{
            QStringLiteral("Ali Raza"), QStringLiteral("ali@example.com · Lahore"), QStringLiteral("Summary"),
            QStringLiteral("Engineer from لاہور who worked in پہلے شہر and Karachi since 2019."),
            QStringLiteral("Senior Engineer"), QStringLiteral("Acme Payments"),
            QStringLiteral("Built the payment system of بینک الفلاح and בנק לאומי and twelve other banks."), QStringLiteral("Payments"),
            QStringLiteral("BSc Computer Science"), QStringLiteral("University of the Punjab")};
        const QStringList urduInLatinPhrases{QStringLiteral("Engineer from لاہور"), QStringLiteral("worked in پہلے شہر"),
                                             QStringLiteral("system of بینک الفلاح"), QStringLiteral("and בנק לאומי")};
        // clang-format on
        // The ATS face lacks the Urdu heh (ہ) and yeh barree (ے): the Urdu words that hold them are
        // set in two faces, in three pieces or more where they stand inside a word (لاہور, پہلے).
        // MuPDF starts a line at a right-to-left stretch of a Latin paragraph, but keeps the words
        // after it on its line.
        const QStringList urduInLatinLines{QStringLiteral("لاہور who worked in"),
                                           QStringLiteral("بینک الفلاح and בנק לאומי and")};
        for (const auto& [name, sample, phrases, oneLine] :
             {std::tuple{"Arabic", arabic, QStringList(), QStringList()},
              std::tuple{"marks and joiners", marked, markedPhrases, QStringList()},
              std::tuple{"mixed and Persian sentences", mixed, mixedPhrases, QStringList()},
              std::tuple{"punctuation", punctuation, punctuationPhrases, QStringList()},
              std::tuple{"Latin paragraphs beside Persian ones", bilingual, bilingualPhrases, QStringList()},
              std::tuple{"a long summary beside the name", beside, QStringList{longSummary}, QStringList()},
              std::tuple{"Urdu words in a Latin paragraph", urduInLatin, urduInLatinPhrases,
                         urduInLatinLines}}) {
            QTest::addRow("%s, ATS", name)
                << sample << phrases << oneLine << ResumeLayoutMode::ats << QString();
            QTest::addRow("%s, creative sans", name)
                << sample << phrases << oneLine << ResumeLayoutMode::creative
                << QStringLiteral("Avenir Next");
            QTest::addRow("%s, creative serif", name)
                << sample << phrases << oneLine << ResumeLayoutMode::creative << QStringLiteral("Georgia");
        }
    }

    void rightToLeftWordsReadBackAsTyped() {
        QFETCH(Sample, sample);
        QFETCH(QStringList, phrases);
        QFETCH(QStringList, oneLine);
        QFETCH(ResumeLayoutMode, mode);
        QFETCH(QString, fontName);
        const QString pdf = exportPdf(*resumeOf(sample, fontName), mode);
        QVERIFY(!pdf.isEmpty());

        // The page's own words: the fixed section title and the date line.
        QStringList words;
        for (const QString& field : sample.fields()) {
            for (QString word : field.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts)) {
                word.remove(QRegularExpression(QStringLiteral("^[\\p{P}\\p{N}]+|[\\p{P}\\p{N}]+$")));
                if (!word.isEmpty())
                    words.append(word);
            }
        }
        for (const test::PdfReader& reader : pdfReaders()) {
            const QString text = reader.text(pdf);
            const QString read = asRead(text);
            // Poppler spells presentation forms out as their letters.
            const bool formsSpelled = QByteArrayView(reader.name) == "poppler";
            const auto asTyped = [formsSpelled](const QString& typed) {
                return formsSpelled ? typed.normalized(QString::NormalizationForm_KC) : typed;
            };
            const QString foreign = charactersNotTyped(text, sample, formsSpelled);
            QVERIFY2(foreign.isEmpty(),
                     qPrintable(QString::fromLatin1(reader.name) + u": characters not in the input: " +
                                foreign + u"\n" + text));
            QStringList missing;
            for (const QString& word : std::as_const(words)) {
                if (!read.contains(asTyped(word)))
                    missing.append(word);
            }
            const qsizetype wordsMissing = missing.size();
            for (const QString& phrase : phrases) {
                if (!read.contains(asTyped(phrase)))
                    missing.append(phrase);
            }
            qInfo("%s: %lld of %lld typed words and %lld of %lld phrases found", reader.name,
                  words.size() - wordsMissing, words.size(), phrases.size() - (missing.size() - wordsMissing),
                  phrases.size());
            QVERIFY2(missing.isEmpty(),
                     qPrintable(QString::fromLatin1(reader.name) + u": not found as typed: " +
                                missing.join(u" | ") + u"\n" + text));
            if (QByteArrayView(reader.name) == "MuPDF") {
                const QStringList lines = text.split(u'\n');
                for (const QString& phrase : oneLine) {
                    QVERIFY2(
                        std::any_of(lines.cbegin(), lines.cend(),
                                    [&phrase](const QString& line) { return asRead(line).contains(phrase); }),
                        qPrintable(u"MuPDF: not on one line: " + phrase + u"\n" + text));
                }
            }
            // The page reads from the top: the name, the summary's title, its last line (set short,
            // from the right), the skills below.
            QString summaryEnd = sample.summary.split(u' ', Qt::SkipEmptyParts).constLast();
            summaryEnd.remove(QRegularExpression(QStringLiteral("[\\p{P}\\p{N}]+$")));
            qsizetype at = 0;
            for (const QString& next : {sample.fullName, sample.summaryTitle, summaryEnd, sample.skill}) {
                at = read.indexOf(next, at);
                QVERIFY2(at >= 0, qPrintable(QString::fromLatin1(reader.name) + u": out of order: " + next +
                                             u"\n" + text));
            }
            // Poppler reads a right-to-left mark where a span's text ends in a character of no
            // strong direction: never beside a right-to-left letter, which needs none.
            if (QByteArrayView(reader.name) == "poppler") {
                QString plain = text;
                plain.remove(QRegularExpression(QStringLiteral("[\\x{202A}-\\x{202E}]")));
                const auto rightToLeft = [&plain](qsizetype at) {
                    return at >= 0 && at < plain.size() && isRightToLeftLetter(plain.at(at));
                };
                for (qsizetype at = plain.indexOf(QChar(0x200F)); at >= 0;
                     at = plain.indexOf(QChar(0x200F), at + 1))
                    QVERIFY2(!rightToLeft(at - 1) && !rightToLeft(at + 1),
                             qPrintable(u"poppler: a mark beside a letter: " + plain.mid(at - 8, 17) + u"\n" +
                                        text));
                continue;
            }
            // Readers that take each glyph's own text find right-to-left words and the
            // punctuation after them as typed, with no direction marks between, and one mark at
            // most where a Latin word or a number meets right-to-left punctuation.
            QVERIFY2(!text.contains(QStringLiteral("\u200F\u200F")),
                     qPrintable(QString::fromLatin1(reader.name) + u": marks in a row\n" + text));
            QString spaced = text.simplified();
            for (const QString& phrase : phrases) {
                if (std::none_of(phrase.cbegin(), phrase.cend(), [](QChar c) {
                        return c.direction() == QChar::DirL || c.direction() == QChar::DirEN;
                    }))
                    QVERIFY2(spaced.contains(phrase), qPrintable(QString::fromLatin1(reader.name) +
                                                                 u": marked: " + phrase + u"\n" + text));
            }
        }

        // Poppler in the content's order (pdftotext -raw) keeps a word that ends with a vowel
        // sign in typed order too.
        const QString raw = asRead(test::runPdfTool(QStringLiteral("pdftotext"),
                                                    {QStringLiteral("-raw"), pdf, QStringLiteral("-")}));
        QStringList missingRaw;
        for (const QString& word : std::as_const(words)) {
            if (word.back().isMark() && !raw.contains(word))
                missingRaw.append(word);
        }
        QVERIFY2(missingRaw.isEmpty(),
                 qPrintable(u"pdftotext -raw: not found as typed: " + missingRaw.join(u" | ") + u"\n" + raw));

        QString notEmbedded;
        const QStringList fonts = embeddedFonts(pdf, &notEmbedded);
        QVERIFY2(notEmbedded.isEmpty(), qPrintable(notEmbedded));
        // Hebrew that the résumé's face lacks is set in a Hebrew face, whose marks sit where they
        // belong (the ATS layout's face has Hebrew letters of its own).
        const QString all = sample.fields().join(u' ');
        if (mode == ResumeLayoutMode::creative && std::any_of(all.cbegin(), all.cend(), [](QChar c) {
                return c.unicode() >= 0x05D0 && c.unicode() <= 0x05EA;
            }))
            QVERIFY2(fonts.join(u' ').contains(QStringLiteral("Hebrew")), qPrintable(fonts.join(u' ')));
    }

    // A right-to-left paragraph is laid out from the right edge of its block, with its Latin word
    // and its year in place: its words stand right to left in the order typed.
    void rightToLeftParagraphsAreLaidOutRightToLeft_data() {
        QTest::addColumn<ResumeLayoutMode>("mode");
        QTest::addColumn<qreal>("rightEdge"); // of the summary's block
        QTest::addRow("ATS") << ResumeLayoutMode::ats << qreal(552);
        QTest::addRow("creative") << ResumeLayoutMode::creative << qreal(292);
    }

    void rightToLeftParagraphsAreLaidOutRightToLeft() {
        QFETCH(ResumeLayoutMode, mode);
        QFETCH(qreal, rightEdge);
        ResumePtr r =
            resumeOf(Sample{QStringLiteral("سارة حداد"), QStringLiteral("عمان"), QStringLiteral("نبذة"),
                            QStringLiteral("أعمل في Figma منذ 2019 على أنظمة التصميم."),
                            QStringLiteral("مصممة"), QStringLiteral("شركة"), QStringLiteral("تصميم"),
                            QStringLiteral("Figma"), QStringLiteral("بكالوريوس"), QStringLiteral("جامعة")},
                     QStringLiteral("Avenir Next"));
        const QString pdf = exportPdf(*r, mode);
        QVERIFY(!pdf.isEmpty());
        const QList<PlacedWord> words = placedWords(pdf);
        QString seen;
        for (const PlacedWord& w : words)
            seen += QStringLiteral("%1 %2..%3 @%4\n")
                        .arg(w.text)
                        .arg(w.box.left())
                        .arg(w.box.right())
                        .arg(w.box.top());
        // The reader gives each word (or letter) with its characters as shown, from the left: read
        // from the right, the glyphs of the summary's line spell it as typed.
        QString summary = r->summary();
        const auto figma = std::find_if(words.cbegin(), words.cend(), [](const PlacedWord& w) {
            return w.text == QLatin1StringView("Figma");
        });
        QVERIFY2(figma != words.cend(), qPrintable(seen));
        QList<PlacedWord> line;
        for (const PlacedWord& w : words) {
            // (A word of a mark alone is the blank that carries the large name up the right column.)
            if (!w.text.isEmpty() && w.box.top() <= figma->box.center().y() &&
                figma->box.center().y() <= w.box.bottom())
                line.append(w);
        }
        std::sort(line.begin(), line.end(),
                  [](const PlacedWord& a, const PlacedWord& b) { return a.box.right() > b.box.right(); });
        QString read;
        for (const PlacedWord& w : std::as_const(line)) {
            QString text = w.text;
            if (text.isRightToLeft())
                std::reverse(text.begin(), text.end());
            read += text;
        }
        QCOMPARE(read, summary.remove(u' '));
        // Its letters are joined as the script joins them, whatever face the rest of the page is
        // set in: a word is drawn whole, not letter by letter.
        QVERIFY2(std::any_of(line.cbegin(), line.cend(),
                             [](const PlacedWord& w) { return w.text == QStringLiteral("ةمظنأ"); }),
                 qPrintable(seen));
        // Its first letter is the rightmost glyph, at the block's right edge, as the screen aligns it.
        QVERIFY2(qAbs(line.first().box.right() - rightEdge) < 1, qPrintable(seen));
    }

    // Whatever a title or a name holds, even bytes that spell the file's own syntax, every shaped
    // word reads back as typed and the file stays sound.
    void syntaxInTitlesAndNamesLeavesTheTextReadable_data() {
        QTest::addColumn<QString>("title");
        QTest::addColumn<QString>("name");
        const QList<QByteArray> syntax{"\nxref\n",   "\nstartxref\n",       "\ntrailer\n",
                                       "\nendobj\n", "\n/Contents 1 0 R\n", "\nendstream\nendobj\n"};
        QTest::addRow("xref, UTF-16 title") << QStringLiteral("上硲敦ਅ") << QString();
        for (const QByteArray& bytes : syntax) {
            const QByteArray row = bytes.trimmed().replace('\n', ' ');
            const QString utf16 = spelledInUtf16(bytes);
            const QString utf8 = QString::fromLatin1(bytes);
            QTest::addRow("%s, UTF-16", row.constData()) << utf16 << utf16;
            QTest::addRow("%s, UTF-8", row.constData()) << utf8 << utf8;
            QTest::addRow("%s, odd UTF-16", row.constData())
                << u'x' + spelledInUtf16(' ' + bytes) << u'x' + spelledInUtf16(' ' + bytes);
        }
        const QString table = QStringLiteral("0000000000 65535 f \n0000000015 00000 n \n");
        QTest::addRow("whole tail, UTF-8")
            << u"Résumé\nxref\n0 2\n" + table + u"trailer\n<<\n/Size 2\n>>\nstartxref\n9\n%%EOF\n"
            << QStringLiteral("1 0 obj\n<<\n/Type /Page\n/Contents 9 0 R\n>>\nendobj\n");
    }

    void syntaxInTitlesAndNamesLeavesTheTextReadable() {
        QFETCH(QString, title);
        QFETCH(QString, name);
        for (const ResumeLayoutMode mode : {ResumeLayoutMode::ats, ResumeLayoutMode::creative}) {
            Sample sample = kHindi;
            sample.fullName = kHindi.fullName + u' ' + name;
            ResumePtr r = resumeOf(sample, QStringLiteral("Avenir Next"));
            r->setTitle(title);
            const QString pdf = exportPdf(*r, mode);
            QVERIFY(!pdf.isEmpty());
            const QString text = pdfText(pdf);
            int breaks = 0;
            for (const QString& field : kHindi.fields())
                QVERIFY2(appearsAsLaidOut(text, field, &breaks),
                         qPrintable(u"not found as typed: " + field + u"\n" + text));
            if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
                QProcess qpdf;
                qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf});
                QVERIFY(qpdf.waitForFinished(120000));
                QVERIFY2(qpdf.exitCode() == 0, qpdf.readAllStandardOutput().constData());
            }
        }
    }

    // A span that cannot be given to its run is left out and the file finished, sound, with the
    // other spans in it; one line of the log says so, however many were left out.
    void aTextWithoutItsRunIsLeftOutAndTheFileFinished() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile pdf(dir.filePath(QStringLiteral("left-out.pdf")));
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        PdfTextWriter writer(&pdf);
        QPainter painter;
        QVERIFY(painter.begin(&writer));
        QTextLayout layout(QStringLiteral("Quillora"), QFont(QStringLiteral("DejaVu Sans"), 12), &writer);
        layout.beginLayout();
        layout.createLine();
        layout.endLayout();
        const QGlyphRun run = layout.glyphRuns().constFirst();
        painter.drawGlyphRun(QPointF(72, 72), run);
        writer.addActualText(QPointF(72, 72) + run.positions().constFirst(), run.glyphIndexes().size(),
                             QStringLiteral("Morvessa"));
        writer.addActualText(QPointF(300, 300), 3, QStringLiteral("nowhere"));
        writer.addActualText(QPointF(300, 400), 2, QStringLiteral("elsewhere"));
        QVERIFY(painter.end());
        test::StdoutCapture capture;
        const Status finished = writer.finish();
        const QStringList logged = capture.lines();
        QVERIFY2(finished.ok(), qPrintable(finished.error()));
        pdf.close();
        QCOMPARE(logged.filter(QStringLiteral("shaped words")).size(), 1);
        QVERIFY2(logged.join(u'\n').contains(QStringLiteral("2 of its 3")), qPrintable(logged.join(u'\n')));
        QVERIFY2(pdfText(pdf.fileName()).contains(QStringLiteral("Morvessa")),
                 qPrintable(pdfText(pdf.fileName())));
        if (!QStandardPaths::findExecutable(QStringLiteral("qpdf")).isEmpty()) {
            QProcess qpdf;
            qpdf.start(QStringLiteral("qpdf"), {QStringLiteral("--check"), pdf.fileName()});
            QVERIFY(qpdf.waitForFinished(120000));
            QVERIFY2(qpdf.exitCode() == 0, qpdf.readAllStandardOutput().constData());
        }
    }

    // A file whose structure loops back on itself or has no end is read no further than it can
    // be: it is written as it is, spans left out, and never read without end (which overflowed
    // the stack or ran for ever).
    void aFileThatCannotBeReadIsWrittenAsItIs_data() {
        QTest::addColumn<QByteArray>("file");
        const QByteArray catalog("<< /Type /Catalog /Pages 2 0 R >>");
        const QByteArray pages("<< /Type /Pages /Kids [3 0 R] /Count 1 >>");
        const QByteArray page("<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>");
        QTest::addRow("length naming its own stream")
            << pdfOf({catalog, pages, page, streamOf("4 0 R", kOneGlyph)});
        QTest::addRow("lengths naming each other")
            << pdfOf({catalog, pages, page, streamOf("5 0 R", kOneGlyph), streamOf("4 0 R", "0")});
        QTest::addRow("length past the file")
            << pdfOf({catalog, pages, page, streamOf("9223372036854775807", kOneGlyph)});
        QTest::addRow("page tree holding itself")
            << pdfOf({catalog, "<< /Type /Pages /Kids [3 0 R 2 0 R] /Count 1 >>", page,
                      streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph)});
        // Each level names the next twice: 2^30 paths through the tree to its one page.
        QList<QByteArray> doubled{catalog};
        for (int level = 0; level < 30; ++level)
            doubled.append("<< /Type /Pages /Kids [" + QByteArray::number(level + 3) + " 0 R " +
                           QByteArray::number(level + 3) + " 0 R] >>");
        doubled.append("<< /Type /Page /Contents " + QByteArray::number(doubled.size() + 2) + " 0 R >>");
        doubled.append(streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph));
        QTest::addRow("page tree naming a node many times") << pdfOf(doubled);
        QTest::addRow("arrays nested without end")
            << pdfOf({catalog, pages,
                      "<< /Type /Page /Contents 4 0 R /Nested " + QByteArray(100000, '[') +
                          QByteArray(100000, ']') + " >>",
                      streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph)});
        // Nested past what is read, each array after a number, which a reader looking for
        // "n g R" must not read twice: 2^70 readings.
        QByteArray numbered;
        for (int level = 0; level < 70; ++level)
            numbered += "0 [";
        QTest::addRow("numbers before arrays nested without end")
            << pdfOf({catalog, pages,
                      "<< /Type /Page /Contents 4 0 R /Nested [" + numbered + QByteArray(71, ']') + " >>",
                      streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph)});
        QByteArray hugeNumber = pdfOf({catalog, pages, page, streamOf("5", "12345")});
        hugeNumber.replace("xref\n0 5", "xref\n9223372036854775800 5");
        QTest::addRow("object numbers past the largest") << hugeNumber;
    }

    void aFileThatCannotBeReadIsWrittenAsItIs() {
        QFETCH(QByteArray, file);
        QByteArray written;
        QBuffer buffer(&written);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        const Status finished =
            detail::writeWithSpans(file, {{0, QPointF(10, 20), 1, QStringLiteral("A")}}, &buffer);
        QVERIFY2(finished.ok(), qPrintable(finished.error()));
        QCOMPARE(written, file);

        // The same file, sound, is given its span.
        written.clear();
        buffer.seek(0);
        const QByteArray sound =
            pdfOf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Page /Parent 2 0 R /Contents 4 0 R >>", streamOf("5 0 R", kOneGlyph),
                   QByteArray::number(kOneGlyph.size())});
        QVERIFY(detail::writeWithSpans(sound, {{0, QPointF(10, 20), 1, QStringLiteral("A")}}, &buffer).ok());
        QVERIFY2(written.contains("/ActualText <FEFF0041>"), written.constData());
    }

    // A right-to-left run whose font cannot be given codes (here its text table ranges up to the
    // last 32-bit code, which was read without end) keeps its glyphs' codes, and gets its span;
    // the table is left as it was.
    void aRightToLeftRunWhoseFontCannotBeReadKeepsItsCodes() {
        const QByteArray cmap("begincmap\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
                              "1 beginbfrange\n<FFFFFFF0> <FFFFFFFF> <05D0>\nendbfrange\nendcmap\n");
        const QByteArray file =
            pdfOf({"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
                   "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 5 0 R >> >> >>",
                   streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph),
                   "<< /Type /Font /Subtype /Type0 /ToUnicode 6 0 R /DescendantFonts [7 0 R] >>",
                   streamOf(QByteArray::number(cmap.size()), cmap),
                   "<< /Type /Font /Subtype /CIDFontType2 /CIDToGIDMap /Identity /W [1 [500]] >>"});
        detail::RecordedSpan span{0, QPointF(10, 20), 1, QStringLiteral("\u05D0")};
        span.rightToLeft = true;
        QByteArray written;
        QBuffer buffer(&written);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        const Status finished = detail::writeWithSpans(file, {span}, &buffer);
        QVERIFY2(finished.ok(), qPrintable(finished.error()));
        QVERIFY2(written.contains("/ActualText <FEFF05D0>"), written.constData());
        QVERIFY(written.contains(cmap));
        QVERIFY(written.contains("/CIDToGIDMap /Identity"));
    }

    // A right-to-left face that reaches below the line (for its marks) is given the file's
    // shallowest descent, so that pdfminer keeps its glyphs on the line of the Latin words, digits
    // and spaces between them; so is a face whose right-to-left letters are drawn as they are (no
    // run of it recorded). A face that does not reach so deep keeps its own, as does one that
    // draws no right-to-left letter. A descriptor without a descent is left as it is, and the log
    // says so once.
    void aRightToLeftFaceReachesNoDeeperThanItsLine_data() {
        QTest::addColumn<QByteArray>("descent"); // in the right-to-left face's descriptor
        QTest::addColumn<QByteArray>("written"); // as written (none: as it was)
        QTest::addRow("deep") << QByteArray("/Descent -738") << QByteArray("/Descent -195");
        QTest::addRow("deep, given positive") << QByteArray("/Descent 738") << QByteArray("/Descent -195");
        QTest::addRow("shallow") << QByteArray("/Descent -150") << QByteArray();
        QTest::addRow("none") << QByteArray() << QByteArray();
    }

    void aRightToLeftFaceReachesNoDeeperThanItsLine() {
        QFETCH(QByteArray, descent);
        QFETCH(QByteArray, written);
        const QByteArray cmap("begincmap\n1 begincodespacerange\n<0000> <FFFF>\nendcodespacerange\n"
                              "1 beginbfchar\n<0001> <05D0>\nendbfchar\nendcmap\n");
        const QByteArray table = streamOf(QByteArray::number(cmap.size()), cmap);
        QByteArray latinCmap = cmap;
        latinCmap.replace("<05D0>", "<0041>");
        const QByteArray latin = streamOf(QByteArray::number(latinCmap.size()), latinCmap);
        const auto cidFont = [](const char* descriptor) -> QByteArray {
            return QByteArray("<< /Type /Font /Subtype /CIDFontType2 /CIDToGIDMap /Identity /W [1 [500]] "
                              "/FontDescriptor ") +
                   descriptor + " 0 R >>";
        };
        // F1, with the run; F2, Latin, the line's face; F3, a Hebrew one drawn as it is.
        const QByteArray file = pdfOf(
            {"<< /Type /Catalog /Pages 2 0 R >>", "<< /Type /Pages /Kids [3 0 R] /Count 1 >>",
             "<< /Type /Page /Parent 2 0 R /Contents 4 0 R /Resources << /Font << /F1 5 0 R /F2 8 0 R /F3 13 "
             "0 R "
             ">> >> >>",
             streamOf(QByteArray::number(kOneGlyph.size()), kOneGlyph),
             "<< /Type /Font /Subtype /Type0 /ToUnicode 6 0 R /DescendantFonts [7 0 R] >>", table,
             cidFont("11"), "<< /Type /Font /Subtype /Type0 /ToUnicode 9 0 R /DescendantFonts [10 0 R] >>",
             latin, cidFont("12"), "<< /Type /FontDescriptor " + descent + " >>",
             "<< /Type /FontDescriptor /Descent -195 >>",
             "<< /Type /Font /Subtype /Type0 /ToUnicode 16 0 R /DescendantFonts [14 0 R] >>", cidFont("15"),
             "<< /Type /FontDescriptor /Descent -600 >>", table});
        detail::RecordedSpan span{0, QPointF(10, 20), 1, QStringLiteral("\u05D0")};
        span.rightToLeft = true;
        QByteArray out;
        QBuffer buffer(&out);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        test::StdoutCapture capture;
        const Status finished = detail::writeWithSpans(file, {span}, &buffer);
        const QStringList logged = capture.lines();
        QVERIFY2(finished.ok(), qPrintable(finished.error()));
        QVERIFY2(out.contains("/ActualText <FEFF05D0>"), out.constData());
        QVERIFY2(out.contains("/Descent -195"), out.constData());
        QVERIFY2(out.contains(written.isEmpty() ? descent : written), out.constData());
        QVERIFY2(!out.contains("/Descent -600"), out.constData());
        QCOMPARE(logged.filter(QStringLiteral("descent")).size(), descent.isEmpty() ? 1 : 0);
    }

    // A right-to-left run's glyphs are painted in the order Qt drew them: coloured glyphs that
    // overlap (joined letters, marks) on a coloured ground round alike, so that the pages look the
    // same in poppler and MuPDF, pixel for pixel; MuPDF and pdfminer still read each word as
    // typed, with or without a blank after it (a piece of a word in another face has none), however
    // long it is.
    void rightToLeftRunsArePaintedAsQtDrewThem() {
        struct Word {
            QString typed;
            QString family;
            bool blank;
            int size = 30;
        };
        const QList<Word> words{
            {QStringLiteral("مُهَنْدِسَةُ"), QStringLiteral("Noto Sans Arabic"), true},
            {QStringLiteral("بَرْمَجِيَّاتٍ"), QStringLiteral("Noto Sans Arabic"), false},
            {QStringLiteral("می‌خواهم"), QStringLiteral("Noto Sans Arabic"), true},
            {QStringLiteral("תּוֹכְנָה"), QStringLiteral("Noto Sans Hebrew"), true},
            // Longer than a run written in typed order may be.
            {QStringLiteral("مهندس").repeated(14), QStringLiteral("Noto Sans Arabic"), true, 10}};
        QByteArray drawn;
        QBuffer buffer(&drawn);
        QVERIFY(buffer.open(QIODevice::WriteOnly));
        QList<detail::RecordedSpan> spans;
        {
            QPdfWriter writer(&buffer);
            writer.setResolution(72);
            writer.setPageSize(QPageSize(QPageSize::A5));
            QPainter painter(&writer);
            painter.fillRect(QRectF(0, 0, 400, 560), QColor(250, 226, 196));
            painter.setPen(QColor(36, 92, 160));
            qreal y = 20;
            for (const Word& word : words) {
                QTextLayout layout(word.typed, QFont(word.family, word.size), &writer);
                layout.beginLayout();
                QTextLine line = layout.createLine();
                line.setLineWidth(360);
                layout.endLayout();
                const QPointF position(20, y);
                y += line.height() + 10;
                for (const QGlyphRun& run : line.glyphRuns()) {
                    // Qt gives the glyphs rightmost first; they are drawn from the left, the blank
                    // (when there is one) last, at the right edge.
                    QList<quint32> glyphs = run.glyphIndexes();
                    QList<QPointF> at = run.positions();
                    QVERIFY(!glyphs.isEmpty());
                    const qreal right =
                        at.constFirst().x() +
                        run.rawFont().advancesForGlyphIndexes({glyphs.constFirst()}).at(0).x();
                    std::reverse(glyphs.begin(), glyphs.end());
                    std::reverse(at.begin(), at.end());
                    if (word.blank) {
                        glyphs.append(run.rawFont().glyphIndexesForString(QStringLiteral(" ")).constFirst());
                        at.append(QPointF(right, at.constFirst().y()));
                    }
                    QGlyphRun shown = run;
                    shown.setGlyphIndexes(glyphs);
                    shown.setPositions(at);
                    painter.drawGlyphRun(position, shown);
                    detail::RecordedSpan span{0, position + at.constFirst(), glyphs.size(),
                                              reversed(word.typed)};
                    span.rightToLeft = true;
                    span.blank = word.blank;
                    spans.append(span);
                }
            }
        }
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QFile rewritten(dir.filePath(QStringLiteral("rewritten.pdf")));
        QVERIFY(rewritten.open(QIODevice::WriteOnly));
        const Status finished = detail::writeWithSpans(drawn, spans, &rewritten);
        QVERIFY2(finished.ok(), qPrintable(finished.error()));
        rewritten.close();
        QFile asDrawn(dir.filePath(QStringLiteral("drawn.pdf")));
        QVERIFY(asDrawn.open(QIODevice::WriteOnly) && asDrawn.write(drawn) == drawn.size());
        asDrawn.close();

        const auto rendered = [&dir](const QString& pdf, bool mupdf) {
            const QString image =
                dir.filePath(QFileInfo(pdf).baseName() + (mupdf ? u"-mupdf.ppm" : u"-poppler"));
            if (mupdf)
                runPdfTool(QStringLiteral("mutool"),
                           {QStringLiteral("draw"), QStringLiteral("-q"), QStringLiteral("-r"),
                            QStringLiteral("150"), QStringLiteral("-o"), image, pdf});
            else
                runPdfTool(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QStringLiteral("150"),
                                                        QStringLiteral("-singlefile"), pdf, image});
            return QImage(mupdf ? image : image + u".ppm");
        };
        for (const bool mupdf : {false, true}) {
            const QImage before = rendered(asDrawn.fileName(), mupdf);
            const QImage after = rendered(rewritten.fileName(), mupdf);
            QVERIFY(!before.isNull() && before.size() == after.size());
            int differing = 0;
            for (int y = 0; y < before.height(); ++y) {
                for (int x = 0; x < before.width(); ++x)
                    differing += before.pixel(x, y) != after.pixel(x, y) ? 1 : 0;
            }
            QVERIFY2(differing == 0, qPrintable(QStringLiteral("%1: %2 pixels differ")
                                                    .arg(mupdf ? u"MuPDF" : u"poppler")
                                                    .arg(differing)));
        }
        for (const test::PdfReader& reader : pdfReaders()) {
            const QString read = asRead(reader.text(rewritten.fileName()));
            for (const Word& word : words) {
                const QString typed = QByteArrayView(reader.name) == "poppler"
                                          ? word.typed.normalized(QString::NormalizationForm_KC)
                                          : word.typed;
                QVERIFY2(read.contains(typed), qPrintable(QString::fromLatin1(reader.name) + u": " +
                                                          word.typed + u" not read as typed in\n" + read));
            }
        }
    }

    // The file names each face it draws: the CJK text comes from the derived faces.
    void cjkTextIsSetInTheExactFaces() {
        const QString pdf = exportPdf(*resumeOf(kJapanese, QString()), ResumeLayoutMode::ats);
        QString notEmbedded;
        const QStringList fonts = embeddedFonts(pdf, &notEmbedded);
        QVERIFY2(std::any_of(fonts.cbegin(), fonts.cend(),
                             [](const QString& f) { return f.contains(QStringLiteral("CJK")); }),
                 qPrintable(fonts.join(u'\n')));
        for (const QString& font : fonts) {
            if (font.contains(QStringLiteral("CJK")))
                QVERIFY2(font.contains(QStringLiteral("Exact")), qPrintable(font));
        }
    }

    // Thaana is drawn in its own face (Qt sets it in the copy the build derives), not as empty
    // boxes, and each Dhivehi word, vowel signs and all, reads back as typed.
    void thaanaIsSetInItsFace() {
        // clang-format off
        const Sample dhivehi{
            QStringLiteral("އަހުމަދު ރަޝީދު"), QStringLiteral("މާލެ · ދިވެހިރާއްޖެ"), QStringLiteral("ޚުލާޞާ"),
            QStringLiteral("ސޮފްޓްވެއަރ އިންޖިނިއަރެއް، ދިހަ އަހަރުގެ ތަޖުރިބާ"),
            QStringLiteral("އިންޖިނިއަރު"), QStringLiteral("ދިވެހި ކުންފުނި"), QStringLiteral("ނިޒާމު ބިނާކުރީ"),
            QStringLiteral("ޕްރޮގްރާމިންގ"), QStringLiteral("ކޮމްޕިއުޓަރ ސައިންސް"), QStringLiteral("ދިވެހިރާއްޖޭގެ ޔުނިވަރސިޓީ")};
        // clang-format on
        for (const QString& fontName : {QString(), QStringLiteral("Georgia")}) {
            const ResumeLayoutMode mode =
                fontName.isEmpty() ? ResumeLayoutMode::ats : ResumeLayoutMode::creative;
            const QString pdf = exportPdf(*resumeOf(dhivehi, fontName), mode);
            QVERIFY(!pdf.isEmpty());
            QString notEmbedded;
            const QStringList fonts = embeddedFonts(pdf, &notEmbedded);
            QVERIFY2(fonts.join(u' ').contains(QStringLiteral("Thaana")), qPrintable(fonts.join(u' ')));
            const QString text = pdfText(pdf);
            for (const QString& field : dhivehi.fields()) {
                for (QString word : field.split(u' ', Qt::SkipEmptyParts)) {
                    word.remove(QRegularExpression(QStringLiteral("[\\p{P}\\p{N}]")));
                    if (!word.isEmpty())
                        QVERIFY2(text.contains(word),
                                 qPrintable(u"not found as typed: " + word + u"\n" + text));
                }
            }
        }
    }

    // A line with no letters is laid out in the direction of the entry or résumé it belongs to:
    // in a right-to-left résumé an entry's dates, a line of digits in its details and a phone
    // number under the name start at the right edge of their block and read from the right, the
    // start year first, as the preview shows them.
    void aLineWithoutLettersFollowsTheTextItBelongsTo_data() {
        QTest::addColumn<ResumeLayoutMode>("mode");
        QTest::addColumn<qreal>("rightEdge"); // of the first column
        QTest::addColumn<Sample>("sample");
        // clang-format off
        const Sample persian{
            QStringLiteral("سارا احمدی"), QStringLiteral("021 8888 1234"), QStringLiteral("خلاصه"),
            QStringLiteral("طراح رابط کاربری با ده سال تجربه."), QStringLiteral("طراح ارشد"),
            QStringLiteral("شرکت نوآوران"), QStringLiteral("طراحی سامانه‌ها\n2020 – 2022"),
            QStringLiteral("فیگما"), QStringLiteral("کارشناسی"), QStringLiteral("دانشگاه تهران")};
        const Sample hebrew{
            QStringLiteral("דנה לוי"), QStringLiteral("021 8888 1234"), QStringLiteral("תקציר"),
            QStringLiteral("מעצבת ממשקים עם עשר שנות ניסיון."), QStringLiteral("מעצבת בכירה"),
            QStringLiteral("חברת חדשנות"), QStringLiteral("עיצוב מערכות\n2020 – 2022"),
            QStringLiteral("פיגמה"), QStringLiteral("תואר ראשון"), QStringLiteral("אוניברסיטת תל אביב")};
        // clang-format on
        QTest::addRow("ATS Persian") << ResumeLayoutMode::ats << qreal(552) << persian;
        QTest::addRow("creative Persian") << ResumeLayoutMode::creative << qreal(292) << persian;
        QTest::addRow("ATS Hebrew") << ResumeLayoutMode::ats << qreal(552) << hebrew;
        QTest::addRow("creative Hebrew") << ResumeLayoutMode::creative << qreal(292) << hebrew;
    }

    void aLineWithoutLettersFollowsTheTextItBelongsTo() {
        QFETCH(ResumeLayoutMode, mode);
        QFETCH(qreal, rightEdge);
        QFETCH(Sample, sample);
        const QString pdf = exportPdf(*resumeOf(sample, QStringLiteral("Avenir Next")), mode);
        QVERIFY(!pdf.isEmpty());
        const QList<PlacedWord> words = placedWords(pdf);
        QString seen;
        for (const PlacedWord& w : words)
            seen += QStringLiteral("%1 %2..%3 @%4\n")
                        .arg(w.text)
                        .arg(w.box.left())
                        .arg(w.box.right())
                        .arg(w.box.top());
        // The line (first, ...) read from the right, and where its right end is.
        const struct {
            QString first, read;
            qreal edge;
        } lines[] = {{QStringLiteral("2019"), QStringLiteral("2019 – 2024"), rightEdge},
                     {QStringLiteral("2020"), QStringLiteral("2020 – 2022"), rightEdge},
                     {QStringLiteral("2018"), QStringLiteral("2018"), rightEdge},
                     {QStringLiteral("021"), QStringLiteral("021 8888 1234"), qreal(552)}};
        for (const auto& expected : lines) {
            const auto first = std::find_if(words.cbegin(), words.cend(),
                                            [&](const PlacedWord& w) { return w.text == expected.first; });
            QVERIFY2(first != words.cend(), qPrintable(expected.first + u'\n' + seen));
            QList<PlacedWord> line;
            for (const PlacedWord& w : words) {
                // (The creative layout's second column may hold the name, set upright.)
                if (w.box.top() <= first->box.center().y() && first->box.center().y() <= w.box.bottom() &&
                    w.box.height() < 2 * first->box.height() && w.box.right() < expected.edge + 1)
                    line.append(w);
            }
            std::sort(line.begin(), line.end(),
                      [](const PlacedWord& a, const PlacedWord& b) { return a.box.right() > b.box.right(); });
            QStringList read;
            for (const PlacedWord& w : std::as_const(line))
                read << w.text;
            QCOMPARE(read.join(u' '), expected.read);
            QVERIFY2(qAbs(line.first().box.right() - expected.edge) < 1, qPrintable(seen));
        }
    }

    // A new export process opens the script faces (some 90 MB) only for a text that needs them:
    // a Latin résumé opens none in either layout; a Japanese one opens the derived faces, a Hindi
    // one only the Devanagari ones.
    void newExportProcessOpensScriptFacesOnlyForTheirText_data() {
        QTest::addColumn<QString>("layout");
        QTest::addColumn<QString>("script");
        QTest::addColumn<QString>("derivedFace"); // empty: no script face at all
        QTest::addColumn<QString>("untouched");   // faces whose path holds this stay closed
        QTest::addColumn<QString>("readBack");
        for (const char* layout : {"ats", "creative"}) {
            const QString l = QString::fromLatin1(layout);
            QTest::addRow("Latin, %s", layout)
                << l << QStringLiteral("latin") << QString() << QString() << QStringLiteral("Portland, OR");
            QTest::addRow("Japanese, %s", layout) << l << QStringLiteral("japanese") << QStringLiteral("CJK")
                                                  << QString() << QStringLiteral("日本語処理株式会社");
            QTest::addRow("Hindi, %s", layout) << l << QStringLiteral("hindi") << QStringLiteral("Devanagari")
                                               << QStringLiteral("CJK") << QString();
        }
    }

    void newExportProcessOpensScriptFacesOnlyForTheirText() {
        QFETCH(QString, layout);
        QFETCH(QString, script);
        QFETCH(QString, derivedFace);
        QFETCH(QString, untouched);
        QFETCH(QString, readBack);
        const QString strace = QStandardPaths::findExecutable(QStringLiteral("strace"));
        if (strace.isEmpty())
            QSKIP("strace is not installed");
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString log = dir.filePath(QStringLiteral("opened.log"));
        QProcess process;
        process.start(strace, {QStringLiteral("-f"), QStringLiteral("-qq"), QStringLiteral("-e"),
                               QStringLiteral("trace=open,openat"), QStringLiteral("-o"), log,
                               QStringLiteral(QUILLORA_EXPORTING_APP), layout, script});
        QVERIFY(process.waitForFinished(120000));
        const QByteArray errors = process.readAllStandardError();
        if (process.exitCode() != 0 && errors.toLower().contains("ptrace"))
            QSKIP(qPrintable(QStringLiteral("strace may not trace here: ") + QString::fromLocal8Bit(errors)));
        QVERIFY2(process.exitCode() == 0, errors.constData());
        const QString pdf = QString::fromUtf8(process.readAllStandardOutput()).trimmed();

        QFile trace(log);
        QVERIFY(trace.open(QIODevice::ReadOnly));
        static const QRegularExpression opened(QStringLiteral("open(?:at)?\\(.*\"([^\"]+)\".*\\) = \\d"));
        static const QRegularExpression scriptFace(
            QStringLiteral("(-exact\\.|CJK|Devanagari|Lohit|Droid|Arabic|Naskh)[^/]*$"));
        QStringList faces;
        for (const QString& line : QString::fromUtf8(trace.readAll()).split(u'\n')) {
            const QString path = opened.match(line).captured(1);
            if (scriptFace.match(path).hasMatch() && !faces.contains(path))
                faces.append(path);
        }
        if (derivedFace.isEmpty()) {
            QVERIFY2(faces.isEmpty(), qPrintable(faces.join(u'\n')));
        } else {
            QVERIFY2(std::any_of(faces.cbegin(), faces.cend(),
                                 [&](const QString& f) {
                                     return f.contains(derivedFace) && f.contains(QStringLiteral("-exact."));
                                 }),
                     qPrintable(faces.join(u'\n')));
        }
        if (!untouched.isEmpty())
            QVERIFY2(!faces.join(u'\n').contains(untouched), qPrintable(faces.join(u'\n')));
        if (!readBack.isEmpty())
            QVERIFY2(pdfText(pdf).contains(readBack), qPrintable(pdfText(pdf)));
    }
};

QUILLORA_TEST_MAIN(PdfTextExtractionTest)
#include "test_pdf_text_extraction.moc"
