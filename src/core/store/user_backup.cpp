#include "store/user_backup.h"

#include "platform/json_syntax.h"
#include "platform/log.h"
#include "platform/memory.h"
#include "platform/pretty_json_writer.h"
#include "platform/safe_files.h"
#include "store/model_context.h"
#include "store/sqlite.h"
#include "store/store_codec.h"
#include "store/store_location.h"
#include "store/store_snapshots.h"
#include "store/stored_images.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QLocale>
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <mutex>
#include <optional>
#include <vector>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora {

namespace {

constexpr int kKeptBackups = 8;

QString latestBackupPath() {
    return backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json");
}

// ISO 8601 in UTC, whole seconds, with the zone written as Z.
void writeDate(PrettyJsonWriter& w, const QDateTime& value) {
    const QDateTime utc = value.toUTC();
    const QByteArray text = utc.date().toString(Qt::ISODate).toLatin1() + 'T' +
                            utc.time().toString(QStringLiteral("HH:mm:ss")).toLatin1() + 'Z';
    w.utf8String(text);
}

void writeUuid(PrettyJsonWriter& w, const QUuid& value) {
    w.utf8String(value.toByteArray(QUuid::WithoutBraces).toUpper());
}

void writeExperience(PrettyJsonWriter& w, const ExperienceBackupRecord& e) {
    w.object({
        {"role", [&] { w.string(e.role); }},
        {"company", [&] { w.string(e.company); }},
        {"startDate", [&] { w.string(e.startDate); }},
        {"endDate", [&] { w.string(e.endDate); }},
        {"details", [&] { w.string(e.details); }},
        {"sortOrder", [&] { w.integer(e.sortOrder); }},
    });
}

void writeEducation(PrettyJsonWriter& w, const EducationBackupRecord& e) {
    w.object({
        {"school", [&] { w.string(e.school); }},
        {"degree", [&] { w.string(e.degree); }},
        {"year", [&] { w.string(e.year); }},
        {"sortOrder", [&] { w.integer(e.sortOrder); }},
    });
}

void writePortfolio(PrettyJsonWriter& w, const PortfolioBackupRecord& p) {
    std::vector<PrettyJsonWriter::Member> members{
        {"id", [&] { writeUuid(w, p.id); }},
        {"caption", [&] { w.string(p.caption); }},
        {"sortOrder", [&] { w.integer(p.sortOrder); }},
        {"orientation", [&] { w.string(p.orientation); }},
    };
    if (p.imageData)
        members.push_back({"imageDataBase64", [&] { w.base64String(*p.imageData); }});
    w.object(std::move(members));
}

void writeResume(PrettyJsonWriter& w, const ResumeBackupRecord& r) {
    std::vector<PrettyJsonWriter::Member> members{
        {"title", [&] { w.string(r.title); }},
        {"fullName", [&] { w.string(r.fullName); }},
        {"contactInfo", [&] { w.string(r.contactInfo); }},
        {"summary", [&] { w.string(r.summary); }},
        {"includeCoverLetter", [&] { w.boolean(r.includeCoverLetter); }},
        {"coverLetterText", [&] { w.string(r.coverLetterText); }},
        {"coverLetterJobPosting", [&] { w.string(r.coverLetterJobPosting); }},
        {"coverLetterAIContext", [&] { w.string(r.coverLetterAIContext); }},
        {"includeATSVersion", [&] { w.boolean(r.includeATSVersion); }},
        {"atsJobPosting", [&] { w.string(r.atsJobPosting); }},
        {"atsGeneratedText", [&] { w.string(r.atsGeneratedText); }},
        {"atsInsertedKeywords", [&] { w.strings(r.atsInsertedKeywords); }},
        {"fontName", [&] { w.string(r.fontName); }},
        {"templateID", [&] { w.integer(r.templateID); }},
        {"lastEdited", [&] { writeDate(w, r.lastEdited); }},
        {"includeSkills", [&] { w.boolean(r.includeSkills); }},
        {"suggestedSkills", [&] { w.strings(r.suggestedSkills); }},
        {"appliedSkills", [&] { w.strings(r.appliedSkills); }},
        {"experienceItems",
         [&] { w.array(r.experienceItems, [&](const auto& e) { writeExperience(w, e); }); }},
        {"educationItems", [&] { w.array(r.educationItems, [&](const auto& e) { writeEducation(w, e); }); }},
        {"portfolioItems", [&] { w.array(r.portfolioItems, [&](const auto& p) { writePortfolio(w, p); }); }},
    };
    const auto optionalText = [&](const char* key, const std::optional<QString>& value) {
        if (value)
            members.push_back({key, [&w, &value] { w.string(*value); }});
    };
    const auto optionalDate = [&](const char* key, const std::optional<QDateTime>& value) {
        if (value)
            members.push_back({key, [&w, &value] { writeDate(w, *value); }});
    };
    optionalText("titleSummary", r.titleSummary);
    optionalText("titleExperience", r.titleExperience);
    optionalText("titleEducation", r.titleEducation);
    optionalDate("coverLetterLastGenerated", r.coverLetterLastGenerated);
    optionalDate("atsLastGenerated", r.atsLastGenerated);
    optionalText("morvessaRecordName", r.morvessaRecordName);
    w.object(std::move(members));
}

// Hands out the résumés of a document one at a time, in document order, so that only the one
// being written is ever held; nothing once all are out, or once reading one failed.
class RecordSource {
public:
    virtual ~RecordSource() = default;
    virtual std::optional<ResumeBackupRecord> next() = 0;
    // The failure that ended the résumés early, if any.
    const Status& status() const { return m_status; }

protected:
    std::optional<ResumeBackupRecord> fail(Status status) {
        m_status = std::move(status);
        return std::nullopt;
    }

private:
    Status m_status = success();
};

// The records of a payload, copied out one by one (their texts and images are shared, not copied).
class PayloadSource final : public RecordSource {
public:
    explicit PayloadSource(const QList<ResumeBackupRecord>& records)
        : m_records(records) {}
    std::optional<ResumeBackupRecord> next() override {
        if (m_next >= m_records.size())
            return std::nullopt;
        return m_records.at(m_next++);
    }

private:
    const QList<ResumeBackupRecord>& m_records;
    qsizetype m_next = 0;
};

void writePayload(PrettyJsonWriter& w, const QDateTime& generatedAt, const QString& reason,
                  RecordSource& source) {
    w.object({
        {"generatedAt", [&] { writeDate(w, generatedAt); }},
        {"reason", [&] { w.string(reason); }},
        {"resumes",
         [&] {
             w.streamedArray([&] { return source.next(); },
                             [&](const ResumeBackupRecord& r) { writeResume(w, r); });
         }},
    });
}

// Room for the whole document up front, so that large images are not copied while it grows.
qsizetype estimatedSize(const ResumeBackupPayload& payload) {
    qsizetype size = 1024;
    for (const ResumeBackupRecord& r : payload.resumes) {
        size += 4096 + (r.summary.size() + r.coverLetterText.size() + r.atsGeneratedText.size()) * 2;
        for (const auto& e : r.experienceItems)
            size += 256 + e.details.size() * 2;
        for (const auto& p : r.portfolioItems)
            size += 256 + (p.imageData ? p.imageData->size() * 4 / 3 + p.imageData->size() / 40 : 0);
    }
    return size;
}

void rememberWhole(const QString& path);

// Hands out the résumés of another source until the document has grown past what can be kept.
class BoundedSource final : public RecordSource {
public:
    BoundedSource(RecordSource& source, const PrettyJsonWriter& writer)
        : m_source(source)
        , m_writer(writer) {}
    std::optional<ResumeBackupRecord> next() override {
        if (m_writer.pastLimit())
            return std::nullopt;
        auto record = m_source.next();
        if (!m_source.status())
            return fail(m_source.status());
        return record;
    }

private:
    RecordSource& m_source;
    const PrettyJsonWriter& m_writer;
};

// Writes the document to a temporary file that replaces `path` only once it is complete. It is
// written as it is made, a résumé at a time, so memory stays bounded however large the store.
// A résumé that cannot be read, or a document of more than `largest` bytes (one the JSON reader
// could not read back), ends the run and leaves the earlier file as it was.
Status writeDocument(const QString& path, const QDateTime& generatedAt, const QString& reason,
                     RecordSource& records, qint64 largest) {
    files::AtomicFileWriter file(path);
    if (auto opened = file.open(); !opened)
        return opened;
    QByteArray buffer;
    buffer.reserve((1 << 20) + (1 << 14));
    PrettyJsonWriter w(buffer, file.device());
    w.handOnAtMost(largest);
    BoundedSource source(records, w);
    writePayload(w, generatedAt, reason, source);
    if (!source.status())
        return source.status(); // the temporary file is discarded
    (void)w.finish();           // a failed write is reported by commit()
    if (w.pastLimit())
        return Status::failure(
            QStringLiteral("The backup would be larger than %1 bytes, too large to be read back; the "
                           "earlier backups are kept.")
                .arg(QLocale(QLocale::English, QLocale::UnitedStates).toString(largest)));
    return file.commit();
}

// A second file with the bytes of the first, replacing `to` only once it is complete.
Status copyDocument(const QString& from, const QString& to) {
    QFile source(from);
    if (!source.open(QIODevice::ReadOnly))
        return Status::failure(QStringLiteral("Could not read “") % from % QStringLiteral("”: ") %
                               source.errorString());
    files::AtomicFileWriter file(to);
    if (auto opened = file.open(); !opened)
        return opened;
    for (QByteArray chunk = source.read(1 << 20); !chunk.isEmpty(); chunk = source.read(1 << 20))
        (void)file.device()->write(chunk); // a failed write is reported by commit()
    if (source.error() != QFileDevice::NoError)
        return Status::failure(QStringLiteral("Could not read “") % from % QStringLiteral("”: ") %
                               source.errorString());
    return file.commit();
}

// The time-stamped copy holds the same bytes as the latest backup. The latest file is only
// ever replaced, never changed in place, so a second name for it is a faithful copy and
// saves writing a large document twice; it goes in under a temporary name and is renamed
// over any copy of the same second. Where links are not possible the bytes are copied.
Status placeTimeStampedCopy(const QString& latest, const QString& stamped) {
    const QString temporary = backupsDirectoryURL() % QStringLiteral("/.") % QFileInfo(stamped).fileName() %
                              QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    ::unlink(nativeTemporary.constData());
    if (::link(QFile::encodeName(latest).constData(), nativeTemporary.constData()) != 0)
        return copyDocument(latest, stamped);
    if (::rename(nativeTemporary.constData(), QFile::encodeName(stamped).constData()) != 0) {
        const int error = errno;
        ::unlink(nativeTemporary.constData());
        return Status::failure(QStringLiteral("Could not write “") % stamped % QStringLiteral("”: ") %
                               QString::fromLocal8Bit(std::strerror(error)));
    }
    return success();
}

Status writeBackupFiles(const QDateTime& generatedAt, const QString& reason, RecordSource& source,
                        qint64 largest) {
    if (auto made = ensureStoreDirectory(); !made)
        return made;
    const QString latest = latestBackupPath();
    if (auto written = writeDocument(latest, generatedAt, reason, source, largest); !written)
        return written;
    rememberWhole(latest);
    const QString stamped = backupsDirectoryURL() % QStringLiteral("/resume-backup-") % backupTimestamp() %
                            QStringLiteral(".json");
    if (auto written = placeTimeStampedCopy(latest, stamped); !written)
        return written;
    return pruneUserBackups(kKeptBackups);
}

void logFailure(const QString& reason, const QString& error) {
    logLine(QStringLiteral("⚠️ Failed to write user backup (") % reason % QStringLiteral("): ") % error);
}

// Writes both files from the source, prints the outcome, and hands the memory the run used
// back to the system: a large store's backup passes through a lot of it.
void writeAndReport(const QDateTime& generatedAt, const QString& reason, RecordSource& source,
                    qint64 largest = JsonSyntaxCheck::largestDocument) {
    if (auto written = writeBackupFiles(generatedAt, reason, source, largest); !written)
        logFailure(reason, written.error());
    else
        logLine(QStringLiteral("🛟 User backup written (") % reason % QStringLiteral(") to ") %
                latestBackupPath());
    returnFreedMemory();
}

// One worker, so background runs are written one after another and never overlap.
QThreadPool& backupPool() {
    static QThreadPool* pool = [] {
        auto* p = new QThreadPool; // lives for the whole process
        p->setMaxThreadCount(1);
        p->setExpiryTimeout(-1);
        return p;
    }();
    return *pool;
}

} // namespace

