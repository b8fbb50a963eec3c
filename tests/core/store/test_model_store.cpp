#include "store/model_container.h"
#include "store/sqlite.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QSignalSpy>
#include <QTest>

#include <csignal>

using namespace quillora;

namespace {

QString storePath() {
    return QDir::tempPath() + QStringLiteral("/store/default.store");
}

std::unique_ptr<ModelContainer> openStore(const QString& path = storePath()) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto container = ModelContainer::open(path);
    if (!container)
        qFatal("open failed: %s", qPrintable(container.error()));
    container.value()->mainContext().setAutosaveEnabled(false);
    return std::move(container).value();
}

QByteArray digest(const QString& path) {
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return QCryptographicHash::hash(f.readAll(), QCryptographicHash::Sha256);
}

QStringList titles(const QList<ResumePtr>& list) {
    QStringList out;
    for (const auto& r : list)
        out << r->title();
    return out;
}

void removeStore() {
    for (const char* suffix : {"", "-wal", "-shm"})
        QFile::remove(storePath() + QString::fromLatin1(suffix));
}

} // namespace

class ModelStoreTest : public QObject {
    Q_OBJECT

private slots:
    void init() { removeStore(); }

    void sqliteWrapperGivesReadableErrorsAndEmptyText() {
        auto db = sql::Database::openInMemory();
        QVERIFY(db.ok());
        auto bad = db->prepare(QStringLiteral("SELEKT 1"));
        QVERIFY(!bad.ok());
        QVERIFY(bad.error().contains(QStringLiteral("syntax error")));
        QVERIFY(db->exec(QStringLiteral("CREATE TABLE t (v TEXT)")).ok());
        auto ins = db->prepare(QStringLiteral("INSERT INTO t VALUES (?)"));
        ins->bind(1, QString());
        QVERIFY(ins->exec().ok());
        auto sel = db->prepare(QStringLiteral("SELECT v IS NULL, v FROM t"));
        QVERIFY(sel->next());
        QCOMPARE(sel->int64(0), 0);
        QCOMPARE(sel->text(1), QString());
    }

    void everyPropertyRoundTrips() {
        const auto original = test::makeFullResume();
        {
            auto store = openStore();
            store->mainContext().insert(original);
            QVERIFY(store->mainContext().hasChanges());
            QVERIFY(store->mainContext().save().ok());
            QVERIFY(!store->mainContext().hasChanges());
        }
        auto store = openStore();
        auto fetched = store->mainContext().fetchResumes();
        QVERIFY(fetched.ok());
        QCOMPARE(fetched->size(), 1);
        const ResumePtr r = fetched->first();
        for (const auto& p : Resume::schemaMetadata()) {
            if (p.type == PropertyType::ToMany)
                continue;
            QCOMPARE(r->valueForKey(p.key), original->valueForKey(p.key));
        }
        QCOMPARE(r->titleEducation().value(), QString()); // present but empty stays present
        QVERIFY(!r->persistentModelID().isTemporary());

        const auto compareEntries = [](const auto& a, const auto& b) {
            QCOMPARE(a.size(), b.size());
            for (int i = 0; i < a.size(); ++i) {
                for (const auto& p : a.at(i)->entity().properties) {
                    if (p.key != QLatin1String("imageData"))
                        QCOMPARE(a.at(i)->valueForKey(p.key), b.at(i)->valueForKey(p.key));
                }
            }
        };
        compareEntries(r->experienceItems(), original->experienceItems());
        compareEntries(r->educationItems(), original->educationItems());
        compareEntries(r->portfolioItems(), original->portfolioItems());

        // Image bytes stay in the store until asked for.
        const auto item = r->portfolioItems().first();
        QVERIFY(!item->isImageLoaded());
        QCOMPARE(item->imageData().value(), original->portfolioItems().first()->imageData().value());
        QVERIFY(!r->portfolioItems().at(1)->imageData().has_value());
    }

    void largeAndUnusualValuesRoundTrip() {
        auto resume = test::makeEmptyResume();
        const QString big = QString(1024 * 1024, QChar(u'é'));
        QByteArray image(20 * 1024 * 1024, Qt::Uninitialized);
        QRandomGenerator(7).fillRange(reinterpret_cast<quint32*>(image.data()), image.size() / 4);
        const QString unusual = QStringLiteral(
            "emoji 🧑🏽‍💻, RTL \u202Eabc, nul-free \t\r\n, \"quotes\" 'single' ; DROP TABLE");
        resume->setSummary(big);
        resume->setTitle(unusual);
        resume->setSuggestedSkills({QString(), QStringLiteral("[\"x\"]")});
        resume->setPortfolioItems({std::make_shared<PortfolioItem>(QUuid::createUuid(), image, QString(), -5,
                                                                   PortfolioImageOrientation::portrait)});
        {
            auto store = openStore();
            store->mainContext().insert(resume);
            QVERIFY(store->mainContext().save().ok());
        }
        auto store = openStore();
        const ResumePtr r = store->mainContext().fetchResumes()->first();
        QCOMPARE(r->summary(), big);
        QCOMPARE(r->title(), unusual);
        QCOMPARE(r->suggestedSkills(), resume->suggestedSkills());
        QCOMPARE(r->portfolioItems().first()->sortOrder(), -5);
        QCOMPARE(r->portfolioItems().first()->imageData().value(), image);
    }

