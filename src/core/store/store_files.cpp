#include "store/store_files.h"

#include "platform/safe_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora::files {

namespace {

QString quoted(const QString& path) {
    return QStringLiteral("“") + path + QStringLiteral("”");
}

} // namespace

bool existsAt(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

Status makeDirectoryPath(const QString& path) {
    return makePrivateDirectoryPath(path);
}

Status removeItem(const QString& path) {
    const QFileInfo info(path);
    bool removed = false;
    if (info.isDir() && !info.isSymLink())
        removed = QDir(path).removeRecursively();
    else
        removed = ::unlink(QFile::encodeName(path).constData()) == 0;
    if (removed)
        return success();
    return Status::failure(QStringLiteral("Could not remove ") % quoted(path) % QLatin1Char('.'));
}

Status copyItem(const QString& source, const QString& destination) {
    const QFileInfo info(source);
    if (info.isDir()) {
        if (::mkdir(QFile::encodeName(destination).constData(), 0700) != 0)
            return Status::failure(QStringLiteral("Could not create the folder ") % quoted(destination) %
                                   QStringLiteral(": ") % systemErrorText(errno) % QLatin1Char('.'));
        (void)::chmod(QFile::encodeName(destination).constData(), 0700);
        const QDir folder(source);
        const auto entries =
            folder.entryInfoList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
        for (const QFileInfo& entry : entries) {
            if (auto copied =
                    copyItem(entry.absoluteFilePath(), destination + QLatin1Char('/') + entry.fileName());
                !copied)
                return copied;
        }
        return success();
    }
    return copyFilePrivately(source, destination);
}

} // namespace quillora::files
