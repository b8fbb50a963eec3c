#include "store/store_snapshots.h"

#include "platform/log.h"
#include "store/store_files.h"
#include "store/store_location.h"

#include <QDateTime>
#include <QDir>
#include <QUrl>

#include <sqlite3.h>

#include <algorithm>

namespace quillora {

namespace {

// Strictly later; a date that could not be read counts as the distant past.
bool isLater(const QDateTime& first, const QDateTime& second) {
    if (!first.isValid())
        return false;
    return !second.isValid() || first > second;
}

} // namespace

QString backupTimestamp() {
    return QDateTime::currentDateTime().toString(QStringLiteral("yyyyMMdd-HHmmss"));
}

bool isNewerByModificationDate(const QString& first, const QString& second) {
    return isLater(QFileInfo(first).lastModified(), QFileInfo(second).lastModified());
}

Status pruneBackupEntries(const BackupEntryTest& isCandidate, int keep, const BackupEntryTest& holdsResumes) {
    return pruneBackupEntries(backupsDirectoryURL(), isCandidate, keep, holdsResumes);
}

Status pruneBackupEntries(const QString& folder, const BackupEntryTest& isCandidate, int keep,
                          const BackupEntryTest& holdsResumes) {
    const QFileInfo folderInfo(folder);
    if (!folderInfo.isDir() || !folderInfo.isReadable())
        return Status::failure(QStringLiteral("Could not list the folder “") % folder % QStringLiteral("”."));

    struct Entry {
        QFileInfo info;
        QDateTime modified;
    };
    QList<Entry> candidates;
    const auto listing =
        QDir(folder).entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::System, QDir::Unsorted);
    for (const QFileInfo& info : listing) {
        if (isCandidate(info))
            candidates.append({info, info.lastModified()});
    }
    std::stable_sort(candidates.begin(), candidates.end(),
                     [](const Entry& a, const Entry& b) { return isLater(a.modified, b.modified); });
    const qsizetype kept = std::max(keep, 0);
    if (kept >= candidates.size())
        return success();
    // The newest candidate with résumés in it stays, wherever it stands.
    qsizetype spared = -1;
    if (holdsResumes) {
        for (qsizetype i = 0; i < candidates.size(); ++i) {
            if (holdsResumes(candidates.at(i).info)) {
                spared = i;
                break;
            }
        }
    }
    for (qsizetype i = kept; i < candidates.size(); ++i) {
        if (i != spared)
            (void)files::removeItem(candidates.at(i).info.absoluteFilePath()); // the next run tries again
    }
    return success();
}

bool snapshotHoldsResumes(const QFileInfo& snapshot) {
    if (!snapshot.isDir())
        return false;
    const QString store = snapshot.absoluteFilePath() + QLatin1Char('/') + storeFileName();
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

Status pruneStoreSnapshots(int keep) {
    return pruneBackupEntries(
        [](const QFileInfo& info) { return info.fileName().startsWith(QLatin1String("store-")); }, keep,
        snapshotHoldsResumes);
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
    const auto isSnapshot = [](const QFileInfo& info) {
        return info.fileName().startsWith(QLatin1String("store-"));
    };
    if (auto pruned = pruneBackupEntries(backups, isSnapshot, 5, snapshotHoldsResumes); !pruned)
        return pruned.errorInfo();
    logLine(QStringLiteral("🛟 Store-file backup captured at ") + folder);
    return folder;
}

} // namespace quillora
