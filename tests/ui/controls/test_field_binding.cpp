#include "controls/field_binding.h"
#include "model/resume.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAccessible>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QInputMethodEvent>
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

        // A stored value longer than a plain line field holds is shown whole, and typing after it
        // keeps it whole.
        const QString longName = QStringLiteral("0123456789").repeated(5000);
        resume->setFullName(longName);
        QCOMPARE(field.text(), longName);
        field.end(false);
        QTest::keyClick(&field, Qt::Key_Exclam);
        QCOMPARE(resume->fullName(), longName + QLatin1Char('!'));
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

    // A screen reader's edit, a paste and an input method's commit reach the résumé as typing
    // does, single- and multi-line; the record's own value shown in the field is not written back.
    void textHoweverItArrivesIsStored() {
        auto resume = test::makeFullResume();
        QLineEdit title;
        bindField(&title, resume, Resume::Title);
        QSignalSpy notices(resume.get(), &Resume::changed);
        QAccessibleInterface* reader = QAccessible::queryAccessibleInterface(&title);
        reader->setText(QAccessible::Value, QStringLiteral("Set by a reader"));
        QCOMPARE(resume->title(), QStringLiteral("Set by a reader"));
        reader->editableTextInterface()->replaceText(0, 3, QStringLiteral("Put"));
        QCOMPARE(resume->title(), QStringLiteral("Put by a reader"));
        QGuiApplication::clipboard()->setText(QStringLiteral("Pasted"));
        title.selectAll();
        title.paste();
        QCOMPARE(resume->title(), QStringLiteral("Pasted"));
        QInputMethodEvent commit;
        commit.setCommitString(QStringLiteral("ü"));
        QCoreApplication::sendEvent(&title, &commit);
        QCOMPARE(resume->title(), QStringLiteral("Pastedü"));
        QCOMPARE(notices.count(), 4);
        resume->setTitle(QStringLiteral("From the record"));
        QCOMPARE(title.text(), QStringLiteral("From the record"));
        QCOMPARE(notices.count(), 5);

        QPlainTextEdit summary;
        bindField(&summary, resume, Resume::Summary);
        QAccessible::queryAccessibleInterface(&summary)->editableTextInterface()->insertText(
            0, QStringLiteral("Read: "));
        QVERIFY(resume->summary().startsWith(QStringLiteral("Read: ")));
    }
};

QUILLORA_TEST_MAIN(FieldBindingTest)
#include "test_field_binding.moc"
