#pragma once

#include "platform/result.h"

#include <QDateTime>
#include <QFileInfo>
#include <QString>

#include <functional>
#include <optional>

namespace quillora {

// Local time in whole seconds as "yyyyMMdd-HHmmss", used in snapshot and backup names.
QString backupTimestamp();

// True when the first path was modified strictly later than the second. A path whose date
// cannot be read counts as older than any other.
bool isNewerByModificationDate(const QString& first, const QString& second);

// Copies the store files that exist into Backups/store-<timestamp>-<reason>/ and keeps the
// newest five snapshots. Does nothing when no store file exists yet.
Status captureStoreSnapshot(const QString& reason);
// The same for the store file at `storeFilePath` (and the two files SQLite keeps beside it),
// into the "Backups" folder beside it. Returns the snapshot's folder (empty when no file exists).
Result<QString> captureStoreSnapshotOf(const QString& storeFilePath, const QString& reason);

// Removes the store snapshots in "Backups" (see isStoreSnapshotFolder) except the newest `keep`
// and the newest one that holds a résumé.
Status pruneStoreSnapshots(int keep);

// An entry of a backups folder as pruning sees it: its type and date read without following a
// link and without opening it.
struct BackupEntry final {
    enum class Type { file, folder, other };
    QString name;
    QString path;
    Type type = Type::other;
    QDateTime modified;
};
// The entry at `path`, or nothing when nothing is there.
std::optional<BackupEntry> backupEntryAt(const QString& path);

using BackupEntryTest = std::function<bool(const BackupEntry&)>;

// Shared by both prunings: lists "Backups" (hidden entries skipped), keeps the newest `keep`
// of the entries that `isCandidate` accepts and removes the rest. With `holdsResumes`, the newest
// candidate that holds at least one résumé is kept too, however old it is: a run of launches over
// an emptied store never removes the last copy of the user's résumés. Entries that `isCandidate`
// refuses are neither counted nor removed; it is asked only of regular files and real folders,
// never of links, pipes or devices. A file is removed by its name; a folder by its regular files
// and then itself, so whatever else turns up in it meanwhile stays. A removal that fails is
// skipped; only a folder that cannot be listed is an error.
Status pruneBackupEntries(const BackupEntryTest& isCandidate, int keep,
                          const BackupEntryTest& holdsResumes = {});
// The same in another folder.
Status pruneBackupEntries(const QString& folder, const BackupEntryTest& isCandidate, int keep,
                          const BackupEntryTest& holdsResumes = {});

// True when `entry` is a snapshot this app took: a real folder named "store-" with the time stamp
// and a reason, holding nothing but copies of the store file ("default.store") and the two files
// SQLite keeps beside it, by those names (all regular files), or nothing at all. A folder with
// anything else in it is the user's. (A snapshot of a store file of another name is recognised by
// that name when it is taken.)
bool isStoreSnapshotFolder(const BackupEntry& entry);

// True when a store snapshot (a "store-…" folder) holds at least one résumé. Reads the copied
// store without changing anything; a snapshot whose write-ahead log holds data counts as holding
// résumés, since only SQLite could tell. False for anything that is not a snapshot of ours.
bool snapshotHoldsResumes(const QFileInfo& snapshot);

} // namespace quillora
