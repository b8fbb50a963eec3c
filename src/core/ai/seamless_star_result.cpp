#include "ai/seamless_star_result.h"

namespace quillora {

std::shared_ptr<const GenerationSchema> SeamlessStarResult::schema() {
    static const auto schema = GenerationSchema::object(
        QStringLiteral("SeamlessStarResult"),
        {{QStringLiteral("paragraph"),
          QStringLiteral(
              "One clean, professional resume-ready paragraph in STAR format with no labels and no "
              "invented metrics."),
          false, GenerationSchema::string()}});
    return schema;
}

SeamlessStarResult SeamlessStarResult::fromValidated(const QJsonObject& object) {
    return {object.value(QStringLiteral("paragraph")).toString()};
}

} // namespace quillora
