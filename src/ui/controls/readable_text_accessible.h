#pragma once

#include <QtGlobal>

class QAccessibleInterface;
class QObject;
class QWidget;

namespace quillora {

// A text of a document the keyboard reads (controls/readable_text.h) as a screen reader reads a
// text: its characters, words, sentences and lines, and a caret the reader follows. Left and Right
// move the caret by a character, with Ctrl by a word, and the reader hears the character or the
// word the caret comes to. The text is read in its current words; a section title is read as a
// heading (markAsAccessibleHeading()). A reader that reads the whole document (Orca's Say All)
// reads on from the text's end into the text after it.
void markAsDocumentText(QWidget* text, QObject* document);
bool isDocumentText(const QObject* object);
QAccessibleInterface* makeDocumentTextAccessible(QWidget* text);

// The level of a heading among the document's texts (1 for the document's title, 2 for a section's),
// which a screen reader says with it.
void setDocumentHeadingLevel(QWidget* text, int level);

// Where the caret stands in the text, in characters; moving it tells a screen reader, only when it
// really moved. `quietly` moves it without a word (the focus arriving says the text anyway).
int documentTextCaret(const QWidget* text);
void setDocumentTextCaret(QWidget* text, int position, bool quietly = false);

// Keeps track of a screen reader's requests to the app, once the accessibility bridge serves one.
// A reader that has fallen behind asks about element after element as it works through the events
// it queued; when it asked last, in milliseconds since the epoch (0 if never).
void followScreenReaderRequests();
qint64 screenReaderLastAskedAt();

} // namespace quillora
