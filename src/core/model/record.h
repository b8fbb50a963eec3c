#pragma once

#include "platform/deletable.h"

#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <memory>
#include <optional>

namespace quillora {

class ModelContext;
class RecordObserver;

// How a persisted property is stored.
enum class PropertyType {
    Text,
    OptionalText,
    Bool,
    Int64,
    Date,
    OptionalDate,
    TextList,
    OptionalTextList,
    OptionalBytes,
    Uuid,
    Orientation,
    ToMany,
};

// One persisted property of a record kind, in declaration order.
struct PropertyMetadata final {
    QString name;
    QString key;
    QVariant defaultValue; // no property has a schema default
    QString attribute;     // "unique" on PortfolioItem.id, empty elsewhere
    PropertyType type = PropertyType::Text;
    QString relatedEntity = {}; // for ToMany
};

struct EntityInfo final {
    QString name;
    QList<PropertyMetadata> properties;

    int indexOf(const QString& key) const;
};

// The store's identity of a record. Records that were never saved carry a temporary one.
class PersistentIdentifier final {
public:
    PersistentIdentifier() = default;
    PersistentIdentifier(QString entityName, qint64 storeKey, bool temporary)
        : m_entityName(std::move(entityName))
        , m_storeKey(storeKey)
        , m_temporary(temporary) {}

    QString entityName() const { return m_entityName; }
    qint64 storeKey() const { return m_storeKey; }
    bool isTemporary() const { return m_temporary; }
    QString description() const;

    friend bool operator==(const PersistentIdentifier&, const PersistentIdentifier&) = default;

private:
    QString m_entityName;
    qint64 m_storeKey = 0;
    bool m_temporary = true;
};

size_t qHash(const PersistentIdentifier& id, size_t seed = 0) noexcept;

// Base of the four record kinds: keyed backing data, one change announcement per write that
// changes a value, identity equality. Records are shared (std::shared_ptr) and live on the UI
// thread. Each kind has a Property enum (its properties in declaration order) and a typed
// changed(Property) signal; propertyChanged(int) carries the same index for generic code.
class Record : public QObject, public Deletable {
    Q_OBJECT

public:
    ~Record() override;

    const EntityInfo& entity() const { return m_entity; }
    PersistentIdentifier persistentModelID() const;

    // The context that tracks this record, or null while it is in none. (Defined by the store,
    // which knows the context; the record itself talks to it only as its RecordObserver.)
    ModelContext* modelContext() const;
    bool isDeleted() const override { return m_deleted; }

    // Backing data, read and written by the property's key.
    QVariant valueForKey(const QString& key) const;
    void setValueForKey(const QString& key, const QVariant& value);

    // Backing data by the property's index in the kind's Property enum (relationships read as
    // invalid and cannot be written this way). For generic code such as field bindings.
    QVariant valueAt(int property) const;
    void setValueAt(int property, const QVariant& value);

signals:
    // Emitted after a write that changed a persisted property, with the property's index in the
    // kind's Property enum. A write of the value the property already holds announces nothing.
    void propertyChanged(int property);

protected:
    explicit Record(const EntityInfo& entity);

    const QVariant& value(int index) const {
        if (m_unread) [[unlikely]]
            readUnread(index);
        return m_values.at(index);
    }
    // Writes and announces the value unless it equals the current one (or always, with force).
    void setValue(int index, QVariant value, bool force = false);
    // Fills backing data during construction, without announcing a change.
    void initValue(int index, QVariant value) { m_values[index] = std::move(value); }
    // Announces a write of a property held outside the backing values (the relationships).
    void announce(int index);
    // Tells the context, before a relationship list is replaced, so it can note what the list
    // held when it was last saved.
    void relationshipWillChange();
    // Emits the kind's typed changed(Property) signal.
    virtual void emitTypedChange(int index) = 0;
    // The store that tracks this record while it lives, or null.
    RecordObserver* observer() const { return m_tracker ? m_observer : nullptr; }

    QString text(int index) const { return value(index).toString(); }
    std::optional<QString> optionalText(int index) const;
    bool flag(int index) const { return value(index).toBool(); }
    qint64 int64(int index) const { return value(index).toLongLong(); }
    QDateTime date(int index) const { return value(index).toDateTime(); }
    std::optional<QDateTime> optionalDate(int index) const;
    QStringList textList(int index) const { return value(index).toStringList(); }
    std::optional<QStringList> optionalTextList(int index) const;

    static QVariant wrap(const std::optional<QString>& v) { return v ? QVariant(*v) : QVariant(); }
    static QVariant wrap(const std::optional<QDateTime>& v) { return v ? QVariant(*v) : QVariant(); }
    static QVariant wrap(const std::optional<QStringList>& v) { return v ? QVariant(*v) : QVariant(); }

private:
    friend class ModelContext;
    friend class StoreCodec;

    const EntityInfo& m_entity;
    QList<QVariant> m_values;
    // The store that tracks the record, as the object whose lifetime ends the tie and as the
    // interface the record calls; both set and cleared together by the context.
    QPointer<QObject> m_tracker;
    RecordObserver* m_observer = nullptr;
    qint64 m_storeKey = 0; // 0 until saved
    quint64 m_serial = 0;  // process-wide, for temporary identifiers
    bool m_deleted = false;
    // Properties (one bit per index) whose values are still only in the store: long texts are
    // read when first asked for.
    quint64 m_unread = 0;

    void readUnread(int index) const;
};

} // namespace quillora
