#pragma once

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

namespace quillora::test {

// Points XDG_DATA_HOME, XDG_CONFIG_HOME, XDG_CACHE_HOME and TMPDIR at folders inside a fresh
// temporary directory, so a test never touches the user's store, settings or files. Removed
// again when destroyed.
class IsolatedHome final {
public:
    IsolatedHome();
    ~IsolatedHome();
    IsolatedHome(const IsolatedHome&) = delete;
    IsolatedHome& operator=(const IsolatedHome&) = delete;

    QString root() const { return m_root; }
    QString dataHome() const;
    QString configHome() const;
    QString tempDir() const;

private:
    QString m_root;
};

// Writes `bytes` to a file of that name in the temporary folder (the test's own, inside its
// isolated home) and returns its path.
QString writeTempFile(const QString& name, const QByteArray& bytes);

// Lets other users pass through every folder from `path` up to the root, as a test that runs a
// step as another user needs: read and search bits are added, never taken away, so a shared
// folder such as /tmp keeps its sticky bit and its write bits.
void openFoldersToOtherUsers(const QString& path);

// The offscreen platform with the given screens (logical pixels, 96 dpi), described in a file in
// `folder`: the value for QT_QPA_PLATFORM. By default one 1920 × 1080 desktop, so windows open at
// the sizes they ask for, as on a common desktop screen.
QByteArray offscreenPlatform(const QString& folder, const QList<QRect>& screens = {QRect(0, 0, 1920, 1080)});

} // namespace quillora::test

// Like QTEST_MAIN, with an isolated home and the offscreen platform. Core tests, which link no
// Widgets, get a QGuiApplication; UI tests a QApplication.
#ifdef QT_WIDGETS_LIB
#include <QApplication>
#define QUILLORA_TEST_APPLICATION QApplication
#else
#include <QGuiApplication>
#define QUILLORA_TEST_APPLICATION QGuiApplication
#endif

#define QUILLORA_TEST_MAIN(TestObject)                                                                       \
    int main(int argc, char* argv[]) {                                                                       \
        quillora::test::IsolatedHome quilloraHome;                                                           \
        qputenv("QT_QPA_PLATFORM", quillora::test::offscreenPlatform(quilloraHome.root()));                  \
        QUILLORA_TEST_APPLICATION app(argc, argv);                                                           \
        QUILLORA_TEST_APPLICATION::setOrganizationName(QStringLiteral("Quillora"));                          \
        QUILLORA_TEST_APPLICATION::setApplicationName(QStringLiteral("Quillora"));                           \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
