#include "store/app_store.h"

#include "platform/log.h"
#include "platform/safe_files.h"
#include "store/store_files.h"
#include "store/store_location.h"
#include "store/store_snapshots.h"

#include <QDir>
#include <QProcessEnvironment>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace quillora {

bool isRunningForPreviews() {
    return qEnvironmentVariable("XCODE_RUNNING_FOR_PREVIEWS") == QLatin1String("1") &&
           qEnvironmentVariableIsSet("XCODE_RUNNING_FOR_PREVIEWS");
}

void seedPreviewResume(ModelContext& context) {
    const auto existing = context.fetchResumes();
    if (!existing) {
        logLine(QStringLiteral("⚠️ Failed to seed preview resume: ") + existing.error());
        return;
    }
    if (!existing->isEmpty())
        return;
    auto sample = std::make_shared<Resume>(
        QStringLiteral("Preview Resume"), QStringLiteral("Avery Lindqvist"),
        QStringLiteral("avery.lindqvist@example.com"),
        QStringLiteral("Creative iOS developer focused on elegant, human-friendly tools."),
        QList<ExperiencePtr>{}, QList<EducationPtr>{}, QList<PortfolioItemPtr>{}, QStringLiteral("Summary"),
        QStringLiteral("Experience"), QStringLiteral("Education"), false, QString(), QString(), QString(),
        std::nullopt, false, QString(), QString(), std::nullopt, std::nullopt,
        QStringLiteral("Helvetica Neue"), 0, QDateTime::currentDateTimeUtc(), false, QStringList{},
        QStringList{}, std::nullopt);
    sample->setIncludeSkills(true);
    sample->setAppliedSkills({QStringLiteral("Workflow management: Process coordination"),
                              QStringLiteral("Visual design: UI polish"),
                              QStringLiteral("SwiftUI: Interface development")});
    sample->setLastEdited(QDateTime::currentDateTimeUtc());
    context.insert(sample);
    if (auto status = context.save(); !status)
        logLine(QStringLiteral("⚠️ Failed to seed preview resume: ") + status.error());
}

void logApplicationSupportListing() {
    const QDir dir(applicationSupportURL());
    if (!dir.exists()) {
        logLine(
            QStringLiteral("⚠️ Could not inspect Application Support: The folder \"%1\" doesn't exist.")
                .arg(dir.path()));
        return;
    }
    logLine(QStringLiteral("📁 Application Support contains:"));
    const QStringList entries =
        dir.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    for (const QString& entry : entries)
        logLine(QStringLiteral(" — ") + entry);
}

