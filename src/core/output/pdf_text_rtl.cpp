#include "output/pdf_text_rtl.h"

#include "output/pdf_text_writer.h"

#include <QGlyphRun>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <cstring>
#include <limits>

namespace quillora {

namespace {

// Writes the upper-case hex digits of `value`, at least `width` of them, at `out`; the end.
char* putHex(char* out, uint value, int width) {
    char digits[8];
    int count = 0;
    do {
        digits[count++] = "0123456789ABCDEF"[value & 0xF];
        value >>= 4;
    } while (value != 0);
    for (int i = count; i < width; ++i)
        *out++ = '0';
    while (count > 0)
        *out++ = digits[--count];
    return out;
}

std::optional<QString> textOfHex(QByteArrayView hex) {
    if (hex.size() % 4)
        return std::nullopt;
    QString text;
    for (qsizetype i = 0; i < hex.size(); i += 4) {
        bool ok = false;
        const uint unit = hex.sliced(i, 4).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        text += QChar(char16_t(unit));
    }
    return text;
}

// The tokens of a CMap's body: hex strings (with their brackets), array brackets, and words.
QList<QByteArrayView> tokensOf(QByteArrayView body) {
    QList<QByteArrayView> tokens;
    for (qsizetype at = 0; at < body.size();) {
        const char c = body.at(at);
        if (c == ' ' || c == '\n' || c == '\r' || c == '\t') {
            ++at;
        } else if (c == '<') {
            const qsizetype close = body.indexOf('>', at);
            if (close < 0)
                return {};
            tokens.append(body.sliced(at, close + 1 - at));
            at = close + 1;
        } else if (c == '[' || c == ']') {
            tokens.append(body.sliced(at, 1));
            ++at;
        } else {
            qsizetype end = at;
            while (end < body.size() && !QByteArrayView(" \n\r\t<[]").contains(body.at(end)))
                ++end;
            tokens.append(body.sliced(at, end - at));
            at = end;
        }
    }
    return tokens;
}

} // namespace

bool drawLeftToRightInRightToLeft(QPainter& painter, PdfTextWriter& writer, QPointF position,
                                  const QGlyphRun& run, QStringView text, bool wordStart, bool wordEnds,
                                  const LeftToRightGroup& group, bool nextBridges, qreal* rightEdge) {
    const QRawFont font = run.rawFont();
    QList<quint32> glyphs = run.glyphIndexes();
    QList<QPointF> positions = run.positions();
    const QList<quint32> blank = font.glyphIndexesForString(QStringLiteral(" "));
    if (blank.size() != 1 || blank.constFirst() == 0 || positions.size() != glyphs.size() || glyphs.isEmpty())
        return false;
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        left = std::min(left, positions.at(i).x());
        right = std::max(right, positions.at(i).x() + advances.at(i).x());
    }
    // Inside a word, the run's first glyph is met after the glyph to the run's right, and the glyph
    // to its left after its last one: pdfminer takes either for the start of another line when it
    // lies farther than twice its width from there, so a bridge is added there too (reading as a
    // right-to-left mark, not as a space). MuPDF, which reads a line's direction from its letters,
    // takes the step back from the run's right edge to a first glyph that is a Latin letter for a
    // new line when it is longer than 0.8 of the font's size.
    left = std::min(left, group.left.value_or(left));
    right = std::max(right, group.right.value_or(right));
    const qreal firstFar = right - (positions.constFirst().x() + advances.constFirst().x());
    const qreal lastFar = positions.constLast().x() - left;
    const bool letterFirst = !text.isEmpty() && QChar::direction(text.front().unicode()) == QChar::DirL;
    const bool startBridge =
        !group.before && (wordStart || firstFar >= 1.5 * advances.constFirst().x() ||
                          (letterFirst && right - positions.constFirst().x() > 0.8 * font.pixelSize()));
    const bool endBridge =
        !group.after && !nextBridges && (wordEnds || lastFar >= 1.5 * advances.constLast().x());
    if (rightEdge)
        *rightEdge = right;
    const QPointF bridge(left, positions.constFirst().y());
    if (startBridge) {
        glyphs.prepend(blank.constFirst());
        positions.prepend(bridge);
    }
    if (endBridge) {
        glyphs.append(blank.constFirst());
        positions.append(bridge);
    }
    QGlyphRun bridged = run;
    bridged.setGlyphIndexes(glyphs);
    bridged.setPositions(positions);
    painter.drawGlyphRun(position, bridged);
    writer.addBridgedText(position + positions.constFirst(), glyphs.size(),
                          withRightToLeftMarks(text, !group.before && !group.beside.after,
                                               !group.after && !group.beside.before),
                          right - left, startBridge, endBridge, startBridge && !wordStart,
                          endBridge && !wordEnds);
    return true;
}

