#include "ai/ats_analysis.h"

#include <QHashFunctions>
#include <QJsonArray>

namespace quillora {

namespace {

QStringList strings(const QJsonValue& value) {
    QStringList list;
    const QJsonArray array = value.toArray();
    list.reserve(array.size());
    for (const QJsonValue element : array)
        list.append(element.toString());
    return list;
}

qint64 integer(const QJsonValue& value) {
    return static_cast<qint64>(value.toDouble());
}

} // namespace

std::shared_ptr<const GenerationSchema> ATSFeedback::schema() {
    static const auto schema = GenerationSchema::object(
        QStringLiteral("ATSFeedback"),
        {{QStringLiteral("score"), {}, false, GenerationSchema::integer()},
         {QStringLiteral("missingKeywords"),
          {},
          false,
          GenerationSchema::arrayOf(GenerationSchema::string())},
         {QStringLiteral("suggestions"), {}, false, GenerationSchema::arrayOf(GenerationSchema::string())}});
    return schema;
}

ATSFeedback ATSFeedback::fromValidated(const QJsonObject& object) {
    return {integer(object.value(QStringLiteral("score"))),
            strings(object.value(QStringLiteral("missingKeywords"))),
            strings(object.value(QStringLiteral("suggestions")))};
}

std::shared_ptr<const GenerationSchema> ATSSectionFeedback::schema() {
    static const auto schema =
        GenerationSchema::object(QStringLiteral("ATSSectionFeedback"),
                                 {{QStringLiteral("section"), {}, false, GenerationSchema::string()},
                                  {QStringLiteral("feedback"), {}, false, ATSFeedback::schema()}});
    return schema;
}

ATSSectionFeedback ATSSectionFeedback::fromValidated(const QJsonObject& object) {
    return {object.value(QStringLiteral("section")).toString(),
            ATSFeedback::fromValidated(object.value(QStringLiteral("feedback")).toObject())};
}

std::shared_ptr<const GenerationSchema> ATSAnalysis::schema() {
    static const auto schema = GenerationSchema::object(
        QStringLiteral("ATSAnalysis"),
        {{QStringLiteral("overallScore"), {}, false, GenerationSchema::integer()},
         {QStringLiteral("missingKeywords"),
          {},
          false,
          GenerationSchema::arrayOf(GenerationSchema::string())},
         {QStringLiteral("suggestions"), {}, false, GenerationSchema::arrayOf(GenerationSchema::string())},
         {QStringLiteral("sectionFeedback"),
          {},
          false,
          GenerationSchema::arrayOf(ATSSectionFeedback::schema())},
         {QStringLiteral("notes"), {}, true, GenerationSchema::arrayOf(GenerationSchema::string())}});
    return schema;
}

ATSAnalysis ATSAnalysis::fromValidated(const QJsonObject& object) {
    ATSAnalysis analysis;
    analysis.overallScore = integer(object.value(QStringLiteral("overallScore")));
    analysis.missingKeywords = strings(object.value(QStringLiteral("missingKeywords")));
    analysis.suggestions = strings(object.value(QStringLiteral("suggestions")));
    const QJsonArray sections = object.value(QStringLiteral("sectionFeedback")).toArray();
    for (const QJsonValue section : sections)
        analysis.sectionFeedback.append(ATSSectionFeedback::fromValidated(section.toObject()));
    const QJsonValue notes = object.value(QStringLiteral("notes"));
    if (notes.isArray())
        analysis.notes = strings(notes);
    return analysis;
}

size_t qHash(const ATSFeedback& value, size_t seed) {
    return qHashMulti(seed, value.score, value.missingKeywords, value.suggestions);
}

size_t qHash(const ATSSectionFeedback& value, size_t seed) {
    return qHashMulti(seed, value.section, value.feedback);
}

size_t qHash(const ATSAnalysis& value, size_t seed) {
    size_t hash = qHashMulti(seed, value.overallScore, value.missingKeywords, value.suggestions);
    for (const auto& section : value.sectionFeedback)
        hash = qHashMulti(hash, section);
    return qHashMulti(hash, value.notes.has_value(), value.notes.value_or(QStringList()));
}

} // namespace quillora
