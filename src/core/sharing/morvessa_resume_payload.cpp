#include "sharing/morvessa_resume_payload.h"

#include "platform/pretty_json_writer.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <functional>

namespace quillora {

QByteArray encodeMorvessaPayload(const MorvessaResumePayload& p) {
    QByteArray out;
    PrettyJsonWriter w(out);
    const auto text = [&w](const QString& value) { return [&w, &value] { w.string(value); }; };
    const auto optionalText = [&w](const std::optional<QString>& value) -> std::function<void()> {
        if (!value)
            return {};
        return [&w, &value] { w.string(*value); };
    };
    const auto flag = [&w](bool value) { return [&w, value] { w.boolean(value); }; };
    const auto number = [&w](qint64 value) { return [&w, value] { w.integer(value); }; };
    const auto texts = [&w](const QStringList& value) { return [&w, &value] { w.strings(value); }; };

    w.object({
        {"exportId", text(p.exportId)},
        {"exportedAt", text(p.exportedAt)},
        {"title", text(p.title)},
        {"fullName", text(p.fullName)},
        {"contactInfo", text(p.contactInfo)},
        {"summary", text(p.summary)},
        {"titleSummary", optionalText(p.titleSummary)},
        {"titleExperience", optionalText(p.titleExperience)},
        {"titleEducation", optionalText(p.titleEducation)},
        {"includeCoverLetter", flag(p.includeCoverLetter)},
        {"coverLetterText", text(p.coverLetterText)},
        {"coverLetterJobPosting", text(p.coverLetterJobPosting)},
        {"coverLetterAIContext", text(p.coverLetterAIContext)},
        {"coverLetterLastGenerated", optionalText(p.coverLetterLastGenerated)},
        {"includeATSVersion", flag(p.includeATSVersion)},
        {"atsJobPosting", text(p.atsJobPosting)},
        {"atsGeneratedText", text(p.atsGeneratedText)},
        {"atsInsertedKeywords", texts(p.atsInsertedKeywords)},
        {"atsLastGenerated", optionalText(p.atsLastGenerated)},
        {"fontName", text(p.fontName)},
        {"templateID", number(p.templateID)},
        {"lastEdited", text(p.lastEdited)},
        {"includeSkills", flag(p.includeSkills)},
        {"suggestedSkills", texts(p.suggestedSkills)},
        {"appliedSkills", texts(p.appliedSkills)},
        {"experienceItems",
         [&] {
             w.array(p.experienceItems, [&](const ExperienceSnapshot& e) {
                 w.object({
                     {"role", text(e.role)},
                     {"company", text(e.company)},
                     {"startDate", text(e.startDate)},
                     {"endDate", text(e.endDate)},
                     {"details", text(e.details)},
                     {"sortOrder", number(e.sortOrder)},
                 });
             });
         }},
        {"educationItems",
         [&] {
             w.array(p.educationItems, [&](const EducationSnapshot& e) {
                 w.object({
                     {"school", text(e.school)},
                     {"degree", text(e.degree)},
                     {"year", text(e.year)},
                     {"sortOrder", number(e.sortOrder)},
                 });
             });
         }},
        {"portfolioItems",
         [&] {
             w.array(p.portfolioItems, [&](const PortfolioSnapshot& e) {
                 w.object({
                     {"id", text(e.id)},
                     {"caption", text(e.caption)},
                     {"sortOrder", number(e.sortOrder)},
                     {"orientation", text(e.orientation)},
                     {"hasImageData", flag(e.hasImageData)},
                 });
             });
         }},
    });
    return out;
}

namespace {

// Reads required and optional members of one object, remembering the first problem.
class PayloadReader final {
public:
    explicit PayloadReader(QString* problem)
        : m_problem(problem) {}

