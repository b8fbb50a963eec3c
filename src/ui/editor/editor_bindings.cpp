#include "editor/editor_bindings.h"

#include <QLineEdit>
#include <QPlainTextEdit>

namespace quillora {

void bindLineEdit(QLineEdit* field, Record* record, const QString& key, std::function<QString()> read,
                  std::function<void(const QString&)> write) {
    field->setText(read());
    QObject::connect(field, &QLineEdit::textEdited, record, [read, write](const QString& text) {
        if (read() != text)
            write(text);
    });
    QObject::connect(record, &Record::changed, field, [field, key, read](const QString& changedKey) {
        if (changedKey != key)
            return;
        const QString value = read();
        if (field->text() != value)
            field->setText(value);
    });
}

void bindTextEdit(QPlainTextEdit* field, Record* record, const QString& key, std::function<QString()> read,
                  std::function<void(const QString&)> write) {
    field->setPlainText(read());
    QObject::connect(field, &QPlainTextEdit::textChanged, record, [field, read, write] {
        const QString text = field->toPlainText();
        if (read() != text)
            write(text);
    });
    QObject::connect(record, &Record::changed, field, [field, key, read](const QString& changedKey) {
        if (changedKey != key)
            return;
        const QString value = read();
        if (field->toPlainText() != value)
            field->setPlainText(value);
    });
}

} // namespace quillora