bool isPresentationForm(char32_t u) {
    return (u >= 0xFB1D && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFC);
}

bool isRightToLeftLetter(QChar c) {
    return c.direction() == QChar::DirR || c.direction() == QChar::DirAL;
}

QString withRightToLeftMarks(QStringView text, bool before, bool after) {
    QString marked;
    marked.reserve(text.size() + 2);
    if (before)
        marked += QChar(0x200F);
    marked += text;
    if (after)
        marked += QChar(0x200F);
    return marked;
}

QString withNeutralsApart(QStringView shown) {
    const auto neutral = [](QChar c) {
        switch (c.direction()) {
        case QChar::DirON:
        case QChar::DirES:
        case QChar::DirET:
        case QChar::DirCS:
        case QChar::DirEN:
        case QChar::DirAN:
            return true;
        default:
            return false;
        }
    };
    QString apart;
    apart.reserve(shown.size() + 2);
    for (qsizetype i = 0; i < shown.size(); ++i) {
        if (i > 0 && neutral(shown.at(i - 1)) && neutral(shown.at(i)))
            apart += QChar(0x200F);
        apart += shown.at(i);
    }
    return apart;
}

QString withFormsSpelled(QStringView shown) {
    if (std::none_of(shown.begin(), shown.end(), [](QChar c) { return isPresentationForm(c.unicode()); }))
        return shown.toString();
    QString spelled;
    for (const QChar c : shown) {
        if (isPresentationForm(c.unicode()))
            spelled += reversed(QString(c).normalized(QString::NormalizationForm_KC));
        else
            spelled += c;
    }
    return spelled;
}

QString reversed(QStringView text, QChar marks) {
    const qsizetype margin = marks.isNull() ? 0 : 1;
    QString out(text.size() + 2 * margin, Qt::Uninitialized);
    QChar* at = out.data();
    if (margin)
        *at++ = marks;
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
        const QChar c = text.at(i);
        if (c.isLowSurrogate() && i > 0 && text.at(i - 1).isHighSurrogate()) {
            *at++ = text.at(i - 1);
            *at++ = c;
            --i;
        } else {
            *at++ = c.isSurrogate() ? QChar(QChar::ReplacementCharacter) : c;
        }
    }
    if (margin)
        *at = marks;
    return out;
}

