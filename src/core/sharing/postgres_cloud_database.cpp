#include "sharing/postgres_cloud_database.h"

#include "sharing/cloud_configuration.h"

#include <QFile>

#include <libpq-fe.h>

#include <array>
#include <vector>

namespace quillora {

namespace {

struct ResultDeleter {
    void operator()(PGresult* result) const { PQclear(result); }
};
using ResultHandle = std::unique_ptr<PGresult, ResultDeleter>;

struct ConnectionDeleter {
    void operator()(PGconn* connection) const { PQfinish(connection); }
};
using ConnectionHandle = std::unique_ptr<PGconn, ConnectionDeleter>;

// "QuilloraResume", quoted as an SQL identifier.
QByteArray tableName() {
    return '"' + morvessaRecordType().toUtf8() + '"';
}

// libpq's messages end with a line break; ours do not.
QString trimmed(const char* message) {
    return QString::fromUtf8(message).trimmed();
}

// The connection's options: a time limit unless the string sets one, UTF-8 text and the app's
// name for the server's activity view, then the caller's string, which overrides them.
struct ConnectOptions final {
    explicit ConnectOptions(const QString& connectionString)
        : m_dbname(connectionString.toUtf8()) {}

    std::array<const char*, 5> keywords{"connect_timeout", "client_encoding", "fallback_application_name",
                                        "dbname", nullptr};
    std::array<const char*, 5> values() const {
        return {"10", "UTF8", "Quillora", m_dbname.constData(), nullptr};
    }

private:
    QByteArray m_dbname;
};

CKError unknownItem() {
    return CKError{CKError::unknownItem, QStringLiteral("Record not found")};
}

} // namespace

struct PostgresCloudDatabase::Connection final {
    ConnectionHandle handle;

    // Runs one statement; text parameters unless `binary` marks them as bytes.
    CloudResult<ResultHandle> run(const char* sql, const std::vector<QByteArray>& params,
                                  const std::vector<int>& binary = {}) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (size_t i = 0; i < params.size(); ++i) {
            values.push_back(params[i].constData());
            lengths.push_back(int(params[i].size()));
            formats.push_back(i < binary.size() ? binary[i] : 0);
        }
        ResultHandle result(PQexecParams(handle.get(), sql, int(params.size()), nullptr, values.data(),
                                         lengths.data(), formats.data(), 0));
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        return failureOf(result.get());
    }

    CKError failureOf(const PGresult* result) const {
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        const QString message = primary ? trimmed(primary) : trimmed(PQerrorMessage(handle.get()));
        if (state && qstrcmp(state, "42501") == 0) // insufficient_privilege
            return CKError{CKError::permissionFailure, message};
        return CKError{CKError::internalError, message};
    }
};

PostgresCloudDatabase::PostgresCloudDatabase(QString connectionString)
    : m_connectionString(std::move(connectionString)) {}

PostgresCloudDatabase::~PostgresCloudDatabase() = default;

QString PostgresCloudDatabase::configuredConnectionString() {
    return qEnvironmentVariable(kCloudDatabaseVariable);
}

CloudResult<CKAccountStatus> PostgresCloudDatabase::accountStatus() {
    if (m_connectionString.trimmed().isEmpty())
        return CKAccountStatus::noAccount;

    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(m_connectionString.toUtf8().constData(), &parseError);
    if (!parsed) {
        const QString detail = parseError ? trimmed(parseError) : QStringLiteral("out of memory");
        PQfreemem(parseError);
        return PlatformError{QStringLiteral("The cloud database connection string cannot be read: ") %
                             detail};
    }
    PQconninfoFree(parsed);

    const ConnectOptions options(m_connectionString);
    const auto values = options.values();
    ConnectionHandle handle(PQconnectdbParams(options.keywords.data(), values.data(), 1));
    if (handle && PQstatus(handle.get()) == CONNECTION_OK) {
        m_connection = std::make_unique<Connection>(Connection{std::move(handle)});
        m_tableChecked = false;
        return CKAccountStatus::available;
    }
    if (handle && PQconnectionNeedsPassword(handle.get()))
        return CKAccountStatus::noAccount;
    // The connection failed: ask whether a server answered at all.
    switch (PQpingParams(options.keywords.data(), values.data(), 1)) {
    case PQPING_OK:
        return CKAccountStatus::noAccount; // it answered and refused us
    case PQPING_REJECT:
    case PQPING_NO_RESPONSE:
        return CKAccountStatus::temporarilyUnavailable;
    case PQPING_NO_ATTEMPT:
        break;
    }
    return PlatformError{QStringLiteral("The cloud database could not be reached: ") %
                         (handle ? trimmed(PQerrorMessage(handle.get())) : QStringLiteral("out of memory"))};
}

CloudResult<Done> PostgresCloudDatabase::connected() {
    if (m_connection)
        return Done{};
    const CloudResult<CKAccountStatus> status = accountStatus();
    if (!status)
        return status.failure();
    if (status.value() != CKAccountStatus::available)
        return QuilloraCloudKitError::unavailable(status.value());
    return Done{};
}

