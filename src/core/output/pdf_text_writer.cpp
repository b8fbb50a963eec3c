#include "output/pdf_text_writer.h"

#include "output/pdf_text_rtl.h"
#include "platform/log.h"

#include <QByteArrayView>
#include <QHash>
#include <QIODevice>
#include <QSet>
#include <QStringBuilder>
#include <QStringList>

#include <zlib.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>
#include <unordered_map>
#include <utility>
#include <vector>

namespace quillora {

namespace {

// A glyph run as Qt's PDF writer places it: its first glyph's position in 1/64 units (cut toward
// zero, as Qt cuts them) and its number of glyphs.
struct RunKey {
    qint64 x = 0;
    qint64 y = 0;
    qint64 glyphs = 0;
    friend bool operator==(const RunKey&, const RunKey&) = default;
};

size_t qHash(const RunKey& key, size_t seed = 0) {
    return qHashMulti(seed, key.x, key.y, key.glyphs);
}

qint64 fixed(qreal value) {
    return qint64(int(value * qreal(64)));
}

// What a recorded run stands for: its span's text, and how far its last glyph's end moves.
struct RunText {
    QString text;
    bool rightToLeft = false; // its glyphs go in typed order (see pdf_text_rtl.h)
    qreal endShift = 0;
    bool blank = false; // it ends with a blank glyph
    qreal bridge = 0;   // the width of the blanks at a left-to-right run's ends
    bool bridgeFirst = false;
    bool bridgeLast = false;
    bool bridgeFirstInWord = false; // (then) it reads as a right-to-left mark
    bool bridgeLastInWord = false;
    bool blankInWord = false; // its blank reads as a right-to-left mark
    qreal blankWidth = 0;     // (then) its width, when not the blank's own
    bool spelled = false;     // a left-to-right run whose glyphs get codes that name their letters
};

using PageTexts = QHash<RunKey, QList<RunText>>; // the texts of the runs at a key, in drawing order

// The operator that opens a span whose text a reader takes in place of its glyphs' characters.
QByteArray spanFor(const QString& text) {
    QByteArray span("/Span <</ActualText <FEFF");
    span.reserve(span.size() + 4 * text.size() + 16);
    static constexpr char kHex[] = "0123456789ABCDEF";
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        for (int shift = 12; shift >= 0; shift -= 4)
            span.append(kHex[(u >> shift) & 0xF]);
    }
    span.append(">>> BDC\n");
    return span;
}

// The first number of a line of the content and what follows it; a number no page position can
// be (infinite, or beyond a billion points) is none.
bool readNumber(QByteArrayView& line, double* value) {
    const qsizetype space = line.indexOf(' ');
    if (space <= 0)
        return false;
    const QByteArrayView token = line.first(space);
    bool ok = false;
    // Qt's numbers ("-12.5") are read directly: with at most 15 digits, their value divided by
    // a power of ten of at most 10^15 is the double nearest the number, as a general conversion
    // gives it (both are exact, and a division rounds to nearest). Any other spelling is
    // converted so.
    const bool negative = token.front() == '-';
    qint64 digits = 0;
    int count = 0;
    int fraction = -1; // digits after the point
    for (qsizetype i = negative ? 1 : 0; i < token.size(); ++i) {
        const char c = token.at(i);
        if (c >= '0' && c <= '9' && count < 15) {
            digits = digits * 10 + (c - '0');
            ++count;
            if (fraction >= 0)
                ++fraction;
        } else if (c == '.' && fraction < 0 && count > 0) {
            fraction = 0;
        } else {
            count = -1;
            break;
        }
    }
    if (count > 0 && fraction != 0) {
        static constexpr double kPowers[] = {1e0, 1e1, 1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                             1e8, 1e9, 1e10, 1e11, 1e12, 1e13, 1e14, 1e15};
        const double magnitude = double(digits) / kPowers[std::max(fraction, 0)];
        *value = negative ? -magnitude : magnitude;
        ok = true;
    } else {
        *value = token.toDouble(&ok);
    }
    line = line.sliced(space + 1);
    return ok && std::isfinite(*value) && std::abs(*value) < 1e9;
}

// Wraps the glyphs of each text object of a page's content that draws a recorded run in a span
// with the run's text. Qt writes a text object as
//   BT
//   /F<n> <size> Tf <matrix> Tm
//   <x> <y> Td <glyph> Tj        (one line a glyph; the first moves from the origin)
//   …
//   [a second pass over the glyphs, for a face made bold by Qt]
//   ET
// so the span starts after the Tm line and ends after the first pass. Objects no run was
// recorded for are left as they are. `changed` says whether any span was added. A page's content
// holds no text of the résumé (glyphs are named by their numbers, and the spans are added after
// it is read), so nothing in it can pass for these lines.
// Writes a right-to-left run's glyph lines so that they read in typed order (see pdf_text_rtl.h),
// given the text object's font line; nothing when it cannot.
// `hidden` is set to the bytes at the start of what it gives that draw glyphs the span's text does
// not start at: they go in a span of their own with no text, which poppler reads as nothing.
using Reorder = std::function<std::optional<QByteArray>(QByteArrayView fontLine, QByteArrayView glyphLines,
                                                        const RunText& run, qsizetype* hidden)>;

// Where the line at `from` ends (its newline), or -1.
qsizetype lineEnd(const QByteArray& content, qsizetype from) {
    const void* newline = std::memchr(content.constData() + from, '\n', size_t(content.size() - from));
    return newline ? static_cast<const char*>(newline) - content.constData() : -1;
}

QByteArray withSpans(const QByteArray& content, PageTexts& texts, bool* changed, const Reorder& reorder) {
    QByteArray out;
    qsizetype copied = 0;
    qsizetype at = 0;
    for (;;) {
        const qsizetype begin = content.indexOf("\nBT\n", at);
        if (begin < 0)
            break;
        const qsizetype fontLine = begin + 4;
        const qsizetype fontLineEnd = lineEnd(content, fontLine);
        if (fontLineEnd < 0)
            break;
        at = fontLineEnd + 1;
        if (!QByteArrayView(content).sliced(fontLine, fontLineEnd - fontLine).endsWith(" Tm"))
            continue;
        double x = 0;
        double y = 0;
        qint64 glyphs = 0;
        qsizetype lineStart = fontLineEnd + 1;
        for (;;) {
            const qsizetype end = lineEnd(content, lineStart);
            if (end < 0)
                break;
            QByteArrayView line = QByteArrayView(content).sliced(lineStart, end - lineStart);
            if (!line.endsWith(" Tj"))
                break;
            if (glyphs == 0 && (!readNumber(line, &x) || !readNumber(line, &y) || !line.startsWith("Td ")))
                break;
            ++glyphs;
            lineStart = end + 1;
        }
        if (glyphs == 0)
            continue;
        // The line gives the first glyph at (x, -y); a face Qt slants itself moves x by 0.3 y.
        const qint64 y64 = qRound64(-y * 64);
        auto found = texts.find(RunKey{qRound64(x * 64), y64, glyphs});
        if (found == texts.end())
            found = texts.find(RunKey{qRound64((x + 0.3 * y) * 64), y64, glyphs});
        if (found == texts.end() || found->isEmpty())
            continue;
        const RunText run = found->takeFirst();
        out.append(content.constData() + copied, fontLineEnd + 1 - copied);
        const QByteArrayView drawn =
            QByteArrayView(content).sliced(fontLineEnd + 1, lineStart - (fontLineEnd + 1));
        std::optional<QByteArray> typed;
        qsizetype hidden = 0;
        if (run.rightToLeft || run.bridge > 0 || run.spelled)
            typed = reorder(QByteArrayView(content).sliced(fontLine, fontLineEnd - fontLine),
                            drawn.chopped(1), run, &hidden);
        if (typed && hidden > 0 && hidden < typed->size()) {
            out.append(spanFor(QString()));
            out.append(QByteArrayView(*typed).first(hidden));
            out.append("EMC\n");
        } else {
            hidden = 0;
        }
        out.append(spanFor(run.rightToLeft ? withNeutralsApart(withFormsSpelled(run.text)) : run.text));
        out.append(typed ? QByteArrayView(*typed).sliced(hidden) : drawn);
        out.append("EMC\n");
        copied = lineStart;
        at = lineStart;
        *changed = true;
    }
    if (*changed)
        out.append(content.constData() + copied, content.size() - copied);
    return out;
}

// The largest object number a table may give: far beyond any file Qt writes, and small enough
// that no sum with it overflows.
constexpr qint64 kMaxObjectNumber = 1 << 30;
// Arrays and dictionaries nested deeper than this are not read.
constexpr int kMaxNesting = 64;

// A reader of the parts of a PDF file the writer rewrites: objects found through the
// cross-reference table at the file's end, and their values read token by token, so that nothing
// a string holds (a title, a name, in whatever encoding) is taken for the file's own syntax.
class PdfFile final {
public:
    struct Value {
        enum class Kind { none, number, reference, name, string, array, dictionary, keyword };
        Kind kind = Kind::none;
        qint64 number = 0; // a whole number; the object number of a reference
        bool whole = true; // false for a number with a fraction
        qint64 generation = 0;
        QByteArray text; // a name without its slash, a keyword
        QList<Value> items;
        QList<std::pair<QByteArray, Value>> entries;
        qsizetype begin = 0; // where the value lies in the file
        qsizetype end = 0;

