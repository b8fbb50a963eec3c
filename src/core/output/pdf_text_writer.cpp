#include "output/pdf_text_writer.h"

#include "output/pdf_text_rtl.h"

#include <QByteArrayView>
#include <QHash>
#include <QIODevice>
#include <QStringList>

#include <zlib.h>

#include <algorithm>
#include <cstdio>
#include <optional>
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

// The first number of a line of the content and what follows it.
bool readNumber(QByteArrayView& line, double* value) {
    const qsizetype space = line.indexOf(' ');
    if (space <= 0)
        return false;
    bool ok = false;
    *value = line.first(space).toDouble(&ok);
    line = line.sliced(space + 1);
    return ok;
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
QByteArray withSpans(const QByteArray& content, PageTexts& texts, bool* changed) {
    QByteArray out;
    qsizetype copied = 0;
    qsizetype at = 0;
    for (;;) {
        const qsizetype begin = content.indexOf("\nBT\n", at);
        if (begin < 0)
            break;
        const qsizetype fontLine = begin + 4;
        const qsizetype fontLineEnd = content.indexOf('\n', fontLine);
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
            const qsizetype lineEnd = content.indexOf('\n', lineStart);
            if (lineEnd < 0)
                break;
            QByteArrayView line = QByteArrayView(content).sliced(lineStart, lineEnd - lineStart);
            if (!line.endsWith(" Tj"))
                break;
            if (glyphs == 0 && (!readNumber(line, &x) || !readNumber(line, &y) || !line.startsWith("Td ")))
                break;
            ++glyphs;
            lineStart = lineEnd + 1;
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
        out.append(spanFor(run.text));
        const QByteArrayView drawn =
            QByteArrayView(content).sliced(fontLineEnd + 1, lineStart - (fontLineEnd + 1));
        if (run.rightToLeft) {
            const std::optional<QByteArray> typed =
                inTypedOrder(QByteArrayView(content).sliced(fontLine, fontLineEnd - fontLine),
                             drawn.chopped(1), run.endShift);
            if (!typed)
                std::printf("PDF: a right-to-left run of %lld glyphs is left in the order it was drawn\n",
                            static_cast<long long>(glyphs));
            out.append(typed ? QByteArrayView(*typed) : drawn);
        } else {
            out.append(drawn);
        }
        out.append("EMC\n");
        copied = lineStart;
        at = lineStart;
        *changed = true;
    }
    if (*changed)
        out.append(content.constData() + copied, content.size() - copied);
    return out;
}

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
        : m_bytes(bytes) {}

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
                count.number < 0 || count.number > m_bytes.size() / 20)
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
        for (Entry& e : m_entries)
            e.end = *std::upper_bound(starts.begin(), starts.end(), e.offset);
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
    std::optional<Object> object(const Value& reference) {
        if (reference.kind != Value::Kind::reference)
            return std::nullopt;
        const auto entry = std::find_if(m_entries.cbegin(), m_entries.cend(),
                                        [&](const Entry& e) { return e.number == reference.number; });
        if (entry == m_entries.cend())
            return std::nullopt;
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
            if (m_at < m_bytes.size() && m_bytes.at(m_at) == '\r')
                ++m_at;
            if (m_at >= m_bytes.size() || m_bytes.at(m_at) != '\n')
                return std::nullopt;
            object.streamBegin = m_at + 1;
            const Value* length =
                object.value.kind == Value::Kind::dictionary ? object.value.at("Length") : nullptr;
            const std::optional<qint64> size = length ? wholeNumber(*length) : std::nullopt;
            if (!size || *size < 0 || object.streamBegin + *size > object.end)
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

    // A whole number, given directly or as the value of the object a reference names.
    std::optional<qint64> wholeNumber(const Value& value) {
        if (value.kind == Value::Kind::number && value.whole)
            return value.number;
        if (value.kind != Value::Kind::reference)
            return std::nullopt;
        const std::optional<Object> object = this->object(value);
        if (!object || object->streamBegin >= 0 || object->value.kind != Value::Kind::number ||
            !object->value.whole)
            return std::nullopt;
        return object->value.number;
    }

private:
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
        while (at < m_bytes.size() && isWhite(m_bytes.at(at)))
            ++at;
        return at;
    }

    void skipWhite() {
        for (;;) {
            m_at = skipWhiteForward(m_at);
            if (m_at >= m_bytes.size() || m_bytes.at(m_at) != '%')
                return;
            while (m_at < m_bytes.size() && m_bytes.at(m_at) != '\n' && m_bytes.at(m_at) != '\r')
                ++m_at; // a comment
        }
    }

    // The keyword `word` next, as a whole token.
    bool keyword(QByteArrayView word) {
        skipWhite();
        const qsizetype end = m_at + word.size();
        if (!QByteArrayView(m_bytes).sliced(m_at).startsWith(word) ||
            (end < m_bytes.size() && !isWhite(m_bytes.at(end)) && !isDelimiter(m_bytes.at(end))))
            return false;
        m_at = end;
        return true;
    }

    // The next value; a number followed by a number and "R" is a reference.
    Value next(int depth = 0) {
        Value v;
        skipWhite();
        v.begin = m_at;
        if (m_at >= m_bytes.size() || depth > 64)
            return v;
        const char c = m_bytes.at(m_at);
        if (c == '/') {
            ++m_at;
            while (m_at < m_bytes.size() && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
                ++m_at;
            v.kind = Value::Kind::name;
            v.text = m_bytes.sliced(v.begin + 1, m_at - v.begin - 1);
        } else if (c == '(') {
            // A string: balanced parentheses, and a backslash takes the next byte as it is.
            int open = 0;
            for (; m_at < m_bytes.size(); ++m_at) {
                const char b = m_bytes.at(m_at);
                if (b == '\\')
                    ++m_at;
                else if (b == '(')
                    ++open;
                else if (b == ')' && --open == 0)
                    break;
            }
            if (m_at >= m_bytes.size())
                return {};
            ++m_at;
            v.kind = Value::Kind::string;
        } else if (c == '<' && m_at + 1 < m_bytes.size() && m_bytes.at(m_at + 1) == '<') {
            m_at += 2;
            v.kind = Value::Kind::dictionary;
            for (;;) {
                skipWhite();
                if (QByteArrayView(m_bytes).sliced(m_at).startsWith(">>")) {
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
            if (close < 0)
                return {};
            m_at = close + 1;
            v.kind = Value::Kind::string;
        } else if (c == '[') {
            ++m_at;
            v.kind = Value::Kind::array;
            for (;;) {
                skipWhite();
                if (m_at < m_bytes.size() && m_bytes.at(m_at) == ']') {
                    ++m_at;
                    break;
                }
                Value item = next(depth + 1);
                if (item.kind == Value::Kind::none)
                    return {};
                v.items.append(std::move(item));
            }
        } else if (isDigit(c) || c == '-' || c == '+' || c == '.') {
            while (m_at < m_bytes.size() && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
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
            // "n g R" names an object.
            const qsizetype afterNumber = m_at;
            if (v.whole && v.number >= 0) {
                const Value generation = next(depth + 1);
                if (generation.kind == Value::Kind::number && generation.whole && keyword("R")) {
                    v.kind = Value::Kind::reference;
                    v.generation = generation.number;
                } else {
                    m_at = afterNumber;
                }
            }
        } else if (!isDelimiter(c)) {
            while (m_at < m_bytes.size() && !isWhite(m_bytes.at(m_at)) && !isDelimiter(m_bytes.at(m_at)))
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
    qsizetype m_at = 0;
    qint64 m_tableOffset = 0;
    qsizetype m_trailerKeyword = 0;
    qsizetype m_startKeyword = 0;
    std::vector<Entry> m_entries;
    Value m_trailer;
};

QByteArray inflated(QByteArrayView data, bool* ok) {
    QByteArray out;
    z_stream stream{};
    *ok = false;
    if (inflateInit(&stream) != Z_OK)
        return out;
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
    stream.avail_in = uInt(data.size());
    char buffer[16384];
    int status = Z_OK;
    while (status == Z_OK) {
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
                  reinterpret_cast<const Bytef*>(data.constData()), uLong(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return std::nullopt;
    out.resize(qsizetype(size));
    return out;
}

} // namespace

namespace detail {

// The device the writer writes through. It holds the PDF Qt writes; when the painter is done, it
// gives each page's content stream the recorded spans and writes the file to the target, with
// the streams' lengths and the cross-reference table changed to match. Every part it changes is
// found by the file's structure: the table the file's end points to gives each object's place,
// the catalog its page tree, each page its content streams, and each stream's dictionary its
// length. A file it cannot read so is not written.
class PdfTextFilter final : public QIODevice {
public:
    explicit PdfTextFilter(QIODevice* target)
        : m_target(target) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    Q_DISABLE_COPY_MOVE(PdfTextFilter)

    bool isSequential() const override { return true; }

    void pageBegun() { ++m_drawnPage; }

    void add(const RunKey& key, const RunText& text) {
        if (size_t(m_drawnPage) >= m_pages.size())
            m_pages.resize(size_t(m_drawnPage) + 1);
        m_pages[size_t(m_drawnPage)][key].append(text);
        m_recorded = true;
        m_rightToLeft = m_rightToLeft || text.rightToLeft;
    }

    bool finish() {
        if (!m_recorded) {
            put(m_file); // nothing to add: the file as Qt wrote it
        } else if (!rewrite()) {
            m_failed = true;
        }
        m_file.clear();
        return !m_failed;
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

    // The content streams of the pages in order, following the page tree from the catalog.
    bool collectContents(PdfFile& file, const PdfFile::Value& node, int depth,
                         std::vector<std::vector<PdfFile::Value>>& pages) {
        const std::optional<PdfFile::Object> object = file.object(node);
        if (!object || object->value.kind != PdfFile::Value::Kind::dictionary || depth > 32)
            return false;
        const PdfFile::Value* type = object->value.at("Type");
        if (type && type->text == "Pages") {
            const PdfFile::Value* kids = object->value.at("Kids");
            if (!kids || kids->kind != PdfFile::Value::Kind::array)
                return false;
            for (const PdfFile::Value& kid : kids->items) {
                if (!collectContents(file, kid, depth + 1, pages))
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

    // A content stream given its spans: the replacement of its data and of its length.
    struct Change {
        qsizetype begin = 0; // the bytes replaced
        qsizetype end = 0;
        QByteArray bytes;
    };

    bool rewrite() {
        PdfFile file(m_file);
        if (!file.readTable())
            return false;
        const PdfFile::Value* root = file.trailer().at("Root");
        if (!root)
            return false;
        const std::optional<PdfFile::Object> catalog = file.object(*root);
        const PdfFile::Value* pagesRoot = catalog && catalog->value.kind == PdfFile::Value::Kind::dictionary
                                              ? catalog->value.at("Pages")
                                              : nullptr;
        std::vector<std::vector<PdfFile::Value>> pages;
        if (!pagesRoot || !collectContents(file, *pagesRoot, 0, pages))
            return false;

        std::vector<Change> changes;
        for (size_t page = 0; page < m_pages.size(); ++page) {
            PageTexts& texts = m_pages[page];
            if (texts.isEmpty())
                continue;
            if (page >= pages.size())
                return false;
            for (const PdfFile::Value& reference : pages[page]) {
                if (!changeStream(file, reference, texts, changes))
                    return false;
            }
            // Every run recorded on the page has its span: no word goes without its text.
            if (std::any_of(texts.cbegin(), texts.cend(),
                            [](const QList<RunText>& left) { return !left.isEmpty(); }))
                return false;
        }
        if (m_rightToLeft)
            nameLetters(file, changes);
        std::sort(changes.begin(), changes.end(),
                  [](const Change& a, const Change& b) { return a.begin < b.begin; });
        for (size_t i = 1; i < changes.size(); ++i) {
            if (changes[i].begin < changes[i - 1].end)
                return false;
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

        // Everything before the table, with the changes.
        qsizetype copied = 0;
        for (const Change& c : changes) {
            put(QByteArrayView(m_file).sliced(copied, c.begin - copied));
            put(c.bytes);
            copied = c.end;
        }
        put(QByteArrayView(m_file).sliced(copied, file.tableOffset() - copied));

        // The table with each object's new offset, the trailer as it was, and the table's offset.
        QByteArray table = m_file.sliced(file.tableOffset(), file.trailerKeyword() - file.tableOffset());
        for (const PdfFile::Entry& e : file.entries()) {
            const QByteArray offset = QByteArray::number(moved(e.offset)).rightJustified(10, '0');
            if (offset.size() != 10)
                return false;
            table.replace(e.line - file.tableOffset(), 10, offset);
        }
        put(table);
        put(QByteArrayView(m_file).sliced(file.trailerKeyword(),
                                          file.startKeyword() - file.trailerKeyword()));
        put(QByteArray("startxref\n" + QByteArray::number(moved(file.tableOffset())) + "\n%%EOF\n"));
        return true;
    }

    bool changeStream(PdfFile& file, const PdfFile::Value& reference, PageTexts& texts,
                      std::vector<Change>& changes) {
        const std::optional<PdfFile::Object> stream = file.object(reference);
        if (!stream || stream->streamBegin < 0)
            return false;
        const PdfFile::Value& dictionary = stream->value;
        const PdfFile::Value* filter = dictionary.at("Filter");
        if (filter && filter->kind == PdfFile::Value::Kind::array && filter->items.size() == 1)
            filter = &filter->items.constFirst();
        const bool compressed = filter != nullptr;
        if (compressed && (filter->kind != PdfFile::Value::Kind::name || filter->text != "FlateDecode" ||
                           dictionary.at("DecodeParms")))
            return false;
        const QByteArrayView data =
            QByteArrayView(m_file).sliced(stream->streamBegin, stream->streamEnd - stream->streamBegin);
        bool ok = true;
        const QByteArray content = compressed ? inflated(data, &ok) : data.toByteArray();
        if (!ok)
            return false;
        bool changed = false;
        const QByteArray marked = withSpans(content, texts, &changed);
        if (!changed)
            return true;
        const std::optional<QByteArray> written = compressed ? deflated(marked) : std::optional(marked);
        if (!written)
            return false;
        changes.push_back({stream->streamBegin, stream->streamEnd, *written});

        // The length, in the dictionary or in an object of its own.
        const PdfFile::Value* length = dictionary.at("Length");
        const QByteArray size = QByteArray::number(written->size());
        if (length->kind == PdfFile::Value::Kind::number) {
            changes.push_back({length->begin, length->end, size});
            return true;
        }
        const std::optional<PdfFile::Object> lengthObject = file.object(*length);
        if (!lengthObject)
            return false;
        changes.push_back({lengthObject->value.begin, lengthObject->value.end, size});
        return true;
    }

    // Gives every Type0 font's ToUnicode table the letters its glyphs stand for in place of
    // presentation forms (see pdf_text_rtl.h). A table that cannot be read or changed is left as
    // it is: the text still reads, in presentation forms.
    void nameLetters(PdfFile& file, std::vector<Change>& changes) {
        for (const PdfFile::Entry& entry : file.entries()) {
            PdfFile::Value reference;
            reference.kind = PdfFile::Value::Kind::reference;
            reference.number = entry.number;
            const std::optional<PdfFile::Object> font = file.object(reference);
            if (!font || font->streamBegin >= 0 || font->value.kind != PdfFile::Value::Kind::dictionary)
                continue;
            const PdfFile::Value* type = font->value.at("Type");
            const PdfFile::Value* subtype = font->value.at("Subtype");
            const PdfFile::Value* toUnicode = font->value.at("ToUnicode");
            if (!type || type->text != "Font" || !subtype || subtype->text != "Type0" || !toUnicode)
                continue;
            const std::optional<PdfFile::Object> table = file.object(*toUnicode);
            bool ok = table && table->streamBegin >= 0;
            if (ok) {
                ok = replaceStream(file, *table, changes,
                                   [](const QByteArray& cmap) { return toUnicodeWithLetters(cmap); });
            }
            if (!ok)
                std::printf("PDF: the text table of font object %lld is left as it was\n",
                            static_cast<long long>(entry.number));
        }
    }

    // Gives a stream the data `change` makes of its own (decompressed) data, and its length to
    // match. True when it is changed or `change` gives nothing.
    template <typename ChangeData>
    bool replaceStream(PdfFile& file, const PdfFile::Object& stream, std::vector<Change>& changes,
                       ChangeData change) {
        const PdfFile::Value& dictionary = stream.value;
        const PdfFile::Value* filter = dictionary.at("Filter");
        if (filter && filter->kind == PdfFile::Value::Kind::array && filter->items.size() == 1)
            filter = &filter->items.constFirst();
        const bool compressed = filter != nullptr;
        if (compressed && (filter->kind != PdfFile::Value::Kind::name || filter->text != "FlateDecode" ||
                           dictionary.at("DecodeParms")))
            return false;
        const QByteArrayView data =
            QByteArrayView(m_file).sliced(stream.streamBegin, stream.streamEnd - stream.streamBegin);
        bool ok = true;
        const QByteArray content = compressed ? inflated(data, &ok) : data.toByteArray();
        if (!ok)
            return false;
        const std::optional<QByteArray> changed = change(content);
        if (!changed)
            return true;
        const std::optional<QByteArray> written = compressed ? deflated(*changed) : changed;
        const PdfFile::Value* length = dictionary.at("Length");
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

    QIODevice* m_target;
    QByteArray m_file; // as Qt wrote it
    std::vector<PageTexts> m_pages;
    int m_drawnPage = 0;
    bool m_recorded = false;
    bool m_rightToLeft = false; // a right-to-left run was recorded
    bool m_failed = false;
};

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
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount}, RunText{text});
}

void PdfTextWriter::addRightToLeftText(QPointF firstGlyph, qsizetype glyphCount, const QString& shownText,
                                       qreal endShift) {
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount},
                RunText{shownText, true, endShift});
}

bool PdfTextWriter::finish() {
    return filter->finish();
}

bool PdfTextWriter::newPage() {
    filter->pageBegun();
    return QPdfWriter::newPage();
}

} // namespace quillora
