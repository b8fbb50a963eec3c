#include "platform/desktop_motion.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QStandardPaths>

#include <algorithm>

namespace quillora {

namespace {

const QString portalService = QStringLiteral("org.freedesktop.portal.Desktop");
const QString portalPath = QStringLiteral("/org/freedesktop/portal/desktop");
const QString portalSettings = QStringLiteral("org.freedesktop.portal.Settings");
const QString gnomeGroup = QStringLiteral("org.gnome.desktop.interface");
const QString gnomeKey = QStringLiteral("enable-animations");
const QString kdeGroup = QStringLiteral("org.kde.kdeglobals.KDE");
const QString kdeKey = QStringLiteral("AnimationDurationFactor");

// The portal's Read wraps the value in one more variant than ReadOne; both reach us here.
QVariant unwrapped(QVariant value) {
    while (value.userType() == qMetaTypeId<QDBusVariant>())
        value = value.value<QDBusVariant>().variant();
    return value;
}

} // namespace

namespace desktopMotion {

std::optional<bool> fromGnomeEnableAnimations(const QVariant& value) {
    const QVariant v = unwrapped(value);
    if (v.userType() == QMetaType::Bool)
        return !v.toBool();
    const QString text = v.toString().trimmed();
    if (text == u"true")
        return false;
    if (text == u"false")
        return true;
    return std::nullopt;
}

std::optional<bool> fromKdeAnimationFactor(const QVariant& value) {
    const QVariant v = unwrapped(value);
    bool ok = false;
    const double factor =
        v.userType() == QMetaType::QString ? v.toString().trimmed().toDouble(&ok) : v.toDouble(&ok);
    if (!ok || factor < 0)
        return std::nullopt;
    return factor == 0;
}

std::optional<bool> fromKdeGlobals(const QByteArray& text) {
    bool inKde = false;
    std::optional<bool> found;
    for (const QByteArray& raw : text.split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith('[')) {
            inKde = line == "[KDE]";
            continue;
        }
        if (!inKde)
            continue;
        const int equals = line.indexOf('=');
        if (equals < 0)
            continue;
        QByteArray key = line.left(equals).trimmed();
        if (key.endsWith("[$i]")) // KDE's "immutable" marker
            key.chop(4);
        if (key == "AnimationDurationFactor")
            found = fromKdeAnimationFactor(QString::fromUtf8(line.mid(equals + 1).trimmed()));
    }
    return found;
}

} // namespace desktopMotion

// --- Portal ---------------------------------------------------------------------------------

// Receives the portal's SettingChanged signal (QtDBus delivers signals to named slots).
class PortalMotionSource::Listener final : public QObject {
    Q_OBJECT

public:
    explicit Listener(PortalMotionSource* source)
        : QObject(source)
        , m_source(source) {}

public slots:
    void settingChanged(const QString& group, const QString& key, const QDBusVariant& value) {
        m_source->apply(group, key, QVariant::fromValue(value));
    }

private:
    PortalMotionSource* m_source;
};

PortalMotionSource::PortalMotionSource(const QString& busAddress, QObject* parent)
    : MotionPreferenceSource(parent) {
    if (busAddress.isEmpty()) {
        m_bus = std::make_unique<QDBusConnection>(QDBusConnection::sessionBus());
    } else {
        m_connectionName = QStringLiteral("quillora-motion-%1").arg(quintptr(this), 0, 16);
        m_bus =
            std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(busAddress, m_connectionName));
    }
    if (!m_bus->isConnected())
        return;
    // QtDBus finds the slot's argument types by name; QDBusVariant has none until registered.
    qRegisterMetaType<QDBusVariant>();
    // Any sender: the portal is usually started by the first read below, and a watch bound to
    // its name before it runs never hears from it.
    m_bus->connect(QString(), portalPath, portalSettings, QStringLiteral("SettingChanged"),
                   new Listener(this), SLOT(settingChanged(QString, QString, QDBusVariant)));
    read(gnomeGroup, gnomeKey);
    read(kdeGroup, kdeKey);
}

