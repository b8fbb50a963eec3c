#include "sharing/cloud_configuration.h"
#include "sharing/morvessa_cloud_service.h"
#include "support/fake_cloud_database.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QTest>

#include <map>

#include <unistd.h>

using namespace quillora;

namespace {

QString message(const CloudFailure& failure) {
    return localizedDescription(failure);
}

QString accessAdvice(const QString& container) {
    return QStringLiteral("This build does not have access to CloudKit container ") % container %
           QStringLiteral(
               ". Check the app's iCloud capability, entitlements, and signing team on this device.");
}

} // namespace

class TestCloudErrors final : public QObject {
    Q_OBJECT

private:
    std::shared_ptr<test::FakeCloud> m_cloud;
    MorvessaCloudService m_service{[this] { return std::make_unique<test::FakeCloudDatabase>(m_cloud); }};
    QString m_pdf;

    QStringList payloadFiles() const {
        return QDir(MorvessaCloudService::temporaryFolder()).entryList(QDir::Files | QDir::Hidden);
    }
    CloudResult<QString> upload(QStringList* lines = nullptr) {
        const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*test::makeFullResume());
        std::optional<CloudResult<QString>> result;
        const QStringList printed = test::printedBy(
            [&] { result = m_service.upload(payload, m_pdf, MorvessaCloudService::newRecordName()); });
        if (lines)
            *lines = printed;
        return *result;
    }