ExperienceBackupRecord makeExperienceBackupRecord(const Experience& experience) {
    return {experience.role(),    experience.company(), experience.startDate(),
            experience.endDate(), experience.details(), experience.sortOrder()};
}

EducationBackupRecord makeEducationBackupRecord(const Education& education) {
    return {education.school(), education.degree(), education.year(), education.sortOrder()};
}

PortfolioBackupRecord makePortfolioBackupRecord(const PortfolioItem& item) {
    return {item.id(), item.caption(), item.sortOrder(), rawValue(item.orientation()), item.imageData()};
}

namespace {

// Portfolio images that the records have not read from the store file yet: read on the worker.
class StoredImages final {
public:
    explicit StoredImages(QString storeFilePath)
        : m_reader(std::move(storeFilePath)) {}

    bool defer(const PortfolioItem& item) { return m_reader.defer(item); }
    bool begin() { return m_reader.begin(); }
    const sql::Database& database() const { return m_reader.database(); }

    bool isDeferred(const QUuid& id) const { return m_reader.isDeferred(id); }
    // On the worker: a deferred image.
    Result<QByteArray> read(const QUuid& id) { return m_reader.read(id); }

private:
    StoredImageReader m_reader;
};

ResumeBackupRecord takeResumeRecord(const Resume& resume, StoredImages* stored) {
    ResumeBackupRecord record;
    record.title = resume.title();
    record.fullName = resume.fullName();
    record.contactInfo = resume.contactInfo();
    record.summary = resume.summary();
    record.titleSummary = resume.titleSummary();
    record.titleExperience = resume.titleExperience();
    record.titleEducation = resume.titleEducation();
    record.includeCoverLetter = resume.includeCoverLetter();
    record.coverLetterText = resume.coverLetterText();
    record.coverLetterJobPosting = resume.coverLetterJobPosting();
    record.coverLetterAIContext = resume.coverLetterAIContext();
    record.coverLetterLastGenerated = resume.coverLetterLastGenerated();
    record.includeATSVersion = resume.includeATSVersion();
    record.atsJobPosting = resume.atsJobPosting();
    record.atsGeneratedText = resume.atsGeneratedText();
    record.atsInsertedKeywords = resume.atsInsertedKeywords().value_or(QStringList());
    record.atsLastGenerated = resume.atsLastGenerated();
    record.fontName = resume.fontName();
    record.templateID = resume.templateID();
    record.lastEdited = resume.lastEdited();
    record.includeSkills = resume.includeSkills();
    record.suggestedSkills = resume.suggestedSkills();
    record.appliedSkills = resume.appliedSkills();
    record.morvessaRecordName = resume.morvessaRecordName();
    for (const ExperiencePtr& entry : sortedBySortOrder(resume.experienceItems()))
        record.experienceItems.append(makeExperienceBackupRecord(*entry));
    for (const EducationPtr& entry : sortedBySortOrder(resume.educationItems()))
        record.educationItems.append(makeEducationBackupRecord(*entry));
    for (const PortfolioItemPtr& item : sortedBySortOrder(resume.portfolioItems())) {
        if (stored && stored->defer(*item)) {
            record.portfolioItems.append(PortfolioBackupRecord{item->id(), item->caption(), item->sortOrder(),
                                                               rawValue(item->orientation()), std::nullopt});
        } else {
            record.portfolioItems.append(makePortfolioBackupRecord(*item));
        }
    }
    return record;
}

Result<ResumeBackupPayload> takePayload(ModelContext& context, const QString& reason, StoredImages* stored) {
    auto resumes = context.fetchResumes();
    if (!resumes)
        return Result<ResumeBackupPayload>::failure(resumes.error());
    ResumeBackupPayload payload;
    payload.generatedAt = QDateTime::currentDateTimeUtc();
    payload.reason = reason;
    payload.resumes.reserve(resumes->size());
    for (const ResumePtr& resume : std::as_const(*resumes))
        payload.resumes.append(takeResumeRecord(*resume, stored));
    return payload;
}

// One résumé of a backup and its place in creation order, which orders résumés edited at the
// same moment.
struct OrderedBackupRecord {
    ResumeBackupRecord record;
    qint64 creationOrder = 0;
};

// The résumés as the context holds them, taken one by one as they are written.
class ContextSource final : public RecordSource {
public:
    explicit ContextSource(QList<ResumePtr> resumes)
        : m_resumes(std::move(resumes)) {}
    std::optional<ResumeBackupRecord> next() override {
        if (m_next >= m_resumes.size())
            return std::nullopt;
        return takeResumeRecord(*m_resumes.at(m_next++), nullptr);
    }

private:
    QList<ResumePtr> m_resumes;
    qsizetype m_next = 0;
};

// On the worker: the résumés the caller took (those with unsaved changes) merged with every
// other stored one, newest lastEdited first and, for equal dates, the later created first, as
// fetchResumes() orders them. Only the order is read up front; each stored résumé is read with
// its entries and images through the snapshot's connection when its turn comes.
class StoreSource final : public RecordSource {
public:
    StoreSource(std::shared_ptr<StoredImages> stored, QList<OrderedBackupRecord> taken, QSet<qint64> skip)
        : m_stored(std::move(stored))
        , m_taken(std::move(taken))
        , m_skip(std::move(skip)) {}

