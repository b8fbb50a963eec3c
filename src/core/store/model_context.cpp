#include "store/model_context.h"

#include "store/sqlite.h"
#include "store/store_codec.h"

#include "platform/log.h"

namespace quillora {

namespace {

bool isResume(const Record* record) {
    return &record->entity() == &Resume::entityInfo();
}

QString quoted(const QString& name) {
    return QLatin1Char('"') % name % QLatin1Char('"');
}

// The statements one save needs, prepared lazily and reused within it.
class SaveWriter final {
public:
    explicit SaveWriter(sql::Database& db)
        : m_db(db) {}

    // Inserts a record; entries get their owner and position. Returns the new row key.
    Result<qint64> insert(const Record& record, qint64 ownerKey = 0, qint64 position = 0) {
        const EntityInfo& entity = record.entity();
        const QList<int> props = StoreCodec::columnProperties(entity);
        const bool entry = StoreCodec::isEntry(entity);
        auto stmt = statement(QStringLiteral("insert:") + entity.name, [&]() -> QString {
            QStringList columns, params;
            if (entry)
                columns << QStringLiteral("ownerPK") << QStringLiteral("position");
            for (int p : props)
                columns << quoted(entity.properties.at(p).name);
            for (int i = 0; i < columns.size(); ++i)
                params << QStringLiteral("?");
            return QStringLiteral("INSERT INTO ") % quoted(entity.name) % QStringLiteral(" (") %
                   columns.join(QStringLiteral(", ")) % QStringLiteral(") VALUES (") %
                   params.join(QStringLiteral(", ")) % QStringLiteral(")");
        });
        if (!stmt)
            return Result<qint64>::failure(m_error);
        int parameter = 1;
        if (entry) {
            stmt->bind(parameter++, ownerKey);
            stmt->bind(parameter++, position);
        }
        for (int p : props)
            StoreCodec::bindProperty(*stmt, parameter++, record, p);
        if (auto status = stmt->exec(); !status)
            return Result<qint64>::failure(describe(entity, status.error()));
        const qint64 key = m_db.lastInsertRowId();
        if (&entity == &PortfolioItem::entityInfo()) {
            if (auto status = writeImage(record, key); !status)
                return Result<qint64>::failure(status.error());
        }
        return key;
    }

    // Writes the stored properties of a record that changed (one bit per property index in
    // `changed`), and no others, so a save never puts back what another connection wrote to the
    // other columns. A portfolio image still only in the store is left as it is.
    Status update(const Record& record, qint64 key, bool skipImage, quint64 changed) {
        const EntityInfo& entity = record.entity();
        QList<int> props;
        for (int p : StoreCodec::storedProperties(entity)) {
            if (changed & (quint64(1) << p))
                props << p;
        }
        // The image has its own row, written only when the image itself changed.
        const bool image = &entity == &PortfolioItem::entityInfo() &&
                           props.removeAll(int(PortfolioItem::ImageData)) > 0 && !skipImage;
        if (props.isEmpty()) {
            // Only its lists changed (they are written on their own), or only its image.
            if (auto status = rowExists(entity, key); !status || !image)
                return status;
            return writeImage(record, key);
        }
        quint64 written = 0;
        for (int p : std::as_const(props))
            written |= quint64(1) << p;
        auto stmt = statement(QStringLiteral("update:%1:%2").arg(entity.name).arg(written), [&]() -> QString {
            QStringList sets;
            for (int p : props)
                sets << quoted(entity.properties.at(p).name) % QStringLiteral(" = ?");
            return QStringLiteral("UPDATE ") % quoted(entity.name) % QStringLiteral(" SET ") %
                   sets.join(QStringLiteral(", ")) % QStringLiteral(" WHERE pk = ?");
        });
        if (!stmt)
            return Status::failure(m_error);
        int parameter = 1;
        for (int p : props)
            StoreCodec::bindProperty(*stmt, parameter++, record, p);
        stmt->bind(parameter, key);
        if (auto status = stmt->exec(); !status)
            return Status::failure(describe(entity, status.error()));
        if (auto status = changedOneRow(entity); !status || !image)
            return status;
        return writeImage(record, key);
    }

