#pragma once

#include "platform/result.h"

#include <QString>
#include <QStringList>

namespace quillora {

// Where the store lives:
//   <Application Support>/QuilloraStore/default.store (+ the two files SQLite writes beside it)
//   <Application Support>/QuilloraStore/Backups/      (store snapshots and JSON user backups)
// Every location is computed afresh on each call and given as an absolute file-system path.

// The user's data directory (XDG_DATA_HOME, normally ~/.local/share); empty when there is none.
QString applicationSupportURL();
QString storeDirectoryURL();
QString backupsDirectoryURL();

// The store file's name, used both to open the store and to find its files.
QString storeFileName();
QString storeFileURL();
// Always three entries: the store file, then the shared-memory and the write-ahead-log files
// that SQLite keeps beside it, whether they exist or not.
QStringList storeFileURLs();

// Creates the store directory and "Backups" inside it, with any missing parents. Folders that
// already exist are fine. The error names the folder and why it could not be made.
Status ensureStoreDirectory();

// Prints where the store is and whether each of its files is present.
void logStoreFiles(const QString& reason);

// Start-up check before the store is opened: makes the folders, lists the store files and
// snapshots them. Failures are printed, never returned.
void runLaunchPreflight();

} // namespace quillora