        const Value* at(QByteArrayView key) const {
            for (const auto& [name, value] : entries) {
                if (name == key)
                    return &value;
            }
            return nullptr;
        }
    };

    // An indirect object: where it starts and ends, and its value.
    struct Object {
        qsizetype begin = 0;
        qsizetype end = 0;
        Value value;
        qsizetype streamBegin = -1; // the stream's first byte, when it has one
        qsizetype streamEnd = -1;
    };

    explicit PdfFile(const QByteArray& bytes)
        : m_bytes(bytes)
        , m_end(bytes.size()) {}

    // Reads the cross-reference table and the trailer. False when the file's end is not as a
    // PDF file's end is.
    bool readTable() {
        // The file ends with "startxref", the table's offset and "%%EOF".
        qsizetype at = m_bytes.size();
        while (at > 0 && isWhite(m_bytes.at(at - 1)))
            --at;
        if (!QByteArrayView(m_bytes).first(at).endsWith("%%EOF"))
            return false;
        at -= 5;
        const qsizetype numberEnd = skipWhiteBackwards(at);
        qsizetype numberBegin = numberEnd;
        while (numberBegin > 0 && isDigit(m_bytes.at(numberBegin - 1)))
            --numberBegin;
        if (numberBegin == numberEnd || numberEnd - numberBegin > 15)
            return false;
        const qsizetype keywordEnd = skipWhiteBackwards(numberBegin);
        if (!QByteArrayView(m_bytes).first(keywordEnd).endsWith("startxref"))
            return false;
        m_startKeyword = keywordEnd - 9;
        m_tableOffset = QByteArrayView(m_bytes).sliced(numberBegin, numberEnd - numberBegin).toLongLong();
        if (m_tableOffset <= 0 || m_tableOffset >= m_startKeyword)
            return false;

        // The table: "xref", then sections of a first object number, a count and 20-byte entries.
        m_at = m_tableOffset;
        if (!keyword("xref"))
            return false;
        for (;;) {
            skipWhite();
            if (m_at < m_bytes.size() && !isDigit(m_bytes.at(m_at)))
                break;
            Value first = next();
            Value count = next();
            if (first.kind != Value::Kind::number || count.kind != Value::Kind::number || first.number < 0 ||
                first.number > kMaxObjectNumber || count.number < 0 || count.number > m_bytes.size() / 20)
                return false;
            skipWhite();
            for (qint64 i = 0; i < count.number; ++i) {
                if (m_at + 20 > m_bytes.size())
                    return false;
                const QByteArrayView entry = QByteArrayView(m_bytes).sliced(m_at, 20);
                bool ok = false;
                const qint64 offset = entry.first(10).toLongLong(&ok);
                if (!ok || entry.at(10) != ' ' || entry.at(16) != ' ')
                    return false;
                if (entry.at(17) == 'n') {
                    m_entries.push_back({first.number + i, offset, m_at});
                } else if (entry.at(17) != 'f') {
                    return false;
                }
                m_at += 20;
            }
        }
        m_trailerKeyword = m_at;
        if (!keyword("trailer"))
            return false;
        m_trailer = next();
        if (m_trailer.kind != Value::Kind::dictionary || skipWhiteForward(m_trailer.end) != m_startKeyword)
            return false;

        // Every object lies between its offset and the next one's (or the table).
        std::vector<qint64> starts;
        for (const Entry& e : m_entries) {
            if (e.offset <= 0 || e.offset >= m_tableOffset)
                return false;
            starts.push_back(e.offset);
        }
        std::sort(starts.begin(), starts.end());
        starts.push_back(m_tableOffset);
        for (size_t i = 0; i < m_entries.size(); ++i) {
            Entry& e = m_entries[i];
            e.end = *std::upper_bound(starts.begin(), starts.end(), e.offset);
            m_numbers.try_emplace(e.number, i); // the first entry of a number counts
        }
        return true;
    }

    const Value& trailer() const { return m_trailer; }
    qsizetype tableOffset() const { return m_tableOffset; }
    qsizetype trailerKeyword() const { return m_trailerKeyword; }
    qsizetype startKeyword() const { return m_startKeyword; }

    struct Entry {
        qint64 number = 0;
        qint64 offset = 0;
        qsizetype line = 0; // where its entry lies in the table
        qint64 end = 0;
    };
    const std::vector<Entry>& entries() const { return m_entries; }

    // The object a reference names, read whole; nothing when it is not there as the table says.
    // A stream's length may be an object of its own, which is read on the way (`depth` 1); an
    // object named there is never read further, so a length naming its own stream, or a stream
    // whose length does, ends here.
    // An object is read within its own bytes (up to the next object or the table), so that a
    // value without an end costs no more than the object's size however often it is named.
    std::optional<Object> object(const Value& reference, int depth = 0) {
        if (reference.kind != Value::Kind::reference || depth > 1)
            return std::nullopt;
        const auto found = m_numbers.find(reference.number);
        if (found == m_numbers.end())
            return std::nullopt;
        const Entry& entry = m_entries[found->second];
        const qsizetype end = std::exchange(m_end, entry.end);
        std::optional<Object> read = objectAt(&entry, reference, depth);
        m_end = end;
        return read;
    }

    // A whole number, given directly or as the value of the object a reference names (read once).
    std::optional<qint64> wholeNumber(const Value& value, int depth = 0) {
        if (value.kind == Value::Kind::number && value.whole)
            return value.number;
        if (value.kind != Value::Kind::reference)
            return std::nullopt;
        if (const auto known = m_wholeNumbers.find(value.number); known != m_wholeNumbers.end())
            return known->second;
        const std::optional<Object> object = this->object(value, depth);
        std::optional<qint64> number;
        if (object && object->streamBegin < 0 && object->value.kind == Value::Kind::number &&
            object->value.whole)
            number = object->value.number;
        m_wholeNumbers.emplace(value.number, number);
        return number;
    }

private:
    std::optional<Object> objectAt(const Entry* entry, const Value& reference, int depth) {
        m_at = entry->offset;
        const Value number = next();
        const Value generation = next();
        if (number.kind != Value::Kind::number || number.number != reference.number ||
            generation.kind != Value::Kind::number || !keyword("obj"))
            return std::nullopt;
        Object object;
        object.begin = entry->offset;
        object.end = entry->end;
        object.value = next();
        if (object.value.kind == Value::Kind::none)
            return std::nullopt;
        const qsizetype afterValue = m_at;
        if (keyword("stream")) {
            // The keyword ends its line with CR LF or LF; the data's length is the dictionary's.
            if (m_at < m_end && m_bytes.at(m_at) == '\r')
                ++m_at;
            if (m_at >= m_end || m_bytes.at(m_at) != '\n')
                return std::nullopt;
            object.streamBegin = m_at + 1;
            const Value* length =
                object.value.kind == Value::Kind::dictionary ? object.value.at("Length") : nullptr;
            const std::optional<qint64> size = length ? wholeNumber(*length, depth + 1) : std::nullopt;
            if (!size || *size < 0 || *size > object.end - object.streamBegin)
                return std::nullopt;
            object.streamEnd = object.streamBegin + *size;
            m_at = object.streamEnd;
            if (!keyword("endstream"))
                return std::nullopt;
        } else {
            m_at = afterValue;
        }
        if (!keyword("endobj") || skipWhiteForward(m_at) > object.end)
            return std::nullopt;
        return object;
    }

    static bool isWhite(char c) {
        return c == ' ' || c == '\n' || c == '\r' || c == '\t' || c == '\f' || c == '\0';
    }
    static bool isDelimiter(char c) {
        return c == '(' || c == ')' || c == '<' || c == '>' || c == '[' || c == ']' || c == '{' || c == '}' ||
               c == '/' || c == '%';
    }
    static bool isDigit(char c) { return c >= '0' && c <= '9'; }

    qsizetype skipWhiteBackwards(qsizetype at) const {
        while (at > 0 && isWhite(m_bytes.at(at - 1)))
            --at;
        return at;
    }
    qsizetype skipWhiteForward(qsizetype at) const {
        while (at < m_end && isWhite(m_bytes.at(at)))
            ++at;
        return at;
    }

