#pragma once

// Included before the code of every test program and of everything that links the test support
// (tests/CMakeLists.txt): a wait for what a test expects gives a loaded machine (a CI run with every
// test program in parallel, builds, a database and translation processes beside them) the deadline
// patientWaitMs before it fails, instead of Qt's five seconds. Every wait still returns as soon as
// what it waits for holds. A wait that names its own deadline keeps it: a short one is only right
// where the test checks that something does NOT happen meanwhile.
#include <QTest>

#include <QtCore/qtestsupport_core.h>
#ifdef QT_GUI_LIB
#include <QtGui/qtestsupport_gui.h>
#endif
#ifdef QT_WIDGETS_LIB
#include <QtWidgets/qtestsupport_widgets.h>
#endif

namespace quillora::test {

// The deadline of every wait for something a test expects to happen.
inline constexpr int patientWaitMs = 30000;

} // namespace quillora::test

// QTRY_VERIFY, QTRY_COMPARE and the others without a deadline of their own.
#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT((expr), quillora::test::patientWaitMs)
#undef QTRY_VERIFY2
#define QTRY_VERIFY2(expr, messageExpression)                                                                \
    QTRY_VERIFY2_WITH_TIMEOUT((expr), (messageExpression), quillora::test::patientWaitMs)
#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected)                                                                         \
    QTRY_COMPARE_WITH_TIMEOUT((expr), (expected), quillora::test::patientWaitMs)
#undef QTRY_COMPARE_EQ
#define QTRY_COMPARE_EQ(left, right) QTRY_COMPARE_EQ_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)
#undef QTRY_COMPARE_NE
#define QTRY_COMPARE_NE(left, right) QTRY_COMPARE_NE_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)
#undef QTRY_COMPARE_LT
#define QTRY_COMPARE_LT(left, right) QTRY_COMPARE_LT_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)
#undef QTRY_COMPARE_LE
#define QTRY_COMPARE_LE(left, right) QTRY_COMPARE_LE_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)
#undef QTRY_COMPARE_GT
#define QTRY_COMPARE_GT(left, right) QTRY_COMPARE_GT_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)
#undef QTRY_COMPARE_GE
#define QTRY_COMPARE_GE(left, right) QTRY_COMPARE_GE_WITH_TIMEOUT(left, right, quillora::test::patientWaitMs)

// QTest::qWaitFor, qWaitForWindowExposed and qWaitForWindowActive: the same functions, with the
// patient deadline where the call names none. The names below stand for these, so every call in
// a test, QTest:: written before it, gets them.
namespace QTest {

template <typename Functor>
[[nodiscard]] bool qWaitForPatiently(Functor predicate, int timeout = quillora::test::patientWaitMs) {
    return qWaitFor(predicate, timeout);
}

#ifdef QT_GUI_LIB
[[nodiscard]] inline bool qWaitForWindowExposedPatiently(QWindow* window,
                                                         int timeout = quillora::test::patientWaitMs) {
    return qWaitForWindowExposed(window, timeout);
}
[[nodiscard]] inline bool qWaitForWindowActivePatiently(QWindow* window,
                                                        int timeout = quillora::test::patientWaitMs) {
    return qWaitForWindowActive(window, timeout);
}
#endif
#ifdef QT_WIDGETS_LIB
[[nodiscard]] inline bool qWaitForWindowExposedPatiently(QWidget* widget,
                                                         int timeout = quillora::test::patientWaitMs) {
    return qWaitForWindowExposed(widget, timeout);
}
[[nodiscard]] inline bool qWaitForWindowActivePatiently(QWidget* widget,
                                                        int timeout = quillora::test::patientWaitMs) {
    return qWaitForWindowActive(widget, timeout);
}
#endif

} // namespace QTest

#define qWaitFor qWaitForPatiently
#define qWaitForWindowExposed qWaitForWindowExposedPatiently
#define qWaitForWindowActive qWaitForWindowActivePatiently
