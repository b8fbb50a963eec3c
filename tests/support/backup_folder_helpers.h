#pragma once

#include "store/store_location.h"

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
