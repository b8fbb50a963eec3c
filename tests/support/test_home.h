#pragma once

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
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                             \
        QUILLORA_TEST_APPLICATION app(argc, argv);                                                           \
        QUILLORA_TEST_APPLICATION::setOrganizationName(QStringLiteral("Quillora"));                          \
        QUILLORA_TEST_APPLICATION::setApplicationName(QStringLiteral("Quillora"));                           \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
