#include "model/property_binding.h"

namespace quillora {

PropertyBinding::PropertyBinding(std::shared_ptr<Record> record, int property, QObject* field, Show show)
    : QObject(field)
    , m_record(std::move(record))
    , m_property(property)
    , m_show(std::move(show)) {
    connect(m_record.get(), &Record::propertyChanged, this, &PropertyBinding::propertyChanged);
    m_show(m_record->valueAt(m_property));
}

PropertyBinding::~PropertyBinding() = default;

void PropertyBinding::write(const QVariant& value) {
    m_writing = true;
    m_record->setValueAt(m_property, value);
    m_writing = false;
}

void PropertyBinding::propertyChanged(int property) {
    if (property == m_property && !m_writing)
        m_show(m_record->valueAt(m_property));
}

} // namespace quillora
