#include "store/store_files.h"

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

QString systemError(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

} // namespace

bool existsAt(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0;
}

Status makeDirectoryPath(const QString& path) {
    const QString absolute = QDir::cleanPath(QFileInfo(path).absoluteFilePath());
    // Walk down from the root so the error names the first component that cannot be made.
    qsizetype next = 1;
    while (next > 0) {
        next = absolute.indexOf(QLatin1Char('/'), next);
        const QString prefix = next < 0 ? absolute : absolute.left(next);
        if (next > 0)
            ++next;
        const QByteArray native = QFile::encodeName(prefix);
        struct stat info {};
        if (::stat(native.constData(), &info) == 0) {
            if (S_ISDIR(info.st_mode))
                continue;
            return Status::failure(QStringLiteral("Could not create the folder ") % quoted(prefix) %
                                   QStringLiteral(": a file with that name is in the way."));
        }
        if (::mkdir(native.constData(), 0777) != 0 && errno != EEXIST) {
            const int error = errno;
            return Status::failure(QStringLiteral("Could not create the folder ") % quoted(prefix) %
                                   QStringLiteral(": ") % systemError(error) % QLatin1Char('.'));
        }
    }
    return success();
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
        if (!QDir().mkdir(destination))
            return Status::failure(QStringLiteral("Could not create the folder ") % quoted(destination) %
                                   QLatin1Char('.'));
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
    QFile file(source);
    if (!file.copy(destination))
        return Status::failure(QStringLiteral("Could not copy ") % quoted(source) % QStringLiteral(" to ") %
                               quoted(destination) % QStringLiteral(": ") % file.errorString());
    return success();
}

} // namespace quillora::files
