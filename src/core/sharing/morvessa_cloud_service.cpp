#include "sharing/morvessa_cloud_service.h"

#include "platform/log.h"
#include "platform/safe_files.h"
#include "sharing/cloud_configuration.h"
#include "sharing/postgres_cloud_database.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora {

namespace {

QString newUuidText() {
    return QUuid::createUuid().toString(QUuid::WithoutBraces).toUpper();
}

void log(const char* literal, const QString& value) {
    logLine(QString::fromUtf8(literal) % QLatin1Char(' ') % value);
}

template <typename Entry>
QList<std::shared_ptr<Entry>> sortedBySortOrder(QList<std::shared_ptr<Entry>> entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const auto& a, const auto& b) { return a->sortOrder() < b->sortOrder(); });
    return entries;
}

QString systemError(const QString& what, int error) {
    return what % QStringLiteral(": ") % QString::fromLocal8Bit(std::strerror(error));
}

constexpr auto kPrivateFolderPrefix = "quillora-morvessa-";

// The payload folder, made owner-only when missing. The temporary directory is shared: a folder
// of that name that someone else made is neither written into nor in our power to remove, so the
// upload takes a private folder of its own instead. A link or file of ours there is refused.
Result<QString> payloadFolder() {
    const Result<QString> temporary = files::temporaryFolder();
    if (!temporary)
        return temporary;
    const QString folder = QDir(*temporary).filePath(QStringLiteral("Morvessa"));
    const QByteArray path = QFile::encodeName(folder);
    if (::mkdir(path.constData(), 0700) != 0 && errno != EEXIST)
        return Result<QString>::failure(
            systemError(QStringLiteral("The folder “%1” could not be created").arg(folder), errno));
    if (files::heldByAnotherUser(folder)) {
        const Result<QString> own =
            files::makePrivateTemporaryFolder(QString::fromLatin1(kPrivateFolderPrefix));
        if (own)
            logLine(
                QStringLiteral("⚠️ “Morvessa” in the temporary folder belongs to another user; the "
                               "payload goes to a private folder instead: ") %
                own.value());
        return own;
    }
    struct stat info {};
    if (::lstat(path.constData(), &info) != 0)
        return Result<QString>::failure(
            systemError(QStringLiteral("The folder “%1” could not be read").arg(folder), errno));
    if (!S_ISDIR(info.st_mode))
        return Result<QString>::failure(
            QStringLiteral("The folder “%1” is not a folder of this user; remove it and try again.")
                .arg(folder));
    return folder;
}

// Writes the bytes to a new file beside `target` (created exclusively, never through a link)
// and renames it over `target`, so a reader sees the whole file or none.
Result<QString> writeAtomically(const QString& target, const QByteArray& bytes) {
    files::AtomicFileWriter file(target, files::AtomicFileWriter::Durability::cached);
    Status written = file.open();
    if (written) {
        (void)file.device()->write(bytes); // commit() reports a failed write
        written = file.commit();
    }
    if (!written)
        return Result<QString>::failure(written.error());
    return target;
}

// A file locked (shared) as long as this lives.
class HeldFile final {
public:
    explicit HeldFile(const QString& path)
        : m_fd(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NOFOLLOW | O_CLOEXEC)) {
        if (m_fd >= 0)
            (void)::flock(m_fd, LOCK_SH | LOCK_NB);
    }
    ~HeldFile() {
        if (m_fd >= 0)
            ::close(m_fd);
    }
    HeldFile(const HeldFile&) = delete;
    HeldFile& operator=(const HeldFile&) = delete;

private:
    int m_fd;
};

} // namespace

MorvessaCloudService::DatabaseFactory MorvessaCloudService::postgresFromEnvironment() {
    return [] {
        return std::make_unique<PostgresCloudDatabase>(PostgresCloudDatabase::configuredConnectionString());
    };
}

MorvessaCloudService::MorvessaCloudService(DatabaseFactory database)
    : m_database(std::move(database)) {}

MorvessaCloudService MorvessaCloudService::stoppedBy(std::function<bool()> stopped) const {
    return MorvessaCloudService([database = m_database, stopped = std::move(stopped)] {
        std::unique_ptr<CloudDatabase> made = database();
        made->bound(std::chrono::steady_clock::time_point::max(), stopped);
        return made;
    });
}

QString MorvessaCloudService::formatDate(const QDateTime& date) {
    return date.toUTC().toString(Qt::ISODateWithMs);
}

PortfolioSnapshot MorvessaCloudService::makePortfolioSnapshot(const PortfolioItem& item) {
    return PortfolioSnapshot{
        item.id().toString(QUuid::WithoutBraces).toUpper(),
        item.caption(),
        item.sortOrder(),
        item.orientation() == PortfolioImageOrientation::landscape ? QStringLiteral("landscape")
                                                                   : QStringLiteral("portrait"),
        // An image still in the store is known to exist without reading it.
        !item.isImageLoaded() || item.imageData().has_value(),
    };
}