    // Reads the order of the stored résumés; false (with status()) when the store cannot be read.
    bool prepare() {
        const sql::Database& db = m_stored->database();
        const EntityInfo& entity = Resume::entityInfo();
        auto keys =
            db.prepare(QStringLiteral("SELECT pk, \"") % entity.properties.at(Resume::LastEdited).name %
                       QStringLiteral("\" FROM \"") % entity.name % QLatin1Char('"'));
        if (!keys)
            return failed(keys.error());
        m_order.reserve(m_taken.size());
        for (qsizetype i = 0; i < m_taken.size(); ++i)
            m_order.push_back({m_taken.at(i).record.lastEdited, m_taken.at(i).creationOrder, i});
        while (keys->next()) {
            const qint64 key = keys->int64(0);
            // An unreadable date is reported when the résumé itself is read.
            if (!m_skip.contains(key))
                m_order.push_back({StoreCodec::decodeDate(keys->text(1)), key, -1});
        }
        if (!keys->error().isEmpty())
            return failed(keys->error());
        std::stable_sort(m_order.begin(), m_order.end(), [](const Place& a, const Place& b) {
            if (a.lastEdited != b.lastEdited)
                return a.lastEdited > b.lastEdited;
            return a.creationOrder > b.creationOrder;
        });

        auto resume = db.prepare(StoreCodec::selectResumes(QStringLiteral("pk = ?")));
        if (!resume)
            return failed(resume.error());
        m_resumeQuery = std::move(resume).value();
        for (const EntityInfo* kind : StoreCodec::entities()) {
            if (!StoreCodec::isEntry(*kind))
                continue;
            auto rows = db.prepare(StoreCodec::selectEntries(*kind, QStringLiteral("ownerPK = ?"), true));
            if (!rows)
                return failed(rows.error());
            m_entryQueries.push_back({kind, std::move(rows).value()});
        }
        return true;
    }

