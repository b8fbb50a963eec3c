#include "model/education.h"
#include "model/experience.h"
#include "store/model_container.h"
#include "store/sqlite.h"
#include "store/user_backup.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QHash>
#include <QTest>

using namespace quillora;

namespace {

QString folder() {
    return QDir::tempPath() + QStringLiteral("/versions");
}

QString storePath() {
    return folder() + QStringLiteral("/default.store");
}

// Opens the store as the app does, with what the opening printed; null when it was refused.
std::unique_ptr<ModelContainer> openPrinting(QStringList& printed) {
    std::unique_ptr<ModelContainer> store;
    printed = test::printedBy([&] {
        auto opened = ModelContainer::open(storePath());
        if (opened)
            store = std::move(opened).value();
    });
    return store;
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

qint64 pragma(const QString& path, const char* name) {
    auto db = sql::Database::open(path, sql::Database::Mode::ReadOnly);
    auto stmt = db->prepare(QStringLiteral("PRAGMA ") + QLatin1String(name));
    return stmt && stmt->next() ? stmt->int64(0) : -1;
}

// The whole of every résumé as the JSON backup writes it, with a fixed stamp.
QByteArray document(const QList<ResumePtr>& resumes) {
    ResumeBackupPayload payload;
    payload.generatedAt = QDateTime(QDate(2025, 1, 1), QTime(0, 0), Qt::UTC);
    payload.reason = QStringLiteral("compare");
    for (const ResumePtr& resume : resumes)
        payload.resumes.append(makeResumeBackupRecord(*resume));
    return encodeUserBackup(payload);
}

// The images of the version-1 fixture, made the way its writer made them.
QByteArray pattern(int size, int seed) {
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 131 + seed * 17 + (i >> 9)) & 0xff);
    return bytes;
}

ResumePtr fixtureGallery() {
    auto gallery = test::makeEmptyResume(QStringLiteral("Gallery"),
                                         QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC));
    const auto item = [](int n, const std::optional<QByteArray>& bytes, const char* caption,
                         PortfolioImageOrientation orientation) {
        return std::make_shared<PortfolioItem>(
            QUuid(QStringLiteral("{0A1B2C3D-0000-4000-8000-00000000000%1}").arg(n)), bytes,
            QLatin1String(caption), n - 1, orientation);
    };
    gallery->setPortfolioItems({item(1, pattern(48000, 1), "Large", PortfolioImageOrientation::landscape),
                                item(2, std::nullopt, "None", PortfolioImageOrientation::portrait),
                                item(3, pattern(3000, 3), "Small", PortfolioImageOrientation::landscape)});
    return gallery;
}

// Every stored image by its item's id, read as a store of `version` keeps them.
QHash<QString, QByteArray> storedImages(const QString& path, int version) {
    auto db = sql::Database::open(path, sql::Database::Mode::ReadOnly);
    auto rows = db->prepare(version < 2 ? QStringLiteral("SELECT id, imageData FROM PortfolioItem WHERE "
                                                         "imageData IS NOT NULL")
                                        : QStringLiteral("SELECT p.id, i.imageData FROM PortfolioItem p "
                                                         "JOIN PortfolioImage i ON i.itemPK = p.pk"));
    QHash<QString, QByteArray> images;
    while (rows && rows->next())
        images.insert(rows->text(0), rows->blob(1));
    return images;
}

QString fixturePath(const QString& name) {
    return QStringLiteral(QUILLORA_SOURCE_DIR "/tests/core/store/fixtures/") + name;
}

// A store this app made (or the fixture `fixture`), then changed by `sql` from outside.
void makeStoreThen(const QString& sql, const QString& fixture = QString()) {
    if (fixture.isEmpty()) {
        auto store = ModelContainer::open(storePath());
        QVERIFY(store.ok());
        (*store)->mainContext().insert(test::makeFullResume());
        QVERIFY((*store)->mainContext().save().ok());
    } else {
        QVERIFY(QFile::copy(fixturePath(fixture), storePath()));
        QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::WriteOwner);
    }
    auto db = sql::Database::open(storePath());
    const Status changed = db->exec(sql);
    QVERIFY2(changed.ok(), qPrintable(changed.error()));
}

} // namespace