bool drawRightToLeftSpelling(QPainter& painter, PdfTextWriter& writer, QPointF position, const QGlyphRun& run,
                             QStringView text, bool wordStart, std::optional<qreal> reach, bool blankInWord,
                             std::optional<qreal> blankReach, MarkedEnds beside) {
    const QRawFont font = run.rawFont();
    const QList<quint32> drawn = run.glyphIndexes();
    const QList<QPointF> drawnAt = run.positions();
    const QList<quint32> blank = font.glyphIndexesForString(QStringLiteral(" "));
    if (blank.size() != 1 || blank.constFirst() == 0 || drawnAt.size() != drawn.size())
        return false;
    const QList<QPointF> advances = font.advancesForGlyphIndexes(drawn, QRawFont::UseDesignMetrics);
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (qsizetype i = 0; i < drawn.size(); ++i) {
        left = std::min(left, drawnAt.at(i).x());
        right = std::max(right, drawnAt.at(i).x() + advances.at(i).x());
    }
    // Qt gives a right-to-left run's glyphs in typed order, the first one rightmost; they are
    // drawn from the left, as they always were, and the writer puts them back in typed order.
    // A lone glyph without a blank already spans its own box, unless it reaches the next piece.
    const bool withBlank = wordStart || blankInWord;
    const qreal endShift = !withBlank && drawn.size() == 1 && !reach
                               ? 0
                               : reach.value_or(left) - (drawnAt.constLast().x() + advances.constLast().x());
    QList<quint32> glyphs;
    QList<QPointF> positions;
    glyphs.reserve(drawn.size() + 1);
    positions.reserve(drawn.size() + 1);
    for (qsizetype i = drawn.size() - 1; i >= 0; --i) {
        glyphs.append(drawn.at(i));
        positions.append(drawnAt.at(i));
    }
    if (withBlank) {
        glyphs.append(blank.constFirst());
        positions.append(QPointF(right, drawnAt.constFirst().y()));
    }
    QGlyphRun shown = run;
    shown.setGlyphIndexes(glyphs);
    shown.setPositions(positions);
    painter.drawGlyphRun(position, shown);
    // The characters in the order the glyphs show them, left to right, with a right-to-left mark
    // at an end that is not a right-to-left letter, where no piece of the same word lies (see
    // MarkedEnds). Poppler takes a word that starts with a mark (a vowel sign after the last
    // letter) for a left-to-right one when it keeps the content's order (pdftotext -raw).
    QString shownText = reversed(text);
    if (!beside.after && (shownText.isEmpty() || !isRightToLeftLetter(shownText.front())))
        shownText.prepend(QChar(0x200F));
    if (!beside.before && (shownText.isEmpty() || !isRightToLeftLetter(shownText.back())))
        shownText.append(QChar(0x200F));
    writer.addRightToLeftText(position + positions.constFirst(), glyphs.size(), shownText, endShift,
                              withBlank, blankInWord,
                              blankInWord && blankReach ? std::max<qreal>(*blankReach - right, 0) : 0);
    return true;
}

namespace {

// The value of a glyph's code, hex digits as Qt writes them, without the work of a general
// conversion; any other spelling is converted so.
bool readCode(QByteArrayView hex, uint* code) {
    if (hex.isEmpty() || hex.size() > 8) {
        bool ok = false;
        *code = hex.toUInt(&ok, 16);
        return ok;
    }
    uint value = 0;
    for (const char c : hex) {
        uint digit = 0;
        if (c >= '0' && c <= '9') {
            digit = uint(c - '0');
        } else if (c >= 'a' && c <= 'f') {
            digit = uint(c - 'a' + 10);
        } else if (c >= 'A' && c <= 'F') {
            digit = uint(c - 'A' + 10);
        } else {
            bool ok = false;
            *code = hex.toUInt(&ok, 16);
            return ok;
        }
        value = value << 4 | digit;
    }
    *code = value;
    return true;
}

// The bytes of " <code> Tj" with the code in (at least four) lower-case hex digits.
qsizetype showSize(uint code) {
    int digits = 1;
    while (code >>= 4)
        ++digits;
    return 2 + std::max(digits, 4) + 4;
}

// Writes " <code> Tj" at `out` (showSize(code) bytes); the end.
char* putShow(char* out, uint code) {
    const qsizetype size = showSize(code);
    std::memcpy(out, " <0000", 6);
    char* digit = out + size - 5; // the last digit
    do {
        *digit-- = "0123456789abcdef"[code & 0xF];
        code >>= 4;
    } while (code != 0);
    std::memcpy(out + size - 4, "> Tj", 4);
    return out + size;
}

char* put(char* out, QByteArrayView bytes) {
    if (!bytes.isEmpty())
        std::memcpy(out, bytes.data(), size_t(bytes.size()));
    return out + bytes.size();
}

} // namespace