    std::optional<ResumeBackupRecord> next() override {
        if (!status())
            return std::nullopt;
        if (m_next >= m_order.size()) {
            close();
            return std::nullopt;
        }
        const Place& place = m_order.at(m_next++);
        if (place.taken >= 0)
            return takenRecord(m_taken[place.taken].record);
        return storedRecord(place.creationOrder);
    }

private:
    struct Place {
        QDateTime lastEdited;
        qint64 creationOrder = 0;
        qsizetype taken = -1; // index into m_taken, or -1 for a stored résumé (its key is creationOrder)
    };
    struct EntryQuery {
        const EntityInfo* entity;
        sql::Statement rows;
    };

    // Ends the read transaction once every résumé is read: the files are written without it.
    void close() {
        m_resumeQuery = sql::Statement();
        m_entryQueries.clear();
        m_stored.reset();
    }

    bool failed(const QString& error) {
        (void)fail(Status::failure(ErrorKind::storage, QStringLiteral("Could not read the store: ") + error));
        return false;
    }

    // A taken record, with the images it left in the store read now; handed over whole.
    std::optional<ResumeBackupRecord> takenRecord(ResumeBackupRecord& taken) {
        ResumeBackupRecord record = std::move(taken);
        for (PortfolioBackupRecord& item : record.portfolioItems) {
            if (!m_stored->isDeferred(item.id))
                continue;
            auto bytes = m_stored->read(item.id);
            if (!bytes)
                return fail(bytes.errorInfo());
            item.imageData = std::move(bytes).value();
        }
        return record;
    }

