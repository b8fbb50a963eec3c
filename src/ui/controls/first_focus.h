#pragma once

class QWidget;

namespace quillora {

// Whether the widget is something a user operates (a button, a field, a list, a slider) or
// otherwise reads as a named element, rather than a plain container.
bool isFocusableControl(const QWidget* widget);

} // namespace quillora