    void skipWhite() {
        for (;;) {
            m_at = skipWhiteForward(m_at);
            if (m_at >= m_end || m_bytes.at(m_at) != '%')
                return;
            while (m_at < m_end && m_bytes.at(m_at) != '\n' && m_bytes.at(m_at) != '\r')
                ++m_at; // a comment
        }
    }

    // The keyword `word` next, as a whole token.
    bool keyword(QByteArrayView word) {
        skipWhite();
        const qsizetype end = m_at + word.size();
        if (!QByteArrayView(m_bytes).first(m_end).sliced(m_at).startsWith(word) ||
            (end < m_end && !isWhite(m_bytes.at(end)) && !isDelimiter(m_bytes.at(end))))
            return false;
        m_at = end;
        return true;
    }

    // The next value; a number followed by a number and "R" is a reference (unless `references`
    // is false: the generation of one, a plain number). Nothing (Kind::none) when it cannot be read, or is
    // nested more than kMaxNesting deep.
    Value next(int depth = 0, bool references = true) {
        Value v;
        skipWhite();
        v.begin = m_at;
        if (m_at >= m_end || depth > kMaxNesting)
            return v;
        const char c = m_bytes.at(m_at);
        if (c == '/') {
            ++m_at;
            while (m_at < m_end && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
                ++m_at;
            v.kind = Value::Kind::name;
            v.text = m_bytes.sliced(v.begin + 1, m_at - v.begin - 1);
        } else if (c == '(') {
            // A string: balanced parentheses, and a backslash takes the next byte as it is.
            int open = 0;
            for (; m_at < m_end; ++m_at) {
                const char b = m_bytes.at(m_at);
                if (b == '\\' && m_at + 1 < m_end)
                    ++m_at;
                else if (b == '(')
                    ++open;
                else if (b == ')' && --open == 0)
                    break;
            }
            if (m_at >= m_end)
                return {};
            ++m_at;
            v.kind = Value::Kind::string;
        } else if (c == '<' && m_at + 1 < m_end && m_bytes.at(m_at + 1) == '<') {
            m_at += 2;
            v.kind = Value::Kind::dictionary;
            for (;;) {
                skipWhite();
                if (QByteArrayView(m_bytes).first(m_end).sliced(m_at).startsWith(">>")) {
                    m_at += 2;
                    break;
                }
                Value key = next(depth + 1);
                if (key.kind != Value::Kind::name)
                    return {};
                Value value = next(depth + 1);
                if (value.kind == Value::Kind::none)
                    return {};
                v.entries.append({key.text, std::move(value)});
            }
        } else if (c == '<') {
            const qsizetype close = m_bytes.indexOf('>', m_at);
            if (close < 0 || close >= m_end)
                return {};
            m_at = close + 1;
            v.kind = Value::Kind::string;
        } else if (c == '[') {
            ++m_at;
            v.kind = Value::Kind::array;
            for (;;) {
                skipWhite();
                if (m_at < m_end && m_bytes.at(m_at) == ']') {
                    ++m_at;
                    break;
                }
                Value item = next(depth + 1);
                if (item.kind == Value::Kind::none)
                    return {};
                v.items.append(std::move(item));
            }
        } else if (isDigit(c) || c == '-' || c == '+' || c == '.') {
            while (m_at < m_end && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
                ++m_at;
            const QByteArrayView token = QByteArrayView(m_bytes).sliced(v.begin, m_at - v.begin);
            bool ok = false;
            v.number = token.toLongLong(&ok);
            v.whole = ok;
            if (!ok)
                (void)token.toDouble(&ok);
            if (!ok)
                return {};
            v.kind = Value::Kind::number;
            // "n g R" names an object. Only a number is looked ahead at: a value read ahead and
            // then read again would double the work at every level of nesting.
            const qsizetype afterNumber = m_at;
            skipWhite();
            if (v.whole && v.number >= 0 && references && m_at < m_end && isDigit(m_bytes.at(m_at))) {
                const Value generation = next(depth + 1, false);
                if (generation.kind == Value::Kind::number && generation.whole && keyword("R")) {
                    v.kind = Value::Kind::reference;
                    v.generation = generation.number;
                }
            }
            if (v.kind != Value::Kind::reference)
                m_at = afterNumber;
        } else if (!isDelimiter(c)) {
            while (m_at < m_end && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
                ++m_at;
            v.kind = Value::Kind::keyword;
            v.text = m_bytes.sliced(v.begin, m_at - v.begin);
        } else {
            return {};
        }
        v.end = m_at;
        return v;
    }

    const QByteArray& m_bytes;
    qsizetype m_end = 0; // where reading stops: the file's end, or the end of the object read
    qsizetype m_at = 0;
    qint64 m_tableOffset = 0;
    qsizetype m_trailerKeyword = 0;
    qsizetype m_startKeyword = 0;
    std::vector<Entry> m_entries;
    std::unordered_map<qint64, size_t> m_numbers;                     // an object number's entry
    std::unordered_map<qint64, std::optional<qint64>> m_wholeNumbers; // objects read as numbers
    Value m_trailer;
};

// Content streams larger than this when inflated are not read (Qt's hold a page each).
constexpr qsizetype kMaxContent = qsizetype(256) << 20;

// A font's ToUnicode table larger than this when inflated is not read (Qt's, for a font's 65536
// codes at most, are a few megabytes).
constexpr qsizetype kMaxTable = qsizetype(16) << 20;

QByteArray inflated(QByteArrayView data, bool* ok, qsizetype limit = kMaxContent) {
    QByteArray out;
    z_stream stream{};
    *ok = false;
    if (inflateInit(&stream) != Z_OK)
        return out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK && out.size() <= limit) {
        stream.next_out = reinterpret_cast<Bytef*>(buffer);
        stream.avail_out = sizeof buffer;
        status = inflate(&stream, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - stream.avail_out));
    }
    inflateEnd(&stream);
    *ok = status == Z_STREAM_END;
    return out;
}

std::optional<QByteArray> deflated(const QByteArray& data) {
    uLongf size = compressBound(uLong(data.size()));
    QByteArray out(qsizetype(size), Qt::Uninitialized);
    if (compress2(reinterpret_cast<Bytef*>(out.data()), &size,
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()), Z_BEST_SPEED) != Z_OK)
        return std::nullopt;
    out.resize(qsizetype(size));
    return out;
}

// A part of the file replaced: a content stream's data, its length.
struct Change {
    qsizetype begin = 0; // the bytes replaced
    qsizetype end = 0;
    QByteArray bytes;
};

// The data of a stream, inflated when it is compressed (`compressed` says so); nothing when its
// filter is another or its data does not inflate to at most `limit` bytes.
std::optional<QByteArray> decodedData(const QByteArray& bytes, const PdfFile::Object& stream,
                                      bool* compressed, qsizetype limit = kMaxContent) {
    const PdfFile::Value* filter = stream.value.at("Filter");
    if (filter && filter->kind == PdfFile::Value::Kind::array && filter->items.size() == 1)
        filter = &filter->items.constFirst();
    *compressed = filter != nullptr;
    if (*compressed && (filter->kind != PdfFile::Value::Kind::name || filter->text != "FlateDecode" ||
                        stream.value.at("DecodeParms")))
        return std::nullopt;
    const QByteArrayView data =
        QByteArrayView(bytes).sliced(stream.streamBegin, stream.streamEnd - stream.streamBegin);
    if (!*compressed)
        return data.toByteArray();
    bool ok = false;
    QByteArray out = inflated(data, &ok, limit);
    return ok ? std::optional(std::move(out)) : std::nullopt;
}

// Gives a stream the data `change` makes of its own (decompressed) data, and its length to
// match. True when it is changed or `change` gives nothing.
template <typename ChangeData>
bool replaceStream(PdfFile& file, const QByteArray& bytes, const PdfFile::Object& stream,
                   std::vector<Change>& changes, ChangeData change) {
    bool compressed = false;
    const std::optional<QByteArray> content = decodedData(bytes, stream, &compressed);
    if (!content)
        return false;
    const std::optional<QByteArray> changed = change(*content);
    if (!changed)
        return true;
    const std::optional<QByteArray> written = compressed ? deflated(*changed) : changed;
    const PdfFile::Value* length = stream.value.at("Length");
    if (!written || !length)
        return false;
    const QByteArray size = QByteArray::number(written->size());
    if (length->kind == PdfFile::Value::Kind::number) {
        changes.push_back({length->begin, length->end, size});
    } else {
        const std::optional<PdfFile::Object> lengthObject = file.object(*length);
        if (!lengthObject)
            return false;
        changes.push_back({lengthObject->value.begin, lengthObject->value.end, size});
    }
    changes.push_back({stream.streamBegin, stream.streamEnd, *written});
    return true;
}

// A run's recorded text without the right-to-left marks at its ends.
QStringView withoutEndMarks(QStringView text) {
    while (!text.isEmpty() && text.back() == QChar(0x200F))
        text.chop(1);
    while (!text.isEmpty() && text.front() == QChar(0x200F))
        text = text.sliced(1);
    return text;
}

// The typed order of a right-to-left run's text as recorded (shown order, between right-to-left
// marks): without the marks at its ends, code point by code point reversed (a lone surrogate
// becomes the replacement character).
QString typedOrderOf(QStringView shown) {
    return reversed(withoutEndMarks(shown));
}

// The texts a ToUnicode table gives the codes `codeAt(0)` … `codeAt(count - 1)` (empty for a code
// it does not name), as views into the table.
template <typename CodeAt>
QList<QStringView> tableTexts(const QMap<uint, QString>& table, qsizetype count, CodeAt codeAt) {
    QList<QStringView> texts;
    texts.reserve(count);
    for (qsizetype i = 0; i < count; ++i) {
        const auto text = table.constFind(codeAt(i));
        texts.append(text == table.cend() ? QStringView() : QStringView(*text));
    }
    return texts;
}

// The fonts of the pages that right-to-left runs are drawn in, and the codes added to them: a
// glyph that stands for other letters in a run than its code names (a ligature of marks, a
// joiner drawn as a blank) or that has no width (a mark, which pdfminer would take for the end of
// a line next to another mark) is written with a code of its own, drawing the same glyph, whose
// text and width are its own. The codes are added to the font's ToUnicode table, its widths, its
// map of codes to glyphs (until then the identity, and written as a new object) and its set of
// codes. A font that is not as Qt writes it gets no codes; its runs keep their glyphs' codes.
// The descent a right-to-left run's font gives is made shallower where pdfminer would part its
// glyphs from the rest of their line (see writeDescent()).
class RightToLeftFonts final {
public:
    void read(PdfFile& file, const QByteArray& bytes, const PdfFile::Value& pagesRoot) {
        m_bytes = &bytes;
        QSet<qint64> visited;
        readPages(file, pagesRoot, 0, visited);
    }

