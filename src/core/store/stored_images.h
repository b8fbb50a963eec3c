#pragma once

#include "model/portfolio_item.h"
#include "platform/result.h"
#include "store/sqlite.h"

#include <QSet>
#include <QString>
#include <QUuid>

#include <optional>

namespace quillora {

// Portfolio images that a snapshot leaves in the store file, to be read later on a worker.
// Taking a snapshot of records must not stall the window by copying large images out of the
// store on the UI thread; instead the snapshot notes which images are still only in the store
// and a worker reads them through this second, read-only connection. Its read transaction
// begins while the snapshot is taken, so the worker sees exactly the committed state the
// records showed, whatever is saved meanwhile.
//
// defer() on the UI thread while taking the snapshot; then read() on one worker; the reader
// is not shared between threads at the same time.
class StoredImageReader final {
public:
    // `storeFilePath` empty (an in-memory store): nothing is deferred.
    explicit StoredImageReader(QString storeFilePath);
    ~StoredImageReader();
    StoredImageReader(const StoredImageReader&) = delete;
    StoredImageReader& operator=(const StoredImageReader&) = delete;

    // True when the item's image will be read later by read(); false when the snapshot must
    // take it from the record (already in memory, or not found the same way in the store).
    bool defer(const PortfolioItem& item);
    bool isDeferred(const QUuid& id) const { return m_ids.contains(id); }
    bool hasDeferred() const { return !m_ids.isEmpty(); }

    // The bytes of a deferred image.
    Result<QByteArray> read(const QUuid& id);

    // Opens the connection and begins its read transaction now, so that everything read through
    // it later shows the committed state of this moment. False for an in-memory store or when the
    // file cannot be read. defer() begins by itself.
    bool begin();
    // The read-only connection, inside that transaction (after begin() returned true).
    const sql::Database& database() const { return m_db; }
    // Ends the read transaction and closes the connection.
    void close();

private:
    QString m_path;
    sql::Database m_db;
    std::optional<sql::Statement> m_check;
    std::optional<sql::Statement> m_read;
    QSet<QUuid> m_ids;
    bool m_unavailable = false;
};

} // namespace quillora
