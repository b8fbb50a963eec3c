#pragma once

class QAccessibleInterface;
class QObject;
class QString;

namespace quillora {

// The interface a screen reader reads a line edit through: Qt's own (its text, caret, selection,
// editing, value and actions), but with the words and sentences looked up by the app
// (controls/text_pieces.h): Qt 6.4's lookup of the word or sentence at an offset never ends at the
// end of a line edit's text, so a reader that asks for it there (Ctrl+Right to the end) would hang
// the app. Part of the accessibility factory (controls/accessibility_traits.h): answers the object's
// own class name, for a line edit only, else nothing.
QAccessibleInterface* makeLineEditAccessible(const QString& className, QObject* object);
bool isLineEditAccessible(const QAccessibleInterface* iface);

} // namespace quillora
