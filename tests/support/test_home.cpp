#include "support/test_home.h"

#include <QDir>

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

} // namespace quillora::test
