#pragma once

// Included before every test's own code: the QTRY_ waits give a loaded machine (a CI run with
// every test program in parallel, a database and translation processes beside them) 20 seconds
// instead of Qt's 5 before they fail. They still return as soon as the condition holds.
#include <QTest>

#undef QTRY_VERIFY
#define QTRY_VERIFY(expr) QTRY_VERIFY_WITH_TIMEOUT((expr), 20000)
#undef QTRY_VERIFY2
#define QTRY_VERIFY2(expr, messageExpression) QTRY_VERIFY2_WITH_TIMEOUT((expr), (messageExpression), 20000)
#undef QTRY_COMPARE
#define QTRY_COMPARE(expr, expected) QTRY_COMPARE_WITH_TIMEOUT((expr), (expected), 20000)
