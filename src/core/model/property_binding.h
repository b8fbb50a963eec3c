#pragma once

#include "model/record.h"

#include <QObject>
#include <QVariant>

#include <functional>
#include <memory>

namespace quillora {

// Keeps one property of a record and one field in step, without widgets (the UI's adapters in
// controls/field_binding.h wire real fields to it):
//   - the field reports every change of its text with write(), however it came (typed, pasted,
//     an input method, an assistive technology); the binding writes it to the record;
//   - every other change of the property is shown in the field through `show`; what the field
//     reports while showing it is not written back;
//   - the field's own edit is never shown back into it, so its cursor and selection stay put.
// The binding is a child of the field and ends with it; it keeps the record alive meanwhile.
class PropertyBinding final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PropertyBinding)

public:
    using Show = std::function<void(const QVariant& value)>;

    // `property` is a value of the record kind's Property enum. Shows the current value now.
    PropertyBinding(std::shared_ptr<Record> record, int property, QObject* field, Show show);
    ~PropertyBinding() override;

    // The field's value changed: writes it to the property (nothing when unchanged or while the
    // binding is showing the property's own value).
    void write(const QVariant& value);

    Record& record() const { return *m_record; }
    int property() const { return m_property; }

private:
    void propertyChanged(int property);
    void showValue();

    std::shared_ptr<Record> m_record;
    int m_property;
    Show m_show;
    bool m_writing = false;
    bool m_showing = false;
};

} // namespace quillora