    std::optional<QByteArray> typedOrder(size_t page, QByteArrayView fontLine, QByteArrayView glyphLines,
                                         const RunText& run, qsizetype* hidden) {
        const std::optional<QList<GlyphLine>> lines = glyphLinesOf(glyphLines);
        if (!lines)
            return std::nullopt;
        QList<uint> drawn;
        drawn.reserve(lines->size());
        for (const GlyphLine& line : *lines)
            drawn.append(line.code);
        QList<uint> codes;
        qreal endShift = run.endShift;
        Font* font = fontOf(page, fontLine);
        if (font && run.rightToLeft)
            font->rightToLeft = true;
        if (!run.rightToLeft) {
            // A left-to-right run, with its bridges if it has any: only codes change. Between the
            // bridges, a glyph the font's table does not spell (a ligature: "fi", "tf"; a conjunct,
            // a half form or a vowel sign drawn before its consonant) gets a code of its own that
            // names its letters.
            const qreal size = fontSize(fontLine);
            if (!font || drawn.isEmpty() || size <= 0)
                return std::nullopt;
            QList<uint> bridged = drawn;
            const qsizetype from = run.bridgeFirst ? 1 : 0;
            const qsizetype to = drawn.size() - (run.bridgeLast ? 1 : 0);
            if (to > from) {
                const QList<QStringView> own = tableTexts(
                    font->table.texts, to - from, [&drawn, from](qsizetype i) { return drawn.at(from + i); });
                const QList<QStringView> texts = glyphTexts(withoutEndMarks(run.text), own);
                // A mark set over or under the glyph before it has no width: pdfminer would take
                // the step from its origin to the next glyph for a space. Its code gets the width
                // that brings its end to where the glyphs before it end. (MuPDF takes a glyph's
                // advance from the face's own program, where a mark has none.)
                qreal x = 0;
                std::optional<qreal> reached;
                for (qsizetype k = 0; k < to; ++k) {
                    x += moveOf(lines->at(k).move);
                    const uint code = drawn.at(k);
                    const qreal width = font->widths.value(code, font->defaultWidth);
                    if (k < from)
                        continue;
                    const QStringView text = texts.at(k - from);
                    qreal written = width;
                    if (width == 0 && reached && *reached > x)
                        written = std::round((*reached - x) / size * 1000);
                    else
                        reached = std::max(reached.value_or(x), x + width / 1000 * size);
                    const QStringView named = text.isEmpty() ? own.at(k - from) : text;
                    if (named.isEmpty() || (named == own.at(k - from) && written == width))
                        continue;
                    if (const std::optional<uint> alias = font->aliasFor(code, named.toString(), written))
                        bridged[k] = *alias;
                }
            }
            for (const qsizetype i : {qsizetype(0), drawn.size() - 1}) {
                if ((i == 0 && !run.bridgeFirst) || (i > 0 && !run.bridgeLast))
                    continue;
                const uint code = drawn.at(i);
                const bool inWord = i == 0 ? run.bridgeFirstInWord : run.bridgeLastInWord;
                const std::optional<uint> alias =
                    font->aliasFor(code, inWord ? QString(QChar(0x200F)) : font->table.texts.value(code),
                                   run.bridge / size * 1000);
                if (!alias)
                    return std::nullopt;
                bridged[i] = *alias;
            }
            return withCodes(*lines, bridged);
        }
        if (font && drawn.size() - (run.blank ? 1 : 0) >= 2) {
            if (std::optional<QByteArray> inPlace = drawnInPlace(font, fontLine, *lines, run, hidden))
                return inPlace;
        }
        const qsizetype blank = run.blank ? 1 : 0;
        if (font && drawn.size() > blank) {
            // Drawn from the left, the blank last: typed order is the reverse, before the blank.
            const qsizetype typed = drawn.size() - blank;
            const auto typedCode = [&drawn, typed](qsizetype i) { return drawn.at(typed - 1 - i); };
            const QList<QStringView> own = tableTexts(font->table.texts, typed, typedCode);
            QList<uint> textCodes = drawn;
            const QString typedText = typedOrderOf(run.text);
            const QList<QStringView> texts = glyphTexts(typedText, own);
            for (qsizetype i = 0; i < typed; ++i) {
                const QStringView text = texts.at(i);
                if (text.isEmpty())
                    continue;
                // A neutral character (a period, a colon) reads as itself: MuPDF gives it the
                // direction of what it follows, which keeps it on its line.
                const bool same = text == own.at(i);
                const uint code = typedCode(i);
                const qreal width = font->widths.value(code, font->defaultWidth);
                if (same && width != 0)
                    continue;
                const qreal aliasWidth = width != 0 ? width : kMarkWidth;
                const std::optional<uint> alias = font->aliasFor(code, text.toString(), aliasWidth);
                if (!alias)
                    continue;
                // The content's order: the reverse of typed order, before the blank.
                textCodes[typed - 1 - i] = *alias;
                if (i == typed - 1)
                    endShift -= (aliasWidth - width) / 1000 * fontSize(fontLine);
            }
            // A blank inside a word (after a left-to-right piece) reads as a right-to-left mark, as
            // wide as the piece it bridges when it is given a width.
            if (run.blank && run.blankInWord) {
                const uint code = drawn.constLast();
                const qreal size = fontSize(fontLine);
                const qreal width = run.blankWidth > 0 && size > 0
                                        ? run.blankWidth / size * 1000
                                        : font->widths.value(code, font->defaultWidth);
                if (const std::optional<uint> alias = font->aliasFor(code, QString(QChar(0x200F)), width))
                    textCodes.last() = *alias;
            }
            codes = textCodes;
        }
        return inTypedOrder(fontLine, *lines, endShift, codes);
    }