CloudResult<Done> PostgresCloudDatabase::ensureTable() {
    if (const CloudResult<Done> ready = connected(); !ready)
        return ready;
    if (m_tableChecked)
        return Done{};
    const QByteArray table = tableName();
    const auto exists = [&]() -> CloudResult<bool> {
        const CloudResult<ResultHandle> found =
            m_connection->run("SELECT to_regclass($1) IS NOT NULL", {table});
        if (!found)
            return found.failure();
        return qstrcmp(PQgetvalue(found.value().get(), 0, 0), "t") == 0;
    };
    CloudResult<bool> present = exists();
    if (!present)
        return present.failure();
    if (!present.value()) {
        // Checked first so that a role without the right to create tables can still use one.
        const QByteArray create =
            "CREATE TABLE IF NOT EXISTS " + table +
            " (\"recordName\" text PRIMARY KEY, \"exportId\" text NOT NULL, "
            "\"exportedAt\" timestamptz NOT NULL, \"title\" text NOT NULL, "
            "\"fullName\" text NOT NULL, \"pdf\" bytea NOT NULL, \"json\" bytea NOT NULL)";
        if (const CloudResult<ResultHandle> made = m_connection->run(create.constData(), {}); !made) {
            // Another client may have made it at the same moment.
            present = exists();
            if (!present || !present.value())
                return made.failure();
        }
    }
    m_tableChecked = true;
    return Done{};
}

CloudResult<CloudRecord> PostgresCloudDatabase::save(const CloudRecord& record) {
    if (record.recordType != morvessaRecordType())
        return CKError{CKError::internalError, QStringLiteral("Unknown record type ") % record.recordType};
    if (const CloudResult<Done> ready = ensureTable(); !ready)
        return ready.failure();

    std::vector<QByteArray> assets;
    for (const QString& path : {record.pdfPath, record.jsonPath}) {
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return PlatformError{
                QStringLiteral("The file “%1” could not be read: %2").arg(path, file.errorString())};
        assets.push_back(file.readAll());
    }

    const QByteArray sql =
        "INSERT INTO " + tableName() +
        " (\"recordName\", \"exportId\", \"exportedAt\", \"title\", \"fullName\", \"pdf\", "
        "\"json\") VALUES ($1, $2, $3, $4, $5, $6, $7)";
    const QByteArray exportedAt = record.exportedAt.toUTC().toString(Qt::ISODateWithMs).toUtf8();
    const CloudResult<ResultHandle> inserted =
        m_connection->run(sql.constData(),
                          {record.recordName.toUtf8(), record.exportId.toUtf8(), exportedAt,
                           record.title.toUtf8(), record.fullName.toUtf8(), assets[0], assets[1]},
                          {0, 0, 0, 0, 0, 1, 1});
    if (!inserted)
        return inserted.failure();
    return record;
}

CloudResult<CloudRecord> PostgresCloudDatabase::fetch(const QString& recordName) {
    if (const CloudResult<Done> ready = ensureTable(); !ready)
        return ready.failure();
    const QByteArray sql =
        "SELECT \"recordName\", \"exportId\", "
        "(extract(epoch FROM \"exportedAt\") * 1000)::bigint, \"title\", \"fullName\" FROM " +
        tableName() + " WHERE \"recordName\" = $1";
    const CloudResult<ResultHandle> found = m_connection->run(sql.constData(), {recordName.toUtf8()});
    if (!found)
        return found.failure();
    const PGresult* rows = found.value().get();
    if (PQntuples(rows) == 0)
        return unknownItem();
    CloudRecord record;
    record.recordType = morvessaRecordType();
    record.recordName = QString::fromUtf8(PQgetvalue(rows, 0, 0));
    record.exportId = QString::fromUtf8(PQgetvalue(rows, 0, 1));
    record.exportedAt =
        QDateTime::fromMSecsSinceEpoch(QByteArray(PQgetvalue(rows, 0, 2)).toLongLong(), Qt::UTC);
    record.title = QString::fromUtf8(PQgetvalue(rows, 0, 3));
    record.fullName = QString::fromUtf8(PQgetvalue(rows, 0, 4));
    return record;
}

CloudResult<QString> PostgresCloudDatabase::deleteRecord(const QString& recordName) {
    if (const CloudResult<Done> ready = ensureTable(); !ready)
        return ready.failure();
    const QByteArray sql = "DELETE FROM " + tableName() + " WHERE \"recordName\" = $1";
    const CloudResult<ResultHandle> deleted = m_connection->run(sql.constData(), {recordName.toUtf8()});
    if (!deleted)
        return deleted.failure();
    if (qstrcmp(PQcmdTuples(deleted.value().get()), "0") == 0)
        return unknownItem();
    return recordName;
}

} // namespace quillora
