#include "sharing/postgres_cloud_database.h"

#include "sharing/cloud_configuration.h"

#include <QFile>
#include <QHash>
#include <QSet>

#include <libpq-fe.h>

#include <algorithm>
#include <array>
#include <cerrno>
#include <functional>
#include <poll.h>
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

using Clock = std::chrono::steady_clock;

// The connection's options: UTF-8 text and the app's name for the server's activity view, then
// the caller's string, which overrides them. A time limit for the connection may follow, which
// overrides the string's.
struct ConnectOptions final {
    explicit ConnectOptions(const QString& connectionString, int connectSeconds = 0)
        : m_dbname(connectionString.toUtf8())
        , m_timeout(QByteArray::number(connectSeconds)) {
        if (connectSeconds > 0)
            keywords[3] = "connect_timeout";
    }

    std::array<const char*, 5> keywords{"client_encoding", "fallback_application_name", "dbname", nullptr,
                                        nullptr};
    std::array<const char*, 5> values() const {
        return {"UTF8", "Quillora", m_dbname.constData(), m_timeout.constData(), nullptr};
    }

private:
    QByteArray m_dbname;
    QByteArray m_timeout;
};

// Waits until the connection's socket is ready for one of `events`; the events that came, or 0
// when the deadline passed first or `stopped` said to stop. A socket that cannot be waited on
// counts as ready, so that libpq's next step reports what is wrong with it.
short waitForSocket(PGconn* connection, short events, Clock::time_point deadline,
                    const std::function<bool()>* stopped) {
    const int socket = PQsocket(connection);
    if (socket < 0)
        return events;
    // Short waits when someone may ask to stop, so that the answer comes at once.
    const bool stoppable = stopped && *stopped;
    const qint64 slice = stoppable ? 100 : 1000;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
        if (left <= 0 || (stoppable && (*stopped)()))
            return 0;
        pollfd watched{socket, events, 0};
        const int ready = ::poll(&watched, 1, int(std::min<qint64>(left, slice)));
        if (ready > 0)
            return watched.revents & (POLLIN | POLLOUT) ? watched.revents : events;
        if (ready < 0 && errno != EINTR)
            return events;
    }
}

// The names of libpq's connection options.
const QSet<QString>& optionNames() {
    static const QSet<QString> names = [] {
        QSet<QString> found;
        if (PQconninfoOption* defaults = PQconndefaults()) {
            for (const PQconninfoOption* option = defaults; option->keyword; ++option)
                found.insert(QString::fromUtf8(option->keyword));
            PQconninfoFree(defaults);
        }
        return found;
    }();
    return names;
}

bool isOption(const QByteArray& key) {
    return key == "requiressl" || optionNames().contains(QString::fromUtf8(key));
}

bool isBlank(char c) {
    return c == ' ' || (c >= '\t' && c <= '\r');
}

// Why a connection string cannot be read, in words of our own. libpq's explanation quotes pieces
// of the string, and any piece may hold the password whatever characters it is made of (a quote
// inside it ends libpq's quote early), so nothing of the string is shown: the string is walked
// the way libpq reads it, up to the first fault.
class ConnectionStringFault final {
public:
    static QString of(const QByteArray& text) {
        for (const char* prefix : {"postgresql://", "postgres://"}) {
            if (text.startsWith(prefix))
                return ConnectionStringFault(text).uriFault(qstrlen(prefix));
        }
        return ConnectionStringFault(text).keywordValueFault();
    }

private:
    explicit ConnectionStringFault(const QByteArray& text)
        : s(text) {}

    char at(qsizetype i) const { return i < s.size() ? s[i] : '\0'; }

    QString keywordValueFault() const {
        for (qsizetype i = 0;;) {
            while (isBlank(at(i)))
                ++i;
            if (i >= s.size())
                return {};
            const qsizetype keyStart = i;
            while (i < s.size() && at(i) != '=' && !isBlank(at(i)))
                ++i;
            const QByteArray key = s.mid(keyStart, i - keyStart);
            while (isBlank(at(i)))
                ++i;
            if (at(i) != '=')
                return QStringLiteral("a key is not followed by \"=\".");
            ++i;
            while (isBlank(at(i)))
                ++i;
            if (at(i) == '\'') {
                for (++i; at(i) != '\'';) {
                    if (i >= s.size())
                        return QStringLiteral("a quoted value has no closing quote.");
                    i += at(i) == '\\' ? 2 : 1;
                }
                ++i;
            } else {
                for (; i < s.size() && !isBlank(at(i)); ++i) {
                    if (at(i) == '\\')
                        ++i;
                }
            }
            if (!isOption(key))
                return QStringLiteral("it names an option the database library does not know.");
        }
    }

