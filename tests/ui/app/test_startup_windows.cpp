#include "app/quillora_app.h"
#include "app/startup_messages.h"
#include "model/experience.h"
#include "output/resume_pdf_generator.h"
#include "platform/safe_files.h"
#include "sharing/cloud_configuration.h"
#include "sharing/morvessa_cloud_service.h"
#include "sharing/morvessa_push_journal.h"
#include "sharing/morvessa_sharing.h"
#include "store/instance_lock.h"
#include "store/model_container.h"
#include "store/sqlite.h"
#include "store/store_location.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QTcpServer>
#include <QTest>
#include <QTimer>

#include <csignal>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/mount.h>
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

    void aStoreWithATriggerIsRefusedInAWindow_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("named");
        QTest::newRow("trigger")
            << QStringLiteral(
                   "CREATE TRIGGER wipe AFTER UPDATE ON \"Resume\" BEGIN DELETE FROM \"Experience\"; END")
            << QStringLiteral("trigger this app does not know (\"wipe\")");
        QTest::newRow("unique that replaces")
            << test::rebuiltEntryTable(Experience::entityInfo(), QStringLiteral(");"),
                                       QStringLiteral(", UNIQUE(\"company\") ON CONFLICT REPLACE);"))
            << QStringLiteral("table \"Experience\" whose definition this app does not know");
    }
    // A trigger someone put into the store would run at the first save, a constraint of theirs
    // could drop rows: the store is refused.
    void aStoreWithATriggerIsRefusedInAWindow() {
        QFETCH(QString, sql);
        QFETCH(QString, named);
        QVERIFY(ensureStoreDirectory().ok());
        {
            auto store = ModelContainer::open(storeFileURL());
            QVERIFY(store.ok());
            (*store)->mainContext().insert(test::makeFullResume());
            QVERIFY((*store)->mainContext().save().ok());
        }
        QVERIFY(sql::Database::open(storeFileURL())->exec(sql).ok());
        const QByteArray bytes = test::readFile(storeFileURL());
        const auto [code, seen, lines] = runAnsweringOK();
        QCOMPARE(code, 1);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().objectName, QStringLiteral("startupRefusalAlert"));
        QVERIFY2(seen.first().details.contains(named), qPrintable(seen.first().details));
        QCOMPARE(test::readFile(storeFileURL()), bytes);
    }

    // Temporary files of writes that a kill cut short go at the next start, from every folder the
    // app writes; anything else stays.
    void leftoverTemporaryFilesAreRemovedAtStartUp() {
        QVERIFY(ensureStoreDirectory().ok());
        const QString settingsFolder =
            QString::fromLocal8Bit(qgetenv("XDG_CONFIG_HOME")) + QStringLiteral("/Quillora");
        const QString payloadFolder = QDir::tempPath() + QStringLiteral("/Morvessa");
        const QStringList folders{storeDirectoryURL(), backupsDirectoryURL(), settingsFolder,
                                  QDir::tempPath(), payloadFolder};
        for (const QString& folder : folders) {
            QVERIFY(QDir().mkpath(folder));
            for (const char* name : {"/.quillora-a1B2c3", "/.quillora-kept.txt"}) {
                QVERIFY(test::writeFile(folder + QLatin1String(name), "x"));
                QVERIFY(test::setModifiedSecondsAgo(folder + QLatin1String(name), 600));
            }
        }
        int code = -1;
        std::unique_ptr<QuilloraSession> session;
        const QStringList lines = test::printedBy([&] {
            session = QuilloraSession::start([](QMessageBox&) { return int(QMessageBox::Ok); }, &code);
        });
        QVERIFY(session);
        for (const QString& folder : folders) {
            QVERIFY2(!QFile::exists(folder + QStringLiteral("/.quillora-a1B2c3")), qPrintable(folder));
            QVERIFY(QFile::exists(folder + QStringLiteral("/.quillora-kept.txt")));
            QVERIFY(
                lines.contains(QStringLiteral("🧹 Removed 1 leftover temporary file(s) from ") + folder));
        }
        session.reset();
    }

    // What an upload killed half-way leaves in the temporary folder (its payload file, in the
    // payload folder or in a private folder of its own) goes at the next start. Files with other
    // names, files a running upload holds, new files, links and what belongs to another user stay.
    void aKilledUploadsPayloadGoesAtTheNextStart() {
        QVERIFY(ensureStoreDirectory().ok());
        const QDir temp(QDir::tempPath());
        const QString payloadFolder = temp.filePath(QStringLiteral("Morvessa"));
        const auto payloadName = []() -> QString {
            return QStringLiteral("/resume-") + MorvessaCloudService::newRecordName() +
                   QStringLiteral(".json");
        };
        QStringList gone, kept;
        const auto plant = [](const QString& path, QStringList& list, qint64 age = 600) {
            QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
            QVERIFY(test::writeFile(path, "{}"));
            QVERIFY(test::setModifiedSecondsAgo(path, age));
            list << path;
        };
        plant(payloadFolder + payloadName(), gone);
        plant(payloadFolder + payloadName(), kept, 5); // an upload of another Quillora, just begun
        plant(payloadFolder + QStringLiteral("/resume-draft.json"), kept);
        plant(payloadFolder + QStringLiteral("/notes.json"), kept);
        const QString held = payloadFolder + payloadName();
        plant(held, kept); // an upload still running, holding its file
        const int holder = ::open(QFile::encodeName(held).constData(), O_RDONLY);
        QVERIFY(holder >= 0 && ::flock(holder, LOCK_SH) == 0);
        const auto closeHolder = qScopeGuard([holder] { ::close(holder); });

        const QString privateUpload = temp.filePath(QStringLiteral("quillora-morvessa-Ab12Cd"));
        plant(privateUpload + payloadName(), gone);
        const QString uploadWithForeignFile = temp.filePath(QStringLiteral("quillora-morvessa-Zz99Yy"));
        plant(uploadWithForeignFile + QStringLiteral("/mine.txt"), kept);
        plant(temp.filePath(QStringLiteral("quillora-morvessa-notOurs")) + payloadName(), kept);
        const QString elsewhere = temp.filePath(QStringLiteral("elsewhere"));
        plant(elsewhere + payloadName(), kept);
        QVERIFY(QFile::link(elsewhere, temp.filePath(QStringLiteral("quillora-morvessa-Lk1234"))));
        if (::geteuid() == 0) {
            const QString othersFile = payloadFolder + payloadName();
            plant(othersFile, kept);
            const QString othersFolder = temp.filePath(QStringLiteral("quillora-morvessa-Ot1234"));
            plant(othersFolder + payloadName(), kept);
            for (const QString& path : {othersFile, othersFolder})
                QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
        }
        for (const QString& folder : {privateUpload, uploadWithForeignFile})
            QVERIFY(test::setModifiedSecondsAgo(folder, 600));

        int code = -1;
        std::unique_ptr<QuilloraSession> session;
        const QStringList lines = test::printedBy([&] {
            session = QuilloraSession::start([](QMessageBox&) { return int(QMessageBox::Ok); }, &code);
        });
        QVERIFY(session);
        for (const QString& path : std::as_const(gone))
            QVERIFY2(!QFile::exists(path), qPrintable(path));
        for (const QString& path : std::as_const(kept))
            QVERIFY2(QFile::exists(path), qPrintable(path));
        QVERIFY(!QFileInfo::exists(privateUpload));
        QVERIFY(QFileInfo(uploadWithForeignFile).isDir());
        QVERIFY(lines.contains(QStringLiteral("🧹 Removed 1 leftover temporary file(s) from ") +
                               payloadFolder));
        QVERIFY(lines.contains(QStringLiteral("🧹 Removed 2 leftover temporary file(s) from ") +
                               temp.filePath(QStringLiteral("quillora-morvessa-XXXXXX"))));
        session.reset();
    }

    // The exports' folders that earlier runs left (an editor's export, a push killed mid-upload,
    // a folder of an older build without a lock) go at the next start with what they hold, on a
    // worker while the window is up. Those of a running process stay, as do new ones, folders of
    // other names, links (and what they lead to) and other users' folders.
    void exportFoldersOfEndedRunsGoAtTheNextStart() {
        QVERIFY(ensureStoreDirectory().ok());
        const QDir temp(QDir::tempPath());
        QStringList gone, kept;
        const auto plant = [](const QString& folder, QStringList& list, const QStringList& files) {
            QVERIFY(QDir().mkpath(folder));
            for (const QString& file : files)
                QVERIFY(test::writeFile(folder + u'/' + file, "%PDF-1.4"));
            QVERIFY(test::setModifiedSecondsAgo(folder, 600));
            list << folder;
        };
        // A lock no running process holds any more.
        plant(temp.filePath(QStringLiteral("quillora-export-Ab12Cd")), gone,
              {QStringLiteral(".lock"), QStringLiteral("Design Résumé.pdf")});
        plant(temp.filePath(QStringLiteral("quillora-export-Ef34Gh")), gone,
              {QStringLiteral(".lock"), QStringLiteral("Résumé.pdf"), QStringLiteral(".quillora-a1B2c3")});
        plant(temp.filePath(QStringLiteral("quillora-export-Ij56Kl")), gone, {QStringLiteral("Old.pdf")});
        plant(temp.filePath(QStringLiteral("quillora-export-notOurs")), kept, {QStringLiteral("Mine.pdf")});
        plant(temp.filePath(QStringLiteral("quillora-exports-Mn78Op")), kept, {QStringLiteral("Mine.pdf")});
        plant(temp.filePath(QStringLiteral("quillora-export-Qr90St")), kept, {QStringLiteral("Mine.pdf")});
        QVERIFY(test::setModifiedSecondsAgo(kept.last(), 5)); // being made
        // One of this running process, however old.
        const Result<QString> running =
            files::makeHeldTemporaryFolder(ResumePDFGenerator::privateFolderPrefix());
        QVERIFY(running.ok());
        QVERIFY(test::writeFile(*running + QStringLiteral("/Open.pdf"), "%PDF-1.4"));
        QVERIFY(test::setModifiedSecondsAgo(*running, 600));
        kept << *running;
        const QString elsewhere = temp.filePath(QStringLiteral("elsewhere-export"));
        plant(elsewhere, kept, {QStringLiteral(".lock"), QStringLiteral("Theirs.pdf")});
        const QString link = temp.filePath(QStringLiteral("quillora-export-Lk1234"));
        QVERIFY(QFile::link(elsewhere, link));
        kept << link;
        if (::geteuid() == 0) {
            const QString others = temp.filePath(QStringLiteral("quillora-export-Ot1234"));
            plant(others, kept, {QStringLiteral("Theirs.pdf")});
            for (const QString& path : {QString(others + QStringLiteral("/Theirs.pdf")), others})
                QVERIFY(::chown(QFile::encodeName(path).constData(), 65534, 65534) == 0);
            QVERIFY(test::setModifiedSecondsAgo(others, 600));
        }

        int code = -1;
        std::unique_ptr<QuilloraSession> session;
        test::StdoutCapture capture;
        session = QuilloraSession::start([](QMessageBox&) { return int(QMessageBox::Ok); }, &code);
        QVERIFY(session);
        const QString said = QStringLiteral("🧹 Removed 3 export folder(s) of earlier runs from ") +
                             temp.filePath(QStringLiteral("quillora-export-XXXXXX"));
        QTRY_VERIFY_WITH_TIMEOUT(capture.linesSoFar().contains(said), 60000);
        session.reset();
        (void)capture.lines();
        for (const QString& path : std::as_const(gone))
            QVERIFY2(!QFileInfo::exists(path), qPrintable(path));
        for (const QString& path : std::as_const(kept))
            QVERIFY2(QFileInfo::exists(path) && !QDir(path).isEmpty(QDir::Files | QDir::Hidden),
                     qPrintable(path));
        QVERIFY(QFileInfo(link).isSymLink());
        QVERIFY(QFileInfo::exists(*running + QStringLiteral("/Open.pdf")));
        ResumePDFGenerator::removeExport(*running + QStringLiteral("/Open.pdf"));
        QVERIFY(!QFileInfo::exists(*running));
    }

    // Pushes an earlier run left unsettled, and a database that accepts connections and never
    // answers: the window keeps answering while they are checked, and quitting does not wait for
    // the database (in the process, or at the end of a run of the app told to quit); every name
    // stays listed for the next start.
    void aDatabaseThatNeverAnswersHoldsNeitherTheWindowNorQuitting() {
        QTcpServer silent; // the system accepts the connections; nothing is ever read or written
        QVERIFY(silent.listen(QHostAddress::LocalHost));
        qputenv(kCloudDatabaseVariable, QByteArray("host=127.0.0.1 dbname=network user=quillora port=") +
                                            QByteArray::number(silent.serverPort()));
        const auto unset = qScopeGuard([] { qunsetenv(kCloudDatabaseVariable); });
        QVERIFY(ensureStoreDirectory().ok());
        QStringList names;
        for (int i = 0; i < 500; ++i)
            names << MorvessaCloudService::newRecordName();
        QVERIFY(test::writeFile(morvessaPushJournal::path(), names.join(QLatin1Char('\n')).toUtf8()));

        int code = -1;
        std::unique_ptr<QuilloraSession> session;
        (void)test::printedBy([&] {
            session = QuilloraSession::start([](QMessageBox&) { return int(QMessageBox::Ok); }, &code);
        });
        QVERIFY(session);
        int turns = 0;
        QTimer ticking;
        QObject::connect(&ticking, &QTimer::timeout, [&turns] { ++turns; });
        ticking.start(5);
        QTRY_VERIFY(turns >= 20);
        (void)test::printedBy([&] { session.reset(); });
        QVERIFY(waitForMorvessaWork(std::chrono::milliseconds(quillora::test::patientWaitMs)));
        QCOMPARE(morvessaPushJournal::names(), names);

        QProcess app;
        app.setProcessChannelMode(QProcess::MergedChannels);
        app.start(QStringLiteral(QUILLORA_APP_BINARY), {});
        QVERIFY(app.waitForStarted());
        QByteArray output;
        QTRY_VERIFY_WITH_TIMEOUT((output += app.readAll()).contains("🛟 User backup written (launch)"),
                                 60000);
        ::kill(pid_t(app.processId()), SIGTERM);
        QVERIFY2(app.waitForFinished(30000), output.constData());
        QCOMPARE(app.exitStatus(), QProcess::NormalExit);
        QCOMPARE(morvessaPushJournal::names(), names);
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
        test::openFoldersToOtherUsers(storeDirectoryURL());
        ::chmod(QFile::encodeName(storeFileURL()).constData(), 0644);
        QVERIFY(::seteuid(65534) == 0);
        const auto [code, seen, lines] = runAnsweringOK();
        QVERIFY(::seteuid(0) == 0);
        QCOMPARE(code, 1);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().title, QStringLiteral("Your Résumés Cannot Be Saved"));
        QVERIFY(seen.first().details.contains(QStringLiteral("cannot be written (Permission denied)")));
    }

    // A full disk is said in the window, not only on the terminal, before anything is written.
    void aFullDiskIsToldAtStartUp() {
        if (::geteuid() != 0)
            QSKIP("a small file system of the test's own needs root");
        const QString disk = QDir::tempPath() + QStringLiteral("/small-disk");
        QVERIFY(QDir().mkpath(disk));
        const QByteArray mountPoint = QFile::encodeName(disk);
        if (::mount("tmpfs", mountPoint.constData(), "tmpfs", MS_NOSUID | MS_NODEV, "size=2m,mode=0700") != 0)
            QSKIP("no file system could be mounted here");
        const QByteArray dataHome = qgetenv("XDG_DATA_HOME");
        const auto restore = qScopeGuard([&] {
            qputenv("XDG_DATA_HOME", dataHome);
            ::umount2(mountPoint.constData(), MNT_DETACH);
        });
        // The store as a killed app leaves it, with its side files, on the small disk.
        QVERIFY(ensureStoreDirectory().ok());
        auto opened = ModelContainer::open(storeFileURL());
        QVERIFY(opened.ok());
        std::unique_ptr<ModelContainer> container = std::move(opened).value();
        container->mainContext().insert(test::makeFullResume());
        QVERIFY(container->mainContext().save().ok());
        const QStringList files = storeFileURLs();
        qputenv("XDG_DATA_HOME", mountPoint + "/data");
        QVERIFY(ensureStoreDirectory().ok());
        for (int i = 0; i < files.size(); ++i)
            QVERIFY(QFile::copy(files.at(i), storeFileURLs().at(i)));
        container.reset();
        {
            QFile filler(disk + QStringLiteral("/filler"));
            QVERIFY(filler.open(QIODevice::WriteOnly));
            const QByteArray block(64 * 1024, 'x');
            while (filler.write(block) == block.size() && filler.flush()) {
            }
        }
        const QByteArray bytes = test::readFile(storeFileURL());

        QList<Seen> seen;
        int code = -1;
        std::unique_ptr<QuilloraSession> session;
        const QStringList lines = test::printedBy([&] {
            session = QuilloraSession::start(
                [&](QMessageBox& box) {
                    seen << describe(box);
                    return int(QMessageBox::Ok);
                },
                &code);
        });
        const bool started = session != nullptr;
        session.reset();
        QVERIFY2(!started, qPrintable(lines.join(QLatin1Char('\n'))));
        QCOMPARE(code, 1);
        QCOMPARE(seen.size(), 1);
        QCOMPARE(seen.first().objectName, QStringLiteral("startupRefusalAlert"));
        QCOMPARE(seen.first().title, QStringLiteral("Your Résumés Cannot Be Saved"));
        QVERIFY2(seen.first().details.contains(QStringLiteral("cannot be written (No space left on device)")),
                 qPrintable(seen.first().details));
        QVERIFY(lines.last().startsWith(QStringLiteral("SwiftData ModelContainer failed: ")));
        QCOMPARE(test::readFile(storeFileURL()), bytes);
        QVERIFY(test::backupsListing().isEmpty()); // no snapshot was begun either
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
