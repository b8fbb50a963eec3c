#include "model/property_binding.h"

namespace quillora {

PropertyBinding::PropertyBinding(std::shared_ptr<Record> record, int property, QObject* field, Show show)
    : QObject(field)
    , m_record(std::move(record))
    , m_property(property)
    , m_show(std::move(show)) {
    connect(m_record.get(), &Record::propertyChanged, this, &PropertyBinding::propertyChanged);
    showValue();
}

PropertyBinding::~PropertyBinding() = default;

void PropertyBinding::write(const QVariant& value) {
    if (m_showing)
        return; // the field reporting the value just shown is no edit
    m_writing = true;
    m_record->setValueAt(m_property, value);
    m_writing = false;
}

void PropertyBinding::propertyChanged(int property) {
    if (property == m_property && !m_writing)
        showValue();
}

void PropertyBinding::showValue() {
    m_showing = true;
    m_show(m_record->valueAt(m_property));
    m_showing = false;
}

} // namespace quillora
