#include "output/pdf_text_rtl.h"

#include "output/pdf_text_writer.h"

#include <QGlyphRun>
#include <QList>
#include <QMap>
#include <QPainter>
#include <QRawFont>

#include <algorithm>
#include <limits>

namespace quillora {

namespace {

// The characters of a right-to-left run in the order its glyphs show them, left to right: code
// point by code point, the text reversed.
QString shownOrder(QStringView text) {
    QList<uint> codePoints = text.toUcs4();
    std::reverse(codePoints.begin(), codePoints.end());
    return QString::fromUcs4(reinterpret_cast<const char32_t*>(codePoints.constData()), codePoints.size());
}

// Arabic and Hebrew presentation forms: a letter in one of its joining forms, a letter with its
// mark, a ligature.
bool isPresentationForm(char32_t u) {
    return (u >= 0xFB1D && u <= 0xFDFF) || (u >= 0xFE70 && u <= 0xFEFC);
}

QByteArray hexOf(QStringView text) {
    QByteArray hex;
    for (const QChar c : text)
        hex += QByteArray::number(c.unicode(), 16).rightJustified(4, '0').toUpper();
    return hex;
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
                                  const QGlyphRun& run, QStringView text, bool wordStart, bool wordEnds) {
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
    // right-to-left mark, not as a space).
    const qreal firstFar = right - (positions.constFirst().x() + advances.constFirst().x());
    const qreal lastFar = positions.constLast().x() - left;
    const bool startBridge = wordStart || firstFar >= 1.5 * advances.constFirst().x();
    const bool endBridge = wordEnds || lastFar >= 1.5 * advances.constLast().x();
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
    writer.addBridgedText(position + positions.constFirst(), glyphs.size(), withRightToLeftMarks(text),
                          right - left, startBridge, endBridge, startBridge && !wordStart,
                          endBridge && !wordEnds);
    return true;
}

QString withRightToLeftMarks(QStringView text) {
    return QChar(0x200F) + text.toString() + QChar(0x200F);
}

bool drawRightToLeftSpelling(QPainter& painter, PdfTextWriter& writer, QPointF position, const QGlyphRun& run,
                             QStringView text, bool wordStart, std::optional<qreal> reach, bool blankInWord) {
    const QRawFont font = run.rawFont();
    QList<quint32> glyphs = run.glyphIndexes();
    QList<QPointF> positions = run.positions();
    const QList<quint32> blank = font.glyphIndexesForString(QStringLiteral(" "));
    if (blank.size() != 1 || blank.constFirst() == 0 || positions.size() != glyphs.size())
        return false;
    const QList<QPointF> advances = font.advancesForGlyphIndexes(glyphs, QRawFont::UseDesignMetrics);
    qreal left = std::numeric_limits<qreal>::max();
    qreal right = std::numeric_limits<qreal>::lowest();
    for (qsizetype i = 0; i < glyphs.size(); ++i) {
        left = std::min(left, positions.at(i).x());
        right = std::max(right, positions.at(i).x() + advances.at(i).x());
    }
    // Qt gives a right-to-left run's glyphs in typed order, the first one rightmost; they are
    // drawn from the left, as they always were, and the writer puts them back in typed order.
    // A lone glyph without a blank already spans its own box.
    const bool withBlank = wordStart || blankInWord;
    const qreal endShift =
        !withBlank && glyphs.size() == 1
            ? 0
            : reach.value_or(left) - (positions.constLast().x() + advances.constLast().x());
    const QPointF blankAt(right, positions.constFirst().y());
    std::reverse(glyphs.begin(), glyphs.end());
    std::reverse(positions.begin(), positions.end());
    if (withBlank) {
        glyphs.append(blank.constFirst());
        positions.append(blankAt);
    }
    QGlyphRun shown = run;
    shown.setGlyphIndexes(glyphs);
    shown.setPositions(positions);
    painter.drawGlyphRun(position, shown);
    writer.addRightToLeftText(position + positions.constFirst(), glyphs.size(),
                              withRightToLeftMarks(shownOrder(text)), endShift, withBlank, blankInWord);
    return true;
}

namespace {

// A glyph line as Qt writes it: "<dx> <dy> Td <code> Tj".
struct GlyphLine {
    QByteArrayView move; // "<dx> <dy> Td"
    QByteArrayView line;
    uint code = 0;
};

std::optional<QList<GlyphLine>> glyphLinesOf(QByteArrayView glyphLines) {
    QList<GlyphLine> lines;
    for (qsizetype at = 0; at < glyphLines.size();) {
        qsizetype end = glyphLines.indexOf('\n', at);
        if (end < 0)
            end = glyphLines.size();
        const QByteArrayView line = glyphLines.sliced(at, end - at);
        const qsizetype move = line.indexOf(" Td <");
        if (move < 0 || !line.endsWith("> Tj"))
            return std::nullopt;
        bool ok = false;
        const uint code = line.sliced(move + 5, line.size() - move - 9).toUInt(&ok, 16);
        if (!ok)
            return std::nullopt;
        lines.append({line.first(move + 3), line, code});
        at = end + 1;
    }
    return lines;
}

} // namespace

std::optional<QList<uint>> glyphCodes(QByteArrayView glyphLines) {
    const auto lines = glyphLinesOf(glyphLines);
    if (!lines)
        return std::nullopt;
    QList<uint> codes;
    for (const GlyphLine& line : *lines)
        codes.append(line.code);
    return codes;
}

std::optional<QByteArray> withCodes(QByteArrayView glyphLines, const QList<uint>& codes) {
    const auto lines = glyphLinesOf(glyphLines);
    if (!lines || lines->size() != codes.size())
        return std::nullopt;
    QByteArray out;
    for (qsizetype i = 0; i < lines->size(); ++i) {
        out.append(lines->at(i).move);
        out.append(" <" + QByteArray::number(codes.at(i), 16).rightJustified(4, '0') + "> Tj\n");
    }
    return out;
}

std::optional<QByteArray> inTypedOrder(QByteArrayView fontLine, QByteArrayView glyphLines, qreal endShift,
                                       const QList<uint>& codes) {
    // Qt's lines: "<font> <size> Tf <matrix> Tm", then "<dx> <dy> Td <code> Tj" a glyph.
    const qsizetype matrix = fontLine.indexOf(" Tf ");
    const auto lines = glyphLinesOf(glyphLines);
    if (matrix < 0 || !fontLine.endsWith(" Tm") || !lines || lines->isEmpty() ||
        lines->size() > kMostReorderedGlyphs || (!codes.isEmpty() && codes.size() != lines->size()))
        return std::nullopt;
    const QByteArrayView setMatrix = fontLine.sliced(matrix + 4);
    // Each glyph is reached from the text matrix by the very moves that reached it before, so
    // that every reader and renderer computes its place exactly as it did: nothing drawn moves.
    QByteArray out;
    for (qsizetype k = lines->size() - 1; k >= 0; --k) {
        out.append(setMatrix);
        out.append('\n');
        for (qsizetype i = 0; i < k; ++i) {
            out.append(lines->at(i).move);
            out.append('\n');
        }
        const bool last = k == 0 && qAbs(endShift) >= 1e-4;
        if (last)
            out.append(QByteArray::number(endShift, 'f', 4) + " Tc\n");
        if (codes.isEmpty() || codes.at(k) == lines->at(k).code) {
            out.append(lines->at(k).line);
        } else {
            out.append(lines->at(k).move);
            out.append(" <" + QByteArray::number(codes.at(k), 16).rightJustified(4, '0') + "> Tj");
        }
        out.append('\n');
        if (last)
            out.append("0 Tc\n");
    }
    return out;
}

QList<QString> glyphTexts(QStringView typed, const QList<QString>& own) {
    QList<QString> texts;
    qsizetype at = 0;
    for (qsizetype i = 0; i < own.size(); ++i) {
        const QStringView rest = typed.sliced(at);
        if (i == own.size() - 1) {
            texts.append(rest.toString());
            at = typed.size();
            break;
        }
        const QString& mine = own.at(i);
        qsizetype take = 0;
        if (!mine.isEmpty() && !mine.front().isSpace() && rest.startsWith(mine)) {
            take = mine.size();
        } else {
            // A glyph that does not spell the text here (a ligature of marks, a joiner drawn as a
            // blank, marks in another order) stands for what comes before the next glyph's own
            // text, or for one character.
            take = std::min<qsizetype>(1, rest.size());
            const QString& next = own.at(i + 1);
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
        texts.append(rest.first(take).toString());
        at += take;
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
    for (QString& t : texts) {
        const QList<uint> codePoints = t.toUcs4();
        if (codePoints.size() == 1 && isPresentationForm(codePoints.constFirst()))
            t = t.normalized(QString::NormalizationForm_KC);
    }
    return table;
}

std::optional<QByteArray> writtenToUnicode(const QByteArray& cmap, const ToUnicodeTable& table) {
    static constexpr QByteArrayView kRangesEnd = "endcodespacerange";
    const qsizetype bodyBegin = cmap.indexOf(kRangesEnd.data());
    const qsizetype bodyEnd = cmap.indexOf("endcmap");
    if (bodyBegin < 0 || bodyEnd < bodyBegin)
        return std::nullopt;
    QByteArray body("\n");
    QList<std::pair<uint, QString>> entries;
    for (auto it = table.texts.cbegin(); it != table.texts.cend(); ++it)
        entries.append({it.key(), it.value()});
    for (qsizetype i = 0; i < entries.size(); i += 100) {
        const qsizetype count = std::min<qsizetype>(100, entries.size() - i);
        body += QByteArray::number(count) + " beginbfchar\n";
        for (qsizetype j = i; j < i + count; ++j) {
            body +=
                '<' +
                QByteArray::number(entries.at(j).first, 16).rightJustified(table.codeWidth, '0').toUpper() +
                "> <" + hexOf(entries.at(j).second) + ">\n";
        }
        body += "endbfchar\n";
    }
    return cmap.first(bodyBegin + kRangesEnd.size()) + body + cmap.sliced(bodyEnd);
}

} // namespace quillora
