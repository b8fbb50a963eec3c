#pragma once

#include "ai/generation_schema.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

// The feedback on one résumé section.
struct ATSFeedback final {
    qint64 score = 0;
    QStringList missingKeywords;
    QStringList suggestions;

    static std::shared_ptr<const GenerationSchema> schema();
    static ATSFeedback fromValidated(const QJsonObject& object);
    bool operator==(const ATSFeedback&) const = default;
};

// One entry of the per-section breakdown.
struct ATSSectionFeedback final {
    QString section;
    ATSFeedback feedback;

    static std::shared_ptr<const GenerationSchema> schema();
    static ATSSectionFeedback fromValidated(const QJsonObject& object);
    bool operator==(const ATSSectionFeedback&) const = default;
};

// The ATS analysis as the model gives it: scores and lists taken unchanged (no clamping,
// no truncation, no de-duplication); "notes" may be missing or null.
struct ATSAnalysis final {
    qint64 overallScore = 0;
    QStringList missingKeywords;
    QStringList suggestions;
    QList<ATSSectionFeedback> sectionFeedback;
    std::optional<QStringList> notes;

    static std::shared_ptr<const GenerationSchema> schema();
    static ATSAnalysis fromValidated(const QJsonObject& object);
    bool operator==(const ATSAnalysis&) const = default;
};

size_t qHash(const ATSFeedback& value, size_t seed = 0);
size_t qHash(const ATSSectionFeedback& value, size_t seed = 0);
size_t qHash(const ATSAnalysis& value, size_t seed = 0);

} // namespace quillora
