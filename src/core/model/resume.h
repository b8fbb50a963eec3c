#pragma once

#include "model/education.h"
#include "model/experience.h"
#include "model/portfolio_item.h"
#include "model/record.h"
#include "model/representable.h"

namespace quillora {

// Every property of a résumé, for building one with designated initialisers:
//   auto resume = std::make_shared<Resume>(ResumeFields{.title = u"CV"_s, .fontName = …});
// Members are in the record's declaration order; leave out what keeps its default (every
// member has one, so leaving members out is no warning).
struct ResumeFields final {
    QString title{};
    QString fullName{};
    QString contactInfo{};
    QString summary{};
    QList<ExperiencePtr> experienceItems{};
    QList<EducationPtr> educationItems{};
    QList<PortfolioItemPtr> portfolioItems{};
    std::optional<QString> titleSummary{};
    std::optional<QString> titleExperience{};
    std::optional<QString> titleEducation{};
    bool includeCoverLetter = false;
    QString coverLetterText{};
    QString coverLetterJobPosting{};
    QString coverLetterAIContext{};
    std::optional<QDateTime> coverLetterLastGenerated{};
    bool includeATSVersion = false;
    QString atsJobPosting{};
    QString atsGeneratedText{};
    std::optional<QStringList> atsInsertedKeywords{};
    std::optional<QDateTime> atsLastGenerated{};
    QString fontName{};
    qint64 templateID = 0;
    QDateTime lastEdited{};
    bool includeSkills = false;
    QStringList suggestedSkills{};
    QStringList appliedSkills{};
    std::optional<QString> morvessaRecordName{};
};

// One résumé, the central record. Writes are announced through changed(key) and stay pending
// in the context until someone saves; no write touches lastEdited.
class Resume : public Record, public ResumeRepresentable {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(Resume)

public:
    enum Property {
        Title,
        FullName,
        ContactInfo,
        Summary,
        ExperienceItems,
        EducationItems,
        PortfolioItems,
        TitleSummary,
        TitleExperience,
        TitleEducation,
        IncludeCoverLetter,
        CoverLetterText,
        CoverLetterJobPosting,
        CoverLetterAIContext,
        CoverLetterLastGenerated,
        IncludeATSVersion,
        AtsJobPosting,
        AtsGeneratedText,
        AtsInsertedKeywords,
        AtsLastGenerated,
        FontName,
        TemplateID,
        LastEdited,
        IncludeSkills,
        SuggestedSkills,
        AppliedSkills,
        MorvessaRecordName,
        PropertyCount
    };
    Q_ENUM(Property)

    Resume(const QString& title, const QString& fullName, const QString& contactInfo, const QString& summary,
           const QList<ExperiencePtr>& experienceItems, const QList<EducationPtr>& educationItems,
           const QList<PortfolioItemPtr>& portfolioItems, const std::optional<QString>& titleSummary,
           const std::optional<QString>& titleExperience, const std::optional<QString>& titleEducation,
           bool includeCoverLetter, const QString& coverLetterText, const QString& coverLetterJobPosting,
           const QString& coverLetterAIContext, const std::optional<QDateTime>& coverLetterLastGenerated,
           bool includeATSVersion, const QString& atsJobPosting, const QString& atsGeneratedText,
           const std::optional<QStringList>& atsInsertedKeywords,
           const std::optional<QDateTime>& atsLastGenerated, const QString& fontName, qint64 templateID,
           const QDateTime& lastEdited, bool includeSkills, const QStringList& suggestedSkills,
           const QStringList& appliedSkills, const std::optional<QString>& morvessaRecordName);
    explicit Resume(const ResumeFields& fields);

    static const EntityInfo& entityInfo();
    static const QList<PropertyMetadata>& schemaMetadata() { return entityInfo().properties; }

    QString title() const override { return text(Title); }
    QString fullName() const override { return text(FullName); }
    QString contactInfo() const override { return text(ContactInfo); }
    QString summary() const override { return text(Summary); }
    QList<ExperiencePtr> experienceItems() const {
        readEntries();
        return m_experienceItems;
    }
    QList<EducationPtr> educationItems() const {
        readEntries();
        return m_educationItems;
    }
    QList<PortfolioItemPtr> portfolioItems() const {
        readEntries();
        return m_portfolioItems;
    }
    std::optional<QString> titleSummary() const { return optionalText(TitleSummary); }
    std::optional<QString> titleExperience() const { return optionalText(TitleExperience); }
    std::optional<QString> titleEducation() const { return optionalText(TitleEducation); }
    bool includeCoverLetter() const override { return flag(IncludeCoverLetter); }
    QString coverLetterText() const override { return text(CoverLetterText); }
    QString coverLetterJobPosting() const { return text(CoverLetterJobPosting); }
    QString coverLetterAIContext() const { return text(CoverLetterAIContext); }
    std::optional<QDateTime> coverLetterLastGenerated() const {
        return optionalDate(CoverLetterLastGenerated);
    }
    bool includeATSVersion() const { return flag(IncludeATSVersion); }
    QString atsJobPosting() const { return text(AtsJobPosting); }
    QString atsGeneratedText() const { return text(AtsGeneratedText); }
    std::optional<QStringList> atsInsertedKeywords() const { return optionalTextList(AtsInsertedKeywords); }
    std::optional<QDateTime> atsLastGenerated() const { return optionalDate(AtsLastGenerated); }
    QString fontName() const override { return text(FontName); }
    qint64 templateID() const { return int64(TemplateID); }
    QDateTime lastEdited() const { return date(LastEdited); }
    bool includeSkills() const { return flag(IncludeSkills); }
    QStringList suggestedSkills() const { return textList(SuggestedSkills); }
    QStringList appliedSkills() const override { return textList(AppliedSkills); }
    std::optional<QString> morvessaRecordName() const { return optionalText(MorvessaRecordName); }