    std::optional<ResumeBackupRecord> storedRecord(qint64 key) {
        m_resumeQuery.reset();
        m_resumeQuery.bind(1, key);
        if (!m_resumeQuery.next()) {
            const QString error = m_resumeQuery.error();
            failed(error.isEmpty() ? QStringLiteral("a résumé's row is missing") : error);
            return std::nullopt;
        }
        auto read = StoreCodec::readResume(m_resumeQuery, false);
        m_resumeQuery.reset();
        if (!read) {
            failed(read.error());
            return std::nullopt;
        }
        Record& resume = **read;
        for (EntryQuery& query : m_entryQueries) {
            query.rows.reset();
            query.rows.bind(1, key);
            while (query.rows.next()) {
                auto entry = StoreCodec::readEntry(*query.entity, query.rows, true);
                if (!entry) {
                    query.rows.reset();
                    failed(entry.error());
                    return std::nullopt;
                }
                StoreCodec::attachEntry(resume, *entry);
            }
            const QString error = query.rows.error();
            query.rows.reset();
            if (!error.isEmpty()) {
                failed(error);
                return std::nullopt;
            }
        }
        return takeResumeRecord(static_cast<const Resume&>(resume), nullptr);
    }

    std::shared_ptr<StoredImages> m_stored;
    QList<OrderedBackupRecord> m_taken;
    QSet<qint64> m_skip;
    std::vector<Place> m_order;
    size_t m_next = 0;
    sql::Statement m_resumeQuery;
    std::vector<EntryQuery> m_entryQueries;
};

} // namespace