    // The fault of a %-escaped piece of a URI, or empty.
    static QString escapeFault(const QByteArray& piece) {
        for (qsizetype i = 0; i < piece.size(); ++i) {
            if (piece[i] != '%')
                continue;
            if (i + 2 >= piece.size() || !isxdigit(uchar(piece[i + 1])) || !isxdigit(uchar(piece[i + 2])))
                return QStringLiteral("a \"%\" is not followed by two hexadecimal digits.");
            if (piece[i + 1] == '0' && piece[i + 2] == '0')
                return QStringLiteral("it holds the forbidden escape %00.");
            i += 2;
        }
        return {};
    }

    QString uriFault(qsizetype i) const {
        QByteArrayList decoded; // the pieces libpq decodes, in its order
        qsizetype end = i;
        while (end < s.size() && at(end) != '@' && at(end) != '/')
            ++end;
        if (at(end) == '@') {
            const qsizetype colon = s.indexOf(':', i);
            decoded << s.mid(i, (colon >= 0 && colon < end ? colon : end) - i);
            if (colon >= 0 && colon < end)
                decoded << s.mid(colon + 1, end - colon - 1);
            i = end + 1;
        }
        static const QByteArray hostEnd(":/?,");
        char last = '\0';
        do {
            if (at(i) == ',')
                ++i;
            const qsizetype hostStart = i;
            if (at(i) == '[') {
                while (i < s.size() && at(i) != ']')
                    ++i;
                if (i >= s.size())
                    return QStringLiteral("an IPv6 host address has no closing \"]\".");
                if (i == hostStart + 1)
                    return QStringLiteral("an IPv6 host address is empty.");
                ++i;
                if (i < s.size() && !hostEnd.contains(at(i)))
                    return QStringLiteral("an IPv6 host address is followed by something other than \":\" "
                                          "or \"/\".");
            } else {
                while (i < s.size() && !hostEnd.contains(at(i)))
                    ++i;
            }
            decoded << s.mid(hostStart, i - hostStart);
            last = at(i);
            if (last == ':') {
                const qsizetype portStart = ++i;
                while (i < s.size() && !QByteArray("/?,").contains(at(i)))
                    ++i;
                decoded << s.mid(portStart, i - portStart);
                last = at(i);
            }
        } while (last == ',');
        if (last != '\0' && last != '?') {
            const qsizetype nameStart = ++i;
            while (i < s.size() && at(i) != '?')
                ++i;
            decoded << s.mid(nameStart, i - nameStart);
            last = at(i);
        }
        for (const QByteArray& piece : std::as_const(decoded)) {
            if (QString fault = escapeFault(piece); !fault.isEmpty())
                return fault;
        }
        if (last == '\0')
            return {};
        for (qsizetype from = i + 1; from < s.size();) {
            const qsizetype stop = s.indexOf('&', from) < 0 ? s.size() : s.indexOf('&', from);
            const QByteArray parameter = s.mid(from, stop - from);
            from = stop + 1;
            const qsizetype equals = parameter.indexOf('=');
            if (equals < 0)
                return QStringLiteral("a query parameter has no \"=\".");
            if (parameter.indexOf('=', equals + 1) >= 0)
                return QStringLiteral("a query parameter has more than one \"=\".");
            const QByteArray key = parameter.left(equals);
            const QByteArray value = parameter.mid(equals + 1);
            if (QString fault = escapeFault(key); !fault.isEmpty())
                return fault;
            if (QString fault = escapeFault(value); !fault.isEmpty())
                return fault;
            const QByteArray name = QByteArray::fromPercentEncoding(key);
            if (!isOption(name) && !(name == "ssl" && QByteArray::fromPercentEncoding(value) == "true"))
                return QStringLiteral("a query parameter names an option the database library does not "
                                      "know.");
        }
        return {};
    }

    QByteArray s;
};

// Whether a string names several hosts with a different number of ports or host addresses, which
// libpq refuses before it tries to connect.
bool hostsAndPortsDiffer(const QString& connectionString) {
    QHash<QByteArray, qsizetype> counts;
    if (PQconninfoOption* parsed = PQconninfoParse(connectionString.toUtf8().constData(), nullptr)) {
        for (const PQconninfoOption* option = parsed; option->keyword; ++option) {
            if (option->val && *option->val)
                counts.insert(option->keyword, QByteArray(option->val).count(',') + 1);
        }
        PQconninfoFree(parsed);
    }
    const qsizetype hosts = std::max(counts.value("host", 1), counts.value("hostaddr", 1));
    return (counts.contains("hostaddr") && counts.contains("host") && counts["host"] != counts["hostaddr"]) ||
           (counts.contains("port") && counts["port"] != 1 && counts["port"] != hosts);
}

