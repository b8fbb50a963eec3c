#include "output/resume_export_snapshot.h"
#include "output/resume_pdf_generator.h"
#include "platform/safe_files.h"
#include "platform/settings.h"
#include "store/app_store.h"
#include "store/store_location.h"
#include "store/store_snapshots.h"
#include "store/user_backup.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QScopeGuard>
#include <QSet>
#include <QTemporaryDir>
#include <QTest>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillora;

namespace {

mode_t modeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_mode & 07777 : 07777;
}

ino_t inodeOf(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? info.st_ino : 0;
}

bool isLink(const QString& path) {
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 && S_ISLNK(info.st_mode);
}

ResumeExportSnapshot exportable(const QString& title) {
    ResumeExportSnapshot resume;
    resume.m_title = title;
    resume.m_fullName = QStringLiteral("Avery Quinn");
    resume.m_summary = QStringLiteral("Operations lead.");
    return resume;
}

Result<QString> exportATS(const QString& title) {
    return ResumePDFGenerator::exportPDF(exportable(title), BackgroundShapeType::circles,
                                         BackgroundColorTheme::pastel, ResumeLayoutMode::ats);
}

// Sets the process umask for the life of the scope.
class UmaskScope final {
public:
    explicit UmaskScope(mode_t mask)
        : m_previous(::umask(mask)) {}
    ~UmaskScope() { ::umask(m_previous); }
    UmaskScope(const UmaskScope&) = delete;
    UmaskScope& operator=(const UmaskScope&) = delete;

private:
    mode_t m_previous;
};

} // namespace

class SafeFilesTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::resetDataDirectory(); }

    // Each export gets a file of its own under the title's name, in a new owner-only folder:
    // two exports of one title never share a file, and whatever is planted at the title's name
    // in the shared temporary folder (a link, another user's file) is neither followed nor touched.
    void everyExportHasAFileOfItsOwn() {
        const QString victim = QDir::tempPath() + QStringLiteral("/victim-bashrc");
        QVERIFY(test::writeFile(victim, "export PATH=/usr/bin\n"));
        const QString shared = QDir::tempPath() + QStringLiteral("/Planted.pdf");
        QVERIFY(QFile::link(victim, shared));
        const QString theirs = QDir::tempPath() + QStringLiteral("/Theirs.pdf");
        QVERIFY(test::writeFile(theirs, "someone else's"));
        const bool given = ::chown(QFile::encodeName(theirs).constData(), 65534, 65534) == 0;

        QStringList paths;
        const QStringList lines = test::printedBy([&] {
            for (const QString& title :
                 {QStringLiteral("Planted"), QStringLiteral("Planted"), QStringLiteral("Theirs")}) {
                const Result<QString> exported = exportATS(title);
                QVERIFY2(exported.ok(), qPrintable(exported.error()));
                paths << exported.value();
            }
        });
        QVERIFY(lines.isEmpty());
        QCOMPARE(test::readFile(victim), QByteArray("export PATH=/usr/bin\n"));
        QVERIFY(isLink(shared));
        QCOMPARE(test::readFile(theirs), QByteArray("someone else's"));
        if (given)
            QCOMPARE(QFileInfo(theirs).ownerId(), 65534u);
        QCOMPARE(QSet<QString>(paths.cbegin(), paths.cend()).size(), 3);
        for (const QString& path : paths) {
            const QFileInfo written(path);
            QCOMPARE(written.fileName(), written.fileName().startsWith(QLatin1String("Theirs"))
                                             ? QStringLiteral("Theirs.pdf")
                                             : QStringLiteral("Planted.pdf"));
            const QFileInfo folder(written.absolutePath());
            QVERIFY(folder.fileName().startsWith(ResumePDFGenerator::privateFolderPrefix()));
            QCOMPARE(folder.absolutePath(), QFileInfo(QDir::tempPath()).absoluteFilePath());
            QCOMPARE(modeOf(folder.absoluteFilePath()), mode_t(0700));
            QCOMPARE(modeOf(path), mode_t(0600));
            QVERIFY(test::readFile(path).startsWith("%PDF-"));
            // Beside the PDF, only the link to the lock that marks the folder as this running
            // process's: one lock for all of its folders, held, so no clean-up can take it.
            QCOMPARE(QDir(folder.absoluteFilePath())
                         .entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Name),
                     QStringList({QStringLiteral(".lock"), written.fileName()}));
            const QString lock = folder.absoluteFilePath() + QStringLiteral("/.lock");
            QVERIFY(QFileInfo(lock).isFile() && !isLink(lock));
            QCOMPARE(modeOf(lock), mode_t(0600));
            QCOMPARE(inodeOf(lock),
                     inodeOf(QFileInfo(paths.first()).absolutePath() + QStringLiteral("/.lock")));
            const int probe = ::open(QFile::encodeName(lock).constData(), O_RDONLY | O_CLOEXEC);
            QVERIFY(probe >= 0);
            QVERIFY(::flock(probe, LOCK_EX | LOCK_NB) != 0);
            ::close(probe);
        }
        // An export that is done with goes with its folder; nothing else is removed that way.
        ResumePDFGenerator::removeExport(paths.first());
        QVERIFY(!QFileInfo::exists(QFileInfo(paths.first()).absolutePath()));
        ResumePDFGenerator::removeExport(shared);
        QVERIFY(isLink(shared));
        QFile::remove(shared);
        QFile::remove(theirs);
    }

    void longTitlesExportAgainAndAgain() {
        const QString title = QString(246, QLatin1Char('t')); // 250 bytes with ".pdf"
        QCOMPARE(ResumePDFGenerator::fileNameForTitle(title).toUtf8().size(), 250);
        const auto first = exportATS(title);
        QVERIFY2(first.ok(), qPrintable(first.error()));
        const auto second = exportATS(title);
        QVERIFY2(second.ok(), qPrintable(second.error()));
        QCOMPARE(QFileInfo(second.value()).fileName(), QFileInfo(first.value()).fileName());
        // The longest name the file system takes, too.
        const QString longest = QString(300, QChar(u'é'));
        QVERIFY(exportATS(longest).ok());
        QVERIFY(exportATS(longest).ok());
    }

    // Where no folder can be made, the export fails, says why and leaves nothing behind; with a
    // temporary folder that cannot be used, nothing goes anywhere else (the working directory
    // least of all).
    void anExportWithoutAFolderFails() {
        const QString notAFolder = QDir::tempPath() + QStringLiteral("/not-a-folder");
        QVERIFY(test::writeFile(notAFolder, "x"));
        const QString missing = QDir::tempPath() + QStringLiteral("/no-such-folder");
        const QString readOnly = QDir::tempPath() + QStringLiteral("/read-only");
        QVERIFY(QDir().mkpath(readOnly));
        QVERIFY(::chmod(QFile::encodeName(readOnly).constData(), 0500) == 0);
        QTemporaryDir working;
        QVERIFY(working.isValid());
        const QString previousDirectory = QDir::currentPath();
        QVERIFY(QDir::setCurrent(working.path()));
        const QByteArray previous = qgetenv("TMPDIR");
        const auto restore = qScopeGuard([&] {
            qputenv("TMPDIR", previous);
            QDir::setCurrent(previousDirectory);
        });
        QList<std::pair<QString, QString>> cases{
            {notAFolder,
             QStringLiteral("The temporary folder “%1” (TMPDIR) is not a folder.").arg(notAFolder)},
            {missing, QStringLiteral("The temporary folder “%1” (TMPDIR) does not exist.").arg(missing)},
            {QStringLiteral("relative"),
             QStringLiteral("The temporary folder “relative” (TMPDIR) is not an absolute path.")}};
        if (::geteuid() != 0) // root may write anywhere
            cases.append({readOnly, QStringLiteral("The temporary folder “%1” (TMPDIR) cannot be written: "
                                                   "Permission denied.")
                                        .arg(readOnly)});
        QVERIFY(QDir().mkpath(working.filePath(QStringLiteral("relative"))));
        for (const auto& [folder, said] : cases) {
            Result<QString> exported = QString();
            const QStringList lines = test::printedBy([&] {
                qputenv("TMPDIR", QFile::encodeName(folder));
                exported = exportATS(QStringLiteral("Nowhere"));
            });
            QCOMPARE(exported.error(), said);
            QCOMPARE(lines, QStringList{QStringLiteral("❌ PDF Export Failed: ") + said});
            qputenv("TMPDIR", previous);
        }
        QCOMPARE(test::readFile(notAFolder), QByteArray("x"));
        QCOMPARE(QDir(working.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{QStringLiteral("relative")});
        QVERIFY(QDir(working.filePath(QStringLiteral("relative")))
                    .isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(QDir(readOnly).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
        QVERIFY(QDir(missing).exists() == false);
    }

    void everythingCreatedIsOwnerOnlyWhateverTheUmask() {
        const UmaskScope open(0);
        Settings settings(QDir::tempPath() + QStringLiteral("/config/new/Quillora.conf"));
        settings.setSelectedGradientID(7);
        QCOMPARE(modeOf(settings.fileName()), mode_t(0600));
        QCOMPARE(modeOf(QDir::tempPath() + QStringLiteral("/config/new")), mode_t(0700));
        QCOMPARE(modeOf(QDir::tempPath() + QStringLiteral("/config")), mode_t(0700));

        {
            AppStore store;
            (void)test::printedBy([&] { store = openAppStore(); });
            QVERIFY(store.container);
            store.container->mainContext().insert(test::makeFullResume());
            QVERIFY(store.container->mainContext().save().ok());
            for (const QString& path : storeFileURLs())
                QVERIFY2(modeOf(path) == 0600, qPrintable(path));
            (void)test::printedBy(
                [&] { writeUserBackup(store.container->mainContext(), QStringLiteral("launch")); });
        }
        (void)test::printedBy([] { QVERIFY(captureStoreSnapshot(QStringLiteral("launch-preflight")).ok()); });
        const Result<QString> exported = exportATS(QStringLiteral("Umask"));
        QVERIFY(exported.ok());
        QCOMPARE(modeOf(exported.value()), mode_t(0600));
        QCOMPARE(modeOf(QFileInfo(exported.value()).absolutePath()), mode_t(0700));

        QStringList checked;
        for (const QString& folder : {storeDirectoryURL(), backupsDirectoryURL()})
            QCOMPARE(modeOf(folder), mode_t(0700));
        QDirIterator it(backupsDirectoryURL(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString path = it.next();
            const mode_t expected = QFileInfo(path).isDir() ? 0700 : 0600;
            QVERIFY2(modeOf(path) == expected, qPrintable(path));
            checked << it.fileName();
        }
        QVERIFY(checked.contains(QStringLiteral("latest-resume-backup.json")));
        QVERIFY(checked.contains(QStringLiteral("default.store")));
        QVERIFY(checked.size() >= 4); // latest, time-stamped, snapshot folder, its store file
    }

    void failedSnapshotLeavesNoFolder() {
        QVERIFY(ensureStoreDirectory().ok());
        QVERIFY(test::writeFile(storeFileURL(), "main"));
        // A log file that cannot be read: the copy fails part-way.
        QVERIFY(QFile::link(QStringLiteral("/nonexistent/wal"), storeFileURL() + QStringLiteral("-wal")));
        Status captured = success();
        (void)test::printedBy([&] { captured = captureStoreSnapshot(QStringLiteral("launch-preflight")); });
        QVERIFY(!captured.ok());
        QCOMPARE(test::backupsListing(), QStringList());
    }

    void settingsChmodNothingButTheirFile() {
        const QString folder = QDir::tempPath() + QStringLiteral("/settings-folder.conf");
        QVERIFY(QDir().mkpath(folder));
        QVERIFY(QFile::setPermissions(folder, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ExeOwner | QFileDevice::ReadOther |
                                                  QFileDevice::ExeOther));
        const mode_t before = modeOf(folder);
        std::unique_ptr<Settings> settings;
        QStringList lines = test::printedBy([&] { settings = std::make_unique<Settings>(folder); });
        QCOMPARE(lines.size(), 1); // it cannot be read as a settings file
        lines = test::printedBy([&] { settings->setSelectedGradientID(2); });
        QCOMPARE(modeOf(folder), before);
        QCOMPARE(lines, QStringList{QStringLiteral("⚠️ Settings could not be saved to ") + folder});
    }

    void unreadableSettingsAreReportedOnceAndSavesSucceed_data() {
        QTest::addColumn<QByteArray>("content");
        QTest::newRow("broken sections") << QByteArray("[Gen\nx\\y=1\n=2\n[[\n");
        QTest::newRow("binary") << QByteArray("\x00\x01\x02junk=\xff\xfe\n", 11);
        QTest::newRow("not text") << QByteArray("\xc3\x28 \xff=\xfe\n");
    }
    void unreadableSettingsAreReportedOnceAndSavesSucceed() {
        QFETCH(QByteArray, content);
        const QString path =
            QDir::tempPath() + QStringLiteral("/garbage-%1.conf").arg(QLatin1String(QTest::currentDataTag()));
        QVERIFY(test::writeFile(path, content));
        QStringList lines = test::printedBy([&] {
            Settings first(path);
            Settings second(path); // the same file again: no second report
            QCOMPARE(first.selectedGradientID(), Settings::defaultSelectedGradientID);
        });
        QCOMPARE(lines, QStringList{QStringLiteral("⚠️ Settings could not be read from ") + path +
                                    QStringLiteral("; the defaults are used until a setting is saved.")});
        Settings settings(path);
        lines = test::printedBy([&] { settings.setSelectedGradientID(9); });
        QCOMPARE(lines, QStringList()); // the save worked, so nothing claims otherwise
        QCOMPARE(Settings(path).selectedGradientID(), 9);
    }

    // What a write killed half-way leaves goes; nothing else does, and no running write is hurt.
    void onlyLeftoverTemporaryFilesAreRemoved() {
        const QString folder = QDir::tempPath() + QStringLiteral("/leftovers");
        QVERIFY(QDir().mkpath(folder));
        const auto at = [&folder](const char* name) -> QString {
            return folder + QLatin1Char('/') + QLatin1String(name);
        };
        const QStringList kept{QStringLiteral(".quillora-instance.lock"), QStringLiteral(".quillora-Ab12C"),
                               QStringLiteral(".quillora-Ab12Cd7"),       QStringLiteral(".quillora-Ab_2Cd"),
                               QStringLiteral("quillora-Ab12Cd"),         QStringLiteral("default.store")};
        for (const QString& name : kept)
            QVERIFY(test::writeFile(folder + QLatin1Char('/') + name, "keep"));
        QVERIFY(test::writeFile(at(".quillora-Ab12Cd"), "left by a killed write"));
        QVERIFY(test::writeFile(at(".quillora-zz99ZZ"), "another"));
        QVERIFY(test::writeFile(at("target"), "a link's target"));
        QVERIFY(QFile::link(at("target"), at(".quillora-LnkLnk")));
        QVERIFY(QDir().mkdir(at(".quillora-DirDir")));
        for (const QString& name :
             QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot))
            QVERIFY(test::setModifiedSecondsAgo(folder + QLatin1Char('/') + name, 3600));
        QVERIFY(test::writeFile(at(".quillora-New123"), "just made, perhaps by another process"));
        if (::geteuid() == 0) {
            QVERIFY(test::writeFile(at(".quillora-Other1"), "another user's"));
            QVERIFY(test::setModifiedSecondsAgo(at(".quillora-Other1"), 3600));
            QVERIFY(::chown(QFile::encodeName(at(".quillora-Other1")).constData(), 65534, 65534) == 0);
        }

        // A write in progress whose file has not changed for a while.
        files::AtomicFileWriter writer(at("document"));
        QVERIFY(writer.open().ok());
        QVERIFY(writer.device()->write("begun") == 5);
        const QSet<QString> before = [&] {
            const QStringList names =
                QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
            return QSet<QString>(names.begin(), names.end());
        }();
        QString inProgress;
        for (const QString& name : before) {
            if (name.startsWith(QLatin1String(".quillora-")) && name.size() == 16 &&
                QFileInfo(folder + QLatin1Char('/') + name).isFile() &&
                !QFileInfo(folder + QLatin1Char('/') + name).isSymLink() &&
                test::readFile(folder + QLatin1Char('/') + name) == "begun")
                inProgress = name;
        }
        QVERIFY(!inProgress.isEmpty());
        QVERIFY(test::setModifiedSecondsAgo(folder + QLatin1Char('/') + inProgress, 3600));

        QCOMPARE(files::removeLeftoverTemporaryFiles(folder), 2);
        QVERIFY(!QFile::exists(at(".quillora-Ab12Cd")) && !QFile::exists(at(".quillora-zz99ZZ")));
        QSet<QString> expected = before;
        expected.remove(QStringLiteral(".quillora-Ab12Cd"));
        expected.remove(QStringLiteral(".quillora-zz99ZZ"));
        const QStringList after =
            QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot);
        QCOMPARE(QSet<QString>(after.begin(), after.end()), expected);
        QCOMPARE(test::readFile(at("target")), QByteArray("a link's target"));
        QVERIFY(writer.commit().ok());
        QCOMPARE(test::readFile(at("document")), QByteArray("begun"));
        QCOMPARE(files::removeLeftoverTemporaryFiles(folder + QStringLiteral("/missing")), 0);
    }

    void ordinarySettingsFilesAreNotReported() {
        const QString path = QDir::tempPath() + QStringLiteral("/ordinary.conf");
        for (const QByteArray& content : {QByteArray(), QByteArray("\n[General]\n"),
                                          QByteArray("; notes\n[General]\nSomethingElse=1\n")}) {
            QVERIFY(test::writeFile(path, content));
            QCOMPARE(test::printedBy([&] { Settings settings(path); }), QStringList());
        }
    }

    void writeErrorsNameTheirCause() {
        // A folder where the file should go, and a folder that does not exist.
        const QString folder = QDir::tempPath() + QStringLiteral("/a-folder");
        QVERIFY(QDir().mkpath(folder));
        const Status intoFolder = files::writeFileAtomically(folder, "x");
        QCOMPARE(intoFolder.error(), QStringLiteral("Could not write “") + folder +
                                         QStringLiteral("”: a folder of that name is in the way."));
        const Status missing =
            files::writeFileAtomically(QDir::tempPath() + QStringLiteral("/no/such/file"), "x");
        QVERIFY2(missing.error().endsWith(QStringLiteral("No such file or directory")),
                 qPrintable(missing.error()));
        QCOMPARE(files::systemErrorText(ENOSPC), QStringLiteral("No space left on device"));
        QCOMPARE(files::systemErrorText(EFBIG), QStringLiteral("File too large"));
    }
};

QUILLORA_TEST_MAIN(SafeFilesTest)
#include "test_safe_files.moc"
