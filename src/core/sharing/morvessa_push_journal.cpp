#include "sharing/morvessa_push_journal.h"

#include "platform/log.h"
#include "platform/safe_files.h"
#include "store/store_location.h"

#include <QFile>
#include <QRegularExpression>

namespace quillora::morvessaPushJournal {

namespace {

bool isRecordName(const QString& text) {
    static const QRegularExpression uuid(QStringLiteral("^[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}$"));
    return uuid.match(text).hasMatch();
}

Status write(const QStringList& names) {
    if (names.isEmpty()) {
        if (QFile::exists(path()) && !QFile::remove(path()))
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
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QStringList found;
    // A few names at most; anything much longer is not this file.
    for (const QByteArray& line : file.read(1 << 20).split('\n')) {
        const QString name = QString::fromUtf8(line).trimmed();
        if (isRecordName(name) && !found.contains(name))
            found << name;
    }
    return found;
}

Status add(const QString& recordName) {
    QStringList noted = names();
    if (!noted.contains(recordName))
        noted << recordName;
    return write(noted);
}

void remove(const QString& recordName) {
    QStringList noted = names();
    if (noted.removeAll(recordName) == 0)
        return;
    if (const Status written = write(noted); !written)
        logLine(QStringLiteral("⚠️ The list of pushes in progress could not be updated: ") +
                written.error());
}

} // namespace quillora::morvessaPushJournal
