#include "store/instance_lock.h"

#include "platform/safe_files.h"

#include <QByteArray>
#include <QFile>

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora {

InstanceLock::~InstanceLock() {
    if (m_fd >= 0)
        ::close(m_fd); // releases the lock
}

QString InstanceLock::lockFilePath(const QString& storeDirectory) {
    return storeDirectory + QStringLiteral("/.quillora-instance.lock");
}

InstanceLock::Outcome InstanceLock::tryAcquire(const QString& storeDirectory,
                                               std::unique_ptr<InstanceLock>& lock, QString* error) {
    lock.reset();
    const QString path = lockFilePath(storeDirectory);
    const int fd =
        ::open(QFile::encodeName(path).constData(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0) {
        if (error)
            *error = QStringLiteral("Could not open “") + path + QStringLiteral("”: ") +
                     files::systemErrorText(errno);
        return Outcome::unavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int cause = errno;
        ::close(fd);
        if (cause == EWOULDBLOCK) {
            if (error)
                *error =
                    QStringLiteral("Another Quillora is using “") + storeDirectory + QStringLiteral("”.");
            return Outcome::heldByAnother;
        }
        if (error)
            *error = QStringLiteral("Could not lock “") + path + QStringLiteral("”: ") +
                     files::systemErrorText(cause);
        return Outcome::unavailable;
    }
    struct stat info {};
    if (::fstat(fd, &info) == 0 && info.st_uid == ::geteuid())
        (void)::fchmod(fd, 0600);
    const QByteArray pid = QByteArray::number(qint64(::getpid())) + '\n';
    if (::ftruncate(fd, 0) == 0)
        (void)!::pwrite(fd, pid.constData(), size_t(pid.size()), 0);
    lock.reset(new InstanceLock(fd));
    return Outcome::acquired;
}

} // namespace quillora
