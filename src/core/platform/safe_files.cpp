#include "platform/safe_files.h"

#include <QDir>
#include <QFileInfo>
#include <QStringBuilder>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora::files {

namespace {

constexpr mode_t kPrivateFile = 0600;
constexpr mode_t kPrivateFolder = 0700;

QString quoted(const QString& path) {
    return QStringLiteral("“") + path + QStringLiteral("”");
}

// Retries a call that the system interrupted before it did anything.
template <typename Call> auto retrying(Call call) {
    for (;;) {
        const auto result = call();
        if (result >= 0 || errno != EINTR)
            return result;
    }
}

// 0, or the error number of the write that failed.
int writeAll(int fd, const char* data, qsizetype size) {
    while (size > 0) {
        const ssize_t written = retrying([&] { return ::write(fd, data, size_t(size)); });
        if (written < 0)
            return errno != 0 ? errno : EIO;
        data += written;
        size -= written;
    }
    return 0;
}

void syncFolderOf(const QString& path) {
    const int dir = ::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(),
                           O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        (void)::fsync(dir); // the rename is durable once the folder is; a failure here loses nothing
        ::close(dir);
    }
}

} // namespace

bool heldByAnotherUser(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && info.st_uid != ::geteuid();
}

Result<QString> temporaryFolder() {
    const QString named = qEnvironmentVariable("TMPDIR");
    const QString folder = named.isEmpty() ? QStringLiteral("/tmp") : named;
    const auto refused = [&](const QString& why) {
        return Result<QString>::failure(ErrorKind::storage,
                                        QStringLiteral("The temporary folder ") % quoted(folder) %
                                            (named.isEmpty() ? QString() : QStringLiteral(" (TMPDIR)")) %
                                            QLatin1Char(' ') % why % QLatin1Char('.'));
    };
    // A relative name would put the files in the working directory.
    if (!folder.startsWith(QLatin1Char('/')))
        return refused(QStringLiteral("is not an absolute path"));
    const QByteArray native = QFile::encodeName(folder);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        const int error = errno;
        return refused(error == ENOENT ? QStringLiteral("does not exist")
                                       : QStringLiteral("cannot be used: ") % systemErrorText(error));
    }
    if (!S_ISDIR(info.st_mode))
        return refused(QStringLiteral("is not a folder"));
    if (::access(native.constData(), W_OK | X_OK) != 0)
        return refused(QStringLiteral("cannot be written: ") % systemErrorText(errno));
    const QString canonical = QFileInfo(folder).canonicalFilePath();
    if (canonical.isEmpty())
        return refused(QStringLiteral("does not exist"));
    return canonical;
}

Result<QString> makePrivateTemporaryFolder(const QString& prefix) {
    const Result<QString> temporary = temporaryFolder();
    if (!temporary)
        return temporary;
    QByteArray name = QFile::encodeName(*temporary % QLatin1Char('/') % prefix) + "XXXXXX";
    if (::mkdtemp(name.data()) == nullptr)
        return Result<QString>::failure(ErrorKind::storage,
                                        QStringLiteral("Could not create a private folder in the temporary "
                                                       "folder: ") %
                                            systemErrorText(errno) % QLatin1Char('.'));
    return QFile::decodeName(name);
}

