#include "output/resume_export_snapshot.h"

#include "model/resume.h"
#include "store/stored_images.h"

namespace quillora {

namespace {

template <typename Entry> std::unique_ptr<Entry> copyEntry(const Entry& e) {
    return std::make_unique<Entry>(e);
}

template <typename View, typename Entry>
QList<const View*> views(const std::vector<std::unique_ptr<Entry>>& entries) {
    QList<const View*> out;
    out.reserve(qsizetype(entries.size()));
    for (const auto& e : entries)
        out.append(e.get());
    return out;
}

template <typename Entry>
std::vector<std::unique_ptr<Entry>> deepCopy(const std::vector<std::unique_ptr<Entry>>& entries) {
    std::vector<std::unique_ptr<Entry>> out;
    out.reserve(entries.size());
    for (const auto& e : entries)
        out.push_back(copyEntry(*e));
    return out;
}

} // namespace

ResumeExportSnapshot::ResumeExportSnapshot(const ResumeRepresentable& source)
    : m_title(source.title())
    , m_fullName(source.fullName())
    , m_contactInfo(source.contactInfo())
    , m_summary(source.summary())
    , m_appliedSkills(source.appliedSkills())
    , m_fontName(source.fontName())
    , m_displaySummaryTitle(source.displaySummaryTitle())
    , m_displayExperienceTitle(source.displayExperienceTitle())
    , m_displayEducationTitle(source.displayEducationTitle())
    , m_includeCoverLetter(source.includeCoverLetter())
    , m_coverLetterText(source.coverLetterText()) {
    // QString and QByteArray share their data implicitly with atomic reference counts, so the
    // copies stay valid and unchanged whatever the records do afterwards.
    for (const ExperienceRepresentable* e : source.experience()) {
        auto entry = std::make_unique<ExperienceEntry>();
        entry->role_ = e->role();
        entry->company_ = e->company();
        entry->startDate_ = e->startDate();
        entry->endDate_ = e->endDate();
        entry->details_ = e->details();
        entry->sortOrder_ = e->sortOrder();
        m_experience.push_back(std::move(entry));
    }
    for (const EducationRepresentable* e : source.education()) {
        auto entry = std::make_unique<EducationEntry>();
        entry->school_ = e->school();
        entry->degree_ = e->degree();
        entry->year_ = e->year();
        entry->sortOrder_ = e->sortOrder();
        m_education.push_back(std::move(entry));
    }
    for (const PortfolioItemRepresentable* p : source.portfolio()) {
        auto entry = std::make_unique<PortfolioEntry>();
        entry->imageData_ = p->imageData();
        entry->caption_ = p->caption();
        entry->sortOrder_ = p->sortOrder();
        entry->orientation_ = p->orientation();
        m_portfolio.push_back(std::move(entry));
    }
}

ResumeExportSnapshot ResumeExportSnapshot::of(const Resume& resume, const QString& storeFilePath) {
    // Every field but the portfolio comes through the general path; the portfolio is taken here.
    struct WithoutPortfolio final : ResumeRepresentable {
        const Resume& r;
        explicit WithoutPortfolio(const Resume& resume)
            : r(resume) {}
        QString title() const override { return r.title(); }
        QString fullName() const override { return r.fullName(); }
        QString contactInfo() const override { return r.contactInfo(); }
        QString summary() const override { return r.summary(); }
        QStringList appliedSkills() const override { return r.appliedSkills(); }
        QList<const ExperienceRepresentable*> experience() const override { return r.experience(); }
        QList<const EducationRepresentable*> education() const override { return r.education(); }
        QList<const PortfolioItemRepresentable*> portfolio() const override { return {}; }
        QString fontName() const override { return r.fontName(); }
        QString displaySummaryTitle() const override { return r.displaySummaryTitle(); }
        QString displayExperienceTitle() const override { return r.displayExperienceTitle(); }
        QString displayEducationTitle() const override { return r.displayEducationTitle(); }
        bool includeCoverLetter() const override { return r.includeCoverLetter(); }
        QString coverLetterText() const override { return r.coverLetterText(); }
    };
    ResumeExportSnapshot snapshot{WithoutPortfolio(resume)};
    auto reader = std::make_shared<StoredImageReader>(storeFilePath);
    for (const PortfolioItemPtr& item : resume.portfolioItems()) {
        auto entry = std::make_unique<PortfolioEntry>();
        if (reader->defer(*item))
            entry->storedImageId_ = item->id();
        else
            entry->imageData_ = item->imageData();
        entry->caption_ = item->caption();
        entry->sortOrder_ = item->sortOrder();
        entry->orientation_ = item->orientation();
        snapshot.m_portfolio.push_back(std::move(entry));
    }
    if (reader->hasDeferred())
        snapshot.m_storedImages = std::move(reader);
    return snapshot;
}

bool ResumeExportSnapshot::hasStoredImages() const {
    for (const auto& entry : m_portfolio) {
        if (!entry->storedImageId_.isNull())
            return true;
    }
    return false;
}

Status ResumeExportSnapshot::loadStoredImages() {
    for (auto& entry : m_portfolio) {
        if (entry->storedImageId_.isNull())
            continue;
        if (!m_storedImages)
            return Status::failure(ErrorKind::storage,
                                   QStringLiteral("The stored images are no longer readable."));
        auto bytes = m_storedImages->read(entry->storedImageId_);
        if (!bytes)
            return bytes.errorInfo();
        entry->imageData_ = std::move(bytes).value();
        entry->storedImageId_ = QUuid();
    }
    // This copy needs the store no more; the reader (and its read transaction) ends with the
    // last copy that still does.
    m_storedImages.reset();
    return success();
}

ResumeExportSnapshot::ResumeExportSnapshot(const ResumeExportSnapshot& other)
    : ResumeRepresentable()
    , m_title(other.m_title)
    , m_fullName(other.m_fullName)
    , m_contactInfo(other.m_contactInfo)
    , m_summary(other.m_summary)
    , m_appliedSkills(other.m_appliedSkills)
    , m_experience(deepCopy(other.m_experience))
    , m_education(deepCopy(other.m_education))
    , m_portfolio(deepCopy(other.m_portfolio))
    , m_fontName(other.m_fontName)
    , m_displaySummaryTitle(other.m_displaySummaryTitle)
    , m_displayExperienceTitle(other.m_displayExperienceTitle)
    , m_displayEducationTitle(other.m_displayEducationTitle)
    , m_includeCoverLetter(other.m_includeCoverLetter)
    , m_coverLetterText(other.m_coverLetterText)
    , m_storedImages(other.m_storedImages) {}

ResumeExportSnapshot& ResumeExportSnapshot::operator=(const ResumeExportSnapshot& other) {
    if (this != &other) {
        ResumeExportSnapshot copy(other);
        *this = std::move(copy);
    }
    return *this;
}

QList<const ExperienceRepresentable*> ResumeExportSnapshot::experience() const {
    return views<ExperienceRepresentable>(m_experience);
}

QList<const EducationRepresentable*> ResumeExportSnapshot::education() const {
    return views<EducationRepresentable>(m_education);
}

QList<const PortfolioItemRepresentable*> ResumeExportSnapshot::portfolio() const {
    return views<PortfolioItemRepresentable>(m_portfolio);
}

} // namespace quillora