PortalMotionSource::~PortalMotionSource() {
    m_bus.reset();
    if (!m_connectionName.isEmpty())
        QDBusConnection::disconnectFromBus(m_connectionName);
}

std::optional<bool> PortalMotionSource::reduceMotion() const {
    if (!m_gnome && !m_kde)
        return std::nullopt;
    return m_gnome.value_or(false) || m_kde.value_or(false);
}

void PortalMotionSource::read(const QString& group, const QString& key) {
    QDBusMessage call =
        QDBusMessage::createMethodCall(portalService, portalPath, portalSettings, QStringLiteral("Read"));
    call << group << key;
    auto* watcher = new QDBusPendingCallWatcher(m_bus->asyncCall(call, 5000), this);
    ++m_pendingReads;
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher, group, key] {
        watcher->deleteLater();
        const QDBusPendingReply<QDBusVariant> reply = *watcher;
        if (!reply.isError())
            apply(group, key, QVariant::fromValue(reply.value()));
        if (--m_pendingReads == 0)
            emit settled();
    });
}

void PortalMotionSource::apply(const QString& group, const QString& key, const QVariant& value) {
    const std::optional<bool> before = reduceMotion();
    if (group == gnomeGroup && key == gnomeKey)
        m_gnome = desktopMotion::fromGnomeEnableAnimations(value);
    else if (group == kdeGroup && key == kdeKey)
        m_kde = desktopMotion::fromKdeAnimationFactor(value);
    else
        return;
    if (reduceMotion() != before)
        emit changed();
}

// --- kdeglobals -----------------------------------------------------------------------------

KdeGlobalsMotionSource::KdeGlobalsMotionSource(QObject* parent)
    : MotionPreferenceSource(parent)
    , m_watcher(new QFileSystemWatcher(this)) {
    // KDE replaces the file when it writes it, so the folders are watched as well.
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, &KdeGlobalsMotionSource::reload);
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, &KdeGlobalsMotionSource::reload);
    reload();
}

KdeGlobalsMotionSource::~KdeGlobalsMotionSource() = default;

void KdeGlobalsMotionSource::reload() {
    const QStringList folders = QStandardPaths::standardLocations(QStandardPaths::GenericConfigLocation);
    std::optional<bool> value;
    QStringList watched;
    for (const QString& folder : folders) {
        const QString path = QDir(folder).filePath(QStringLiteral("kdeglobals"));
        if (QFileInfo::exists(folder))
            watched << folder;
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            continue;
        watched << path;
        if (!value)
            value = desktopMotion::fromKdeGlobals(file.read(1 << 20));
    }
    const QStringList current = m_watcher->files() + m_watcher->directories();
    if (!current.isEmpty())
        m_watcher->removePaths(current);
    if (!watched.isEmpty())
        m_watcher->addPaths(watched);
    if (value != m_value) {
        m_value = value;
        emit changed();
    }
}

// --- Combined -------------------------------------------------------------------------------

void CombinedMotionSource::add(MotionPreferenceSource* source) {
    source->setParent(this);
    m_sources.append(source);
    connect(source, &MotionPreferenceSource::changed, this, &MotionPreferenceSource::changed);
    connect(source, &MotionPreferenceSource::settled, this, [this] {
        if (isSettled())
            emit settled();
    });
}

bool CombinedMotionSource::isSettled() const {
    return std::all_of(m_sources.cbegin(), m_sources.cend(),
                       [](const MotionPreferenceSource* source) { return source->isSettled(); });
}

std::optional<bool> CombinedMotionSource::reduceMotion() const {
    std::optional<bool> result;
    for (const MotionPreferenceSource* source : m_sources) {
        if (const std::optional<bool> value = source->reduceMotion())
            result = result.value_or(false) || *value;
    }
    return result;
}

std::unique_ptr<MotionPreferenceSource> makeDesktopMotionSource() {
    auto combined = std::make_unique<CombinedMotionSource>();
    combined->add(new PortalMotionSource);
    combined->add(new KdeGlobalsMotionSource);
    return combined;
}

} // namespace quillora

#include "desktop_motion.moc"
