#pragma once

#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QRawFont>
#include <QString>
#include <QTextLayout>
#include <QTextOption>

#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;

namespace quillora {

// A string broken into lines at a fixed width, measured for one paint device, so that a caller
// can draw all of it or a run of whole lines at a time. Paragraphs ("\n") are laid out one by
// one, each in its own reading direction, that of its first letter with a strong direction (as
// the screen shows it, textDirection()): a paragraph with none (a line of dates) follows the one
// before it, and the first one the direction of the text before the block (`context`). A
// right-to-left paragraph runs from the right edge, and left or right alignment means its leading
// or trailing edge. Lines are broken at word boundaries, or anywhere
// inside a word longer than the width (between whole characters).
//
// Time and memory grow in step with the text, whatever it holds: a long paragraph is laid out a
// window of characters at a time (each window's last, possibly cut, line is laid out again at
// the start of the next), and a large block keeps only its line measures and lays a window out
// again when its lines are drawn. A text with characters the font's first face lacks is set with
// FontResolver::fontForText(), so they read back from the PDF as typed. On a PdfTextWriter, a line
// of shaped text (Devanagari, Arabic, marks, characters outside the Basic Multilingual Plane) is
// drawn a word at a time, and each word whose glyphs do not spell it carries its text.
class PdfTextBlock final {
public:
    PdfTextBlock(const QString& text, const QFont& font, qreal width, QPaintDevice* device,
                 Qt::Alignment alignment = Qt::AlignLeft, bool wrap = true,
                 Qt::LayoutDirection context = Qt::LeftToRight);
    ~PdfTextBlock();
    PdfTextBlock(const PdfTextBlock&) = delete;
    PdfTextBlock& operator=(const PdfTextBlock&) = delete;

    int lineCount() const { return int(m_lines.size()); }
    qreal lineHeight(int line) const;
    // Height of all lines together.
    qreal height() const { return m_height; }
    // Widest line, for single-line measurements.
    qreal naturalWidth() const { return m_naturalWidth; }
    // Draws lines [first, end) with the top of line `first` at (x, top). Returns the drawn height.
    qreal drawLines(QPainter& painter, qreal x, qreal top, int first, int end) const;
    qreal draw(QPainter& painter, qreal x, qreal top) const {
        return drawLines(painter, x, top, 0, lineCount());
    }
    // The glyph outlines of all lines, placed as draw(x, top) would place them.
    QPainterPath outline(qreal x, qreal top) const;
    // The face and size the first line's first glyph run is drawn in (none for an empty block).
    QRawFont firstFace() const;

private:
    // A run of one paragraph laid out as one QTextLayout.
    struct Piece {
        qsizetype start = 0;
        qsizetype length = 0;
        int lines = 0; // the first `lines` lines of its layout belong to the block
        Qt::LayoutDirection direction = Qt::LeftToRight;
        mutable std::unique_ptr<QTextLayout> layout;
    };
    struct Line {
        int piece;
        int index;
        qreal height;
    };

    // Lays out one paragraph in its own direction, or in `context` when it has no strong
    // character, and returns the direction it was laid out in.
    Qt::LayoutDirection layOutParagraph(qsizetype start, qsizetype end, Qt::LayoutDirection context);
    std::unique_ptr<QTextLayout> layOut(const Piece& piece) const;
    const QTextLayout& layoutOf(int piece) const;

    QString m_text;
    QFont m_font;
    qreal m_width;
    QPaintDevice* m_device;
    QTextOption m_option;
    bool m_wrap;
    std::vector<Piece> m_pieces;
    QList<Line> m_lines;
    qreal m_height = 0;
    qreal m_naturalWidth = 0;
    bool m_keepLayouts = true;
    mutable int m_cachedPiece = -1; // the one piece whose layout is kept when layouts are not
};

// The font as the PDF sets it: ligatures off, so words extract exactly as typed, and no hinting,
// so advances are the face's own.
QFont pdfTextFont(QFont font);

} // namespace quillora