namespace {

// The name of the link to the process's lock in each folder it holds.
constexpr char kHeldLockName[] = ".lock";

// The lock files this process keeps locked while it runs. The newest is linked into each new
// held folder, so one descriptor serves every folder however many there are; an older one is let
// go once no folder names it any more.
struct HeldLocks {
    std::mutex mutex;
    std::vector<int> descriptors; // the newest last
};

HeldLocks& heldLocks() {
    static auto* const locks = new HeldLocks; // lives, and holds its locks, as long as the process
    return *locks;
}

// Gives the open folder a link to this process's lock, or a lock of its own when no link can be
// made (the folder is on another file system, say): 0, or the error number.
int holdFolder(int folderFd) {
    HeldLocks& locks = heldLocks();
    const std::lock_guard guard(locks.mutex);
    std::erase_if(locks.descriptors, [](int fd) {
        struct stat info {};
        if (::fstat(fd, &info) != 0 || info.st_nlink > 0)
            return false;
        ::close(fd);
        return true;
    });
    if (!locks.descriptors.empty()) {
        const QByteArray self = "/proc/self/fd/" + QByteArray::number(locks.descriptors.back());
        if (::linkat(AT_FDCWD, self.constData(), folderFd, kHeldLockName, AT_SYMLINK_FOLLOW) == 0)
            return 0;
    }
    const int fd = retrying([&] {
        return ::openat(folderFd, kHeldLockName, O_RDONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                        kPrivateFile);
    });
    if (fd < 0)
        return errno;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int error = errno;
        ::close(fd);
        ::unlinkat(folderFd, kHeldLockName, 0);
        return error;
    }
    (void)::fchmod(fd, kPrivateFile);
    locks.descriptors.push_back(fd);
    return 0;
}

} // namespace

Result<QString> makeHeldTemporaryFolder(const QString& prefix) {
    const Result<QString> made = makePrivateTemporaryFolder(prefix);
    if (!made)
        return made;
    const QByteArray path = QFile::encodeName(*made);
    const int folderFd = ::open(path.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    const int error = folderFd < 0 ? errno : holdFolder(folderFd);
    if (folderFd >= 0)
        ::close(folderFd);
    if (error != 0) {
        (void)::rmdir(path.constData());
        return Result<QString>::failure(ErrorKind::storage,
                                        QStringLiteral("Could not create a private folder in the temporary "
                                                       "folder: ") %
                                            systemErrorText(error) % QLatin1Char('.'));
    }
    return made;
}

QString systemErrorText(int error) {
    if (error == 0)
        return QStringLiteral("The operating system reported no cause");
    return QString::fromLocal8Bit(std::strerror(error));
}

Status makePrivateDirectoryPath(const QString& path) {
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
        if (::mkdir(native.constData(), kPrivateFolder) == 0) {
            // The umask may have taken more than the group and other bits.
            (void)::chmod(native.constData(), kPrivateFolder);
        } else if (errno != EEXIST) {
            const int error = errno;
            return Status::failure(QStringLiteral("Could not create the folder ") % quoted(prefix) %
                                   QStringLiteral(": ") % systemErrorText(error) % QLatin1Char('.'));
        }
    }
    return success();
}

Status copyFilePrivately(const QString& source, const QString& destination) {
    const auto failed = [&](int error) {
        return Status::failure(QStringLiteral("Could not copy ") % quoted(source) % QStringLiteral(" to ") %
                               quoted(destination) % QStringLiteral(": ") % systemErrorText(error) %
                               QLatin1Char('.'));
    };
    const int in =
        retrying([&] { return ::open(QFile::encodeName(source).constData(), O_RDONLY | O_CLOEXEC); });
    if (in < 0)
        return failed(errno);
    struct stat info {};
    if (::fstat(in, &info) != 0 || !S_ISREG(info.st_mode)) {
        const int error = S_ISREG(info.st_mode) ? errno : EINVAL;
        ::close(in);
        return failed(error);
    }
    const QByteArray target = QFile::encodeName(destination);
    const int out = retrying([&] {
        return ::open(target.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, kPrivateFile);
    });
    if (out < 0) {
        const int error = errno;
        ::close(in);
        return failed(error);
    }
    (void)::fchmod(out, kPrivateFile);

    Status copied = success();
    QByteArray buffer(1 << 16, Qt::Uninitialized);
    for (;;) {
        const ssize_t got = retrying([&] { return ::read(in, buffer.data(), size_t(buffer.size())); });
        if (got < 0) {
            copied = failed(errno);
            break;
        }
        if (got == 0)
            break;
        if (const int error = writeAll(out, buffer.constData(), got); error != 0) {
            copied = failed(error);
            break;
        }
    }
    if (copied && ::fdatasync(out) != 0)
        copied = failed(errno);
    if (::close(out) != 0 && copied)
        copied = failed(errno);
    ::close(in);
    if (!copied)
        ::unlink(target.constData());
    return copied;
}

