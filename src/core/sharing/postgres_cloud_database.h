#pragma once

#include "platform/result.h"
#include "sharing/cloud_database.h"

#include <memory>

namespace quillora {

// The public database on a PostgreSQL server, reached with libpq. Records live in the table
// "QuilloraResume" (made when missing): "recordName" text primary key, "exportId" text,
// "exportedAt" timestamptz, "title" text, "fullName" text, "pdf" bytea, "json" bytea.
//
// Account status: no connection string → no account; a server that cannot be reached or is
// not accepting connections → temporarily unavailable; a server that refuses us (password,
// role, database) → no account; connected → available. A connection string that libpq cannot
// read fails the request itself. Database errors: permission denied → permission failure, a
// missing row → unknown item, anything else → internal error with the server's message.
class PostgresCloudDatabase final : public CloudDatabase {
public:
    // `connectionString` in libpq syntax (key=value pairs or a postgresql:// URI); empty means
    // that no database is configured.
    explicit PostgresCloudDatabase(QString connectionString);
    ~PostgresCloudDatabase() override;
    PostgresCloudDatabase(const PostgresCloudDatabase&) = delete;
    PostgresCloudDatabase& operator=(const PostgresCloudDatabase&) = delete;

    // The connection string in the environment (QUILLORA_CLOUD_DATABASE), empty when unset.
    static QString configuredConnectionString();

    CloudResult<CKAccountStatus> accountStatus() override;
    CloudResult<CloudRecord> save(const CloudRecord& record) override;
    CloudResult<CloudRecord> fetch(const QString& recordName) override;
    CloudResult<QString> deleteRecord(const QString& recordName) override;

private:
    struct Connection;
    CloudResult<Done> connected();
    CloudResult<Done> ensureTable();

    QString m_connectionString;
    std::unique_ptr<Connection> m_connection;
    bool m_tableChecked = false;
};

} // namespace quillora
