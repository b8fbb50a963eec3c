#pragma once

#include "ai/generation_schema.h"

#include <QString>

namespace quillora {

// The cover-letter generator's structured answer: {"text": "…"}.
struct CoverLetter final {
    QString text;

    static std::shared_ptr<const GenerationSchema> schema();
    static CoverLetter fromValidated(const QJsonObject& object);
};

} // namespace quillora