qint64 AtomicFileWriter::Device::writeData(const char* data, qint64 size) {
    if (firstError != 0)
        return -1;
    firstError = writeAll(fd, data, size);
    if (firstError != 0) {
        setErrorString(systemErrorText(firstError));
        return -1;
    }
    return size;
}

bool AtomicFileWriter::Device::seek(qint64 position) {
    if (::lseek(fd, off_t(position), SEEK_SET) < 0)
        return false;
    return QIODevice::seek(position);
}

AtomicFileWriter::AtomicFileWriter(QString targetPath, Durability durability)
    : m_target(std::move(targetPath))
    , m_durability(durability) {}

AtomicFileWriter::~AtomicFileWriter() {
    cancel();
}

Status AtomicFileWriter::failure(const QString& cause) const {
    return Status::failure(QStringLiteral("Could not write ") % quoted(m_target) % QStringLiteral(": ") %
                           cause);
}

Status AtomicFileWriter::open() {
    cancel();
    // A short name of fixed length, so the temporary file fits wherever the target's name fits.
    QByteArray name = QFile::encodeName(QFileInfo(m_target).absolutePath()) + "/.quillora-XXXXXX";
    // mkostemp creates the file with O_EXCL: it never opens an existing file or follows a link.
    m_fd = ::mkostemp(name.data(), O_CLOEXEC);
    if (m_fd < 0)
        return failure(systemErrorText(errno));
    m_temporary = QFile::decodeName(name);
    // Held until the file is closed: the start-up clean-up leaves a locked file alone.
    (void)::flock(m_fd, LOCK_EX | LOCK_NB);
    (void)::fchmod(m_fd, kPrivateFile);
    m_file.fd = m_fd;
    m_file.firstError = 0;
    m_file.open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    return success();
}

Status AtomicFileWriter::commit() {
    if (m_fd < 0)
        return failure(QStringLiteral("the file was not opened."));
    const auto abandon = [this](const QString& cause) {
        const Status status = failure(cause);
        cancel();
        return status;
    };
    if (m_file.firstError != 0)
        return abandon(systemErrorText(m_file.firstError));
    m_file.close();
    if (m_durability == Durability::flushed && retrying([&] { return ::fdatasync(m_fd); }) != 0)
        return abandon(systemErrorText(errno));
    const int fd = std::exchange(m_fd, -1);
    if (::close(fd) != 0) {
        const int error = errno;
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
        return failure(systemErrorText(error));
    }

    const QByteArray target = QFile::encodeName(m_target);
    const QByteArray temporary = QFile::encodeName(m_temporary);
    m_temporary.clear();
    struct stat existing {};
    if (::lstat(target.constData(), &existing) == 0) {
        QString refusal;
        if (S_ISDIR(existing.st_mode))
            refusal = QStringLiteral("a folder of that name is in the way.");
        else if (existing.st_uid != ::geteuid())
            refusal = QStringLiteral("a file of that name belongs to another user, so it was left as it is.");
        if (!refusal.isEmpty()) {
            ::unlink(temporary.constData());
            return failure(refusal);
        }
    }
    // rename() replaces whatever entry has the name, a link included, and never its destination.
    if (::rename(temporary.constData(), target.constData()) != 0) {
        const int error = errno;
        ::unlink(temporary.constData());
        return failure(systemErrorText(error));
    }
    syncFolderOf(m_target);
    return success();
}

