#include "app/content_view.h"
#include "app/resume_card_delegate.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QTest>

using namespace quillora;

namespace {

QDateTime minutesAgo(int minutes) {
    return QDateTime::currentDateTimeUtc().addSecs(-60 * minutes);
}

// A main window's content with three résumés of nearly the same name, newest first.
struct Shell {
    Services services{std::move(ModelContainer::inMemory()).value()};
    std::unique_ptr<ContentView> content;
    ResumePtr first, second, third;

    Shell() {
        services.appearance().setReduceMotionOverride(true);
        ModelContext& context = services.context();
        first = test::makeEmptyResume(QStringLiteral("Design Résumé"), minutesAgo(1));
        second = test::makeEmptyResume(QStringLiteral("Design Résumé 2"), minutesAgo(2));
        third = test::makeEmptyResume(QStringLiteral("Design Résumé 3"), minutesAgo(3));
        for (const auto& r : {first, second, third})
            context.insert(r);
        (void)context.save();
        content = std::make_unique<ContentView>(services, UserInterfaceIdiom::pad);
        content->resize(1180, 760);
        content->show();
    }
    ResumeListView* list() const { return content->resumeList(); }
    ResumeCardList* cards() const { return qobject_cast<ResumeCardList*>(list()->listView()); }
    ResumeListModel* model() const { return list()->model(); }
    QPoint rowCentre(int row) const { return cards()->visualRect(model()->index(row)).center(); }
};

} // namespace

class ResumeListStateTest : public QObject {
    Q_OBJECT

private slots:
    void nothingLooksOpenUntilARowIsChosen() {
        Shell shell;
        QVERIFY(QTest::qWaitForWindowExposed(shell.content.get()));
        QVERIFY(shell.cards());
        QCOMPARE(shell.cards()->openRow(), -1);
        // A list that opens with the focus shows its ring on its first row, which is not open.
        QCOMPARE(shell.cards()->showsFocusRing(), shell.cards()->hasFocus());
        if (shell.cards()->hasFocus())
            QCOMPARE(shell.cards()->currentIndex().row(), 0);
        // Clicking into the list to give it the focus does not light the first row up either.
        shell.cards()->clearFocus();
        shell.cards()->setFocus(Qt::MouseFocusReason);
        QVERIFY(!shell.cards()->showsFocusRing());

        QTest::mouseClick(shell.cards()->viewport(), Qt::LeftButton, {}, shell.rowCentre(1));
        QCOMPARE(shell.content->selectedResume(), shell.second);
        QCOMPARE(shell.cards()->openRow(), 1);
        QVERIFY(!shell.cards()->showsFocusRing());
    }

    void arrowKeysOpenTheRowTheyReach() {
        Shell shell;
        QVERIFY(QTest::qWaitForWindowExposed(shell.content.get()));
        QTest::mouseClick(shell.cards()->viewport(), Qt::LeftButton, {}, shell.rowCentre(0));
        QCOMPARE(shell.content->selectedResume(), shell.first);

        // Each move opens the résumé it lands on (leaving one saves it, which may move it to the
        // top; the open row is wherever the open résumé is now).
        const auto opensCurrentRow = [&](Qt::Key key) {
            QTest::keyClick(shell.cards(), key);
            QTRY_VERIFY(shell.content->selectedResume());
            const int row = shell.cards()->currentIndex().row();
            QVERIFY2(shell.content->selectedResume() == shell.model()->resumeAt(row),
                     qPrintable(QString::number(row)));
            QCOMPARE(shell.cards()->openRow(), row);
        };
        opensCurrentRow(Qt::Key_Down);
        QCOMPARE(shell.content->selectedResume(), shell.second);
        QVERIFY(shell.cards()->showsFocusRing());
        opensCurrentRow(Qt::Key_End);
        QCOMPARE(shell.content->selectedResume(), shell.third);
        const ResumePtr above = shell.model()->resumeAt(shell.cards()->currentIndex().row() - 1);
        opensCurrentRow(Qt::Key_Up);
        QCOMPARE(shell.content->selectedResume(), above);
        // A title's first letter typed to find the row, and an arrow with a modifier, move the row
        // as the arrows do: the row they reach is opened, never only named.
        for (const auto& [key, modifiers] :
             {std::pair{Qt::Key_Home, Qt::NoModifier}, std::pair{Qt::Key_D, Qt::NoModifier},
              std::pair{Qt::Key_Down, Qt::ControlModifier}, std::pair{Qt::Key_Up, Qt::ControlModifier}}) {
            const ResumePtr before = shell.content->selectedResume();
            QTest::keyClick(shell.cards(), key, modifiers);
            QTRY_VERIFY2(shell.content->selectedResume() != before, qPrintable(QString::number(key)));
            QCOMPARE(shell.cards()->openRow(), shell.cards()->currentIndex().row());
            QCOMPARE(shell.content->selectedResume(),
                     shell.model()->resumeAt(shell.cards()->currentIndex().row()));
        }
        // A key that does not move the current row opens nothing new.
        const ResumePtr open = shell.content->selectedResume();
        QTest::keyClick(shell.cards(), Qt::Key_Right);
        QCOMPARE(shell.content->selectedResume(), open);
    }

