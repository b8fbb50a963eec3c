#include "app/main_window.h"

#include "app/services.h"
#include "app/window_registry.h"
#include "controls/window_placement.h"
#include "platform/log.h"
#include "store/model_container.h"
#include "store/user_backup.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMenuBar>
#include <QTimer>
#include <QWindowStateChangeEvent>

namespace quillora {

namespace {

// The main window's menu is behind a sheet that holds the keys, and Qt then leaves its shortcuts
// unheard, Quit's too: every window the app shows (a sheet, a dialog, the Help window) carries
// the Quit action as well, so Ctrl+Q quits from anywhere as from the main window.
class QuitFromEveryWindow final : public QObject {
public:
    explicit QuitFromEveryWindow(QAction* quit)
        : QObject(quit)
        , m_quit(quit) {
        qApp->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Show || !watched->isWidgetType())
            return false;
        auto* window = static_cast<QWidget*>(watched);
        const Qt::WindowType type = window->windowType();
        if (window->isWindow() && type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen &&
            !window->actions().contains(m_quit))
            window->addAction(m_quit);
        return false;
    }

private:
    QAction* m_quit;
};

} // namespace

MainWindow::MainWindow(Services& services, UserInterfaceIdiom idiom, QWidget* parent)
    : QMainWindow(parent)
    , m_services(services)
    , m_container(services.hasStore() ? &services.store() : nullptr) {
    setObjectName(QStringLiteral("mainWindow"));
    // The window's own title stays empty; the window manager shows the application name.
    setWindowTitle(QString());
    // A screen reader names the window as the window manager does.
    setAccessibleName(QApplication::applicationDisplayName());
    // Room for the list's bar and two cards beside a usable detail column.
    setMinimumSize(minimumWindowSize);
    fitToAvailableGeometry(this, QSize(1180, 780));
    buildMenus();

    if (m_container == nullptr) {
        auto* unavailable =
            new QLabel(QStringLiteral("Preview unavailable: SwiftData failed to initialize."), this);
        unavailable->setObjectName(QStringLiteral("previewUnavailableLabel"));
        unavailable->setAlignment(Qt::AlignCenter);
        unavailable->setWordWrap(true);
        unavailable->setContentsMargins(16, 16, 16, 16);
        setCentralWidget(unavailable);
        return;
    }
    m_content = new ContentView(m_services, idiom, this);
    setCentralWidget(m_content);
    connect(this, &MainWindow::willEnterBackground, m_content, &ContentView::willEnterBackground);
    connect(qApp, &QCoreApplication::aboutToQuit, this, &MainWindow::enterBackground);
}

MainWindow::~MainWindow() {
    // Backups still being written read nothing of this window, but must finish before the
    // store or the process goes.
    waitForUserBackups();
}

void MainWindow::buildMenus() {
    // Each menu and item has an Alt-letter; the keys are set here rather than taken from the
    // platform theme, which may leave Quit without one.
    QMenu* appMenu = menuBar()->addMenu(QStringLiteral("&Quillora"));
    appMenu->setObjectName(QStringLiteral("appMenu"));
    QAction* about = appMenu->addAction(QStringLiteral("&About Quillora"));
    about->setObjectName(QStringLiteral("aboutQuilloraAction"));
    about->setMenuRole(QAction::AboutRole);
    connect(about, &QAction::triggered, this,
            [this] { WindowRegistry::openWindow(m_services, QStringLiteral("about-quillora"), this); });
    appMenu->addSeparator();
    QAction* quit = appMenu->addAction(QStringLiteral("&Quit Quillora"));
    quit->setObjectName(QStringLiteral("quitAction"));
    quit->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    quit->setShortcutContext(Qt::ApplicationShortcut);
    quit->setMenuRole(QAction::QuitRole);
    connect(quit, &QAction::triggered, qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    new QuitFromEveryWindow(quit);

    QMenu* helpMenu = menuBar()->addMenu(QStringLiteral("&Help"));
    helpMenu->setObjectName(QStringLiteral("helpMenu"));
    QAction* help = helpMenu->addAction(QStringLiteral("Quillora &Help"));
    help->setObjectName(QStringLiteral("quilloraHelpAction"));
    help->setShortcut(QKeySequence(Qt::Key_F1));
    help->setShortcutContext(Qt::ApplicationShortcut);
    connect(help, &QAction::triggered, this,
            [this] { WindowRegistry::openWindow(m_services, QStringLiteral("help-quillora"), this); });
}

void MainWindow::writeLaunchBackupOnce() {
    if (m_didWriteLaunchBackup || m_container == nullptr)
        return;
    m_didWriteLaunchBackup = true;
    writeUserBackupInBackground(m_container->mainContext(), QStringLiteral("launch"),
                                m_container->storeFilePath());
}

void MainWindow::enterBackground() {
    if (m_inBackground || m_container == nullptr)
        return;
    m_inBackground = true;
    emit willEnterBackground();
    // The open editor has saved its résumé on that signal; whatever else is pending (an edit
    // made outside any editor) is saved here, so leaving or quitting never loses it.
    ModelContext& context = m_container->mainContext();
    if (context.hasChanges()) {
        if (auto status = context.save(); !status)
            logLine(QStringLiteral("⚠️ Failed to save before going to the background: ") +
                    status.error());
    }
    writeUserBackupInBackground(context, QStringLiteral("background"), m_container->storeFilePath());
}

void MainWindow::enterForeground() {
    m_inBackground = false;
}

void MainWindow::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange) {
        if (isMinimized())
            enterBackground();
        else if (isVisible())
            enterForeground();
    } else if (event->type() == QEvent::ActivationChange && isActiveWindow()) {
        enterForeground();
    }
}

void MainWindow::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    enterForeground();
    if (!m_didWriteLaunchBackup)
        QTimer::singleShot(0, this, &MainWindow::writeLaunchBackupOnce);
}

void MainWindow::hideEvent(QHideEvent* event) {
    QMainWindow::hideEvent(event);
    enterBackground();
}

void MainWindow::closeEvent(QCloseEvent* event) {
    enterBackground();
    event->accept();
}

} // namespace quillora
