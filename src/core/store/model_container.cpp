#include "store/model_container.h"

#include "store/store_codec.h"

#include <QFileInfo>
#include <QSet>

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
    return statements;
}

Result<std::unique_ptr<ModelContainer>> ModelContainer::open(const QString& storeFilePath) {
    using R = Result<std::unique_ptr<ModelContainer>>;
    const QFileInfo info(storeFilePath);
    if (info.exists() && info.size() > 0 && !sql::hasSqliteHeader(storeFilePath)) {
        return R::failure(QStringLiteral("The file \"%1\" is not a Quillora store (not an SQLite database).")
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

Result<std::unique_ptr<ModelContainer>> ModelContainer::prepare(sql::Database db, const QString& path) {
    using R = Result<std::unique_ptr<ModelContainer>>;
    const QString where = path.isEmpty() ? QStringLiteral("the in-memory store") : path;

    // Look before writing anything: a store of another app must stay as it is.
    auto tables = db.prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name NOT LIKE 'sqlite\\_%' ESCAPE '\\'"));
    if (!tables)
        return R::failure(QStringLiteral("Cannot read %1: %2").arg(where, tables.error()));
    QSet<QString> known;
    for (const EntityInfo* entity : StoreCodec::entities())
        known.insert(entity->name);
    QStringList present;
    while (tables->next())
        present << tables->text(0);
    if (!tables->error().isEmpty())
        return R::failure(QStringLiteral("Cannot read %1: %2").arg(where, tables->error()));
    for (const QString& name : std::as_const(present)) {
        if (!known.contains(name)) {
            return R::failure(
                QStringLiteral("%1 holds a table this app does not know (\"%2\").").arg(where, name));
        }
        const EntityInfo* entity = nullptr;
        for (const EntityInfo* candidate : StoreCodec::entities()) {
            if (candidate->name == name)
                entity = candidate;
        }
        auto columns = db.prepare(QStringLiteral("PRAGMA table_info(\"%1\")").arg(name));
        if (!columns)
            return R::failure(columns.error());
        QStringList names;
        while (columns->next())
            names << columns->text(1);
        if (names != StoreCodec::columnNames(*entity)) {
            return R::failure(QStringLiteral("%1 has a table \"%2\" whose columns this app does not know.")
                                  .arg(where, name));
        }
    }

    if (!path.isEmpty()) {
        auto mode = db.prepare(QStringLiteral("PRAGMA journal_mode = WAL"));
        if (!mode || !mode->next() || mode->text(0).compare(QLatin1String("wal"), Qt::CaseInsensitive) != 0)
            return R::failure(
                QStringLiteral("Cannot open %1 in write-ahead-log mode: %2").arg(where, db.lastError()));
    }
    if (auto status = db.exec(QStringLiteral("PRAGMA synchronous = NORMAL; PRAGMA foreign_keys = OFF;"));
        !status)
        return R::failure(status.error());

    if (present.size() < StoreCodec::entities().size()) {
        const QString ddl = QStringLiteral("BEGIN IMMEDIATE; ") % schemaStatements().join(QLatin1Char(' ')) %
                            QStringLiteral(" COMMIT;");
        if (auto status = db.exec(ddl); !status) {
            (void)db.exec(QStringLiteral("ROLLBACK"));
            return R::failure(
                QStringLiteral("Cannot create the tables of %1: %2").arg(where, status.error()));
        }
    }
    return std::unique_ptr<ModelContainer>(new ModelContainer(std::move(db), path));
}

} // namespace quillora
