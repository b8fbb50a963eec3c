#include "output/pdf_text.h"

#include "output/pdf_text_rtl.h"
#include "output/pdf_text_writer.h"
#include "output/text_direction.h"
#include "theme/font_resolver.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QSet>
#include <QTextBoundaryFinder>
#include <QTextOption>

#include <algorithm>
#include <optional>

namespace quillora {

namespace {

// Paragraphs up to this many characters are laid out whole, as they always were.
constexpr qsizetype kWholeParagraph = 4000;
// Longer ones go in windows of this many characters. Breaking a line inside a long word costs
// time in proportion to what is left of the word, so the window keeps that bounded.
constexpr qsizetype kWindow = 2000;
// Blocks up to this many characters keep their layouts between measuring and drawing.
constexpr qsizetype kKeptLayoutsLimit = 65536;

// Whether a line may have glyphs that do not spell its characters one for one and in order, or
// characters a PDF cannot name from its glyphs: scripts shaped into conjuncts, joining forms and
// reordered marks (Hebrew to Myanmar, Khmer, the Indic extensions, presentation forms), combining
// marks, joiners, and characters outside the Basic Multilingual Plane. Latin, Greek, Cyrillic,
// CJK and Hangul syllables are set glyph by glyph.
bool mayNotSpellItself(QStringView line) {
    for (const QChar c : line) {
        const char16_t u = c.unicode();
        if (u < 0x0300)
            continue;
        if ((u >= 0x0590 && u <= 0x10FF) || (u >= 0x1780 && u <= 0x18AF) || (u >= 0x1CD0 && u <= 0x1CFF) ||
            (u >= 0xA8E0 && u <= 0xA8FF) || (u >= 0xFB1D && u <= 0xFEFF) || u == 0x200C || u == 0x200D ||
            c.isSurrogate() || c.isMark())
            return true;
    }
    return false;
}

// Hebrew, Arabic, Syriac, Thaana and N'Ko letters and marks, and their presentation forms:
// text that Qt sets unshaped in a font that prefers no shaping, although its letters join or its
// marks are placed by the face.
bool needsShapingAlways(char16_t u) {
    return (u >= 0x0590 && u <= 0x08FF) || (u >= 0xFB1D && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFF);
}

// A left-to-right piece of a word in a right-to-left paragraph and a right-to-left piece after it
// share one bridge, the latter's blank, which reaches the right edge of the former's stretch.
struct SharedBridge {
    bool next = false;          // (a left-to-right piece) the next piece of its word bridges it
    std::optional<qreal> reach; // (a right-to-left piece) where its blank reaches
    std::optional<qreal> right; // (set by a left-to-right piece) its stretch's right edge
    MarkedEnds beside;          // (a right-to-left piece) the pieces of its word beside it
};

// Whether a reader reads a run of `text` outside a right-to-left paragraph back from its glyphs as
// typed: they are the text's own characters in order (or there are none), and it has no mark,
// presentation form or character a PDF cannot name. Such a run is drawn as it is.
bool spellsItself(const QGlyphRun& run, QStringView text) {
    const QList<quint32> glyphs = run.glyphIndexes();
    // A presentation form typed as such (ﷺ) reads as itself, not as the letters the font's table
    // gives its glyph for the forms shaping makes.
    const bool unreadable = std::any_of(text.begin(), text.end(), [](QChar c) {
        return c.isSurrogate() || c.isMark() || isPresentationForm(c.unicode());
    });
    return glyphs.isEmpty() ||
           (!unreadable && glyphs == run.rawFont().glyphIndexesForString(text.toString()));
}

// Draws a glyph run of `text` and tells the writer the text it stands for when a reader could not
// read it from the glyphs: when they are not the text's own characters in order, when the text
// has marks (placed over or under their letter, so a reader sees a gap after them and breaks the
// word), or characters a PDF cannot name. In a right-to-left paragraph every run says its text,
// so that a reader that orders the line itself keeps each word's spaces and punctuation with it
// (see pdf_text_rtl.h).
void drawSpelling(QPainter& painter, PdfTextWriter& writer, QPointF position, const QGlyphRun& run,
                  QStringView text, bool rightToLeftParagraph, bool wordStart, bool wordEnds,
                  std::optional<qreal> reach, bool afterLeftToRight, const LeftToRightGroup& group,
                  SharedBridge& bridge) {
    if (rightToLeftParagraph && !run.glyphIndexes().isEmpty()) {
        if (run.isRightToLeft() &&
            drawRightToLeftSpelling(painter, writer, position, run, text, wordStart, reach,
                                    afterLeftToRight && !wordStart, bridge.reach, bridge.beside))
            return;
        qreal right = 0;
        if (!run.isRightToLeft() &&
            drawLeftToRightInRightToLeft(painter, writer, position, run, text, wordStart, wordEnds, group,
                                         bridge.next, &right)) {
            bridge.right = right;
            return;
        }
        painter.drawGlyphRun(position, run);
        const bool leftToRight = !run.isRightToLeft();
        writer.addActualText(
            position + run.positions().constFirst(), run.glyphIndexes().size(),
            withRightToLeftMarks(text, !(leftToRight && group.before), !(leftToRight && group.after)));
        return;
    }
    const QList<quint32> glyphs = run.glyphIndexes();
    if (spellsItself(run, text)) {
        painter.drawGlyphRun(position, run);
        return;
    }
    if (run.isRightToLeft() &&
        drawRightToLeftSpelling(painter, writer, position, run, text, wordStart, reach))
        return;
    painter.drawGlyphRun(position, run);
    writer.addActualText(position + run.positions().constFirst(), glyphs.size(), text.toString());
}

// Readers that group a page's text into blocks (pdfminer) order the blocks by their left edges
// as well as their heights, which puts a short line set from the right (a title, a name, the last
// line of a paragraph) after the longer text below it. A blank from the left edge of its block to
// the line's leftmost glyph gives each line of a right-to-left paragraph the block's left edge;
// it ends the line and reads as a space.
void reachBlockStart(QPainter& painter, PdfTextWriter& writer, const QTextLine& line, QPointF position) {
    std::optional<QPointF> leftmost;
    QRawFont font;
    for (const QGlyphRun& run : line.glyphRuns()) {
        for (const QPointF at : run.positions()) {
            if (!leftmost || at.x() < leftmost->x()) {
                leftmost = at;
                font = run.rawFont();
            }
        }
    }
    if (!leftmost || leftmost->x() < 1)
        return;
    const QList<quint32> blank = font.glyphIndexesForString(QStringLiteral(" "));
    if (blank.size() != 1 || blank.constFirst() == 0)
        return;
    const QPointF at(0, leftmost->y());
    QGlyphRun run;
    run.setRawFont(font);
    run.setGlyphIndexes(blank);
    run.setPositions({at});
    painter.drawGlyphRun(position, run);
    writer.addBridgedText(position + at, 1, QStringLiteral(" "), leftmost->x(), true, false, false, false);
}

// How far the glyphs of some runs reach to either side (nothing when they have none).
struct HorizontalExtent {
    std::optional<qreal> left;
    std::optional<qreal> right;
};

HorizontalExtent extentOf(const QList<QGlyphRun>& runs) {
    HorizontalExtent extent;
    for (const QGlyphRun& run : runs) {
        const QList<QPointF> at = run.positions();
        const QList<QPointF> advances =
            run.rawFont().advancesForGlyphIndexes(run.glyphIndexes(), QRawFont::UseDesignMetrics);
        for (qsizetype i = 0; i < at.size() && i < advances.size(); ++i) {
            extent.left = std::min(extent.left.value_or(at.at(i).x()), at.at(i).x());
            extent.right = std::max(extent.right.value_or(at.at(i).x() + advances.at(i).x()),
                                    at.at(i).x() + advances.at(i).x());
        }
    }
    return extent;
}

// In a left-to-right paragraph, a stretch of text set right to left goes into the page in typed
// order, from its right edge to its left: pdfminer takes the step from the space before it to its
// first glyph, and from its last glyph to the space after it, for the start of another line, and
// then orders the pieces of the line by their boxes, not as typed. The space before such a stretch
// (`stretchRight`: the stretch's right edge) is made as wide as to reach over it; the space after
// one (`stretchLeft`: its left edge) comes after another blank, drawn at the stretch's left edge
// and as wide as to reach it (MuPDF, which takes the step from a blank's own end to the next
// Latin letter, would break the line after a space moved there). A blank draws nothing, so the
// page looks the same; poppler leaves spaces out, MuPDF takes a glyph's width from its face and
// reads the added blank as a second space. The writer finds a run by where its first glyph lies:
// the added blank starts a little inside the stretch's last glyph, where no glyph of the `line`
// starts or ends. False (nothing drawn) when the run is not one blank glyph beside such a stretch.
bool bridgeRightToLeftStretch(QPainter& painter, PdfTextWriter& writer, const QTextLine& line,
                              QPointF position, const QGlyphRun& run, QStringView text,
                              std::optional<qreal> stretchLeft, std::optional<qreal> stretchRight) {
    if (run.isRightToLeft() || (!stretchLeft == !stretchRight) || run.glyphIndexes().size() != 1 ||
        run.positions().size() != 1)
        return false;
    const QRawFont font = run.rawFont();
    const quint32 glyph = run.glyphIndexes().constFirst();
    if (!font.pathForGlyph(glyph).isEmpty())
        return false;
    const QPointF at = run.positions().constFirst();
    const qreal advance = font.advancesForGlyphIndexes({glyph}, QRawFont::UseDesignMetrics).constFirst().x();
    QGlyphRun bridged = run;
    qreal width = 0;
    if (stretchRight) {
        width = *stretchRight - at.x();
    } else {
        QSet<qint64> taken;
        for (const QGlyphRun& other : line.glyphRuns()) {
            const QList<QPointF> places = other.positions();
            const QList<QPointF> advances =
                other.rawFont().advancesForGlyphIndexes(other.glyphIndexes(), QRawFont::UseDesignMetrics);
            for (qsizetype i = 0; i < places.size() && i < advances.size(); ++i) {
                taken.insert(qRound64((position.x() + places.at(i).x()) * 64));
                taken.insert(qRound64((position.x() + places.at(i).x() + advances.at(i).x()) * 64));
            }
        }
        qreal x = *stretchLeft + 0.25;
        while (taken.contains(qRound64((position.x() + x) * 64)))
            x += 1.0 / 64;
        bridged.setPositions({QPointF(x, at.y())});
        width = at.x() + advance - x;
    }
    if (width <= advance)
        return false;
    painter.drawGlyphRun(position, bridged);
    writer.addBridgedText(position + bridged.positions().constFirst(), 1, text.toString(), width, true, false,
                          false, false);
    if (stretchLeft)
        painter.drawGlyphRun(position, run);
    return true;
}

// Whether a line of a block set with shaping (for the Arabic or Hebrew text it holds) has fewer
// glyphs than characters: a ligature ("ffi", "ft") that readers could not name from its glyph.
bool hasLigature(const QTextLine& line) {
    qsizetype glyphs = 0;
    for (const QGlyphRun& run : line.glyphRuns())
        glyphs += run.glyphIndexes().size();
    return glyphs < line.textLength();
}

bool hasRightToLeftRun(const QTextLine& line) {
    const QList<QGlyphRun> runs = line.glyphRuns();
    return std::any_of(runs.cbegin(), runs.cend(), [](const QGlyphRun& run) { return run.isRightToLeft(); });
}

// Draws a line as QTextLine::draw() would, a word (or a run of spaces) at a time, so that each
// word whose glyphs do not spell it reads back from the PDF as typed. A word Qt sets as more than
// one run (in more than one face or script) is drawn a run at a time, in pieces of whole
// characters.
void drawSpellingWords(QPainter& painter, PdfTextWriter& writer, const QTextLine& line, const QString& text,
                       QPointF position, bool rightToLeftParagraph) {
    int wordStart = 0;
    int wordLimit = 0;
    // A right-to-left piece followed by another one of the same word reaches to where that one's
    // first glyph starts; one after a left-to-right piece starts with a blank of its own (see
    // drawRightToLeftSpelling()).
    bool afterLeftToRight = false;
    // The right edge of the stretch of a left-to-right piece just drawn whose end the right-to-left
    // piece after it bridges.
    std::optional<qreal> stretchRight;
    const int lineEnd = line.textStart() + line.textLength();
    // The left-to-right stretch of the line around a left-to-right piece: its characters
    // [first, last), spaces between them set left to right too (between Latin words, not between
    // numbers, which stand right to left), found once for all its pieces.
    int first = -1;
    int last = -1;
    LeftToRightGroup stretch;
    const auto leftToRightAt = [&](int at) {
        const QList<QGlyphRun> runs = line.glyphRuns(at, 1);
        return !runs.isEmpty() && !runs.constFirst().isRightToLeft();
    };
    const auto rightToLeftAt = [&](int at) {
        const QList<QGlyphRun> runs = line.glyphRuns(at, 1);
        return !runs.isEmpty() && runs.constFirst().isRightToLeft();
    };
    // In a left-to-right paragraph: whether the line holds text set right to left, and the far edge
    // of such a stretch (its words and the spaces between them) that starts at `at` (`after`: its
    // right edge) or ends there (its left edge).
    const bool mixed = !rightToLeftParagraph && hasRightToLeftRun(line);
    const auto stretchEdge = [&](int at, bool after) -> std::optional<qreal> {
        int from = at;
        int to = at;
        while (after && to < lineEnd && rightToLeftAt(to))
            ++to;
        while (!after && from > line.textStart() && rightToLeftAt(from - 1))
            --from;
        if (from == to)
            return std::nullopt;
        const HorizontalExtent extent = extentOf(line.glyphRuns(from, to - from));
        return after ? extent.right : extent.left;
    };
    const auto groupOf = [&](int start, int end) {
        if (start < first || end > last) {
            first = start;
            last = end;
            for (int at = start - 1; at >= line.textStart() && leftToRightAt(at); --at) {
                if (!text.at(at).isSpace())
                    first = at;
            }
            for (int at = end; at < lineEnd && leftToRightAt(at); ++at) {
                if (!text.at(at).isSpace())
                    last = at + 1;
            }
            const HorizontalExtent extent = extentOf(line.glyphRuns(first, last - first));
            stretch = {};
            stretch.left = extent.left;
            stretch.right = extent.right;
        }
        LeftToRightGroup group = stretch;
        group.before = first < start;
        group.after = last > end;
        return group;
    };
    // `next`: the runs of the next piece of the word (of `nextText`), `nextEnds` when it ends the
    // word.
    const auto drawPiece = [&](int start, int end, const QList<QGlyphRun>& runs,
                               const QList<QGlyphRun>& next = {}, bool nextEnds = false,
                               QStringView nextText = {}) {
        std::optional<qreal> reach;
        if (runs.size() == 1 && next.size() == 1 && runs.constFirst().isRightToLeft() &&
            next.constFirst().isRightToLeft() && !next.constFirst().positions().isEmpty()) {
            const QGlyphRun& after = next.constFirst();
            reach = after.positions().constFirst().x();
            // A lone glyph that ends the word (see drawRightToLeftSpelling()), and a piece a
            // left-to-right paragraph draws as it is (a letter from another face), span their own
            // boxes: this piece reaches the next one's right edge, not over it (poppler would take
            // a piece lying under the one before it for a line of its own).
            if ((nextEnds && after.glyphIndexes().size() == 1) ||
                (!rightToLeftParagraph && spellsItself(after, nextText)))
                *reach += after.rawFont()
                              .advancesForGlyphIndexes(after.glyphIndexes(), QRawFont::UseDesignMetrics)
                              .constFirst()
                              .x();
        }
        const bool leftToRight = runs.size() == 1 && !runs.constFirst().isRightToLeft();
        // What lies beside the piece in its word (see MarkedEnds).
        MarkedEnds beside;
        if (start > wordStart) {
            int before = start - 1;
            while (before > wordStart && text.at(before).direction() == QChar::DirNSM)
                --before;
            beside.before = (!leftToRight && afterLeftToRight) || isRightToLeftLetter(text.at(before));
        }
        if (next.size() == 1 && end < wordLimit)
            beside.after =
                (!leftToRight && !next.constFirst().isRightToLeft()) || isRightToLeftLetter(text.at(end));
        LeftToRightGroup group =
            rightToLeftParagraph && leftToRight ? groupOf(start, end) : LeftToRightGroup();
        group.beside = beside;
        SharedBridge bridge;
        bridge.next = leftToRight && next.size() == 1 && next.constFirst().isRightToLeft();
        bridge.beside = beside;
        if (!leftToRight && afterLeftToRight)
            bridge.reach = stretchRight;
        for (const QGlyphRun& run : runs) {
            if (runs.size() == 1)
                drawSpelling(painter, writer, position, run, QStringView(text).sliced(start, end - start),
                             rightToLeftParagraph, start == wordStart, end == wordLimit, reach,
                             afterLeftToRight, group, bridge);
            else
                painter.drawGlyphRun(position, run);
        }
        afterLeftToRight = leftToRight;
        stretchRight = bridge.next ? bridge.right : std::nullopt;
    };
    for (int start = line.textStart(); start < lineEnd;) {
        const bool space = text.at(start).isSpace();
        int wordEnd = start + 1;
        while (wordEnd < lineEnd && text.at(wordEnd).isSpace() == space)
            ++wordEnd;
        const QList<QGlyphRun> runs = line.glyphRuns(start, wordEnd - start);
        wordStart = start;
        wordLimit = wordEnd;
        if (space) {
            // A space set right to left is not drawn (it shows nothing): the word after it starts
            // with a blank that reads as the space, and pdfminer would take a space in a face of
            // another height, after a mark set low, for the start of another line.
            const bool bridged =
                mixed && runs.size() == 1 && !runs.constFirst().isRightToLeft() &&
                bridgeRightToLeftStretch(painter, writer, line, position, runs.constFirst(),
                                         QStringView(text).sliced(start, wordEnd - start),
                                         stretchEdge(start, false), stretchEdge(wordEnd, true));
            if (!bridged && (!rightToLeftParagraph || wordEnd == lineEnd || leftToRightAt(start))) {
                for (const QGlyphRun& run : runs)
                    painter.drawGlyphRun(position, run);
            }
        } else if (runs.size() < 2) {
            drawPiece(start, wordEnd, runs);
        } else {
            QTextBoundaryFinder characters(QTextBoundaryFinder::Grapheme, text.constData() + start,
                                           wordEnd - start);
            int pieceStart = start;
            QList<QGlyphRun> pieceRuns;
            struct Piece {
                int start;
                int end;
                QList<QGlyphRun> runs;
            };
            std::optional<Piece> pending;
            for (int at = start; at < wordEnd;) {
                const qsizetype boundary = characters.toNextBoundary();
                const int next = boundary < 0 ? wordEnd : start + int(boundary);
                QList<QGlyphRun> grown = line.glyphRuns(pieceStart, next - pieceStart);
                if (grown.size() > 1 && at > pieceStart) {
                    grown = line.glyphRuns(at, next - at);
                    if (pending)
                        drawPiece(pending->start, pending->end, pending->runs, pieceRuns, false,
                                  QStringView(text).sliced(pieceStart, at - pieceStart));
                    pending = Piece{pieceStart, at, pieceRuns};
                    pieceStart = at;
                }
                pieceRuns = grown;
                at = next;
            }
            if (pending)
                drawPiece(pending->start, pending->end, pending->runs, pieceRuns, true,
                          QStringView(text).sliced(pieceStart, wordEnd - pieceStart));
            drawPiece(pieceStart, wordEnd, pieceRuns);
        }
        start = wordEnd;
    }
}

} // namespace

PdfTextBlock::PdfTextBlock(const QString& text, const QFont& font, qreal width, QPaintDevice* device,
                           Qt::Alignment alignment, bool wrap, Qt::LayoutDirection context)
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
    // Letters that join (Arabic) and marks placed by the face (Hebrew points) are shaped whatever
    // the face: a font that sets other text glyph by glyph would draw them apart.
    if (std::any_of(m_text.cbegin(), m_text.cend(), [](QChar c) { return needsShapingAlways(c.unicode()); }))
        m_font.setStyleStrategy(QFont::StyleStrategy(m_font.styleStrategy() & ~QFont::PreferNoShaping));
    m_option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    m_option.setUseDesignMetrics(true);
    m_keepLayouts = m_text.size() <= kKeptLayoutsLimit;