private slots:
    void init() {
        m_cloud = std::make_shared<test::FakeCloud>();
        m_pdf = QDir::temp().filePath(QStringLiteral("resume.pdf"));
        QFile pdf(m_pdf);
        QVERIFY(pdf.open(QIODevice::WriteOnly));
        pdf.write("%PDF-1.4\n");
        // An empty name would be the working directory.
        QVERIFY(!MorvessaCloudService::temporaryFolder().isEmpty());
        QDir(MorvessaCloudService::temporaryFolder()).removeRecursively();
        QFile::remove(MorvessaCloudService::temporaryFolder());
    }

    void accountStatusMessages_data() {
        QTest::addColumn<int>("status");
        QTest::addColumn<QString>("text");
        QTest::newRow("undetermined") << 0 << "CloudKit could not determine the iCloud account status.";
        QTest::newRow("restricted") << 2 << "iCloud access is restricted on this device.";
        QTest::newRow("no account") << 3 << "iCloud is not signed in on this device.";
        QTest::newRow("temporarily unavailable") << 4 << "iCloud is temporarily unavailable.";
        QTest::newRow("unknown") << 7 << "CloudKit returned an unknown iCloud account status.";
    }
    // Every status but "available" stops the upload and the removal before anything is written.
    void accountStatusMessages() {
        QFETCH(int, status);
        QFETCH(QString, text);
        QCOMPARE(QuilloraCloudKitError::unavailable(status).errorDescription(), std::optional<QString>(text));
        // No connection set is no account too, said as what is missing here and where to set it.
        const QuilloraCloudKitError unset = QuilloraCloudKitError::notConfigured();
        QVERIFY(unset.as<QuilloraCloudKitError::Unavailable>() &&
                unset.as<QuilloraCloudKitError::Unavailable>()->status == int(CKAccountStatus::noAccount));
        QVERIFY(unset.errorDescription()->contains(QLatin1String("QUILLORA_CLOUD_DATABASE")));
        QVERIFY(!unset.errorDescription()->contains(QLatin1String("iCloud")));

        m_cloud->status = CKAccountStatus(status);
        QStringList lines;
        const CloudResult<QString> uploaded = upload(&lines);
        QVERIFY(!uploaded);
        QCOMPARE(uploaded.failure(), CloudFailure(QuilloraCloudKitError::unavailable(status)));
        QCOMPARE(message(uploaded.failure()), text);
        QCOMPARE(m_cloud->calls, QStringList{QStringLiteral("accountStatus")});
        QVERIFY(payloadFiles().isEmpty());
        QVERIFY(lines.isEmpty());

        const CloudResult<Done> deleted = m_service.deleteRecord(QStringLiteral("A"));
        QVERIFY(!deleted);
        QCOMPARE(message(deleted.failure()), text);
    }

    void availableStatusHasNoTextOfItsOwn() {
        const QuilloraCloudKitError error = QuilloraCloudKitError::unavailable(CKAccountStatus::available);
        QVERIFY(!error.errorDescription());
        QCOMPARE(
            error.localizedDescription(),
            QStringLiteral("The operation couldn’t be completed. (Quillora.QuilloraCloudKitError error 0.)"));
    }

    void accountRequestFailureReachesCallerUnchanged() {
        m_cloud->status = PlatformError{QStringLiteral("The connection string cannot be read.")};
        const CloudResult<QString> uploaded = upload();
        QCOMPARE(uploaded.failure(),
                 CloudFailure(PlatformError{QStringLiteral("The connection string cannot be read.")}));
        QVERIFY(payloadFiles().isEmpty());
    }

    void mapping_data() {
        QTest::addColumn<int>("code");
        QTest::addColumn<QString>("text");
        const QString container = cloudContainerIdentifier();
        const QString access =
            QStringLiteral("CloudKit access failed for container ") % container % QStringLiteral(": ");
        QTest::newRow("bad container") << 5 << accessAdvice(container);
        QTest::newRow("missing entitlement") << 8 << accessAdvice(container);
        QTest::newRow("permission failure") << 10 << accessAdvice(container);
        QTest::newRow("not authenticated") << 9 << access + QStringLiteral("The database said no");
        QTest::newRow("unknown item") << 11 << QStringLiteral("The database said no");
        QTest::newRow("internal error") << 1 << QStringLiteral("The database said no");
    }
    // The database's error codes become the user's messages; mapping is idempotent.
    void mapping() {
        QFETCH(int, code);
        QFETCH(QString, text);
        const CKError error{code, QStringLiteral("The database said no")};
        const QuilloraCloudKitError mapped = mapCloudKitError(error);
        QCOMPARE(mapped.localizedDescription(), text);
        QCOMPARE(mapCloudKitError(mapped), mapped);
        const bool permission = code == 5 || code == 8 || code == 10;
        QCOMPARE(mapped.as<QuilloraCloudKitError::PermissionFailure>() != nullptr, permission);
        QCOMPARE(mapped.as<CKError>() != nullptr, !permission);

        // The same through a failed save: the message, the log line and no file left behind.
        m_cloud->saveFailure = error;
        QStringList lines;
        const CloudResult<QString> uploaded = upload(&lines);
        QCOMPARE(uploaded.failure(), CloudFailure(mapped));
        QCOMPARE(message(uploaded.failure()), text);
        QCOMPARE(lines.last(), QStringLiteral("❌ CloudKit save FAILED: The database said no"));
        QCOMPARE(m_cloud->jsonFilesSeenAtSave.size(), 1);
        QVERIFY(!QFile::exists(m_cloud->jsonFilesSeenAtSave.first()));
        QVERIFY(payloadFiles().isEmpty());
        QVERIFY(QFile::exists(m_pdf));
    }

    void otherErrorsKeepTheirOwnText() {
        const QuilloraCloudKitError mapped = mapCloudKitError(PlatformError{QStringLiteral("Disk full")});
        QCOMPARE(mapped, QuilloraCloudKitError::other(PlatformError{QStringLiteral("Disk full")}));
        QCOMPARE(mapped.localizedDescription(), QStringLiteral("Disk full"));
    }

    // The record was saved, but the app gets no name to remove it by: it is taken back at once.
    void failedReadAfterWriteWithdrawsTheRecord() {
        m_cloud->fetchFailure = CKError{CKError::permissionFailure, QStringLiteral("permission denied")};
        QStringList lines;
        const CloudResult<QString> uploaded = upload(&lines);
        QVERIFY(!uploaded);
        QCOMPARE(uploaded.failure(),
                 CloudFailure(QuilloraCloudKitError::permissionFailure(cloudContainerIdentifier())));
        QVERIFY(m_cloud->records.empty());
        QCOMPARE(m_cloud->calls, (QStringList{QStringLiteral("accountStatus"), QStringLiteral("save"),
                                              QStringLiteral("fetch"), QStringLiteral("delete")}));
        QCOMPARE(lines.size(), 4);
        QCOMPARE(lines[1], QStringLiteral("❌ CloudKit read-after-write FAILED: permission denied"));
        QVERIFY(lines[2].startsWith(QStringLiteral("🗑️ Deleted record: ")));
        QCOMPARE(lines[3],
                 QStringLiteral("❌ CloudKit save FAILED: ") + accessAdvice(cloudContainerIdentifier()));
        QVERIFY(payloadFiles().isEmpty());

        // When the withdrawal fails too, the read's error is still the one reported.
        m_cloud->deleteFailure = CKError{CKError::internalError, QStringLiteral("connection lost")};
        const CloudResult<QString> again = upload(&lines);
        QCOMPARE(again.failure(), uploaded.failure());
        QCOMPARE(lines[2], QStringLiteral("❌ Delete FAILED: connection lost"));
    }

    void payloadFileFailureReachesCallerUnchanged() {
        // An empty name would be the working directory.
        QVERIFY(!MorvessaCloudService::temporaryFolder().isEmpty());
        QDir(MorvessaCloudService::temporaryFolder()).removeRecursively();
        QFile blocker(MorvessaCloudService::temporaryFolder());
        QVERIFY(blocker.open(QIODevice::WriteOnly)); // a file where the folder should be
        blocker.close();
        const CloudResult<QString> uploaded = upload();
        QVERIFY(!uploaded);
        QVERIFY(std::holds_alternative<PlatformError>(uploaded.failure()));
        QVERIFY(message(uploaded.failure()).contains(MorvessaCloudService::temporaryFolder()));
        QCOMPARE(m_cloud->calls, QStringList{QStringLiteral("accountStatus")});
    }

    // A "Morvessa" folder another user made first is left alone: the upload goes through a private
    // folder of its own, which leaves with the payload file.
    void anotherUsersFolderSendsThePayloadToAPrivateFolder() {
        const QString shared = MorvessaCloudService::temporaryFolder();
        QVERIFY(QDir().mkpath(shared));
        if (::chown(QFile::encodeName(shared).constData(), 65534, 65534) != 0)
            QSKIP("a folder cannot be given to another user here (needs root)");
        const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*test::makeFullResume());
        Result<QString> written = QString();
        const QStringList lines =
            test::printedBy([&] { written = MorvessaCloudService::writePayloadJSON(payload); });
        QVERIFY2(written.ok(), qPrintable(written.error()));
        const QFileInfo folder(QFileInfo(written.value()).absolutePath());
        QVERIFY(folder.fileName().startsWith(QStringLiteral("quillora-morvessa-")));
        QCOMPARE(folder.ownerId(), uint(::geteuid()));
        QCOMPARE(folder.permissions() & ~(QFile::ReadUser | QFile::WriteUser | QFile::ExeUser |
                                          QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner),
                 QFile::Permissions());
        QCOMPARE(lines, QStringList{
                            QStringLiteral("⚠️ “Morvessa” in the temporary folder belongs to another "
                                           "user; the payload goes to a private folder instead: ") +
                            folder.absoluteFilePath()});
        MorvessaCloudService::removeTemporaryFile(written.value());
        QVERIFY(!QFileInfo::exists(folder.absoluteFilePath()));

        const CloudResult<QString> uploaded = upload();
        QVERIFY(uploaded);
        QCOMPARE(m_cloud->jsonFilesSeenAtSave.size(), 1);
        QVERIFY(!QFileInfo::exists(QFileInfo(m_cloud->jsonFilesSeenAtSave.first()).absolutePath()));
        QVERIFY(m_cloud->jsonSeenAtSave.startsWith('{'));
        QCOMPARE(QFileInfo(shared).ownerId(), 65534u);
    }

    void deleting() {
        m_cloud->records[QStringLiteral("REC")] = CloudRecord{};
        QCOMPARE(test::printedBy([&] { QVERIFY(m_service.deleteRecord(QStringLiteral("REC"))); }).last(),
                 QStringLiteral("🗑️ Deleted record: REC"));
        QVERIFY(m_cloud->records.empty());

        // A record that is already gone counts as removed, so the résumé can be shared again.
        QCOMPARE(test::printedBy([&] { QVERIFY(m_service.deleteRecord(QStringLiteral("REC"))); }).last(),
                 QStringLiteral("🗑️ Record already removed: REC"));

        m_cloud->deleteFailure = CKError{CKError::permissionFailure, QStringLiteral("permission denied")};
        std::optional<CloudResult<Done>> refused;
        const QStringList lines =
            test::printedBy([&] { refused = m_service.deleteRecord(QStringLiteral("REC")); });
        QCOMPARE(lines.last(), QStringLiteral("❌ Delete FAILED: permission denied"));
        QCOMPARE(message(refused->failure()), accessAdvice(cloudContainerIdentifier()));
    }
};

QUILLORA_TEST_MAIN(TestCloudErrors)
#include "test_cloud_errors.moc"
