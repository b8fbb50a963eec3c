#pragma once

#include "model/resume.h"
#include "platform/result.h"
#include "sharing/cloud_database.h"
#include "sharing/morvessa_resume_payload.h"

#include <functional>
#include <memory>

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

    // Publishes the payload with the PDF at `pdfPath` (the caller's file, left in place) and
    // returns the new record's name. Errors: the account check's (unchanged, or "unavailable"
    // with the status), the payload file's (unchanged), and the database's (mapped).
    CloudResult<QString> upload(const MorvessaResumePayload& payload, const QString& pdfPath) const;

    // Deletes the record of an earlier upload. A record that is no longer there counts as
    // deleted, so the résumé can be published again.
    CloudResult<Done> deleteRecord(const QString& recordName) const;

    // The steps, exposed for the editor and for tests.
    static MorvessaResumePayload makePayload(const Resume& resume);
    static PortfolioSnapshot makePortfolioSnapshot(const PortfolioItem& item);
    // ISO 8601 in UTC with milliseconds: 2026-01-31T09:05:00.123Z.
    static QString formatDate(const QDateTime& date);
    // The folder "Morvessa" in the temporary directory, where payload files live during an upload.
    static QString temporaryFolder();
    // Writes "resume-<exportId>.json" into temporaryFolder() atomically; returns its path. Where
    // another user holds that folder, the file goes into a private folder of this upload's own.
    static Result<QString> writePayloadJSON(const MorvessaResumePayload& payload);
    // Removes the payload file, and the private folder it was written to, if any.
    static void removeTemporaryFile(const QString& path);

private:
    static CloudResult<Done> ensureAccountAvailable(CloudDatabase& database);

    DatabaseFactory m_database;
};

} // namespace quillora