std::optional<QList<GlyphLine>> glyphLinesOf(QByteArrayView glyphLines) {
    QList<GlyphLine> lines;
    lines.reserve(glyphLines.size() / 16 + 1); // Qt's lines are longer
    const char* const data = glyphLines.data();
    for (qsizetype at = 0; at < glyphLines.size();) {
        const void* newline = std::memchr(data + at, '\n', size_t(glyphLines.size() - at));
        const qsizetype end = newline ? static_cast<const char*>(newline) - data : glyphLines.size();
        const QByteArrayView line = glyphLines.sliced(at, end - at);
        // The first " Td <": Qt's moves hold no '<', so it is most often at the first '<'.
        qsizetype move = -1;
        if (const void* open = std::memchr(line.data(), '<', size_t(line.size()))) {
            const qsizetype bracket = static_cast<const char*>(open) - line.data();
            if (bracket >= 4 && line.sliced(bracket - 4, 4) == " Td ")
                move = bracket - 4;
        }
        if (move < 0)
            move = line.indexOf(" Td <");
        if (move < 0 || !line.endsWith("> Tj"))
            return std::nullopt;
        uint code = 0;
        if (!readCode(line.sliced(move + 5, line.size() - move - 9), &code))
            return std::nullopt;
        lines.append({line.first(move + 3), line, code});
        at = end + 1;
    }
    return lines;
}

std::optional<QByteArray> withCodes(const QList<GlyphLine>& lines, const QList<uint>& codes) {
    if (lines.size() != codes.size())
        return std::nullopt;
    qsizetype size = 0;
    for (qsizetype i = 0; i < lines.size(); ++i)
        size += lines.at(i).move.size() + showSize(codes.at(i)) + 1;
    QByteArray out(size, Qt::Uninitialized);
    char* at = out.data();
    for (qsizetype i = 0; i < lines.size(); ++i) {
        at = putShow(put(at, lines.at(i).move), codes.at(i));
        *at++ = '\n';
    }
    return out;
}

std::optional<QByteArray> inDrawnOrder(QByteArrayView fontLine, const QList<GlyphLine>& lines,
                                       const QList<uint>& codes, bool blank, qreal lastShift,
                                       qsizetype* lastAt) {
    const qsizetype matrix = fontLine.indexOf(" Tf ");
    if (matrix < 0 || !fontLine.endsWith(" Tm") || lines.size() < 2 || codes.size() != lines.size())
        return std::nullopt;
    const QByteArrayView setMatrix = fontLine.sliced(matrix + 4);
    const qsizetype glyphs = lines.size() - (blank ? 1 : 0);
    const bool shifted = qAbs(lastShift) >= 1e-4;
    const QByteArray shift = shifted ? QByteArray::number(lastShift, 'f', 4) + " Tc\n" : QByteArray();
    static constexpr QByteArrayView kNoShift = "0 Tc\n";
    qsizetype size = setMatrix.size() + 1 + shift.size() + kNoShift.size();
    for (qsizetype i = 0; i < lines.size(); ++i)
        size += 2 * (lines.at(i).move.size() + 1) + showSize(codes.at(i));
    QByteArray out(size, Qt::Uninitialized);
    char* const begin = out.data();
    char* at = begin;
    if (blank) {
        // The blank, reached by the moves of every glyph before it, as it was; then the glyphs
        // from the text matrix again.
        for (qsizetype i = 0; i < glyphs; ++i) {
            at = put(at, lines.at(i).move);
            *at++ = '\n';
        }
        at = putShow(put(at, lines.constLast().move), codes.constLast());
        *at++ = '\n';
        at = put(at, setMatrix);
        *at++ = '\n';
    }
    for (qsizetype i = 0; i < glyphs; ++i) {
        if (i == glyphs - 1 && lastAt)
            *lastAt = at - begin;
        const bool last = i == glyphs - 1 && shifted;
        if (last)
            at = put(at, shift);
        at = putShow(put(at, lines.at(i).move), codes.at(i));
        *at++ = '\n';
        if (last)
            at = put(at, kNoShift);
    }
    out.truncate(at - begin);
    return out;
}

