#include "model/record.h"

#include "model/record_observer.h"
#include "platform/log.h"

#include <QHash>
#include <QThread>

#include <atomic>

namespace quillora {

namespace {
std::atomic<quint64> nextSerial{1};
}

int EntityInfo::indexOf(const QString& key) const {
    for (int i = 0; i < properties.size(); ++i) {
        if (properties.at(i).key == key)
            return i;
    }
    return -1;
}

QString PersistentIdentifier::description() const {
    return QStringLiteral("PersistentIdentifier(%1/%2%3)")
        .arg(m_entityName, m_temporary ? QStringLiteral("t") : QStringLiteral("p"))
        .arg(m_storeKey);
}

size_t qHash(const PersistentIdentifier& id, size_t seed) noexcept {
    return qHashMulti(seed, id.entityName(), id.storeKey(), id.isTemporary());
}

Record::Record(const EntityInfo& entity)
    : m_entity(entity)
    , m_serial(nextSerial.fetch_add(1, std::memory_order_relaxed)) {
    m_values.resize(entity.properties.size());
}

Record::~Record() = default;

PersistentIdentifier Record::persistentModelID() const {
    if (m_storeKey > 0)
        return PersistentIdentifier(m_entity.name, m_storeKey, false);
    return PersistentIdentifier(m_entity.name, qint64(m_serial), true);
}

QVariant Record::valueForKey(const QString& key) const {
    const int index = m_entity.indexOf(key);
    return index < 0 ? QVariant() : value(index);
}

void Record::setValueForKey(const QString& key, const QVariant& newValue) {
    const int index = m_entity.indexOf(key);
    if (index >= 0 && m_entity.properties.at(index).type != PropertyType::ToMany)
        setValue(index, newValue);
}

QVariant Record::valueAt(int property) const {
    if (property < 0 || property >= m_values.size())
        return QVariant();
    return value(property);
}

void Record::setValueAt(int property, const QVariant& newValue) {
    if (property >= 0 && property < m_values.size() &&
        m_entity.properties.at(property).type != PropertyType::ToMany)
        setValue(property, newValue);
}

void Record::readUnread(int index) const {
    if (!(m_unread & (quint64(1) << index)))
        return;
    // Read through the UI thread's connection, like a portfolio image.
    if (QThread::currentThread() != thread())
        qFatal("Record values read off the thread that owns the record; "
               "take a snapshot on the UI thread instead");
    if (RecordObserver* store = observer()) {
        if (auto loaded = store->loadUnreadValues(const_cast<Record*>(this)); !loaded)
            logLine(QStringLiteral("⚠️ Could not read a record's values: ") + loaded.error());
    }
}

void Record::setValue(int index, QVariant newValue, bool force) {
    if (m_unread) {
        readUnread(index); // so that a write of the stored value changes nothing
        m_unread &= ~(quint64(1) << index);
    }
    QVariant& slot = m_values[index];
    // Same type and same value: nothing changes. (An absent optional and an empty text differ.)
    if (!force && slot.metaType() == newValue.metaType() && slot == newValue)
        return;
    slot = std::move(newValue);
    announce(index);
}

void Record::announce(int index) {
    if (RecordObserver* store = observer(); store && !m_deleted)
        store->recordDidChange(this, index);
    emit propertyChanged(index);
    emitTypedChange(index);
}

void Record::relationshipWillChange() {
    if (RecordObserver* store = observer(); store && !m_deleted)
        store->recordWillChangeRelationship(this);
}

std::optional<QString> Record::optionalText(int index) const {
    const QVariant& v = value(index);
    return v.isValid() ? std::optional<QString>(v.toString()) : std::nullopt;
}

std::optional<QDateTime> Record::optionalDate(int index) const {
    const QVariant& v = value(index);
    return v.isValid() ? std::optional<QDateTime>(v.toDateTime()) : std::nullopt;
}

std::optional<QStringList> Record::optionalTextList(int index) const {
    const QVariant& v = value(index);
    return v.isValid() ? std::optional<QStringList>(v.toStringList()) : std::nullopt;
}

} // namespace quillora
