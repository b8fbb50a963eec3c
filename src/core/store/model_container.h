#pragma once

#include "platform/result.h"
#include "store/model_context.h"
#include "store/sqlite.h"

#include <QString>

#include <memory>

namespace quillora {

// The store: one SQLite file (WAL mode) holding the four record kinds, or an in-memory
// database for previews and tests.
class ModelContainer final {
public:
    ~ModelContainer();
    ModelContainer(const ModelContainer&) = delete;
    ModelContainer& operator=(const ModelContainer&) = delete;

    // Opens or creates the store file. A file that is not an SQLite database, or that holds
    // tables this app does not know, is refused and left exactly as it was.
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
