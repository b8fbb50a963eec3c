#include "support/cloud_test_database.h"

#include <libpq-fe.h>

namespace quillora::test {

namespace {

// A value quoted for a libpq connection string.
QString quoted(const QString& value) {
    QString escaped = value;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"))
        .replace(QLatin1Char('\''), QStringLiteral("\\'"));
    return QLatin1Char('\'') + escaped + QLatin1Char('\'');
}

} // namespace

struct CloudTestDatabase::Connection final {
    PGconn* handle = nullptr;
    ~Connection() { PQfinish(handle); }
};

CloudTestDatabase::CloudTestDatabase() = default;
CloudTestDatabase::~CloudTestDatabase() = default;

bool CloudTestDatabase::required() {
    return qEnvironmentVariable("QUILLORA_REQUIRE_DATABASE") == QLatin1String("1");
}

QString CloudTestDatabase::connectionString(const QString& user, const QString& password) {
    if (qEnvironmentVariableIsEmpty("PGHOST") && qEnvironmentVariableIsEmpty("PGPORT") &&
        qEnvironmentVariableIsEmpty("PGDATABASE"))
        return QString();
    QStringList parts;
    const auto add = [&parts](const char* key, const QString& value) {
        if (!value.isEmpty())
            parts << QString::fromLatin1(key) + QLatin1Char('=') + quoted(value);
    };
    add("host", qEnvironmentVariable("PGHOST"));
    add("port", qEnvironmentVariable("PGPORT"));
    add("dbname", qEnvironmentVariable("PGDATABASE"));
    add("user", user.isEmpty() ? qEnvironmentVariable("PGUSER") : user);
    add("password", user.isEmpty() ? qEnvironmentVariable("PGPASSWORD") : password);
    return parts.join(QLatin1Char(' '));
}

bool CloudTestDatabase::open(QString* problem) {
    const QString conninfo = connectionString();
    if (conninfo.isEmpty()) {
        *problem = QStringLiteral("PGHOST, PGPORT and PGDATABASE are not set");
        return false;
    }
    m_connection = std::make_unique<Connection>();
    m_connection->handle = PQconnectdb(conninfo.toUtf8().constData());
    if (PQstatus(m_connection->handle) != CONNECTION_OK) {
        *problem = QString::fromUtf8(PQerrorMessage(m_connection->handle)).trimmed();
        m_connection.reset();
        return false;
    }
    exec(QStringLiteral("SET client_min_messages = warning"));
    return true;
}

QString CloudTestDatabase::exec(const QString& sql) {
    if (!m_connection)
        return QStringLiteral("not connected");
    PGresult* result = PQexec(m_connection->handle, sql.toUtf8().constData());
    const ExecStatusType status = PQresultStatus(result);
    QString error;
    if (status != PGRES_COMMAND_OK && status != PGRES_TUPLES_OK)
        error = QString::fromUtf8(PQresultErrorMessage(result)).trimmed();
    PQclear(result);
    return error;
}

QList<QList<QByteArray>> CloudTestDatabase::rows(const QString& sql) {
    QList<QList<QByteArray>> out;
    if (!m_connection)
        return out;
    PGresult* result = PQexec(m_connection->handle, sql.toUtf8().constData());
    if (PQresultStatus(result) == PGRES_TUPLES_OK) {
        for (int row = 0; row < PQntuples(result); ++row) {
            QList<QByteArray> values;
            for (int column = 0; column < PQnfields(result); ++column) {
                QByteArray value(PQgetvalue(result, row, column), PQgetlength(result, row, column));
                if (PQftype(result, column) == 17 && value.startsWith("\\x")) // bytea, hex output
                    value = QByteArray::fromHex(value.mid(2));
                values << value;
            }
            out << values;
        }
    }
    PQclear(result);
    return out;
}

} // namespace quillora::test
