#include "ai/ats_rewrite_payload.h"

#include <QHashFunctions>
#include <QJsonArray>

namespace quillora {

std::shared_ptr<const GenerationSchema> ATSRewritePayload::ExperienceRewrite::schema() {
    static const auto schema =
        GenerationSchema::object(QStringLiteral("ExperienceRewrite"),
                                 {{QStringLiteral("role"), {}, false, GenerationSchema::string()},
                                  {QStringLiteral("company"), {}, false, GenerationSchema::string()},
                                  {QStringLiteral("details"), {}, false, GenerationSchema::string()}});
    return schema;
}

ATSRewritePayload::ExperienceRewrite
ATSRewritePayload::ExperienceRewrite::fromValidated(const QJsonObject& object) {
    return {object.value(QStringLiteral("role")).toString(),
            object.value(QStringLiteral("company")).toString(),
            object.value(QStringLiteral("details")).toString()};
}

std::shared_ptr<const GenerationSchema> ATSRewritePayload::InsertedKeyword::schema() {
    static const auto schema =
        GenerationSchema::object(QStringLiteral("InsertedKeyword"),
                                 {{QStringLiteral("keyword"), {}, false, GenerationSchema::string()},
                                  {QStringLiteral("section"), {}, false, GenerationSchema::string()}});
    return schema;
}

ATSRewritePayload::InsertedKeyword
ATSRewritePayload::InsertedKeyword::fromValidated(const QJsonObject& object) {
    return {object.value(QStringLiteral("keyword")).toString(),
            object.value(QStringLiteral("section")).toString()};
}

std::shared_ptr<const GenerationSchema> ATSRewritePayload::schema() {
    static const auto schema = GenerationSchema::object(
        QStringLiteral("ATSRewritePayload"),
        {{QStringLiteral("summary"), {}, false, GenerationSchema::string()},
         {QStringLiteral("experience"), {}, false, GenerationSchema::arrayOf(ExperienceRewrite::schema())},
         {QStringLiteral("skills"), {}, false, GenerationSchema::arrayOf(GenerationSchema::string())},
         {QStringLiteral("insertedKeywords"),
          {},
          false,
          GenerationSchema::arrayOf(InsertedKeyword::schema())}});
    return schema;
}

ATSRewritePayload ATSRewritePayload::fromValidated(const QJsonObject& object) {
    ATSRewritePayload payload;
    payload.summary = object.value(QStringLiteral("summary")).toString();
    for (const QJsonValue entry : object.value(QStringLiteral("experience")).toArray())
        payload.experience.append(ExperienceRewrite::fromValidated(entry.toObject()));
    for (const QJsonValue skill : object.value(QStringLiteral("skills")).toArray())
        payload.skills.append(skill.toString());
    for (const QJsonValue keyword : object.value(QStringLiteral("insertedKeywords")).toArray())
        payload.insertedKeywords.append(InsertedKeyword::fromValidated(keyword.toObject()));
    return payload;
}

size_t qHash(const ATSRewritePayload::InsertedKeyword& value, size_t seed) {
    return qHashMulti(seed, value.keyword, value.section);
}

} // namespace quillora
