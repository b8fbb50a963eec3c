#include "platform/settings.h"

#include "platform/log.h"
#include "platform/safe_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QStringDecoder>

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace quillora {

namespace {

// Every live Settings object, so a write through one notifies the others on the same file.
QList<Settings*>& liveSettings() {
    static QList<Settings*> list;
    return list;
}

} // namespace

Settings::Settings(QObject* parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(QStringLiteral("Quillora"), QStringLiteral("Quillora"))) {
    liveSettings().append(this);
    reportUnreadableFile();
}

Settings::Settings(const QString& filePath, QObject* parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    liveSettings().append(this);
    reportUnreadableFile();
}

Settings::~Settings() {
    liveSettings().removeOne(this);
}

QString Settings::fileName() const {
    return m_settings->fileName();
}

int Settings::selectedGradientID() const {
    bool ok = false;
    const int id = m_settings->value(selectedGradientIDKey).toInt(&ok);
    return ok ? id : defaultSelectedGradientID;
}

void Settings::setSelectedGradientID(int rawValue) {
    setValue(selectedGradientIDKey, rawValue);
}

QString Settings::backgroundShapeRaw() const {
    return m_settings->value(backgroundShapeKey, defaultBackgroundShape).toString();
}

void Settings::setBackgroundShapeRaw(const QString& rawValue) {
    setValue(backgroundShapeKey, rawValue);
}

QString Settings::colorThemeRaw() const {
    return m_settings->value(colorThemeKey, defaultColorTheme).toString();
}

void Settings::setColorThemeRaw(const QString& rawValue) {
    setValue(colorThemeKey, rawValue);
}

QString Settings::openAIAPIKey() const {
    return m_settings->value(openAIAPIKeyKey, QString()).toString();
}

void Settings::setOpenAIAPIKey(const QString& key) {
    setValue(openAIAPIKeyKey, key);
}

bool Settings::contains(const QString& key) const {
    return m_settings->contains(key);
}

QVariant Settings::value(const QString& key, const QVariant& defaultValue) const {
    return m_settings->value(key, defaultValue);
}

void Settings::setValue(const QString& key, const QVariant& value) {
    restrictFile();
    m_settings->setValue(key, value);
    commit(key);
}

void Settings::remove(const QString& key) {
    restrictFile();
    m_settings->remove(key);
    commit(key);
}

// Writes the file and tells every Settings object on it that the key changed.
void Settings::commit(const QString& key) {
    m_settings->sync();
    restrictFile();
    if (!savedToDisk(key))
        logLine(QStringLiteral("⚠️ Settings could not be saved to ") + m_settings->fileName());

    const QString file = fileName();
    const QList<Settings*> targets = liveSettings();
    QList<QPointer<Settings>> guarded;
    for (Settings* settings : targets) {
        if (settings == this || settings->fileName() == file)
            guarded.append(settings);
    }
    for (const QPointer<Settings>& settings : guarded) {
        if (settings && settings != this)
            settings->m_settings->sync();
        if (settings)
            emit settings->changed(key);
    }
}

// QSettings keeps the first error it met, a file that could not be read at start-up included, so
// its status alone cannot tell whether this write reached the disk: then the file is read back.
bool Settings::savedToDisk(const QString& key) const {
    if (m_settings->status() == QSettings::NoError)
        return true;
    const QString path = m_settings->fileName();
    if (!QFileInfo(path).isFile())
        return false;
    const QSettings written(path, m_settings->format());
    if (written.status() != QSettings::NoError)
        return false;
    return m_settings->contains(key) ? written.value(key) == m_settings->value(key) : !written.contains(key);
}

namespace {

// A settings file that QSettings read without complaint but that holds no settings text: bytes
// that are not UTF-8 text, or lines of which no key could be read.
bool holdsGarbage(const QString& path, const QSettings& settings) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray bytes = file.read(1 << 20);
    if (bytes.contains('\0'))
        return true;
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return true;
    bool settingLines = false;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        const QString trimmed = line.trimmed();
        if (!trimmed.isEmpty() && !trimmed.startsWith(QLatin1Char('[')) &&
            !trimmed.startsWith(QLatin1Char(';')) && !trimmed.startsWith(QLatin1Char('#')))
            settingLines = true;
    }
    return settingLines && settings.allKeys().isEmpty();
}

} // namespace

// Reports, once per file and process, a settings file that exists but could not be read, or
// that holds something other than settings: its values are then the defaults until a setting is
// saved.
void Settings::reportUnreadableFile() const {
    static QSet<QString> reported;
    const QString path = m_settings->fileName();
    if (reported.contains(path) ||
        (m_settings->status() == QSettings::NoError && !holdsGarbage(path, *m_settings)))
        return;
    reported.insert(path);
    logLine(QStringLiteral("⚠️ Settings could not be read from ") + path +
            QStringLiteral("; the defaults are used until a setting is saved."));
}

// Creates the file owner-only before anything is written to it and keeps it that way; the
// atomic rewrite of the file keeps the permissions of the file it replaces. Only a regular file
// of this user's is ever changed: a folder, or another user's file, at the path is left alone
// (saving then fails and says so).
void Settings::restrictFile() const {
    const QString path = m_settings->fileName();
    const QByteArray native = QFile::encodeName(path);
    struct stat info {};
    if (::stat(native.constData(), &info) != 0) {
        if (errno != ENOENT || !files::makePrivateDirectoryPath(QFileInfo(path).absolutePath()))
            return;
        const int fd = ::open(native.constData(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0600);
        if (fd >= 0) {
            (void)::fchmod(fd, 0600);
            ::close(fd);
        }
        return;
    }
    if (S_ISREG(info.st_mode) && info.st_uid == ::geteuid() && (info.st_mode & 07777) != 0600)
        (void)::chmod(native.constData(), 0600);
}

} // namespace quillora