    QString text(const QJsonObject& o, const char* key) {
        const QJsonValue v = member(o, key);
        if (!v.isString())
            return fail(key), QString();
        return v.toString();
    }
    std::optional<QString> optionalText(const QJsonObject& o, const char* key) {
        const QJsonValue v = o.value(QLatin1String(key));
        if (v.isUndefined() || v.isNull())
            return std::nullopt;
        if (!v.isString())
            return fail(key), std::nullopt;
        return v.toString();
    }
    bool flag(const QJsonObject& o, const char* key) {
        const QJsonValue v = member(o, key);
        if (!v.isBool())
            return fail(key), false;
        return v.toBool();
    }
    qint64 integer(const QJsonObject& o, const char* key) {
        const QJsonValue v = member(o, key);
        const double d = v.toDouble();
        if (!v.isDouble() || d != double(v.toInteger()))
            return fail(key), 0;
        return v.toInteger();
    }
    QStringList texts(const QJsonObject& o, const char* key) {
        QStringList out;
        for (const QJsonValue& item : array(o, key)) {
            if (!item.isString())
                return fail(key), QStringList();
            out << item.toString();
        }
        return out;
    }
    QList<QJsonObject> objects(const QJsonObject& o, const char* key) {
        QList<QJsonObject> out;
        for (const QJsonValue& item : array(o, key)) {
            if (!item.isObject())
                return fail(key), QList<QJsonObject>();
            out << item.toObject();
        }
        return out;
    }

private:
    QJsonValue member(const QJsonObject& o, const char* key) { return o.value(QLatin1String(key)); }
    QJsonArray array(const QJsonObject& o, const char* key) {
        const QJsonValue v = member(o, key);
        if (!v.isArray())
            return fail(key), QJsonArray();
        return v.toArray();
    }
    void fail(const char* key) {
        if (m_problem->isEmpty())
            *m_problem =
                QStringLiteral("The key “%1” is missing or has the wrong type.").arg(QLatin1String(key));
    }

    QString* m_problem;
};

} // namespace

Result<MorvessaResumePayload> decodeMorvessaPayload(const QByteArray& json) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(json, &parseError);
    if (parseError.error != QJsonParseError::NoError)
        return Result<MorvessaResumePayload>::failure(parseError.errorString());
    if (!document.isObject())
        return Result<MorvessaResumePayload>::failure(QStringLiteral("The document is not a JSON object."));

    QString problem;
    PayloadReader r(&problem);
    const QJsonObject o = document.object();
    MorvessaResumePayload p;
    p.exportId = r.text(o, "exportId");
    p.exportedAt = r.text(o, "exportedAt");
    p.title = r.text(o, "title");
    p.fullName = r.text(o, "fullName");
    p.contactInfo = r.text(o, "contactInfo");
    p.summary = r.text(o, "summary");
    p.titleSummary = r.optionalText(o, "titleSummary");
    p.titleExperience = r.optionalText(o, "titleExperience");
    p.titleEducation = r.optionalText(o, "titleEducation");
    p.includeCoverLetter = r.flag(o, "includeCoverLetter");
    p.coverLetterText = r.text(o, "coverLetterText");
    p.coverLetterJobPosting = r.text(o, "coverLetterJobPosting");
    p.coverLetterAIContext = r.text(o, "coverLetterAIContext");
    p.coverLetterLastGenerated = r.optionalText(o, "coverLetterLastGenerated");
    p.includeATSVersion = r.flag(o, "includeATSVersion");
    p.atsJobPosting = r.text(o, "atsJobPosting");
    p.atsGeneratedText = r.text(o, "atsGeneratedText");
    p.atsInsertedKeywords = r.texts(o, "atsInsertedKeywords");
    p.atsLastGenerated = r.optionalText(o, "atsLastGenerated");
    p.fontName = r.text(o, "fontName");
    p.templateID = r.integer(o, "templateID");
    p.lastEdited = r.text(o, "lastEdited");
    p.includeSkills = r.flag(o, "includeSkills");
    p.suggestedSkills = r.texts(o, "suggestedSkills");
    p.appliedSkills = r.texts(o, "appliedSkills");
    for (const QJsonObject& e : r.objects(o, "experienceItems"))
        p.experienceItems << ExperienceSnapshot{r.text(e, "role"),      r.text(e, "company"),
                                                r.text(e, "startDate"), r.text(e, "endDate"),
                                                r.text(e, "details"),   r.integer(e, "sortOrder")};
    for (const QJsonObject& e : r.objects(o, "educationItems"))
        p.educationItems << EducationSnapshot{r.text(e, "school"), r.text(e, "degree"), r.text(e, "year"),
                                              r.integer(e, "sortOrder")};
    for (const QJsonObject& e : r.objects(o, "portfolioItems"))
        p.portfolioItems << PortfolioSnapshot{r.text(e, "id"), r.text(e, "caption"),
                                              r.integer(e, "sortOrder"), r.text(e, "orientation"),
                                              r.flag(e, "hasImageData")};
    if (!problem.isEmpty())
        return Result<MorvessaResumePayload>::failure(problem);
    return p;
}

} // namespace quillora
