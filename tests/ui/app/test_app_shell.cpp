#include "app/about_window.h"
#include "app/content_view.h"
#include "app/intro_overlay.h"
#include "app/main_window.h"
#include "app/services.h"
#include "app/window_registry.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/desktop_motion.h"
#include "store/app_store.h"
#include "store/store_location.h"
#include "store/user_backup.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QGraphicsDropShadowEffect>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace quillora;

namespace {

QStringList backupFiles() {
    return QDir(backupsDirectoryURL())
        .entryList({QStringLiteral("resume-backup-*.json")}, QDir::Files, QDir::Name);
}

QString readAll(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? QString::fromUtf8(f.readAll()) : QString();
}

QJsonObject latestBackup() {
    return QJsonDocument::fromJson(
               readAll(backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json")).toUtf8())
        .object();
}

QString latestReason() {
    return latestBackup().value(QStringLiteral("reason")).toString();
}

} // namespace

class AppShellTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/shell.ini"));
    Appearance& m_appearance = m_services->appearance();

private slots:
    void initTestCase() { m_appearance.setReduceMotionOverride(true); }

    void init() {
        qunsetenv("XCODE_RUNNING_FOR_PREVIEWS");
        test::resetDataDirectory();
    }

    void previewTestIsExactlyTheTextOne() {
        for (const char* value : {"0", "true", " 1", "11", ""}) {
            qputenv("XCODE_RUNNING_FOR_PREVIEWS", value);
            QVERIFY2(!isRunningForPreviews(), value);
        }
        qputenv("XCODE_RUNNING_FOR_PREVIEWS", "1");
        QVERIFY(isRunningForPreviews());
    }

    void freshStartCreatesTheStoreAndWritesTheLaunchBackup() {
        AppStore store = openAppStore();
        QVERIFY(store.fatalError.isEmpty());
        QVERIFY(store.container);
        QVERIFY(QFileInfo(storeFileURL()).isFile());
        QVERIFY(QFileInfo(backupsDirectoryURL()).isDir());
        store.container->mainContext().setAutosaveEnabled(false);

        Services services(std::move(store.container));

        services.appearance().setReduceMotionOverride(true);
        MainWindow window(services);
        window.show();
        QTRY_COMPARE(latestReason(), QStringLiteral("launch"));
        QCOMPARE(backupFiles().size(), 1);
        // Showing the window again writes no second launch backup.
        window.hide();
        waitForUserBackups();
        QCOMPARE(latestReason(), QStringLiteral("background"));
        window.show();
        QTest::qWait(50);
        waitForUserBackups();
        QCOMPARE(latestReason(), QStringLiteral("background"));
    }

    void previewModeUsesTheSampleAndTouchesNoFile() {
        qputenv("XCODE_RUNNING_FOR_PREVIEWS", "1");
        QDir(applicationSupportURL()).removeRecursively();
        AppStore store = openAppStore();
        QVERIFY(store.container);
        QVERIFY(store.container->isInMemory());
        const auto resumes = *store.container->mainContext().fetchResumes();
        QCOMPARE(resumes.size(), 1);
        const ResumePtr sample = resumes.first();
        QCOMPARE(sample->title(), QStringLiteral("Preview Resume"));
        QCOMPARE(sample->fontName(), QStringLiteral("Helvetica Neue"));
        QVERIFY(sample->includeSkills());
        QCOMPARE(sample->appliedSkills().size(), 3);
        QCOMPARE(sample->titleSummary().value(), QStringLiteral("Summary"));
        QVERIFY(!sample->atsInsertedKeywords().has_value());
        QVERIFY(!QFileInfo::exists(storeDirectoryURL()));

        // Seeding again changes nothing.
        seedPreviewResume(store.container->mainContext());
        QCOMPARE(store.container->mainContext().fetchResumes()->size(), 1);
    }

    void unopenableStoreEndsTheProgramAndKeepsTheFile() {
        QVERIFY(ensureStoreDirectory().ok());
        {
            QFile f(storeFileURL());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("not a database");
        }
        AppStore store = openAppStore();
        QVERIFY(!store.container);
        QVERIFY(!store.fatalError.isEmpty());

        // The binary shows its refusal in a window, which a termination signal closes.
        QProcess app;
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QStringLiteral(QUILLORA_APP_BINARY), {});
        QVERIFY(app.waitForStarted());
        QString output;
        QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(app.readAll()))
                                     .contains(QStringLiteral("SwiftData ModelContainer failed: ")),
                                 20000);
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QVERIFY(app.exitCode() != 0);
        QCOMPARE(readAll(storeFileURL()), QStringLiteral("not a database"));
    }

    void goingToTheBackgroundSavesAndBacksUp() {
        AppStore store = openAppStore();
        auto& context = store.container->mainContext();
        context.setAutosaveEnabled(false);
        auto resume = test::makeEmptyResume(QStringLiteral("Draft"));
        context.insert(resume);
        QVERIFY(context.save().ok());

        Services services(std::move(store.container));

        services.appearance().setReduceMotionOverride(true);
        MainWindow window(services);
        window.show();
        QTRY_COMPARE(latestReason(), QStringLiteral("launch"));

        resume->setSummary(QStringLiteral("typed but not saved"));
        QSignalSpy willEnter(&window, &MainWindow::willEnterBackground);
        window.setWindowState(Qt::WindowMinimized);
        QCOMPARE(willEnter.count(), 1);
        QVERIFY(!context.hasChanges());
        QTRY_COMPARE(latestReason(), QStringLiteral("background"));
        QVERIFY(readAll(backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json"))
                    .contains(QStringLiteral("typed but not saved")));

        // Back in front, then closed: one more background step.
        window.setWindowState(Qt::WindowNoState);
        QVERIFY(!window.isInBackground());
        resume->setSummary(QStringLiteral("edited before quitting"));
        window.close();
        QCOMPARE(willEnter.count(), 2);
        QVERIFY(!context.hasChanges());
        auto reopened = ModelContainer::open(storeFileURL());
        QVERIFY(reopened.ok());
        QCOMPARE(reopened.value()->mainContext().fetchResumes()->first()->summary(),
                 QStringLiteral("edited before quitting"));
    }

    void terminationSignalQuitsWithoutLosingData() {
        QProcess app;
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QStringLiteral(QUILLORA_APP_BINARY), {});
        QVERIFY(app.waitForStarted());
        QString output;
        QTRY_VERIFY_WITH_TIMEOUT((output += QString::fromUtf8(app.readAll())).contains(QStringLiteral("📁")),
                                 20000);
        QTRY_VERIFY_WITH_TIMEOUT(latestReason() == QLatin1String("launch"), 20000);
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY(app.waitForFinished(20000));
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(app.exitCode(), 0);
        QCOMPARE(latestReason(), QStringLiteral("background"));
    }

    void selectionDrivesTheDetailColumnAndDeletionClearsIt() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/shell.ini"));
        services->appearance().setReduceMotionOverride(true);
        auto& context = services->context();
        auto first = test::makeEmptyResume(QStringLiteral("First"));
        auto second = test::makeEmptyResume(QStringLiteral("Second"));
        context.insert(first);
        context.insert(second);
        QVERIFY(context.save().ok());

        ContentView view(*services, UserInterfaceIdiom::pad);
        view.resize(1000, 700);
        view.show();
        // The intro over the window is a picture only: a screen reader never meets it.
        QWidget* intro = view.introOverlay();
        QVERIFY(intro);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&view);
        for (int i = 0; i < reader->childCount(); ++i)
            QVERIFY(reader->child(i)->object() != intro);
        QCOMPARE(view.detailWidget()->objectName(), QStringLiteral("emptyResumeView"));
        QVERIFY(view.detailWidget()->findChild<QLabel*>(QStringLiteral("emptyResumeTitle")));
        QCOMPARE(view.detailWidget()->findChild<QLabel*>(QStringLiteral("emptyResumeTitle"))->text(),
                 QStringLiteral("Select a Résumé"));

        services->events().postSelectResume(second);
        QCOMPARE(view.selectedResume(), second);
        QCOMPARE(view.detailWidget()->findChild<QLabel*>(QStringLiteral("editorNavigationTitle"))->text(),
                 QStringLiteral("Second"));

        // Posts without a résumé change nothing.
        services->events().postSelectResume(nullptr);
        services->events().postSelectResume(std::make_shared<QObject>());
        QCOMPARE(view.selectedResume(), second);

        context.deleteRecord(second);
        QVERIFY(!view.selectedResume());
        QCOMPARE(view.detailWidget()->objectName(), QStringLiteral("emptyResumeView"));
        QVERIFY(context.save().ok());
        QCOMPARE(context.fetchResumes()->size(), 1);

        // The list-only idiom ignores the notification.
        ContentView list(*services, UserInterfaceIdiom::other);
        services->events().postSelectResume(first);
        QVERIFY(!list.selectedResume());
    }

    void aboutAndHelpAreSingleInstanceWindows() {
        QWidget* about = WindowRegistry::openWindow(*m_services, QStringLiteral("about-quillora"));
        QVERIFY(about);
        QCOMPARE(about->objectName(), QStringLiteral("about-quillora"));
        QCOMPARE(about->windowTitle(), QStringLiteral("About Quillora"));
        QCOMPARE(about->size(), QSize(760, 620));
        QCOMPARE(WindowRegistry::openWindow(*m_services, QStringLiteral("about-quillora")), about);
        QCOMPARE(about->findChild<QLabel*>(QStringLiteral("aboutTagline"))->text(),
                 QStringLiteral("Creative resume building for expressive professionals."));

        QWidget* help = WindowRegistry::openWindow(*m_services, QStringLiteral("help-quillora"));
        QVERIFY(help);
        QCOMPARE(help->windowTitle(), QStringLiteral("Quillora Help"));
        QCOMPARE(help->size(), QSize(860, 700));
        QCOMPARE(WindowRegistry::openWindow(*m_services, QStringLiteral("help-quillora")), help);

        about->close();
        help->close();
        QTRY_VERIFY(!WindowRegistry::window(QStringLiteral("about-quillora")));
    }

    void versionLineFallsBackPerValue() {
        QCOMPARE(aboutVersionLine(QStringLiteral("2.3"), QStringLiteral("45")),
                 QStringLiteral("Version 2.3 (45)"));
        QCOMPARE(aboutVersionLine(QVariant(), QVariant()), QStringLiteral("Version 1.0 (1)"));
        QCOMPARE(aboutVersionLine(QStringLiteral("2.3"), QVariant(45)), QStringLiteral("Version 2.3 (1)"));
        QCOMPARE(aboutVersionLine(QVariant(2.3), QStringLiteral("7")), QStringLiteral("Version 1.0 (7)"));
        QVERIFY(aboutVersionLine().startsWith(QStringLiteral("Version ")));
        QVERIFY(!AboutWindow::openWebsite(QStringLiteral("not a url")));
    }

    void introHandMarkComesIntoFocus() {
        for (const bool reduceMotion : {false, true}) {
            Appearance appearance;
            appearance.setReduceMotionOverride(reduceMotion);
            QWidget host;
            IntroLogoOverlay overlay(appearance, &host);
            QCOMPARE(overlay.handBlurRadius(), 20.0);
            overlay.startIntroLogoFade();
            if (reduceMotion) {
                // Shown at once, sharp.
                QCOMPARE(overlay.handBlurRadius(), 0.0);
                QCOMPARE(overlay.handAnimation().state(), QAbstractAnimation::Stopped);
                continue;
            }
            // Eased out over 1.4 s along with the scale, the offset and the fade.
            QVariantAnimation& animation = overlay.handAnimation();
            QCOMPARE(animation.state(), QAbstractAnimation::Running);
            QCOMPARE(animation.duration(), 1400);
            QCOMPARE(animation.easingCurve().type(), QEasingCurve::OutCubic);
            animation.setCurrentTime(700);
            QVERIFY(overlay.handBlurRadius() > 0 && overlay.handBlurRadius() < 10);
            // Painting while blurred works at any point of the way.
            host.resize(800, 600);
            overlay.resize(800, 600);
            QVERIFY(!overlay.grab().isNull());
            animation.setCurrentTime(1400);
            QCOMPARE(overlay.handBlurRadius(), 0.0);
        }
    }

    // The marks stand centred over the window on the pad idiom (the desktop's) and 100 points
    // higher on other idioms, which keep 200 points free below them; the main window hands
    // its idiom on.
    void introMarksKeepTheirIdiomsRoomBelow() {
        const auto markRows = [](IntroLogoOverlay& overlay) {
            const QImage shot = overlay.grab().toImage();
            int top = shot.height();
            int bottom = -1;
            for (int y = 0; y < shot.height(); ++y) {
                for (int x = 0; x < shot.width(); ++x) {
                    if (QColor(shot.pixel(x, y)).lightness() > 128) {
                        top = std::min(top, y);
                        bottom = y;
                        break;
                    }
                }
            }
            return std::pair{top, bottom};
        };
        Appearance appearance;
        appearance.setReduceMotionOverride(true);
        QWidget host;
        IntroLogoOverlay pad(appearance, &host, UserInterfaceIdiom::pad);
        IntroLogoOverlay other(appearance, &host, UserInterfaceIdiom::other);
        for (IntroLogoOverlay* overlay : {&pad, &other}) {
            overlay->resize(800, 700);
            overlay->startIntroLogoFade();
        }
        const auto [padTop, padBottom] = markRows(pad);
        const auto [otherTop, otherBottom] = markRows(other);
        QVERIFY(padBottom - padTop > 200); // both marks drawn
        QVERIFY2(std::abs((padTop + padBottom) / 2 - 350) <= 12, qPrintable(QString::number(padTop)));
        QCOMPARE(otherTop, padTop - 100);
        QCOMPARE(otherBottom, padBottom - 100);
        QCOMPARE(pad.bottomInset(), 0.0);
        QCOMPARE(other.bottomInset(), 200.0);

        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/idiom.ini"));
        for (const auto idiom : {UserInterfaceIdiom::pad, UserInterfaceIdiom::other}) {
            ContentView view(*services, idiom);
            auto* intro = qobject_cast<IntroLogoOverlay*>(view.introOverlay());
            QVERIFY(intro);
            QCOMPARE(intro->bottomInset(), idiom == UserInterfaceIdiom::pad ? 0.0 : 200.0);
        }
    }

    void introWordMarkGlowSwingsFromNothing() {
        for (const bool reduceMotion : {false, true}) {
            Appearance appearance;
            appearance.setReduceMotionOverride(reduceMotion);
            QWidget host;
            IntroLogoOverlay overlay(appearance, &host);
            overlay.resize(800, 600);
            overlay.startIntroLogoFade();
            QVariantAnimation& glow = overlay.glowAnimation();
            QCOMPARE(overlay.isGlowing(), !reduceMotion);
            QCOMPARE(overlay.glowRadius(), 0.0);
            if (reduceMotion) {
                QCOMPARE(glow.state(), QAbstractAnimation::Stopped);
                continue;
            }
            QCOMPARE(glow.duration(), IntroLogoOverlay::glowSwingMs);
            QCOMPARE(glow.easingCurve().type(), QEasingCurve::InOutQuad);
            QTRY_COMPARE(glow.state(), QAbstractAnimation::Running);
            glow.setCurrentTime(750);
            QVERIFY(overlay.glowRadius() > 10 && overlay.glowRadius() < 25);
            QVERIFY(!overlay.grab().isNull());
            // At full radius it swings back, and on again.
            glow.setCurrentTime(1500);
            QCOMPARE(overlay.glowRadius(), 35.0);
            QCOMPARE(glow.state(), QAbstractAnimation::Running);
            QCOMPARE(glow.direction(), QAbstractAnimation::Backward);
            glow.setCurrentTime(0);
            QCOMPARE(overlay.glowRadius(), 0.0);
            QCOMPARE(glow.direction(), QAbstractAnimation::Forward);
            QCOMPARE(glow.state(), QAbstractAnimation::Running);
        }
    }

    void introWaitsBrieflyForTheDesktopsMotionSetting() {
        // A desktop that answers late: its answer decides how the intro starts. One that never
        // answers holds the intro back only a moment.
        struct PendingSource final : MotionPreferenceSource {
            std::optional<bool> reduceMotion() const override { return value; }
            bool isSettled() const override { return answered; }
            std::optional<bool> value;
            bool answered = false;
        };
        for (const bool answers : {true, false}) {
            Appearance appearance;
            auto source = std::make_unique<PendingSource>();
            PendingSource* desktop = source.get();
            appearance.setMotionSource(std::move(source));
            QWidget host;
            IntroLogoOverlay overlay(appearance, &host);
            overlay.startIntroLogoFade();
            QVERIFY(overlay.isWaitingForDesktop() && !overlay.isShown());
            if (!answers) {
                QTRY_VERIFY(overlay.isShown());
                QCOMPARE(overlay.handAnimation().state(), QAbstractAnimation::Running);
                continue;
            }
            QTest::qWait(50);
            desktop->value = true;
            desktop->answered = true;
            emit desktop->changed();
            emit desktop->settled();
            QVERIFY(overlay.isShown() && !overlay.isGlowing());
            QCOMPARE(overlay.handBlurRadius(), 0.0);
            QCOMPARE(overlay.handAnimation().state(), QAbstractAnimation::Stopped);
        }
    }

    void aboutLogoCastsItsShadow() {
        Services services(nullptr);
        AboutWindow about(services);
        auto* logo = about.findChild<QWidget*>(QStringLiteral("aboutLogo"));
        QVERIFY(logo);
        auto* shadow = qobject_cast<QGraphicsDropShadowEffect*>(logo->graphicsEffect());
        QVERIFY(shadow);
        QCOMPARE(shadow->color(), QColor::fromRgbF(0, 0, 0, 0.28f));
        QCOMPARE(shadow->blurRadius(), 48.0);
        QCOMPARE(shadow->offset(), QPointF(0, 14));
        // It shows under the logo: the card is darker just below the logo than beside it.
        about.show();
        const QImage image = about.grab().toImage();
        const QPoint bottom = logo->mapTo(&about, QPoint(logo->width() / 2, logo->height() + 8));
        const QPoint beside = bottom + QPoint(logo->width() / 2 + 40, -40);
        QVERIFY2(
            qGray(image.pixel(bottom)) + 6 < qGray(image.pixel(beside)),
            qPrintable(
                QStringLiteral("%1 %2").arg(qGray(image.pixel(bottom))).arg(qGray(image.pixel(beside)))));
    }

    void mainWindowWithoutStoreShowsOnlyTheText() {
        Services services(nullptr);
        services.appearance().setReduceMotionOverride(true);
        MainWindow window(services);
        auto* label = qobject_cast<QLabel*>(window.centralWidget());
        QVERIFY(label);
        QCOMPARE(label->text(), QStringLiteral("Preview unavailable: SwiftData failed to initialize."));
        QVERIFY(window.windowTitle().isEmpty());
    }
};

QUILLORA_TEST_MAIN(AppShellTest)
#include "test_app_shell.moc"
