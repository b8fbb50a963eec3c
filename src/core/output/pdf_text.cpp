#include "output/pdf_text.h"

#include "theme/font_resolver.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextBoundaryFinder>
#include <QTextOption>

#include <algorithm>

namespace quillora {

namespace {

// Paragraphs up to this many characters are laid out whole, as they always were.
constexpr qsizetype kWholeParagraph = 4000;
// Longer ones go in windows of this many characters. Breaking a line inside a long word costs
// time in proportion to what is left of the word, so the window keeps that bounded.
constexpr qsizetype kWindow = 2000;
// Blocks up to this many characters keep their layouts between measuring and drawing.
constexpr qsizetype kKeptLayoutsLimit = 65536;

} // namespace

PdfTextBlock::PdfTextBlock(const QString& text, const QFont& font, qreal width, QPaintDevice* device,
                           Qt::Alignment alignment, bool wrap)
    : m_text(text)
    , m_font(font)
    , m_width(width)
    , m_device(device)
    , m_option(alignment)
    , m_wrap(wrap) {
    m_text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    m_text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    m_text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    m_text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    // Characters the font's own face lacks come from the script faces whose text reads back as
    // typed; those are loaded only for a text that needs them.
    m_font = FontResolver::fontForText(m_font, m_text);
    m_option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m_option.setUseDesignMetrics(true);
    m_keepLayouts = m_text.size() <= kKeptLayoutsLimit;

    qsizetype start = 0;
    for (;;) {
        const qsizetype end = m_text.indexOf(QLatin1Char('\n'), start);
        layOutParagraph(start, end < 0 ? m_text.size() : end);
        if (end < 0)
            break;
        start = end + 1;
    }
}

PdfTextBlock::~PdfTextBlock() = default;

std::unique_ptr<QTextLayout> PdfTextBlock::layOut(const Piece& piece) const {
    auto layout = std::make_unique<QTextLayout>(m_text.mid(piece.start, piece.length), m_font, m_device);
    QTextOption option = m_option;
    if (piece.direction)
        option.setTextDirection(*piece.direction);
    layout->setTextOption(option);
    layout->setCacheEnabled(true);
    layout->beginLayout();
    qreal y = 0;
    for (;;) {
        QTextLine line = layout->createLine();
        if (!line.isValid())
            break;
        line.setLeadingIncluded(true);
        line.setLineWidth(m_wrap ? m_width : 1e6);
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

void PdfTextBlock::layOutParagraph(qsizetype start, qsizetype end) {
    const auto keep = [this](Piece piece, std::unique_ptr<QTextLayout> layout) {
        const int index = int(m_pieces.size());
        for (int i = 0; i < piece.lines; ++i) {
            const QTextLine line = layout->lineAt(i);
            m_lines.append({index, i, line.height()});
            m_height += line.height();
            m_naturalWidth = std::max(m_naturalWidth, line.naturalTextWidth());
        }
        if (m_keepLayouts)
            piece.layout = std::move(layout);
        m_pieces.push_back(std::move(piece));
    };

    if (end - start <= kWholeParagraph || !m_wrap) {
        Piece piece{start, end - start, 0, std::nullopt, nullptr};
        auto layout = layOut(piece);
        piece.lines = layout->lineCount();
        keep(std::move(piece), std::move(layout));
        return;
    }

    // Every window is set in the paragraph's own reading direction.
    const Qt::LayoutDirection direction =
        QStringView(m_text).mid(start, end - start).isRightToLeft() ? Qt::RightToLeft : Qt::LeftToRight;
    QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, m_text.constData() + start, end - start);
    qsizetype position = start;
    while (position < end) {
        qsizetype windowEnd = end;
        if (end - position > kWindow) {
            // Windows end between whole characters (a letter and its marks, a surrogate pair).
            characters.setPosition(position + kWindow - start);
            const qsizetype boundary =
                characters.isAtBoundary() ? characters.position() : characters.toPreviousBoundary();
            windowEnd = boundary + start > position ? boundary + start : position + kWindow;
        }
        Piece piece{position, windowEnd - position, 0, direction, nullptr};
        auto layout = layOut(piece);
        const int count = layout->lineCount();
        if (windowEnd == end || count < 2) {
            // The paragraph's end, or one line that holds the whole window: kept as it is.
            piece.lines = count;
            position = windowEnd;
        } else {
            // The last line may have been cut by the window's end: it starts the next window.
            piece.lines = count - 1;
            position += layout->lineAt(count - 1).textStart();
            piece.length = position - piece.start;
        }
        keep(std::move(piece), std::move(layout));
    }
}

const QTextLayout& PdfTextBlock::layoutOf(int index) const {
    const Piece& piece = m_pieces.at(size_t(index));
    if (!piece.layout) {
        if (m_cachedPiece >= 0 && m_cachedPiece != index)
            m_pieces.at(size_t(m_cachedPiece)).layout.reset();
        piece.layout = layOut(piece);
        m_cachedPiece = index;
    }
    return *piece.layout;
}

qreal PdfTextBlock::lineHeight(int line) const {
    return m_lines.at(line).height;
}

qreal PdfTextBlock::drawLines(QPainter& painter, qreal x, qreal top, int first, int end) const {
    qreal y = top;
    for (int i = first; i < end && i < lineCount(); ++i) {
        const Line& l = m_lines.at(i);
        const QTextLine line = layoutOf(l.piece).lineAt(l.index);
        line.draw(&painter, QPointF(x, y - line.y()));
        y += l.height;
    }
    return y - top;
}

QPainterPath PdfTextBlock::outline(qreal x, qreal top) const {
    QPainterPath path;
    qreal y = top;
    for (const Line& l : m_lines) {
        const QTextLine line = layoutOf(l.piece).lineAt(l.index);
        const QPointF offset(x, y - line.y());
        for (const QGlyphRun& run : line.glyphRuns()) {
            const QRawFont font = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < glyphs.size(); ++i)
                path.addPath(font.pathForGlyph(glyphs.at(i)).translated(positions.at(i) + offset));
        }
        y += l.height;
    }
    return path;
}

QFont pdfTextFont(QFont font) {
    // Text that needs no complex shaping (Latin, Greek, Cyrillic, …) is set glyph by glyph, so
    // "ffi" stays three letters; scripts that need shaping (Arabic, Devanagari, …) keep it.
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

} // namespace quillora