    Status place(const EntityInfo& entity, qint64 key, qint64 ownerKey, qint64 position) {
        auto stmt = statement(QStringLiteral("place:") + entity.name, [&]() -> QString {
            return QStringLiteral("UPDATE ") % quoted(entity.name) %
                   QStringLiteral(" SET ownerPK = ?, position = ? WHERE pk = ?");
        });
        if (!stmt)
            return Status::failure(m_error);
        stmt->bind(1, ownerKey);
        stmt->bind(2, position);
        stmt->bind(3, key);
        if (auto status = stmt->exec(); !status)
            return Status::failure(describe(entity, status.error()));
        return changedOneRow(entity);
    }

    // Deletes the entries of one kind that an owner no longer lists, portfolio images included.
    Status deleteEntriesNotIn(const EntityInfo& entity, qint64 ownerKey, const QList<qint64>& keep) {
        QStringList keys;
        for (qint64 k : keep)
            keys << QString::number(k);
        QString where = QStringLiteral(" WHERE ownerPK = ") % QString::number(ownerKey);
        if (!keys.isEmpty())
            where += QStringLiteral(" AND pk NOT IN (") % keys.join(QLatin1Char(',')) % QLatin1Char(')');
        if (&entity == &PortfolioItem::entityInfo()) {
            if (auto status = m_db.exec(QStringLiteral("DELETE FROM ") % quoted(StoreCodec::imageTable()) %
                                        QStringLiteral(" WHERE itemPK IN (SELECT pk FROM ") %
                                        quoted(entity.name) % where % QLatin1Char(')'));
                !status)
                return status;
        }
        return m_db.exec(QStringLiteral("DELETE FROM ") % quoted(entity.name) % where);
    }

    Status remove(const EntityInfo& entity, qint64 key) {
        if (&entity == &PortfolioItem::entityInfo()) {
            if (auto status = m_db.exec(QStringLiteral("DELETE FROM ") % quoted(StoreCodec::imageTable()) %
                                        QStringLiteral(" WHERE itemPK = ") % QString::number(key));
                !status)
                return status;
        }
        return m_db.exec(QStringLiteral("DELETE FROM ") % quoted(entity.name) %
                         QStringLiteral(" WHERE pk = ") % QString::number(key));
    }

private:
    // A portfolio item's image row: written with the item's bytes, or removed when it has none.
    Status writeImage(const Record& item, qint64 key) {
        const bool has = !StoreCodec::isNull(item, PortfolioItem::ImageData);
        auto stmt =
            statement(has ? QStringLiteral("image:write") : QStringLiteral("image:remove"), [&]() -> QString {
                const QString table = quoted(StoreCodec::imageTable());
                return has ? QStringLiteral("INSERT OR REPLACE INTO ") % table %
                                 QStringLiteral(" (itemPK, \"imageData\") VALUES (?, ?)")
                           : QStringLiteral("DELETE FROM ") % table % QStringLiteral(" WHERE itemPK = ?");
            });
        if (!stmt)
            return Status::failure(m_error);
        stmt->bind(1, key);
        if (has)
            StoreCodec::bindProperty(*stmt, 2, item, PortfolioItem::ImageData);
        if (auto status = stmt->exec(); !status)
            return Status::failure(describe(item.entity(), status.error()));
        return success();
    }

    // A cached statement, reset for new bindings; null (with m_error set) when it cannot be prepared.
    template <typename MakeSql> sql::Statement* statement(const QString& id, MakeSql makeSql) {
        auto it = m_cache.find(id);
        if (it == m_cache.end()) {
            auto prepared = m_db.prepare(makeSql());
            if (!prepared) {
                m_error = prepared.error();
                return nullptr;
            }
            it = m_cache.emplace(id, std::make_shared<sql::Statement>(std::move(prepared).value()));
        }
        (*it)->reset();
        return it->get();
    }

    // A write aimed at a row that is not there would change nothing and lose the record's
    // values silently; it fails the save instead.
    // A record whose row another connection removed must not get entries written under it.
    Status rowExists(const EntityInfo& entity, qint64 key) {
        auto stmt = statement(QStringLiteral("exists:") + entity.name, [&]() -> QString {
            return QStringLiteral("SELECT 1 FROM ") % quoted(entity.name) % QStringLiteral(" WHERE pk = ?");
        });
        if (!stmt)
            return Status::failure(m_error);
        stmt->bind(1, key);
        const bool found = stmt->next();
        const QString error = stmt->error();
        stmt->reset();
        if (!error.isEmpty())
            return Status::failure(ErrorKind::storage, describe(entity, error));
        if (!found)
            return Status::failure(ErrorKind::storage,
                                   describe(entity, QStringLiteral("its stored row no longer exists")));
        return success();
    }

