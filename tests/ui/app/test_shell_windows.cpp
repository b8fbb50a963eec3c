#include "app/app_look.h"
#include "app/main_window.h"
#include "app/services.h"
#include "app/window_registry.h"
#include "controls/glass_capsule_button.h"
#include "controls/hairline_splitter.h"
#include "controls/window_placement.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "support/test_home.h"

#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QScreen>
#include <QSettings>
#include <QSignalSpy>
#include <QSplitterHandle>
#include <QTest>
#include <QToolButton>
#include <QVBoxLayout>

using namespace quillora;

namespace {

QAction* actionNamed(QWidget& window, const QString& name) {
    return window.findChild<QAction*>(name);
}

} // namespace

class ShellWindowsTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/shell.ini"));
    Appearance& m_appearance = m_services->appearance();

private slots:
    void initTestCase() {
        m_appearance.setReduceMotionOverride(true);
        installAppLook(*qApp);
    }

    void aboutAndHelpCloseWithEscapeAndCtrlW() {
        for (const QString& identifier :
             {QStringLiteral("about-quillora"), QStringLiteral("help-quillora")}) {
            for (const QKeySequence& keys :
                 {QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)}) {
                QWidget* window = WindowRegistry::openWindow(*m_services, identifier);
                QVERIFY(window);
                QVERIFY(QTest::qWaitForWindowActive(window));
                QTest::keySequence(window, keys);
                QTRY_VERIFY2(!WindowRegistry::window(identifier), qPrintable(identifier + keys.toString()));
            }
        }
    }

    void windowsOpenCentredOverTheirAnchorAndInsideTheScreen() {
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QWidget anchor;
        anchor.resize(400, 300);
        anchor.move(screen.left() + 150, screen.top() + 120);
        anchor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&anchor));

        QWidget small;
        small.resize(200, 100);
        placeCentredOver(&small, &anchor);
        // Centred frame on frame (the new window's frame is taken to match the anchor's).
        const QPoint offset = QRect(small.pos(), small.size()).center() - anchor.frameGeometry().center();
        QVERIFY2(offset.manhattanLength() <= 8,
                 qPrintable(QStringLiteral("%1,%2").arg(offset.x()).arg(offset.y())));

        // Near the screen's corner the window is pushed back inside.
        anchor.move(screen.right() - 250, screen.bottom() - 100);
        QTRY_COMPARE(anchor.pos(), QPoint(screen.right() - 250, screen.bottom() - 100));
        placeCentredOver(&small, &anchor);
        QVERIFY(screen.contains(QRect(small.pos(), small.size())));

        // Larger than the screen: its top-left corner (and title bar) stays on screen.
        QWidget large;
        large.resize(screen.width() + 200, screen.height() + 200);
        placeCentredOver(&large, &anchor);
        QCOMPARE(large.pos(), screen.topLeft());

        // The registry places its windows over the window that asks.
        anchor.move(screen.left() + 10, screen.top() + 10);
        anchor.resize(screen.width() - 20, screen.height() - 20);
        QTRY_COMPARE(anchor.size(), QSize(screen.width() - 20, screen.height() - 20));
        QWidget* help = WindowRegistry::openWindow(*m_services, QStringLiteral("help-quillora"), &anchor);
        QVERIFY(screen.contains(QRect(help->pos(), QSize(std::min(help->width(), screen.width()),
                                                         std::min(help->height(), screen.height())))));
        help->close();
    }

    void returnPressesTheFocusedButton() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* tool = new QToolButton(&window);
        auto* glass = new GlassCapsuleButton(m_appearance, QStringLiteral("Open Website"), &window);
        for (QAbstractButton* b :
             {static_cast<QAbstractButton*>(tool), static_cast<QAbstractButton*>(glass)}) {
            b->setFocusPolicy(Qt::StrongFocus);
            layout->addWidget(b);
        }
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        for (QAbstractButton* b :
             {static_cast<QAbstractButton*>(tool), static_cast<QAbstractButton*>(glass)}) {
            QSignalSpy clicked(b, &QAbstractButton::clicked);
            b->setFocus();
            QTest::keyClick(b, Qt::Key_Return);
            QTRY_COMPARE(clicked.count(), 1);
            QTest::keyClick(b, Qt::Key_Enter, Qt::KeypadModifier);
            QTRY_COMPARE(clicked.count(), 2);
        }

        // In a dialog the focused push button takes Return itself, once, and not the default.
        QDialog dialog;
        auto* dialogLayout = new QVBoxLayout(&dialog);
        auto* cancel = new QPushButton(QStringLiteral("Cancel"), &dialog);
        auto* destructive = new QPushButton(QStringLiteral("Delete"), &dialog);
        dialogLayout->addWidget(cancel);
        dialogLayout->addWidget(destructive);
        destructive->setDefault(true);
        QSignalSpy cancelled(cancel, &QAbstractButton::clicked);
        QSignalSpy deleted(destructive, &QAbstractButton::clicked);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowActive(&dialog));
        cancel->setFocus();
        QTest::keyClick(cancel, Qt::Key_Return);
        QTRY_COMPARE(cancelled.count(),
                     1); // a click shown pressed for a moment first, as the default's would be
        QCOMPARE(cancelled.count(), 1);
        QCOMPARE(deleted.count(), 0);
    }

    void menusHaveAltLettersAndQuitHasCtrlQ() {
        Services services(std::move(ModelContainer::inMemory()).value());
        MainWindow window(services);
        const QList<QAction*> menus = window.menuBar()->actions();
        QCOMPARE(menus.size(), 2);
        QCOMPARE(menus.at(0)->text(), QStringLiteral("&Quillora"));
        QCOMPARE(menus.at(1)->text(), QStringLiteral("&Help"));
        QAction* quit = actionNamed(window, QStringLiteral("quitAction"));
        QCOMPARE(quit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
        QCOMPARE(quit->shortcutContext(), Qt::ApplicationShortcut);
        QCOMPARE(quit->text().remove(QLatin1Char('&')), QStringLiteral("Quit Quillora"));
        QCOMPARE(actionNamed(window, QStringLiteral("aboutQuilloraAction"))->text().remove(QLatin1Char('&')),
                 QStringLiteral("About Quillora"));
        QCOMPARE(actionNamed(window, QStringLiteral("quilloraHelpAction"))->text().remove(QLatin1Char('&')),
                 QStringLiteral("Quillora Help"));
        // Ctrl+Q quits from a sheet that holds the keys as from the window itself.
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QSignalSpy quitting(quit, &QAction::triggered);
        QDialog sheet(&window);
        sheet.setWindowModality(Qt::WindowModal);
        sheet.open();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QTest::keyClick(&sheet, Qt::Key_Q, Qt::ControlModifier);
        QTRY_COMPARE(quitting.count(), 1);
        sheet.close();
        // Each menu's items have letters of their own.
        for (QAction* menu : menus) {
            QSet<QChar> letters;
            for (QAction* item : menu->menu()->actions()) {
                if (item->isSeparator())
                    continue;
                const qsizetype amp = item->text().indexOf(QLatin1Char('&'));
                QVERIFY2(amp >= 0, qPrintable(item->text()));
                QVERIFY(!letters.contains(item->text().at(amp + 1).toLower()));
                letters.insert(item->text().at(amp + 1).toLower());
            }
        }
    }

    void theDividerIsAHairlineInTheSchemesInk() {
        Services services(std::move(ModelContainer::inMemory()).value());
        MainWindow window(services);
        auto* split = window.findChild<HairlineSplitter*>(QStringLiteral("splitView"));
        QVERIFY(split);
        QCOMPARE(split->handleWidth(), 1);
        services.appearance().setLightOverride(true);
        const QColor light = split->lineColor();
        services.appearance().setLightOverride(false);
        const QColor dark = split->lineColor();
        QVERIFY(light.alphaF() < 0.5 && dark.alphaF() < 0.5);
        QVERIFY(light.lightnessF() < 0.2);
        QVERIFY(dark.lightnessF() > 0.8);
    }

    void theAppHasAnIconAndADesktopEntry() {
        QVERIFY(!QApplication::windowIcon().isNull());
        QVERIFY(!QApplication::windowIcon().pixmap(48, 48).isNull());
        QSettings entry(QStringLiteral(QUILLORA_SOURCE_DIR "/resources/desktop/quillora.desktop"),
                        QSettings::IniFormat);
        entry.beginGroup(QStringLiteral("Desktop Entry"));
        QCOMPARE(entry.value(QStringLiteral("Type")).toString(), QStringLiteral("Application"));
        QCOMPARE(entry.value(QStringLiteral("Exec")).toString(), QStringLiteral("quillora"));
        QCOMPARE(entry.value(QStringLiteral("Icon")).toString(), QStringLiteral("quillora"));
    }
};

QUILLORA_TEST_MAIN(ShellWindowsTest)
#include "test_shell_windows.moc"
