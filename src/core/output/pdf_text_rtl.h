#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QStringView>
#include <QtGlobal>

#include <optional>

class QGlyphRun;
class QPainter;
class QPointF;

namespace quillora {

class PdfTextWriter;

// Right-to-left text in a PDF, readable by every common reader.
//
// Readers take the text of a page in one of two ways. Poppler (and pdf.js) place each character
// where its glyph is drawn and put right-to-left runs back in typed order themselves; a marked
// span's /ActualText stands for its glyphs, spread over the box from the first glyph's origin to
// the last glyph's end, and is taken as shown, from the left. MuPDF and pdfminer ignore the spans
// and take the glyphs in the order the page's content holds them, each read through its font's
// ToUnicode table. So a right-to-left run is drawn from the left, with a blank glyph after it at
// its right edge, and its span holds its text as shown; the writer then writes its glyphs in typed
// order, the blank first, each reached by the same moves as before, so nothing drawn moves, and
// gives the last one (the leftmost) a character spacing that brings its end back to the run's
// left edge, so that the span's box is the run's. The fonts' ToUnicode tables name the letters a
// glyph stands for, not presentation forms.

// Runs of more glyphs than this stay as drawn (each glyph is reached by the moves of all before
// it, so the content grows with the square of a run's length).
inline constexpr qsizetype kMostReorderedGlyphs = 64;

// Draws a right-to-left glyph run of `text` so, and records its span on the writer. False when
// its face has no blank glyph: nothing is drawn then.
bool drawRightToLeftSpelling(QPainter& painter, PdfTextWriter& writer, QPointF position, const QGlyphRun& run,
                             QStringView text);

// The glyph lines of a recorded right-to-left run as Qt wrote them after the text object's font
// line, written in typed order; nothing when they are not as Qt writes them or too many.
std::optional<QByteArray> inTypedOrder(QByteArrayView fontLine, QByteArrayView glyphLines, qreal endShift);

// A ToUnicode CMap as Qt writes it with each Arabic or Hebrew presentation form replaced by the
// letters it stands for, in typed order; nothing when it has none or cannot be read.
std::optional<QByteArray> toUnicodeWithLetters(const QByteArray& cmap);

} // namespace quillora