    // The changes to the fonts, and the objects to add (numbered from `firstNew`).
    void write(PdfFile& file, const QByteArray& bytes, std::vector<Change>& changes, qint64 firstNew,
               QList<QByteArray>& added) {
        int deepFaces = 0;               // right-to-left faces whose descent could not be made shallower
        std::optional<qreal> shallowest; // the shallowest descent of the file's faces
        for (const Font& font : std::as_const(m_fonts)) {
            if (const auto descent = font.usable ? numberOf(font.descent) : std::nullopt)
                shallowest = std::max(shallowest.value_or(-qAbs(*descent)), -qAbs(*descent));
        }
        for (auto it = m_fonts.begin(); it != m_fonts.end(); ++it) {
            Font& font = it.value();
            if (!font.usable)
                continue;
            // The glyphs of the codes added first: the pages' content already names them.
            if (!font.aliases.isEmpty() &&
                !writeAliases(file, bytes, font, changes, firstNew + added.size(), added))
                std::printf("PDF: font object %lld could not take its glyphs' codes\n",
                            static_cast<long long>(it.key()));
            const std::optional<PdfFile::Object> toUnicode = file.object(font.toUnicode);
            const bool ok = toUnicode && toUnicode->streamBegin >= 0 &&
                            replaceStream(file, bytes, *toUnicode, changes, [&font](const QByteArray& cmap) {
                                ToUnicodeTable table = font.table;
                                for (const Alias& alias : std::as_const(font.aliases))
                                    table.texts.insert(alias.code, alias.text);
                                return writtenToUnicode(cmap, table);
                            });
            if (!ok)
                std::printf("PDF: the text table of font object %lld is left as it was\n",
                            static_cast<long long>(it.key()));
            if ((font.rightToLeft || namesRightToLeftLetters(font.table)) &&
                (!shallowest || !writeDescent(font, *shallowest, changes)))
                ++deepFaces;
        }
        if (deepFaces > 0)
            std::printf("PDF: the descent of %d right-to-left faces is left as it was\n", deepFaces);
    }

private:
    static constexpr qreal kMarkWidth = 500; // in thousandths of the font size
    static constexpr qreal kMostWidth = 1e6; // a box wider than this many is not given

    struct Alias {
        uint code;
        uint glyph; // the code whose glyph it draws
        QString text;
        qreal width;
    };

    struct Font {
        bool usable = false;
        PdfFile::Value toUnicode;
        PdfFile::Value descendant;
        ToUnicodeTable table;
        QMap<uint, qreal> widths;
        qreal defaultWidth = 1000;
        uint next = 0; // the first free code
        QList<Alias> aliases;
        QHash<QString, uint> aliasOf; // glyph code and text -> code
        PdfFile::Value descent;       // its descriptor's descent (none when it gives none)
        qint64 descriptor = -1;       // the descriptor's object number
        bool rightToLeft = false;     // a right-to-left run is drawn in it

        std::optional<uint> aliasFor(uint glyph, const QString& text, qreal width) {
            const QString key = QString::number(glyph) + u':' + QString::number(width) + u':' + text;
            if (const auto found = aliasOf.constFind(key); found != aliasOf.cend())
                return *found;
            if (next > 0xFFFF)
                return std::nullopt;
            aliases.append({next, glyph, text, width});
            aliasOf.insert(key, next);
            return next++;
        }
    };

    // The step a glyph line's move ("<dx> <dy> Td") takes along the line.
    static qreal moveOf(QByteArrayView move) {
        const qsizetype space = move.indexOf(' ');
        return space > 0 ? move.first(space).toDouble() : 0;
    }

    static qreal fontSize(QByteArrayView fontLine) {
        const qsizetype space = fontLine.indexOf(' ');
        const qsizetype end = fontLine.indexOf(" Tf");
        return space > 0 && end > space ? fontLine.sliced(space + 1, end - space - 1).toDouble() : 0;
    }

    // A right-to-left run of two glyphs or more, drawn from the left as Qt drew it (its blank, when
    // it has one, last), so that glyphs that overlap are painted in the same order as ever: the
    // blank, at the run's right edge, comes first, and the glyphs' codes name the typed text from
    // the left, so that a reader taking them in the content's order reads it as typed. What
    // pdfminer takes for a glyph's box is its code's width: the leftmost glyph's reaches to the
    // run's right edge and the rightmost glyph's back to its left edge, where the run's text ends
    // for poppler too, so that the run reads as one stretch from its right edge to its left, as a
    // run in typed order would; a mark's reaches to where the glyphs before it end. Nothing when a
    // code cannot be added: the run is written in typed order then.
    std::optional<QByteArray> drawnInPlace(Font* font, QByteArrayView fontLine, const QList<GlyphLine>& lines,
                                           const RunText& run, qsizetype* hidden) {
        const qreal size = fontSize(fontLine);
        const qsizetype count = lines.size() - (run.blank ? 1 : 0); // the glyphs before the blank
        if (size <= 0)
            return std::nullopt;
        const auto typedCode = [&lines, count](qsizetype i) { return lines.at(count - 1 - i).code; };
        const QList<QStringView> own = tableTexts(font->table.texts, count, typedCode);
        const QString typedText = typedOrderOf(run.text);
        const QList<QStringView> texts = glyphTexts(typedText, own);
        QList<qreal> x; // each glyph's origin, along the line
        x.reserve(lines.size());
        qreal at = 0;
        for (const GlyphLine& line : lines) {
            at += moveOf(line.move);
            x.append(at);
        }
        const auto widthOf = [font](uint code) { return font->widths.value(code, font->defaultWidth); };
        const qreal left = x.at(0) + widthOf(lines.at(0).code) / 1000 * size + run.endShift;
        const qreal right =
            run.blank ? x.at(count) : x.at(count - 1) + widthOf(lines.at(count - 1).code) / 1000 * size;
        QList<uint> codes;
        codes.reserve(lines.size());
        qreal reached = x.at(0);
        qreal lastWidth = 0;
        for (qsizetype j = 0; j < count; ++j) {
            const uint code = lines.at(j).code;
            const qreal ownWidth = widthOf(code);
            qreal width = ownWidth;
            if (j == 0)
                width = std::max(ownWidth, std::ceil((right - x.at(0)) / size * 1000));
            else if (j == count - 1)
                width = std::round((left - x.at(j)) / size * 1000);
            else if (ownWidth == 0) {
                // A mark: its box reaches where the glyphs before it end, whichever side that is.
                const qreal gap = (reached - x.at(j)) / size * 1000;
                const qreal step = std::ceil(std::abs(gap) / 50) * 50;
                width = gap >= 0 ? step : -step;
            }
            if (!std::isfinite(width) || std::abs(width) > kMostWidth)
                return std::nullopt;
            reached = std::max(reached, x.at(j) + ownWidth / 1000 * size);
            lastWidth = width;
            const QStringView text = texts.at(j);
            const QString named = text.isEmpty() ? font->table.texts.value(code) : text.toString();
            if (named == font->table.texts.value(code) && width == ownWidth) {
                codes.append(code);
                continue;
            }
            const std::optional<uint> alias = font->aliasFor(code, named, width);
            if (!alias)
                return std::nullopt;
            codes.append(*alias);
        }
        if (!run.blank) {
            // Without a blank, the rightmost glyph, drawn last, starts the run's text for poppler,
            // from its origin to the run's left edge; the glyphs before it go in a span of no text.
            return inDrawnOrder(fontLine, lines, codes, false,
                                left - x.at(count - 1) - lastWidth / 1000 * size, hidden);
        }
        uint blankCode = lines.at(count).code;
        if (run.blankInWord) {
            const qreal width = run.blankWidth > 0 ? run.blankWidth / size * 1000 : widthOf(blankCode);
            if (const std::optional<uint> alias = font->aliasFor(blankCode, QString(QChar(0x200F)), width))
                blankCode = *alias;
        }
        codes.append(blankCode);
        return inDrawnOrder(fontLine, lines, codes, true, 0, nullptr);
    }

    Font* fontOf(size_t page, QByteArrayView fontLine) {
        const qsizetype space = fontLine.indexOf(' ');
        if (page >= m_pageFonts.size() || space < 2 || fontLine.front() != '/')
            return nullptr;
        const QByteArray name = fontLine.sliced(1, space - 1).toByteArray();
        const auto number = m_pageFonts[page].constFind(name);
        if (number == m_pageFonts[page].cend())
            return nullptr;
        const auto font = m_fonts.find(*number);
        return font != m_fonts.end() && font->usable ? &font.value() : nullptr;
    }

    std::optional<PdfFile::Value> dictionaryOf(PdfFile& file, const PdfFile::Value& value) {
        if (value.kind == PdfFile::Value::Kind::dictionary)
            return value;
        const std::optional<PdfFile::Object> object = file.object(value);
        if (!object || object->streamBegin >= 0 || object->value.kind != PdfFile::Value::Kind::dictionary)
            return std::nullopt;
        return object->value;
    }

