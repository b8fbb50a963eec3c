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

// Like QTEST_MAIN, with an isolated home and the offscreen platform.
#define QUILLORA_TEST_MAIN(TestObject)                                                                       \
    int main(int argc, char* argv[]) {                                                                       \
        quillora::test::IsolatedHome quilloraHome;                                                           \
        qputenv("QT_QPA_PLATFORM", "offscreen");                                                             \
        QApplication app(argc, argv);                                                                        \
        QApplication::setOrganizationName(QStringLiteral("Quillora"));                                       \
        QApplication::setApplicationName(QStringLiteral("Quillora"));                                        \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                             \
        TestObject tc;                                                                                       \
        QTEST_SET_MAIN_SOURCE_PATH                                                                           \
        return QTest::qExec(&tc, argc, argv);                                                                \
    }
