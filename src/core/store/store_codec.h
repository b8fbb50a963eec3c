#pragma once

#include "model/record.h"
#include "platform/result.h"
#include "store/sqlite.h"

#include <QDateTime>
#include <QStringList>

namespace quillora {

// Maps the record kinds to their tables: one table per kind, one column per persisted property,
// plus the row key, and for entries the owning résumé and the entry's position in its list.
class StoreCodec final {
public:
    static const QList<const EntityInfo*>& entities();
    static QString createTableStatement(const EntityInfo& entity);
    // Column names of a kind's table, in order, the bookkeeping columns first.
    static QStringList columnNames(const EntityInfo& entity);
    static bool isEntry(const EntityInfo& entity);

    // Persisted (non-relationship) property indexes of a kind, in declaration order.
    static QList<int> storedProperties(const EntityInfo& entity);

    static QString encodeDate(const QDateTime& date);
    static QDateTime decodeDate(const QString& text);

    // Binds one property of a record to a statement parameter.
    static void bindProperty(sql::Statement& stmt, int parameter, const Record& record, int property);
    // Reads one property from a result column into a record's backing data.
    static Status readProperty(const sql::Statement& stmt, int column, Record& record, int property);

    static qint64 storeKey(const Record& record) { return record.m_storeKey; }
};

} // namespace quillora
