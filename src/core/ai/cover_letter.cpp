#include "ai/cover_letter.h"

namespace quillora {

std::shared_ptr<const GenerationSchema> CoverLetter::schema() {
    static const auto schema = GenerationSchema::object(
        QStringLiteral("CoverLetter"), {{QStringLiteral("text"), {}, false, GenerationSchema::string()}});
    return schema;
}

CoverLetter CoverLetter::fromValidated(const QJsonObject& object) {
    return {object.value(QStringLiteral("text")).toString()};
}

} // namespace quillora
