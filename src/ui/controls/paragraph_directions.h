#pragma once

class QPlainTextEdit;

namespace quillora {

// Lays each paragraph of a multi-line field out in its own reading direction, as the preview and
// the PDF do: that of its first strong character (textDirection()), a paragraph with none
// following the one before it; a right-to-left paragraph is aligned to the right. A plain text
// field of Qt finds each paragraph's direction but aligns every one to the left, and lays a line
// of digits after a right-to-left paragraph out left to right.
//
// Gives the field a document of its own: call it first, before the field's document is set up or
// watched.
void followParagraphDirections(QPlainTextEdit& edit);

} // namespace quillora