    qsizetype start = 0;
    Qt::LayoutDirection direction = context;
    for (;;) {
        const qsizetype end = m_text.indexOf(QLatin1Char('\n'), start);
        direction = layOutParagraph(start, end < 0 ? m_text.size() : end, direction);
        if (end < 0)
            break;
        start = end + 1;
    }
}

PdfTextBlock::~PdfTextBlock() = default;

std::unique_ptr<QTextLayout> PdfTextBlock::layOut(const Piece& piece) const {
    auto layout = std::make_unique<QTextLayout>(m_text.mid(piece.start, piece.length), m_font, m_device);
    QTextOption option = m_option;
    option.setTextDirection(piece.direction);
    // Left and right stand for the leading and trailing edges, as on screen.
    Qt::Alignment alignment = option.alignment();
    if (piece.direction == Qt::RightToLeft && !(alignment & Qt::AlignAbsolute) &&
        (alignment & (Qt::AlignLeft | Qt::AlignRight)))
        alignment ^= Qt::AlignLeft | Qt::AlignRight;
    option.setAlignment(alignment);
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
        // A line that is not wrapped is as wide as its text, so that a right-to-left one starts
        // where the block does rather than at the end of the unbounded width.
        if (!m_wrap && piece.direction == Qt::RightToLeft)
            line.setLineWidth(line.naturalTextWidth());
        line.setPosition(QPointF(0, y));
        y += line.height();
    }
    layout->endLayout();
    return layout;
}

