#include "store/store_snapshots.h"

#include "platform/log.h"
#include "store/store_files.h"
#include "store/store_location.h"

#include <QDateTime>
#include <QDir>
#include <QRegularExpression>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>

#include <sys/stat.h>
#include <unistd.h>

namespace quillora {

namespace {

// Strictly later; a date that could not be read counts as the distant past.
bool isLater(const QDateTime& first, const QDateTime& second) {
    if (!first.isValid())
        return false;
    return !second.isValid() || first > second;
}

bool snapshotHolds(const BackupEntry& entry) {
    return snapshotHoldsResumes(QFileInfo(entry.path));
}

} // namespace

QString backupTimestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

bool isNewerByModificationDate(const QString& first, const QString& second) {
    return isLater(QFileInfo(first).lastModified(), QFileInfo(second).lastModified());
}

std::optional<BackupEntry> backupEntryAt(const QString& path) {
    struct stat info {};
    if (::lstat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    BackupEntry entry;
    entry.path = path;
    entry.name = QFileInfo(path).fileName();
    entry.type = S_ISREG(info.st_mode)   ? BackupEntry::Type::file
                 : S_ISDIR(info.st_mode) ? BackupEntry::Type::folder
                                         : BackupEntry::Type::other;
    entry.modified =
        QDateTime::fromMSecsSinceEpoch(qint64(info.st_mtim.tv_sec) * 1000 + info.st_mtim.tv_nsec / 1'000'000);
    return entry;
}

namespace {

// Everything in a folder, hidden entries included.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                                  QDir::Unsorted);
}

// A file by its name, never what a link there leads to; a folder by its regular files and then
// itself, which fails, leaving it, when anything else is in it.
void removeBackupEntry(const BackupEntry& entry) {
    if (entry.type == BackupEntry::Type::file) {
        (void)::unlink(QFile::encodeName(entry.path).constData());
        return;
    }
    for (const QString& name : namesIn(entry.path)) {
        const auto inside = backupEntryAt(entry.path + QLatin1Char('/') + name);
        if (inside && inside->type == BackupEntry::Type::file)
            (void)::unlink(QFile::encodeName(inside->path).constData());
    }
    (void)::rmdir(QFile::encodeName(entry.path).constData());
}

} // namespace

Status pruneBackupEntries(const BackupEntryTest& isCandidate, int keep, const BackupEntryTest& holdsResumes) {
    return pruneBackupEntries(backupsDirectoryURL(), isCandidate, keep, holdsResumes);
}

Status pruneBackupEntries(const QString& folder, const BackupEntryTest& isCandidate, int keep,
                          const BackupEntryTest& holdsResumes) {
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isReadable())
        return Status::failure(QStringLiteral("Could not list the folder “") % folder % QStringLiteral("”."));

    // Only what is ours is counted and pruned: a link, a pipe or a device is never opened, and a
    // file or folder the test does not recognise stays as it is.
    QList<BackupEntry> candidates;
    const QStringList names =
        QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Unsorted);
    for (const QString& name : names) {
        const auto entry = backupEntryAt(folder + QLatin1Char('/') + name);
        if (entry && entry->type != BackupEntry::Type::other && isCandidate(*entry))
            candidates.append(*entry);
    }
    std::stable_sort(candidates.begin(), candidates.end(), [](const BackupEntry& a, const BackupEntry& b) {
        return isLater(a.modified, b.modified);
    });
    const qsizetype kept = std::max(keep, 0);
    if (kept >= candidates.size())
        return success();
    // The newest candidate with résumés in it stays, wherever it stands.
    qsizetype spared = -1;
    if (holdsResumes) {
        for (qsizetype i = 0; i < candidates.size(); ++i) {
            if (holdsResumes(candidates.at(i))) {
                spared = i;
                break;
            }
        }
    }
    for (qsizetype i = kept; i < candidates.size(); ++i) {
        if (i != spared)
            removeBackupEntry(candidates.at(i)); // a failure is left for the next run
    }
    return success();
}

