#include "controls/field_binding.h"
#include "model/resume.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QApplication>
#include <QCheckBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;

class FieldBindingTest : public QObject {
    Q_OBJECT

private slots:
    void typingWritesThePropertyAndKeepsTheCursor() {
        auto resume = test::makeFullResume();
        resume->setFullName(QStringLiteral("Ana Lima"));
        QLineEdit field;
        bindField(&field, resume, Resume::FullName);
        QCOMPARE(field.text(), QStringLiteral("Ana Lima"));

        field.setCursorPosition(3);
        QTest::keyClicks(&field, QStringLiteral(" B."));
        QCOMPARE(resume->fullName(), QStringLiteral("Ana B. Lima"));
        QCOMPARE(field.cursorPosition(), 6); // not sent to the end by an echo

        resume->setFullName(QStringLiteral("Bo"));
        QCOMPARE(field.text(), QStringLiteral("Bo"));
    }

    void multiLineAndCheckFieldsFollowTheirProperties() {
        auto resume = test::makeFullResume();
        QPlainTextEdit summary;
        bindField(&summary, resume, Resume::Summary);
        QCOMPARE(summary.toPlainText(), resume->summary());
        QSignalSpy notices(resume.get(), &Resume::changed);
        summary.moveCursor(QTextCursor::End);
        QTest::keyClicks(&summary, QStringLiteral("!"));
        QVERIFY(resume->summary().endsWith(QLatin1Char('!')));
        QCOMPARE(notices.count(), 1);
        resume->setSummary(QStringLiteral("Line one\nLine two"));
        QCOMPARE(summary.toPlainText(), QStringLiteral("Line one\nLine two"));
        QCOMPARE(notices.count(), 2); // showing the value wrote nothing back

        QCheckBox skills;
        bindField(&skills, resume, Resume::IncludeSkills);
        QVERIFY(skills.isChecked());
        skills.click();
        QVERIFY(!resume->includeSkills());
        resume->setIncludeSkills(true);
        QVERIFY(skills.isChecked());
    }
};

QUILLORA_TEST_MAIN(FieldBindingTest)
#include "test_field_binding.moc"
