#include "app/openai_key_prompt.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "controls/opacity_transition.h"
#include "platform/app_events.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"
#include "theme/scheme_colors.h"

#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <QVariantAnimation>

using namespace quillora;

namespace {

QString storePath() {
    return QDir::tempPath() + QStringLiteral("/list/default.store");
}

std::unique_ptr<ModelContainer> openStore() {
    QDir().mkpath(QFileInfo(storePath()).absolutePath());
    auto container = ModelContainer::open(storePath());
    if (!container)
        qFatal("open failed: %s", qPrintable(container.error()));
    container.value()->mainContext().setAutosaveEnabled(false);
    return std::move(container).value();
}

QDateTime minutesAgo(int minutes) {
    return QDateTime::currentDateTimeUtc().addSecs(-60 * minutes);
}

QStringList titles(const QAbstractItemModel& model) {
    QStringList out;
    for (int row = 0; row < model.rowCount(); ++row)
        out << model.index(row, 0).data().toString();
    return out;
}

QStringList storedTitles() {
    auto store = openStore();
    const auto fetched = store->mainContext().fetchResumes();
    QStringList out;
    if (!fetched)
        return out;
    for (const auto& resume : fetched.value())
        out << resume->title();
    return out;
}

QString id(const ResumePtr& resume) {
    return resume->persistentModelID().description();
}

// Answers the list's sheets and alerts without showing them.
struct Answers {
    QStringList seen; // object names, in order
    std::function<int(QDialog&)> answer = [](QDialog&) { return int(QDialog::Rejected); };

    ResumeListView::ModalRunner runner() {
        return [this](QDialog& dialog) {
            seen << dialog.objectName();
            return answer(dialog);
        };
    }
};

QAbstractButton* alertButton(QMessageBox& box, const QString& text) {
    for (QAbstractButton* button : box.buttons()) {
        if (button->text() == text)
            return button;
    }
    return nullptr;
}

} // namespace

class ResumeListTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QFile::remove(storePath());
        QFile::remove(storePath() + QStringLiteral("-wal"));
        QFile::remove(storePath() + QStringLiteral("-shm"));
        Settings().remove(Settings::openAIAPIKeyKey);
    }

    void modelFollowsTheStoreInLastEditedOrder() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        auto older = test::makeEmptyResume(QStringLiteral("Older"), minutesAgo(30));
        auto newer = test::makeEmptyResume(QStringLiteral("Newer"), minutesAgo(10));
        context.insert(older);
        context.insert(newer);
        QVERIFY(context.save().ok());

        ResumeListModel model(context);
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QCOMPARE(titles(model), (QStringList{QStringLiteral("Newer"), QStringLiteral("Older")}));

        // Inserted elsewhere: in its place by date, not simply on top.
        auto middle = test::makeEmptyResume(QStringLiteral("Middle"), minutesAgo(20));
        context.insert(middle);
        QCOMPARE(titles(model),
                 (QStringList{QStringLiteral("Newer"), QStringLiteral("Middle"), QStringLiteral("Older")}));

        // An edit stamps lastEdited: the row moves to the top.
        QSignalSpy moved(&model, &QAbstractItemModel::rowsMoved);
        older->setLastEdited(QDateTime::currentDateTimeUtc());
        QCOMPARE(moved.count(), 1);
        QCOMPARE(titles(model),
                 (QStringList{QStringLiteral("Older"), QStringLiteral("Newer"), QStringLiteral("Middle")}));
        middle->setLastEdited(minutesAgo(60));
        QCOMPARE(titles(model),
                 (QStringList{QStringLiteral("Older"), QStringLiteral("Newer"), QStringLiteral("Middle")}));

        QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
        newer->setTitle(QStringLiteral("Renamed"));
        QCOMPARE(changed.count(), 1);
        QCOMPARE(model.index(1).data().toString(), QStringLiteral("Renamed"));

        context.deleteRecord(middle);
        QCOMPARE(titles(model), (QStringList{QStringLiteral("Older"), QStringLiteral("Renamed")}));

        // Per-row accessibility; saving turns a temporary identifier into a lasting one.
        newer->setFullName(QStringLiteral("Ada Lovelace"));
        const QModelIndex row = model.index(1);
        QCOMPARE(row.data(Qt::AccessibleTextRole).toString(), QStringLiteral("Renamed, Ada Lovelace"));
        QCOMPARE(row.data(Qt::AccessibleDescriptionRole).toString(), QStringLiteral("Opens this resume"));
        QCOMPARE(row.data(ResumeListModel::IdentifierRole).toString(),
                 QStringLiteral("resumeCard") + id(newer));
        QCOMPARE(model.index(0).data(Qt::AccessibleTextRole).toString(), QStringLiteral("Older"));
        auto fresh =
            test::makeEmptyResume(QStringLiteral("Fresh"), QDateTime::currentDateTimeUtc().addSecs(60));
        context.insert(fresh);
        QVERIFY(
            model.index(0).data(ResumeListModel::IdentifierRole).toString().contains(QStringLiteral("/t")));
        QVERIFY(context.save().ok());
        QCOMPARE(model.index(0).data(ResumeListModel::IdentifierRole).toString(),
                 QStringLiteral("resumeCard") + id(fresh));
        QVERIFY(!fresh->persistentModelID().isTemporary());
    }

    void rowsFadeAndSlideAsTheyComeGoAndResort() {
        for (const bool reduceMotion : {false, true}) {
            Services services(openStore());
            services.appearance().setReduceMotionOverride(reduceMotion);
            auto& context = services.store().mainContext();
            auto a = test::makeEmptyResume(QStringLiteral("A"), minutesAgo(10));
            auto b = test::makeEmptyResume(QStringLiteral("B"), minutesAgo(20));
            context.insert(a);
            context.insert(b);
            ResumeListView view(services, UserInterfaceIdiom::pad);
            view.resize(500, 700);
            view.show();
            QVERIFY(QTest::qWaitForWindowExposed(&view));
            ResumeCardList& list = *view.listView();
            const QVariantAnimation& rows = list.rowAnimation();
            QCOMPARE(rows.duration(), defaultAnimationMs);
            QCOMPARE(rows.easingCurve().type(), defaultAnimationEasing);
            const qreal h = list.visualRect(list.model()->index(1, 0)).top();
            QVERIFY(h > 0);
            const auto motion = [&](int row) { return list.rowMotion(list.model()->index(row, 0)); };
            const auto atRest = [&] {
                for (int row = 0; row < list.model()->rowCount(); ++row)
                    if (motion(row).offset != 0 || motion(row).opacity != 1)
                        return false;
                return list.fadingRowCount() == 0;
            };

            // A new row on top fades in; the rows below start one row higher and slide down.
            context.insert(test::makeEmptyResume(QStringLiteral("New"), QDateTime::currentDateTimeUtc()));
            QCOMPARE(rows.state() == QAbstractAnimation::Running, !reduceMotion);
            if (!reduceMotion) {
                QCOMPARE(motion(0).opacity, 0.0);
                QCOMPARE(motion(1).offset, -h);
                QCOMPARE(motion(2).offset, -h);
                QVERIFY(!list.grab().isNull());
            }
            QTRY_VERIFY(atRest());

            // B re-sorts to the top: it slides up from the bottom, the others down.
            b->setLastEdited(QDateTime::currentDateTimeUtc().addSecs(5));
            QCOMPARE(titles(*list.model()).first(), QStringLiteral("B"));
            if (!reduceMotion) {
                QCOMPARE(motion(0).offset, 2 * h);
                QCOMPARE(motion(1).offset, -h);
            }
            QTRY_VERIFY(atRest());

            // A removed row fades out where it was; the row below slides up into its place.
            context.deleteRecord(b);
            QCOMPARE(list.model()->rowCount(), 2);
            QCOMPARE(list.fadingRowCount(), reduceMotion ? 0 : 1);
            if (!reduceMotion)
                QCOMPARE(motion(0).offset, h);
            QTRY_VERIFY(atRest());
            QCOMPARE(rows.state(), QAbstractAnimation::Stopped);
        }
    }

    // Whatever re-sorts the list under its focus (another résumé saved), the focused row stays on
    // its résumé and its new place is said.
    void aResortUnderTheFocusSaysTheFocusedRowsPlace() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        auto& context = services.store().mainContext();
        auto a = test::makeEmptyResume(QStringLiteral("A"), minutesAgo(10));
        auto b = test::makeEmptyResume(QStringLiteral("B"), minutesAgo(20));
        context.insert(a);
        context.insert(b);
        ResumeListView view(services, UserInterfaceIdiom::pad);
        view.resize(500, 700);
        view.show();
        QVERIFY(QTest::qWaitForWindowActive(&view));
        ResumeCardList& list = *view.listView();
        list.setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(list.currentIndex().row(), 0);
        b->setLastEdited(QDateTime::currentDateTimeUtc());
        QCOMPARE(list.currentIndex().row(), 1);
        QCOMPARE(view.model()->resumeAt(1), a);
        const auto said = [&view] {
            const QWidget* note = view.findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"));
            return note ? note->property("_quillora_accessibleAnnouncement").toString() : QString();
        };
        QTRY_COMPARE(said(), QStringLiteral("“A” is now 2 of 2."));
    }

    void createAddsMyResumeOnTopWithoutSelectingIt() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        context.insert(test::makeEmptyResume(QStringLiteral("Existing"), QDateTime::currentDateTimeUtc()));
        QVERIFY(context.save().ok());
        ResumeListView list(services, UserInterfaceIdiom::pad);
        QSignalSpy posted(&services.events(), &AppEvents::selectResume);

        auto* add = list.findChild<QAbstractButton*>(QStringLiteral("addResumeButton"));
        QVERIFY(add);
        QCOMPARE(add->accessibleName(), QStringLiteral("Add resume"));
        QCOMPARE(add->accessibleDescription(), QStringLiteral("Creates a new resume"));
        add->click();

        QCOMPARE(titles(*list.model()).first(), QStringLiteral("My Résumé"));
        QCOMPARE(posted.count(), 0);
        QVERIFY(!list.selectedResume());
        const ResumePtr created = list.model()->resumeAt(0);
        QCOMPARE(created->titleSummary(), std::optional<QString>(QStringLiteral("Summary")));
        QCOMPARE(created->titleExperience(), std::optional<QString>(QStringLiteral("Experience")));
        QCOMPARE(created->fontName(), QStringLiteral("Helvetica Neue"));
        QVERIFY(!created->atsInsertedKeywords());
        QVERIFY(!created->morvessaRecordName());
        QVERIFY(!context.hasChanges());
        QCOMPARE(storedTitles(), (QStringList{QStringLiteral("My Résumé"), QStringLiteral("Existing")}));
    }

    void duplicateFromMenuAndKeyboardAddsACopyOnTop() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        auto source = test::makeFullResume();
        source->setLastEdited(minutesAgo(5));
        context.insert(source);
        context.insert(test::makeEmptyResume(QStringLiteral("Newest"), minutesAgo(1)));
        QVERIFY(context.save().ok());
        ResumeListView list(services, UserInterfaceIdiom::other);
        QCOMPARE(list.model()->resumeAt(1), source);

        std::unique_ptr<QMenu> menu(list.contextMenuFor(list.model()->index(1), nullptr));
        auto* duplicate = menu->findChild<QAction*>(QStringLiteral("duplicateResumeButton") + id(source));
        QVERIFY(duplicate);
        QVERIFY(menu->findChild<QAction*>(QStringLiteral("deleteResumeButton") + id(source)));
        duplicate->trigger();

        const ResumePtr copy = list.model()->resumeAt(0);
        QCOMPARE(copy->title(), QStringLiteral("Design Résumé Copy"));
        QVERIFY(!copy->morvessaRecordName());
        QCOMPARE(copy->experienceItems().size(), source->experienceItems().size());
        for (int i = 0; i < copy->experienceItems().size(); ++i)
            QVERIFY(copy->experienceItems().at(i) != source->experienceItems().at(i));
        QVERIFY(copy->portfolioItems().first()->id() != source->portfolioItems().first()->id());
        QVERIFY(!copy->persistentModelID().isTemporary()); // saved at once

        // Ctrl+D on the current card duplicates that card: the copy of the copy on top.
        list.resize(420, 700);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.listView()->setFocus();
        list.listView()->setCurrentIndex(list.model()->index(0));
        QTest::keyClick(list.listView(), Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(titles(*list.model()).first(), QStringLiteral("Design Résumé Copy Copy"));
        QCOMPARE(storedTitles().size(), 4);
    }

    void deleteAsksAndOnlyDeleteRemovesForGood() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        auto doomed = test::makeEmptyResume(QStringLiteral("Old CV"), minutesAgo(2));
        context.insert(doomed);
        context.insert(test::makeEmptyResume(QStringLiteral("Keeper"), minutesAgo(9)));
        QVERIFY(context.save().ok());
        ResumeListView list(services, UserInterfaceIdiom::other);
        Answers answers;
        QString title, text, message;
        QString pressed = QStringLiteral("Cancel");
        answers.answer = [&](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            title = box.windowTitle();
            text = box.text();
            message = box.informativeText();
            alertButton(box, pressed)->click();
            return box.result();
        };
        list.setModalRunner(answers.runner());

        // The Delete key asks first; Cancel keeps the row.
        list.resize(420, 700);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));
        list.listView()->setFocus();
        list.listView()->setCurrentIndex(list.model()->index(0));
        QTest::keyClick(list.listView(), Qt::Key_Delete);
        QCOMPARE(answers.seen, QStringList{QStringLiteral("deleteResumeAlert")});
        QCOMPARE(title, QStringLiteral("Delete Résumé"));
        QCOMPARE(text, QStringLiteral("Delete Résumé"));
        QCOMPARE(message, QStringLiteral("Are you sure you want to delete “Old CV”?"));
        QCOMPARE(titles(*list.model()), (QStringList{QStringLiteral("Old CV"), QStringLiteral("Keeper")}));
        QVERIFY(!list.resumePendingDeletion());

        // The menu's Delete, answered with Delete, removes it from the store.
        pressed = QStringLiteral("Delete");
        std::unique_ptr<QMenu> menu(list.contextMenuFor(list.model()->index(0), nullptr));
        menu->findChild<QAction*>(QStringLiteral("deleteResumeButton") + id(doomed))->trigger();
        QCOMPARE(titles(*list.model()), QStringList{QStringLiteral("Keeper")});
        QVERIFY(!list.resumePendingDeletion());
        QCOMPARE(storedTitles(), QStringList{QStringLiteral("Keeper")});
    }

    void failedSavesAfterDuplicateAndDeleteAreLogged() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        auto first = test::makeFullResume();
        auto other = test::makeEmptyResume(QStringLiteral("Other"));
        context.insert(first);
        context.insert(other);
        QVERIFY(context.save().ok());
        ResumeListView list(services, UserInterfaceIdiom::other);
        list.setModalRunner([](QDialog& dialog) {
            auto& box = dynamic_cast<QMessageBox&>(dialog);
            alertButton(box, QStringLiteral("Delete"))->click();
            return box.result();
        });
        // A pending résumé whose portfolio ids clash with the stored one makes every save fail.
        context.insert(test::makeFullResume());

        const QStringList lines = test::printedBy([&] {
            list.duplicateAction(first);
            list.requestDeletion(other);
        });
        QVERIFY2(lines.size() == 2, qPrintable(lines.join(QLatin1Char(0x7c))));
        QVERIFY2(lines.at(0).startsWith(QStringLiteral("⚠️ Failed to save duplicated resume: ")),
                 qPrintable(lines.at(0)));
        QVERIFY2(lines.at(1).startsWith(QStringLiteral("⚠️ Failed to save after deleting resume: ")),
                 qPrintable(lines.at(1)));
        QVERIFY(lines.at(1).contains(QStringLiteral("UNIQUE")));
        // The rows show what the context holds: the copy is there, the deleted one is gone.
        QCOMPARE(list.model()->rowCount(), 3);
        QVERIFY(list.model()->rowOf(other.get()) < 0);
    }

    void choosingACardSelectsByIdiom() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ModelContainer* store = &services.store();
        auto& context = store->mainContext();
        auto resume = test::makeEmptyResume(QStringLiteral("Chosen"), minutesAgo(1));
        context.insert(resume);
        QVERIFY(context.save().ok());
        QSignalSpy posted(&services.events(), &AppEvents::selectResume);

        ResumeListView pad(services, UserInterfaceIdiom::pad);
        Answers padAnswers;
        pad.setModalRunner(padAnswers.runner());
        pad.selectResume(resume);
        QCOMPARE(posted.count(), 1);
        QCOMPARE(posted.first().first().value<std::shared_ptr<QObject>>(),
                 std::static_pointer_cast<QObject>(resume));
        QVERIFY(padAnswers.seen.isEmpty());

        ResumeListView other(services, UserInterfaceIdiom::other);
        Answers answers;
        ResumePtr whileOpen;
        QString sheetTitle;
        answers.answer = [&](QDialog& dialog) {
            whileOpen = other.selectedResume();
            sheetTitle = dialog.findChild<QLabel*>(QStringLiteral("editorNavigationTitle"))->text();
            return int(QDialog::Rejected);
        };
        other.setModalRunner(answers.runner());
        other.resize(420, 700);
        other.show();
        QVERIFY(QTest::qWaitForWindowExposed(&other));
        const QRect card = other.listView()->visualRect(other.model()->index(0));
        QTest::mouseClick(other.listView()->viewport(), Qt::LeftButton, {}, card.center());
        QCOMPARE(answers.seen, QStringList{QStringLiteral("resumeEditorSheet")});
        QCOMPARE(whileOpen, resume);
        QCOMPARE(sheetTitle, QStringLiteral("Chosen"));
        QVERIFY(!other.selectedResume());
        QCOMPARE(posted.count(), 1);
    }

    // A screen reader opens a card through the row's first action, Press, or by selecting the
    // row, as a click does; the press returns before the sheet runs, and the open card is selected.
    void aCardOpensThroughItsAccessibilityActions() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        auto& context = services.store().mainContext();
        auto first = test::makeEmptyResume(QStringLiteral("First"), minutesAgo(1));
        auto second = test::makeEmptyResume(QStringLiteral("Second"), minutesAgo(2));
        context.insert(first);
        context.insert(second);
        QVERIFY(context.save().ok());
        ResumeListView list(services, UserInterfaceIdiom::other);
        QAccessibleInterface* cards = QAccessible::queryAccessibleInterface(list.listView());
        Answers answers;
        QList<ResumePtr> opened;
        QList<bool> selected;
        answers.answer = [&](QDialog&) {
            opened << list.selectedResume();
            selected << cards->child(list.model()->rowOf(opened.last().get()))->state().selected;
            return int(QDialog::Rejected);
        };
        list.setModalRunner(answers.runner());
        list.resize(420, 700);
        list.show();
        QVERIFY(QTest::qWaitForWindowExposed(&list));

        QCOMPARE(cards->role(), QAccessible::List);
        QCOMPARE(cards->childCount(), 2);
        QAccessibleInterface* card = cards->child(1);
        QCOMPARE(card->role(), QAccessible::ListItem);
        QCOMPARE(card->text(QAccessible::Name),
                 list.model()->index(1).data(Qt::AccessibleTextRole).toString());
        QCOMPARE(card->text(QAccessible::Description), QStringLiteral("Opens this resume"));
        QCOMPARE(card->actionInterface()->actionNames().value(0), QAccessibleActionInterface::pressAction());
        QVERIFY(!card->state().selected);
        card->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QVERIFY(answers.seen.isEmpty());
        QTRY_COMPARE(answers.seen.size(), 1);
        QCOMPARE(opened.value(0), second);
        QCOMPARE(selected.value(0), true);
        QVERIFY(cards->tableInterface()->selectRow(0));
        QTRY_COMPARE(answers.seen.size(), 2);
        QCOMPARE(opened.value(1), first);
        QVERIFY(!cards->tableInterface()->selectRow(2));
    }

    void bottomBarButtonsCarryTheirLabels() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ResumeListView list(services, UserInterfaceIdiom::other);
        Answers answers;
        list.setModalRunner(answers.runner());
        const struct {
            const char* identifier;
            const char* label;
            const char* hint;
        } expected[] = {
            {"resumeListHelpButton", "Help", "Shows help for the main interface"},
            {"resumeListBackgroundButton", "Choose background", "Opens the background picker"},
        };
        for (const auto& e : expected) {
            auto* button = list.findChild<QAbstractButton*>(QString::fromUtf8(e.identifier));
            QVERIFY2(button, e.identifier);
            QCOMPARE(button->accessibleName(), QString::fromUtf8(e.label));
            QCOMPARE(button->accessibleDescription(), QString::fromUtf8(e.hint));
            button->click();
        }
        QCOMPARE(answers.seen,
                 (QStringList{QStringLiteral("helpSheet"), QStringLiteral("gradientPickerSheet")}));
    }

    void mainHelpListsItsGroupsVerbatim() {
        const QList<HelpGroup> groups = ResumeListView::mainInterfaceHelpContent();
        const QList<QPair<QString, QStringList>> expected{
            {QStringLiteral("RÉSUMÉ LIST"),
             {QStringLiteral("Résumés are sorted by most recently edited"),
              QStringLiteral("Tap a résumé to open and edit it")}},
            {QStringLiteral("QUICK GESTURES"),
             {QStringLiteral("Swipe right to duplicate a résumé"),
              QStringLiteral("Swipe left to delete a résumé")}},
            {QStringLiteral("CREATE NEW RÉSUMÉ"),
             {QStringLiteral("Tap the + button to create a new résumé"),
              QStringLiteral("The new résumé appears and is ready to edit")}},
            {QStringLiteral("BACKGROUND AND THEME"),
             {QStringLiteral("Tap the paintbrush to change the background theme")}},
            {QStringLiteral("OPENAI KEY"),
             {QStringLiteral("Add your own OpenAI API key to use OpenAI instead of Apple Intelligence"),
              QStringLiteral("Your key is stored on this device and used only for Quillora AI tools"),
              QStringLiteral("Remove the key anytime to switch back to Apple Intelligence")}},
        };
        QCOMPARE(groups.size(), expected.size());
        for (int i = 0; i < groups.size(); ++i) {
            QCOMPARE(groups.at(i).header, expected.at(i).first);
            QCOMPARE(groups.at(i).bullets, expected.at(i).second);
        }

        // The sheet shows every text under its title, and ends with the key button.
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ResumeListView list(services, UserInterfaceIdiom::other);
        QStringList shown;
        QString sheetTitle;
        bool hasKeyButton = false;
        list.setModalRunner([&](QDialog& dialog) {
            sheetTitle = dialog.windowTitle();
            for (QLabel* label : dialog.findChildren<QLabel*>())
                shown << label->text();
            hasKeyButton = dialog.findChild<QPushButton*>(QStringLiteral("openAIKeyActionButton")) != nullptr;
            return 0;
        });
        list.openHelp();
        QCOMPARE(sheetTitle, QStringLiteral("Main Interface Help"));
        QVERIFY(hasKeyButton);
        for (const auto& group : expected) {
            QVERIFY2(shown.contains(group.first), qPrintable(group.first));
            for (const QString& bullet : group.second)
                QVERIFY2(shown.contains(bullet), qPrintable(bullet));
        }
    }

    void keyButtonLabelIsSubheadlineSemibold() {
        Services services(openStore());
        ResumeListView list(services, UserInterfaceIdiom::other);
        QFont font;
        list.setModalRunner([&](QDialog& dialog) {
            if (auto* button = dialog.findChild<QPushButton*>(QStringLiteral("openAIKeyActionButton")))
                font = button->font();
            return 0;
        });
        list.openHelp();
        // Subheadline (15 points), semibold.
        QCOMPARE(font.pointSizeF(), systemFont(15).pointSizeF());
        QCOMPARE(font.weight(), QFont::DemiBold);
    }

    void keyButtonAddsTrimmedKeyAndRemovesIt() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ResumeListView list(services, UserInterfaceIdiom::other);
        QPushButton* keyButton = nullptr;
        QStringList titlesSeen;
        QString typed = QStringLiteral("  sk-abc \n");
        bool savePrompt = true;
        QString promptMessage;
        list.setModalRunner([&](QDialog& dialog) {
            if (dialog.objectName() == QLatin1String("helpSheet")) {
                keyButton = dialog.findChild<QPushButton*>(QStringLiteral("openAIKeyActionButton"));
                titlesSeen << keyButton->text();
                keyButton->click(); // opens the prompt (nested) when no key is stored
                titlesSeen << keyButton->text() + QLatin1Char('|') + keyButton->accessibleDescription() +
                                  QLatin1Char('|') + keyButton->objectName();
                return 0;
            }
            promptMessage = dialog.findChild<QLabel*>(QStringLiteral("openAIKeyPromptMessage"))->text();
            auto* field = dialog.findChild<QLineEdit*>(QStringLiteral("openAIKeyField"));
            [&] { QCOMPARE(field->placeholderText(), QStringLiteral("sk-...")); }();
            field->setText(typed);
            (savePrompt ? dialog.findChild<QPushButton*>(QStringLiteral("openAIKeySaveButton"))
                        : dialog.findChild<QPushButton*>(QStringLiteral("openAIKeyCancelButton")))
                ->click();
            return dialog.result();
        });

        list.openHelp();
        QCOMPARE(promptMessage,
                 QStringLiteral("Your key is stored on this device and will be used for all AI features."));
        QCOMPARE(services.settings().openAIAPIKey(), QStringLiteral("sk-abc"));
        QCOMPARE(titlesSeen,
                 (QStringList{
                     QStringLiteral("Add OpenAI API Key"),
                     QStringLiteral(
                         "Remove OpenAI API Key|Removes the stored OpenAI API key|openAIKeyActionButton")}));
        QVERIFY(list.openAIKeyDraft().isEmpty());

        // With a key stored the button removes it at once; the setting keeps the empty text.
        titlesSeen.clear();
        list.openHelp();
        QCOMPARE(
            titlesSeen,
            (QStringList{
                QStringLiteral("Remove OpenAI API Key"),
                QStringLiteral(
                    "Add OpenAI API Key|Stores your OpenAI API key on this device|openAIKeyActionButton")}));
        QVERIFY(services.settings().contains(Settings::openAIAPIKeyKey));
        QCOMPARE(services.settings().openAIAPIKey(), QString());

        // A blank stored key counts as none; Cancel keeps the typed draft.
        services.settings().setOpenAIAPIKey(QStringLiteral(" \n "));
        savePrompt = false;
        typed = QStringLiteral("sk-draft");
        titlesSeen.clear();
        list.openHelp();
        QCOMPARE(titlesSeen.first(), QStringLiteral("Add OpenAI API Key"));
        QCOMPARE(list.openAIKeyDraft(), QStringLiteral("sk-draft"));
        QCOMPARE(services.settings().openAIAPIKey(), QStringLiteral(" \n "));

        // Saving only white space leaves no key.
        savePrompt = true;
        typed = QStringLiteral("   ");
        list.openHelp();
        QCOMPARE(services.settings().openAIAPIKey(), QString());
    }

    void logoRevealsAfterItsDelay() {
        Services services(openStore());
        services.appearance().setReduceMotionOverride(true);
        ResumeListView list(services, UserInterfaceIdiom::other);
        list.setLogoRevealDelay(30);
        list.resize(420, 700);
        list.show();
        QVERIFY(!list.showLogo());
        QTRY_VERIFY_WITH_TIMEOUT(list.showLogo(), 20000);
    }
};

QUILLORA_TEST_MAIN(ResumeListTest)
#include "test_resume_list.moc"
