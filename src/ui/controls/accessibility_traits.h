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
// The widget and everything in it are left out of what an assistive technology reads.
void hideFromAccessibility(QWidget* widget);
// The widget is read as one element with this name and description: the children that only show
// text or images are left out (a control inside stays reachable on its own).
void combineAccessibleChildren(QWidget* widget, const QString& name, const QString& description = QString());

// Qt's bridge to the desktop's screen readers (AT-SPI) carries no text value for buttons, list
// rows or labels, so a value is also read as the end of the accessible description, after the
// hint, and a change of it is announced as a change of the description.
QString describedWithValue(const QString& hint, const QString& value);

} // namespace quillora
