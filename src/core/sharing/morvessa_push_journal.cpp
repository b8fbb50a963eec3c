#include "sharing/morvessa_push_journal.h"

#include "platform/log.h"
#include "platform/safe_files.h"
#include "store/store_location.h"
#include "store/store_snapshots.h"

#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStringBuilder>

#include <cerrno>
#include <cstdio>

#include <fcntl.h>
#include <sys/stat.h>

namespace quillora::morvessaPushJournal {

namespace {

// The app writes a name a line, 37 bytes each: more than 100,000 names in progress is no list it
// wrote, and one that large is kept aside rather than read in part.
constexpr qint64 kLargestList = 4 << 20;

bool isRecordName(const QByteArray& line) {
    static const QRegularExpression uuid(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"));
    return line.size() == 36 && uuid.match(QString::fromLatin1(line)).hasMatch();
}

// Moves whatever is at the list's name (not what a link there leads to) to a new name beside it,
// never over anything; the new path, or empty when it could not be moved.
QString setAside() {
    const QByteArray from = QFile::encodeName(path());
    const QString base = path() % QStringLiteral(".unreadable-") % backupTimestamp();
    for (int attempt = 1; attempt <= 100; ++attempt) {
        const QString aside = attempt == 1 ? base : base % QLatin1Char('-') % QString::number(attempt);
        const QByteArray to = QFile::encodeName(aside);
        if (::renameat2(AT_FDCWD, from.constData(), AT_FDCWD, to.constData(), RENAME_NOREPLACE) == 0)
            return aside;
        if (errno == EINVAL) { // a file system without the no-replace rename
            struct stat taken {};
            if (::lstat(to.constData(), &taken) != 0 && errno == ENOENT &&
                ::rename(from.constData(), to.constData()) == 0)
                return aside;
        } else if (errno != EEXIST) {
            return {};
        }
    }
    return {};
}

// Whether the open file has names besides the list's. The app writes its list under a new name
// and renames it into place, so its own list has one; a second name makes it some other file,
// which may name records of anyone's.
bool hasOtherNames(const files::ReadOnlyFile& file) {
    struct stat info {};
    return ::fstat(file.descriptor(), &info) != 0 || info.st_nlink > 1;
}

// The names in the list, or nothing when something is at its name that cannot be read as one and
// it could not be set aside; nothing may then be written at that name. Only a regular file of
// this user's with no other name is opened (no link followed, no pipe or device waited on), up to
// a bound; one that cannot be read is moved aside, whole, and said in the log, so its names are
// never overwritten.
std::optional<QStringList> read() {
    const files::ReadOnlyFile file(path(), files::ReadOnlyFile::Owner::onlyOurs);
    if (!file.isOpen() && file.error() == ENOENT)
        return QStringList();
    QString fault;
    std::optional<QByteArray> bytes;
    // What the system may let us do later (more open files, memory) is no reason to set it aside.
    const bool forGood = file.isOpen() || file.error() == ELOOP || file.error() == EINVAL ||
                         file.error() == EPERM || file.error() == EACCES;
    if (!file.isOpen())
        fault = file.errorText();
    else if (hasOtherNames(file))
        fault = QStringLiteral("it is a file with more than one name");
    else if (file.size() > kLargestList || !(bytes = file.read(0, kLargestList + 1)))
        fault = file.size() > kLargestList ? QStringLiteral("it is larger than a list of names can be")
                                           : QStringLiteral("reading it failed");
    else if (bytes->size() > kLargestList)
        fault = QStringLiteral("it is larger than a list of names can be");
    if (fault.isEmpty()) {
        QStringList found;
        QSet<QByteArray> seen;
        for (const QByteArray& line : bytes->split('\n')) {
            const QByteArray name = line.trimmed();
            if (isRecordName(name) && !seen.contains(name)) {
                seen.insert(name);
                found << QString::fromLatin1(name);
            }
        }
        return found;
    }
    const QString aside = forGood ? setAside() : QString();
    if (aside.isEmpty()) {
        logLine(QStringLiteral("⚠️ The list of pushes in progress “") % path() %
                QStringLiteral("” cannot be read (") % fault %
                (forGood ? QStringLiteral(
                               ") and could not be moved aside; no push can start until it is removed.")
                         : QStringLiteral("); it was left as it is.")));
        return std::nullopt;
    }
    logLine(QStringLiteral("⚠️ The list of pushes in progress “") % path() %
            QStringLiteral("” cannot be read (") % fault % QStringLiteral("); it was kept as “") % aside %
            QStringLiteral("”, and the pushes it names are not checked."));
    return QStringList();
}

Status write(const QStringList& names) {
    if (names.isEmpty()) {
        if (::unlink(QFile::encodeName(path()).constData()) != 0 && errno != ENOENT)
            return Status::failure(QStringLiteral("The file “%1” could not be removed.").arg(path()));
        return success();
    }
    if (const Status folder = files::makePrivateDirectoryPath(storeDirectoryURL()); !folder)
        return folder;
    return files::writeFileAtomically(path(), (names.join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
}

} // namespace

QString path() {
    return storeDirectoryURL() + QStringLiteral("/morvessa-pushes-in-progress");
}

QStringList names() {
    return read().value_or(QStringList());
}

Status add(const QString& recordName) {
    std::optional<QStringList> noted = read();
    if (!noted)
        return Status::failure(
            QStringLiteral("The file “%1” cannot be read; it was left as it is.").arg(path()));
    if (!noted->contains(recordName))
        noted->append(recordName);
    return write(*noted);
}

void remove(const QStringList& recordNames) {
    std::optional<QStringList> noted = read();
    if (!noted)
        return; // left as it is; the names stay for a later start
    const QSet<QString> gone(recordNames.cbegin(), recordNames.cend());
    if (noted->removeIf([&gone](const QString& name) { return gone.contains(name); }) == 0)
        return;
    if (const Status written = write(*noted); !written)
        logLine(QStringLiteral("⚠️ The list of pushes in progress could not be updated: ") +
                written.error());
}

} // namespace quillora::morvessaPushJournal
