#include "controls/field_binding.h"

#include "controls/one_line_field.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QSignalBlocker>

namespace quillora {

PropertyBinding* bindField(QLineEdit* field, std::shared_ptr<Record> record, int property) {
    // A stored value longer than a plain field holds must neither be cut when shown nor be
    // written back cut at the next keystroke.
    keepWholeText(field);
    auto* binding = new PropertyBinding(std::move(record), property, field, [field](const QVariant& value) {
        if (field->text() != value.toString())
            field->setText(value.toString());
    });
    // Every change of the text, not only typing: a paste, an input method's commit or a text set
    // through the accessibility interface is the user's edit too.
    QObject::connect(field, &QLineEdit::textChanged, binding,
                     [binding](const QString& text) { binding->write(text); });
    return binding;
}

PropertyBinding* bindField(QPlainTextEdit* field, std::shared_ptr<Record> record, int property) {
    auto* binding = new PropertyBinding(std::move(record), property, field, [field](const QVariant& value) {
        if (field->toPlainText() != value.toString()) {
            const QSignalBlocker quiet(field); // a shown value is not an edit
            field->setPlainText(value.toString());
        }
    });
    QObject::connect(field, &QPlainTextEdit::textChanged, binding,
                     [binding, field] { binding->write(field->toPlainText()); });
    return binding;
}

PropertyBinding* bindField(QAbstractButton* field, std::shared_ptr<Record> record, int property) {
    field->setCheckable(true);
    auto* binding = new PropertyBinding(std::move(record), property, field, [field](const QVariant& value) {
        if (field->isChecked() != value.toBool()) {
            const QSignalBlocker quiet(field);
            field->setChecked(value.toBool());
        }
    });
    QObject::connect(field, &QAbstractButton::toggled, binding, [binding](bool on) { binding->write(on); });
    return binding;
}

} // namespace quillora
