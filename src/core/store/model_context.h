#pragma once

#include "model/record_observer.h"
#include "model/resume.h"
#include "platform/result.h"

#include <QHash>
#include <QObject>
#include <QSet>
#include <QTimer>
#include <QVariant>

#include <functional>
#include <memory>

namespace quillora {

namespace sql {
class Database;
class Statement;
} // namespace sql

// Tracks inserted, changed and deleted records and writes them to the store in one
// transaction. Lives on the UI thread, like the records it tracks.
class ModelContext final : public QObject, public RecordObserver {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ModelContext)

public:
    explicit ModelContext(sql::Database& database, QObject* parent = nullptr);
    ~ModelContext() override;

    // A new résumé, or an entry, joins the context. Entries need not be inserted: an entry in
    // a résumé's list is saved with it; an inserted entry that no résumé holds at the next save
    // is not written.
    void insert(const std::shared_ptr<Record>& record);
    // Marks a record deleted. A résumé takes its entries with it at the next save.
    void deleteRecord(const std::shared_ptr<Record>& record);

    // Writes all pending changes in one transaction. On failure nothing is written, the
    // changes stay pending and the error is returned. Changes held back (below) stay pending.
    Status save();
    bool hasChanges() const;
    // Rows this context has inserted, changed or deleted in the store since it opened.
    qint64 rowsWritten() const;

    // All résumés that are not deleted, newest lastEdited first; for equal dates the later
    // created comes first.
    Result<QList<ResumePtr>> fetchResumes();

    // Changes that must reach the store all together or not at all, while every screen shows
    // each of them as it comes (a translation, written field by field): `write` changes one
    // property of `record` at once, but every save until releaseHeldBack(owner) stores the value
    // the property held before. A later change of that property by anyone else ends its
    // holding: that change is saved as usual.
    void writeHeldBack(const void* owner, const std::shared_ptr<Record>& record, int property,
                       const std::function<void()>& write);
    // What `owner` held back becomes ordinary pending changes, which the next save stores.
    void releaseHeldBack(const void* owner);

    // The context saves by itself this long after the last change (default one second).
    void setAutosaveEnabled(bool enabled);
    bool isAutosaveEnabled() const { return m_autosaveEnabled; }
    void setAutosaveDelay(int milliseconds);

    // Reads a portfolio image's bytes from the store when first asked for. On failure the image
    // stays in the store (not loaded) and the error is returned.
    Status loadImageData(PortfolioItem* item) override;

    // Reads a résumé's entries from the store when first asked for. On failure the entries stay
    // in the store (not read) and the error is returned.
    Status loadEntries(Resume* resume) override;
    // Reads the values a record left in the store (its long texts) when first asked for.
    Status loadUnreadValues(Record* record) override;

    // Tells the context that one of its records changed a property.
    void recordDidChange(Record* record, int propertyIndex) override;
    // Tells the context that a résumé is about to replace one of its entry lists.
    void recordWillChangeRelationship(Record* record) override;

    // What the store file does not hold yet, for a copy of everything that reads the rest from
    // the store: the résumés with unsaved changes (each with its place in creation order, as
    // fetchResumes() orders them) and the row keys of stored résumés that those stand in for or
    // that are deleted. Proportional to the changes, not to the store.
    struct UnsavedResumes {
        QList<std::pair<ResumePtr, qint64>> resumes;
        QSet<qint64> replacedKeys;
    };
    UnsavedResumes unsavedResumes() const;

signals:
    void resumeInserted(const quillora::ResumePtr& resume);
    void resumeDeleted(const quillora::ResumePtr& resume);
    // A résumé in the context changed a property.
    void resumeChanged(quillora::Resume* resume, quillora::Resume::Property property);
    // An entry that a résumé of the context holds changed a property. `entry` is an Experience,
    // Education or PortfolioItem and `property` a value of that kind's Property enum.
    void entryChanged(quillora::Resume* resume, quillora::Record* entry, int property);
    void didSave();
    // A save failed (its changes stay pending); the text says why.
    void saveFailed(const QString& error);

private:
    Status loadAll();
    void registerRecord(const std::shared_ptr<Record>& record);
    // Tracks the entries a résumé holds, so their changes are announced with it.
    void adoptEntries(Resume& resume, bool listChanged = true);
    void forget(Record* record);
    static void untrack(Record& record);
    Resume* ownerOf(const Record* entry) const;
    Status writeChanges();
    void scheduleAutosave();
    void autosave();
    qint64 creationOrderOf(const Resume& resume) const;
    // The changed properties of a record that a save writes now: held-back values that the store
    // already holds are left out.
    quint64 changesToWrite(Record* record) const;
    bool hasChangesToWrite() const;

    sql::Database& m_db;
    bool m_loaded = false;
    QList<ResumePtr> m_resumes;                         // live résumés, in no particular order
    QHash<Record*, std::shared_ptr<Record>> m_registry; // every record the context tracks
    QList<std::shared_ptr<Record>> m_inserted;          // inserted and not yet saved
    QList<std::shared_ptr<Record>> m_deleted;           // deleted and not yet saved
    QHash<Record*, quint64> m_dirty; // changed records → their changed properties, one bit each
    QSet<Resume*> m_listsChanged;    // résumés whose entry lists changed since the last save
    QSet<Record*> m_listedEntries;   // every entry a changed list held since the last save
    QHash<const EntityInfo*, std::shared_ptr<sql::Statement>> m_entryQueries;
    std::shared_ptr<sql::Statement> m_unreadQuery;
    QHash<const Record*, Resume*> m_owners; // entry → the résumé that last held it
    QHash<Record*, qint64> m_creationOrder; // for résumés not yet saved
    qint64 m_nextCreationOrder = 1LL << 40;
    // A held-back property: its owner, the value saves store meanwhile, and whether that value
    // still has to be written (it was an unsaved change when the holding began).
    struct HeldValue {
        const void* owner = nullptr;
        QVariant before;
        bool unsaved = false;
    };
    struct HeldRecord {
        std::shared_ptr<Record> record;
        QHash<int, HeldValue> values;
    };
    QHash<Record*, HeldRecord> m_heldBack;
    std::pair<const Record*, int> m_writingHeld{nullptr, -1};
    QTimer m_autosaveTimer;
    bool m_autosaveEnabled = true;
};

} // namespace quillora