CKError unknownItem() {
    return CKError{CKError::unknownItem, QStringLiteral("Record not found")};
}

} // namespace

struct PostgresCloudDatabase::Connection final {
    ConnectionHandle handle;
    // Set when a statement ran out of time or the connection failed: what the server will still
    // send is unknown, so the connection is not used again.
    bool broken = false;
    const std::function<bool()>* stopped = nullptr; // the owner's, when it may be asked to stop

    // Runs one statement; text parameters unless `binary` marks them as bytes.
    CloudResult<ResultHandle> run(const char* sql, const std::vector<QByteArray>& params,
                                  const std::vector<int>& binary, Clock::time_point deadline) {
        std::vector<const char*> values;
        std::vector<int> lengths;
        std::vector<int> formats;
        for (size_t i = 0; i < params.size(); ++i) {
            values.push_back(params[i].constData());
            lengths.push_back(int(params[i].size()));
            formats.push_back(i < binary.size() ? binary[i] : 0);
        }
        PGconn* connection = handle.get();
        if (!PQsendQueryParams(connection, sql, int(params.size()), nullptr, values.data(), lengths.data(),
                               formats.data(), 0))
            return failureOf(nullptr);
        // Everything is sent, reading what the server says meanwhile, then the answer is awaited.
        for (int flushed = PQflush(connection); flushed != 0; flushed = PQflush(connection)) {
            if (flushed < 0)
                return failureOf(nullptr);
            const short ready = waitForSocket(connection, POLLIN | POLLOUT, deadline, stopped);
            if (ready == 0)
                return outOfTime();
            if ((ready & POLLIN) && !PQconsumeInput(connection))
                return failureOf(nullptr);
        }
        ResultHandle result;
        for (;;) {
            while (PQisBusy(connection)) {
                if (waitForSocket(connection, POLLIN, deadline, stopped) == 0)
                    return outOfTime();
                if (!PQconsumeInput(connection))
                    return failureOf(nullptr);
            }
            ResultHandle next(PQgetResult(connection));
            if (!next)
                break;
            if (!result)
                result = std::move(next);
        }
        const ExecStatusType status = result ? PQresultStatus(result.get()) : PGRES_FATAL_ERROR;
        if (status == PGRES_COMMAND_OK || status == PGRES_TUPLES_OK)
            return result;
        return failureOf(result.get());
    }

    // Runs one statement in a transaction of its own and commits it only once the statement has
    // answered: one the server finishes after this client has gone (killed, or quit while the
    // statement waited for a lock) is rolled back when the server finds the connection closed, never
    // kept. `commitLost` is set when the commit got no answer, so it may have happened. A connection
    // broken by a failure must be dropped at once, which rolls back what is open.
    CloudResult<ResultHandle> runAlone(const char* sql, const std::vector<QByteArray>& params,
                                       const std::vector<int>& binary, Clock::time_point deadline,
                                       bool& commitLost) {
        commitLost = false;
        if (const CloudResult<ResultHandle> begun = run("BEGIN", {}, {}, deadline); !begun)
            return begun.failure();
        CloudResult<ResultHandle> done = run(sql, params, binary, deadline);
        if (!done) {
            if (!broken)
                (void)run("ROLLBACK", {}, {}, deadline);
            return done;
        }
        // A commit the server refuses ends the transaction; one that got no answer may have happened.
        if (const CloudResult<ResultHandle> committed = run("COMMIT", {}, {}, deadline); !committed) {
            commitLost = broken;
            return committed.failure();
        }
        return done;
    }

    CKError outOfTime() {
        broken = true;
        return CKError{CKError::networkFailure, QStringLiteral("The cloud database did not answer in time.")};
    }

    // The server's error, or a lost connection (the server's answer, if any, did not arrive),
    // after which the connection is not used again.
    CKError failureOf(const PGresult* result) {
        if (!result) {
            broken = true;
            return CKError{CKError::networkFailure, trimmed(PQerrorMessage(handle.get()))};
        }
        const char* state = result ? PQresultErrorField(result, PG_DIAG_SQLSTATE) : nullptr;
        const char* primary = result ? PQresultErrorField(result, PG_DIAG_MESSAGE_PRIMARY) : nullptr;
        const QString message = primary ? trimmed(primary) : trimmed(PQerrorMessage(handle.get()));
        if (state && qstrcmp(state, "42501") == 0) // insufficient_privilege
            return CKError{CKError::permissionFailure, message};
        if (state && qstrcmp(state, "57014") == 0) // query_canceled: the server's own time limit
            return CKError{CKError::networkFailure,
                           QStringLiteral("The cloud database did not answer in time.")};
        return CKError{CKError::internalError, message};
    }
};

