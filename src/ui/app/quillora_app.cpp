#include "app/quillora_app.h"

#include "app/app_look.h"
#include "app/main_window.h"
#include "app/plain_text_labels.h"
#include "app/services.h"
#include "app/startup_messages.h"
#include "app/unix_signals.h"
#include "controls/accessibility_traits.h"
#include "controls/window_rules.h"
#include "output/resume_pdf_generator.h"
#include "platform/desktop_motion.h"
#include "platform/log.h"
#include "platform/safe_files.h"
#include "sharing/morvessa_cloud_service.h"
#include "sharing/morvessa_sharing.h"
#include "store/app_store.h"
#include "store/store_location.h"
#include "store/user_backup.h"
#include "theme/font_resolver.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QtConcurrent/QtConcurrentRun>

#include <csignal>
#include <cstdio>

#include <unistd.h>

namespace quillora {

void prepareQuilloraApplication(QApplication& app) {
    QApplication::setOrganizationName(QStringLiteral("Quillora"));
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillora"));
    QApplication::setDesktopFileName(QStringLiteral("quillora"));
    quitOnTerminationSignals(&app);
    installAccessibilityRules();
    // A file growing past the size limit must fail its write with "File too large", which is
    // reported like any other write error, rather than end the process with unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    installAppLook(app);
    showLabelsAsPlainText(app);
    installWindowRules(app);
    FontResolver::registerAppFonts();
}

namespace {

// What writes killed half-way left behind, in the folders the app writes: the store's folder and
// its Backups, the settings' folder, the temporary folder the exports go to and the payload
// folder. Only this app's own temporary files go, and only those no running writer holds; the
// instance lock keeps another Quillora on these folders from starting meanwhile.
// The payload files of uploads that were cut short go the same way, from the payload folder and
// from the private folders uploads used instead.
void removeLeftoverTemporaryFiles(const QString& settingsFile) {
    const auto report = [](int removed, const QString& where) {
        if (removed > 0)
            logLine(QStringLiteral("🧹 Removed %1 leftover temporary file(s) from ").arg(removed) + where);
    };
    QStringList folders{storeDirectoryURL(), backupsDirectoryURL(), QFileInfo(settingsFile).absolutePath()};
    const Result<QString> temporary = files::temporaryFolder();
    if (!temporary) {
        logLine(QStringLiteral("⚠️ ") + temporary.error());
    } else {
        folders << *temporary;
    }
    for (const QString& folder : std::as_const(folders))
        report(files::removeLeftoverTemporaryFiles(folder), folder);
    if (!temporary)
        return;
    report(files::removeLeftoverTemporaryFiles(MorvessaCloudService::temporaryFolder(),
                                               &MorvessaCloudService::isPayloadFileName),
           MorvessaCloudService::temporaryFolder());
    const QString uploads = MorvessaCloudService::privateFolderPrefix();
    report(files::removeLeftoverPrivateTemporaryFolders(uploads, &MorvessaCloudService::isPayloadFileName),
           QDir(*temporary).filePath(uploads + QStringLiteral("XXXXXX")));
}

// The exports' folders that earlier runs, of this Quillora or of another on other data, left in
// the temporary folder (the exports of editors that were closed, of pushes that were killed),
// with their PDFs: those of running processes stay. There may be many, so it runs on a worker.
QFuture<void> removeExportsOfEndedRuns() {
    return QtConcurrent::run([] {
        const QString prefix = ResumePDFGenerator::privateFolderPrefix();
        const int removed = files::removeAbandonedTemporaryFolders(prefix);
        if (const Result<QString> temporary = files::temporaryFolder(); temporary && removed > 0)
            logLine(QStringLiteral("🧹 Removed %1 export folder(s) of earlier runs from ").arg(removed) +
                    QDir(*temporary).filePath(prefix + QStringLiteral("XXXXXX")));
    });
}

} // namespace

std::unique_ptr<QuilloraSession> QuilloraSession::start(const MessageRunner& runMessage, int* exitCode) {
    *exitCode = 0;
    AppStore store = openAppStore([&runMessage](const QString& storeFile, const QString& backups) {
        return askAboutEmptyStore(storeFile, backups, runMessage);
    });
    switch (store.refusal) {
    case StartupRefusal::none:
        break;
    case StartupRefusal::quitByUser:
        logLine(QStringLiteral("ℹ️ Start-up stopped: ") + store.fatalError);
        return nullptr;
    case StartupRefusal::anotherInstance:
        logLine(QStringLiteral("⚠️ Quillora is already running: ") + store.fatalError);
        showStartupRefusal(store, runMessage);
        return nullptr;
    case StartupRefusal::storeUnusable:
    case StartupRefusal::storeReadOnly:
        logLine(QStringLiteral("SwiftData ModelContainer failed: ") + store.fatalError);
        showStartupRefusal(store, runMessage);
        *exitCode = 1;
        return nullptr;
    }

    // Everything the screens share, built once and passed down; it outlives the window.
    std::unique_ptr<QuilloraSession> session(new QuilloraSession);
    session->m_lock = std::move(store.lock);
    session->m_services = std::make_unique<Services>(std::move(store.container));
    removeLeftoverTemporaryFiles(session->m_services->settings().fileName());
    session->m_exportsCleanUp = removeExportsOfEndedRuns();
    session->m_services->appearance().setMotionSource(makeDesktopMotionSource());
    session->m_window = std::make_unique<MainWindow>(*session->m_services);
    if (session->m_services->hasStore())
        session->m_saveFailures =
            std::make_unique<SaveFailureNotice>(session->m_services->context(), session->m_window.get());
    // Pushes to the recruiting network that a kill cut short, settled against the store they
    // wrote their names into (not the preview's store in memory).
    if (session->m_services->hasStore() && !session->m_services->store().storeFilePath().isEmpty())
        session->m_settling =
            settleInterruptedMorvessaPushes(MorvessaCloudService(), session->m_services->context());
    session->m_window->show();
    return session;
}

int QuilloraSession::exec() {
    const int code = QApplication::exec();
    m_settling.cancel();
    stopMorvessaWork();
    m_window->enterBackground();
    waitForUserBackups();
    return code;
}

QuilloraSession::~QuilloraSession() {
    m_exportsCleanUp.waitForFinished();
    m_settling.cancel();
    stopMorvessaWork();
    m_saveFailures.reset();
    m_window.reset();
    waitForUserBackups();
    m_services.reset();
    // No other start may settle the pushes in progress while a worker of this one may still
    // change what the database holds.
    holdWhileMorvessaWorkRuns(std::shared_ptr<InstanceLock>(std::move(m_lock)));
}

int QuilloraSession::end(std::unique_ptr<QuilloraSession> session, int code) {
    session.reset();
    if (waitForMorvessaWork(kLongestWaitAtQuit))
        return code;
    // A worker is held up where nothing stops it (a host name the resolver does not answer):
    // the process ends now, and the system closes its connections and lets go of the instance
    // lock together. What was cut short stays listed for the next start.
    logLine(QStringLiteral("⚠️ Quitting without waiting any longer for the recruiting network's "
                           "database; what it did not finish is checked at the next start"));
    std::fflush(nullptr);
    ::_exit(code);
}

int runQuillora(QApplication& app, const MessageRunner& runMessage) {
    prepareQuilloraApplication(app);
    int code = 0;
    std::unique_ptr<QuilloraSession> session = QuilloraSession::start(runMessage, &code);
    if (!session)
        return code;
    code = session->exec();
    return QuilloraSession::end(std::move(session), code);
}

} // namespace quillora
