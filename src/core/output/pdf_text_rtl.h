#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QMap>
#include <QString>
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
// its right edge, and its span holds its text as shown. The writer keeps its glyphs in the order
// they were drawn, so that glyphs that overlap are painted as ever, and moves only the blank, which
// draws nothing, before them; it gives each glyph a code of its own that names the run's typed
// text from the left, so that the content's order reads as typed, and the last glyph a box back to
// the run's left edge, so that the span's box is the run's (see the writer); a run without a
// blank (a piece of a word) starts its span at its rightmost glyph, the glyphs before it in a span
// of no text, which poppler reads as nothing. A run of one glyph, or one whose codes cannot all
// be added, has its glyphs written in typed order instead, the blank first, each
// reached by the same moves as before, so nothing drawn moves, the last one (the leftmost) with a
// character spacing that brings its end back to the run's left edge. The fonts' ToUnicode tables
// name the letters a glyph stands for, not presentation forms.

// Runs of more glyphs than this are not written in typed order (each glyph is reached by the
// moves of all before it, so the content grows with the square of a run's length).
inline constexpr qsizetype kMostReorderedGlyphs = 64;

// A span's text between right-to-left marks. Poppler sorts a line's characters into runs of one
// direction and takes a neutral character (a space, and for it a period or a colon) with the
// left-to-right run next to it; between the marks, each run keeps its own spaces and punctuation.
// A left-to-right run next to another one (Latin words in a row, "API / REST") has no mark on
// that side, so that poppler reads them as one run, in their order.
QString withRightToLeftMarks(QStringView text, bool before = true, bool after = true);

// A right-to-left run's span text as shown (see reversed()) with a right-to-left mark between
// two neighbouring characters of no strong direction: poppler takes some of them ("#") for digits,
// which it reads from the left, and would read "#!" as "!#".
QString withNeutralsApart(QStringView shown);

// A right-to-left run's span text as shown with each presentation form (ﷺ) spelled out as the
// letters it stands for, in the order shown: poppler spells them out itself, in typed order,
// which it would then take for the order shown.
QString withFormsSpelled(QStringView shown);

// `text` code point by code point in reverse order (a lone surrogate becomes the replacement
// character), between two `marks` unless that is null.
QString reversed(QStringView text, QChar marks = QChar());

// A Hebrew or Arabic letter (of strong right-to-left direction).
bool isRightToLeftLetter(QChar c);

// Arabic and Hebrew presentation forms: a letter in one of its joining forms, a letter with its
// mark, a ligature.
bool isPresentationForm(char32_t u);

// Whether what lies beside a piece of a word, before and after it in typed order, makes a
// right-to-left mark at that end of its span needless: a right-to-left letter (poppler takes it
// for a mark of its own) or, beside a right-to-left piece, a left-to-right one, whose span has a
// mark there.
struct MarkedEnds {
    bool before = false;
    bool after = false;
};

// Draws a right-to-left glyph run of `text` so, and records its span on the writer. A run inside
// a word (one of its pieces in another face) has no blank, which MuPDF and pdfminer would read as
// a space: its box starts at its first glyph, and the piece before it reaches there (`reach`, the
// left edge its box ends at instead of its own). After a left-to-right piece, which reaches no
// further than its own glyphs, it has a blank that reads as a right-to-left mark (`blankInWord`),
// as wide as `blankReach` when given (to the far edge of that piece's stretch). `beside`: what
// lies beside it in its word. False when its face has no blank glyph: nothing is drawn then.
bool drawRightToLeftSpelling(QPainter& painter, PdfTextWriter& writer, QPointF position, const QGlyphRun& run,
                             QStringView text, bool wordStart, std::optional<qreal> reach = std::nullopt,
                             bool blankInWord = false, std::optional<qreal> blankReach = std::nullopt,
                             MarkedEnds beside = {});

