#pragma once

#include "model/record.h"

#include <functional>

class QLineEdit;
class QPlainTextEdit;

namespace quillora {

// Keeps a text field and one text property of a record in step: typing writes the property at
// once (the context saves it later, in the background), and a change of the property from
// elsewhere (a rewrite, a translation) shows in the field. The field's own edit is never
// written back into it, so the caret and undo history stay where the user left them.
void bindLineEdit(QLineEdit* field, Record* record, const QString& key, std::function<QString()> read,
                  std::function<void(const QString&)> write);
void bindTextEdit(QPlainTextEdit* field, Record* record, const QString& key, std::function<QString()> read,
                  std::function<void(const QString&)> write);

} // namespace quillora
