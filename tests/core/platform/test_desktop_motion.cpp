// Reduce motion comes from the desktop: GNOME's enable-animations through the desktop portal,
// KDE's AnimationDurationFactor through the portal or kdeglobals, and changes while running.
#include "platform/appearance.h"
#include "platform/desktop_motion.h"
#include "support/test_home.h"

#include <QDBusConnection>
#include <QDBusContext>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

using namespace quillora;

namespace {

class FakeMotionSource final : public MotionPreferenceSource {
public:
    std::optional<bool> reduceMotion() const override { return value; }
    void set(std::optional<bool> v) {
        value = v;
        emit changed();
    }
    std::optional<bool> value;
};

const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalInterface = QStringLiteral("org.freedesktop.portal.Settings");

// The portal's Settings interface, answering Read from a table as the real portal does: the
// value wrapped in one variant more, and an error for a setting it does not have.
class FakePortal final : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.freedesktop.portal.Settings")

public:
    QHash<QString, QVariant> values; // "group/key" → value

public slots:
    QDBusVariant Read(const QString& group, const QString& key) {
        const auto found = values.constFind(group + QLatin1Char('/') + key);
        if (found == values.constEnd()) {
            sendErrorReply(QStringLiteral("org.freedesktop.portal.Error.NotFound"),
                           QStringLiteral("Requested setting not found"));
            return {};
        }
        return QDBusVariant(QVariant::fromValue(QDBusVariant(*found)));
    }
};

// A D-Bus daemon of the test's own with a fake portal on it.
class PrivateBus {
public:
    // Starts the daemon and, unless told otherwise, puts the portal on it.
    bool start(bool withPortal = true) {
        const QString config = m_dir.filePath(QStringLiteral("bus.conf"));
        QFile file(config);
        if (!file.open(QIODevice::WriteOnly))
            return false;
        file.write("<busconfig><type>session</type><listen>unix:dir=" + m_dir.path().toUtf8() +
                   "</listen><auth>EXTERNAL</auth><policy context=\"default\"><allow send_destination=\"*\" "
                   "eavesdrop=\"true\"/><allow eavesdrop=\"true\"/><allow own=\"*\"/></policy></busconfig>");
        file.close();
        m_daemon.start(QStringLiteral("dbus-daemon"),
                       {QStringLiteral("--config-file=") + config, QStringLiteral("--nofork"),
                        QStringLiteral("--print-address=1")});
        if (!m_daemon.waitForStarted(20000))
            return false;
        while (!m_daemon.canReadLine()) {
            if (!m_daemon.waitForReadyRead(20000))
                return false;
        }
        address = QString::fromUtf8(m_daemon.readLine().trimmed());
        bus = std::make_unique<QDBusConnection>(
            QDBusConnection::connectToBus(address, QStringLiteral("portal")));
        return bus->isConnected() && (!withPortal || startPortal());
    }

    bool startPortal() {
        return bus->registerService(QStringLiteral("org.freedesktop.portal.Desktop")) &&
               bus->registerObject(portalPath, &portal, QDBusConnection::ExportAllSlots);
    }

    void announce(const QString& group, const QString& key, const QVariant& value) {
        QDBusMessage signal =
            QDBusMessage::createSignal(portalPath, portalInterface, QStringLiteral("SettingChanged"));
        signal << group << key << QVariant::fromValue(QDBusVariant(value));
        bus->send(signal);
    }

    ~PrivateBus() {
        bus.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("portal"));
        m_daemon.kill();
        m_daemon.waitForFinished();
    }

    QString address;
    FakePortal portal;
    std::unique_ptr<QDBusConnection> bus;

private:
    QTemporaryDir m_dir;
    QProcess m_daemon;
};

void writeKdeGlobals(const QByteArray& text) {
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
    QDir().mkpath(folder);
    // Written as KDE does: a new file renamed over the old one.
    const QString path = QDir(folder).filePath(QStringLiteral("kdeglobals"));
    QFile file(path + QStringLiteral(".new"));
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.write(text);
    file.close();
    QFile::remove(path);
    QVERIFY(QFile::rename(file.fileName(), path));
}

} // namespace

class DesktopMotionTest final : public QObject {
    Q_OBJECT

private slots:
    // Runs first, before anything in this process has used D-Bus value types: the source must
    // hear the portal's announcements on its own.
    void portalStartedLaterIsFollowed() {
        PrivateBus bus;
        QVERIFY2(bus.start(false), "dbus-daemon could not be started");
        PortalMotionSource source(bus.address);
        QTRY_VERIFY(source.isSettled()); // its reads answered, by a bus without the portal
        QCOMPARE(source.reduceMotion(), std::optional<bool>()); // no portal yet
        QVERIFY(bus.startPortal());
        bus.announce(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations"),
                     false);
        QTRY_COMPARE_WITH_TIMEOUT(source.reduceMotion(), std::optional<bool>(true), 20000);
    }

    void appearanceFollowsItsSource() {
        Appearance appearance;
        QVERIFY(!appearance.reduceMotion()); // no source: motion stays on
        auto source = std::make_unique<FakeMotionSource>();
        FakeMotionSource* fake = source.get();
        QSignalSpy changed(&appearance, &Appearance::changed);
        appearance.setMotionSource(std::move(source));
        QCOMPARE(changed.size(), 0); // the source does not know yet
        fake->set(true);
        QVERIFY(appearance.reduceMotion());
        QCOMPARE(changed.size(), 1);
        fake->set(true);
        QCOMPARE(changed.size(), 1); // no change, no announcement
        fake->set(std::nullopt);
        QVERIFY(!appearance.reduceMotion());
        QCOMPARE(changed.size(), 2);
        // An override wins over the desktop until it is lifted.
        appearance.setReduceMotionOverride(true);
        fake->set(false);
        QVERIFY(appearance.reduceMotion());
        appearance.setReduceMotionOverride(std::nullopt);
        QVERIFY(!appearance.reduceMotion());
    }

