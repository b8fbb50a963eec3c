#include "store/sqlite.h"

#include <QFile>

#include <sqlite3.h>

namespace quillora::sql {

namespace {

QString messageOf(sqlite3* db, int code) {
    if (db != nullptr && sqlite3_errcode(db) == code)
        return QString::fromUtf8(sqlite3_errmsg(db));
    return QString::fromUtf8(sqlite3_errstr(code));
}

} // namespace

Statement::Statement(Statement&& other) noexcept
    : m_stmt(std::exchange(other.m_stmt, nullptr))
    , m_db(other.m_db)
    , m_error(std::move(other.m_error)) {}

Statement& Statement::operator=(Statement&& other) noexcept {
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_db = other.m_db;
        m_error = std::move(other.m_error);
    }
    return *this;
}

Statement::~Statement() {
    sqlite3_finalize(m_stmt);
}

void Statement::bindNull(int index) {
    sqlite3_bind_null(m_stmt, index);
}

void Statement::bind(int index, qint64 value) {
    sqlite3_bind_int64(m_stmt, index, value);
}

void Statement::bind(int index, double value) {
    sqlite3_bind_double(m_stmt, index, value);
}

void Statement::bind(int index, const QString& value) {
    const QByteArray utf8 = value.toUtf8();
    // A non-null pointer even for "" so SQLite stores '' rather than NULL.
    sqlite3_bind_text(m_stmt, index, utf8.constData() ? utf8.constData() : "", int(utf8.size()),
                      SQLITE_TRANSIENT);
}

void Statement::bindBlob(int index, const QByteArray& value) {
    static const char empty = 0;
    sqlite3_bind_blob64(m_stmt, index, value.isEmpty() ? &empty : value.constData(),
                        sqlite3_uint64(value.size()), SQLITE_TRANSIENT);
}

void Statement::bind(int index, const std::optional<QString>& value) {
    if (value)
        bind(index, *value);
    else
        bindNull(index);
}

bool Statement::next() {
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return true;
    if (rc != SQLITE_DONE)
        m_error = messageOf(m_db, rc);
    return false;
}

Status Statement::exec() {
    const int rc = sqlite3_step(m_stmt);
    sqlite3_reset(m_stmt);
    if (rc == SQLITE_DONE || rc == SQLITE_ROW)
        return success();
    m_error = messageOf(m_db, rc);
    return Status::failure(m_error);
}

void Statement::reset() {
    sqlite3_reset(m_stmt);
    sqlite3_clear_bindings(m_stmt);
}

bool Statement::isNull(int column) const {
    return sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

qint64 Statement::int64(int column) const {
    return sqlite3_column_int64(m_stmt, column);
}

double Statement::real(int column) const {
    return sqlite3_column_double(m_stmt, column);
}

QString Statement::text(int column) const {
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QString::fromUtf8(data, size) : QString();
}

std::optional<QString> Statement::optionalText(int column) const {
    if (isNull(column))
        return std::nullopt;
    return text(column);
}

QByteArray Statement::blob(int column) const {
    const void* data = sqlite3_column_blob(m_stmt, column);
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QByteArray(static_cast<const char*>(data), size) : QByteArray();
}

Database::Database(Database&& other) noexcept
    : m_db(std::exchange(other.m_db, nullptr)) {}

Database& Database::operator=(Database&& other) noexcept {
    if (this != &other) {
        close();
        m_db = std::exchange(other.m_db, nullptr);
    }
    return *this;
}

Database::~Database() {
    close();
}

void Database::close() {
    if (m_db != nullptr) {
        sqlite3_close_v2(m_db);
        m_db = nullptr;
    }
}

Result<Database> Database::open(const QString& path, Mode mode) {
    int flags = SQLITE_OPEN_FULLMUTEX;
    switch (mode) {
    case Mode::ReadOnly:
        flags |= SQLITE_OPEN_READONLY;
        break;
    case Mode::ReadWrite:
        flags |= SQLITE_OPEN_READWRITE;
        break;
    case Mode::ReadWriteCreate:
        flags |= SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE;
        break;
    }
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.toUtf8().constData(), &db, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString message = messageOf(db, rc);
        sqlite3_close_v2(db);
        return Result<Database>::failure(QStringLiteral("Cannot open %1: %2").arg(path, message));
    }
    sqlite3_extended_result_codes(db, 1);
    sqlite3_busy_timeout(db, 5000);
    // A double-quoted name that matches no column is an error, never a text literal: otherwise
    // a read of a renamed or missing column would quietly return the column's name as its value.
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DML, 0, nullptr);
    sqlite3_db_config(db, SQLITE_DBCONFIG_DQS_DDL, 0, nullptr);
    return Database(db);
}

Result<Database> Database::openInMemory() {
    return open(QStringLiteral(":memory:"));
}

Result<Statement> Database::prepare(const QString& sql) const {
    sqlite3_stmt* stmt = nullptr;
    const QByteArray utf8 = sql.toUtf8();
    const int rc = sqlite3_prepare_v2(m_db, utf8.constData(), int(utf8.size()), &stmt, nullptr);
    if (rc != SQLITE_OK) {
        sqlite3_finalize(stmt);
        return Result<Statement>::failure(messageOf(m_db, rc));
    }
    return Statement(stmt, m_db);
}

Status Database::exec(const QString& sql) const {
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc == SQLITE_OK)
        return success();
    const QString text = message ? QString::fromUtf8(message) : messageOf(m_db, rc);
    sqlite3_free(message);
    return Status::failure(text);
}

qint64 Database::lastInsertRowId() const {
    return sqlite3_last_insert_rowid(m_db);
}

int Database::changes() const {
    return sqlite3_changes(m_db);
}

qint64 Database::totalChanges() const {
    return sqlite3_total_changes64(m_db);
}

QString Database::lastError() const {
    return QString::fromUtf8(sqlite3_errmsg(m_db));
}

bool hasSqliteHeader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    static const QByteArray magic("SQLite format 3\0", 16);
    return file.read(16) == magic;
}

} // namespace quillora::sql
