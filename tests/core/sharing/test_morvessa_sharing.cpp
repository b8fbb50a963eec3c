#include "sharing/cloud_configuration.h"
#include "sharing/morvessa_push_journal.h"
#include "sharing/morvessa_sharing.h"
#include "support/backup_folder_helpers.h"
#include "support/fake_cloud_database.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include "store/model_container.h"
#include "store/model_context.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

#include <sys/stat.h>
#include <unistd.h>

using namespace quillora;

// The push and remove actions: work off the UI thread, results back on it, and the résumé's
// record name kept right whatever happens to the screen.
class TestMorvessaSharing final : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<test::FakeCloud> m_cloud;
    MorvessaCloudService m_service{[this] { return std::make_unique<test::FakeCloudDatabase>(m_cloud); }};
    ResumePtr m_resume;
    std::unique_ptr<QObject> m_screen;

    // The lists of pushes that could not be read, kept aside beside the list's name.
    static QStringList keptLists() {
        const QFileInfo list(morvessaPushJournal::path());
        QStringList paths;
        for (const QString& name : QDir(list.absolutePath())
                                       .entryList({list.fileName() + QStringLiteral(".unreadable-*")},
                                                  QDir::AllEntries | QDir::System | QDir::Hidden))
            paths << list.absolutePath() + QLatin1Char('/') + name;
        return paths;
    }

    void settle(QFuture<void> future) {
        future.waitForFinished();
        QCoreApplication::processEvents();
        QCoreApplication::processEvents();
    }