    void relationshipOrderSurvivesReopen() {
        auto resume = test::makeEmptyResume();
        QList<ExperiencePtr> entries;
        for (int order : {2, 0, 1, 0})
            entries << std::make_shared<Experience>(QString::number(entries.size()), QString(), QString(),
                                                    QString(), QString(), order);
        resume->setExperienceItems(entries);
        {
            auto store = openStore();
            store->mainContext().insert(resume);
            QVERIFY(store->mainContext().save().ok());
            // Reorder the list in place and save again.
            resume->setExperienceItems({entries[3], entries[1], entries[0], entries[2]});
            QVERIFY(store->mainContext().save().ok());
        }
        auto store = openStore();
        const auto roles = [](const QList<ExperiencePtr>& list) {
            QStringList out;
            for (const auto& e : list)
                out << e->role();
            return out;
        };
        QCOMPARE(roles(store->mainContext().fetchResumes()->first()->experienceItems()),
                 (QStringList{QStringLiteral("3"), QStringLiteral("1"), QStringLiteral("0"),
                              QStringLiteral("2")}));
    }

    void entriesGoWithTheirResumeAndTheirList() {
        auto keep = test::makeFullResume();
        auto gone = test::makeFullResume();
        gone->setTitle(QStringLiteral("Gone"));
        for (const auto& item : gone->portfolioItems())
            item->setId(QUuid::createUuid());
        {
            auto store = openStore();
            auto& context = store->mainContext();
            context.insert(keep);
            context.insert(gone);
            QVERIFY(context.save().ok());

            context.deleteRecord(gone);
            QVERIFY(gone->isDeleted());
            // A write to a deleted résumé is not saved back.
            gone->setTitle(QStringLiteral("Zombie"));
            auto experience = keep->experienceItems();
            experience.removeFirst();
            keep->setExperienceItems(experience);
            QVERIFY(context.save().ok());
        }
        auto db = sql::Database::open(storePath());
        const auto count = [&](const char* table) {
            auto stmt = db->prepare(QStringLiteral("SELECT count(*) FROM \"%1\"").arg(QLatin1String(table)));
            stmt->next();
            return stmt->int64(0);
        };
        QCOMPARE(count("Resume"), 1);
        QCOMPARE(count("Experience"), 1);
        QCOMPARE(count("Education"), 1);
        QCOMPARE(count("PortfolioItem"), 2);
    }

    void failedSaveRollsBackAndKeepsChangesPending() {
        auto store = openStore();
        auto& context = store->mainContext();
        auto first = test::makeFullResume();
        context.insert(first);
        QVERIFY(context.save().ok());

        // A second item with the same unique id makes the save fail part-way.
        auto second = test::makeFullResume();
        second->setTitle(QStringLiteral("Second"));
        first->setTitle(QStringLiteral("Changed"));
        context.insert(second);
        const Status failed = context.save();
        QVERIFY(!failed.ok());
        QVERIFY(failed.error().contains(QStringLiteral("UNIQUE")));
        QVERIFY(context.hasChanges());
        QVERIFY(second->persistentModelID().isTemporary());

        {
            auto other = openStore();
            QCOMPARE(titles(*other->mainContext().fetchResumes()),
                     QStringList{QStringLiteral("Design Résumé")});
        }

        for (const auto& item : second->portfolioItems())
            item->setId(QUuid::createUuid());
        QVERIFY(context.save().ok());
        auto other = openStore();
        QCOMPARE(other->mainContext().fetchResumes()->size(), 2);
    }

    void fetchOrdersByLastEditedThenCreation() {
        auto store = openStore();
        auto& context = store->mainContext();
        const QDateTime t0(QDate(2024, 1, 1), QTime(0, 0), Qt::UTC);
        context.insert(test::makeEmptyResume(QStringLiteral("old"), t0));
        context.insert(test::makeEmptyResume(QStringLiteral("tieA"), t0.addDays(1)));
        context.insert(test::makeEmptyResume(QStringLiteral("new"), t0.addDays(2)));
        QVERIFY(context.save().ok());
        context.insert(test::makeEmptyResume(QStringLiteral("tieB"), t0.addDays(1)));
        const QStringList expected{QStringLiteral("new"), QStringLiteral("tieB"), QStringLiteral("tieA"),
                                   QStringLiteral("old")};
        QCOMPARE(titles(*context.fetchResumes()), expected);
        QVERIFY(context.save().ok());
        auto other = openStore();
        QCOMPARE(titles(*other->mainContext().fetchResumes()), expected);
    }

