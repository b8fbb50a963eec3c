#pragma once

#include "model/resume.h"
#include "platform/result.h"
#include "sharing/cloud_database.h"
#include "sharing/morvessa_resume_payload.h"

#include <chrono>
#include <functional>
#include <memory>
#include <optional>

namespace quillora {

// Publishes a résumé to the recruiting network as one record of type "QuilloraResume" in the
// public database (four small fields, the exported PDF and the JSON payload) and withdraws it
// again by its record name. Keeps no state of its own: the caller stores the record name.
//
// makePayload reads the live résumé, so it runs on the UI thread; upload and deleteRecord talk
// to the database and may block for seconds, so they run on a worker. Each call opens its own
// connection, so calls may overlap.
class MorvessaCloudService final {
public:
    using DatabaseFactory = std::function<std::unique_ptr<CloudDatabase>()>;

    // A connection to the PostgreSQL database named by QUILLORA_CLOUD_DATABASE, read anew for
    // every call.
    static DatabaseFactory postgresFromEnvironment();

    explicit MorvessaCloudService(DatabaseFactory database = postgresFromEnvironment());

    // The same service, whose calls give up within a moment once `stopped` says so (the app
    // quits), failing as calls that got no answer in time; none begins a connection after that.
    MorvessaCloudService stoppedBy(std::function<bool()> stopped) const;

    // A new record name: a random UUID, upper-case and hyphenated.
    static QString newRecordName();

    // Publishes the payload with the PDF at `pdfPath` (the caller's file, left in place) under
    // `recordName`, which the caller chose (newRecordName()) and stored before, so that whatever
    // happens to this call, a record it publishes is one the caller can remove; returns that
    // name. Errors: the account check's (unchanged, or "unavailable" with the status), the
    // payload file's (unchanged), and the database's (mapped). A failed upload takes back what
    // it may have saved; `mayRemain` is set when that could not be confirmed, so the record may
    // still be there (and is false otherwise).
    CloudResult<QString> upload(const MorvessaResumePayload& payload, const QString& pdfPath,
                                const QString& recordName, bool* mayRemain = nullptr) const;

    // Deletes the record of an earlier upload. A record that is no longer there counts as
    // deleted, so the résumé can be published again.
    CloudResult<Done> deleteRecord(const QString& recordName) const;

    // Whether a record of that name is in the database; errors as deleteRecord's.
    CloudResult<bool> recordExists(const QString& recordName) const;

    // Several calls over one connection, bounded as a whole: none goes on past the deadline, and
    // one waiting on the database gives up within a moment once `stopped` says so. The account is
    // checked once, at the first call; when it is not available, every call fails with that.
    // Use it on one thread.
    class Session final {
    public:
        CloudResult<Done> deleteRecord(const QString& recordName);
        CloudResult<bool> recordExists(const QString& recordName);
        // False once the account check failed: no later call can succeed.
        bool usable() const { return !m_account || m_account->ok(); }

    private:
        friend class MorvessaCloudService;
        explicit Session(std::unique_ptr<CloudDatabase> database)
            : m_database(std::move(database)) {}
        CloudResult<Done> account();

        std::unique_ptr<CloudDatabase> m_database;
        std::optional<CloudResult<Done>> m_account;
    };
    Session session(std::chrono::steady_clock::time_point deadline, std::function<bool()> stopped) const;

    // The steps, exposed for the editor and for tests.
    static MorvessaResumePayload makePayload(const Resume& resume);
    static PortfolioSnapshot makePortfolioSnapshot(const PortfolioItem& item);
    // ISO 8601 in UTC with milliseconds: 2026-01-31T09:05:00.123Z.
    static QString formatDate(const QDateTime& date);
    // The folder "Morvessa" in the temporary directory, where payload files live during an upload;
    // empty when the temporary directory cannot be used (files::temporaryFolder() says why).
    static QString temporaryFolder();
    // Writes "resume-<exportId>.json" into temporaryFolder() atomically; returns its path. Where
    // another user holds that folder, the file goes into a private folder of this upload's own.
    static Result<QString> writePayloadJSON(const MorvessaResumePayload& payload);
    // Removes the payload file, and the private folder it was written to, if any.
    static void removeTemporaryFile(const QString& path);
    // The start of the names of those private folders (six letters or digits follow).
    static QString privateFolderPrefix();
    // Whether a file name is that of a payload file: "resume-" + an upper-case UUID + ".json".
    static bool isPayloadFileName(const char* name);

private:
    static CloudResult<Done> ensureAccountAvailable(CloudDatabase& database);

    DatabaseFactory m_database;
};

} // namespace quillora