MorvessaResumePayload MorvessaCloudService::makePayload(const Resume& resume) {
    const auto optionalDate = [](const std::optional<QDateTime>& date) -> std::optional<QString> {
        if (!date)
            return std::nullopt;
        return formatDate(*date);
    };
    MorvessaResumePayload p;
    p.exportId = newUuidText();
    p.exportedAt = formatDate(QDateTime::currentDateTimeUtc());
    p.lastEdited = formatDate(resume.lastEdited());
    p.coverLetterLastGenerated = optionalDate(resume.coverLetterLastGenerated());
    p.atsLastGenerated = optionalDate(resume.atsLastGenerated());
    for (const ExperiencePtr& e : sortedBySortOrder(resume.experienceItems()))
        p.experienceItems << ExperienceSnapshot{e->role(),    e->company(), e->startDate(),
                                                e->endDate(), e->details(), e->sortOrder()};
    for (const EducationPtr& e : sortedBySortOrder(resume.educationItems()))
        p.educationItems << EducationSnapshot{e->school(), e->degree(), e->year(), e->sortOrder()};
    for (const PortfolioItemPtr& item : sortedBySortOrder(resume.portfolioItems()))
        p.portfolioItems << makePortfolioSnapshot(*item);
    p.title = resume.title();
    p.fullName = resume.fullName();
    p.contactInfo = resume.contactInfo();
    p.summary = resume.summary();
    p.titleSummary = resume.titleSummary();
    p.titleExperience = resume.titleExperience();
    p.titleEducation = resume.titleEducation();
    p.includeCoverLetter = resume.includeCoverLetter();
    p.coverLetterText = resume.coverLetterText();
    p.coverLetterJobPosting = resume.coverLetterJobPosting();
    p.coverLetterAIContext = resume.coverLetterAIContext();
    p.includeATSVersion = resume.includeATSVersion();
    p.atsJobPosting = resume.atsJobPosting();
    p.atsGeneratedText = resume.atsGeneratedText();
    p.atsInsertedKeywords = resume.atsInsertedKeywords().value_or(QStringList());
    p.fontName = resume.fontName();
    p.templateID = resume.templateID();
    p.includeSkills = resume.includeSkills();
    p.suggestedSkills = resume.suggestedSkills();
    p.appliedSkills = resume.appliedSkills();
    return p;
}

QString MorvessaCloudService::temporaryFolder() {
    const Result<QString> temporary = files::temporaryFolder();
    return temporary ? QDir(*temporary).filePath(QStringLiteral("Morvessa")) : QString();
}

Result<QString> MorvessaCloudService::writePayloadJSON(const MorvessaResumePayload& payload) {
    const QByteArray json = encodeMorvessaPayload(payload);
    const Result<QString> folder = payloadFolder();
    if (!folder)
        return folder;
    const QString path =
        QDir(*folder).filePath(QStringLiteral("resume-") % payload.exportId % QStringLiteral(".json"));
    const Result<QString> written = writeAtomically(path, json);
    if (!written)
        removeTemporaryFile(path);
    return written;
}

QString MorvessaCloudService::privateFolderPrefix() {
    return QString::fromLatin1(kPrivateFolderPrefix);
}

bool MorvessaCloudService::isPayloadFileName(const char* name) {
    static const QRegularExpression form(
        QStringLiteral("^resume-[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}\\.json$"));
    return form.match(QString::fromLatin1(name)).hasMatch();
}

void MorvessaCloudService::removeTemporaryFile(const QString& path) {
    QFile::remove(path);
    const QFileInfo folder(QFileInfo(path).absolutePath());
    const Result<QString> temporary = files::temporaryFolder();
    if (temporary && folder.fileName().startsWith(QLatin1String(kPrivateFolderPrefix)) &&
        folder.absolutePath() == *temporary)
        (void)::rmdir(QFile::encodeName(folder.absoluteFilePath()).constData()); // only if empty
}

CloudResult<Done> MorvessaCloudService::ensureAccountAvailable(CloudDatabase& database) {
    const CloudResult<CKAccountStatus> status = database.accountStatus();
    if (!status)
        return status.failure();
    if (status.value() != CKAccountStatus::available)
        return QuilloraCloudKitError::unavailable(status.value());
    log("☁️ CloudKit write access available for container:", cloudContainerIdentifier());
    return Done{};
}

QString MorvessaCloudService::newRecordName() {
    return newUuidText();
}

