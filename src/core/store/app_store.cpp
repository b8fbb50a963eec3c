#include "store/app_store.h"

#include "platform/log.h"
#include "platform/safe_files.h"
#include "store/store_files.h"
#include "store/store_location.h"

#include <QDir>
#include <QProcessEnvironment>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
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

AppStore openAppStore() {
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

    runLaunchPreflight();
    if (auto status = ensureStoreDirectory(); !status) {
        store.fatalError = status.error();
        return store;
    }
    if (auto created = createStoreFileIfMissing(); !created) {
        store.fatalError = created.error();
        return store;
    }
    auto container = ModelContainer::open(storeFileURL());
    if (!container) {
        store.fatalError = container.error();
        return store;
    }
    store.container = std::move(container).value();
    logApplicationSupportListing();
    return store;
}

} // namespace quillora