ResumeBackupRecord makeResumeBackupRecord(const Resume& resume) {
    return takeResumeRecord(resume, nullptr);
}

Result<ResumeBackupPayload> makeResumeBackupPayload(ModelContext& context, const QString& reason) {
    return takePayload(context, reason, nullptr);
}

QByteArray encodeUserBackup(const ResumeBackupPayload& payload) {
    QByteArray out;
    out.reserve(estimatedSize(payload));
    PrettyJsonWriter w(out);
    PayloadSource source(payload.resumes);
    writePayload(w, payload.generatedAt, payload.reason, source);
    return out;
}

namespace {

enum class BackupDocument { foreign, withoutResumes, withResumes };

// A file's identity and version: the same file, unchanged since.
struct FileVersion final {
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNanoseconds = 0;
    bool operator==(const FileVersion&) const = default;
};

std::optional<FileVersion> versionOf(int fd) {
    struct stat info {};
    if (::fstat(fd, &info) != 0)
        return std::nullopt;
    return FileVersion{info.st_dev, info.st_ino, info.st_size,
                       qint64(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

// The backups this process wrote or read through, as they were then: they need not be read again.
class WholeBackups final {
public:
    bool contains(const FileVersion& version) {
        const std::lock_guard lock(m_mutex);
        return std::find(m_known.begin(), m_known.end(), version) != m_known.end();
    }
    void add(const FileVersion& version) {
        const std::lock_guard lock(m_mutex);
        if (std::find(m_known.begin(), m_known.end(), version) != m_known.end())
            return;
        if (m_known.size() >= 32) // more than the backups kept
            m_known.erase(m_known.begin());
        m_known.push_back(version);
    }

private:
    std::mutex m_mutex;
    std::vector<FileVersion> m_known;
};

WholeBackups& wholeBackups() {
    static WholeBackups known;
    return known;
}

// Whether the whole file is one JSON document, read a megabyte at a time.
bool readsWhole(const files::ReadOnlyFile& file) {
    if (file.size() > JsonSyntaxCheck::largestDocument)
        return false; // the reader refuses it whole, whatever it holds
    constexpr qsizetype kChunk = 1 << 20;
    JsonSyntaxCheck check;
    for (qint64 offset = 0;; offset += kChunk) {
        const std::optional<QByteArray> bytes = file.read(offset, kChunk);
        if (!bytes || !check.feed(bytes->constData(), bytes->size()))
            return false;
        if (bytes->size() < kChunk)
            return check.finish();
    }
}

// What a file in Backups holds, judged by its beginning and its end, as this app writes every
// backup: pretty-printed with sorted keys, so the document opens with "generatedAt", "reason" and
// "resumes" and each résumé with "appliedSkills", and it is whole (written under another name and
// renamed), so it closes the list and the object. The file is opened without following a link
// and without waiting for a writer, and read only when it is a regular file. With `whole`, a
// document with résumés counts as such only when all of it reads as JSON: a file damaged in the
// middle keeps its beginning and end.
BackupDocument inspectUserBackup(const QString& path, bool whole = false) {
    const files::ReadOnlyFile file(path);
    if (!file.isOpen() || file.size() <= 0)
        return BackupDocument::foreign;
    constexpr qsizetype kHead = 4096;
    constexpr qsizetype kTail = 256;
    const QString head = QString::fromUtf8(file.read(0, kHead).value_or(QByteArray()));
    const QString tail =
        QString::fromUtf8(file.read(std::max<qint64>(0, file.size() - kTail), kTail).value_or(QByteArray()));
    static const QRegularExpression opening(QStringLiteral(
        R"(^\{\s*"generatedAt"\s*:\s*"[0-9T:.+\-Z]{10,40}"\s*,\s*"reason"\s*:\s*"(?:[^"\\]|\\.)*"\s*,)"
        R"(\s*"resumes"\s*:\s*\[\s*(\]|\{\s*"appliedSkills"\s*:))"));
    static const QRegularExpression closing(QStringLiteral(R"(\]\s*\}\s*$)"));
    const QRegularExpressionMatch match = opening.match(head);
    if (!match.hasMatch() || !closing.match(tail).hasMatch())
        return BackupDocument::foreign;
    if (match.captured(1) == QLatin1String("]"))
        return BackupDocument::withoutResumes;
    if (whole) {
        const std::optional<FileVersion> version = versionOf(file.descriptor());
        if (!version || !wholeBackups().contains(*version)) {
            if (!readsWhole(file))
                return BackupDocument::foreign;
            if (version)
                wholeBackups().add(*version);
        }
    }
    return BackupDocument::withResumes;
}

// A backup this process has just written whole (its time-stamped copy is the same file).
void rememberWhole(const QString& path) {
    const files::ReadOnlyFile file(path);
    if (const std::optional<FileVersion> version =
            file.isOpen() ? versionOf(file.descriptor()) : std::nullopt)
        wholeBackups().add(*version);
}

bool isUserBackupName(const QString& name) {
    return name.startsWith(QLatin1String("resume-backup-")) && name.endsWith(QLatin1String(".json"));
}

} // namespace

bool isUserBackupFile(const QString& path) {
    const auto entry = backupEntryAt(path);
    return entry && entry->type == BackupEntry::Type::file && isUserBackupName(entry->name) &&
           inspectUserBackup(path) != BackupDocument::foreign;
}

bool userBackupHoldsResumes(const QFileInfo& backup) {
    const QString path = backup.absoluteFilePath();
    const auto entry = backupEntryAt(path);
    return entry && entry->type == BackupEntry::Type::file && isUserBackupName(entry->name) &&
           inspectUserBackup(path, true) == BackupDocument::withResumes;
}

Status pruneUserBackups(int keep) {
    return pruneBackupEntries(
        [](const BackupEntry& entry) { return isUserBackupFile(entry.path); }, keep,
        [](const BackupEntry& entry) { return userBackupHoldsResumes(QFileInfo(entry.path)); });
}

void writeUserBackup(ModelContext& context, const QString& reason, qint64 largest) {
    waitForUserBackups(); // a queued background run finishes first, so runs never overlap
    auto resumes = context.fetchResumes();
    if (!resumes) {
        logFailure(reason, resumes.error());
        return;
    }
    const QDateTime generatedAt = QDateTime::currentDateTimeUtc();
    ContextSource source(std::move(resumes).value());
    writeAndReport(generatedAt, reason, source, largest);
}

void writeUserBackupInBackground(ModelContext& context, const QString& reason, const QString& storeFilePath) {
    auto stored = std::make_shared<StoredImages>(storeFilePath);
    if (stored->begin()) {
        // Only what the store file does not hold yet is copied here; the worker reads the rest
        // through the read-only connection, whose transaction shows the committed state of this
        // moment, so the two parts fit together whatever is saved meanwhile.
        const ModelContext::UnsavedResumes unsaved = context.unsavedResumes();
        QList<OrderedBackupRecord> taken;
        taken.reserve(unsaved.resumes.size());
        for (const auto& [resume, creationOrder] : unsaved.resumes)
            taken.append({takeResumeRecord(*resume, stored.get()), creationOrder});
        (void)QtConcurrent::run(&backupPool(),
                                [taken = std::move(taken), skip = unsaved.replacedKeys, stored, reason,
                                 generatedAt = QDateTime::currentDateTimeUtc()]() mutable {
                                    StoreSource source(std::move(stored), std::move(taken), std::move(skip));
                                    if (!source.prepare()) {
                                        logFailure(reason, source.status().error());
                                        return;
                                    }
                                    writeAndReport(generatedAt, reason, source);
                                });
        return;
    }
    // An in-memory store, or a file that cannot be read a second way: everything is taken here.
    auto payload = takePayload(context, reason, nullptr);
    if (!payload) {
        logFailure(reason, payload.error());
        return;
    }
    (void)QtConcurrent::run(&backupPool(), [payload = std::move(payload).value()] {
        PayloadSource source(payload.resumes);
        writeAndReport(payload.generatedAt, payload.reason, source);
    });
}

void waitForUserBackups() {
    backupPool().waitForDone();
}

} // namespace quillora
