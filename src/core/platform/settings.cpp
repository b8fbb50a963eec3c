#include "platform/settings.h"

#include "platform/log.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QPointer>
#include <QSettings>

namespace quillora {

namespace {

constexpr QFileDevice::Permissions ownerOnly = QFileDevice::ReadOwner | QFileDevice::WriteOwner;

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
}

Settings::Settings(const QString& filePath, QObject* parent)
    : QObject(parent)
    , m_settings(std::make_unique<QSettings>(filePath, QSettings::IniFormat)) {
    liveSettings().append(this);
}

Settings::~Settings() {
    liveSettings().removeOne(this);
}

Settings& Settings::shared() {
    static auto* instance = new Settings(QCoreApplication::instance());
    return *instance;
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
    if (m_settings->status() != QSettings::NoError)
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

// Creates the file owner-only before anything is written to it and keeps it that way; the
// atomic rewrite of the file keeps the permissions of the file it replaces.
void Settings::restrictFile() const {
    const QString path = m_settings->fileName();
    QFile file(path);
    if (!file.exists()) {
        QDir().mkpath(QFileInfo(path).absolutePath());
        if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly, ownerOnly))
            file.close();
    }
    if (file.exists())
        file.setPermissions(ownerOnly);
}

} // namespace quillora
