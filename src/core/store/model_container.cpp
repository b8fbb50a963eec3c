#include "store/model_container.h"

#include "platform/log.h"
#include "store/store_codec.h"
#include "store/store_snapshots.h"

#include <QFileInfo>

#include <algorithm>
#include <array>

namespace quillora {

ModelContainer::ModelContainer(sql::Database db, QString path)
    : m_db(std::move(db))
    , m_path(std::move(path))
    , m_context(std::make_unique<ModelContext>(m_db)) {}

ModelContainer::~ModelContainer() {
    // The context's statements must go before the connection.
    m_context.reset();
}

QStringList ModelContainer::schemaStatements() {
    QStringList statements;
    for (const EntityInfo* entity : StoreCodec::entities())
        statements << StoreCodec::createTableStatement(*entity);
    statements << StoreCodec::createImageTableStatement();
    return statements;
}

Result<std::unique_ptr<ModelContainer>> ModelContainer::open(const QString& storeFilePath) {
    using R = Result<std::unique_ptr<ModelContainer>>;
    const QFileInfo info(storeFilePath);
    if (info.exists() && info.size() > 0 && !sql::hasSqliteHeader(storeFilePath)) {
        return R::failure(ErrorKind::foreignStore,
                          QStringLiteral("The file \"%1\" is not a Quillora store (not an SQLite database).")
                              .arg(storeFilePath));
    }
    auto db = sql::Database::open(storeFilePath);
    if (!db)
        return R::failure(db.error());
    return prepare(std::move(db).value(), storeFilePath);
}

Result<std::unique_ptr<ModelContainer>> ModelContainer::inMemory() {
    auto db = sql::Database::openInMemory();
    if (!db)
        return Result<std::unique_ptr<ModelContainer>>::failure(db.error());
    return prepare(std::move(db).value(), QString());
}

namespace {

// One step per store version: steps[v] turns a store of version v into one of version v + 1.
// A step may change tables and rewrite rows; it runs inside the migration's transaction.
using MigrationStep = Status (*)(sql::Database& db);

// 1 → 2: portfolio images move out of their items' rows into a table of their own, byte for byte,
// so that saving a caption or an order no longer rewrites the image. A store of version 0 that
// had no portfolio table got it in today's layout and has nothing to move.
Status moveImagesToTheirTable(sql::Database& db) {
    bool inItems = false;
    {
        auto column = db.prepare(QStringLiteral(
            "SELECT count(*) FROM pragma_table_info('PortfolioItem') WHERE name = 'imageData'"));
        if (!column)
            return Status::failure(ErrorKind::storage, column.error());
        if (!column->next())
            return Status::failure(ErrorKind::storage, column->error());
        inItems = column->int64(0) != 0;
    }
    if (!inItems)
        return success();
    if (auto s = db.exec(QStringLiteral("INSERT INTO \"") % StoreCodec::imageTable() %
                         QStringLiteral("\" (itemPK, \"imageData\") SELECT pk, \"imageData\" FROM "
                                        "\"PortfolioItem\" WHERE \"imageData\" IS NOT NULL"));
        !s)
        return s;
    return db.exec(QStringLiteral("ALTER TABLE \"PortfolioItem\" DROP COLUMN \"imageData\""));
}

const QList<MigrationStep>& migrationSteps() {
    static const QList<MigrationStep> steps{
        // 0 → 1: stores written before the store had a version. Their tables are those of
        // version 1; the step only stamps the version and the application id.
        [](sql::Database&) { return success(); },
        moveImagesToTheirTable,
    };
    return steps;
}

// The columns each table has in a store of `version`, bookkeeping columns first. Before version 2
// a portfolio item's row held its image too.
QStringList expectedColumns(const EntityInfo& entity, int version) {
    if (version >= 2)
        return StoreCodec::columnNames(entity);
    QStringList names{QStringLiteral("pk")};
    if (StoreCodec::isEntry(entity))
        names << QStringLiteral("ownerPK") << QStringLiteral("position");
    for (int index : StoreCodec::storedProperties(entity))
        names << entity.properties.at(index).name;
    return names;
}

Result<qint64> pragmaValue(const sql::Database& db, const char* name) {
    auto stmt = db.prepare(QStringLiteral("PRAGMA ") + QLatin1String(name));
    if (!stmt)
        return Result<qint64>::failure(ErrorKind::storage, stmt.error());
    if (!stmt->next())
        return Result<qint64>::failure(ErrorKind::storage, stmt->error());
    return stmt->int64(0);
}

// A statement as its tokens, one space apart: spacing and the case of key words do not count,
// a quoted name or text counts character for character.
QString normalised(const QString& sql) {
    QStringList tokens;
    const auto isWord = [](QChar c) { return c.isLetterOrNumber() || c == u'_' || c == u'$'; };
    for (qsizetype i = 0; i < sql.size();) {
        const QChar c = sql.at(i);
        const QChar next = i + 1 < sql.size() ? sql.at(i + 1) : QChar();
        if (c.isSpace()) {
            ++i;
        } else if (c == u'-' && next == u'-') {
            i = sql.indexOf(u'\n', i);
            i = i < 0 ? sql.size() : i;
        } else if (c == u'/' && next == u'*') {
            i = sql.indexOf(QStringLiteral("*/"), i + 2);
            i = i < 0 ? sql.size() : i + 2;
        } else if (c == u'"' || c == u'\'' || c == u'`' || c == u'[') {
            const QChar close = c == u'[' ? u']' : c;
            QString text;
            for (++i; i < sql.size(); ++i) {
                if (sql.at(i) == close) {
                    if (close == u']' || i + 1 >= sql.size() || sql.at(i + 1) != close)
                        break;
                    ++i; // a doubled quote stands for itself
                }
                text += sql.at(i);
            }
            ++i;
            const QChar mark = c == u'\'' ? u'\'' : u'"';
            tokens << mark + text + mark;
        } else if (isWord(c)) {
            const qsizetype from = i;
            while (i < sql.size() && isWord(sql.at(i)))
                ++i;
            tokens << sql.mid(from, i - from).toUpper();
        } else {
            tokens << QString(c);
            ++i;
        }
    }
    return tokens.join(QLatin1Char(' '));
}

// One schema object: its type, name, table and normalised statement (none for the indexes
// SQLite makes for UNIQUE and PRIMARY KEY).
using SchemaObject = std::array<QString, 4>;

// The schema objects of `db` other than SQLite's own tables.
Result<QList<SchemaObject>> schemaObjects(const sql::Database& db) {
    using R = Result<QList<SchemaObject>>;
    auto objects = db.prepare(QStringLiteral(
        "SELECT type, name, tbl_name, sql FROM sqlite_master WHERE NOT (type = 'table' AND name LIKE "
        "'sqlite\\_%' ESCAPE '\\')"));
    if (!objects)
        return R::failure(ErrorKind::storage, objects.error());
    QList<SchemaObject> found;
    while (objects->next())
        found.append({objects->text(0), objects->text(1), objects->text(2), normalised(objects->text(3))});
    if (!objects->error().isEmpty())
        return R::failure(ErrorKind::storage, objects->error());
    return found;
}

// Every schema object this app makes in a store of `version` (below 2: as version 1 made them),
// taken from a store made that way in memory, so that each is compared as SQLite holds it.
const QList<SchemaObject>& madeSchema(int version) {
    const auto make = [](bool imageInRow) {
        QStringList statements;
        for (const EntityInfo* entity : StoreCodec::entities())
            statements << StoreCodec::createTableStatement(*entity, imageInRow);
        if (!imageInRow)
            statements << StoreCodec::createImageTableStatement();
        QList<SchemaObject> made;
        if (auto db = sql::Database::openInMemory(); db && db->exec(statements.join(QLatin1Char(' ')))) {
            if (auto objects = schemaObjects(*db))
                made = *objects;
        }
        Q_ASSERT(!made.isEmpty());
        return made;
    };
    static const QList<SchemaObject> today = make(false);
    static const QList<SchemaObject> beforeImageTable = make(true);
    return version >= 2 ? today : beforeImageTable;
}

// Why the schema holds something this app did not make (a trigger, a view, an index, a table
// with a constraint, a key or a default of its own), or empty when it holds nothing else.
// SQLite's own tables ("sqlite_sequence") do not count.
Result<QString> unknownSchemaObject(const sql::Database& db, int version) {
    auto objects = schemaObjects(db);
    if (!objects)
        return Result<QString>::failure(ErrorKind::storage, objects.error());
    const QList<SchemaObject>& made = madeSchema(version);
    // Tables first: the indexes SQLite makes for a table follow from its definition.
    std::stable_partition(objects->begin(), objects->end(),
                          [](const SchemaObject& object) { return object[0] == QLatin1String("table"); });
    for (const SchemaObject& object : std::as_const(*objects)) {
        if (made.contains(object))
            continue;
        if (object[0] == QLatin1String("table"))
            return QStringLiteral("it has a table \"%1\" whose definition this app does not know.")
                .arg(object[1]);
        return QStringLiteral("it holds %1 %2 this app does not know (\"%3\").")
            .arg(object[0] == QLatin1String("index") ? QStringLiteral("an") : QStringLiteral("a"), object[0],
                 object[1]);
    }
    return QString();
}

} // namespace

Result<std::unique_ptr<ModelContainer>> ModelContainer::prepare(sql::Database db, const QString& path) {
    using R = Result<std::unique_ptr<ModelContainer>>;
    const QString where = path.isEmpty() ? QStringLiteral("the in-memory store") : path;
    const auto foreign = [&](const QString& why) {
        return R::failure(
            ErrorKind::foreignStore,
            QStringLiteral("%1 is not a Quillora store: %2 It was left as it is.").arg(where, why));
    };

    // Look before writing anything: a store of another app, or of a newer version, stays as it is.
    const auto version = pragmaValue(db, "user_version");
    const auto applicationID = pragmaValue(db, "application_id");
    if (!version || !applicationID)
        return R::failure(ErrorKind::storage,
                          QStringLiteral("Cannot read %1: %2")
                              .arg(where, !version ? version.error() : applicationID.error()));
    if (*applicationID != 0 && *applicationID != storeApplicationID)
        return foreign(QStringLiteral("another program wrote it."));
    if (*version > storeVersion) {
        return R::failure(
            ErrorKind::storeTooNew,
            QStringLiteral("%1 was written by a newer version of Quillora (store version %2; this "
                           "version reads up to %3). It was left as it is.")
                .arg(where)
                .arg(*version)
                .arg(storeVersion));
    }
    if (*version > 0 && *applicationID != storeApplicationID)
        return foreign(QStringLiteral("another program wrote it."));

    auto tables = db.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    if (!tables)
        return R::failure(ErrorKind::storage,
                          QStringLiteral("Cannot read %1: %2").arg(where, tables.error()));
    QStringList present;
    while (tables->next())
        present << tables->text(0);
    if (!tables->error().isEmpty())
        return R::failure(ErrorKind::storage,
                          QStringLiteral("Cannot read %1: %2").arg(where, tables->error()));
    for (const QString& name : std::as_const(present)) {
        const EntityInfo* entity = nullptr;
        for (const EntityInfo* candidate : StoreCodec::entities()) {
            if (candidate->name == name)
                entity = candidate;
        }
        const bool images = name == StoreCodec::imageTable() && *version >= 2;
        if (!entity && !images)
            return foreign(QStringLiteral("it holds a table this app does not know (\"%1\").").arg(name));
        auto columns = db.prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(name));
        if (!columns)
            return R::failure(ErrorKind::storage, columns.error());
        QStringList names;
        while (columns->next())
            names << columns->text(1);
        if (names != (images ? StoreCodec::imageTableColumns() : expectedColumns(*entity, int(*version))))
            return foreign(
                QStringLiteral("it has a table \"%1\" whose columns this app does not know.").arg(name));
    }
    // Nothing but the tables and the indexes this app makes, each exactly as it makes them: a
    // trigger or a view would run or answer in the app's place when it reads or saves, and a
    // constraint, key or default of someone else's could change or drop rows at the next save.
    if (auto objects = unknownSchemaObject(db, int(*version)); !objects)
        return R::failure(ErrorKind::storage,
                          QStringLiteral("Cannot read %1: %2").arg(where, objects.error()));
    else if (!objects->isEmpty())
        return foreign(*objects);
    const bool fresh = present.isEmpty();
    const qsizetype tableCount = StoreCodec::entities().size() + (*version >= 2 ? 1 : 0);
    if (!fresh && present.size() < tableCount && *version > 0)
        return foreign(QStringLiteral("some of its tables are missing."));
    if (fresh && *version > 0)
        return foreign(QStringLiteral("it has a version but no tables."));