    void theContextMenuActsOnItsRowWithoutOpeningIt() {
        Shell shell;
        QVERIFY(QTest::qWaitForWindowExposed(shell.content.get()));
        QTest::mouseClick(shell.cards()->viewport(), Qt::LeftButton, {}, shell.rowCentre(0));
        QTest::mousePress(shell.cards()->viewport(), Qt::RightButton, {}, shell.rowCentre(2));
        QTest::mouseRelease(shell.cards()->viewport(), Qt::RightButton, {}, shell.rowCentre(2));
        QCOMPARE(shell.content->selectedResume(), shell.first);
        QCOMPARE(shell.cards()->currentIndex().row(), 0);

        // Duplicate from the third row's menu: the copy goes on top, the open résumé stays
        // open and marked on its new row.
        std::unique_ptr<QMenu> menu(shell.list()->contextMenuFor(shell.model()->index(2), nullptr));
        menu->findChild<QAction*>(QStringLiteral("duplicateResumeButton") +
                                  shell.third->persistentModelID().description())
            ->trigger();
        QCOMPARE(shell.model()->rowCount(), 4);
        QCOMPARE(shell.model()->index(0).data().toString(), QStringLiteral("Design Résumé 3 Copy"));
        QCOMPARE(shell.content->selectedResume(), shell.first);
        QCOMPARE(shell.cards()->openRow(), 1);
        QCOMPARE(shell.cards()->currentIndex().row(), 1);
    }

    void theRowBeingDeletedStaysMarkedAndTheOpenMarkGoesWithIt() {
        Shell shell;
        QVERIFY(QTest::qWaitForWindowExposed(shell.content.get()));
        QTest::mouseClick(shell.cards()->viewport(), Qt::LeftButton, {}, shell.rowCentre(1));
        QCOMPARE(shell.cards()->openRow(), 1);

        int markedWhileAsking = -2;
        int alertWidth = 0;
        QString pressed = QStringLiteral("Cancel");
        shell.list()->setModalRunner([&](QDialog& dialog) {
            markedWhileAsking = shell.cards()->markedRow();
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            box.show();
            alertWidth = box.width();
            for (QAbstractButton* button : box.buttons()) {
                if (button->text() == pressed)
                    button->click();
            }
            return box.result();
        });
        // Asking about the third row marks the third row, not the open one; Cancel unmarks it.
        shell.list()->requestDeletion(shell.third);
        QCOMPARE(markedWhileAsking, 2);
        QCOMPARE(shell.cards()->markedRow(), -1);
        QCOMPARE(shell.model()->rowCount(), 3);
        // The alert is wide enough for its title and message on one line each.
        QVERIFY2(alertWidth >= 360, qPrintable(QString::number(alertWidth)));

        // Deleting the open résumé leaves nothing open and nothing marked.
        pressed = QStringLiteral("Delete");
        shell.list()->requestDeletion(shell.second);
        QCOMPARE(markedWhileAsking, 1);
        QCOMPARE(shell.model()->rowCount(), 2);
        QVERIFY(!shell.content->selectedResume());
        QCOMPARE(shell.cards()->openRow(), -1);
        QCOMPARE(shell.cards()->markedRow(), -1);
    }

    void separatorsAreDrawnInsideTheirOwnRow() {
        Shell shell;
        QVERIFY(QTest::qWaitForWindowExposed(shell.content.get()));
        // A row repainted on its own (as on hover) still shows its separator.
        const QRect rect = shell.cards()->visualRect(shell.model()->index(0));
        QImage image(rect.size(), QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        painter.translate(-rect.topLeft());
        painter.setClipRect(rect);
        QStyleOptionViewItem option;
        option.rect = rect;
        option.widget = shell.cards();
        option.state = QStyle::State_Enabled | QStyle::State_MouseOver;
        shell.cards()->itemDelegate()->paint(&painter, option, shell.model()->index(0));
        painter.end();
        QVERIFY(qAlpha(image.pixel(rect.width() / 2, rect.height() - 1)) > 0);
    }
};

QUILLORA_TEST_MAIN(ResumeListStateTest)
#include "test_resume_list_state.moc"