namespace {

// A real folder named "store-" with the time stamp and a reason, holding nothing but copies of
// the store file named `store` and its two side files (all regular files), or nothing at all.
bool isSnapshotFolderOf(const BackupEntry& entry, const QString& store) {
    static const QRegularExpression name(QStringLiteral("^store-[0-9]{8}-[0-9]{6}-."));
    if (entry.type != BackupEntry::Type::folder || !name.match(entry.name).hasMatch())
        return false;
    const QStringList copies{store, store + QStringLiteral("-shm"), store + QStringLiteral("-wal")};
    for (const QString& inside : namesIn(entry.path)) {
        const auto file = backupEntryAt(entry.path + QLatin1Char('/') + inside);
        if (!file || file->type != BackupEntry::Type::file || !copies.contains(inside))
            return false;
    }
    return true;
}

bool snapshotOfHoldsResumes(const QString& folder, const QString& storeName) {
    const auto entry = backupEntryAt(folder);
    if (!entry || !isSnapshotFolderOf(*entry, storeName))
        return false;
    const QString store = folder + QLatin1Char('/') + storeName;
    const QFileInfo log(store + QStringLiteral("-wal"));
    if (log.exists() && log.size() > 0)
        return true;
    if (!QFileInfo(store).isFile() || QFileInfo(store).size() == 0)
        return false;
    // Immutable: SQLite neither locks nor writes anything beside the file.
    sqlite3* db = nullptr;
    const QByteArray uri = QStringLiteral("file:%1?immutable=1")
                               .arg(QString::fromUtf8(QUrl::toPercentEncoding(store, "/")))
                               .toUtf8();
    bool holds = false;
    if (sqlite3_open_v2(uri.constData(), &db, SQLITE_OPEN_READONLY | SQLITE_OPEN_URI, nullptr) == SQLITE_OK) {
        sqlite3_stmt* stmt = nullptr;
        if (sqlite3_prepare_v2(db, "SELECT EXISTS (SELECT 1 FROM \"Resume\")", -1, &stmt, nullptr) ==
                SQLITE_OK &&
            sqlite3_step(stmt) == SQLITE_ROW)
            holds = sqlite3_column_int(stmt, 0) != 0;
        sqlite3_finalize(stmt);
    }
    sqlite3_close(db);
    return holds;
}

} // namespace

bool isStoreSnapshotFolder(const BackupEntry& entry) {
    return isSnapshotFolderOf(entry, storeFileName());
}

bool snapshotHoldsResumes(const QFileInfo& snapshot) {
    return snapshotOfHoldsResumes(snapshot.absoluteFilePath(), storeFileName());
}

Status pruneStoreSnapshots(int keep) {
    return pruneBackupEntries(isStoreSnapshotFolder, keep, snapshotHolds);
}

Status captureStoreSnapshot(const QString& reason) {
    if (auto captured = captureStoreSnapshotOf(storeFileURL(), reason); !captured)
        return captured.errorInfo();
    return success();
}

Result<QString> captureStoreSnapshotOf(const QString& storeFilePath, const QString& reason) {
    QStringList present;
    for (const QString& path : QStringList{storeFilePath, storeFilePath + QStringLiteral("-shm"),
                                           storeFilePath + QStringLiteral("-wal")}) {
        if (files::existsAt(path))
            present.append(path);
    }
    if (present.isEmpty())
        return QString();

    const QString backups = QFileInfo(storeFilePath).absolutePath() + QStringLiteral("/Backups");
    const QString folder =
        backups % QStringLiteral("/store-") % backupTimestamp() % QLatin1Char('-') % reason;
    const bool folderIsNew = !files::existsAt(folder);
    if (auto made = files::makeDirectoryPath(folder); !made)
        return made.errorInfo();
    // A snapshot that could not be completed is no snapshot: a folder made for it goes again, so
    // it neither misleads anyone nor pushes a good snapshot out of the five kept.
    const auto abandon = [&](const Status& failure) {
        if (folderIsNew)
            (void)files::removeItem(folder);
        return failure.errorInfo();
    };
    for (const QString& path : std::as_const(present)) {
        const QString destination = folder + QLatin1Char('/') + QFileInfo(path).fileName();
        if (files::existsAt(destination)) {
            if (auto removed = files::removeItem(destination); !removed)
                return abandon(removed);
        }
        if (auto copied = files::copyItem(path, destination); !copied)
            return abandon(copied);
    }
    // Only snapshots of this store file count, and are pruned.
    const QString storeName = QFileInfo(storeFilePath).fileName();
    const auto isSnapshot = [&storeName](const BackupEntry& entry) {
        return isSnapshotFolderOf(entry, storeName);
    };
    const auto holds = [&storeName](const BackupEntry& entry) {
        return snapshotOfHoldsResumes(entry.path, storeName);
    };
    if (auto pruned = pruneBackupEntries(backups, isSnapshot, 5, holds); !pruned)
        return pruned.errorInfo();
    logLine(QStringLiteral("🛟 Store-file backup captured at ") + folder);
    return folder;
}

} // namespace quillora
