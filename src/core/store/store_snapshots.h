#pragma once

#include "platform/result.h"

#include <QFileInfo>
#include <QString>

#include <functional>

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

// Removes every entry of "Backups" whose name begins with "store-", except the newest `keep`.
Status pruneStoreSnapshots(int keep);

// Shared by both prunings: lists "Backups" (hidden entries skipped), keeps the newest `keep`
// of the entries that `isCandidate` accepts and removes the rest. A removal that fails is
// skipped; only a folder that cannot be listed is an error.
Status pruneBackupEntries(const std::function<bool(const QFileInfo&)>& isCandidate, int keep);
// The same in another folder.
Status pruneBackupEntries(const QString& folder, const std::function<bool(const QFileInfo&)>& isCandidate,
                          int keep);

} // namespace quillora
