#pragma once

#include <QAccessible>
#include <QString>

namespace quillora {

// The piece of `text` of a kind (a character, a word, a sentence, a line) that a screen reader asks
// for at `offset` (`step` 0), the one before it (-1) or the one after it (1), with its first and
// its past-the-last offsets; an empty text and -1, -1 when the offset lies outside the text, and
// the text's size twice past the last piece. A word runs from its first letter to the next word's,
// the space after it included, as AT-SPI counts a word; the end of the text is in the last piece.
// Always ends, at every offset (Qt's own lookup of a word never ends at the end of a line edit).
QString accessibleTextPiece(const QString& text, int offset, QAccessible::TextBoundaryType type, int step,
                            int* startOffset, int* endOffset);

} // namespace quillora
