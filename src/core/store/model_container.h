#pragma once

#include "platform/result.h"
#include "store/model_context.h"
#include "store/sqlite.h"

#include <QString>

#include <memory>

namespace quillora {

// The store: one SQLite file (WAL mode) holding the four record kinds and the portfolio images,
// or an in-memory database for previews and tests.
class ModelContainer final {
public:
    ~ModelContainer();
    ModelContainer(const ModelContainer&) = delete;
    ModelContainer& operator=(const ModelContainer&) = delete;

    // The store's schema version (SQLite user_version) and the id that marks the file as this
    // app's (SQLite application_id). Stores from before versions existed are version 0.
    static constexpr int storeVersion = 2;
    static constexpr qint64 storeApplicationID = 0x51554C4C; // "QULL"

    // Opens or creates the store file. A file that is not an SQLite database, that another
    // program wrote, or that holds tables this app does not know, is refused (ErrorKind
    // foreignStore) and left exactly as it was; so is a store of a newer version (storeTooNew).
    // A store of an older version is copied into the "Backups" folder beside it and then
    // updated, one migration step per version, in one transaction.
    static Result<std::unique_ptr<ModelContainer>> open(const QString& storeFilePath);
    static Result<std::unique_ptr<ModelContainer>> inMemory();

    ModelContext& mainContext() { return *m_context; }
    QString storeFilePath() const { return m_path; } // empty for an in-memory store
    bool isInMemory() const { return m_path.isEmpty(); }

    // The schema's table definitions, as created in a new store.
    static QStringList schemaStatements();

private:
    ModelContainer(sql::Database db, QString path);
    static Result<std::unique_ptr<ModelContainer>> prepare(sql::Database db, const QString& path);

    sql::Database m_db;
    QString m_path;
    std::unique_ptr<ModelContext> m_context;
};

} // namespace quillora