    // Each node of the page tree once, no more than 32 levels down (as the pages' content is
    // found).
    void readPages(PdfFile& file, const PdfFile::Value& node, int depth, QSet<qint64>& visited) {
        if (depth > 32 || node.kind != PdfFile::Value::Kind::reference || visited.contains(node.number))
            return;
        visited.insert(node.number);
        const std::optional<PdfFile::Object> object = file.object(node);
        if (!object || object->value.kind != PdfFile::Value::Kind::dictionary)
            return;
        const PdfFile::Value* type = object->value.at("Type");
        if (type && type->text == "Pages") {
            if (const PdfFile::Value* kids = object->value.at("Kids")) {
                for (const PdfFile::Value& kid : kids->items)
                    readPages(file, kid, depth + 1, visited);
            }
            return;
        }
        QHash<QByteArray, qint64> fonts;
        const PdfFile::Value* resources = object->value.at("Resources");
        const std::optional<PdfFile::Value> resourceDictionary =
            resources ? dictionaryOf(file, *resources) : std::nullopt;
        const PdfFile::Value* fontEntry = resourceDictionary ? resourceDictionary->at("Font") : nullptr;
        const std::optional<PdfFile::Value> fontDictionary =
            fontEntry ? dictionaryOf(file, *fontEntry) : std::nullopt;
        if (fontDictionary) {
            for (const auto& [name, value] : fontDictionary->entries) {
                if (value.kind != PdfFile::Value::Kind::reference)
                    continue;
                fonts.insert(name, value.number);
                if (!m_fonts.contains(value.number))
                    m_fonts.insert(value.number, readFont(file, value));
            }
        }
        m_pageFonts.push_back(fonts);
    }

    // The data of a stream, decompressed.
    std::optional<QByteArray> dataOf(const PdfFile::Object& stream) const {
        bool compressed = false;
        return stream.streamBegin >= 0 ? decodedData(*m_bytes, stream, &compressed, kMaxTable) : std::nullopt;
    }

    std::optional<qreal> numberOf(const PdfFile::Value& value) const {
        if (value.kind != PdfFile::Value::Kind::number)
            return std::nullopt;
        bool ok = false;
        const qreal number =
            QByteArrayView(*m_bytes).sliced(value.begin, value.end - value.begin).toDouble(&ok);
        return ok && std::isfinite(number) ? std::optional(number) : std::nullopt;
    }

    Font readFont(PdfFile& file, const PdfFile::Value& reference) {
        Font font;
        const std::optional<PdfFile::Object> type0 = file.object(reference);
        if (!type0 || type0->value.kind != PdfFile::Value::Kind::dictionary)
            return font;
        const PdfFile::Value* subtype = type0->value.at("Subtype");
        const PdfFile::Value* toUnicode = type0->value.at("ToUnicode");
        const PdfFile::Value* descendants = type0->value.at("DescendantFonts");
        if (!subtype || subtype->text != "Type0" || !toUnicode || !descendants ||
            descendants->kind != PdfFile::Value::Kind::array || descendants->items.size() != 1)
            return font;
        // A table or descendant font another font has too would be changed twice: neither font
        // named second gets codes. Each is read once so.
        const PdfFile::Value& descendant = descendants->items.constFirst();
        if (toUnicode->kind != PdfFile::Value::Kind::reference ||
            descendant.kind != PdfFile::Value::Kind::reference || toUnicode->number == descendant.number ||
            m_claimed.contains(toUnicode->number) || m_claimed.contains(descendant.number))
            return font;
        m_claimed.insert(toUnicode->number);
        m_claimed.insert(descendant.number);
        const std::optional<PdfFile::Object> table = file.object(*toUnicode);
        const std::optional<PdfFile::Object> cidFont = file.object(descendant);
        if (!table || !cidFont || cidFont->value.kind != PdfFile::Value::Kind::dictionary)
            return font;
        const std::optional<QByteArray> cmap = dataOf(*table);
        std::optional<ToUnicodeTable> texts = cmap ? readToUnicode(*cmap) : std::nullopt;
        const PdfFile::Value* map = cidFont->value.at("CIDToGIDMap");
        const PdfFile::Value* widths = cidFont->value.at("W");
        // A face whose glyphs are all as wide as its default (a CJK face) has no widths of its own.
        if (!texts || !map || map->text != "Identity" ||
            (widths && widths->kind != PdfFile::Value::Kind::array))
            return font;
        if (const PdfFile::Value* defaultWidth = cidFont->value.at("DW")) {
            if (const auto number = numberOf(*defaultWidth))
                font.defaultWidth = *number;
        }
        // [first [w w …]] or [first last w]
        const QList<PdfFile::Value> items = widths ? widths->items : QList<PdfFile::Value>();
        for (qsizetype i = 0; i + 1 < items.size();) {
            const PdfFile::Value& first = items.at(i);
            if (first.kind != PdfFile::Value::Kind::number || !first.whole || first.number < 0)
                return font;
            if (items.at(i + 1).kind == PdfFile::Value::Kind::array) {
                qint64 code = first.number;
                for (const PdfFile::Value& w : items.at(i + 1).items) {
                    const auto width = numberOf(w);
                    if (!width || code > 0xFFFF)
                        return font;
                    font.widths.insert(uint(code++), *width);
                }
                i += 2;
            } else {
                const auto width = i + 2 < items.size() ? numberOf(items.at(i + 2)) : std::nullopt;
                if (!width || !items.at(i + 1).whole || first.number > 0xFFFF)
                    return font;
                for (qint64 code = first.number; code <= items.at(i + 1).number && code <= 0xFFFF; ++code)
                    font.widths.insert(uint(code), *width);
                i += 3;
            }
        }
        uint next = 0;
        if (!font.widths.isEmpty())
            next = std::max(next, font.widths.lastKey() + 1);
        if (!texts->texts.isEmpty()) {
            if (texts->texts.lastKey() > 0xFFFF)
                return font; // codes of more than two bytes, which Qt does not write
            next = std::max(next, texts->texts.lastKey() + 1);
        }
        font.next = next;
        font.table = *texts;
        font.toUnicode = *toUnicode;
        font.descendant = descendants->items.constFirst();
        const PdfFile::Value* descriptor = cidFont->value.at("FontDescriptor");
        const std::optional<PdfFile::Object> descriptorObject =
            descriptor ? file.object(*descriptor) : std::nullopt;
        if (descriptorObject && descriptorObject->streamBegin < 0 &&
            descriptorObject->value.kind == PdfFile::Value::Kind::dictionary) {
            if (const PdfFile::Value* descent = descriptorObject->value.at("Descent");
                descent && numberOf(*descent)) {
                font.descent = *descent;
                font.descriptor = descriptor->number;
            }
        }
        font.usable = true;
        return font;
    }

    // The font's map of codes to glyphs (a new object), its widths and its set of codes, with the
    // aliases.
    bool writeAliases(PdfFile& file, const QByteArray& bytes, const Font& font, std::vector<Change>& changes,
                      qint64 number, QList<QByteArray>& added) {
        const std::optional<PdfFile::Object> cidFont = file.object(font.descendant);
        if (!cidFont || cidFont->value.kind != PdfFile::Value::Kind::dictionary)
            return false;
        const PdfFile::Value* map = cidFont->value.at("CIDToGIDMap");
        const PdfFile::Value* widths = cidFont->value.at("W");
        const qint64 dictionaryEnd = cidFont->value.end - 2;
        if (!map || (!widths && (dictionaryEnd < 0 || dictionaryEnd + 2 > bytes.size() ||
                                 QByteArrayView(bytes).sliced(dictionaryEnd, 2) != ">>")))
            return false;
        const uint last = font.aliases.constLast().code;
        QByteArray gids;
        gids.reserve(2 * (last + 1));
        for (uint code = 0; code <= last; ++code) {
            const uint glyph = code < font.aliases.constFirst().code
                                   ? code
                                   : font.aliases.at(code - font.aliases.constFirst().code).glyph;
            gids.append(char(glyph >> 8));
            gids.append(char(glyph & 0xFF));
        }
        added.append("<<\n/Length " + QByteArray::number(gids.size()) + "\n>>\nstream\n" + gids +
                     "\nendstream");
        QByteArray aliasWidths = ' ' + QByteArray::number(font.aliases.constFirst().code) + " [";
        for (const Alias& alias : font.aliases)
            aliasWidths += QByteArray::number(alias.width) + ' ';
        aliasWidths += "]]";
        changes.push_back({map->begin, map->end, QByteArray::number(number) + " 0 R"});
        if (widths)
            changes.push_back({widths->end - 1, widths->end, aliasWidths});
        else
            changes.push_back({dictionaryEnd, dictionaryEnd, "/W [" + aliasWidths.sliced(1) + '\n'});

        // The set of codes the font has, when it names one.
        const PdfFile::Value* descriptorReference = cidFont->value.at("FontDescriptor");
        const std::optional<PdfFile::Object> descriptor =
            descriptorReference ? file.object(*descriptorReference) : std::nullopt;
        const PdfFile::Value* set = descriptor && descriptor->value.kind == PdfFile::Value::Kind::dictionary
                                        ? descriptor->value.at("CIDSet")
                                        : nullptr;
        // Only a check of conformance reads it: a set left as it was costs no reader a glyph.
        const std::optional<PdfFile::Object> setObject = set ? file.object(*set) : std::nullopt;
        if (!setObject)
            return true;
        replaceStream(file, bytes, *setObject, changes, [&font, last](const QByteArray& bits) {
            QByteArray out = bits;
            if (out.size() < qsizetype(last / 8 + 1))
                out.append(QByteArray(qsizetype(last / 8 + 1) - out.size(), '\0'));
            for (const Alias& alias : font.aliases)
                out[alias.code / 8] = char(out.at(alias.code / 8) | (0x80 >> (alias.code % 8)));
            return std::optional(out);
        });
        return true;
    }