// Latin words in a row ("API / REST") are one left-to-right stretch of their line: only its ends
// have bridges, which reach over all of it.
struct LeftToRightGroup {
    bool before = false;       // text of the stretch comes before the run (spaces left out)
    bool after = false;        // and after it
    std::optional<qreal> left; // the stretch's edges, in the run's coordinates
    std::optional<qreal> right;
    // Right-to-left letters of its word next to the run: set right to left, the one after it lies
    // to its left, by its first character, and the one before it to its right.
    MarkedEnds beside;
};

// Draws a left-to-right glyph run of `text` inside a right-to-left paragraph (Latin words, numbers,
// an address), with its span, between blanks as wide as the run where a word starts and ends, and
// inside a word where its far glyph lies farther from the run's edge than its width and a half
// (a blank that reads as a right-to-left mark there, not as a space): pdfminer, which joins
// glyphs into a line only while each is near the one before, reads the run's first glyph after
// what lies to its right and what lies to its left after its last. False when its face has no
// blank glyph: nothing is drawn then. `group`: the stretch it belongs to. A right-to-left piece of
// the same word after it (`nextBridges`) bridges its end with its own blank instead: `right` then
// gives the stretch's right edge, which that blank reaches.
bool drawLeftToRightInRightToLeft(QPainter& painter, PdfTextWriter& writer, QPointF position,
                                  const QGlyphRun& run, QStringView text, bool wordStart, bool wordEnds,
                                  const LeftToRightGroup& group = {}, bool nextBridges = false,
                                  qreal* right = nullptr);

// A glyph line as Qt writes it: "<dx> <dy> Td <code> Tj".
struct GlyphLine {
    QByteArrayView move; // "<dx> <dy> Td"
    QByteArrayView line;
    uint code = 0;
};

// The glyph lines Qt writes ("<dx> <dy> Td <code> Tj"), in their order; nothing when one is not
// as Qt writes it.
std::optional<QList<GlyphLine>> glyphLinesOf(QByteArrayView glyphLines);

// The glyph lines `lines` with the codes `codes`, in their order.
std::optional<QByteArray> withCodes(const QList<GlyphLine>& lines, const QList<uint>& codes);

// The glyph lines of a right-to-left run as Qt wrote them after the text object's font line,
// drawn from the left (with a blank last, when `blank`), with the codes `codes` (in the lines'
// order): the blank first, in its place, then the glyphs in the order they were drawn, each
// reached by the same moves, the last one's end moved by `lastShift` (`lastAt`, when given, is
// set to where its lines start); nothing when there are not two lines.
std::optional<QByteArray> inDrawnOrder(QByteArrayView fontLine, const QList<GlyphLine>& lines,
                                       const QList<uint>& codes, bool blank, qreal lastShift,
                                       qsizetype* lastAt = nullptr);

// The glyph lines of a recorded right-to-left run as Qt wrote them after the text object's font
// line, written in typed order, with the codes `codes` (in the lines' order; none: as they are);
// nothing when they are too many.
std::optional<QByteArray> inTypedOrder(QByteArrayView fontLine, const QList<GlyphLine>& lines, qreal endShift,
                                       const QList<uint>& codes);

// The text each glyph of a run stands for, given the run's typed text and what each glyph's code
// names (`own`), in typed order: a glyph keeps its own text where the typed text goes on with it;
// one that does not spell the text there (a ligature of marks, a joiner drawn as a blank, marks
// the face orders otherwise) stands for what lies before the next glyph's own text. Together they
// spell `typed`, each a part of it.
QList<QStringView> glyphTexts(QStringView typed, const QList<QStringView>& own);

// A font's ToUnicode table: the text of each code, presentation forms replaced by the letters they
// stand for, in typed order.
struct ToUnicodeTable {
    QMap<uint, QString> texts;
    int codeWidth = 0; // hex digits of a code
};
std::optional<ToUnicodeTable> readToUnicode(const QByteArray& cmap);
// The CMap `cmap` with the table's codes and texts.
std::optional<QByteArray> writtenToUnicode(const QByteArray& cmap, const ToUnicodeTable& table);

} // namespace quillora
