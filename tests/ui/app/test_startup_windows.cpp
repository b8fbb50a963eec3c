#include "app/quillora_app.h"
#include "app/startup_messages.h"
#include "store/instance_lock.h"
#include "store/model_container.h"
#include "store/store_location.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QApplication>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>

#include <unistd.h>

using namespace quillora;

namespace {

// A message window as the user would have seen it.
struct Seen {
    QString objectName, title, text, details;
    bool modal = false;
    bool plain = true;
};

Seen describe(QMessageBox& box) {
    Seen seen{box.objectName(), box.windowTitle(), box.text(), box.informativeText(), box.isModal(), true};
    for (QLabel* label : box.findChildren<QLabel*>()) {
        if (!label->text().isEmpty() && label->textFormat() != Qt::PlainText)
            seen.plain = false;
    }
    return seen;
}

QPushButton* buttonNamed(QMessageBox& box, const QString& name) {
    return box.findChild<QPushButton*>(name);
}

// One start-up of the app that answers every message window with OK.
struct StartupRun {
    int code = -1;
    QList<Seen> seen;  // the windows, in the order shown
    QStringList lines; // what was printed
};

StartupRun runAnsweringOK() {
    StartupRun run;
    run.lines = test::printedBy([&] {
        run.code = runQuillora(*qApp, [&](QMessageBox& box) {
            run.seen << describe(box);
            return int(QMessageBox::Ok);
        });
    });
    return run;
}

} // namespace

class StartupWindowsTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::resetDataDirectory(); }

    void anUnopenableStoreIsRefusedInAWindow() {
        QVERIFY(ensureStoreDirectory().ok());
        QVERIFY(test::writeFile(storeFileURL(), "not a database"));
        const auto [code, seen, lines] = runAnsweringOK();
        QCOMPARE(code, 1);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().objectName, QStringLiteral("startupRefusalAlert"));
        QCOMPARE(seen.first().title, QStringLiteral("Quillora Cannot Open Your Résumés"));
        QVERIFY(seen.first().details.contains(QStringLiteral("Store file: ") + storeFileURL()));
        QVERIFY(seen.first().details.contains(QStringLiteral("Backups folder: ") + backupsDirectoryURL()));
        QVERIFY(seen.first().plain);
        QVERIFY(lines.last().startsWith(QStringLiteral("SwiftData ModelContainer failed: ")));
        QCOMPARE(test::readFile(storeFileURL()), QByteArray("not a database"));
    }

    void aSecondInstanceSaysSoAndLeavesTheFirstsData() {
        QVERIFY(ensureStoreDirectory().ok());
        {
            auto store = ModelContainer::open(storeFileURL());
            QVERIFY(store.ok());
            (*store)->mainContext().insert(test::makeFullResume());
            QVERIFY((*store)->mainContext().save().ok());
        }
        const QByteArray bytes = test::readFile(storeFileURL());
        std::unique_ptr<InstanceLock> first;
        QCOMPARE(InstanceLock::tryAcquire(storeDirectoryURL(), first), InstanceLock::Outcome::acquired);

        const auto [code, seen, lines] = runAnsweringOK();
        QCOMPARE(code, 0);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().objectName, QStringLiteral("startupRefusalAlert"));
        QCOMPARE(seen.first().title, QStringLiteral("Quillora Is Already Running"));
        QVERIFY(seen.first().details.contains(backupsDirectoryURL()));
        QVERIFY(lines.last().startsWith(QStringLiteral("⚠️ Quillora is already running: ")));
        QCOMPARE(test::readFile(storeFileURL()), bytes);
        QVERIFY(test::backupsListing().isEmpty()); // not even a snapshot was taken
    }

    void aStoreThatCannotBeWrittenIsToldAtStartUp() {
        if (::geteuid() != 0)
            QSKIP("the file's mode is enough when not root; this run checks it as another user");
        QVERIFY(ensureStoreDirectory().ok());
        {
            auto store = ModelContainer::open(storeFileURL());
            QVERIFY(store.ok());
        }
        for (QString folder = storeDirectoryURL(); folder.size() > 1;
             folder = QFileInfo(folder).absolutePath())
            ::chmod(QFile::encodeName(folder).constData(), 0755);
        ::chmod(QFile::encodeName(storeFileURL()).constData(), 0644);
        QVERIFY(::seteuid(65534) == 0);
        const auto [code, seen, lines] = runAnsweringOK();
        QVERIFY(::seteuid(0) == 0);
        QCOMPARE(code, 1);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().title, QStringLiteral("Your Résumés Cannot Be Saved"));
        QVERIFY(seen.first().details.contains(QStringLiteral("cannot be written (Permission denied)")));
    }

    void anEmptyStoreFileIsAskedAboutFirst() {
        QVERIFY(ensureStoreDirectory().ok());
        QVERIFY(test::writeFile(storeFileURL(), QByteArray()));
        QList<Seen> seen;
        int code = -1;
        (void)test::printedBy([&] {
            code = runQuillora(*qApp, [&](QMessageBox& box) -> int {
                seen << describe(box);
                if (QPushButton* quit = buttonNamed(box, QStringLiteral("quitEmptyStoreButton"));
                    quit && buttonNamed(box, QStringLiteral("startEmptyButton")))
                    quit->click();
                return int(QMessageBox::Cancel);
            });
        });
        QCOMPARE(code, 0);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().objectName, QStringLiteral("emptyStoreAlert"));
        QVERIFY(seen.first().details.contains(QStringLiteral("Backups folder: ") + backupsDirectoryURL()));
        QVERIFY(QFileInfo::exists(storeFileURL()));
        QCOMPARE(QFileInfo(storeFileURL()).size(), 0);
        QVERIFY(test::backupsListing().isEmpty());
    }

    void aFailedSaveIsShownOnceWithoutBlocking() {
        auto container = ModelContainer::inMemory();
        QVERIFY(container.ok());
        ModelContext& context = (*container)->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(test::makeFullResume());
        QVERIFY(context.save().ok());
        QWidget window;
        SaveFailureNotice notice(context, &window);

        // A second résumé whose portfolio ids clash with the stored one: every save fails.
        ResumePtr clash = test::makeFullResume();
        context.insert(clash);
        (void)test::printedBy([&] {
            QVERIFY(!context.save().ok());
            QVERIFY(!context.save().ok());
        });
        QVERIFY(notice.openWindow());
        QCOMPARE(notice.openWindow()->objectName(), QStringLiteral("saveFailedAlert"));
        QVERIFY(!notice.openWindow()->isModal());
        QCOMPARE(notice.openWindow()->windowModality(), Qt::NonModal);
        QVERIFY(notice.openWindow()->isVisible());
        QCOMPARE(window.findChildren<QMessageBox*>().size(), 1);
        QVERIFY(notice.openWindow()->informativeText().contains(QStringLiteral("UNIQUE")));

        // Once saving works again, the next failure is shown again.
        notice.openWindow()->close();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        context.deleteRecord(clash);
        context.fetchResumes()->first()->setTitle(QStringLiteral("Saved again"));
        QVERIFY(context.save().ok());
        context.insert(test::makeFullResume());
        (void)test::printedBy([&] { QVERIFY(!context.save().ok()); });
        QVERIFY(notice.openWindow() && notice.openWindow()->isVisible());
    }
};

QUILLORA_TEST_MAIN(StartupWindowsTest)
#include "test_startup_windows.moc"
