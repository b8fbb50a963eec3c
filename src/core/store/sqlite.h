#pragma once

#include "platform/result.h"

#include <QByteArray>
#include <QString>

#include <optional>

struct sqlite3;
struct sqlite3_stmt;

namespace quillora::sql {

class Database;

// One prepared statement. Binding is 1-based like SQLite's; reading columns is 0-based.
class Statement final {
public:
    Statement() = default;
    Statement(Statement&& other) noexcept;
    Statement& operator=(Statement&& other) noexcept;
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    ~Statement();

    bool isValid() const { return m_stmt != nullptr; }

    void bindNull(int index);
    void bind(int index, qint64 value);
    void bind(int index, double value);
    // Text always binds as text: an empty string is '' and never NULL.
    void bind(int index, const QString& value);
    void bindBlob(int index, const QByteArray& value);
    void bind(int index, const std::optional<QString>& value);

    // Advances to the next row. Returns true while a row is available; false at the end
    // or on error (see error()).
    bool next();
    // Runs a statement that returns no rows.
    Status exec();
    void reset();

    bool isNull(int column) const;
    qint64 int64(int column) const;
    double real(int column) const;
    QString text(int column) const;
    std::optional<QString> optionalText(int column) const;
    QByteArray blob(int column) const;

    QString error() const { return m_error; }

private:
    friend class Database;
    Statement(sqlite3_stmt* stmt, sqlite3* db)
        : m_stmt(stmt)
        , m_db(db) {}

    sqlite3_stmt* m_stmt = nullptr;
    sqlite3* m_db = nullptr;
    QString m_error;
};

// An open SQLite connection. Closed when destroyed.
class Database final {
public:
    enum class Mode { ReadWrite, ReadWriteCreate, ReadOnly };

    Database() = default;
    Database(Database&& other) noexcept;
    Database& operator=(Database&& other) noexcept;
    Database(const Database&) = delete;
    Database& operator=(const Database&) = delete;
    ~Database();

    static Result<Database> open(const QString& path, Mode mode = Mode::ReadWriteCreate);
    static Result<Database> openInMemory();

    bool isOpen() const { return m_db != nullptr; }

    Result<Statement> prepare(const QString& sql) const;
    // Runs one or more statements that return no rows.
    Status exec(const QString& sql) const;

    qint64 lastInsertRowId() const;
    int changes() const;
    // Rows inserted, changed or deleted through this connection since it opened.
    qint64 totalChanges() const;
    QString lastError() const;

private:
    explicit Database(sqlite3* db)
        : m_db(db) {}
    void close();

    sqlite3* m_db = nullptr;
};

// True when the file at path starts with SQLite's file header (an empty file counts as not).
bool hasSqliteHeader(const QString& path);

} // namespace quillora::sql
