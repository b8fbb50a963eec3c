#pragma once

#include "ai/generation_schema.h"

#include <QString>

namespace quillora {

// The STAR formatter's structured answer: {"paragraph": "…"}.
struct SeamlessStarResult final {
    QString paragraph;

    // One string property "paragraph", described to the model.
    static std::shared_ptr<const GenerationSchema> schema();
    static SeamlessStarResult fromValidated(const QJsonObject& object);

    bool operator==(const SeamlessStarResult&) const = default;
};

} // namespace quillora