    // Whether a face draws right-to-left letters: a run drawn as it is (a Hebrew word, a letter of a
    // word from another face, in a left-to-right paragraph) records no text of its own.
    static bool namesRightToLeftLetters(const ToUnicodeTable& table) {
        return std::any_of(table.texts.cbegin(), table.texts.cend(), [](const QString& text) {
            return !text.isEmpty() && isRightToLeftLetter(text.front());
        });
    }

    // pdfminer gives a glyph a box one em tall from its face's descent, and takes two glyphs side
    // by side for one line only when their boxes overlap by more than half an em. A face for the
    // Arabic script gives a descent of up to 0.75 em (for its marks), a Latin one 0.2 to 0.3 em:
    // the words of a right-to-left line and the spaces, digits and Latin words between them would
    // part. A right-to-left face's descriptor gives no more than the file's shallowest descent so.
    // Nothing drawn depends on it (the face's own program places its glyphs). False when its
    // descriptor gives no descent.
    bool writeDescent(const Font& font, qreal shallowest, std::vector<Change>& changes) {
        const std::optional<qreal> descent = numberOf(font.descent);
        if (!descent || font.descriptor < 0)
            return false;
        if (m_descents.contains(font.descriptor))
            return true; // a descriptor of two fonts, changed once
        m_descents.insert(font.descriptor);
        if (-qAbs(*descent) < shallowest)
            changes.push_back({font.descent.begin, font.descent.end, QByteArray::number(shallowest)});
        return true;
    }

    const QByteArray* m_bytes = nullptr;
    QSet<qint64> m_claimed; // the objects of the fonts read: ToUnicode tables, descendant fonts
    std::vector<QHash<QByteArray, qint64>> m_pageFonts;
    QHash<qint64, Font> m_fonts;
    // The descriptors whose descent was seen to.
    QSet<qint64> m_descents;
};

} // namespace

namespace detail {

// The device the writer writes through. It holds the PDF Qt writes; when the painter is done, it
// gives each page's content stream the recorded spans and writes the file to the target, with
// the streams' lengths and the cross-reference table changed to match. Every part it changes is
// found by the file's structure: the table the file's end points to gives each object's place,
// the catalog its page tree, each page its content streams, and each stream's dictionary its
// length. Reading is bounded: every reference it follows, every nesting and the page tree are
// read to a fixed depth, each page-tree node once, so a file that loops back on itself ends the
// reading rather than the program. A file it cannot read so goes to the target as Qt wrote it.
class PdfTextFilter final : public QIODevice {
public:
    explicit PdfTextFilter(QIODevice* target)
        : m_target(target) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    Q_DISABLE_COPY_MOVE(PdfTextFilter)

    bool isSequential() const override { return true; }

    void pageBegun() { ++m_drawnPage; }
    int page() const { return m_drawnPage; }

    void add(const RunKey& key, const RunText& text) {
        if (size_t(m_drawnPage) >= m_pages.size())
            m_pages.resize(size_t(m_drawnPage) + 1);
        m_pages[size_t(m_drawnPage)][key].append(text);
        m_recorded = true;
        m_newCodes = m_newCodes || text.rightToLeft || text.bridge > 0 || text.spelled;
    }

