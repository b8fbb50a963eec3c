// One PDF export in a process of its own, started as the app starts: the app's fonts registered,
// then a résumé exported. The export test traces which files such a process opens; timing many
// runs gives what an export costs from a cold start.
//
// usage: exporting_quillora ats|creative latin|japanese|hindi
// Prints the path of the PDF. Built only with the tests.
#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "theme/font_resolver.h"

#include <QGuiApplication>

#include <cstdio>

using namespace quillora;

namespace {

struct Texts {
    const char16_t *name, *contact, *summary, *role, *company, *details, *skill;
};

// clang-format off
constexpr Texts kLatin{
    u"Avery Quinn", u"avery@example.com · +1 555 0100 · Portland, OR",
    u"Operations lead with ten years of experience making office workflows efficient, affordable "
    u"and calm for teams of every size – “paperless” since 2019.",
    u"Operations Manager", u"Northwind Traders", u"Cut supply costs by a fifth; set up a vendor review.",
    u"Scheduling"};
constexpr Texts kJapanese{
    u"山田太郎", u"電話 090-1234-5678・東京都", u"人工知能と言語処理の研究・開発に十年間従事。",
    u"主任研究員", u"日本語処理株式会社", u"文書解析システムを開発／導入。", u"機械学習"};
constexpr Texts kHindi{
    u"राहुल शर्मा", u"फ़ोन 98765 43210 · दिल्ली", u"दस वर्षों के अनुभव वाले सॉफ्टवेयर इंजीनियर।",
    u"वरिष्ठ इंजीनियर", u"भारतीय सॉफ्टवेयर लिमिटेड", u"भुगतान प्रणाली बनाई।", u"मशीन लर्निंग"};
// clang-format on

ResumeExportSnapshot resumeOf(const Texts& t) {
    const auto s = [](const char16_t* text) { return QString::fromUtf16(text); };
    ResumeExportSnapshot r;
    r.m_title = QStringLiteral("Exported in a process of its own");
    r.m_fontName = QStringLiteral("Helvetica Neue");
    r.m_fullName = s(t.name);
    r.m_contactInfo = s(t.contact);
    r.m_summary = s(t.summary);
    r.m_appliedSkills = {s(t.skill)};
    auto job = std::make_unique<ResumeExportSnapshot::ExperienceEntry>();
    job->role_ = s(t.role);
    job->company_ = s(t.company);
    job->startDate_ = QStringLiteral("2019");
    job->endDate_ = QStringLiteral("2024");
    job->details_ = s(t.details);
    r.m_experience.push_back(std::move(job));
    return r;
}

} // namespace

int main(int argc, char* argv[]) {
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.size() != 2)
        return 2;
    FontResolver::registerAppFonts();
    const QString& script = args.at(1);
    const Texts& texts = script == QLatin1StringView("japanese") ? kJapanese
                         : script == QLatin1StringView("hindi")  ? kHindi
                                                                 : kLatin;
    const auto mode =
        args.at(0) == QLatin1StringView("ats") ? ResumeLayoutMode::ats : ResumeLayoutMode::creative;
    const Result<QString> path = ResumePDFGenerator::exportPDF(resumeOf(texts), BackgroundShapeType::circles,
                                                               BackgroundColorTheme::pastel, mode);
    if (!path)
        return 1;
    std::printf("%s\n", qUtf8Printable(path.value()));
    return 0;
}
