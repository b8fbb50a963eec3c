#include "model/education.h"
#include "model/experience.h"
#include "model/portfolio_item.h"
#include "model/resume.h"

#include "model/record_observer.h"
#include "platform/log.h"

#include <QThread>

namespace quillora {

namespace {

PropertyMetadata describeProperty(const char* name, PropertyType type, const char* attribute = "",
                                  const char* related = "") {
    const QString key = QString::fromLatin1(name);
    return PropertyMetadata{
        key, key, QVariant(), QString::fromLatin1(attribute), type, QString::fromLatin1(related)};
}

template <typename View, typename Ptr> QList<const View*> asViews(const QList<Ptr>& entries) {
    QList<const View*> views;
    views.reserve(entries.size());
    for (const auto& entry : entries)
        views.append(entry.get());
    return views;
}

} // namespace

// --- Experience -------------------------------------------------------------------------------

const EntityInfo& Experience::entityInfo() {
    static const EntityInfo info{
        QStringLiteral("Experience"),
        {describeProperty("role", PropertyType::Text), describeProperty("company", PropertyType::Text),
         describeProperty("startDate", PropertyType::Text), describeProperty("endDate", PropertyType::Text),
         describeProperty("details", PropertyType::Text),
         describeProperty("sortOrder", PropertyType::Int64)}};
    return info;
}

Experience::Experience(const QString& role, const QString& company, const QString& startDate,
                       const QString& endDate, const QString& details, qint64 sortOrder)
    : Record(entityInfo()) {
    initValue(Role, role);
    initValue(Company, company);
    initValue(StartDate, startDate);
    initValue(EndDate, endDate);
    initValue(Details, details);
    initValue(SortOrder, sortOrder);
}

Experience::Experience(FromStore)
    : Record(entityInfo()) {}

// --- Education --------------------------------------------------------------------------------

const EntityInfo& Education::entityInfo() {
    static const EntityInfo info{
        QStringLiteral("Education"),
        {describeProperty("school", PropertyType::Text), describeProperty("degree", PropertyType::Text),
         describeProperty("year", PropertyType::Text), describeProperty("sortOrder", PropertyType::Int64)}};
    return info;
}

Education::Education(const QString& school, const QString& degree, const QString& year, qint64 sortOrder)
    : Record(entityInfo()) {
    initValue(School, school);
    initValue(Degree, degree);
    initValue(Year, year);
    initValue(SortOrder, sortOrder);
}

Education::Education(FromStore)
    : Record(entityInfo()) {}

// --- PortfolioItem ----------------------------------------------------------------------------

const EntityInfo& PortfolioItem::entityInfo() {
    static const EntityInfo info{QStringLiteral("PortfolioItem"),
                                 {describeProperty("id", PropertyType::Uuid, "unique"),
                                  describeProperty("imageData", PropertyType::OptionalBytes),
                                  describeProperty("caption", PropertyType::Text),
                                  describeProperty("sortOrder", PropertyType::Int64),
                                  describeProperty("orientation", PropertyType::Orientation)}};
    return info;
}

PortfolioItem::PortfolioItem(const QUuid& id, const std::optional<QByteArray>& imageData,
                             const QString& caption, qint64 sortOrder, PortfolioImageOrientation orientation)
    : Record(entityInfo()) {
    initValue(Id, id);
    initValue(ImageData, imageData ? QVariant(*imageData) : QVariant());
    initValue(Caption, caption);
    initValue(SortOrder, sortOrder);
    initValue(Orientation, rawValue(orientation));
}

PortfolioItem::PortfolioItem(FromStore)
    : Record(entityInfo()) {}

std::optional<QByteArray> PortfolioItem::imageData() const {
    // The bytes may be read from the store here, through the UI thread's connection.
    if (QThread::currentThread() != thread())
        qFatal("PortfolioItem::imageData() called off the thread that owns the record; "
               "take a snapshot on the UI thread instead");
    if (m_imageInStore) {
        // Marked loaded only once the bytes are in: a failed read leaves the image in the store,
        // so no later save writes over it.
        if (RecordObserver* store = observer()) {
            if (auto loaded = store->loadImageData(const_cast<PortfolioItem*>(this)); !loaded)
                logLine(QStringLiteral("⚠️ Could not read a portfolio image: ") + loaded.error());
        }
        if (m_imageInStore)
            return std::nullopt;
    }
    const QVariant& v = value(ImageData);
    return v.isValid() ? std::optional<QByteArray>(v.toByteArray()) : std::nullopt;
}

void PortfolioItem::adoptStoredImageData(const QByteArray& bytes) {
    if (!m_imageInStore)
        return;
    initValue(ImageData, bytes);
    m_imageInStore = false;
}

void PortfolioItem::setImageData(const std::optional<QByteArray>& v) {
    // While the bytes are only in the store the held value says nothing: always write.
    const bool force = m_imageInStore;
    m_imageInStore = false;
    setValue(ImageData, v ? QVariant(*v) : QVariant(), force);
}

PortfolioImageOrientation PortfolioItem::orientation() const {
    // The store refuses unknown raw values when it loads a record, so only the two cases reach here.
    return portfolioImageOrientationFromRawValue(text(Orientation))
        .value_or(PortfolioImageOrientation::portrait);
}

// --- Resume -----------------------------------------------------------------------------------

const EntityInfo& Resume::entityInfo() {
    using T = PropertyType;
    static const EntityInfo info{QStringLiteral("Resume"),
                                 {
                                     describeProperty("title", T::Text),
                                     describeProperty("fullName", T::Text),
                                     describeProperty("contactInfo", T::Text),
                                     describeProperty("summary", T::Text),
                                     describeProperty("experienceItems", T::ToMany, "", "Experience"),
                                     describeProperty("educationItems", T::ToMany, "", "Education"),
                                     describeProperty("portfolioItems", T::ToMany, "", "PortfolioItem"),
                                     describeProperty("titleSummary", T::OptionalText),
                                     describeProperty("titleExperience", T::OptionalText),
                                     describeProperty("titleEducation", T::OptionalText),
                                     describeProperty("includeCoverLetter", T::Bool),
                                     describeProperty("coverLetterText", T::Text),
                                     describeProperty("coverLetterJobPosting", T::Text),
                                     describeProperty("coverLetterAIContext", T::Text),
                                     describeProperty("coverLetterLastGenerated", T::OptionalDate),
                                     describeProperty("includeATSVersion", T::Bool),
                                     describeProperty("atsJobPosting", T::Text),
                                     describeProperty("atsGeneratedText", T::Text),
                                     describeProperty("atsInsertedKeywords", T::OptionalTextList),
                                     describeProperty("atsLastGenerated", T::OptionalDate),
                                     describeProperty("fontName", T::Text),
                                     describeProperty("templateID", T::Int64),
                                     describeProperty("lastEdited", T::Date),
                                     describeProperty("includeSkills", T::Bool),
                                     describeProperty("suggestedSkills", T::TextList),
                                     describeProperty("appliedSkills", T::TextList),
                                     describeProperty("morvessaRecordName", T::OptionalText),
                                 }};
    return info;
}

Resume::Resume(const QString& title, const QString& fullName, const QString& contactInfo,
               const QString& summary, const QList<ExperiencePtr>& experienceItems,
               const QList<EducationPtr>& educationItems, const QList<PortfolioItemPtr>& portfolioItems,
               const std::optional<QString>& titleSummary, const std::optional<QString>& titleExperience,
               const std::optional<QString>& titleEducation, bool includeCoverLetter,
               const QString& coverLetterText, const QString& coverLetterJobPosting,
               const QString& coverLetterAIContext, const std::optional<QDateTime>& coverLetterLastGenerated,
               bool includeATSVersion, const QString& atsJobPosting, const QString& atsGeneratedText,
               const std::optional<QStringList>& atsInsertedKeywords,
               const std::optional<QDateTime>& atsLastGenerated, const QString& fontName, qint64 templateID,
               const QDateTime& lastEdited, bool includeSkills, const QStringList& suggestedSkills,
               const QStringList& appliedSkills, const std::optional<QString>& morvessaRecordName)
    : Record(entityInfo()) {
    initValue(Title, title);
    initValue(FullName, fullName);
    initValue(ContactInfo, contactInfo);
    initValue(Summary, summary);
    m_experienceItems = experienceItems;
    m_educationItems = educationItems;
    m_portfolioItems = portfolioItems;
    initValue(TitleSummary, wrap(titleSummary));
    initValue(TitleExperience, wrap(titleExperience));
    initValue(TitleEducation, wrap(titleEducation));
    initValue(IncludeCoverLetter, includeCoverLetter);
    initValue(CoverLetterText, coverLetterText);
    initValue(CoverLetterJobPosting, coverLetterJobPosting);
    initValue(CoverLetterAIContext, coverLetterAIContext);
    initValue(
        CoverLetterLastGenerated,
        wrap(coverLetterLastGenerated ? std::optional(coverLetterLastGenerated->toUTC()) : std::nullopt));
    initValue(IncludeATSVersion, includeATSVersion);
    initValue(AtsJobPosting, atsJobPosting);
    initValue(AtsGeneratedText, atsGeneratedText);
    initValue(AtsInsertedKeywords, wrap(atsInsertedKeywords));
    initValue(AtsLastGenerated,
              wrap(atsLastGenerated ? std::optional(atsLastGenerated->toUTC()) : std::nullopt));
    initValue(FontName, fontName);
    initValue(TemplateID, templateID);
    initValue(LastEdited, lastEdited.toUTC());
    initValue(IncludeSkills, includeSkills);
    initValue(SuggestedSkills, suggestedSkills);
    initValue(AppliedSkills, appliedSkills);
    initValue(MorvessaRecordName, wrap(morvessaRecordName));
}

Resume::Resume(const ResumeFields& f)
    : Resume(f.title, f.fullName, f.contactInfo, f.summary, f.experienceItems, f.educationItems,
             f.portfolioItems, f.titleSummary, f.titleExperience, f.titleEducation, f.includeCoverLetter,
             f.coverLetterText, f.coverLetterJobPosting, f.coverLetterAIContext, f.coverLetterLastGenerated,
             f.includeATSVersion, f.atsJobPosting, f.atsGeneratedText, f.atsInsertedKeywords,
             f.atsLastGenerated, f.fontName, f.templateID, f.lastEdited, f.includeSkills, f.suggestedSkills,
             f.appliedSkills, f.morvessaRecordName) {}

Resume::Resume(FromStore)
    : Record(entityInfo()) {}

void Resume::readEntriesFromStore() const {
    // Read through the UI thread's connection, like a portfolio image.
    if (QThread::currentThread() != thread())
        qFatal("Resume entries read off the thread that owns the record; "
               "take a snapshot on the UI thread instead");
    if (RecordObserver* store = observer()) {
        if (auto loaded = store->loadEntries(const_cast<Resume*>(this)); !loaded)
            logLine(QStringLiteral("⚠️ Could not read a résumé's entries: ") + loaded.error());
    }
}

QList<const ExperienceRepresentable*> Resume::experience() const {
    readEntries();
    return asViews<ExperienceRepresentable>(m_experienceItems);
}

QList<const EducationRepresentable*> Resume::education() const {
    readEntries();
    return asViews<EducationRepresentable>(m_educationItems);
}

QList<const PortfolioItemRepresentable*> Resume::portfolio() const {
    readEntries();
    return asViews<PortfolioItemRepresentable>(m_portfolioItems);
}

void Resume::setExperienceItems(const QList<ExperiencePtr>& v) {
    readEntries();
    if (m_experienceItems == v)
        return;
    relationshipWillChange();
    m_entriesInStore = false;
    m_experienceItems = v;
    announce(ExperienceItems);
}

void Resume::setEducationItems(const QList<EducationPtr>& v) {
    readEntries();
    if (m_educationItems == v)
        return;
    relationshipWillChange();
    m_entriesInStore = false;
    m_educationItems = v;
    announce(EducationItems);
}

void Resume::setPortfolioItems(const QList<PortfolioItemPtr>& v) {
    readEntries();
    if (m_portfolioItems == v)
        return;
    relationshipWillChange();
    m_entriesInStore = false;
    m_portfolioItems = v;
    announce(PortfolioItems);
}

} // namespace quillora
