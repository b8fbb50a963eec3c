#pragma once

#include "model/resume.h"
#include "platform/json_syntax.h"
#include "platform/result.h"
#include "store/store_location.h"

#include <QByteArray>
#include <QDateTime>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>
#include <QUuid>

#include <optional>

namespace quillora {

class ModelContext;

// Plain copies of the records, taken on the UI thread; safe to encode on any thread.

struct ExperienceBackupRecord final {
    QString role;
    QString company;
    QString startDate;
    QString endDate;
    QString details;
    qint64 sortOrder = 0;
};

struct EducationBackupRecord final {
    QString school;
    QString degree;
    QString year;
    qint64 sortOrder = 0;
};

struct PortfolioBackupRecord final {
    QUuid id;
    QString caption;
    qint64 sortOrder = 0;
    QString orientation;
    // Written Base64-encoded as "imageDataBase64". Kept as bytes (shared, not copied) so that
    // taking the records stays cheap and the encoding happens with the rest of the document.
    std::optional<QByteArray> imageData;
};

struct ResumeBackupRecord final {
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
    std::optional<QDateTime> coverLetterLastGenerated;
    bool includeATSVersion = false;
    QString atsJobPosting;
    QString atsGeneratedText;
    QStringList atsInsertedKeywords;
    std::optional<QDateTime> atsLastGenerated;
    QString fontName;
    qint64 templateID = 0;
    QDateTime lastEdited;
    bool includeSkills = false;
    QStringList suggestedSkills;
    QStringList appliedSkills;
    std::optional<QString> morvessaRecordName;
    QList<ExperienceBackupRecord> experienceItems;
    QList<EducationBackupRecord> educationItems;
    QList<PortfolioBackupRecord> portfolioItems;
};

struct ResumeBackupPayload final {
    QDateTime generatedAt;
    QString reason;
    QList<ResumeBackupRecord> resumes;
};

ResumeBackupRecord makeResumeBackupRecord(const Resume& resume);
ExperienceBackupRecord makeExperienceBackupRecord(const Experience& experience);
EducationBackupRecord makeEducationBackupRecord(const Education& education);
PortfolioBackupRecord makePortfolioBackupRecord(const PortfolioItem& item);

// Every résumé of the context, unsaved changes included, newest lastEdited first, stamped now.
// Reads the records, so call it on the UI thread.
Result<ResumeBackupPayload> makeResumeBackupPayload(ModelContext& context, const QString& reason);

// The backup document: pretty-printed JSON, keys sorted, "/" escaped, dates in UTC whole
// seconds, upper-case UUIDs, absent optionals left out, images as padded Base64.
QByteArray encodeUserBackup(const ResumeBackupPayload& payload);

// Keeps the newest `keep` time-stamped backups in Backups, and the newest one that holds a
// résumé, and removes the others. Only our backups count (see isUserBackupFile): a file that a
// sync tool or the user put there under such a name, a folder, a link or a pipe is neither
// opened (but for a file's first and last bytes), counted nor removed.
Status pruneUserBackups(int keep);
// True when the entry is a time-stamped JSON user backup this app wrote: a regular file named
// "resume-backup-….json" (links are not followed) whose content is a whole backup document.
// Reads its first few kilobytes and its last bytes only; a pipe or device is never opened.
bool isUserBackupFile(const QString& path);
// True when the file is one of our backups and lists at least one résumé; pruning always keeps
// the newest such.
bool userBackupHoldsResumes(const QFileInfo& backup);

// Writes "latest-resume-backup.json" and a time-stamped copy into Backups, then prunes the
// copies to eight. The document is written as it is made, one résumé at a time, so memory stays
// bounded however large the store; the memory the run used goes back to the system afterwards.
// Both files are replaced atomically, so a failed run leaves the earlier backups whole. A
// document of more than `largest` bytes (by default the most the JSON reader reads back) fails
// the run: it is not kept, nor does it replace or prune anything. Success and failure are
// printed; nothing is returned.
void writeUserBackup(ModelContext& context, const QString& reason,
                     qint64 largest = JsonSyntaxCheck::largestDocument);

// Takes the records of unsaved résumés on the calling (UI) thread, then reads the rest from the
// store file at `storeFilePath` and writes the document on a worker, one résumé at a time, so
// large stores never hold up the window or fill the memory. Runs are queued one after another.
// Everything read on the worker shows the committed state of the moment of the call; portfolio
// images the unsaved records have not read yet are read there too.
void writeUserBackupInBackground(ModelContext& context, const QString& reason,
                                 const QString& storeFilePath = storeFileURL());

// Blocks until every queued background backup is written; call before the app quits.
void waitForUserBackups();

} // namespace quillora