void AtomicFileWriter::cancel() {
    if (m_file.isOpen())
        m_file.close();
    if (m_fd >= 0)
        ::close(std::exchange(m_fd, -1));
    if (!m_temporary.isEmpty()) {
        ::unlink(QFile::encodeName(m_temporary).constData());
        m_temporary.clear();
    }
}

namespace {

// Why a file of that kind is not read: 0 when it is a regular file (and ours, when asked).
int misfit(const struct stat& info, ReadOnlyFile::Owner owner) {
    if (S_ISLNK(info.st_mode))
        return ELOOP;
    if (!S_ISREG(info.st_mode))
        return EINVAL;
    if (owner == ReadOnlyFile::Owner::onlyOurs && info.st_uid != ::geteuid())
        return EPERM;
    return 0;
}

} // namespace

ReadOnlyFile::ReadOnlyFile(const QString& path, Owner owner) {
    const QByteArray native = QFile::encodeName(path);
    struct stat seen {};
    if (::lstat(native.constData(), &seen) != 0) {
        m_error = errno;
        return;
    }
    if ((m_error = misfit(seen, owner)) != 0)
        return;
    const int fd = retrying([&] {
        return ::open(native.constData(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    });
    if (fd < 0) {
        m_error = errno;
        return;
    }
    struct stat opened {};
    if (::fstat(fd, &opened) != 0)
        m_error = errno;
    else if ((m_error = misfit(opened, owner)) == 0 &&
             (opened.st_dev != seen.st_dev || opened.st_ino != seen.st_ino))
        m_error = EINVAL; // swapped between the look and the open
    if (m_error != 0) {
        ::close(fd);
        return;
    }
    m_fd = fd;
    m_size = qint64(opened.st_size);
}

ReadOnlyFile::~ReadOnlyFile() {
    if (m_fd >= 0)
        ::close(m_fd);
}

std::optional<QByteArray> ReadOnlyFile::read(qint64 offset, qsizetype length) const {
    if (m_fd < 0)
        return std::nullopt;
    QByteArray bytes(length, Qt::Uninitialized);
    qsizetype filled = 0;
    while (filled < length) {
        const ssize_t got = retrying([&] {
            return ::pread(m_fd, bytes.data() + filled, size_t(length - filled), off_t(offset + filled));
        });
        if (got < 0)
            return std::nullopt;
        if (got == 0)
            break;
        filled += got;
    }
    bytes.truncate(filled);
    return bytes;
}

QString ReadOnlyFile::errorText() const {
    switch (m_error) {
    case ELOOP:
        return QStringLiteral("it is a link");
    case EINVAL:
        return QStringLiteral("it is not a regular file");
    case EPERM:
        return QStringLiteral("it belongs to another user");
    default:
        return systemErrorText(m_error);
    }
}

namespace {

// ".quillora-" and the six letters or digits mkostemp puts in place of "XXXXXX".
bool isTemporaryFileName(const char* name) {
    static constexpr char kPrefix[] = ".quillora-";
    constexpr size_t prefixLength = sizeof kPrefix - 1;
    if (std::strncmp(name, kPrefix, prefixLength) != 0 || std::strlen(name) != prefixLength + 6)
        return false;
    for (const char* c = name + prefixLength; *c; ++c) {
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    }
    return true;
}

} // namespace

namespace {

// A writer in another process locks its file a moment after creating it, and lets go of it a
// moment before renaming it: a file that changed within the last minute may be one of those.
constexpr time_t kSettledSeconds = 60;

// Removes the leftovers in an open folder: files whose names `isLeftover` (or
// isTemporaryFileName) accepts, regular files of this user's that have not changed for a minute
// and that no writer holds.
int removeLeftoversAt(int dirFd, const LeftoverName& isLeftover) {
    const int listed = ::dup(dirFd);
    if (listed < 0)
        return 0;
    DIR* dir = ::fdopendir(listed);
    if (!dir) {
        ::close(listed);
        return 0;
    }
    int removed = 0;
    const time_t now = ::time(nullptr);
    while (const dirent* entry = ::readdir(dir)) {
        if (!isTemporaryFileName(entry->d_name) && !(isLeftover && isLeftover(entry->d_name)))
            continue;
        struct stat seen {};
        if (::fstatat(dirFd, entry->d_name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISREG(seen.st_mode) ||
            seen.st_uid != ::geteuid() || seen.st_mtime > now - kSettledSeconds)
            continue;
        const int fd = ::openat(dirFd, entry->d_name, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0)
            continue;
        struct stat opened {};
        // Still the same file, and no writer holds it.
        if (::fstat(fd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino &&
            ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlinkat(dirFd, entry->d_name, 0) == 0)
            ++removed;
        ::close(fd);
    }
    ::closedir(dir);
    return removed;
}

int openFolder(const QString& folder) {
    return ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
}

// `prefix` and the six letters or digits mkdtemp puts in place of "XXXXXX".
bool isPrivateFolderName(const char* name, const QByteArray& prefix) {
    if (std::strncmp(name, prefix.constData(), size_t(prefix.size())) != 0 ||
        std::strlen(name) != size_t(prefix.size()) + 6)
        return false;
    for (const char* c = name + prefix.size(); *c; ++c) {
        if (!((*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9')))
            return false;
    }
    return true;
}

} // namespace

int removeLeftoverTemporaryFiles(const QString& folder, const LeftoverName& isLeftover) {
    const int dirFd = openFolder(folder);
    if (dirFd < 0)
        return 0;
    const int removed = removeLeftoversAt(dirFd, isLeftover);
    ::close(dirFd);
    return removed;
}

int removeLeftoverPrivateTemporaryFolders(const QString& prefix, const LeftoverName& isLeftover) {
    const Result<QString> temporary = temporaryFolder();
    if (!temporary)
        return 0;
    const int tempFd = openFolder(*temporary);
    if (tempFd < 0)
        return 0;
    const int listed = ::dup(tempFd);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        ::close(tempFd);
        return 0;
    }
    const QByteArray namePrefix = QFile::encodeName(prefix);
    const time_t now = ::time(nullptr);
    int removed = 0;
    while (const dirent* entry = ::readdir(dir)) {
        if (!isPrivateFolderName(entry->d_name, namePrefix))
            continue;
        struct stat seen {};
        if (::fstatat(tempFd, entry->d_name, &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) ||
            seen.st_uid != ::geteuid())
            continue;
        const int folderFd = ::openat(tempFd, entry->d_name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            continue;
        struct stat opened {};
        if (::fstat(folderFd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino) {
            removed += removeLeftoversAt(folderFd, isLeftover);
            // A folder that was just made may be about to get its file.
            if (seen.st_mtime <= now - kSettledSeconds &&
                ::unlinkat(tempFd, entry->d_name, AT_REMOVEDIR) == 0)
                ++removed; // only when empty
        }
        ::close(folderFd);
    }
    ::closedir(dir);
    ::close(tempFd);
    return removed;
}

namespace {

// The names in an open folder, "." and ".." left out; nullopt when it cannot be read.
std::optional<std::vector<QByteArray>> entriesAt(int folderFd) {
    const int listed = ::dup(folderFd);
    DIR* dir = listed >= 0 ? ::fdopendir(listed) : nullptr;
    if (!dir) {
        if (listed >= 0)
            ::close(listed);
        return std::nullopt;
    }
    std::vector<QByteArray> names;
    while (const dirent* entry = ::readdir(dir)) {
        if (std::strcmp(entry->d_name, ".") != 0 && std::strcmp(entry->d_name, "..") != 0)
            names.emplace_back(entry->d_name);
    }
    ::closedir(dir);
    return names;
}

// Whether the folder's lock, if it has one, is held by a running process (or cannot be looked at).
// A free lock is taken, in `lockFd`, for as long as the folder is being emptied.
bool heldByARunningProcess(int folderFd, int& lockFd) {
    struct stat seen {};
    if (::fstatat(folderFd, kHeldLockName, &seen, AT_SYMLINK_NOFOLLOW) != 0)
        return errno != ENOENT;
    if (!S_ISREG(seen.st_mode) || seen.st_uid != ::geteuid())
        return true;
    lockFd = ::openat(folderFd, kHeldLockName, O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    struct stat opened {};
    return lockFd < 0 || ::fstat(lockFd, &opened) != 0 || opened.st_dev != seen.st_dev ||
           opened.st_ino != seen.st_ino || ::flock(lockFd, LOCK_EX | LOCK_NB) != 0;
}

} // namespace

void removeHeldTemporaryFolderIfEmpty(const QString& folder) {
    const QByteArray path = QFile::encodeName(folder);
    const int folderFd = openFolder(folder);
    if (folderFd < 0)
        return;
    const auto names = entriesAt(folderFd);
    if (names && (names->empty() || (names->size() == 1 && names->front() == kHeldLockName))) {
        (void)::unlinkat(folderFd, kHeldLockName, 0);
        (void)::rmdir(path.constData());
    }
    ::close(folderFd);
}

int removeAbandonedTemporaryFolders(const QString& prefix) {
    const Result<QString> temporary = temporaryFolder();
    if (!temporary)
        return 0;
    const int tempFd = openFolder(*temporary);
    if (tempFd < 0)
        return 0;
    const auto names = entriesAt(tempFd);
    const QByteArray namePrefix = QFile::encodeName(prefix);
    const time_t now = ::time(nullptr);
    const uid_t user = ::geteuid();
    int removed = 0;
    for (const QByteArray& name : names.value_or(std::vector<QByteArray>())) {
        if (!isPrivateFolderName(name.constData(), namePrefix))
            continue;
        struct stat seen {};
        if (::fstatat(tempFd, name.constData(), &seen, AT_SYMLINK_NOFOLLOW) != 0 || !S_ISDIR(seen.st_mode) ||
            seen.st_uid != user || seen.st_mtime > now - kSettledSeconds)
            continue;
        const int folderFd =
            ::openat(tempFd, name.constData(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (folderFd < 0)
            continue;
        struct stat opened {};
        int lockFd = -1;
        if (::fstat(folderFd, &opened) == 0 && opened.st_dev == seen.st_dev && opened.st_ino == seen.st_ino &&
            !heldByARunningProcess(folderFd, lockFd)) {
            const auto entries = entriesAt(folderFd);
            bool emptied = entries.has_value();
            for (const QByteArray& entry : entries.value_or(std::vector<QByteArray>())) {
                struct stat info {};
                if (entry == kHeldLockName)
                    continue; // last, so that the folder stays held while it is emptied
                if (::fstatat(folderFd, entry.constData(), &info, AT_SYMLINK_NOFOLLOW) != 0 ||
                    !(S_ISREG(info.st_mode) || S_ISLNK(info.st_mode)) || info.st_uid != user ||
                    ::unlinkat(folderFd, entry.constData(), 0) != 0)
                    emptied = false;
            }
            if (emptied) {
                (void)::unlinkat(folderFd, kHeldLockName, 0);
                if (::unlinkat(tempFd, name.constData(), AT_REMOVEDIR) == 0)
                    ++removed;
            }
        }
        if (lockFd >= 0)
            ::close(lockFd);
        ::close(folderFd);
    }
    ::close(tempFd);
    return removed;
}

Status writeFileAtomically(const QString& path, const QByteArray& bytes) {
    AtomicFileWriter writer(path);
    if (auto opened = writer.open(); !opened)
        return opened;
    (void)writer.device()->write(bytes); // commit() reports a failed write
    return writer.commit();
}

} // namespace quillora::files
