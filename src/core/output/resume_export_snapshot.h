#pragma once

#include "model/representable.h"
#include "platform/result.h"

#include <QUuid>

#include <memory>
#include <vector>

namespace quillora {

class Resume;
class StoredImageReader;

// A self-contained copy of a résumé, taken on the thread that owns the records, that an export
// can read on a worker thread while the user keeps editing. Copies every field and entry the
// renderer reads, image bytes included; it shares nothing with the records it was taken from.
// Taken with of(resume, storeFilePath), images still only in the store file are left there and
// read on the worker by loadStoredImages(), so taking it never stalls the window.
class ResumeExportSnapshot final : public ResumeRepresentable {
public:
    struct ExperienceEntry final : ExperienceRepresentable {
        QString role_, company_, startDate_, endDate_, details_;
        qint64 sortOrder_ = 0;
        QString role() const override { return role_; }
        QString company() const override { return company_; }
        QString startDate() const override { return startDate_; }
        QString endDate() const override { return endDate_; }
        QString details() const override { return details_; }
        qint64 sortOrder() const override { return sortOrder_; }
    };
    struct EducationEntry final : EducationRepresentable {
        QString school_, degree_, year_;
        qint64 sortOrder_ = 0;
        QString school() const override { return school_; }
        QString degree() const override { return degree_; }
        QString year() const override { return year_; }
        qint64 sortOrder() const override { return sortOrder_; }
    };
    struct PortfolioEntry final : PortfolioItemRepresentable {
        std::optional<QByteArray> imageData_;
        QUuid storedImageId_; // not null while the image is still to be read from the store
        QString caption_;
        qint64 sortOrder_ = 0;
        PortfolioImageOrientation orientation_ = PortfolioImageOrientation::portrait;
        std::optional<QByteArray> imageData() const override { return imageData_; }
        QString caption() const override { return caption_; }
        qint64 sortOrder() const override { return sortOrder_; }
        PortfolioImageOrientation orientation() const override { return orientation_; }
    };

    ResumeExportSnapshot() = default;
    // Reads everything from source now; call it where the records live (the UI thread).
    explicit ResumeExportSnapshot(const ResumeRepresentable& source);
    // Like the above for a résumé of the store at `storeFilePath` (empty for an in-memory
    // store), except that images not yet read from the store are left for loadStoredImages().
    static ResumeExportSnapshot of(const Resume& resume, const QString& storeFilePath);

    // True while images are still to be read from the store.
    bool hasStoredImages() const;
    // Reads the images left in the store (on any one thread, typically the worker); copies taken
    // before share the reader but keep their own entries.
    Status loadStoredImages();

    // Copies hold their own entries; the views a copy hands out point into the copy.
    ResumeExportSnapshot(const ResumeExportSnapshot& other);
    ResumeExportSnapshot& operator=(const ResumeExportSnapshot& other);
    ResumeExportSnapshot(ResumeExportSnapshot&&) noexcept = default;
    ResumeExportSnapshot& operator=(ResumeExportSnapshot&&) noexcept = default;
    ~ResumeExportSnapshot() override = default;

    QString title() const override { return m_title; }
    QString fullName() const override { return m_fullName; }
    QString contactInfo() const override { return m_contactInfo; }
    QString summary() const override { return m_summary; }
    QStringList appliedSkills() const override { return m_appliedSkills; }
    QList<const ExperienceRepresentable*> experience() const override;
    QList<const EducationRepresentable*> education() const override;
    QList<const PortfolioItemRepresentable*> portfolio() const override;
    QString fontName() const override { return m_fontName; }
    QString displaySummaryTitle() const override { return m_displaySummaryTitle; }
    QString displayExperienceTitle() const override { return m_displayExperienceTitle; }
    QString displayEducationTitle() const override { return m_displayEducationTitle; }
    bool includeCoverLetter() const override { return m_includeCoverLetter; }
    QString coverLetterText() const override { return m_coverLetterText; }

    // Plain fields, for building a snapshot directly (tests, previews).
    QString m_title, m_fullName, m_contactInfo, m_summary;
    QStringList m_appliedSkills;
    std::vector<std::unique_ptr<ExperienceEntry>> m_experience;
    std::vector<std::unique_ptr<EducationEntry>> m_education;
    std::vector<std::unique_ptr<PortfolioEntry>> m_portfolio;
    QString m_fontName;
    QString m_displaySummaryTitle = QStringLiteral("Summary");
    QString m_displayExperienceTitle = QStringLiteral("Experience");
    QString m_displayEducationTitle = QStringLiteral("Education");
    bool m_includeCoverLetter = false;
    QString m_coverLetterText;

private:
    std::shared_ptr<StoredImageReader> m_storedImages;
};

} // namespace quillora
