#include "store/app_store.h"
#include "store/instance_lock.h"
#include "store/sqlite.h"
#include "store/store_location.h"
#include "store/store_snapshots.h"
#include "store/user_backup.h"
#include "support/backup_folder_helpers.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QDirIterator>
#include <QGuiApplication>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillora;

namespace {

AppStore launch(const EmptyStoreQuestion& question = {}) {
    AppStore store;
    (void)test::printedBy([&] { store = openAppStore(question); });
    if (store.container)
        store.container->mainContext().setAutosaveEnabled(false);
    return store;
}

// Everything under the data directory with its size and modification time, but for the
// instance lock, which every launch takes.
QStringList dataDirectoryState() {
    QStringList state;
    QDirIterator it(applicationSupportURL(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info(it.next());
        if (info.filePath() == InstanceLock::lockFilePath(storeDirectoryURL()))
            continue;
        state << info.filePath() + QLatin1Char(' ') + QString::number(info.size()) + QLatin1Char(' ') +
                     QString::number(info.lastModified().toMSecsSinceEpoch());
    }
    state.sort();
    return state;
}

// Makes this launch's snapshot and backups look as if they were taken `minutesAgo` minutes ago,
// under names of their own, so that a run of launches within one second stands for launches on
// different days.
void ageNewestBackups(int launch, int minutesAgo) {
    const QString suffix = QStringLiteral("-run%1").arg(launch);
    QDir backups(backupsDirectoryURL());
    for (const QString& name : backups.entryList(QDir::AllEntries | QDir::NoDotAndDotDot)) {
        if (name.contains(QLatin1String("-run")) || name == QLatin1String("latest-resume-backup.json"))
            continue;
        QString renamed = name;
        if (name.endsWith(QLatin1String(".json")))
            renamed.insert(name.size() - 5, suffix);
        else
            renamed += suffix;
        QVERIFY(backups.rename(name, renamed));
        QVERIFY(test::setModifiedSecondsAgo(backups.filePath(renamed), qint64(minutesAgo) * 60));
    }
}

QStringList titlesIn(ModelContext& context) {
    QStringList titles;
    const auto fetched = context.fetchResumes();
    for (const ResumePtr& resume : fetched.value())
        titles << resume->title();
    titles.sort();
    return titles;
}

// Drops root's rights for the life of the scope, so that file permissions apply.
class OtherUserScope final {
public:
    OtherUserScope() {
        if (::geteuid() == 0)
            m_dropped = ::seteuid(65534) == 0;
    }
    ~OtherUserScope() {
        if (m_dropped)
            (void)!::seteuid(0);
    }
    OtherUserScope(const OtherUserScope&) = delete;
    OtherUserScope& operator=(const OtherUserScope&) = delete;

private:
    bool m_dropped = false;
};

} // namespace

class StoreSafetyTest : public QObject {
    Q_OBJECT

private slots:
    void init() { test::resetDataDirectory(); }

    void twoContextsOnOneStoreLoseNoField() {
        {
            AppStore store = launch();
            store.container->mainContext().insert(test::makeFullResume());
            QVERIFY(store.container->mainContext().save().ok());
        }
        auto first = ModelContainer::open(storeFileURL());
        auto second = ModelContainer::open(storeFileURL());
        QVERIFY(first.ok() && second.ok());
        ResumePtr a = (*first)->mainContext().fetchResumes()->first();
        ResumePtr b = (*second)->mainContext().fetchResumes()->first();
        a->setTitle(QStringLiteral("Renamed in the first"));
        b->setSummary(QStringLiteral("Summary from the second"));
        b->experienceItems().first()->setRole(QStringLiteral("Role from the second"));
        QVERIFY((*first)->mainContext().save().ok());
        QVERIFY((*second)->mainContext().save().ok());
        first->reset();
        second->reset();

        auto reopened = ModelContainer::open(storeFileURL());
        ResumePtr stored = (*reopened)->mainContext().fetchResumes()->first();
        QCOMPARE(stored->title(), QStringLiteral("Renamed in the first"));
        QCOMPARE(stored->summary(), QStringLiteral("Summary from the second"));
        QCOMPARE(stored->fullName(), test::makeFullResume()->fullName());
        QStringList roles;
        for (const ExperiencePtr& e : stored->experienceItems())
            roles << e->role();
        QVERIFY(roles.contains(QStringLiteral("Role from the second")));
    }