    // Writes the file, with every span whose run was found; a run that was not keeps the text
    // its glyphs give, and a file whose structure cannot be read goes as Qt wrote it. Either is
    // logged in one line. Fails only when the target does not take the file.
    Status finish() {
        if (!m_recorded) {
            put(m_file); // nothing to add: the file as Qt wrote it
        } else {
            qsizetype recorded = 0;
            for (const PageTexts& texts : m_pages)
                recorded += spansIn(texts);
            QString why;
            // A file whose fonts cannot take the codes is written again with the fonts as they
            // were: the right-to-left runs keep their glyphs' codes.
            std::vector<PageTexts> pages;
            if (m_newCodes)
                pages = m_pages;
            bool written = rewrite(&why, m_newCodes);
            if (!written && m_fontsChanged) {
                logLine(QStringLiteral("⚠️ PDF written with its right-to-left fonts as they were (") %
                        why % QStringLiteral(")"));
                m_pages = std::move(pages);
                m_added = 0;
                written = rewrite(&why, false);
            }
            if (!written) {
                logLine(QStringLiteral("⚠️ PDF written without the text of its shaped words (") % why %
                        QStringLiteral("): they read back as their glyphs do"));
                put(m_file);
            } else if (m_added < recorded) {
                logLine(
                    QStringLiteral("⚠️ PDF written without the text of %1 of its %2 shaped words, whose "
                                   "glyphs were not found in the page content: they read back as "
                                   "their glyphs do")
                        .arg(recorded - m_added)
                        .arg(recorded));
            }
        }
        m_file.clear();
        if (m_failed) {
            const QString reason = m_target->errorString();
            return Status::failure(ErrorKind::storage, reason.isEmpty()
                                                           ? QStringLiteral("the file could not be written")
                                                           : reason);
        }
        return Done{};
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override {
        m_file.append(data, size);
        return size;
    }

private:
    void put(QByteArrayView bytes) {
        if (!bytes.isEmpty() && m_target->write(bytes.data(), bytes.size()) != bytes.size())
            m_failed = true;
    }

    static qsizetype spansIn(const PageTexts& texts) {
        qsizetype count = 0;
        for (const QList<RunText>& list : texts)
            count += list.size();
        return count;
    }

    // The content streams of the pages in order, following the page tree from the catalog. A
    // tree holds each of its nodes once: a node met again (a cycle) or more than 32 levels down
    // makes it unreadable.
    bool collectContents(PdfFile& file, const PdfFile::Value& node, int depth, QSet<qint64>& visited,
                         std::vector<std::vector<PdfFile::Value>>& pages) {
        if (depth > 32 || node.kind != PdfFile::Value::Kind::reference || visited.contains(node.number))
            return false;
        visited.insert(node.number);
        const std::optional<PdfFile::Object> object = file.object(node);
        if (!object || object->value.kind != PdfFile::Value::Kind::dictionary)
            return false;
        const PdfFile::Value* type = object->value.at("Type");
        if (type && type->text == "Pages") {
            const PdfFile::Value* kids = object->value.at("Kids");
            if (!kids || kids->kind != PdfFile::Value::Kind::array)
                return false;
            for (const PdfFile::Value& kid : kids->items) {
                if (!collectContents(file, kid, depth + 1, visited, pages))
                    return false;
            }
            return true;
        }
        if (!type || type->text != "Page")
            return false;
        std::vector<PdfFile::Value> streams;
        if (const PdfFile::Value* contents = object->value.at("Contents")) {
            if (contents->kind == PdfFile::Value::Kind::reference)
                streams.push_back(*contents);
            else if (contents->kind == PdfFile::Value::Kind::array)
                streams.assign(contents->items.cbegin(), contents->items.cend());
            else
                return false;
        }
        pages.push_back(std::move(streams));
        return true;
    }

    // Adds the spans to the file and writes it. A span whose run is not found in its page's
    // content, or whose content stream cannot be read, is left out (counted in m_added's
    // shortfall). False, with nothing written, when the file's structure cannot be read: `why`
    // says what could not be.
    // With `fonts`, the fonts of right-to-left runs get the codes their glyphs' texts need.
    bool rewrite(QString* why, bool fonts) {
        PdfFile file(m_file);
        if (!file.readTable()) {
            *why = QStringLiteral("its cross-reference table could not be read");
            return false;
        }
        const PdfFile::Value* root = file.trailer().at("Root");
        const std::optional<PdfFile::Object> catalog = root ? file.object(*root) : std::nullopt;
        const PdfFile::Value* pagesRoot = catalog && catalog->value.kind == PdfFile::Value::Kind::dictionary
                                              ? catalog->value.at("Pages")
                                              : nullptr;
        std::vector<std::vector<PdfFile::Value>> pages;
        QSet<qint64> visited;
        if (!pagesRoot || !collectContents(file, *pagesRoot, 0, visited, pages)) {
            *why = QStringLiteral("its page tree could not be read");
            return false;
        }

        RightToLeftFonts rightToLeftFonts;
        if (fonts)
            rightToLeftFonts.read(file, m_file, *pagesRoot);
        // Each content stream is read once, however many pages or times a page names it.
        std::vector<Change> changes;
        QSet<qint64> streamsRead;
        int unordered = 0; // right-to-left runs left in the order they were drawn
        for (size_t page = 0; page < m_pages.size() && page < pages.size(); ++page) {
            PageTexts& texts = m_pages[page];
            for (const PdfFile::Value& reference : pages[page]) {
                if (texts.isEmpty())
                    break;
                if (reference.kind != PdfFile::Value::Kind::reference ||
                    streamsRead.contains(reference.number))
                    continue;
                streamsRead.insert(reference.number);
                const Reorder reorder = [&rightToLeftFonts, &unordered,
                                         page](QByteArrayView fontLine, QByteArrayView glyphLines,
                                               const RunText& run, qsizetype* hidden) {
                    std::optional<QByteArray> typed =
                        rightToLeftFonts.typedOrder(page, fontLine, glyphLines, run, hidden);
                    if (!typed && !run.spelled)
                        ++unordered;
                    return typed;
                };
                changeStream(file, reference, texts, changes, reorder);
            }
        }
        if (unordered > 0)
            std::printf("PDF: %d right-to-left runs are left in the order they were drawn\n", unordered);
        // New objects are numbered from the trailer's size on, which must be past every object's.
        const PdfFile::Value* size = file.trailer().at("Size");
        QList<QByteArray> added;
        if (fonts && size && size->kind == PdfFile::Value::Kind::number && size->whole && size->number > 0 &&
            size->number <= kMaxObjectNumber &&
            std::all_of(file.entries().cbegin(), file.entries().cend(),
                        [size](const PdfFile::Entry& e) { return e.number < size->number; })) {
            const size_t before = changes.size();
            rightToLeftFonts.write(file, m_file, changes, size->number, added);
            m_fontsChanged = changes.size() > before || !added.isEmpty();
        }
        std::sort(changes.begin(), changes.end(),
                  [](const Change& a, const Change& b) { return a.begin < b.begin; });
        for (size_t i = 1; i < changes.size(); ++i) {
            if (changes[i].begin < changes[i - 1].end) {
                *why = QStringLiteral("two of its content streams overlap");
                return false;
            }
        }

        // Where an offset of the file Qt wrote lies in the file written.
        const auto moved = [&changes](qint64 offset) {
            qint64 shift = 0;
            for (const Change& c : changes) {
                if (c.begin >= offset)
                    break;
                shift += c.bytes.size() - (c.end - c.begin);
            }
            return offset + shift;
        };
        // The table with each object's new offset, and the new objects' entries (they go before
        // the table).
        QByteArray table = m_file.sliced(file.tableOffset(), file.trailerKeyword() - file.tableOffset());
        for (const PdfFile::Entry& e : file.entries()) {
            const QByteArray offset = QByteArray::number(moved(e.offset)).rightJustified(10, '0');
            if (offset.size() != 10) {
                *why = QStringLiteral("it would grow past 10 GB");
                return false;
            }
            table.replace(e.line - file.tableOffset(), 10, offset);
        }
        qint64 tableOffset = moved(file.tableOffset());
        QList<QByteArray> objects;
        if (!added.isEmpty())
            table += QByteArray::number(size->number) + ' ' + QByteArray::number(added.size()) + '\n';
        for (qsizetype i = 0; i < added.size(); ++i) {
            const QByteArray offset = QByteArray::number(tableOffset).rightJustified(10, '0');
            if (offset.size() != 10) {
                *why = QStringLiteral("it would grow past 10 GB");
                return false;
            }
            table += offset + " 00000 n \n";
            objects.append(QByteArray::number(size->number + i) + " 0 obj\n" + added.at(i) + "\nendobj\n");
            tableOffset += objects.constLast().size();
        }

        // Everything before the table, with the changes.
        qsizetype copied = 0;
        for (const Change& c : changes) {
            put(QByteArrayView(m_file).sliced(copied, c.begin - copied));
            put(c.bytes);
            copied = c.end;
        }
        put(QByteArrayView(m_file).sliced(copied, file.tableOffset() - copied));
        // The new objects, then the table, the trailer (its size counting them) and the table's offset.
        for (const QByteArray& object : std::as_const(objects))
            put(object);
        put(table);
        QByteArray trailer =
            m_file.sliced(file.trailerKeyword(), file.startKeyword() - file.trailerKeyword());
        if (!added.isEmpty()) {
            trailer.replace(size->begin - file.trailerKeyword(), size->end - size->begin,
                            QByteArray::number(size->number + added.size()));
        }
        put(trailer);
        put(QByteArray("startxref\n" + QByteArray::number(tableOffset) + "\n%%EOF\n"));
        return true;
    }

    // Gives the content stream `reference` names the spans of its runs. A stream that cannot be
    // read or written again is left as it is (false).
    bool changeStream(PdfFile& file, const PdfFile::Value& reference, PageTexts& texts,
                      std::vector<Change>& changes, const Reorder& reorder) {
        const std::optional<PdfFile::Object> stream = file.object(reference);
        if (!stream || stream->streamBegin < 0)
            return false;
        const qsizetype spans = spansIn(texts);
        const bool written =
            replaceStream(file, m_file, *stream, changes, [&texts, &reorder](const QByteArray& content) {
                bool changed = false;
                QByteArray marked = withSpans(content, texts, &changed, reorder);
                return changed ? std::optional(std::move(marked)) : std::nullopt;
            });
        if (written)
            m_added += spans - spansIn(texts);
        return written;
    }

    QIODevice* m_target;
    QByteArray m_file; // as Qt wrote it
    std::vector<PageTexts> m_pages;
    int m_drawnPage = 0;
    bool m_recorded = false;
    bool m_newCodes = false;     // a run whose glyphs get codes of their own was recorded
    bool m_fontsChanged = false; // the fonts of right-to-left runs were given codes
    bool m_failed = false;
    qsizetype m_added = 0; // spans written
};

Status writeWithSpans(const QByteArray& written, const QList<RecordedSpan>& spans, QIODevice* target) {
    PdfTextFilter filter(target);
    QList<RecordedSpan> inOrder = spans;
    std::stable_sort(inOrder.begin(), inOrder.end(),
                     [](const RecordedSpan& a, const RecordedSpan& b) { return a.page < b.page; });
    for (const RecordedSpan& span : std::as_const(inOrder)) {
        while (filter.page() < span.page)
            filter.pageBegun();
        filter.add(RunKey{fixed(span.firstGlyph.x()), fixed(span.firstGlyph.y()), span.glyphCount},
                   RunText{span.text, span.rightToLeft, 0, span.blank});
    }
    filter.write(written);
    return filter.finish();
}

PdfTextFilterHolder::PdfTextFilterHolder(QIODevice* target)
    : filter(std::make_unique<PdfTextFilter>(target)) {}

PdfTextFilterHolder::~PdfTextFilterHolder() = default;

} // namespace detail

PdfTextWriter::PdfTextWriter(QIODevice* device)
    : detail::PdfTextFilterHolder(device)
    , QPdfWriter(filter.get()) {}

PdfTextWriter::~PdfTextWriter() = default;

PdfTextWriter* PdfTextWriter::of(QPaintDevice* device) {
    return dynamic_cast<PdfTextWriter*>(device);
}

void PdfTextWriter::addActualText(QPointF firstGlyph, qsizetype glyphCount, const QString& text) {
    RunText run{text};
    run.spelled = true;
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount}, run);
}

void PdfTextWriter::addBridgedText(QPointF firstGlyph, qsizetype glyphCount, const QString& text,
                                   qreal bridge, bool first, bool last, bool firstInWord, bool lastInWord) {
    RunText run{text};
    run.bridge = bridge;
    run.bridgeFirst = first;
    run.bridgeLast = last;
    run.bridgeFirstInWord = firstInWord;
    run.bridgeLastInWord = lastInWord;
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount}, run);
}

void PdfTextWriter::addRightToLeftText(QPointF firstGlyph, qsizetype glyphCount, const QString& shownText,
                                       qreal endShift, bool blank, bool blankInWord, qreal blankWidth) {
    RunText run{shownText, true, endShift, blank};
    run.blankInWord = blankInWord;
    run.blankWidth = blankWidth;
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount}, run);
}

Status PdfTextWriter::finish() {
    return filter->finish();
}

bool PdfTextWriter::newPage() {
    filter->pageBegun();
    return QPdfWriter::newPage();
}

} // namespace quillora
