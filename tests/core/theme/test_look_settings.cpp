#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/theme_controller.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QPalette>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <memory>

using namespace quillora;

class LookSettingsTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_fileCounter = 0;

    // A settings file of its own for each test.
    QString freshFile() { return m_dir.filePath(QStringLiteral("settings-%1.conf").arg(++m_fileCounter)); }

private slots:
    void firstLaunchReadsTheDefaultsWithoutWritingThem() {
        const QString path = freshFile();
        Settings settings(path);
        QuilloraThemeController controller(settings);
        QCOMPARE(controller.storedGradientID(), 3);
        QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g4);
        QCOMPARE(controller.storedShapeRaw(), QStringLiteral("circles"));
        QCOMPARE(controller.storedColorThemeRaw(), QStringLiteral("pastel"));
        QCOMPARE(settings.openAIAPIKey(), QString());
        QVERIFY(!settings.contains(Settings::selectedGradientIDKey));
        QVERIFY(!settings.contains(Settings::backgroundShapeKey));
        QVERIFY(!QFile::exists(path));
    }

    void valuesPersistAcrossARestart() {
        const QString path = freshFile();
        {
            Settings settings(path);
            QuilloraThemeController controller(settings);
            controller.selectGradient(QuilloraGradientID::g1);
            controller.setStoredShapeRaw(QStringLiteral("dotGrid"));
            settings.setColorThemeRaw(QStringLiteral("midnight"));
            settings.setOpenAIAPIKey(QStringLiteral("  sk-test key  "));
        }
        // On disk at once, not only in the process's cache.
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        QVERIFY(text.contains("QuilloraSelectedGradientID=0"));
        QVERIFY(text.contains("QuilloraBackgroundShape=dotGrid"));

        Settings settings(path);
        QuilloraThemeController controller(settings);
        QCOMPARE(controller.storedGradientID(), 0);
        QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g1);
        QCOMPARE(controller.storedShapeRaw(), QStringLiteral("dotGrid"));
        QCOMPARE(controller.storedColorThemeRaw(), QStringLiteral("midnight"));
        // Stored exactly as entered; whoever reads the key trims it.
        QCOMPARE(settings.openAIAPIKey(), QStringLiteral("  sk-test key  "));
    }

    void theUserSettingsFileIsOwnerOnly() {
        // The default constructor writes the user's file (inside the test's temporary home).
        Settings settings;
        QVERIFY(settings.fileName().startsWith(qEnvironmentVariable("XDG_CONFIG_HOME")));
        QVERIFY(settings.fileName().endsWith(QStringLiteral("Quillora/Quillora.conf")));
        settings.setOpenAIAPIKey(QStringLiteral("sk-secret"));
        const auto permissions = QFile(settings.fileName()).permissions();
        QCOMPARE(permissions & (QFileDevice::ReadGroup | QFileDevice::ReadOther | QFileDevice::WriteGroup |
                                QFileDevice::WriteOther),
                 QFileDevice::Permissions());
        QVERIFY(permissions & QFileDevice::ReadOwner);

        // A later write keeps it that way, even if something loosened it meanwhile.
        QFile(settings.fileName()).setPermissions(permissions | QFileDevice::ReadOther);
        settings.setSelectedGradientID(5);
        QVERIFY(!(QFile(settings.fileName()).permissions() & QFileDevice::ReadOther));
        QCOMPARE(Settings(settings.fileName()).selectedGradientID(), 5);
    }

    void outOfRangeIdsShowG4AndStayStored() {
        Settings settings(freshFile());
        QuilloraThemeController controller(settings);
        for (int stored : {20, -1, 25}) {
            settings.setSelectedGradientID(stored);
            QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g4);
            QCOMPARE(controller.backgroundStyle(ColorScheme::dark).base.colors,
                     standardProjectTheme().darkGradient(QuilloraGradientID::g4).colors);
            QCOMPARE(controller.storedGradientID(), stored);
            QCOMPARE(settings.value(Settings::selectedGradientIDKey).toInt(), stored);
        }
        settings.setValue(Settings::selectedGradientIDKey, QStringLiteral("not a number"));
        QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g4);
        QCOMPARE(settings.value(Settings::selectedGradientIDKey).toString(), QStringLiteral("not a number"));
    }

    void everyWriteIsAnnouncedToEveryHolder() {
        const QString path = freshFile();
        Settings settings(path);
        Settings otherScreen(path); // a screen bound to the same keys through its own object
        QuilloraThemeController controller(settings);
        QSignalSpy settingsSpy(&settings, &Settings::changed);
        QSignalSpy otherSpy(&otherScreen, &Settings::changed);
        QSignalSpy controllerSpy(&controller, &QuilloraThemeController::changed);

        controller.selectGradient(QuilloraGradientID::g7);
        QCOMPARE(controllerSpy.size(), 1);
        QCOMPARE(settingsSpy.size(), 1);
        QCOMPARE(otherSpy.size(), 1);
        QCOMPARE(otherSpy.first().first().toString(), QStringLiteral("QuilloraSelectedGradientID"));
        QCOMPARE(otherScreen.selectedGradientID(), 6);

        // A screen that writes the key directly is seen by the controller too.
        otherScreen.setSelectedGradientID(11);
        QCOMPARE(controllerSpy.size(), 2);
        QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g12);

        otherScreen.setColorThemeRaw(QStringLiteral("neon"));
        QCOMPARE(controllerSpy.last().first().toString(), QStringLiteral("QuilloraColorTheme"));
        QCOMPARE(controller.storedColorThemeRaw(), QStringLiteral("neon"));

        // Keys that are not the look settings reach the settings' listeners only.
        otherScreen.setOpenAIAPIKey(QStringLiteral("k"));
        QCOMPARE(controllerSpy.size(), 3);
        QCOMPARE(settingsSpy.last().first().toString(), QStringLiteral("OpenAIAPIKey"));

        // Rewriting the same value is still a write: it is announced again.
        settings.setSelectedGradientID(11);
        QCOMPARE(controllerSpy.size(), 4);

        // Another file is another store.
        Settings elsewhere(freshFile());
        elsewhere.setSelectedGradientID(1);
        QCOMPARE(settingsSpy.size(), 5);
        QCOMPARE(controller.storedGradientID(), 11);
    }

    void appearanceFollowsThePaletteUnlessForced() {
        Appearance appearance;
        QSignalSpy spy(&appearance, &Appearance::changed);
        const QPalette original = QGuiApplication::palette();
        QVERIFY(appearance.isLight()); // the default palette has a light window
        QVERIFY(!appearance.reduceMotion());

        QPalette dark = original;
        dark.setColor(QPalette::Window, QColor(30, 30, 32));
        QGuiApplication::setPalette(dark);
        QVERIFY(!appearance.isLight());
        QCOMPARE(appearance.colorScheme(), ColorScheme::dark);
        QVERIFY(spy.size() >= 1);

        appearance.setLightOverride(true);
        QVERIFY(appearance.isLight());
        appearance.setReduceMotionOverride(true);
        QVERIFY(appearance.reduceMotion());
        appearance.setLightOverride(std::nullopt);
        QVERIFY(!appearance.isLight());

        QGuiApplication::setPalette(original);
        QVERIFY(appearance.isLight());
    }
};

QUILLORA_TEST_MAIN(LookSettingsTest)
#include "test_look_settings.moc"