std::optional<QByteArray> inTypedOrder(QByteArrayView fontLine, const QList<GlyphLine>& lines, qreal endShift,
                                       const QList<uint>& codes) {
    // Qt's lines: "<font> <size> Tf <matrix> Tm", then "<dx> <dy> Td <code> Tj" a glyph.
    const qsizetype matrix = fontLine.indexOf(" Tf ");
    if (matrix < 0 || !fontLine.endsWith(" Tm") || lines.isEmpty() || lines.size() > kMostReorderedGlyphs ||
        (!codes.isEmpty() && codes.size() != lines.size()))
        return std::nullopt;
    const QByteArrayView setMatrix = fontLine.sliced(matrix + 4);
    const bool shifted = qAbs(endShift) >= 1e-4;
    const QByteArray shift = shifted ? QByteArray::number(endShift, 'f', 4) + " Tc\n" : QByteArray();
    static constexpr QByteArrayView kNoShift = "0 Tc\n";
    const auto recoded = [&](qsizetype k) { return !codes.isEmpty() && codes.at(k) != lines.at(k).code; };
    // Each glyph is reached from the text matrix by the very moves that reached it before, so
    // that every reader and renderer computes its place exactly as it did: nothing drawn moves.
    qsizetype size = shift.size() + kNoShift.size();
    qsizetype moves = 0; // the bytes of the moves before glyph k
    for (qsizetype k = 0; k < lines.size(); ++k) {
        const GlyphLine& line = lines.at(k);
        size += setMatrix.size() + 1 + moves +
                (recoded(k) ? line.move.size() + showSize(codes.at(k)) : line.line.size()) + 1;
        moves += line.move.size() + 1;
    }
    QByteArray out(size, Qt::Uninitialized);
    char* const begin = out.data();
    char* at = begin;
    for (qsizetype k = lines.size() - 1; k >= 0; --k) {
        at = put(at, setMatrix);
        *at++ = '\n';
        for (qsizetype i = 0; i < k; ++i) {
            at = put(at, lines.at(i).move);
            *at++ = '\n';
        }
        const bool last = k == 0 && shifted;
        if (last)
            at = put(at, shift);
        at = recoded(k) ? putShow(put(at, lines.at(k).move), codes.at(k)) : put(at, lines.at(k).line);
        *at++ = '\n';
        if (last)
            at = put(at, kNoShift);
    }
    out.truncate(at - begin);
    return out;
}