    // Only an absent custom title selects the default; an empty one is returned as it is.
    QString displaySummaryTitle() const override {
        return titleSummary().value_or(QStringLiteral("Summary"));
    }
    QString displayExperienceTitle() const override {
        return titleExperience().value_or(QStringLiteral("Experience"));
    }
    QString displayEducationTitle() const override {
        return titleEducation().value_or(QStringLiteral("Education"));
    }

    QList<const ExperienceRepresentable*> experience() const override;
    QList<const EducationRepresentable*> education() const override;
    QList<const PortfolioItemRepresentable*> portfolio() const override;

    void setTitle(const QString& v) { setValue(Title, v); }
    void setFullName(const QString& v) { setValue(FullName, v); }
    void setContactInfo(const QString& v) { setValue(ContactInfo, v); }
    void setSummary(const QString& v) { setValue(Summary, v); }
    void setExperienceItems(const QList<ExperiencePtr>& v);
    void setEducationItems(const QList<EducationPtr>& v);
    void setPortfolioItems(const QList<PortfolioItemPtr>& v);
    void setTitleSummary(const std::optional<QString>& v) { setValue(TitleSummary, wrap(v)); }
    void setTitleExperience(const std::optional<QString>& v) { setValue(TitleExperience, wrap(v)); }
    void setTitleEducation(const std::optional<QString>& v) { setValue(TitleEducation, wrap(v)); }
    void setIncludeCoverLetter(bool v) { setValue(IncludeCoverLetter, v); }
    void setCoverLetterText(const QString& v) { setValue(CoverLetterText, v); }
    void setCoverLetterJobPosting(const QString& v) { setValue(CoverLetterJobPosting, v); }
    void setCoverLetterAIContext(const QString& v) { setValue(CoverLetterAIContext, v); }
    void setCoverLetterLastGenerated(const std::optional<QDateTime>& v) {
        setValue(CoverLetterLastGenerated, wrap(v));
    }
    void setIncludeATSVersion(bool v) { setValue(IncludeATSVersion, v); }
    void setAtsJobPosting(const QString& v) { setValue(AtsJobPosting, v); }
    void setAtsGeneratedText(const QString& v) { setValue(AtsGeneratedText, v); }
    void setAtsInsertedKeywords(const std::optional<QStringList>& v) {
        setValue(AtsInsertedKeywords, wrap(v));
    }
    void setAtsLastGenerated(const std::optional<QDateTime>& v) { setValue(AtsLastGenerated, wrap(v)); }
    void setFontName(const QString& v) { setValue(FontName, v); }
    void setTemplateID(qint64 v) { setValue(TemplateID, v); }
    void setLastEdited(const QDateTime& v) { setValue(LastEdited, v.toUTC()); }
    void setIncludeSkills(bool v) { setValue(IncludeSkills, v); }
    void setSuggestedSkills(const QStringList& v) { setValue(SuggestedSkills, v); }
    void setAppliedSkills(const QStringList& v) { setValue(AppliedSkills, v); }
    void setMorvessaRecordName(const std::optional<QString>& v) { setValue(MorvessaRecordName, wrap(v)); }

signals:
    // The property a write changed (see Record::propertyChanged).
    void changed(quillora::Resume::Property property);

private:
    void emitTypedChange(int index) override { emit changed(Property(index)); }

    friend class StoreCodec;
    friend class ModelContext;
    struct FromStore {};
    explicit Resume(FromStore);

    // A résumé read from the store reads its entries when they are first asked for.
    void readEntries() const {
        if (m_entriesInStore)
            readEntriesFromStore();
    }
    void readEntriesFromStore() const;

    bool m_entriesInStore = false;
    QList<ExperiencePtr> m_experienceItems;
    QList<EducationPtr> m_educationItems;
    QList<PortfolioItemPtr> m_portfolioItems;
};

using ResumePtr = std::shared_ptr<Resume>;

} // namespace quillora
