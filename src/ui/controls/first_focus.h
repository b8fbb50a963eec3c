#pragma once

class QApplication;
class QWidget;

namespace quillora {

// When a window or sheet opens, its first focus goes to its current choice or its first control
// in view, not to a scrolling page or another unnamed container that Qt would otherwise pick
// first. Part of the keyboard rules every window follows (installWindowRules), installed whole.
void focusFirstControlInNewWindows(QApplication& app);

// Whether the widget is something a user operates (a button, a field, a list, a slider) or
// otherwise reads as a named element, rather than a plain container.
bool isFocusableControl(const QWidget* widget);

} // namespace quillora
