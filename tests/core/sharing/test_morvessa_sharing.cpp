#include "sharing/cloud_configuration.h"
#include "sharing/morvessa_sharing.h"
#include "support/fake_cloud_database.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include "store/model_container.h"
#include "store/model_context.h"

#include <QBuffer>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QTest>

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

    void resultForAResumeThatIsGoneIsDropped() {
        bool called = false;
        const QFuture<void> push =
            pushResumeToMorvessa(m_service, m_screen.get(), m_resume, MorvessaPDFStyle{}, {},
                                 [&](Result<QString>) { called = true; });
        m_resume.reset();
        settle(push);
        QVERIFY(!called);
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
    }

    void failedRemovalKeepsTheName() {
        m_resume->setMorvessaRecordName(QStringLiteral("REC"));
        m_cloud->deleteFailure = CKError{CKError::permissionFailure, QStringLiteral("permission denied")};
        std::optional<Status> delivered;
        removeResumeFromMorvessa(m_service, m_screen.get(), m_resume,
                                 [&](Status result) { delivered = std::move(result); });
        QTRY_VERIFY(delivered.has_value());
        QVERIFY(delivered->error().startsWith(
            QStringLiteral("This build does not have access to CloudKit container ") +
            cloudContainerIdentifier()));
        QCOMPARE(delivered->errorKind(), ErrorKind::cloud);
        QCOMPARE(delivered->errorInfo().code, 10);
        QCOMPARE(m_resume->morvessaRecordName(), std::optional<QString>(QStringLiteral("REC")));
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