CloudResult<QString> MorvessaCloudService::upload(const MorvessaResumePayload& payload,
                                                  const QString& pdfPath, const QString& recordName,
                                                  bool* mayRemain) const {
    if (mayRemain)
        *mayRemain = false;
    const std::unique_ptr<CloudDatabase> database = m_database();
    if (const CloudResult<Done> account = ensureAccountAvailable(*database); !account)
        return account.failure();

    const Result<QString> jsonPath = writePayloadJSON(payload);
    if (!jsonPath)
        return PlatformError{jsonPath.error()};
    // Locked while the upload needs it, so that the start-up clean-up of leftovers (another
    // Quillora's, on another data folder) leaves it alone.
    const HeldFile heldPayload(*jsonPath);

    CloudRecord record;
    record.recordType = morvessaRecordType();
    record.recordName = recordName;
    record.exportId = payload.exportId;
    record.exportedAt = QDateTime::currentDateTimeUtc();
    record.title = payload.title;
    record.fullName = payload.fullName;
    record.pdfPath = pdfPath;
    record.jsonPath = *jsonPath;

    // Takes back what this upload may have saved; true when the record is known to be gone.
    const auto withdraw = [&](bool logged) {
        const CloudResult<QString> withdrawn = database->deleteRecord(recordName);
        const auto* failure = withdrawn ? nullptr : std::get_if<CKError>(&withdrawn.failure());
        const bool gone = withdrawn || (failure && failure->code == CKError::unknownItem);
        if (withdrawn && logged)
            log("🗑️ Deleted record:", recordName);
        else if (!gone)
            log("❌ Delete FAILED:", localizedDescription(withdrawn.failure()));
        if (mayRemain)
            *mayRemain = !gone;
    };

    bool mayHaveSaved = false;
    const CloudResult<CloudRecord> saved = database->save(record, mayHaveSaved);
    if (!saved) {
        log("❌ CloudKit save FAILED:", localizedDescription(saved.failure()));
        if (mayHaveSaved)
            withdraw(false);
        removeTemporaryFile(*jsonPath);
        return mapCloudKitError(saved.failure());
    }

    const CloudResult<CloudRecord> fetched = database->fetch(recordName);
    if (!fetched) {
        log("❌ CloudKit read-after-write FAILED:", localizedDescription(fetched.failure()));
        const QuilloraCloudKitError error = mapCloudKitError(fetched.failure());
        // The upload fails, so the caller will not keep the name: take the record back now, as
        // far as the database lets us.
        withdraw(true);
        log("❌ CloudKit save FAILED:", error.localizedDescription());
        removeTemporaryFile(*jsonPath);
        return mapCloudKitError(error);
    }
    log("☁️ CloudKit read-after-write verified:", recordName);

    log("✅ CloudKit save SUCCESS:", recordName);
    removeTemporaryFile(*jsonPath);
    return recordName;
}

MorvessaCloudService::Session MorvessaCloudService::session(std::chrono::steady_clock::time_point deadline,
                                                            std::function<bool()> stopped) const {
    std::unique_ptr<CloudDatabase> database = m_database();
    database->bound(deadline, std::move(stopped));
    return Session(std::move(database));
}

CloudResult<Done> MorvessaCloudService::Session::account() {
    if (!m_account)
        m_account = ensureAccountAvailable(*m_database);
    return *m_account;
}

CloudResult<Done> MorvessaCloudService::deleteRecord(const QString& recordName) const {
    return Session(m_database()).deleteRecord(recordName);
}

CloudResult<Done> MorvessaCloudService::Session::deleteRecord(const QString& recordName) {
    if (const CloudResult<Done> available = account(); !available)
        return available;

    const CloudResult<QString> deleted = m_database->deleteRecord(recordName);
    if (deleted) {
        log("🗑️ Deleted record:", recordName);
        return Done{};
    }
    const auto* gone = std::get_if<CKError>(&deleted.failure());
    if (gone && gone->code == CKError::unknownItem) {
        log("🗑️ Record already removed:", recordName);
        return Done{};
    }
    log("❌ Delete FAILED:", localizedDescription(deleted.failure()));
    return mapCloudKitError(deleted.failure());
}

CloudResult<bool> MorvessaCloudService::recordExists(const QString& recordName) const {
    return Session(m_database()).recordExists(recordName);
}

CloudResult<bool> MorvessaCloudService::Session::recordExists(const QString& recordName) {
    if (const CloudResult<Done> available = account(); !available)
        return available.failure();
    const CloudResult<CloudRecord> found = m_database->fetch(recordName);
    if (found)
        return true;
    if (const auto* missing = std::get_if<CKError>(&found.failure());
        missing && missing->code == CKError::unknownItem)
        return false;
    return mapCloudKitError(found.failure());
}

} // namespace quillora
