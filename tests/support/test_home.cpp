#include "support/test_home.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

#include <cstdlib>
#include <cstring>
#include <string>

namespace quillora::test {

IsolatedHome::IsolatedHome() {
    const char* base = std::getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/quillora-test-XXXXXX";
    if (char* made = mkdtemp(pattern.data()))
        m_root = QString::fromLocal8Bit(made);
    QDir root(m_root);
    for (const char* sub : {"data", "config", "cache", "tmp"})
        root.mkpath(QString::fromLatin1(sub));
    qputenv("XDG_DATA_HOME", dataHome().toLocal8Bit());
    qputenv("XDG_CONFIG_HOME", configHome().toLocal8Bit());
    qputenv("XDG_CACHE_HOME", (m_root + QStringLiteral("/cache")).toLocal8Bit());
    qputenv("TMPDIR", tempDir().toLocal8Bit());
    qunsetenv("XCODE_RUNNING_FOR_PREVIEWS");
    qunsetenv("QUILLORA_LOCAL_MODEL_URL");
    qunsetenv("QUILLORA_CLOUD_DATABASE"); // database tests name their own server
}

IsolatedHome::~IsolatedHome() {
    if (!m_root.isEmpty())
        QDir(m_root).removeRecursively();
}

QString IsolatedHome::dataHome() const {
    return m_root + QStringLiteral("/data");
}
QString IsolatedHome::configHome() const {
    return m_root + QStringLiteral("/config");
}
QString IsolatedHome::tempDir() const {
    return m_root + QStringLiteral("/tmp");
}

void openFoldersToOtherUsers(const QString& path) {
    for (QString folder = QDir::cleanPath(path); folder.size() > 1;
         folder = QFileInfo(folder).absolutePath()) {
        const QByteArray name = QFile::encodeName(folder);
        struct stat info {};
        if (::stat(name.constData(), &info) == 0 && (info.st_mode & 0755) != 0755)
            ::chmod(name.constData(), (info.st_mode & 07777) | 0755);
    }
}

QByteArray offscreenPlatform(const QString& folder, const QList<QRect>& screens) {
    QJsonArray list;
    int index = 0;
    for (const QRect& screen : screens) {
        list.append(QJsonObject{{QStringLiteral("name"), QStringLiteral("screen-%1").arg(index++)},
                                {QStringLiteral("x"), screen.x()},
                                {QStringLiteral("y"), screen.y()},
                                {QStringLiteral("width"), screen.width()},
                                {QStringLiteral("height"), screen.height()},
                                {QStringLiteral("logicalDpi"), 96},
                                {QStringLiteral("dpr"), 1}});
    }
    const QString path = folder + QStringLiteral("/offscreen-screens.json");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return QByteArrayLiteral("offscreen");
    file.write(QJsonDocument(QJsonObject{{QStringLiteral("screens"), list}}).toJson());
    file.close();
    return QByteArrayLiteral("offscreen:configfile=") + path.toLocal8Bit();
}

QString writeTempFile(const QString& name, const QByteArray& bytes) {
    const QString path = QDir::tempPath() + QLatin1Char('/') + name;
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

} // namespace quillora::test