private slots:
    void init() {
        m_cloud = std::make_shared<test::FakeCloud>();
        m_resume = test::makeFullResume();
        m_resume->setMorvessaRecordName(std::nullopt);
        m_screen = std::make_unique<QObject>();
        QFile::remove(morvessaPushJournal::path());
        for (const QString& kept : keptLists())
            QFile::remove(kept);
    }

    void pushPublishesAndKeepsTheName() {
        std::optional<Result<QString>> delivered;
        QThread* deliveredOn = nullptr;
        bool pdfReadyFirst = false;
        pushResumeToMorvessa(
            m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, [&] { pdfReadyFirst = !delivered; },
            [&](Result<QString> result) {
                delivered = std::move(result);
                deliveredOn = QThread::currentThread();
            });
        QVERIFY(!delivered); // never from inside the call
        QTRY_VERIFY(delivered.has_value());
        QVERIFY2(delivered->ok(), qPrintable(delivered->error()));
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(delivered->value()));
        QCOMPARE(deliveredOn, QThread::currentThread());
        QVERIFY(pdfReadyFirst); // the editor's "Preparing PDF…" ends before the upload does
        QVERIFY(m_cloud->saveThread != QThread::currentThread());
        QVERIFY(m_cloud->pdfSeenAtSave.startsWith("%PDF-"));
        QCOMPARE(m_cloud->records.at(delivered->value()).title, QStringLiteral("Design Résumé"));
    }

    // A résumé fresh from the store still has its images only there: the push reads them on the
    // worker, and the PDF and the document still show them.
    void pushOfAStoredResumeReadsItsImagesOnTheWorker() {
        const QString path = QDir::tempPath() + QStringLiteral("/push-store/default.store");
        QDir().mkpath(QFileInfo(path).absolutePath());
        QByteArray png;
        {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(QColor(30, 120, 200));
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            QVERIFY(image.save(&buffer, "PNG"));
        }
        {
            auto store = std::move(ModelContainer::open(path)).value();
            m_resume->portfolioItems().first()->setImageData(png);
            store->mainContext().insert(m_resume);
            QVERIFY(store->mainContext().save().ok());
        }
        auto store = std::move(ModelContainer::open(path)).value();
        store->mainContext().setAutosaveEnabled(false);
        const ResumePtr stored = store->mainContext().fetchResumes()->first();
        const PortfolioItemPtr item = stored->portfolioItems().first();
        QVERIFY(!item->isImageLoaded());

        std::optional<Result<QString>> delivered;
        MorvessaPDFStyle style;
        style.storeFilePath = path;
        pushResumeToMorvessa(m_service, m_screen.get(), stored, style, {},
                             [&](Result<QString> result) { delivered = std::move(result); });
        QVERIFY(!item->isImageLoaded()); // the UI thread read no image
        QTRY_VERIFY(delivered.has_value());
        QVERIFY2(delivered->ok(), qPrintable(delivered->error()));
        QVERIFY(!item->isImageLoaded());
        QVERIFY(m_cloud->pdfSeenAtSave.contains("/Subtype /Image"));
        QVERIFY2(m_cloud->jsonSeenAtSave.contains("\"hasImageData\" : true"),
                 m_cloud->jsonSeenAtSave.constData());
    }

    // The name must not be lost with the screen: it is the only way to remove the record later.
    void nameKeptWhenTheScreenClosed() {
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(m_resume);
        QVERIFY(context.save().ok());
        bool called = false;
        const QFuture<void> push =
            pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                                 [&](Result<QString>) { called = true; });
        m_screen.reset();
        settle(push);
        QVERIFY(!called);
        QCOMPARE(m_cloud->records.size(), size_t(1));
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(m_cloud->records.begin()->first));
        QVERIFY(!context.hasChanges()); // saved without the screen
    }

    // A résumé deleted while its push runs: the screen hears nothing, and what the push published
    // is taken down again, since nothing would hold its name.
    void aPushForAResumeThatIsGoneTakesItsRecordDown() {
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(m_resume);
        QVERIFY(context.save().ok());
        bool called = false;
        const QFuture<void> push =
            pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                                 [&](Result<QString>) { called = true; });
        const QString name = m_resume->morvessaRecordName().value_or(QString());
        context.deleteRecord(m_resume);
        QVERIFY(context.save().ok());
        m_resume.reset();
        settle(push);
        QTRY_VERIFY(morvessaPushJournal::names().isEmpty()); // once the record is gone
        QVERIFY(!called);
        QVERIFY(m_cloud->records.empty());
        QCOMPARE(m_cloud->calls.count(QStringLiteral("save")), 1);
        QVERIFY(!name.isEmpty());
    }

    // The résumé holds the name, in the store, before anything is published under it; while the
    // push runs the name is on the list of pushes in progress, and leaves it when the push ends.
    void theNameIsStoredBeforeAnythingIsPublished() {
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(m_resume);
        QVERIFY(context.save().ok());
        QStringList notedAtSave;
        m_cloud->beforeSave = [&] { notedAtSave = morvessaPushJournal::names(); };
        std::optional<Result<QString>> delivered;
        pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                             [&](Result<QString> result) { delivered = std::move(result); });
        const std::optional<QString> name = m_resume->morvessaRecordName();
        QVERIFY(name && !name->isEmpty());
        QVERIFY(!context.hasChanges()); // saved before the upload starts
        QVERIFY(m_cloud->calls.isEmpty());
        QTRY_VERIFY(delivered.has_value());
        QVERIFY2(delivered->ok(), qPrintable(delivered->error()));
        QCOMPARE(delivered->value(), *name);
        QCOMPARE(notedAtSave, QStringList{*name});
        QCOMPARE(m_cloud->records.count(*name), size_t(1));
        QCOMPARE(m_resume->morvessaRecordName(), name);
        QVERIFY(morvessaPushJournal::names().isEmpty());
    }

    void aFailedPushLeavesTheResumeUnsharedUnlessItsRecordMayBeThere_data() {
        QTest::addColumn<bool>("answerLost");
        QTest::addColumn<bool>("withdrawalFails");
        QTest::newRow("refused") << false << false;
        QTest::newRow("answer lost, record withdrawn") << true << false;
        QTest::newRow("answer lost, withdrawal failed") << true << true;
    }
    // A push that published nothing clears the name it gave, so the résumé does not claim to be
    // shared. One whose record may be there keeps the name, so that Remove can take it down, and
    // leaves it on the list for the next start to check.
    void aFailedPushLeavesTheResumeUnsharedUnlessItsRecordMayBeThere() {
        QFETCH(bool, answerLost);
        QFETCH(bool, withdrawalFails);
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        context.insert(m_resume);
        QVERIFY(context.save().ok());
        m_cloud->saveFailure = answerLost
                                   ? CloudFailure(CKError{CKError::networkFailure, QStringLiteral("lost")})
                                   : CloudFailure(CKError{CKError::internalError, QStringLiteral("refused")});
        m_cloud->saveAnswerLost = answerLost;
        if (withdrawalFails)
            m_cloud->deleteFailure = CKError{CKError::networkFailure, QStringLiteral("still lost")};
        std::optional<Result<QString>> delivered;
        pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                             [&](Result<QString> result) { delivered = std::move(result); });
        const QString name = m_resume->morvessaRecordName().value_or(QString());
        QTRY_VERIFY(delivered.has_value());
        QVERIFY(!delivered->ok());
        QVERIFY(!context.hasChanges());
        if (withdrawalFails) {
            QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(name));
            QCOMPARE(m_cloud->records.count(name), size_t(1));
            QCOMPARE(morvessaPushJournal::names(), QStringList{name});
        } else {
            QVERIFY(!m_resume->morvessaRecordName());
            QVERIFY(m_cloud->records.empty());
            QVERIFY(morvessaPushJournal::names().isEmpty());
        }
    }

    // The pushes an earlier run never saw end: a published record stays with the résumé that
    // holds its name, a name whose record never came is cleared, and a record that no résumé
    // holds is taken down. What the database cannot answer now waits for the next start.
    void interruptedPushesAreSettledAtTheNextStart() {
        auto store = std::move(ModelContainer::inMemory()).value();
        ModelContext& context = store->mainContext();
        context.setAutosaveEnabled(false);
        const QString published = MorvessaCloudService::newRecordName();
        const QString neverCame = MorvessaCloudService::newRecordName();
        const QString orphan = MorvessaCloudService::newRecordName();
        const QString settledElsewhere = MorvessaCloudService::newRecordName();
        ResumePtr second = test::makeEmptyResume(QStringLiteral("Second"));
        m_resume->setMorvessaRecordName(published);
        second->setMorvessaRecordName(neverCame);
        context.insert(m_resume);
        context.insert(second);
        QVERIFY(context.save().ok());
        m_cloud->records[published] = CloudRecord{};
        m_cloud->records[orphan] = CloudRecord{};
        for (const QString& name : {published, neverCame, orphan, settledElsewhere})
            QVERIFY(morvessaPushJournal::add(name).ok());

        m_cloud->status = CKAccountStatus::temporarilyUnavailable;
        settle(settleInterruptedMorvessaPushes(m_service, context));
        QCOMPARE(morvessaPushJournal::names().size(), 4);
        QCOMPARE(second->morvessaRecordName(), std::optional<QString>(neverCame));

        m_cloud->status = CKAccountStatus::available;
        settle(settleInterruptedMorvessaPushes(m_service, context));
        QVERIFY(morvessaPushJournal::names().isEmpty());
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(published));
        QVERIFY(!second->morvessaRecordName());
        QVERIFY(!context.hasChanges());
        QCOMPARE(m_cloud->records.size(), size_t(1));
        QCOMPARE(m_cloud->records.count(published), size_t(1));
    }

    // A list of pushes that is not ours, or cut short, is read for the names it holds and no more,
    // wherever in the file they are.
    void theListOfPushesSurvivesForeignContent() {
        const QString name = MorvessaCloudService::newRecordName();
        QVERIFY(QDir().mkpath(QFileInfo(morvessaPushJournal::path()).absolutePath()));
        QFile file(morvessaPushJournal::path());
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(QByteArray(3 << 19, 'x') + "\ngarbage\n" + name.toLatin1() + "\n" +
                   name.toLower().toLatin1() + "\nDEADBEEF-00");
        file.close();
        QCOMPARE(morvessaPushJournal::names(), QStringList{name});
        morvessaPushJournal::remove({name});
        QVERIFY(morvessaPushJournal::names().isEmpty());
        QVERIFY(!QFile::exists(morvessaPushJournal::path()));
    }

    void aListOfPushesThatCannotBeReadIsKeptAside_data() {
        QTest::addColumn<QString>("kind");
        for (const char* kind : {"pipe", "link", "hard link", "unreadable", "too large"})
            QTest::newRow(kind) << QString::fromLatin1(kind);
    }
    // What is found at the list's name is looked at before it is read: a pipe never holds up the
    // start, the file a link leads to is never settled, nor is a file elsewhere that has a second
    // name there, and a list that cannot be read is kept aside whole, never written over, while
    // the next push starts a new list.
    void aListOfPushesThatCannotBeReadIsKeptAside() {
        QFETCH(QString, kind);
        auto store = std::move(ModelContainer::inMemory()).value();
        const QString path = morvessaPushJournal::path();
        const QString listed = MorvessaCloudService::newRecordName();
        m_cloud->records[listed] = CloudRecord{}; // held by no résumé: settling it would take it down
        const QByteArray list = listed.toLatin1() + '\n';
        const QString elsewhere = QDir::tempPath() + QStringLiteral("/another-list");
        QVERIFY(QDir().mkpath(QFileInfo(path).absolutePath()));
        QByteArray kept = list;
        if (kind == QLatin1String("pipe")) {
            QVERIFY(::mkfifo(QFile::encodeName(path).constData(), 0600) == 0);
        } else if (kind == QLatin1String("link")) {
            QVERIFY(test::writeFile(elsewhere, list));
            QVERIFY(QFile::link(elsewhere, path));
        } else if (kind == QLatin1String("hard link")) {
            QVERIFY(test::writeFile(elsewhere, list));
            QCOMPARE(::link(QFile::encodeName(elsewhere).constData(), QFile::encodeName(path).constData()),
                     0);
        } else if (kind == QLatin1String("unreadable")) {
            QVERIFY(test::writeFile(path, list));
            const QByteArray native = QFile::encodeName(path);
            QVERIFY(::geteuid() == 0 ? ::chown(native.constData(), 65534, 65534) == 0
                                     : ::chmod(native.constData(), 0) == 0);
        } else {
            kept = QByteArray(5 << 20, 'x') + '\n' + list;
            QVERIFY(test::writeFile(path, kept));
        }

        const QStringList lines = test::printedBy(
            [&] { settle(settleInterruptedMorvessaPushes(m_service, store->mainContext())); });
        QVERIFY(m_cloud->calls.isEmpty());
        QCOMPARE(m_cloud->records.count(listed), size_t(1));
        QVERIFY(!QFileInfo::exists(path) && !QFileInfo(path).isSymLink());
        const QStringList aside = keptLists();
        QCOMPARE(aside.size(), 1);
        QVERIFY2(lines.filter(QStringLiteral("⚠️ The list of pushes in progress “") + path +
                              QStringLiteral("” cannot be read ("))
                         .size() == 1,
                 qPrintable(lines.join(QLatin1Char('\n'))));
        QVERIFY(lines.last().contains(aside.first()));
        struct stat info {};
        QCOMPARE(::lstat(QFile::encodeName(aside.first()).constData(), &info), 0);
        if (kind == QLatin1String("pipe")) {
            QVERIFY(S_ISFIFO(info.st_mode));
        } else if (kind == QLatin1String("link")) {
            QCOMPARE(QFileInfo(aside.first()).symLinkTarget(), elsewhere);
            QCOMPARE(test::readFile(elsewhere), list);
        } else if (kind == QLatin1String("hard link")) {
            QCOMPARE(test::readFile(elsewhere), list);
            QCOMPARE(test::readFile(aside.first()), list);
        } else {
            (void)::chmod(QFile::encodeName(aside.first()).constData(), 0600);
            QCOMPARE(test::readFile(aside.first()), kept);
        }

        const QString next = MorvessaCloudService::newRecordName();
        QVERIFY(morvessaPushJournal::add(next).ok());
        QCOMPARE(morvessaPushJournal::names(), QStringList{next});
        QCOMPARE(keptLists(), aside);
    }

    void pushFailureCarriesMessageAndKind() {
        m_cloud->status = CKAccountStatus::noAccount;
        std::optional<Result<QString>> delivered;
        pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                             [&](Result<QString> result) { delivered = std::move(result); });
        QTRY_VERIFY(delivered.has_value());
        QCOMPARE(delivered->error(), QStringLiteral("iCloud is not signed in on this device."));
        QCOMPARE(delivered->errorKind(), ErrorKind::accountStatus);
        QCOMPARE(delivered->errorInfo().code, 3);
        QVERIFY(!m_resume->morvessaRecordName());
    }

    void removeClearsTheName() {
        m_resume->setMorvessaRecordName(QStringLiteral("REC"));
        m_cloud->records[QStringLiteral("REC")] = CloudRecord{};
        std::optional<Status> delivered;
        removeResumeFromMorvessa(m_service, m_screen.get(), m_resume,
                                 [&](Status result) { delivered = std::move(result); });
        QTRY_VERIFY(delivered.has_value());
        QVERIFY(delivered->ok());
        QVERIFY(!m_resume->morvessaRecordName());
        QVERIFY(m_cloud->records.empty());
        QVERIFY(morvessaPushJournal::names().isEmpty());
    }

    // A refused removal changed nothing and is not listed; one whose answer was lost may have
    // deleted the record, and stays listed for the next start to settle.
    void failedRemovalKeepsTheName() {
        const QString name = MorvessaCloudService::newRecordName();
        m_resume->setMorvessaRecordName(name);
        m_cloud->deleteFailure = CKError{CKError::permissionFailure, QStringLiteral("permission denied")};
        std::optional<Status> delivered;
        removeResumeFromMorvessa(m_service, m_screen.get(), m_resume,
                                 [&](Status result) { delivered = std::move(result); });
        QCOMPARE(morvessaPushJournal::names(), QStringList{name});
        QTRY_VERIFY(delivered.has_value());
        QVERIFY(delivered->error().startsWith(
            QStringLiteral("This build does not have access to CloudKit container ") +
            cloudContainerIdentifier()));
        QCOMPARE(delivered->errorKind(), ErrorKind::cloud);
        QCOMPARE(delivered->errorInfo().code, 10);
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(name));
        QVERIFY(morvessaPushJournal::names().isEmpty());

        m_cloud->deleteFailure = CKError{CKError::networkFailure, QStringLiteral("no answer")};
        delivered.reset();
        removeResumeFromMorvessa(m_service, m_screen.get(), m_resume,
                                 [&](Status result) { delivered = std::move(result); });
        QTRY_VERIFY(delivered.has_value());
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(name));
        QCOMPARE(morvessaPushJournal::names(), QStringList{name});
    }

    void removingAnUnsharedResumeSucceeds() {
        std::optional<Status> delivered;
        removeResumeFromMorvessa(m_service, m_screen.get(), m_resume,
                                 [&](Status result) { delivered = std::move(result); });
        QVERIFY(!delivered);
        QTRY_VERIFY(delivered.has_value());
        QVERIFY(delivered->ok());
        QVERIFY(m_cloud->calls.isEmpty());
    }
};

QUILLORA_TEST_MAIN(TestMorvessaSharing)
#include "test_morvessa_sharing.moc"
