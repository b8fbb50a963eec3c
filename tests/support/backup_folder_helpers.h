#pragma once

#include "store/store_location.h"
#include "store/user_backup.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <fcntl.h>
#include <sys/stat.h>

namespace quillora::test {

// Gives a file or folder the modification date `secondsAgo` seconds in the past.
inline bool setModifiedSecondsAgo(const QString& path, qint64 secondsAgo) {
    struct timespec times[2]{};
    times[0].tv_sec = times[1].tv_sec = time_t(QDateTime::currentSecsSinceEpoch() - secondsAgo);
    return ::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0;
}

inline bool writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A backup document as the app writes it, listing résumés with these titles (none: an empty one).
inline QByteArray userBackupDocument(const QStringList& titles = {}) {
    ResumeBackupPayload payload;
    payload.generatedAt = QDateTime(QDate(2026, 1, 1), QTime(0, 0), Qt::UTC);
    payload.reason = QStringLiteral("launch");
    for (const QString& title : titles) {
        ResumeBackupRecord record;
        record.title = title;
        record.lastEdited = payload.generatedAt;
        payload.resumes.append(record);
    }
    return encodeUserBackup(payload);
}

// What else a user, a sync tool or another program may leave in Backups under a backup's name:
// a pipe no one writes to, a folder with the user's file in it.
inline bool makePipe(const QString& path) {
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
}
inline bool makeFolderWithFile(const QString& path, const QString& fileName, const QByteArray& bytes) {
    return QDir().mkpath(path) && writeFile(path + QLatin1Char('/') + fileName, bytes);
}
inline bool isPipe(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISFIFO(info.st_mode);
}

inline QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

inline QStringList backupsListing() {
    return QDir(backupsDirectoryURL())
        .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name);
}

// Empties the data directory between test functions.
inline void resetDataDirectory() {
    const QString data = applicationSupportURL();
    QDir(data).removeRecursively();
    QDir().mkpath(data);
}

} // namespace quillora::test
