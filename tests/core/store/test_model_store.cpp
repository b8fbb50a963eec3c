#include "store/model_container.h"
#include "store/sqlite.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
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
        // A quoted name that is no column is an error, not the text of the name.
        QVERIFY(!db->prepare(QStringLiteral("SELECT \"missing\" FROM t")).ok());
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

    // A save costs what changed: in a large store, one edited field writes one row, and the
    // entries of résumés nobody opened are neither read nor written.
    void aSaveInALargeStoreWritesOnlyWhatChanged() {
        constexpr int count = 3000;
        {
            auto store = openStore();
            auto& context = store->mainContext();
            for (int i = 0; i < count; ++i) {
                auto resume = test::makeEmptyResume(QStringLiteral("R%1").arg(i));
                resume->setSummary(QStringLiteral("Summary %1").arg(i));
                resume->setExperienceItems(
                    {std::make_shared<Experience>(QStringLiteral("A"), QString(), QString(), QString(),
                                                  QString(), 0),
                     std::make_shared<Experience>(QStringLiteral("B"), QString(), QString(), QString(),
                                                  QString(), 1)});
                resume->setEducationItems(
                    {std::make_shared<Education>(QStringLiteral("U"), QString(), QString(), 0)});
                context.insert(resume);
            }
            QVERIFY(context.save().ok());
        }
        auto store = openStore();
        auto& context = store->mainContext();
        const QList<ResumePtr> fetched = *context.fetchResumes();
        QCOMPARE(fetched.size(), count);
        QHash<int, ResumePtr> list; // by the number in the title
        for (const auto& r : fetched)
            list.insert(r->title().mid(1).toInt(), r);
        const auto rowsOfSave = [&]() -> qint64 {
            const qint64 before = context.rowsWritten();
            if (!context.save().ok())
                return -1;
            return context.rowsWritten() - before;
        };

        list.value(1700)->setTitle(QStringLiteral("Edited"));
        QCOMPARE(rowsOfSave(), 1);
        list.value(12)->experienceItems().at(1)->setRole(QStringLiteral("Edited role"));
        QCOMPARE(rowsOfSave(), 1);
        list.value(12)->setSummary(QStringLiteral("Edited summary"));
        QCOMPARE(rowsOfSave(), 1);
        // A changed list writes that résumé's entry rows only: its two remaining entries' places
        // and the removed entry. The résumé's own row has no changed column, so it is not written.
        auto experience = list.value(40)->experienceItems();
        const ExperiencePtr removed = experience.takeFirst();
        list.value(40)->setExperienceItems(experience);
        QCOMPARE(rowsOfSave(), 3);
        QCOMPARE(removed->modelContext(), nullptr);
        // A long text written before it was ever read (the list reads none of them).
        list.value(99)->setCoverLetterText(QStringLiteral("Letter"));
        QCOMPARE(rowsOfSave(), 1);

        store = openStore();
        const QList<ResumePtr> reopened = *store->mainContext().fetchResumes();
        const auto find = [&](const QString& title) {
            for (const auto& r : reopened) {
                if (r->title() == title)
                    return r;
            }
            return ResumePtr();
        };
        QCOMPARE(find(QStringLiteral("Edited"))->summary(), QStringLiteral("Summary 1700"));
        QCOMPARE(find(QStringLiteral("R99"))->coverLetterText(), QStringLiteral("Letter"));
        QCOMPARE(find(QStringLiteral("R99"))->summary(), QStringLiteral("Summary 99"));
        QCOMPARE(find(QStringLiteral("R12"))->summary(), QStringLiteral("Edited summary"));
        QCOMPARE(find(QStringLiteral("R12"))->experienceItems().at(1)->role(), QStringLiteral("Edited role"));
        QCOMPARE(find(QStringLiteral("R40"))->experienceItems().size(), 1);
        QCOMPARE(find(QStringLiteral("R40"))->experienceItems().first()->role(), QStringLiteral("B"));
        QCOMPARE(find(QStringLiteral("R41"))->experienceItems().size(), 2);
        QCOMPARE(find(QStringLiteral("R41"))->educationItems().size(), 1);
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

    // The editor's entry sheets and the portfolio sync take an entry out of its list, let the
    // context save, and put the same record back.
    void anEntryPutBackAfterASavedRemovalSurvivesARestart() {
        auto resume = test::makeFullResume();
        {
            auto store = openStore();
            auto& context = store->mainContext();
            context.insert(resume);
            QVERIFY(context.save().ok());
        }
        auto store = openStore(); // the image is now only in the store until asked for
        auto& context = store->mainContext();
        resume = context.fetchResumes()->first();
        const ExperiencePtr job = resume->experienceItems().first();
        const EducationPtr school = resume->educationItems().first();
        const PortfolioItemPtr poster = resume->portfolioItems().first();
        QVERIFY(!poster->isImageLoaded());

        resume->setExperienceItems({resume->experienceItems().last()});
        resume->setEducationItems({});
        resume->setPortfolioItems({resume->portfolioItems().last()});
        QVERIFY(context.save().ok());

        job->setRole(QStringLiteral("Back again"));
        resume->setExperienceItems(resume->experienceItems() << job);
        resume->setEducationItems({school});
        resume->setPortfolioItems(resume->portfolioItems() << poster);
        QVERIFY(context.save().ok());
        store.reset();

        auto reopened = openStore();
        const ResumePtr stored = reopened->mainContext().fetchResumes()->first();
        QCOMPARE(stored->experienceItems().size(), 2);
        QCOMPARE(stored->experienceItems().last()->role(), QStringLiteral("Back again"));
        QCOMPARE(stored->educationItems().size(), 1);
        QCOMPARE(stored->educationItems().first()->school(), QStringLiteral("Université de Montréal"));
        QCOMPARE(stored->portfolioItems().size(), 2);
        QCOMPARE(stored->portfolioItems().last()->caption(), QStringLiteral("Poster"));
        QCOMPARE(stored->portfolioItems().last()->imageData(),
                 std::optional(QByteArray("\x89PNG\r\n\x1a\n", 8)));
    }

    // An image lives in a row of its own: saving a caption, an order or an orientation writes a
    // few pages, not the image again; an item's image row goes with the item.
    void savingAnItemWritesItsImageOnlyWhenTheImageChanged() {
        QByteArray photo(3 << 20, Qt::Uninitialized);
        for (qsizetype i = 0; i < photo.size(); ++i)
            photo[i] = char((i * 7919) >> 3);
        const auto imageRows = [] {
            auto db = sql::Database::open(storePath(), sql::Database::Mode::ReadOnly);
            auto count = db->prepare(QStringLiteral("SELECT count(*) FROM PortfolioImage"));
            return count && count->next() ? count->int64(0) : -1;
        };
        {
            auto store = openStore();
            auto resume = test::makeFullResume();
            auto items = resume->portfolioItems();
            items.append(std::make_shared<PortfolioItem>(QUuid::createUuid(), photo, QStringLiteral("Photo"),
                                                         2, PortfolioImageOrientation::landscape));
            resume->setPortfolioItems(items);
            store->mainContext().insert(resume);
            QVERIFY(store->mainContext().save().ok());
        }
        QCOMPARE(imageRows(), 2); // the poster and the photo; the sketch has none
        auto store = openStore();
        auto& context = store->mainContext();
        const ResumePtr resume = context.fetchResumes()->first();
        const PortfolioItemPtr item = resume->portfolioItems().at(2);
        // The bytes of the store's log that a save adds, from an emptied log.
        const auto walBytesOfSave = [&]() -> qint64 {
            {
                auto other = sql::Database::open(storePath());
                if (!other->exec(QStringLiteral("PRAGMA wal_checkpoint(TRUNCATE)")).ok())
                    return -1;
            }
            if (QFileInfo(storePath() + QStringLiteral("-wal")).size() != 0 || !context.save().ok())
                return -1;
            return QFileInfo(storePath() + QStringLiteral("-wal")).size();
        };

        item->setCaption(QStringLiteral("Photo, captioned"));
        resume->setLastEdited(QDateTime::currentDateTimeUtc());
        const qint64 caption = walBytesOfSave();
        QVERIFY2(caption > 0 && caption < 64 * 1024, qPrintable(QString::number(caption)));
        item->setSortOrder(0);
        item->setOrientation(PortfolioImageOrientation::portrait);
        const qint64 order = walBytesOfSave();
        QVERIFY2(order > 0 && order < 64 * 1024, qPrintable(QString::number(order)));
        QVERIFY(!item->isImageLoaded());

        // A new image is written, whole.
        QByteArray changed = photo;
        changed[12345] = 'x';
        item->setImageData(changed);
        QVERIFY(walBytesOfSave() > photo.size());
        store = openStore();
        const PortfolioItemPtr stored = store->mainContext().fetchResumes()->first()->portfolioItems().at(2);
        QCOMPARE(stored->caption(), QStringLiteral("Photo, captioned"));
        QCOMPARE(stored->orientation(), PortfolioImageOrientation::portrait);
        QCOMPARE(stored->imageData(), std::optional(changed));

        // Removing an image, an item, then the résumé takes their image rows along.
        stored->setImageData(std::nullopt);
        QVERIFY(store->mainContext().save().ok());
        QCOMPARE(imageRows(), 1);
        const ResumePtr owner = store->mainContext().fetchResumes()->first();
        auto items = owner->portfolioItems();
        items.removeFirst();
        items.first()->setImageData(photo); // the sketch gets one
        owner->setPortfolioItems(items);
        QVERIFY(store->mainContext().save().ok());
        QCOMPARE(imageRows(), 1);
        QCOMPARE(openStore()->mainContext().fetchResumes()->first()->portfolioItems().first()->imageData(),
                 std::optional(photo));
        store->mainContext().deleteRecord(owner);
        QVERIFY(store->mainContext().save().ok());
        QCOMPARE(imageRows(), 0);
    }

    void aWriteThatFindsNoRowFailsTheSave() {
        auto store = openStore();
        auto& context = store->mainContext();
        auto resume = test::makeFullResume();
        context.insert(resume);
        QVERIFY(context.save().ok());
        {
            auto other = sql::Database::open(storePath());
            QVERIFY(other->exec(QStringLiteral("DELETE FROM \"Experience\"")).ok());
        }
        resume->experienceItems().first()->setDetails(QStringLiteral("lost?"));
        const Status failed = context.save();
        QVERIFY(!failed.ok());
        QCOMPARE(failed.errorKind(), ErrorKind::storage);
        QVERIFY(failed.error().contains(QStringLiteral("no longer exists")));
        QVERIFY(context.hasChanges());
    }

    void aFailedImageReadLeavesTheStoredImageIntact() {
        {
            auto store = openStore();
            store->mainContext().insert(test::makeFullResume());
            QVERIFY(store->mainContext().save().ok());
        }
        auto store = openStore();
        auto& context = store->mainContext();
        const PortfolioItemPtr poster = context.fetchResumes()->first()->portfolioItems().first();
        const auto renameImageColumn = [](const char* from, const char* to) {
            auto other = sql::Database::open(storePath());
            QVERIFY(other
                        ->exec(QStringLiteral("ALTER TABLE \"PortfolioImage\" RENAME COLUMN \"%1\" TO \"%2\"")
                                   .arg(QLatin1String(from), QLatin1String(to)))
                        .ok());
        };

        QVERIFY(!poster->isImageLoaded());
        renameImageColumn("imageData", "imageDataAway"); // every read of the image now fails
        const QStringList lines = test::printedBy([&] { QVERIFY(!poster->imageData()); });
        QCOMPARE(lines.size(), 1);
        QVERIFY(lines.first().startsWith(QStringLiteral("⚠️ Could not read a portfolio image: ")));
        QVERIFY(!poster->isImageLoaded());
        renameImageColumn("imageDataAway", "imageData");

        poster->setCaption(QStringLiteral("Renamed"));
        QVERIFY(context.save().ok());
        store.reset();
        auto reopened = openStore();
        const PortfolioItemPtr stored =
            reopened->mainContext().fetchResumes()->first()->portfolioItems().first();
        QCOMPARE(stored->caption(), QStringLiteral("Renamed"));
        QCOMPARE(stored->imageData(), std::optional(QByteArray("\x89PNG\r\n\x1a\n", 8)));
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
        QVERIFY(saved.wait(20000));
        QVERIFY(!context.hasChanges());
        resume->setSummary(QStringLiteral("edited"));
        QVERIFY(context.hasChanges());
        QVERIFY(saved.wait(20000));
        auto other = openStore();
        QCOMPARE(other->mainContext().fetchResumes()->first()->summary(), QStringLiteral("edited"));
    }

    // Held-back writes show at once but every save stores the value from before, until they are
    // released; an unsaved edit from before the holding is still saved, a later edit by someone
    // else ends the holding, and a new entry is inserted with its value from before.
    void heldBackChangesReachTheStoreOnlyWhenReleased() {
        auto store = openStore();
        auto& context = store->mainContext();
        auto resume = test::makeFullResume();
        context.insert(resume);
        QVERIFY(context.save().ok());
        auto added = std::make_shared<Experience>(QStringLiteral("Intern"), QStringLiteral("Initech"),
                                                  QString(), QString(), QString(), 9);
        resume->setExperienceItems(resume->experienceItems() << added);
        resume->setContactInfo(QStringLiteral("typed before")); // not saved yet
        const int owner = 0;
        const auto hold = [&](const std::shared_ptr<Record>& record, int property, const QString& value) {
            context.writeHeldBack(&owner, record, property, [&] { record->setValueAt(property, value); });
        };
        hold(resume, Resume::FullName, QStringLiteral("Nombre"));
        hold(resume, Resume::ContactInfo, QStringLiteral("Contacto"));
        hold(resume, Resume::TitleEducation, QStringLiteral("Estudios"));
        hold(resume, Resume::Summary, QStringLiteral("Resumen"));
        hold(added, Experience::Role, QStringLiteral("Becario"));
        QCOMPARE(resume->fullName(), QStringLiteral("Nombre"));
        resume->setSummary(QStringLiteral("Mine")); // someone else's edit: saved as usual
        resume->setTitle(QStringLiteral("Renamed"));
        QVERIFY(context.save().ok());
        QVERIFY(context.hasChanges()); // what is held stays pending
        QCOMPARE(resume->fullName(), QStringLiteral("Nombre"));
        {
            auto other = openStore();
            const ResumePtr stored = other->mainContext().fetchResumes()->first();
            QCOMPARE(stored->title(), QStringLiteral("Renamed"));
            QCOMPARE(stored->fullName(), QStringLiteral("Zoë Ångström"));
            QCOMPARE(stored->contactInfo(), QStringLiteral("typed before"));
            QVERIFY(stored->titleEducation() != std::optional(QStringLiteral("Estudios")));
            QCOMPARE(stored->summary(), QStringLiteral("Mine"));
            QCOMPARE(stored->experienceItems().last()->role(), QStringLiteral("Intern"));
        }
        // A save with nothing but held changes writes nothing.
        QSignalSpy saved(&context, &ModelContext::didSave);
        QVERIFY(context.save().ok());
        QCOMPARE(saved.count(), 0);

        context.releaseHeldBack(&owner);
        QVERIFY(context.save().ok());
        QCOMPARE(saved.count(), 1);
        QVERIFY(!context.hasChanges());
        auto other = openStore();
        const ResumePtr stored = other->mainContext().fetchResumes()->first();
        QCOMPARE(stored->fullName(), QStringLiteral("Nombre"));
        QCOMPARE(stored->contactInfo(), QStringLiteral("Contacto"));
        QCOMPARE(stored->titleEducation(), std::optional(QStringLiteral("Estudios")));
        QCOMPARE(stored->experienceItems().last()->role(), QStringLiteral("Becario"));
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
