#pragma once

#include "model/property_binding.h"

class QAbstractButton;
class QLineEdit;
class QPlainTextEdit;

namespace quillora {

// Binds a field to a record's property (see PropertyBinding): the user's edits are written to
// the property, other changes of the property appear in the field, and the field's own edit is
// not echoed back. The binding is the field's child. `property` is a value of the record kind's
// Property enum, for example bindField(nameField, resume, Resume::FullName).

// A text property; the field writes on every change of its text (typed, pasted, from an input
// method or an assistive technology).
PropertyBinding* bindField(QLineEdit* field, std::shared_ptr<Record> record, int property);
// A text property; multi-line.
PropertyBinding* bindField(QPlainTextEdit* field, std::shared_ptr<Record> record, int property);
// A Bool property and a checkable button (check box, switch).
PropertyBinding* bindField(QAbstractButton* field, std::shared_ptr<Record> record, int property);

} // namespace quillora
