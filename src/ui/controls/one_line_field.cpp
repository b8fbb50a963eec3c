#include "controls/one_line_field.h"

#include <QLineEdit>

#include <limits>

namespace quillora {

void keepWholeText(QLineEdit* field) {
    field->setMaxLength(std::numeric_limits<int>::max());
}

QLineEdit* makeOneLineField(QWidget* parent, const QString& text) {
    auto* field = new QLineEdit(parent);
    keepWholeText(field);
    if (!text.isEmpty())
        field->setText(text);
    return field;
}

} // namespace quillora