    void anEntryForAResumeDeletedElsewhereFailsToSave() {
        {
            AppStore store = launch();
            store.container->mainContext().insert(test::makeEmptyResume(QStringLiteral("Gone")));
            QVERIFY(store.container->mainContext().save().ok());
        }
        auto first = ModelContainer::open(storeFileURL());
        auto second = ModelContainer::open(storeFileURL());
        ResumePtr doomed = (*first)->mainContext().fetchResumes()->first();
        ResumePtr stale = (*second)->mainContext().fetchResumes()->first();
        (*first)->mainContext().deleteRecord(doomed);
        QVERIFY((*first)->mainContext().save().ok());
        stale->setExperienceItems({std::make_shared<Experience>(QStringLiteral("Role"), QString(), QString(),
                                                                QString(), QString(), 0)});
        QVERIFY(!(*second)->mainContext().save().ok());
        auto db = sql::Database::open(storeFileURL(), sql::Database::Mode::ReadOnly);
        auto count = db->prepare(QStringLiteral("SELECT COUNT(*) FROM \"Experience\""));
        QVERIFY(count->next());
        QCOMPARE(count->int64(0), 0); // no orphan row
    }

    void aSecondInstanceIsRefusedAndChangesNothing() {
        AppStore first = launch();
        QVERIFY(first.container);
        first.container->mainContext().insert(test::makeEmptyResume(QStringLiteral("Mine")));
        QVERIFY(first.container->mainContext().save().ok());
        const QStringList before = dataDirectoryState();

        AppStore second = launch();
        QCOMPARE(second.refusal, StartupRefusal::anotherInstance);
        QVERIFY(!second.container);
        QVERIFY(second.fatalError.contains(storeDirectoryURL()));
        QCOMPARE(dataDirectoryState(), before);
        QCOMPARE(titlesIn(first.container->mainContext()), QStringList{QStringLiteral("Mine")});

        // Once the first has gone, the next launch opens the store.
        first = AppStore();
        AppStore third = launch();
        QVERIFY(third.container);
        QCOMPARE(titlesIn(third.container->mainContext()), QStringList{QStringLiteral("Mine")});
    }

    void anEmptiedStoreNeverCostsTheLastCopies() {
        {
            AppStore store = launch();
            store.container->mainContext().insert(test::makeEmptyResume(QStringLiteral("Design CV")));
            store.container->mainContext().insert(test::makeEmptyResume(QStringLiteral("Teaching CV")));
            QVERIFY(store.container->mainContext().save().ok());
            (void)test::printedBy(
                [&] { writeUserBackup(store.container->mainContext(), QStringLiteral("launch")); });
        }
        ageNewestBackups(0, 100);
        { AppStore store = launch(); } // its snapshot holds the two résumés
        ageNewestBackups(1, 99);

        // Something empties the store file.
        QVERIFY(QFile::resize(storeFileURL(), 0));
        for (const QString& side : storeFileURLs().mid(1))
            QFile::remove(side);

        // The user is asked before anything is written, and may quit without a change.
        const QStringList before = dataDirectoryState();
        QStringList asked;
        AppStore quitting = launch([&](const QString& store, const QString& backups) {
            asked << store << backups;
            [&] { QCOMPARE(dataDirectoryState(), before); }();
            return EmptyStoreChoice::quit;
        });
        QCOMPARE(asked, (QStringList{storeFileURL(), backupsDirectoryURL()}));
        QCOMPARE(quitting.refusal, StartupRefusal::quitByUser);
        QCOMPARE(dataDirectoryState(), before);

        // Starting empty keeps the empty file aside; ten launches follow, each with its backups.
        for (int launchNumber = 2; launchNumber < 12; ++launchNumber) {
            bool askedAgain = false;
            AppStore store = launch([&](const QString&, const QString&) {
                askedAgain = true;
                return EmptyStoreChoice::startEmpty;
            });
            QVERIFY(store.container);
            QCOMPARE(askedAgain, launchNumber == 2);
            (void)test::printedBy(
                [&] { writeUserBackup(store.container->mainContext(), QStringLiteral("launch")); });
            ageNewestBackups(launchNumber, 99 - launchNumber);
        }
        QCOMPARE(QDir(storeDirectoryURL()).entryList({QStringLiteral("default.store.empty-*")}).size(), 1);

        // The newest JSON backup and snapshot with résumés in them are still there.
        const QDir backups(backupsDirectoryURL());
        const QStringList json = backups.entryList({QStringLiteral("resume-backup-*-run0.json")});
        QCOMPARE(json.size(), 1);
        QVERIFY(test::readFile(backups.filePath(json.first())).contains("Teaching CV"));
        const QStringList snapshots = backups.entryList({QStringLiteral("store-*-run1")});
        QCOMPARE(snapshots.size(), 1);
        QVERIFY(snapshotHoldsResumes(QFileInfo(backups.filePath(snapshots.first()))));
        const QString copy = QDir::tempPath() + QStringLiteral("/restored.store");
        QVERIFY(QFile::copy(backups.filePath(snapshots.first()) + QStringLiteral("/default.store"), copy));
        auto restored = ModelContainer::open(copy);
        QVERIFY(restored.ok());
        QCOMPARE(titlesIn((*restored)->mainContext()),
                 (QStringList{QStringLiteral("Design CV"), QStringLiteral("Teaching CV")}));
        // Pruning kept its counts otherwise: eight plus the spared backup, five plus the spared snapshot.
        QCOMPARE(backups.entryList({QStringLiteral("resume-backup-*.json")}).size(), 9);
        QCOMPARE(backups.entryList({QStringLiteral("store-*")}).size(), 6);
    }