QList<QStringView> glyphTexts(QStringView typed, const QList<QStringView>& own) {
    QList<QStringView> texts;
    texts.reserve(own.size());
    qsizetype at = 0;
    for (qsizetype i = 0; i < own.size(); ++i) {
        const QStringView rest = typed.sliced(at);
        if (i == own.size() - 1) {
            texts.append(rest);
            at = typed.size();
            break;
        }
        const QStringView mine = own.at(i);
        qsizetype take = 0;
        if (!mine.isEmpty() && !mine.front().isSpace() && rest.startsWith(mine)) {
            take = mine.size();
        } else {
            // A glyph that does not spell the text here (a ligature of marks, a joiner drawn as a
            // blank, marks in another order) stands for what comes before the next glyph's own
            // text, or for one character.
            take = std::min<qsizetype>(1, rest.size());
            const QStringView next = own.at(i + 1);
            // Marks the face draws in another order than typed are given one each, in typed order.
            const bool reorderedMark =
                !rest.isEmpty() && rest.front().isMark() && !mine.isEmpty() && mine.front().isMark();
            for (qsizetype k = 1;
                 !reorderedMark && k < std::min<qsizetype>(rest.size(), 8) && !next.isEmpty(); ++k) {
                if (rest.sliced(k).startsWith(next)) {
                    take = k;
                    break;
                }
            }
            if (take > 0 && rest.at(take - 1).isHighSurrogate() && take < rest.size())
                ++take;
        }
        texts.append(rest.first(take));
        at += take;
    }
    // Glyphs drawn after the text they stand for is spelled out (a reph drawn after the rest of its
    // syllable) would read as nothing: while there are characters enough, each takes the last one
    // of the glyphs before it, which stand for the rest.
    qsizetype characters = 0;
    for (qsizetype i = 0; i < typed.size(); ++i)
        characters += typed.at(i).isLowSurrogate() && i > 0 && typed.at(i - 1).isHighSurrogate() ? 0 : 1;
    if (texts.isEmpty() || !texts.constLast().isEmpty() || characters < texts.size())
        return texts;
    qsizetype end = typed.size();
    for (qsizetype i = texts.size() - 1; i >= 0; --i) {
        const qsizetype start = i == 0 ? 0 : std::min<qsizetype>(texts.at(i).data() - typed.data(), end);
        qsizetype from = start;
        if (from >= end || i == 0) {
            from = i == 0 ? 0 : end - 1;
            if (i > 0 && from > 0 && typed.at(from).isLowSurrogate() && typed.at(from - 1).isHighSurrogate())
                --from;
        }
        texts[i] = typed.sliced(from, end - from);
        end = from;
    }
    return texts;
}

std::optional<ToUnicodeTable> readToUnicode(const QByteArray& cmap) {
    static constexpr QByteArrayView kRangesEnd = "endcodespacerange";
    const qsizetype bodyBegin = cmap.indexOf(kRangesEnd.data());
    const qsizetype bodyEnd = cmap.indexOf("endcmap");
    if (bodyBegin < 0 || bodyEnd < bodyBegin)
        return std::nullopt;
    const QList<QByteArrayView> tokens = tokensOf(
        QByteArrayView(cmap).sliced(bodyBegin + kRangesEnd.size(), bodyEnd - bodyBegin - kRangesEnd.size()));

    ToUnicodeTable table;
    QMap<uint, QString>& texts = table.texts;
    int& codeWidth = table.codeWidth;
    const auto code = [&codeWidth](QByteArrayView token) -> std::optional<uint> {
        if (token.size() < 3 || token.front() != '<')
            return std::nullopt;
        bool ok = false;
        const uint value = token.sliced(1, token.size() - 2).toUInt(&ok, 16);
        codeWidth = int(token.size() - 2);
        // Codes of two bytes at most (a range up to the last 32-bit code would never end).
        return ok && value <= 0xFFFF ? std::optional(value) : std::nullopt;
    };
    const auto text = [](QByteArrayView token) -> std::optional<QString> {
        if (token.size() < 2 || token.front() != '<')
            return std::nullopt;
        return textOfHex(token.sliced(1, token.size() - 2));
    };
    // A table gives each of a font's codes (two bytes) a text, a few times over at most: one
    // giving more is not a font's, and reading it would take ever longer.
    constexpr qint64 kMaxEntries = qint64(4) << 16;
    qint64 entries = 0;
    enum class Section { none, range, character } section = Section::none;
    for (qsizetype i = 0; i < tokens.size();) {
        const QByteArrayView token = tokens.at(i);
        if (token == "beginbfrange" || token == "beginbfchar") {
            section = token == "beginbfrange" ? Section::range : Section::character;
            ++i;
        } else if (token == "endbfrange" || token == "endbfchar") {
            section = Section::none;
            ++i;
        } else if (section == Section::character && i + 1 < tokens.size()) {
            const auto from = code(token);
            const auto to = text(tokens.at(i + 1));
            if (!from || !to || ++entries > kMaxEntries)
                return std::nullopt;
            texts.insert(*from, *to);
            i += 2;
        } else if (section == Section::range && i + 2 < tokens.size()) {
            const auto low = code(token);
            const auto high = code(tokens.at(i + 1));
            if (!low || !high || *high < *low || *high - *low > 0xFFFF ||
                (entries += qint64(*high - *low) + 1) > kMaxEntries)
                return std::nullopt;
            i += 2;
            if (tokens.at(i) == "[") {
                ++i;
                for (uint c = *low; c <= *high; ++c, ++i) {
                    const auto to = i < tokens.size() ? text(tokens.at(i)) : std::nullopt;
                    if (!to)
                        return std::nullopt;
                    texts.insert(c, *to);
                }
                if (i >= tokens.size() || tokens.at(i) != "]")
                    return std::nullopt;
                ++i;
            } else {
                const auto first = text(tokens.at(i));
                if (!first || first->isEmpty())
                    return std::nullopt;
                for (uint c = *low; c <= *high; ++c) {
                    QString to = *first;
                    to.back() = QChar(char16_t(to.back().unicode() + (c - *low)));
                    texts.insert(c, to);
                }
                ++i;
            }
        } else if (section == Section::none) {
            ++i; // the count before a section
        } else {
            return std::nullopt;
        }
    }
    if (codeWidth == 0)
        return std::nullopt;
    // A presentation form stands for its letters; a glyph named a tab (a face that draws a tab
    // with its space glyph) is a space.
    for (QString& t : texts) {
        const QList<uint> codePoints = t.toUcs4();
        if (codePoints.size() == 1 && isPresentationForm(codePoints.constFirst()))
            t = t.normalized(QString::NormalizationForm_KC);
        else if (t == u"\t")
            t = QStringLiteral(" ");
    }
    return table;
}

