#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

struct ExperienceSnapshot final {
    QString role;
    QString company;
    QString startDate;
    QString endDate;
    QString details;
    qint64 sortOrder = 0;

    friend bool operator==(const ExperienceSnapshot&, const ExperienceSnapshot&) = default;
};

struct EducationSnapshot final {
    QString school;
    QString degree;
    QString year;
    qint64 sortOrder = 0;

    friend bool operator==(const EducationSnapshot&, const EducationSnapshot&) = default;
};

struct PortfolioSnapshot final {
    QString id; // upper-case hyphenated UUID
    QString caption;
    qint64 sortOrder = 0;
    QString orientation; // "landscape" or "portrait"
    bool hasImageData = false;

    friend bool operator==(const PortfolioSnapshot&, const PortfolioSnapshot&) = default;
};

// The JSON document of a shared résumé, read by the recruiting network. Dates are already
// ISO 8601 text; entries are in display order; no image bytes.
struct MorvessaResumePayload final {
    QString exportId;
    QString exportedAt;
    QString title;
    QString fullName;
    QString contactInfo;
    QString summary;
    std::optional<QString> titleSummary;
    std::optional<QString> titleExperience;
    std::optional<QString> titleEducation;
    bool includeCoverLetter = false;
    QString coverLetterText;
    QString coverLetterJobPosting;
    QString coverLetterAIContext;
    std::optional<QString> coverLetterLastGenerated;
    bool includeATSVersion = false;
    QString atsJobPosting;
    QString atsGeneratedText;
    QStringList atsInsertedKeywords;
    std::optional<QString> atsLastGenerated;
    QString fontName;
    qint64 templateID = 0;
    QString lastEdited;
    bool includeSkills = false;
    QStringList suggestedSkills;
    QStringList appliedSkills;
    QList<ExperienceSnapshot> experienceItems;
    QList<EducationSnapshot> educationItems;
    QList<PortfolioSnapshot> portfolioItems;

    friend bool operator==(const MorvessaResumePayload&, const MorvessaResumePayload&) = default;
};

// Pretty-printed JSON (two-space indentation, "key" : value), the keys of every object in
// ascending order, "/" written as "\/", absent optionals left out. The same payload always
// gives the same bytes.
QByteArray encodeMorvessaPayload(const MorvessaResumePayload& payload);

// Reads a document back: every key but the five optional texts is required (the optional ones
// may be missing or null); keys not listed are ignored.
Result<MorvessaResumePayload> decodeMorvessaPayload(const QByteArray& json);

} // namespace quillora