    void contextSavesByItselfAfterChangesStop() {
        auto store = openStore();
        auto& context = store->mainContext();
        context.setAutosaveEnabled(true);
        context.setAutosaveDelay(50);
        QSignalSpy saved(&context, &ModelContext::didSave);
        auto resume = test::makeEmptyResume(QStringLiteral("auto"));
        context.insert(resume);
        QVERIFY(saved.wait(2000));
        QVERIFY(!context.hasChanges());
        resume->setSummary(QStringLiteral("edited"));
        QVERIFY(context.hasChanges());
        QVERIFY(saved.wait(2000));
        auto other = openStore();
        QCOMPARE(other->mainContext().fetchResumes()->first()->summary(), QStringLiteral("edited"));
    }

    void foreignFilesAreRefusedUntouched() {
        QDir().mkpath(QFileInfo(storePath()).absolutePath());
        {
            QFile f(storePath());
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write("this is a text file, not a store\n");
        }
        const QByteArray before = digest(storePath());
        auto refused = ModelContainer::open(storePath());
        QVERIFY(!refused.ok());
        QVERIFY(refused.error().contains(QStringLiteral("not an SQLite database")));
        QCOMPARE(digest(storePath()), before);
        QVERIFY(!QFile::exists(storePath() + QStringLiteral("-wal")));

        removeStore();
        {
            auto db = sql::Database::open(storePath());
            QVERIFY(
                db->exec(QStringLiteral("CREATE TABLE notes (body TEXT); INSERT INTO notes VALUES ('x');"))
                    .ok());
        }
        const QByteArray sqliteBefore = digest(storePath());
        auto foreign = ModelContainer::open(storePath());
        QVERIFY(!foreign.ok());
        QVERIFY(foreign.error().contains(QStringLiteral("\"notes\"")));
        QCOMPARE(digest(storePath()), sqliteBefore);
    }

    void inMemoryStoreWorksWithoutFiles() {
        auto container = ModelContainer::inMemory();
        QVERIFY(container.ok());
        QVERIFY(container.value()->isInMemory());
        auto& context = container.value()->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(test::makeFullResume());
        QVERIFY(context.save().ok());
        QCOMPARE(context.fetchResumes()->size(), 1);
    }

    // Child side of the killed-save test: saves changes in a loop until killed.
    void saveUntilKilled() {
        if (qEnvironmentVariable("QUILLORA_CHILD_STORE").isEmpty())
            QSKIP("runs only as the child of killedSaveLeavesAConsistentStore");
        auto store = openStore(qEnvironmentVariable("QUILLORA_CHILD_STORE"));
        auto& context = store->mainContext();
        const auto resumes = *context.fetchResumes();
        for (int round = 1;; ++round) {
            // Each save writes one generation everywhere: all summaries and all entry details.
            for (const auto& r : resumes) {
                r->setSummary(QString::number(round));
                for (const auto& e : r->experienceItems())
                    e->setDetails(QString::number(round).repeated(2000));
            }
            if (!context.save().ok())
                qFatal("save failed");
            if (round == 3) {
                QFile ready(qEnvironmentVariable("QUILLORA_CHILD_STORE") + QStringLiteral(".ready"));
                (void)ready.open(QIODevice::WriteOnly);
            }
        }
    }

    void killedSaveLeavesAConsistentStore() {
        const QString path = QDir::tempPath() + QStringLiteral("/killed/default.store");
        {
            auto store = openStore(path);
            for (int i = 0; i < 20; ++i) {
                auto r = test::makeEmptyResume(QString::number(i));
                QList<ExperiencePtr> list;
                for (int j = 0; j < 5; ++j)
                    list << std::make_shared<Experience>(QString(), QString(), QString(), QString(),
                                                         QString(), j);
                r->setExperienceItems(list);
                store->mainContext().insert(r);
            }
            QVERIFY(store->mainContext().save().ok());
        }
        for (int attempt = 0; attempt < 3; ++attempt) {
            QFile::remove(path + QStringLiteral(".ready"));
            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QUILLORA_CHILD_STORE"), path);
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("saveUntilKilled")});
            QVERIFY(child.waitForStarted());
            QTRY_VERIFY_WITH_TIMEOUT(QFile::exists(path + QStringLiteral(".ready")), 20000);
            QTest::qWait(20 + attempt * 37);
            ::kill(pid_t(child.processId()), SIGKILL);
            QVERIFY(child.waitForFinished());

            auto store = openStore(path);
            const auto resumes = store->mainContext().fetchResumes();
            QVERIFY2(resumes.ok(), qPrintable(resumes.error()));
            QCOMPARE(resumes->size(), 20);
            const QString generation = resumes->first()->summary();
            QVERIFY(!generation.isEmpty());
            for (const auto& r : *resumes) {
                QCOMPARE(r->summary(), generation);
                QCOMPARE(r->experienceItems().size(), 5);
                for (const auto& e : r->experienceItems())
                    QCOMPARE(e->details(), generation.repeated(2000));
            }
        }
    }
};

QUILLORA_TEST_MAIN(ModelStoreTest)
#include "test_model_store.moc"
