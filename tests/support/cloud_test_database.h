#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace quillora::test {

// The PostgreSQL server of a test run, named by the libpq variables (PGHOST, PGPORT, PGUSER,
// PGPASSWORD, PGDATABASE) that test.sh's throw-away cluster exports. Tests that need it call
// QUILLORA_REQUIRE_CLOUD_DATABASE: without a reachable server they are skipped, or fail when
// QUILLORA_REQUIRE_DATABASE is 1 (as under test.sh).
class CloudTestDatabase final {
public:
    CloudTestDatabase();
    ~CloudTestDatabase();
    CloudTestDatabase(const CloudTestDatabase&) = delete;
    CloudTestDatabase& operator=(const CloudTestDatabase&) = delete;

    static bool required();

    // Empty when the variables name no server.
    static QString connectionString(const QString& user = QString(), const QString& password = QString());

    // Connects as the variables' user; false with a reason when there is no server to reach.
    bool open(QString* problem);

    // Runs statements; a failure is returned as the server's message (empty on success).
    QString exec(const QString& sql);
    // The rows of a query, each value as text (bytea as its bytes); empty on failure.
    QList<QList<QByteArray>> rows(const QString& sql);

private:
    struct Connection;
    std::unique_ptr<Connection> m_connection;
};

} // namespace quillora::test

#define QUILLORA_REQUIRE_CLOUD_DATABASE(database)                                                            \
    do {                                                                                                     \
        QString quilloraProblem;                                                                             \
        if (!(database).open(&quilloraProblem)) {                                                            \
            if (quillora::test::CloudTestDatabase::required())                                               \
                QFAIL(qPrintable(QStringLiteral("No test database: ") + quilloraProblem));                   \
            QSKIP(qPrintable(QStringLiteral("No test database (run ./test.sh): ") + quilloraProblem));       \
        }                                                                                                    \
    } while (false)
