#include "store/store_location.h"

#include "platform/log.h"
#include "store/store_files.h"
#include "store/store_snapshots.h"

#include <QFileInfo>
#include <QStandardPaths>

namespace quillora {

QString applicationSupportURL() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
}

QString storeDirectoryURL() {
    return applicationSupportURL() + QStringLiteral("/QuilloraStore");
}

QString backupsDirectoryURL() {
    return storeDirectoryURL() + QStringLiteral("/Backups");
}

QString storeFileName() {
    return QStringLiteral("default.store");
}

QString storeFileURL() {
    return storeDirectoryURL() + QLatin1Char('/') + storeFileName();
}

QStringList storeFileURLs() {
    // The names SQLite gives the files it keeps beside a database in write-ahead-log mode.
    const QString store = storeFileURL();
    return {store, store + QStringLiteral("-shm"), store + QStringLiteral("-wal")};
}

Status ensureStoreDirectory() {
    if (applicationSupportURL().isEmpty())
        return Status::failure(QStringLiteral("No folder for application data is available (is HOME set?)."));
    if (auto made = files::makeDirectoryPath(storeDirectoryURL()); !made)
        return made;
    return files::makeDirectoryPath(backupsDirectoryURL());
}

void logStoreFiles(const QString& reason) {
    logLine(QStringLiteral("📦 SwiftData store (") % reason % QStringLiteral("): ") % storeFileURL());
    for (const QString& path : storeFileURLs()) {
        const QFileInfo info(path);
        logLine(QStringLiteral("📦 Store file ") % info.fileName() % QStringLiteral(": ") %
                (files::existsAt(path) ? QStringLiteral("present") : QStringLiteral("missing")));
    }
}

void runLaunchPreflight() {
    const QString reason = QStringLiteral("launch-preflight");
    Status status = ensureStoreDirectory();
    if (status) {
        logStoreFiles(reason);
        status = captureStoreSnapshot(reason);
    }
    if (!status)
        logLine(QStringLiteral("⚠️ Persistence preflight failed: ") + status.error());
}

} // namespace quillora
