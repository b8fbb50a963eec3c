#include "store/store_location.h"
#include "store/store_snapshots.h"
#include "support/backup_folder_helpers.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QRegularExpression>
#include <QTest>

using namespace quillora;

class StorePreflightTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::resetDataDirectory(); }

    void locationsFollowTheDataDirectory() {
        const QString data = QString::fromLocal8Bit(qgetenv("XDG_DATA_HOME"));
        QCOMPARE(applicationSupportURL(), data);
        QCOMPARE(storeFileURL(), data + QStringLiteral("/QuilloraStore/default.store"));
        QCOMPARE(storeFileURLs(), (QStringList{storeFileURL(), storeFileURL() + QStringLiteral("-shm"),
                                               storeFileURL() + QStringLiteral("-wal")}));
        QCOMPARE(backupsDirectoryURL(), data + QStringLiteral("/QuilloraStore/Backups"));
    }

    void cleanDataDirectory() {
        const QStringList lines = test::printedBy(runLaunchPreflight);
        const QString store = storeFileURL();
        QCOMPARE(lines, (QStringList{
                            QStringLiteral("📦 SwiftData store (launch-preflight): ") + store,
                            QStringLiteral("📦 Store file default.store: missing"),
                            QStringLiteral("📦 Store file default.store-shm: missing"),
                            QStringLiteral("📦 Store file default.store-wal: missing"),
                        }));
        QVERIFY(QFileInfo(backupsDirectoryURL()).isDir());
        QVERIFY(test::backupsListing().isEmpty());

        // A second run finds everything in place and changes nothing.
        QVERIFY(ensureStoreDirectory().ok());
        QVERIFY(test::backupsListing().isEmpty());
    }

    void presentFilesAreSnapshotted() {
        QVERIFY(ensureStoreDirectory().ok());
        QVERIFY(test::writeFile(storeFileURL(), "main"));
        QVERIFY(test::writeFile(storeFileURL() + QStringLiteral("-wal"), "log"));
        QVERIFY(QDir().mkdir(storeFileURL() + QStringLiteral("-shm"))); // anything by that name counts
        QVERIFY(test::writeFile(storeFileURL() + QStringLiteral("-shm/inner"), "x"));
        QVERIFY(test::writeFile(storeDirectoryURL() + QStringLiteral("/other.store"), "never copied"));

        const QStringList lines = test::printedBy(runLaunchPreflight);
        QCOMPARE(lines.size(), 5);
        QCOMPARE(lines.at(1), QStringLiteral("📦 Store file default.store: present"));
        QCOMPARE(lines.at(2), QStringLiteral("📦 Store file default.store-shm: present"));
        QCOMPARE(lines.at(3), QStringLiteral("📦 Store file default.store-wal: present"));
        const QStringList folders = test::backupsListing();
        QCOMPARE(folders.size(), 1);
        QVERIFY(QRegularExpression(QStringLiteral("^store-\\d{8}-\\d{6}-launch-preflight$"))
                    .match(folders.first())
                    .hasMatch());
        const QString folder = backupsDirectoryURL() + QLatin1Char('/') + folders.first();
        QCOMPARE(lines.at(4), QStringLiteral("🛟 Store-file backup captured at ") + folder);
        QCOMPARE(QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot, QDir::Name),
                 (QStringList{QStringLiteral("default.store"), QStringLiteral("default.store-shm"),
                              QStringLiteral("default.store-wal")}));
        QCOMPARE(test::readFile(folder + QStringLiteral("/default.store")), QByteArray("main"));
        QCOMPARE(test::readFile(folder + QStringLiteral("/default.store-shm/inner")), QByteArray("x"));

        // The same second again replaces the files already in the folder.
        QVERIFY(test::writeFile(storeFileURL(), "newer"));
        Status again = success();
        (void)test::printedBy([&] { again = captureStoreSnapshot(QStringLiteral("launch-preflight")); });
        QVERIFY(again.ok());
        if (test::backupsListing().size() == 1)
            QCOMPARE(test::readFile(folder + QStringLiteral("/default.store")), QByteArray("newer"));
    }

    void somethingInTheWay_data() {
        QTest::addColumn<QString>("blocker");
        QTest::newRow("store directory") << QStringLiteral("QuilloraStore");
        QTest::newRow("backups folder") << QStringLiteral("QuilloraStore/Backups");
    }

    void somethingInTheWay() {
        QFETCH(QString, blocker);
        const QString path = applicationSupportURL() + QLatin1Char('/') + blocker;
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QVERIFY(test::writeFile(path, "not a folder"));

        QCOMPARE(test::printedBy(runLaunchPreflight),
                 QStringList{
                     QStringLiteral("⚠️ Persistence preflight failed: Could not create the folder “") +
                     path + QStringLiteral("”: a file with that name is in the way.")});
        QCOMPARE(test::readFile(path), QByteArray("not a folder"));
        QVERIFY(!ensureStoreDirectory().ok());
    }

    void snapshotsArePrunedToFive() {
        QVERIFY(ensureStoreDirectory().ok());
        const QString backups = backupsDirectoryURL();
        // Six older snapshots; names say nothing about age.
        const QStringList old{QStringLiteral("store-99990101-000000-launch-preflight"),
                              QStringLiteral("store-20240101-000000-launch-preflight"),
                              QStringLiteral("store-20240102-000000-before-version-2"),
                              QStringLiteral("store-20240103-000000-launch-preflight"),
                              QStringLiteral("store-20240104-000000-launch-preflight"),
                              QStringLiteral("store-00000101-000000-launch-preflight")};
        for (int i = 0; i < old.size(); ++i) {
            const QString path = backups + QLatin1Char('/') + old.at(i);
            QVERIFY(QDir().mkdir(path) && test::writeFile(path + QStringLiteral("/default.store"), "x"));
            if (i == 2)
                QVERIFY(test::writeFile(path + QStringLiteral("/default.store-wal"), ""));
            QVERIFY(test::setModifiedSecondsAgo(path, 1000 * (i + 1)));
        }
        // Not snapshots, however named or old: neither counted nor removed.
        const QStringList others{QStringLiteral("latest-resume-backup.json"),
                                 QStringLiteral("resume-backup-20200101-000000.json"),
                                 QStringLiteral("Store-upper"),
                                 QStringLiteral("store-plain-file"),
                                 QStringLiteral("store-00000101-000000-with-a-photo"),
                                 QStringLiteral("store-00000101-000000-with-a-folder")};
        for (const QString& name : others) {
            const QString path = backups + QLatin1Char('/') + name;
            if (name.startsWith(QLatin1String("store-0"))) {
                QVERIFY(test::makeFolderWithFile(path, QStringLiteral("default.store"), "x"));
                QVERIFY(name.endsWith(QLatin1String("photo"))
                            ? test::writeFile(path + QStringLiteral("/photo.jpg"), "the user's")
                            : QDir().mkdir(path + QStringLiteral("/default.store-shm")));
            } else {
                QVERIFY(test::writeFile(path, "{}"));
            }
            QVERIFY(test::setModifiedSecondsAgo(path, 999999));
        }
        QVERIFY(test::writeFile(storeFileURL(), "main"));

        Status status = success();
        (void)test::printedBy([&] { status = captureStoreSnapshot(QStringLiteral("launch-preflight")); });
        QVERIFY(status.ok());
        const QStringList left = test::backupsListing();
        // The new snapshot and the four newest old ones stay; the two oldest go.
        QCOMPARE(left.size(), 5 + others.size());
        for (const QString& name : others)
            QVERIFY(left.contains(name));
        QVERIFY(left.contains(old.at(0)) && left.contains(old.at(3)));
        QVERIFY(!left.contains(old.at(4)) && !left.contains(old.at(5)));
    }

    void newestFirstOrder() {
        QVERIFY(ensureStoreDirectory().ok());
        const QString a = backupsDirectoryURL() + QStringLiteral("/a"),
                      b = backupsDirectoryURL() + QStringLiteral("/b");
        QVERIFY(test::writeFile(a, "a") && test::writeFile(b, "b"));
        QVERIFY(test::setModifiedSecondsAgo(a, 10) && test::setModifiedSecondsAgo(b, 20));
        QVERIFY(isNewerByModificationDate(a, b));
        QVERIFY(!isNewerByModificationDate(b, a));
        QVERIFY(!isNewerByModificationDate(a, a));
        QVERIFY(isNewerByModificationDate(b, backupsDirectoryURL() + QStringLiteral("/missing")));
        QVERIFY(!isNewerByModificationDate(backupsDirectoryURL() + QStringLiteral("/missing"), b));
        QVERIFY(QRegularExpression(QStringLiteral("^\\d{8}-\\d{6}$")).match(backupTimestamp()).hasMatch());
    }
};

QUILLORA_TEST_MAIN(StorePreflightTest)
#include "test_store_preflight.moc"
