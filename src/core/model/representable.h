#pragma once

#include "model/portfolio_image_orientation.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <algorithm>
#include <optional>

namespace quillora {

// Read-only views of a résumé and its entries. Reading a member reads the record behind it
// at that moment; list members come in stored order, unsorted.

class ExperienceRepresentable {
public:
    virtual ~ExperienceRepresentable() = default;
    virtual QString role() const = 0;
    virtual QString company() const = 0;
    virtual QString startDate() const = 0;
    virtual QString endDate() const = 0;
    virtual QString details() const = 0;
    virtual qint64 sortOrder() const = 0;
};

class EducationRepresentable {
public:
    virtual ~EducationRepresentable() = default;
    virtual QString school() const = 0;
    virtual QString degree() const = 0;
    virtual QString year() const = 0;
    virtual qint64 sortOrder() const = 0;
};

class PortfolioItemRepresentable {
public:
    virtual ~PortfolioItemRepresentable() = default;
    virtual std::optional<QByteArray> imageData() const = 0;
    virtual QString caption() const = 0;
    virtual qint64 sortOrder() const = 0;
    virtual PortfolioImageOrientation orientation() const = 0;
};

class ResumeRepresentable {
public:
    virtual ~ResumeRepresentable() = default;
    virtual QString title() const = 0;
    virtual QString fullName() const = 0;
    virtual QString contactInfo() const = 0;
    virtual QString summary() const = 0;
    virtual QStringList appliedSkills() const = 0;
    virtual QList<const ExperienceRepresentable*> experience() const = 0;
    virtual QList<const EducationRepresentable*> education() const = 0;
    virtual QList<const PortfolioItemRepresentable*> portfolio() const = 0;
    virtual QString fontName() const = 0;
    virtual QString displaySummaryTitle() const = 0;
    virtual QString displayExperienceTitle() const = 0;
    virtual QString displayEducationTitle() const = 0;
    virtual bool includeCoverLetter() const = 0;
    virtual QString coverLetterText() const = 0;
};

// Stable ascending sort by sortOrder: entries with equal values keep their stored order.
template <typename Entry> QList<Entry> sortedBySortOrder(QList<Entry> entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    return entries;
}

} // namespace quillora
