#pragma once

#include <QFont>
#include <QList>
#include <QPainterPath>
#include <QString>
#include <QTextLayout>

#include <memory>
#include <vector>

class QPainter;
class QPaintDevice;

namespace quillora {

// A string broken into lines at a fixed width, measured for one paint device, so that a caller
// can draw all of it or a run of whole lines at a time. Paragraphs ("\n") are laid out one by
// one, each with its own reading direction; lines are broken at word boundaries, or anywhere
// inside a word longer than the width.
class PdfTextBlock final {
public:
    PdfTextBlock(const QString& text, const QFont& font, qreal width, QPaintDevice* device,
                 Qt::Alignment alignment = Qt::AlignLeft, bool wrap = true);
    PdfTextBlock(const PdfTextBlock&) = delete;
    PdfTextBlock& operator=(const PdfTextBlock&) = delete;

    int lineCount() const { return int(m_lines.size()); }
    qreal lineHeight(int line) const;
    // Height of all lines together.
    qreal height() const { return m_height; }
    // Widest line, for single-line measurements.
    qreal naturalWidth() const;
    // Draws lines [first, end) with the top of line `first` at (x, top). Returns the drawn height.
    qreal drawLines(QPainter& painter, qreal x, qreal top, int first, int end) const;
    qreal draw(QPainter& painter, qreal x, qreal top) const {
        return drawLines(painter, x, top, 0, lineCount());
    }
    // The glyph outlines of all lines, placed as draw(x, top) would place them.
    QPainterPath outline(qreal x, qreal top) const;

private:
    struct Line {
        QTextLayout* layout;
        int index;
        qreal height;
    };
    std::vector<std::unique_ptr<QTextLayout>> m_layouts;
    QList<Line> m_lines;
    qreal m_height = 0;
};

// The font as the PDF sets it: ligatures off, so words extract exactly as typed, and no hinting,
// so advances are the face's own.
QFont pdfTextFont(QFont font);

} // namespace quillora