    void unreadableAndUnwritableStoresAreRefusedUntouched() {
        {
            AppStore store = launch();
            store.container->mainContext().insert(test::makeEmptyResume(QStringLiteral("Kept")));
            QVERIFY(store.container->mainContext().save().ok());
        }
        test::openFoldersToOtherUsers(storeDirectoryURL());
        const QByteArray bytes = test::readFile(storeFileURL());

        QVERIFY(QFile::setPermissions(storeFileURL(), QFileDevice::ReadOwner | QFileDevice::ReadGroup |
                                                          QFileDevice::ReadOther));
        const QStringList before = dataDirectoryState();
        AppStore readOnly;
        {
            OtherUserScope otherUser;
            readOnly = launch();
        }
        QCOMPARE(readOnly.refusal, StartupRefusal::storeReadOnly);
        QVERIFY2(readOnly.fatalError.contains(QStringLiteral("cannot be written")),
                 qPrintable(readOnly.fatalError));
        QCOMPARE(dataDirectoryState(), before);

        QVERIFY(QFile::setPermissions(storeFileURL(), QFileDevice::WriteOwner));
        AppStore unreadable;
        {
            OtherUserScope otherUser;
            unreadable = launch();
        }
        QCOMPARE(unreadable.refusal, StartupRefusal::storeUnusable);
        QVERIFY2(unreadable.fatalError.contains(QStringLiteral("cannot be read: Permission denied")),
                 qPrintable(unreadable.fatalError));
        QVERIFY(QFile::setPermissions(storeFileURL(), QFileDevice::ReadOwner | QFileDevice::WriteOwner));
        QCOMPARE(test::readFile(storeFileURL()), bytes);
    }

    void pruningSparesTheNewestBackupWithResumes() {
        QVERIFY(ensureStoreDirectory().ok());
        const QDir backups(backupsDirectoryURL());
        const QByteArray empty = test::userBackupDocument();
        const QByteArray emptyCompact =
            "{\"generatedAt\":\"2026-01-01T00:00:00Z\",\"reason\":\"launch\",\"resumes\":[]}";
        const QByteArray full = test::userBackupDocument({QStringLiteral("Old")});
        for (int i = 0; i < 12; ++i) {
            const QString name = backups.filePath(QStringLiteral("resume-backup-%1.json").arg(i));
            QVERIFY(test::writeFile(name, i == 10 ? full : (i % 2 ? empty : emptyCompact)));
            QVERIFY(test::setModifiedSecondsAgo(name, 100 - i * 5)); // 11 is the newest
        }
        QVERIFY(pruneUserBackups(8).ok());
        QStringList left = backups.entryList({QStringLiteral("resume-backup-*.json")});
        QCOMPARE(left.size(), 8); // the spared one is among the newest eight
        QVERIFY(left.contains(QStringLiteral("resume-backup-10.json")));

        QVERIFY(test::writeFile(backups.filePath(QStringLiteral("resume-backup-10.json")), full));
        QVERIFY(test::setModifiedSecondsAgo(backups.filePath(QStringLiteral("resume-backup-10.json")), 1000));
        QVERIFY(pruneUserBackups(3).ok());
        left = backups.entryList({QStringLiteral("resume-backup-*.json")});
        QCOMPARE(left.size(), 4);
        QVERIFY(left.contains(QStringLiteral("resume-backup-10.json")));
    }
};

QUILLORA_TEST_MAIN(StoreSafetyTest)
#include "test_store_safety.moc"
