#include "app/quillora_app.h"

#include "app/app_look.h"
#include "app/main_window.h"
#include "app/plain_text_labels.h"
#include "app/startup_messages.h"
#include "app/unix_signals.h"
#include "platform/log.h"
#include "platform/services.h"
#include "store/app_store.h"
#include "store/user_backup.h"
#include "theme/font_resolver.h"

#include <QApplication>

#include <csignal>

namespace quillora {

int runQuillora(QApplication& app, const MessageRunner& runMessage) {
    QApplication::setOrganizationName(QStringLiteral("Quillora"));
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    QApplication::setApplicationDisplayName(QStringLiteral("Quillora"));
    QApplication::setDesktopFileName(QStringLiteral("quillora"));
    quitOnTerminationSignals(&app);
    // A file growing past the size limit must fail its write with "File too large", which is
    // reported like any other write error, rather than end the process with unsaved work.
    std::signal(SIGXFSZ, SIG_IGN);
    installAppLook(app);
    showLabelsAsPlainText(app);
    FontResolver::registerAppFonts();

    AppStore store = openAppStore([&runMessage](const QString& storeFile, const QString& backups) {
        return askAboutEmptyStore(storeFile, backups, runMessage);
    });
    switch (store.refusal) {
    case StartupRefusal::none:
        break;
    case StartupRefusal::quitByUser:
        logLine(QStringLiteral("ℹ️ Start-up stopped: ") + store.fatalError);
        return 0;
    case StartupRefusal::anotherInstance:
        logLine(QStringLiteral("⚠️ Quillora is already running: ") + store.fatalError);
        showStartupRefusal(store, runMessage);
        return 0;
    case StartupRefusal::storeUnusable:
    case StartupRefusal::storeReadOnly:
        logLine(QStringLiteral("SwiftData ModelContainer failed: ") + store.fatalError);
        showStartupRefusal(store, runMessage);
        return 1;
    }

    // Everything the screens share, built once and passed down; it outlives the window.
    Services services(std::move(store.container));
    MainWindow window(services);
    std::unique_ptr<SaveFailureNotice> saveFailures;
    if (services.hasStore())
        saveFailures = std::make_unique<SaveFailureNotice>(services.context(), &window);
    window.show();
    const int code = app.exec();
    window.enterBackground();
    waitForUserBackups();
    return code;
}

} // namespace quillora