Status createStoreFileIfMissing() {
    const QString path = storeFileURL();
    if (files::existsAt(path))
        return success();
    // SQLite would make it readable by everyone; the files it keeps beside it take its mode.
    const int fd = ::open(QFile::encodeName(path).constData(),
                          O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
    if (fd < 0)
        return Status::failure(QStringLiteral("Could not create the store file “") % path %
                               QStringLiteral("”: ") % files::systemErrorText(errno));
    (void)::fchmod(fd, 0600);
    ::close(fd);
    return success();
}

namespace {

bool isEmptyFile(const QString& path) {
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && S_ISREG(info.st_mode) &&
           info.st_size == 0;
}

// Puts an empty store file aside under a name of its own, with the side files SQLite may have
// left beside it, so that a new store can be made in its place.
Status keepEmptyStoreAside() {
    const QString path = storeFileURL();
    const QString aside = path + QStringLiteral(".empty-") + backupTimestamp();
    if (::rename(QFile::encodeName(path).constData(), QFile::encodeName(aside).constData()) != 0)
        return Status::failure(QStringLiteral("Could not rename the empty store file “") % path %
                               QStringLiteral("”: ") % files::systemErrorText(errno));
    for (const QString& side : storeFileURLs().mid(1)) {
        if (files::existsAt(side))
            (void)::rename(QFile::encodeName(side).constData(),
                           QFile::encodeName(aside + side.mid(path.size())).constData());
    }
    logLine(QStringLiteral("ℹ️ The empty store file was kept as ") + aside);
    return success();
}

// Why the store file cannot be used as it is, before anything is written; empty when it can (or
// does not exist yet).
std::pair<StartupRefusal, QString> checkStoreFile() {
    const QString path = storeFileURL();
    const QByteArray native = QFile::encodeName(path);
    if (!files::existsAt(path))
        return {StartupRefusal::none, {}};
    const int fd = ::open(native.constData(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) {
        return {StartupRefusal::storeUnusable,
                QStringLiteral("The store file “") % path % QStringLiteral("” cannot be read: ") %
                    files::systemErrorText(errno) % QStringLiteral(". It was left as it is.")};
    }
    ::close(fd);
    // SQLite writes the store and makes its two side files in the same folder.
    for (const QString& target : {path, storeDirectoryURL()}) {
        if (::faccessat(AT_FDCWD, QFile::encodeName(target).constData(), W_OK, AT_EACCESS) != 0) {
            return {StartupRefusal::storeReadOnly,
                    QStringLiteral("The store “") % path % QStringLiteral("” cannot be written (") %
                        files::systemErrorText(errno) %
                        QStringLiteral(
                            "), so changes could not be kept. It was not opened and is left as it is.")};
        }
    }
    return {StartupRefusal::none, {}};
}

// Why nothing could be saved on the disk that holds the store, or empty while it has room. Too
// little room for the launch snapshot and a save or two counts as full.
QString diskFullReason() {
    constexpr qint64 kLeastFreeBytes = 1 << 20;
    struct statvfs disk {};
    if (::statvfs(QFile::encodeName(storeDirectoryURL()).constData(), &disk) != 0)
        return {};
    // Blocks kept for the administrator are free to a process running as one.
    const qint64 free = qint64(::geteuid() == 0 ? disk.f_bfree : disk.f_bavail) * qint64(disk.f_frsize);
    if (free >= kLeastFreeBytes)
        return {};
    return QStringLiteral("The store “") % storeFileURL() % QStringLiteral("” cannot be written (") %
           files::systemErrorText(ENOSPC) %
           QStringLiteral(
               "), so changes could not be kept. It was not opened and is left as it is. Free some "
               "space on the disk and start Quillora again.");
}

} // namespace

AppStore openAppStore(const EmptyStoreQuestion& askAboutEmptyStore) {
    AppStore store;
    if (isRunningForPreviews()) {
        auto container = ModelContainer::inMemory();
        if (!container) {
            logLine(QStringLiteral("⚠️ Preview ModelContainer failed: ") + container.error());
            return store;
        }
        store.container = std::move(container).value();
        seedPreviewResume(store.container->mainContext());
        return store;
    }

    const auto refuse = [&store](StartupRefusal refusal, const QString& why) {
        store.refusal = refusal;
        store.fatalError = why;
        store.container.reset();
        store.lock.reset();
        return std::move(store);
    };

    // Nothing is written before this instance owns the data directory. A folder that cannot be
    // made or locked is left to the steps below, which say what is wrong with it.
    if (files::makeDirectoryPath(storeDirectoryURL())) {
        QString why;
        if (InstanceLock::tryAcquire(storeDirectoryURL(), store.lock, &why) ==
            InstanceLock::Outcome::heldByAnother)
            return refuse(StartupRefusal::anotherInstance, why);
    }

    // An empty store file is the user's to decide about, before the snapshots are taken: taking
    // it for a new store would soon push every copy of the résumés out of the Backups folder.
    if (isEmptyFile(storeFileURL()) &&
        !(files::existsAt(storeFileURLs().at(2)) && !isEmptyFile(storeFileURLs().at(2)))) {
        const EmptyStoreChoice choice = askAboutEmptyStore
                                            ? askAboutEmptyStore(storeFileURL(), backupsDirectoryURL())
                                            : EmptyStoreChoice::quit;
        if (choice == EmptyStoreChoice::quit) {
            return refuse(StartupRefusal::quitByUser,
                          QStringLiteral("The store file “") % storeFileURL() %
                              QStringLiteral("” is empty; it was left as it is."));
        }
        if (auto aside = keepEmptyStoreAside(); !aside)
            return refuse(StartupRefusal::storeUnusable, aside.error());
    }
    if (auto [refusal, why] = checkStoreFile(); refusal != StartupRefusal::none)
        return refuse(refusal, why);
    if (const QString full = diskFullReason(); !full.isEmpty())
        return refuse(StartupRefusal::storeReadOnly, full);

    runLaunchPreflight();
    if (auto status = ensureStoreDirectory(); !status)
        return refuse(StartupRefusal::storeUnusable, status.error());
    if (auto created = createStoreFileIfMissing(); !created)
        return refuse(StartupRefusal::storeUnusable, created.error());
    auto container = ModelContainer::open(storeFileURL());
    if (!container)
        return refuse(StartupRefusal::storeUnusable, container.error());
    store.container = std::move(container).value();
    logApplicationSupportListing();
    return store;
}

} // namespace quillora