std::optional<QByteArray> writtenToUnicode(const QByteArray& cmap, const ToUnicodeTable& table) {
    static constexpr QByteArrayView kRangesEnd = "endcodespacerange";
    const qsizetype bodyBegin = cmap.indexOf(kRangesEnd.data());
    const qsizetype bodyEnd = cmap.indexOf("endcmap");
    if (bodyBegin < 0 || bodyEnd < bodyBegin)
        return std::nullopt;
    // Lines of "<code> <text>", a hundred to a section.
    qsizetype size = 1 + (table.texts.size() / 100 + 1) * 32;
    for (const QString& text : table.texts)
        size += 8 + table.codeWidth + 4 * text.size() + 8;
    QByteArray body(size, Qt::Uninitialized);
    char* const begin = body.data();
    char* at = begin;
    *at++ = '\n';
    qsizetype left = table.texts.size();
    qsizetype inSection = 0;
    for (auto it = table.texts.cbegin(); it != table.texts.cend(); ++it) {
        if (inSection == 0) {
            const QByteArray count = QByteArray::number(std::min<qsizetype>(100, left)) + " beginbfchar\n";
            std::memcpy(at, count.constData(), size_t(count.size()));
            at += count.size();
        }
        *at++ = '<';
        at = putHex(at, it.key(), table.codeWidth);
        std::memcpy(at, "> <", 3);
        at += 3;
        for (const QChar c : it.value())
            at = putHex(at, c.unicode(), 4);
        std::memcpy(at, ">\n", 2);
        at += 2;
        --left;
        if (++inSection == 100 || left == 0) {
            std::memcpy(at, "endbfchar\n", 10);
            at += 10;
            inSection = 0;
        }
    }
    body.truncate(at - begin);
    return cmap.first(bodyBegin + kRangesEnd.size()) + body + cmap.sliced(bodyEnd);
}

} // namespace quillora