class StoreVersionsTest : public QObject {
    Q_OBJECT

private slots:
    void init() {
        QDir(folder()).removeRecursively();
        QDir().mkpath(folder());
    }

    // The fixture is a store written by the app before stores had a version.
    void aStoreFromBeforeVersionsOpensUpdatedWithEveryRecordIntact() {
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("version0.store")), storePath()));
        QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(pragma(storePath(), "user_version"), 0);
        const QByteArray original = digest(storePath());

        QStringList lines;
        std::unique_ptr<ModelContainer> store = openPrinting(lines);
        QVERIFY(store);
        QCOMPARE(lines.size(), 2);
        QVERIFY(lines.at(0).startsWith(QStringLiteral("🛟 Store-file backup captured at ")));
        QCOMPARE(lines.at(1),
                 QStringLiteral("🛟 Store updated from version 0 to %1").arg(ModelContainer::storeVersion));

        // Copied aside before it changed.
        const QString snapshot =
            lines.at(0).mid(QStringLiteral("🛟 Store-file backup captured at ").size());
        QVERIFY(snapshot.startsWith(folder() + QStringLiteral("/Backups/store-")));
        QCOMPARE(digest(snapshot + QStringLiteral("/default.store")), original);

        auto fetched = store->mainContext().fetchResumes();
        QVERIFY(fetched.ok());
        QCOMPARE(fetched->size(), 2);
        auto second = test::makeEmptyResume(QStringLiteral("Second"),
                                            QDateTime(QDate(2024, 5, 6), QTime(7, 8, 9), Qt::UTC));
        QCOMPARE(document(*fetched), document({test::makeFullResume(), second}));
        QCOMPARE(fetched->first()->lastEdited(), test::makeFullResume()->lastEdited());
        store.reset();
        QCOMPARE(pragma(storePath(), "user_version"), qint64(ModelContainer::storeVersion));
        QCOMPARE(pragma(storePath(), "application_id"), ModelContainer::storeApplicationID);

        // Once updated, it opens without another copy.
        const QStringList again = test::printedBy([&] { QVERIFY(ModelContainer::open(storePath()).ok()); });
        QVERIFY(again.isEmpty());
    }

    // The fixture is a store of version 1, whose portfolio items held their images in their rows.
    void aVersionOneStoreKeepsEveryImageByteForByteInTheImageTable() {
        QVERIFY(QFile::copy(fixturePath(QStringLiteral("version1.store")), storePath()));
        QFile::setPermissions(storePath(), QFile::ReadOwner | QFile::WriteOwner);
        QCOMPARE(pragma(storePath(), "user_version"), 1);
        const QByteArray original = digest(storePath());
        const qint64 originalSize = QFileInfo(storePath()).size();
        const QHash<QString, QByteArray> before = storedImages(storePath(), 1);
        QCOMPARE(before.size(), 3);

        QStringList lines;
        std::unique_ptr<ModelContainer> store = openPrinting(lines);
        QVERIFY(store);
        QCOMPARE(lines.size(), 2);
        QCOMPARE(lines.at(1), QStringLiteral("🛟 Store updated from version 1 to 2"));
        const QString snapshot =
            lines.at(0).mid(QStringLiteral("🛟 Store-file backup captured at ").size());
        QVERIFY(snapshot.endsWith(QStringLiteral("before-version-2")));
        QCOMPARE(digest(snapshot + QStringLiteral("/default.store")), original);

        auto fetched = store->mainContext().fetchResumes();
        QVERIFY(fetched.ok());
        QCOMPARE(document(*fetched), document({test::makeFullResume(), fixtureGallery()}));
        store.reset();

        QCOMPARE(storedImages(storePath(), 2), before);
        QCOMPARE(pragma(storePath(), "user_version"), 2);
        // The rows' old image pages are given back, not kept beside the moved images.
        qint64 imageBytes = 0;
        for (const QByteArray& bytes : before)
            imageBytes += bytes.size();
        QVERIFY2(QFileInfo(storePath()).size() < originalSize + imageBytes / 2,
                 qPrintable(QString::number(QFileInfo(storePath()).size())));
        QVERIFY(test::printedBy([&] { QVERIFY(ModelContainer::open(storePath()).ok()); }).isEmpty());
    }

    void aNewStoreCarriesTheVersion() {
        QVERIFY(ModelContainer::open(storePath()).ok());
        QCOMPARE(pragma(storePath(), "user_version"), qint64(ModelContainer::storeVersion));
        QCOMPARE(pragma(storePath(), "application_id"), ModelContainer::storeApplicationID);
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/Backups")));
    }

    void aStoreOfANewerVersionIsRefusedUntouched() {
        makeStoreThen(QStringLiteral("PRAGMA user_version = %1").arg(ModelContainer::storeVersion + 1));
        const QByteArray before = digest(storePath());
        auto refused = ModelContainer::open(storePath());
        QVERIFY(!refused.ok());
        QCOMPARE(refused.errorKind(), ErrorKind::storeTooNew);
        QCOMPARE(refused.error(),
                 QStringLiteral("%1 was written by a newer version of Quillora (store version %2; "
                                "this version reads up to %3). It was left as it is.")
                     .arg(storePath())
                     .arg(ModelContainer::storeVersion + 1)
                     .arg(ModelContainer::storeVersion));
        QCOMPARE(digest(storePath()), before);
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/Backups")));
    }

    void aStoreOfAnotherProgramIsRefusedUntouched() {
        makeStoreThen(QStringLiteral("PRAGMA application_id = 1234"));
        const QByteArray before = digest(storePath());
        auto refused = ModelContainer::open(storePath());
        QVERIFY(!refused.ok());
        QCOMPARE(refused.errorKind(), ErrorKind::foreignStore);
        QVERIFY(refused.error().contains(QStringLiteral("another program wrote it")));
        QCOMPARE(digest(storePath()), before);

        // Today's tables with a changed column are not this app's either.
        init();
        makeStoreThen(
            QStringLiteral("PRAGMA user_version = 0; ALTER TABLE \"Education\" ADD COLUMN grade TEXT"));
        const QByteArray changed = digest(storePath());
        auto odd = ModelContainer::open(storePath());
        QCOMPARE(odd.errorKind(), ErrorKind::foreignStore);
        QVERIFY(odd.error().contains(QStringLiteral("\"Education\" whose columns this app does not know")));
        QCOMPARE(digest(storePath()), changed);
    }

    // SQLite's explanation of a damaged file is given once, not once per question asked.
    void aDamagedStoreIsExplainedOnce() {
        QVERIFY(QDir().mkpath(folder()));
        QFile file(storePath());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray("SQLite format 3", 16) + QByteArray(8192, '\x5a'));
        file.close();
        auto refused = ModelContainer::open(storePath());
        QVERIFY(!refused.ok());
        QVERIFY2(refused.error().endsWith(QStringLiteral(": file is not a database")),
                 qPrintable(refused.error()));
        QCOMPARE(refused.error().count(QStringLiteral("file is not a database")), 1);
    }

    void anImageTableNotAsThisAppMakesItIsRefusedUntouched_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("named");
        QTest::newRow("missing") << QStringLiteral("DROP TABLE \"PortfolioImage\"")
                                 << QStringLiteral("some of its tables are missing");
        QTest::newRow("other columns")
            << QStringLiteral("ALTER TABLE \"PortfolioImage\" ADD COLUMN thumbnail BLOB")
            << QStringLiteral("\"PortfolioImage\" whose columns this app does not know");
    }
    void anImageTableNotAsThisAppMakesItIsRefusedUntouched() {
        QFETCH(QString, sql);
        QFETCH(QString, named);
        makeStoreThen(sql);
        const QByteArray before = digest(storePath());
        auto refused = ModelContainer::open(storePath());
        QCOMPARE(refused.errorKind(), ErrorKind::foreignStore);
        QVERIFY2(refused.error().contains(named), qPrintable(refused.error()));
        QCOMPARE(digest(storePath()), before);
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/Backups")));
    }

    void schemaObjectsThisAppDidNotMakeAreRefusedUntouched_data() {
        QTest::addColumn<QString>("sql");
        QTest::addColumn<QString>("named");
        QTest::addColumn<QString>("fixture");
        QTest::newRow("trigger")
            << QStringLiteral(
                   "CREATE TRIGGER wipe AFTER UPDATE ON \"Resume\" BEGIN DELETE FROM \"Experience\"; END")
            << QStringLiteral("trigger this app does not know (\"wipe\")") << QString();
        QTest::newRow("view") << QStringLiteral("CREATE VIEW peek AS SELECT title FROM \"Resume\"")
                              << QStringLiteral("view this app does not know (\"peek\")") << QString();
        QTest::newRow("index") << QStringLiteral("CREATE INDEX extra ON \"Resume\" (title)")
                               << QStringLiteral("index this app does not know (\"extra\")") << QString();
        QTest::newRow("index under our name")
            << QStringLiteral("DROP INDEX \"Education_owner\"; CREATE UNIQUE INDEX \"Education_owner\" ON "
                              "\"Education\" (ownerPK)")
            << QStringLiteral("(\"Education_owner\")") << QString();
        // Tables with the app's columns and more: a constraint could drop or refuse rows at a save.
        const QString experience =
            QStringLiteral("table \"Experience\" whose definition this app does not know");
        const QString education =
            QStringLiteral("table \"Education\" whose definition this app does not know");
        QTest::newRow("unique that replaces")
            << test::rebuiltEntryTable(Experience::entityInfo(), QStringLiteral(");"),
                                       QStringLiteral(", UNIQUE(\"company\") ON CONFLICT REPLACE);"))
            << experience << QString();
        QTest::newRow("check") << test::rebuiltEntryTable(
                                      Education::entityInfo(), QStringLiteral(");"),
                                      QStringLiteral(", CHECK (length(\"school\") < 40));"))
                               << education << QString();
        QTest::newRow("foreign key that cascades")
            << test::rebuiltEntryTable(
                   Experience::entityInfo(), QStringLiteral("ownerPK INTEGER"),
                   QStringLiteral("ownerPK INTEGER REFERENCES \"Resume\" (pk) ON DELETE CASCADE"))
            << experience << QString();
        QTest::newRow("changed default")
            << test::rebuiltEntryTable(Education::entityInfo(), QStringLiteral("DEFAULT 0"),
                                       QStringLiteral("DEFAULT 1"))
            << education << QString();
        QTest::newRow("version 1, unique that replaces")
            << test::rebuiltEntryTable(Experience::entityInfo(), QStringLiteral(");"),
                                       QStringLiteral(", UNIQUE(\"company\") ON CONFLICT REPLACE);"))
            << experience << QStringLiteral("version1.store");
        QTest::newRow("version 0, changed default")
            << test::rebuiltEntryTable(Education::entityInfo(), QStringLiteral("DEFAULT 0"),
                                       QStringLiteral("DEFAULT 1"))
            << education << QStringLiteral("version0.store");
    }
    // A trigger would run in the app's place at the next save (one that empties a list, say).
    void schemaObjectsThisAppDidNotMakeAreRefusedUntouched() {
        QFETCH(QString, sql);
        QFETCH(QString, named);
        QFETCH(QString, fixture);
        makeStoreThen(sql, fixture);
        const QByteArray before = digest(storePath());
        auto refused = ModelContainer::open(storePath());
        QVERIFY(!refused.ok());
        QCOMPARE(refused.errorKind(), ErrorKind::foreignStore);
        QVERIFY2(refused.error().contains(named) &&
                     refused.error().endsWith(QStringLiteral("left as it is.")),
                 qPrintable(refused.error()));
        QCOMPARE(digest(storePath()), before);
        QVERIFY(!QFileInfo::exists(storePath() + QStringLiteral("-wal")));
        QVERIFY(!QFileInfo::exists(folder() + QStringLiteral("/Backups")));
    }
};

QUILLORA_TEST_MAIN(StoreVersionsTest)
#include "test_store_versions.moc"
