#pragma once

#include "model/record.h"
#include "platform/result.h"
#include "store/sqlite.h"

#include <QDateTime>
#include <QStringList>

namespace quillora {

// Maps the record kinds to their tables: one table per kind, one column per persisted property,
// plus the row key, and for entries the owning résumé and the entry's position in its list.
// A portfolio item's image is the exception: it has a table of its own, one row per item that
// has an image, keyed by the item's row key. SQLite writes a row whole, with all its overflow
// pages, whenever any column changes; kept apart, the image is written only when it changes,
// not with every caption or order change.
class StoreCodec final {
public:
    static const QList<const EntityInfo*>& entities();
    // With imageInRow, the portfolio item's table as stores before version 2 had it, the image a
    // column of the item's row.
    static QString createTableStatement(const EntityInfo& entity, bool imageInRow = false);
    // Column names of a kind's table, in order, the bookkeeping columns first.
    static QStringList columnNames(const EntityInfo& entity);
    static bool isEntry(const EntityInfo& entity);

    // Persisted (non-relationship) property indexes of a kind, in declaration order.
    static QList<int> storedProperties(const EntityInfo& entity);
    // storedProperties() that are columns of the kind's own table (all but the portfolio image).
    static QList<int> columnProperties(const EntityInfo& entity);

    // The table of the portfolio images: "itemPK" (the item's row key) and "imageData".
    static QString imageTable() { return QStringLiteral("PortfolioImage"); }
    static QString createImageTableStatement();
    static QStringList imageTableColumns();

    static QString encodeDate(const QDateTime& date);
    static QDateTime decodeDate(const QString& text);

    // Binds one property of a record to a statement parameter.
    static void bindProperty(sql::Statement& stmt, int parameter, const Record& record, int property);
    // Reads one property from a result column into a record's backing data.
    static Status readProperty(const sql::Statement& stmt, int column, Record& record, int property);

    static qint64 storeKey(const Record& record) { return record.m_storeKey; }
    // Whether a record's backing data holds no value for a property (reads nothing from the store).
    static bool isNull(const Record& record, int property) { return !record.m_values.at(property).isValid(); }

    // Reading rows back into records. readResume() takes a row of selectResumes(); with
    // entriesInStore the résumé's context reads its entries when first asked for, otherwise the
    // caller attaches them (readEntry(), attachEntry()). readEntry() takes a row of
    // selectEntries(); without the image, a portfolio item notes that its image is in the store.
    // With deferLongTexts, the résumé's long texts (deferredProperties()) are left in the store
    // too, for its context to read when first asked for; give the same to both calls.
    static QString selectResumes(const QString& where = QString(), bool deferLongTexts = false);
    static Result<std::shared_ptr<Record>> readResume(const sql::Statement& row, bool entriesInStore = true,
                                                      bool deferLongTexts = false);
    // The properties of a kind that a list of records does not need (one bit per index): the
    // résumé's long texts.
    static quint64 deferredProperties(const EntityInfo& entity);
    static QString selectEntries(const EntityInfo& entity, const QString& where, bool withImage);
    static Result<std::shared_ptr<Record>> readEntry(const EntityInfo& entity, const sql::Statement& row,
                                                     bool withImage);
    // The owner's row key of an entry row of selectEntries().
    static qint64 ownerKeyOf(const sql::Statement& row) { return row.int64(1); }
    // Appends an entry read by readEntry() to its résumé's list of that kind.
    static void attachEntry(Record& resume, const std::shared_ptr<Record>& entry);
};

} // namespace quillora
