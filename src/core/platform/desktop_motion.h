#pragma once

#include <QObject>
#include <QString>
#include <QVariant>

#include <memory>
#include <optional>

class QFileSystemWatcher;
class QDBusConnection;

namespace quillora {

// One place where the desktop keeps whether the user wants less motion. A source that does not
// know (no such desktop, the setting never written) answers std::nullopt.
class MotionPreferenceSource : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MotionPreferenceSource)

public:
    explicit MotionPreferenceSource(QObject* parent = nullptr)
        : QObject(parent) {}
    ~MotionPreferenceSource() override = default;

    virtual std::optional<bool> reduceMotion() const = 0;
    // Whether the source has had its first answer (or knows none will come). A source that asks
    // the desktop without waiting is unsettled until the answer arrives.
    virtual bool isSettled() const { return true; }

signals:
    // reduceMotion() may have changed.
    void changed();
    // isSettled() turned true.
    void settled();
};

namespace desktopMotion {

// GNOME's "enable-animations" (org.gnome.desktop.interface) as the portal or GSettings report it.
std::optional<bool> fromGnomeEnableAnimations(const QVariant& value);
// KDE's AnimationDurationFactor: 0 switches animations off.
std::optional<bool> fromKdeAnimationFactor(const QVariant& value);
// The [KDE] AnimationDurationFactor of a kdeglobals file's text, if it sets one.
std::optional<bool> fromKdeGlobals(const QByteArray& text);

} // namespace desktopMotion

// The XDG desktop portal's Settings interface on a D-Bus bus: GNOME's enable-animations and
// KDE's AnimationDurationFactor, read once without waiting and followed through the portal's
// SettingChanged signal. Either one asking for less motion is enough. Without a bus or a portal
// it knows nothing.
class PortalMotionSource final : public MotionPreferenceSource {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortalMotionSource)

public:
    // An empty address is the session bus.
    explicit PortalMotionSource(const QString& busAddress = QString(), QObject* parent = nullptr);
    ~PortalMotionSource() override;

    std::optional<bool> reduceMotion() const override;
    // Settled once both reads are answered (or failed).
    bool isSettled() const override { return m_pendingReads == 0; }
    // The portal answered or announced a value.
    void apply(const QString& group, const QString& key, const QVariant& value);

private:
    class Listener;
    void read(const QString& group, const QString& key);

    std::unique_ptr<QDBusConnection> m_bus;
    QString m_connectionName;
    int m_pendingReads = 0;
    std::optional<bool> m_gnome;
    std::optional<bool> m_kde;
};

// KDE's kdeglobals in the user's configuration folder (XDG_CONFIG_HOME), else the system's
// (XDG_CONFIG_DIRS), watched for changes.
class KdeGlobalsMotionSource final : public MotionPreferenceSource {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(KdeGlobalsMotionSource)

public:
    explicit KdeGlobalsMotionSource(QObject* parent = nullptr);
    ~KdeGlobalsMotionSource() override;

    std::optional<bool> reduceMotion() const override { return m_value; }

private:
    void reload();

    QFileSystemWatcher* m_watcher;
    std::optional<bool> m_value;
};

// Several sources together: motion is reduced when any of them asks for it.
class CombinedMotionSource final : public MotionPreferenceSource {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(CombinedMotionSource)

public:
    explicit CombinedMotionSource(QObject* parent = nullptr)
        : MotionPreferenceSource(parent) {}
    ~CombinedMotionSource() override = default;

    // Takes the source as a child.
    void add(MotionPreferenceSource* source);
    std::optional<bool> reduceMotion() const override;
    // Settled when every source is.
    bool isSettled() const override;

private:
    QList<MotionPreferenceSource*> m_sources;
};

// The desktop's own setting: the portal on the session bus and kdeglobals.
std::unique_ptr<MotionPreferenceSource> makeDesktopMotionSource();

} // namespace quillora