    Status changedOneRow(const EntityInfo& entity) const {
        if (m_db.changes() == 0)
            return Status::failure(ErrorKind::storage,
                                   describe(entity, QStringLiteral("its stored row no longer exists")));
        return success();
    }

    static QString describe(const EntityInfo& entity, const QString& error) {
        return QStringLiteral("Cannot save %1: %2").arg(entity.name, error);
    }

    sql::Database& m_db;
    QHash<QString, std::shared_ptr<sql::Statement>> m_cache;
    QString m_error;
};

template <typename Ptr> QList<std::shared_ptr<Record>> asRecords(const QList<Ptr>& entries) {
    QList<std::shared_ptr<Record>> records;
    records.reserve(entries.size());
    for (const auto& e : entries)
        records.append(e);
    return records;
}

} // namespace

ModelContext::ModelContext(sql::Database& database, QObject* parent)
    : QObject(parent)
    , m_db(database) {
    m_autosaveTimer.setSingleShot(true);
    m_autosaveTimer.setInterval(1000);
    connect(&m_autosaveTimer, &QTimer::timeout, this, &ModelContext::autosave);
}

ModelContext* Record::modelContext() const {
    return static_cast<ModelContext*>(observer());
}

void ModelContext::untrack(Record& record) {
    record.m_tracker = nullptr;
    record.m_observer = nullptr;
}

ModelContext::~ModelContext() {
    for (const auto& record : std::as_const(m_registry))
        untrack(*record);
}

void ModelContext::registerRecord(const std::shared_ptr<Record>& record) {
    record->m_tracker = this;
    record->m_observer = this;
    m_registry.insert(record.get(), record);
}

void ModelContext::adoptEntries(Resume& resume, bool listChanged) {
    const auto adopt = [&](const auto& entries) {
        for (const auto& entry : entries) {
            if (!entry || entry->m_deleted)
                continue;
            m_owners.insert(entry.get(), &resume);
            if (!m_registry.contains(entry.get()))
                registerRecord(entry);
            if (listChanged)
                m_listedEntries.insert(entry.get());
        }
    };
    adopt(resume.m_experienceItems);
    adopt(resume.m_educationItems);
    adopt(resume.m_portfolioItems);
}

Resume* ModelContext::ownerOf(const Record* entry) const {
    Resume* owner = m_owners.value(entry);
    if (!owner || owner->m_deleted)
        return nullptr;
    const auto holds = [entry](const auto& list) {
        for (const auto& e : list) {
            if (e.get() == entry)
                return true;
        }
        return false;
    };
    const EntityInfo* entity = &entry->entity();
    if (entity == &Experience::entityInfo())
        return holds(owner->m_experienceItems) ? owner : nullptr;
    if (entity == &Education::entityInfo())
        return holds(owner->m_educationItems) ? owner : nullptr;
    return holds(owner->m_portfolioItems) ? owner : nullptr;
}

void ModelContext::insert(const std::shared_ptr<Record>& record) {
    if (!record || record->m_deleted)
        return;
    if (m_registry.contains(record.get())) {
        // An entry that joined with its résumé is tracked already; inserting it changes nothing.
        return;
    }
    registerRecord(record);
    m_inserted.append(record);
    if (isResume(record.get())) {
        auto resume = std::static_pointer_cast<Resume>(record);
        adoptEntries(*resume);
        m_resumes.append(resume);
        m_creationOrder.insert(resume.get(), m_nextCreationOrder++);
        emit resumeInserted(resume);
    }
    scheduleAutosave();
}

void ModelContext::deleteRecord(const std::shared_ptr<Record>& record) {
    if (!record || record->m_deleted)
        return;
    record->m_deleted = true;
    const bool wasInserted = m_inserted.removeOne(record);
    m_dirty.remove(record.get());
    m_heldBack.remove(record.get());
    if (!wasInserted && record->m_storeKey > 0)
        m_deleted.append(record);
    else
        m_registry.remove(record.get());

    if (isResume(record.get())) {
        auto resume = std::static_pointer_cast<Resume>(record);
        m_resumes.removeOne(resume);
        m_creationOrder.remove(resume.get());
        // Entries still in the store go with the résumé's row; those in memory are marked.
        const auto children = asRecords(resume->m_experienceItems) + asRecords(resume->m_educationItems) +
                              asRecords(resume->m_portfolioItems);
        for (const auto& child : children) {
            child->m_deleted = true;
            m_dirty.remove(child.get());
            m_heldBack.remove(child.get());
            m_inserted.removeOne(child);
            m_listedEntries.insert(child.get()); // forgotten at the next save
        }
        emit resumeDeleted(resume);
    }
    scheduleAutosave();
}

void ModelContext::recordWillChangeRelationship(Record* record) {
    if (!isResume(record) || record->m_deleted)
        return;
    auto* resume = static_cast<Resume*>(record);
    if (m_listsChanged.contains(resume))
        return;
    // What the lists held when last saved: an entry that none holds at the next save leaves the store.
    m_listsChanged.insert(resume);
    for (const auto& entry : asRecords(resume->m_experienceItems) + asRecords(resume->m_educationItems) +
                                 asRecords(resume->m_portfolioItems)) {
        if (entry)
            m_listedEntries.insert(entry.get());
    }
}

void ModelContext::recordDidChange(Record* record, int propertyIndex) {
    if (record->m_deleted)
        return;
    Q_ASSERT(propertyIndex >= 0 && propertyIndex < 64);
    if (!m_heldBack.isEmpty() && (m_writingHeld.first != record || m_writingHeld.second != propertyIndex)) {
        // Someone else wrote a held-back property: their value is saved as usual.
        if (const auto it = m_heldBack.find(record); it != m_heldBack.end()) {
            it->values.remove(propertyIndex);
            if (it->values.isEmpty())
                m_heldBack.erase(it);
        }
    }
    m_dirty[record] |= quint64(1) << propertyIndex;
    if (isResume(record)) {
        auto* resume = static_cast<Resume*>(record);
        if (record->entity().properties.at(propertyIndex).type == PropertyType::ToMany)
            adoptEntries(*resume);
        emit resumeChanged(resume, Resume::Property(propertyIndex));
    } else if (Resume* owner = ownerOf(record)) {
        emit entryChanged(owner, record, propertyIndex);
    }
    scheduleAutosave();
}

qint64 ModelContext::rowsWritten() const {
    return m_db.totalChanges();
}

bool ModelContext::hasChanges() const {
    return !m_inserted.isEmpty() || !m_deleted.isEmpty() || !m_dirty.isEmpty();
}

quint64 ModelContext::changesToWrite(Record* record) const {
    quint64 changed = m_dirty.value(record);
    if (const auto it = m_heldBack.constFind(record); it != m_heldBack.cend()) {
        for (auto v = it->values.cbegin(); v != it->values.cend(); ++v) {
            if (!v->unsaved)
                changed &= ~(quint64(1) << v.key());
        }
    }
    return changed;
}

bool ModelContext::hasChangesToWrite() const {
    if (!m_inserted.isEmpty() || !m_deleted.isEmpty() || !m_listsChanged.isEmpty())
        return true;
    for (auto it = m_dirty.cbegin(); it != m_dirty.cend(); ++it) {
        if (changesToWrite(it.key()))
            return true;
    }
    return false;
}

void ModelContext::writeHeldBack(const void* owner, const std::shared_ptr<Record>& record, int property,
                                 const std::function<void()>& write) {
    if (!record || record->m_deleted || record->modelContext() != this) {
        write();
        return;
    }
    const auto held = m_heldBack.constFind(record.get());
    if (held != m_heldBack.cend() && held->values.contains(property)) {
        // Held already: saves keep storing the value from before the first write.
        m_writingHeld = {record.get(), property};
        write();
        m_writingHeld = {nullptr, -1};
        return;
    }
    const QVariant before = record->valueAt(property);
    const bool unsaved =
        (m_dirty.value(record.get()) & (quint64(1) << property)) != 0 || record->m_storeKey == 0;
    m_writingHeld = {record.get(), property};
    write();
    m_writingHeld = {nullptr, -1};
    if (record->m_deleted || record->valueAt(property) == before)
        return;
    HeldRecord& entry = m_heldBack[record.get()];
    entry.record = record;
    entry.values.insert(property, HeldValue{owner, before, unsaved});
}

void ModelContext::releaseHeldBack(const void* owner) {
    bool released = false;
    for (auto it = m_heldBack.begin(); it != m_heldBack.end();) {
        for (auto v = it->values.begin(); v != it->values.end();) {
            if (v->owner == owner) {
                v = it->values.erase(v);
                released = true;
            } else {
                ++v;
            }
        }
        it = it->values.isEmpty() ? m_heldBack.erase(it) : std::next(it);
    }
    if (released)
        scheduleAutosave();
}

Status ModelContext::loadAll() {
    // Résumés this context saved before its first fetch are already here.
    QSet<qint64> known;
    for (const ResumePtr& resume : std::as_const(m_resumes)) {
        if (resume->m_storeKey > 0)
            known.insert(resume->m_storeKey);
    }
    for (const auto& record : std::as_const(m_deleted)) {
        if (isResume(record.get()))
            known.insert(record->m_storeKey);
    }

    // Only the résumés' own rows: their entries are read when first asked for.
    auto stmt = m_db.prepare(StoreCodec::selectResumes(QString(), true) + QStringLiteral(" ORDER BY pk"));
    if (!stmt)
        return Status::failure(stmt.error());
    QList<ResumePtr> loaded;
    while (stmt->next()) {
        if (known.contains(stmt->int64(0)))
            continue;
        auto record = StoreCodec::readResume(*stmt, true, true);
        if (!record)
            return record.errorInfo();
        loaded.append(std::static_pointer_cast<Resume>(std::move(record).value()));
    }
    if (!stmt->error().isEmpty())
        return Status::failure(stmt->error());

    m_registry.reserve(m_registry.size() + loaded.size());
    m_resumes.reserve(m_resumes.size() + loaded.size());
    for (const ResumePtr& resume : std::as_const(loaded)) {
        registerRecord(resume);
        m_resumes.append(resume);
    }
    return success();
}

Status ModelContext::loadUnreadValues(Record* record) {
    if (!record->m_unread)
        return success();
    if (record->m_storeKey <= 0 || !isResume(record)) {
        record->m_unread = 0;
        return success();
    }
    const EntityInfo& entity = record->entity();
    const quint64 deferred = StoreCodec::deferredProperties(entity);
    QList<int> props;
    for (int p : StoreCodec::storedProperties(entity)) {
        if (deferred & (quint64(1) << p))
            props << p;
    }
    if (!m_unreadQuery) {
        QStringList columns;
        for (int p : std::as_const(props))
            columns << quoted(entity.properties.at(p).name);
        auto prepared =
            m_db.prepare(QStringLiteral("SELECT ") % columns.join(QStringLiteral(", ")) %
                         QStringLiteral(" FROM ") % quoted(entity.name) % QStringLiteral(" WHERE pk = ?"));
        if (!prepared)
            return Status::failure(ErrorKind::storage, prepared.error());
        m_unreadQuery = std::make_shared<sql::Statement>(std::move(prepared).value());
    }
    m_unreadQuery->reset();
    m_unreadQuery->bind(1, record->m_storeKey);
    if (!m_unreadQuery->next()) {
        const QString error = m_unreadQuery->error();
        m_unreadQuery->reset();
        return Status::failure(ErrorKind::storage,
                               error.isEmpty() ? QStringLiteral("its stored row no longer exists") : error);
    }
    for (int i = 0; i < props.size(); ++i) {
        const quint64 bit = quint64(1) << props.at(i);
        if (!(record->m_unread & bit))
            continue; // written since: the new value stays
        if (auto status = StoreCodec::readProperty(*m_unreadQuery, i, *record, props.at(i)); !status) {
            m_unreadQuery->reset();
            return Status::failure(ErrorKind::storage, status.error());
        }
        record->m_unread &= ~bit;
    }
    m_unreadQuery->reset();
    return success();
}

Status ModelContext::loadEntries(Resume* resume) {
    if (!resume->m_entriesInStore)
        return success();
    if (resume->m_storeKey <= 0) {
        resume->m_entriesInStore = false;
        return success();
    }
    Resume read(Resume::FromStore{}); // collects the lists; they move over once all are read
    for (const EntityInfo* entity : StoreCodec::entities()) {
        if (!StoreCodec::isEntry(*entity))
            continue;
        auto& query = m_entryQueries[entity];
        if (!query) {
            auto prepared =
                m_db.prepare(StoreCodec::selectEntries(*entity, QStringLiteral("ownerPK = ?"), false));
            if (!prepared)
                return Status::failure(ErrorKind::storage, prepared.error());
            query = std::make_shared<sql::Statement>(std::move(prepared).value());
        }
        query->reset();
        query->bind(1, resume->m_storeKey);
        while (query->next()) {
            auto entry = StoreCodec::readEntry(*entity, *query, false);
            if (!entry) {
                query->reset();
                return Status::failure(ErrorKind::storage, entry.error());
            }
            StoreCodec::attachEntry(read, *entry);
        }
        const QString error = query->error();
        query->reset();
        if (!error.isEmpty())
            return Status::failure(ErrorKind::storage, error);
    }
    resume->m_experienceItems = std::move(read.m_experienceItems);
    resume->m_educationItems = std::move(read.m_educationItems);
    resume->m_portfolioItems = std::move(read.m_portfolioItems);
    resume->m_entriesInStore = false;
    adoptEntries(*resume, false);
    return success();
}

Result<QList<ResumePtr>> ModelContext::fetchResumes() {
    if (!m_loaded) {
        if (auto status = loadAll(); !status)
            return Result<QList<ResumePtr>>::failure(status.error());
        m_loaded = true;
    }
    QList<ResumePtr> sorted = m_resumes;
    std::sort(sorted.begin(), sorted.end(), [this](const ResumePtr& a, const ResumePtr& b) {
        const QDateTime da = a->lastEdited(), db = b->lastEdited();
        if (da != db)
            return da > db;
        return creationOrderOf(*a) > creationOrderOf(*b);
    });
    return sorted;
}

qint64 ModelContext::creationOrderOf(const Resume& resume) const {
    if (resume.m_storeKey > 0)
        return resume.m_storeKey;
    return m_creationOrder.value(const_cast<Resume*>(&resume), m_nextCreationOrder);
}

Status ModelContext::loadImageData(PortfolioItem* item) {
    if (!item->m_imageInStore)
        return success();
    auto stmt =
        m_db.prepare(QStringLiteral("SELECT i.\"imageData\" FROM \"PortfolioItem\" p LEFT JOIN \"") %
                     StoreCodec::imageTable() % QStringLiteral("\" i ON i.itemPK = p.pk WHERE p.pk = ?"));
    if (!stmt)
        return Status::failure(ErrorKind::storage, stmt.error());
    stmt->bind(1, item->m_storeKey);
    if (!stmt->next()) {
        return Status::failure(ErrorKind::storage, stmt->error().isEmpty()
                                                       ? QStringLiteral("its stored row no longer exists")
                                                       : stmt->error());
    }
    item->m_values[PortfolioItem::ImageData] = stmt->isNull(0) ? QVariant() : QVariant(stmt->blob(0));
    item->m_imageInStore = false;
    return success();
}

Status ModelContext::save() {
    Status status = writeChanges();
    if (!status)
        emit saveFailed(status.error());
    return status;
}

Status ModelContext::writeChanges() {
    m_autosaveTimer.stop();
    if (!hasChangesToWrite())
        return success();

    // A save costs what changed: only new résumés and those whose lists changed have their
    // lists written, and only entries such a list held since the last save can leave the store.
    QList<Resume*> listed;
    QSet<Record*> held; // the entries those lists hold now
    const auto addListed = [&](Resume* resume) {
        if (resume->m_deleted || resume->m_entriesInStore || listed.contains(resume))
            return;
        listed.append(resume);
        for (const auto& child : asRecords(resume->m_experienceItems) + asRecords(resume->m_educationItems) +
                                     asRecords(resume->m_portfolioItems))
            held.insert(child.get());
    };
    for (const auto& record : std::as_const(m_inserted)) {
        if (isResume(record.get()))
            addListed(static_cast<Resume*>(record.get()));
    }
    for (Resume* resume : std::as_const(m_listsChanged))
        addListed(resume);
    QList<Record*> leaving; // entries whose rows are gone after this save
    for (Record* entry : std::as_const(m_listedEntries)) {
        if (!held.contains(entry))
            leaving.append(entry);
    }

    // A portfolio item leaving its résumé may be put back later (the editor's sheets do that):
    // its image must be in memory before its row goes, or putting it back would lose it.
    for (Record* record : std::as_const(leaving)) {
        if (record->m_deleted || &record->entity() != &PortfolioItem::entityInfo() ||
            m_registry.value(record).use_count() <= 2) // the registry's and this look-up's
            continue;
        if (auto loaded = loadImageData(static_cast<PortfolioItem*>(record)); !loaded)
            return Status::failure(ErrorKind::storage,
                                   QStringLiteral("Cannot keep the image of a removed portfolio item: ") +
                                       loaded.error());
    }

    if (auto status = m_db.exec(QStringLiteral("BEGIN IMMEDIATE")); !status)
        return Status::failure(QStringLiteral("Cannot start saving: ") + status.error());

    // Held-back values are written as they were before the holding began: swapped in for the
    // writing (no one sees them, nothing is announced) and swapped back right after.
    QList<std::pair<Record*, int>> swapped;
    for (auto it = m_heldBack.begin(); it != m_heldBack.end(); ++it) {
        Record* record = it.key();
        for (auto v = it->values.begin(); v != it->values.end(); ++v) {
            if (!v->unsaved && record->m_storeKey > 0)
                continue; // the store holds that value already; the property is left out
            std::swap(record->m_values[v.key()], v->before);
            swapped.append({record, v.key()});
        }
    }
    const auto swapBack = [&] {
        for (const auto& [record, property] : std::as_const(swapped))
            std::swap(record->m_values[property], m_heldBack[record].values[property].before);
    };

    SaveWriter writer(m_db);
    QHash<Record*, qint64> newKeys; // row keys given out by this save; applied once it commits
    QList<std::shared_ptr<Record>> newEntries;
    const auto keyOf = [&](const Record* r) {
        return r->m_storeKey > 0 ? r->m_storeKey : newKeys.value(const_cast<Record*>(r), 0);
    };

    const auto run = [&]() -> Status {
        for (const auto& record : std::as_const(m_deleted)) {
            if (isResume(record.get())) {
                for (const EntityInfo* entity : StoreCodec::entities()) {
                    if (StoreCodec::isEntry(*entity)) {
                        if (auto s = writer.deleteEntriesNotIn(*entity, record->m_storeKey, {}); !s)
                            return s;
                    }
                }
            }
            if (auto s = writer.remove(record->entity(), record->m_storeKey); !s)
                return s;
        }
        for (const auto& record : std::as_const(m_inserted)) {
            if (!isResume(record.get()))
                continue;
            auto key = writer.insert(*record);
            if (!key)
                return Status::failure(key.error());
            newKeys.insert(record.get(), *key);
        }

        QSet<Record*> written;
        struct Prune {
            const EntityInfo* entity;
            qint64 ownerKey;
            QList<qint64> keep;
        };
        QList<Prune> prunes; // run after every list is placed, so an entry that moved stays
        const auto writeList = [&](const Resume& owner, const QList<std::shared_ptr<Record>>& entries,
                                   const EntityInfo& entity) -> Status {
            const qint64 ownerKey = keyOf(&owner);
            QList<qint64> keep;
            qint64 position = 0;
            for (qsizetype n = 0; n < entries.size(); ++n) {
                Record* entry = entries.at(n).get();
                if (entry->m_deleted)
                    continue; // a deleted record is not stored, whoever still lists it
                const qint64 i = position++;
                qint64 key = keyOf(entry);
                if (key == 0) {
                    auto inserted = writer.insert(*entry, ownerKey, i);
                    if (!inserted)
                        return Status::failure(inserted.error());
                    key = *inserted;
                    newKeys.insert(entry, key);
                    newEntries.append(entries.at(n));
                } else {
                    if (auto s = writer.place(entity, key, ownerKey, i); !s)
                        return s;
                    if (m_dirty.contains(entry)) {
                        const bool skipImage = &entity == &PortfolioItem::entityInfo() &&
                                               static_cast<PortfolioItem*>(entry)->m_imageInStore;
                        if (auto s = writer.update(*entry, key, skipImage, changesToWrite(entry)); !s)
                            return s;
                    }
                }
                written.insert(entry);
                keep.append(key);
            }
            prunes.append({&entity, ownerKey, keep});
            return success();
        };

        for (auto it = m_dirty.cbegin(); it != m_dirty.cend(); ++it) {
            Record* record = it.key();
            if (isResume(record) && record->m_storeKey > 0) {
                if (auto s = writer.update(*record, record->m_storeKey, false, changesToWrite(record)); !s)
                    return s;
            }
        }
        for (Resume* resume : std::as_const(listed)) {
            if (auto s = writeList(*resume, asRecords(resume->m_experienceItems), Experience::entityInfo());
                !s)
                return s;
            if (auto s = writeList(*resume, asRecords(resume->m_educationItems), Education::entityInfo()); !s)
                return s;
            if (auto s = writeList(*resume, asRecords(resume->m_portfolioItems), PortfolioItem::entityInfo());
                !s)
                return s;
        }
        for (const Prune& prune : std::as_const(prunes)) {
            if (auto s = writer.deleteEntriesNotIn(*prune.entity, prune.ownerKey, prune.keep); !s)
                return s;
        }
        // Entries changed in place under an unchanged résumé. An entry no résumé holds has no
        // row any more (or never had one).
        for (auto it = m_dirty.cbegin(); it != m_dirty.cend(); ++it) {
            Record* record = it.key();
            if (isResume(record) || written.contains(record) || record->m_storeKey == 0 ||
                (m_listedEntries.contains(record) && !held.contains(record)) || !ownerOf(record))
                continue;
            const bool skipImage = &record->entity() == &PortfolioItem::entityInfo() &&
                                   static_cast<PortfolioItem*>(record)->m_imageInStore;
            if (auto s = writer.update(*record, record->m_storeKey, skipImage, changesToWrite(record)); !s)
                return s;
        }
        return success();
    };

    Status status = run();
    if (status)
        status = m_db.exec(QStringLiteral("COMMIT"));
    swapBack();
    if (!status) {
        (void)m_db.exec(QStringLiteral("ROLLBACK"));
        return status;
    }

    // Committed: hand out the row keys and forget what is written.
    for (auto it = newKeys.cbegin(); it != newKeys.cend(); ++it)
        it.key()->m_storeKey = it.value();
    for (const auto& entry : std::as_const(newEntries))
        registerRecord(entry);
    for (const auto& record : std::as_const(m_inserted)) {
        if (isResume(record.get()))
            m_creationOrder.remove(record.get());
        else if (record->m_storeKey == 0)
            m_registry.remove(record.get()); // an entry no résumé held: not written
    }
    for (const auto& record : std::as_const(m_deleted)) {
        m_owners.remove(record.get());
        m_registry.remove(record.get());
    }
    m_inserted.clear();
    m_deleted.clear();
    m_dirty.clear();
    // What is held back stays pending; the store now holds the values from before.
    for (auto it = m_heldBack.begin(); it != m_heldBack.end(); ++it) {
        for (auto v = it->values.begin(); v != it->values.end(); ++v) {
            v->unsaved = false;
            m_dirty[it.key()] |= quint64(1) << v.key();
        }
    }

    // Entries that left their résumé's list were deleted from the store: they forget their row,
    // so putting one back inserts it anew.
    for (Record* record : std::as_const(leaving))
        forget(record);
    m_listsChanged.clear();
    m_listedEntries.clear();
    emit didSave();
    return success();
}

void ModelContext::forget(Record* record) {
    const auto it = m_registry.constFind(record);
    if (it == m_registry.cend())
        return;
    const std::shared_ptr<Record> keep = it.value(); // the record outlives its removal here
    untrack(*record);
    if (!record->m_deleted)
        record->m_storeKey = 0;
    m_owners.remove(record);
    m_registry.erase(it);
}

ModelContext::UnsavedResumes ModelContext::unsavedResumes() const {
    UnsavedResumes unsaved;
    QSet<Resume*> taken;
    const auto take = [&](Resume* resume) {
        if (!resume || resume->m_deleted || taken.contains(resume))
            return;
        taken.insert(resume);
        if (resume->m_storeKey > 0)
            unsaved.replacedKeys.insert(resume->m_storeKey);
        const auto it = m_registry.constFind(resume);
        if (it != m_registry.cend())
            unsaved.resumes.append({std::static_pointer_cast<Resume>(it.value()), creationOrderOf(*resume)});
    };
    for (const auto& record : m_inserted) {
        if (isResume(record.get()))
            take(static_cast<Resume*>(record.get()));
    }
    for (auto it = m_dirty.cbegin(); it != m_dirty.cend(); ++it)
        take(isResume(it.key()) ? static_cast<Resume*>(it.key()) : ownerOf(it.key()));
    for (Resume* resume : m_listsChanged)
        take(resume);
    for (const auto& record : m_deleted) {
        if (isResume(record.get()))
            unsaved.replacedKeys.insert(record->m_storeKey);
    }
    return unsaved;
}

void ModelContext::setAutosaveEnabled(bool enabled) {
    m_autosaveEnabled = enabled;
    if (!enabled)
        m_autosaveTimer.stop();
}

void ModelContext::setAutosaveDelay(int milliseconds) {
    m_autosaveTimer.setInterval(milliseconds);
}

void ModelContext::scheduleAutosave() {
    if (m_autosaveEnabled)
        m_autosaveTimer.start();
}

void ModelContext::autosave() {
    if (!hasChangesToWrite())
        return;
    if (auto status = save(); !status) {
        logLine(QStringLiteral("⚠️ Autosave failed: ") + status.error());
    }
}

} // namespace quillora