PostgresCloudDatabase::PostgresCloudDatabase(QString connectionString, std::chrono::milliseconds timeLimit)
    : m_connectionString(std::move(connectionString))
    , m_timeLimit(timeLimit) {
    if (PQconninfoOption* parsed = PQconninfoParse(m_connectionString.toUtf8().constData(), nullptr)) {
        for (const PQconninfoOption* option = parsed; option->keyword; ++option) {
            if (qstrcmp(option->keyword, "password") == 0 && option->val && *option->val)
                m_secrets << QString::fromUtf8(option->val);
        }
        PQconninfoFree(parsed);
    }
    if (const QString fromEnvironment = qEnvironmentVariable("PGPASSWORD"); !fromEnvironment.isEmpty())
        m_secrets << fromEnvironment;
}

PostgresCloudDatabase::~PostgresCloudDatabase() = default;

QString PostgresCloudDatabase::withoutSecrets(QString text) const {
    for (const QString& secret : m_secrets)
        text.replace(secret, QStringLiteral("…"));
    return text;
}

QString PostgresCloudDatabase::configuredConnectionString() {
    return qEnvironmentVariable(kCloudDatabaseVariable);
}

void PostgresCloudDatabase::bound(Clock::time_point deadline, std::function<bool()> stopped) {
    m_bound = deadline;
    m_stopped = std::move(stopped);
}

void PostgresCloudDatabase::startCall() {
    m_deadline = std::min(Clock::now() + m_timeLimit, m_bound);
    if (m_connection && m_connection->broken)
        m_connection.reset();
}

CloudResult<CKAccountStatus> PostgresCloudDatabase::accountStatus() {
    startCall();
    return connect();
}

CloudResult<CKAccountStatus> PostgresCloudDatabase::connect() {
    m_connection.reset();
    if (m_connectionString.trimmed().isEmpty())
        return QuilloraCloudKitError::notConfigured();
    // Once stopped, nothing new is begun: looking the host up alone may take minutes.
    if (m_stopped && m_stopped())
        return CKAccountStatus::temporarilyUnavailable;

    // libpq's explanation is not passed on: it quotes the string.
    char* parseError = nullptr;
    PQconninfoOption* parsed = PQconninfoParse(m_connectionString.toUtf8().constData(), &parseError);
    if (!parsed) {
        QString fault = parseError ? ConnectionStringFault::of(m_connectionString.toUtf8())
                                   : QStringLiteral("out of memory.");
        PQfreemem(parseError);
        if (fault.isEmpty())
            fault = QStringLiteral("it is not in a form the database library reads.");
        return PlatformError{QStringLiteral("The cloud database connection string cannot be read: ") % fault};
    }
    PQconninfoFree(parsed);

    // libpq's own time limit ("connect_timeout") does not apply here: the deadline is ours.
    const ConnectOptions options(m_connectionString);
    const auto values = options.values();
    ConnectionHandle handle(PQconnectStartParams(options.keywords.data(), values.data(), 1));
    if (!handle)
        return PlatformError{QStringLiteral("The cloud database could not be reached: out of memory")};
    const auto rememberPassword = [&] {
        // The password libpq found (in the string, the environment or the password file).
        if (const char* password = PQpass(handle.get()); password && *password) {
            if (const QString used = QString::fromUtf8(password); !m_secrets.contains(used))
                m_secrets << used;
        }
    };
    rememberPassword();
    bool outOfTime = false;
    if (PQstatus(handle.get()) != CONNECTION_BAD) {
        for (PostgresPollingStatusType polling = PGRES_POLLING_WRITING;
             polling != PGRES_POLLING_OK && polling != PGRES_POLLING_FAILED;
             polling = PQconnectPoll(handle.get())) {
            if (waitForSocket(handle.get(), polling == PGRES_POLLING_READING ? POLLIN : POLLOUT, m_deadline,
                              &m_stopped) == 0) {
                outOfTime = true;
                break;
            }
        }
    }
    rememberPassword();
    if (!outOfTime && PQstatus(handle.get()) == CONNECTION_OK) {
        if (PQsetnonblocking(handle.get(), 1) != 0)
            return PlatformError{QStringLiteral("The cloud database could not be reached: ") %
                                 withoutSecrets(trimmed(PQerrorMessage(handle.get())))};
        m_connection = std::make_unique<Connection>(Connection{std::move(handle)});
        m_connection->stopped = &m_stopped;
        m_tableChecked = false;
        // The server gives up on a statement when the app does, so that a statement the app
        // stopped waiting for does not finish later: what the user was told stays true.
        const QByteArray limit = QByteArray::number(qint64(m_timeLimit.count()));
        if (const CloudResult<ResultHandle> set = m_connection->run(
                "SELECT set_config('statement_timeout', $1, false)", {limit}, {}, m_deadline);
            !set) {
            m_connection.reset();
            return set.failure();
        }
        return CKAccountStatus::available;
    }
    if (outOfTime)
        return CKAccountStatus::temporarilyUnavailable; // nothing answered in time
    if (PQconnectionNeedsPassword(handle.get()))
        return CKAccountStatus::noAccount;
    // The connection failed: ask whether a server answered at all, in the time that is left.
    const auto left = std::chrono::duration_cast<std::chrono::seconds>(m_deadline - Clock::now()).count();
    if (left < 1 || (m_stopped && m_stopped()))
        return CKAccountStatus::temporarilyUnavailable;
    const ConnectOptions pingOptions(m_connectionString, int(std::max<qint64>(2, left)));
    const auto pingValues = pingOptions.values();
    switch (PQpingParams(pingOptions.keywords.data(), pingValues.data(), 1)) {
    case PQPING_OK:
        return CKAccountStatus::noAccount; // it answered and refused us
    case PQPING_REJECT:
    case PQPING_NO_RESPONSE:
        return CKAccountStatus::temporarilyUnavailable;
    case PQPING_NO_ATTEMPT:
        break;
    }
    // libpq did not try: the options do not fit together or one of their values is not one it
    // accepts. Its explanation quotes the value, so it is not passed on either.
    return PlatformError{QStringLiteral("The cloud database could not be reached: ") %
                         (hostsAndPortsDiffer(m_connectionString)
                              ? QStringLiteral("the connection string does not give as many ports or host "
                                               "addresses as hosts.")
                              : QStringLiteral("an option of the connection string has a value the database "
                                               "library does not accept."))};
}

