#include "store/user_backup.h"

#include "platform/log.h"
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
#include <QRegularExpression>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <functional>
#include <vector>

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

void writePayload(PrettyJsonWriter& w, const ResumeBackupPayload& payload) {
    w.object({
        {"generatedAt", [&] { writeDate(w, payload.generatedAt); }},
        {"reason", [&] { w.string(payload.reason); }},
        {"resumes", [&] { w.array(payload.resumes, [&](const auto& r) { writeResume(w, r); }); }},
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

// Writes the document to a temporary file that replaces `path` only once it is complete.
Status writeDocument(const QString& path, const ResumeBackupPayload& payload) {
    files::AtomicFileWriter file(path);
    if (auto opened = file.open(); !opened)
        return opened;
    QByteArray buffer;
    buffer.reserve((1 << 20) + (1 << 14));
    PrettyJsonWriter w(buffer, file.device());
    writePayload(w, payload);
    (void)w.finish(); // a failed write is reported by commit()
    return file.commit();
}

// The time-stamped copy holds the same bytes as the latest backup. The latest file is only
// ever replaced, never changed in place, so a second name for it is a faithful copy and
// saves writing a large document twice; it goes in under a temporary name and is renamed
// over any copy of the same second. Where links are not possible the document is written again.
Status placeTimeStampedCopy(const QString& latest, const QString& stamped,
                            const ResumeBackupPayload& payload) {
    const QString temporary = backupsDirectoryURL() % QStringLiteral("/.") % QFileInfo(stamped).fileName() %
                              QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    const QByteArray nativeTemporary = QFile::encodeName(temporary);
    ::unlink(nativeTemporary.constData());
    if (::link(QFile::encodeName(latest).constData(), nativeTemporary.constData()) != 0)
        return writeDocument(stamped, payload);
    if (::rename(nativeTemporary.constData(), QFile::encodeName(stamped).constData()) != 0) {
        const int error = errno;
        ::unlink(nativeTemporary.constData());
        return Status::failure(QStringLiteral("Could not write “") % stamped % QStringLiteral("”: ") %
                               QString::fromLocal8Bit(std::strerror(error)));
    }
    return success();
}

Status writeBackupFiles(const ResumeBackupPayload& payload) {
    if (auto made = ensureStoreDirectory(); !made)
        return made;
    const QString latest = latestBackupPath();
    if (auto written = writeDocument(latest, payload); !written)
        return written;
    const QString stamped = backupsDirectoryURL() % QStringLiteral("/resume-backup-") % backupTimestamp() %
                            QStringLiteral(".json");
    if (auto written = placeTimeStampedCopy(latest, stamped, payload); !written)
        return written;
    return pruneUserBackups(kKeptBackups);
}

void logFailure(const QString& reason, const QString& error) {
    logLine(QStringLiteral("⚠️ Failed to write user backup (") % reason % QStringLiteral("): ") % error);
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

    // On the worker: fills in the deferred images.
    Status readInto(ResumeBackupPayload& payload) {
        if (!m_reader.hasDeferred())
            return success();
        for (ResumeBackupRecord& resume : payload.resumes) {
            for (PortfolioBackupRecord& item : resume.portfolioItems) {
                if (!m_reader.isDeferred(item.id))
                    continue;
                auto bytes = m_reader.read(item.id);
                if (!bytes)
                    return bytes.errorInfo();
                item.imageData = std::move(bytes).value();
            }
        }
        return success();
    }

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

// On the worker: every stored résumé except those in `skip`, with its entries and images, read
// through the snapshot's connection one résumé at a time.
Status readStoredResumes(const sql::Database& db, const QSet<qint64>& skip, QList<OrderedBackupRecord>& out) {
    const auto failed = [](const QString& error) {
        return Status::failure(ErrorKind::storage, QStringLiteral("Could not read the store: ") + error);
    };
    auto resumes = db.prepare(StoreCodec::selectResumes() + QStringLiteral(" ORDER BY pk"));
    if (!resumes)
        return failed(resumes.error());
    struct Cursor {
        const EntityInfo* entity;
        sql::Statement rows;
        bool hasRow = false;
    };
    std::vector<Cursor> cursors;
    for (const EntityInfo* entity : StoreCodec::entities()) {
        if (!StoreCodec::isEntry(*entity))
            continue;
        auto rows =
            db.prepare(StoreCodec::selectEntries(*entity, QStringLiteral("ownerPK IS NOT NULL"), true));
        if (!rows)
            return failed(rows.error());
        cursors.push_back({entity, std::move(rows).value()});
        cursors.back().hasRow = cursors.back().rows.next();
    }
    while (resumes->next()) {
        const qint64 key = resumes->int64(0);
        const bool wanted = !skip.contains(key);
        std::shared_ptr<Record> resume;
        if (wanted) {
            auto read = StoreCodec::readResume(*resumes, false);
            if (!read)
                return failed(read.error());
            resume = std::move(read).value();
        }
        // Entries come ordered by owner; those of skipped or missing owners are passed over.
        for (Cursor& cursor : cursors) {
            while (cursor.hasRow && StoreCodec::ownerKeyOf(cursor.rows) <= key) {
                if (resume && StoreCodec::ownerKeyOf(cursor.rows) == key) {
                    auto entry = StoreCodec::readEntry(*cursor.entity, cursor.rows, true);
                    if (!entry)
                        return failed(entry.error());
                    StoreCodec::attachEntry(*resume, *entry);
                }
                cursor.hasRow = cursor.rows.next();
            }
            if (!cursor.rows.error().isEmpty())
                return failed(cursor.rows.error());
        }
        if (resume)
            out.append({takeResumeRecord(static_cast<const Resume&>(*resume), nullptr), key});
    }
    if (!resumes->error().isEmpty())
        return failed(resumes->error());
    return success();
}

// Newest lastEdited first; for equal dates the later created first, as fetchResumes() orders.
QList<ResumeBackupRecord> newestFirst(QList<OrderedBackupRecord> records) {
    std::stable_sort(records.begin(), records.end(),
                     [](const OrderedBackupRecord& a, const OrderedBackupRecord& b) {
                         if (a.record.lastEdited != b.record.lastEdited)
                             return a.record.lastEdited > b.record.lastEdited;
                         return a.creationOrder > b.creationOrder;
                     });
    QList<ResumeBackupRecord> sorted;
    sorted.reserve(records.size());
    for (OrderedBackupRecord& r : records)
        sorted.append(std::move(r.record));
    return sorted;
}

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
    writePayload(w, payload);
    return out;
}

bool userBackupHoldsResumes(const QFileInfo& backup) {
    // "resumes" is the document's last key, so an empty list shows at its very end.
    QFile file(backup.absoluteFilePath());
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const qint64 size = file.size();
    if (size == 0 || !file.seek(std::max<qint64>(0, size - 256)))
        return false;
    const QByteArray tail = file.read(256);
    static const QRegularExpression emptyList(QStringLiteral("\"resumes\"\\s*:\\s*\\[\\s*\\]\\s*\\}\\s*$"));
    return tail.trimmed().endsWith('}') && !emptyList.match(QString::fromUtf8(tail)).hasMatch();
}

Status pruneUserBackups(int keep) {
    return pruneBackupEntries(
        [](const QFileInfo& info) {
            return info.suffix() == QLatin1String("json") &&
                   info.fileName().startsWith(QLatin1String("resume-backup-"));
        },
        keep, userBackupHoldsResumes);
}

void writeUserBackupPayload(const ResumeBackupPayload& payload) {
    if (auto written = writeBackupFiles(payload); !written) {
        logFailure(payload.reason, written.error());
        return;
    }
    logLine(QStringLiteral("🛟 User backup written (") % payload.reason % QStringLiteral(") to ") %
            latestBackupPath());
}

void writeUserBackup(ModelContext& context, const QString& reason) {
    waitForUserBackups(); // a queued background run finishes first, so runs never overlap
    auto payload = makeResumeBackupPayload(context, reason);
    if (!payload) {
        logFailure(reason, payload.error());
        return;
    }
    writeUserBackupPayload(*payload);
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
        (void)QtConcurrent::run(&backupPool(), [taken = std::move(taken), skip = unsaved.replacedKeys, stored,
                                                reason,
                                                generatedAt = QDateTime::currentDateTimeUtc()]() mutable {
            ResumeBackupPayload payload;
            payload.generatedAt = generatedAt;
            payload.reason = reason;
            if (auto read = readStoredResumes(stored->database(), skip, taken); !read) {
                logFailure(reason, read.error());
                return;
            }
            payload.resumes = newestFirst(std::move(taken));
            if (auto read = stored->readInto(payload); !read) {
                logFailure(reason, read.error());
                return;
            }
            stored.reset(); // ends the read transaction before the files are written
            writeUserBackupPayload(payload);
        });
        return;
    }
    // An in-memory store, or a file that cannot be read a second way: everything is taken here.
    auto payload = takePayload(context, reason, stored.get());
    if (!payload) {
        logFailure(reason, payload.error());
        return;
    }
    (void)QtConcurrent::run(&backupPool(), [payload = std::move(payload).value(), stored]() mutable {
        if (auto read = stored->readInto(payload); !read) {
            logFailure(payload.reason, read.error());
            return;
        }
        stored.reset(); // ends the read transaction before the files are written
        writeUserBackupPayload(payload);
    });
}

void waitForUserBackups() {
    backupPool().waitForDone();
}

} // namespace quillora
