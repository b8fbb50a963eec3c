#pragma once

#include "platform/result.h"
#include "sharing/cloud_database.h"

#include <QStringList>

#include <chrono>
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
//
// A save inserts its row, and a delete deletes it, in a transaction of its own, committed only once
// the statement has answered: one the server finishes after this client has gone is rolled back,
// never kept. Only a commit whose answer is lost may have changed the table after a failure.
//
// Every call ends within the time limit (and the bound, when one is set), whatever the connection
// string asks for (a server that accepts and never answers included): a connection not made by
// then counts as temporarily unavailable, a statement not answered by then as a network failure.
// Looking up the host's name is the system resolver's and takes as long as it does; once the bound
// says stop, no call begins a connection. No text this class reports quotes the connection
// string's password, or one libpq found elsewhere.
class PostgresCloudDatabase final : public CloudDatabase {
public:
    static constexpr std::chrono::milliseconds defaultTimeLimit{std::chrono::seconds(30)};

    // `connectionString` in libpq syntax (key=value pairs or a postgresql:// URI); empty means
    // that no database is configured. `timeLimit` bounds each call.
    explicit PostgresCloudDatabase(QString connectionString,
                                   std::chrono::milliseconds timeLimit = defaultTimeLimit);
    ~PostgresCloudDatabase() override;
    PostgresCloudDatabase(const PostgresCloudDatabase&) = delete;
    PostgresCloudDatabase& operator=(const PostgresCloudDatabase&) = delete;

    // The connection string in the environment (QUILLORA_CLOUD_DATABASE), empty when unset.
    static QString configuredConnectionString();

    CloudResult<CKAccountStatus> accountStatus() override;
    CloudResult<CloudRecord> save(const CloudRecord& record, bool& mayHaveSaved) override;
    CloudResult<CloudRecord> fetch(const QString& recordName) override;
    CloudResult<QString> deleteRecord(const QString& recordName) override;
    void bound(std::chrono::steady_clock::time_point deadline, std::function<bool()> stopped) override;

private:
    struct Connection;
    using Clock = std::chrono::steady_clock;
    // Starts the time of one call; a connection left broken by the last call is dropped.
    void startCall();
    CloudResult<CKAccountStatus> connect();
    CloudResult<Done> connected();
    CloudResult<Done> ensureTable();
    // The text with every password this connection could use taken out.
    QString withoutSecrets(QString text) const;

    QString m_connectionString;
    std::chrono::milliseconds m_timeLimit;
    Clock::time_point m_deadline;
    Clock::time_point m_bound = Clock::time_point::max();
    std::function<bool()> m_stopped;
    QStringList m_secrets;
    std::unique_ptr<Connection> m_connection;
    bool m_tableChecked = false;
};

} // namespace quillora
