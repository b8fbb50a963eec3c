#pragma once

#include <QString>

class QWidget;

namespace quillora {

// What Qt's own interfaces cannot tell an assistive technology about a widget: a value (the
// font a button shows, the state of a toggle), the selected state of a row, or that a label is a
// heading. Each call replaces the widget's accessibility interface with one that reports these
// traits on top of the widget's name, description, role and actions, and announces the change.
void setAccessibleValue(QWidget* widget, const QString& value);
// The widget becomes selectable; `selected` is read as its selected state.
void setAccessibleSelected(QWidget* widget, bool selected);
// The widget (a label) is read as a heading.
void markAsAccessibleHeading(QWidget* widget);

} // namespace quillora