Qt::LayoutDirection PdfTextBlock::layOutParagraph(qsizetype start, qsizetype end,
                                                  Qt::LayoutDirection context) {
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

    // A paragraph is set in its own reading direction, that of its first letter of a strong
    // direction (that of the text before it when it has none), as the screen shows it; every
    // window of a long one too. The alignment is the leading edge of that direction.
    const Qt::LayoutDirection direction = textDirection(QStringView(m_text).mid(start, end - start), context);
    if (end - start <= kWholeParagraph || !m_wrap) {
        Piece piece{start, end - start, 0, direction, nullptr};
        auto layout = layOut(piece);
        piece.lines = layout->lineCount();
        keep(std::move(piece), std::move(layout));
        return direction;
    }

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
    return direction;
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
    PdfTextWriter* writer = PdfTextWriter::of(painter.device());
    const bool shaped = !(m_font.styleStrategy() & QFont::PreferNoShaping);
    qreal y = top;
    for (int i = first; i < end && i < lineCount(); ++i) {
        const Line& l = m_lines.at(i);
        const QTextLayout& layout = layoutOf(l.piece);
        const QTextLine line = layout.lineAt(l.index);
        const QPointF position(x, y - line.y());
        const QString text = writer ? layout.text() : QString();
        const bool rightToLeftParagraph = layout.textOption().textDirection() == Qt::RightToLeft;
        // A line of a right-to-left paragraph that holds no right-to-left letter may still set its
        // punctuation right to left ("Learning." wrapped onto a line of its own, its period at the
        // left): it goes word by word too.
        if (writer && (mayNotSpellItself(QStringView(text).sliced(line.textStart(), line.textLength())) ||
                       (rightToLeftParagraph && hasRightToLeftRun(line)) || (shaped && hasLigature(line))))
            drawSpellingWords(painter, *writer, line, text, position, rightToLeftParagraph);
        else
            line.draw(&painter, position);
        if (writer && rightToLeftParagraph)
            reachBlockStart(painter, *writer, line, position);
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

QRawFont PdfTextBlock::firstFace() const {
    if (m_lines.isEmpty())
        return {};
    const QList<QGlyphRun> runs =
        layoutOf(m_lines.constFirst().piece).lineAt(m_lines.constFirst().index).glyphRuns();
    return runs.isEmpty() ? QRawFont() : runs.constFirst().rawFont();
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