    void desktopValuesAreRead() {
        using namespace desktopMotion;
        QCOMPARE(fromGnomeEnableAnimations(false), std::optional<bool>(true));
        QCOMPARE(fromGnomeEnableAnimations(true), std::optional<bool>(false));
        QCOMPARE(fromGnomeEnableAnimations(QStringLiteral("false\n")), std::optional<bool>(true));
        QCOMPARE(fromGnomeEnableAnimations(QVariant()), std::optional<bool>());
        QCOMPARE(fromKdeAnimationFactor(0.0), std::optional<bool>(true));
        QCOMPARE(fromKdeAnimationFactor(QStringLiteral("0")), std::optional<bool>(true));
        QCOMPARE(fromKdeAnimationFactor(QStringLiteral("0.5")), std::optional<bool>(false));
        QCOMPARE(fromKdeAnimationFactor(QStringLiteral("fast")), std::optional<bool>());
        QCOMPARE(fromKdeGlobals("[General]\nAnimationDurationFactor=0\n"), std::optional<bool>());
        QCOMPARE(fromKdeGlobals("[KDE]\nLookAndFeelPackage=x\nAnimationDurationFactor = 0\n[WM]\n"),
                 std::optional<bool>(true));
        QCOMPARE(fromKdeGlobals("[KDE]\nAnimationDurationFactor[$i]=0.25\n"), std::optional<bool>(false));
        QCOMPARE(fromKdeGlobals(""), std::optional<bool>());
    }

    void kdeGlobalsIsReadAndFollowed() {
        writeKdeGlobals("[KDE]\nAnimationDurationFactor=0\n");
        KdeGlobalsMotionSource source;
        QCOMPARE(source.reduceMotion(), std::optional<bool>(true));
        QSignalSpy changed(&source, &MotionPreferenceSource::changed);
        writeKdeGlobals("[KDE]\nAnimationDurationFactor=1\n");
        QTRY_COMPARE_WITH_TIMEOUT(source.reduceMotion(), std::optional<bool>(false), 20000);
        writeKdeGlobals("[KDE]\nAnimationDurationFactor=0\n");
        QTRY_COMPARE_WITH_TIMEOUT(source.reduceMotion(), std::optional<bool>(true), 20000);
        QVERIFY(changed.size() >= 2);
        QFile::remove(QDir(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation))
                          .filePath(QStringLiteral("kdeglobals")));
        QTRY_COMPARE_WITH_TIMEOUT(source.reduceMotion(), std::optional<bool>(), 20000);
    }

    void portalIsReadAndFollowed() {
        PrivateBus bus;
        QVERIFY2(bus.start(), "dbus-daemon could not be started");
        bus.portal.values.insert(QStringLiteral("org.gnome.desktop.interface/enable-animations"), false);

        Appearance appearance;
        auto source = std::make_unique<PortalMotionSource>(bus.address);
        QVERIFY(!source->isSettled()); // asked, not yet answered
        QSignalSpy settled(source.get(), &MotionPreferenceSource::settled);
        appearance.setMotionSource(std::move(source));
        QVERIFY(!appearance.isMotionSettled());
        QTRY_VERIFY_WITH_TIMEOUT(appearance.reduceMotion(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(appearance.isMotionSettled(), 20000);
        QCOMPARE(settled.size(), 1);

        // The user switches animations back on, then KDE's factor goes to 0.
        QSignalSpy changed(&appearance, &Appearance::changed);
        bus.announce(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("enable-animations"),
                     true);
        QTRY_VERIFY_WITH_TIMEOUT(!appearance.reduceMotion(), 20000);
        QCOMPARE(changed.size(), 1);
        bus.announce(QStringLiteral("org.kde.kdeglobals.KDE"), QStringLiteral("AnimationDurationFactor"),
                     QStringLiteral("0"));
        QTRY_VERIFY_WITH_TIMEOUT(appearance.reduceMotion(), 20000);
        // Other settings change nothing.
        bus.announce(QStringLiteral("org.gnome.desktop.interface"), QStringLiteral("color-scheme"),
                     QStringLiteral("prefer-dark"));
        QTest::qWait(200);
        QVERIFY(appearance.reduceMotion());
    }

    void kdeThroughThePortalAndNoPortal() {
        PrivateBus bus;
        QVERIFY2(bus.start(), "dbus-daemon could not be started");
        bus.portal.values.insert(QStringLiteral("org.kde.kdeglobals.KDE/AnimationDurationFactor"),
                                 QStringLiteral("0"));
        PortalMotionSource kde(bus.address);
        QTRY_COMPARE_WITH_TIMEOUT(kde.reduceMotion(), std::optional<bool>(true), 20000);

        // A bus without the portal: nothing is known, nothing fails.
        bus.bus->unregisterService(QStringLiteral("org.freedesktop.portal.Desktop"));
        PortalMotionSource none(bus.address);
        QTRY_VERIFY_WITH_TIMEOUT(none.isSettled(), 20000); // the refusals are answers too
        QCOMPARE(none.reduceMotion(), std::optional<bool>());
        PortalMotionSource unreachable(QStringLiteral("unix:path=/nonexistent/bus"));
        QCOMPARE(unreachable.reduceMotion(), std::optional<bool>());
        QVERIFY(unreachable.isSettled());
    }
};

QUILLORA_TEST_MAIN(DesktopMotionTest)
#include "test_desktop_motion.moc"