CloudResult<Done> PostgresCloudDatabase::connected() {
    if (m_connection)
        return Done{};
    const CloudResult<CKAccountStatus> status = connect();
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
            m_connection->run("SELECT to_regclass($1) IS NOT NULL", {table}, {}, m_deadline);
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
        if (const CloudResult<ResultHandle> made = m_connection->run(create.constData(), {}, {}, m_deadline);
            !made) {
            // Another client may have made it at the same moment.
            present = exists();
            if (!present || !present.value())
                return made.failure();
        }
    }
    m_tableChecked = true;
    return Done{};
}

CloudResult<CloudRecord> PostgresCloudDatabase::save(const CloudRecord& record, bool& mayHaveSaved) {
    mayHaveSaved = false;
    startCall();
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
        m_connection->runAlone(sql.constData(),
                               {record.recordName.toUtf8(), record.exportId.toUtf8(), exportedAt,
                                record.title.toUtf8(), record.fullName.toUtf8(), assets[0], assets[1]},
                               {0, 0, 0, 0, 0, 1, 1}, m_deadline, mayHaveSaved);
    if (!inserted) {
        if (m_connection->broken)
            m_connection.reset(); // closing the connection rolls back
        return inserted.failure();
    }
    return record;
}

CloudResult<CloudRecord> PostgresCloudDatabase::fetch(const QString& recordName) {
    startCall();
    if (const CloudResult<Done> ready = ensureTable(); !ready)
        return ready.failure();
    const QByteArray sql =
        "SELECT \"recordName\", \"exportId\", "
        "(extract(epoch FROM \"exportedAt\") * 1000)::bigint, \"title\", \"fullName\" FROM " +
        tableName() + " WHERE \"recordName\" = $1";
    const CloudResult<ResultHandle> found =
        m_connection->run(sql.constData(), {recordName.toUtf8()}, {}, m_deadline);
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
    startCall();
    if (const CloudResult<Done> ready = ensureTable(); !ready)
        return ready.failure();
    const QByteArray sql = "DELETE FROM " + tableName() + " WHERE \"recordName\" = $1";
    bool commitLost = false;
    const CloudResult<ResultHandle> deleted =
        m_connection->runAlone(sql.constData(), {recordName.toUtf8()}, {}, m_deadline, commitLost);
    if (!deleted) {
        if (m_connection->broken)
            m_connection.reset(); // closing the connection rolls back
        return deleted.failure();
    }
    if (qstrcmp(PQcmdTuples(deleted.value().get()), "0") == 0)
        return unknownItem();
    return recordName;
}

} // namespace quillora
