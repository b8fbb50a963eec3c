#pragma once

#include "platform/result.h"

#include <QList>
#include <QPdfWriter>
#include <QPointF>
#include <QString>

#include <memory>

class QIODevice;
class QPaintDevice;

namespace quillora {

namespace detail {
class PdfTextFilter;
// Holds the filter the writer writes through, so that it exists before the QPdfWriter is made.
struct PdfTextFilterHolder {
    explicit PdfTextFilterHolder(QIODevice* target);
    ~PdfTextFilterHolder();
    std::unique_ptr<PdfTextFilter> filter;
};

// A span as PdfTextWriter::addActualText() records it, on page `page` (0 is the first).
struct RecordedSpan {
    int page = 0;
    QPointF firstGlyph;
    qsizetype glyphCount = 0;
    QString text;
    bool rightToLeft = false; // recorded as addRightToLeftText() records a run
    bool blank = false;       // (then) its last glyph is a blank
};

// What PdfTextWriter::finish() makes of a whole file `written` (as Qt's PDF writer writes one)
// and the spans recorded while it was drawn: writes it with them to `target`. Lets the rewrite
// be tried on any file.
Status writeWithSpans(const QByteArray& written, const QList<RecordedSpan>& spans, QIODevice* target);
} // namespace detail

// A PDF writer whose shaped text reads back as typed.
//
// A reader extracts from a page the characters its glyphs stand for, and Qt's PDF writer names
// one character per glyph, the one the face's character map gives it. Shaped text has glyphs no
// character maps to (Devanagari conjuncts, half forms, nukta letters, a reph) and glyphs in
// another order than the characters typed (the vowel sign ि drawn before its consonant), and
// characters outside the Basic Multilingual Plane are never named: a reader would lose some
// letters and reorder others. PdfTextBlock tells this writer which of the glyph runs it draws do
// not spell their text; the writer wraps each such run in the page's content in a marked-content
// span whose /ActualText is the text it stands for, which readers take in place of the glyphs'
// characters. What is drawn stays the same: the writer holds the file Qt writes and, when it is
// finished, adds the spans to the pages' content, finding every object it changes through the
// file's own structure (the cross-reference table, the page tree), so that no text inside the
// file is ever taken for its syntax; the streams' lengths and the table are changed to match.
// Without any span the file goes to the device as Qt wrote it. A span whose run is not found in
// its page's content is left out (the run reads back as its glyphs do), and a file whose
// structure cannot be read goes as Qt wrote it; the log says so in one line.
class PdfTextWriter final : private detail::PdfTextFilterHolder, public QPdfWriter {
public:
    // `device` is open for writing; the PDF goes to it as the painter writes it.
    explicit PdfTextWriter(QIODevice* device);
    ~PdfTextWriter() override;

    // The writer painting on `device`, or null when it is another device.
    static PdfTextWriter* of(QPaintDevice* device);

    // Records that the glyph run just drawn on the current page with drawGlyphRun(), whose first
    // glyph is at `firstGlyph` (the drawing position plus the run's first position, in the
    // painter's coordinates) and which has `glyphCount` glyphs, stands for `text`.
    void addActualText(QPointF firstGlyph, qsizetype glyphCount, const QString& text);
    // The same for a right-to-left run drawn as drawRightToLeftSpelling() draws it (pdf_text_rtl.h),
    // whose glyphs the writer makes read in typed order, the leftmost one's end moved by `endShift`
    // (`blank`: its last glyph is the blank at its right edge); the file's fonts then name the
    // letters their glyphs stand for. A blank inside a word (`blankInWord`) reads as a right-to-left
    // mark, not as a space, and is `blankWidth` wide when that is given.
    void addRightToLeftText(QPointF firstGlyph, qsizetype glyphCount, const QString& shownText,
                            qreal endShift, bool blank, bool blankInWord, qreal blankWidth = 0);
    // The same for a left-to-right run in a right-to-left paragraph drawn as
    // drawLeftToRightInRightToLeft() draws it: its first and last glyphs are blanks (as `first`
    // and `last` say) the writer makes `bridge` wide; one inside a word (`firstInWord`,
    // `lastInWord`) reads as a right-to-left mark, not as a space.
    void addBridgedText(QPointF firstGlyph, qsizetype glyphCount, const QString& text, qreal bridge,
                        bool first, bool last, bool firstInWord, bool lastInWord);

    // After the painter has ended: writes the file to the device. Fails, with the device's
    // reason, only when the device does not take it.
    Status finish();

    bool newPage() override;
};

} // namespace quillora