    // An older store is copied aside before it changes.
    const bool migrating = !fresh && *version < storeVersion;
    if (migrating && !path.isEmpty()) {
        if (auto snapshot =
                captureStoreSnapshotOf(path, QStringLiteral("before-version-%1").arg(storeVersion));
            !snapshot)
            return R::failure(
                ErrorKind::storage,
                QStringLiteral("Cannot back up %1 before updating it: %2").arg(where, snapshot.error()));
    }

    if (!path.isEmpty()) {
        auto mode = db.prepare(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (!mode || !mode->next() || mode->text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            return R::failure(
                ErrorKind::storage,
                QStringLiteral("Cannot open %1 in write-ahead-log mode: %2").arg(where, db.lastError()));
    }
    // Every commit reaches the disk before the save reports success, so a power cut cannot take
    // back a save the user saw succeed. It costs well under a millisecond per save.
    if (auto status = db.exec(QStringLiteral("PRAGMA synchronous = FULL; PRAGMA foreign_keys = OFF;"));
        !status)
        return R::failure(ErrorKind::storage, status.error());

    const QString stamp = QStringLiteral(" PRAGMA user_version = %1; PRAGMA application_id = %2;")
                              .arg(storeVersion)
                              .arg(storeApplicationID);
    if (fresh) {
        const QString ddl = QStringLiteral("BEGIN IMMEDIATE; ") % schemaStatements().join(QLatin1Char(' ')) %
                            stamp % QStringLiteral(" COMMIT;");
        if (auto status = db.exec(ddl); !status) {
            (void)db.exec(QStringLiteral("ROLLBACK"));
            return R::failure(
                ErrorKind::storage,
                QStringLiteral("Cannot create the tables of %1: %2").arg(where, status.error()));
        }
    } else if (migrating) {
        // Every step and the new version in one transaction: a failure leaves the store as it was.
        const auto migrate = [&]() -> Status {
            if (auto s = db.exec(QStringLiteral("BEGIN IMMEDIATE")); !s)
                return s;
            // Tables that an older store lacks are made as today's version makes them; the steps
            // leave those alone.
            if (auto s = db.exec(schemaStatements().join(QLatin1Char(' '))); !s)
                return s;
            for (qint64 v = *version; v < storeVersion; ++v) {
                if (auto s = migrationSteps().at(v)(db); !s)
                    return s;
            }
            if (auto s = db.exec(stamp); !s)
                return s;
            return db.exec(QStringLiteral("COMMIT"));
        };
        if (auto status = migrate(); !status) {
            (void)db.exec(QStringLiteral("ROLLBACK"));
            return R::failure(ErrorKind::storage, QStringLiteral("Cannot update %1 to store version %2: %3")
                                                      .arg(where)
                                                      .arg(storeVersion)
                                                      .arg(status.error()));
        }
        logLine(QStringLiteral("🛟 Store updated from version %1 to %2").arg(*version).arg(storeVersion));
        // Moving the images out of their items' rows left their old pages free: give them back,
        // or the file keeps twice the images' size. The store is sound either way.
        if (*version < 2 && !path.isEmpty()) {
            if (auto status = db.exec(QStringLiteral("VACUUM")); !status)
                logLine(QStringLiteral("⚠️ Could not compact the updated store: ") + status.error());
        }
    }
    return std::unique_ptr<ModelContainer>(new ModelContainer(std::move(db), path));
}

} // namespace quillora
