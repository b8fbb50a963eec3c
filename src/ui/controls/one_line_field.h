#pragma once

#include <QString>

class QLineEdit;
class QWidget;

namespace quillora {

// A one-line text field that keeps whatever is typed or pasted into it, however long, as the
// multi-line fields do. A plain QLineEdit keeps only the first 32,767 characters of a paste, says
// nothing, and refuses every character typed after that. Every one-line field of the app is made
// here; `text` is shown whole.
QLineEdit* makeOneLineField(QWidget* parent, const QString& text = {});

// Lifts the length limit of a field made elsewhere, keeping its text.
void keepWholeText(QLineEdit* field);

} // namespace quillora
