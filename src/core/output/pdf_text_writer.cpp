#include "output/pdf_text_writer.h"

#include <QByteArrayView>
#include <QHash>
#include <QIODevice>
#include <QStringList>

#include <zlib.h>

#include <algorithm>
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

using PageTexts = QHash<RunKey, QStringList>; // the texts of the runs at a key, in drawing order

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
// recorded for are left as they are. `changed` says whether any span was added.
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
        out.append(content.constData() + copied, fontLineEnd + 1 - copied);
        out.append(spanFor(found->takeFirst()));
        out.append(content.constData() + fontLineEnd + 1, lineStart - (fontLineEnd + 1));
        out.append("EMC\n");
        copied = lineStart;
        at = lineStart;
        *changed = true;
    }
    if (*changed)
        out.append(content.constData() + copied, content.size() - copied);
    return out;
}

} // namespace

namespace detail {

// The device the writer writes through. It passes the PDF on to the target as it comes, except
// each page's content stream, which it inflates, gives the recorded spans, and deflates again;
// the stream's length and the offsets of the cross-reference table are changed to match. It
// relies on the shape Qt gives these parts:
//   <<\n/Type /Page\n/Parent p 0 R\n/Contents c 0 R\n…          the page
//   c 0 obj\n<<\n/Length l 0 R\n/Filter /FlateDecode\n>>\nstream\n…\nendstream\nendobj\n
//   l 0 obj\n<length>\nendobj\n
//   xref\n0 n\n<offset> 00000 n \n…trailer\n…startxref\n<offset> \n%%EOF\n
// and passes anything else on unchanged.
class PdfTextFilter final : public QIODevice {
public:
    explicit PdfTextFilter(QIODevice* target)
        : m_target(target) {
        open(QIODevice::WriteOnly | QIODevice::Unbuffered);
    }
    ~PdfTextFilter() override {
        if (m_inflating)
            inflateEnd(&m_inflate);
    }
    Q_DISABLE_COPY_MOVE(PdfTextFilter)

    bool isSequential() const override { return true; }

    void pageBegun() { ++m_drawnPage; }

    void add(const RunKey& key, const QString& text) {
        if (size_t(m_drawnPage) >= m_pages.size())
            m_pages.resize(size_t(m_drawnPage) + 1);
        m_pages[size_t(m_drawnPage)][key].append(text);
    }

    bool finish() {
        process();
        if (m_phase == Phase::tail)
            writeTail();
        else if (!m_shifts.empty())
            m_failed = true; // the table that must move with the changes never came
        pass(m_pending.size());
        return !m_failed;
    }

protected:
    qint64 readData(char*, qint64) override { return -1; }

    qint64 writeData(const char* data, qint64 size) override {
        m_pending.append(data, size);
        process();
        return size;
    }

private:
    enum class Phase { page, contentHeader, content, contentLength, tail };

    // Bytes kept back in case a pattern looked for is cut by the end of a write.
    static constexpr qsizetype kKeep = 64;

    void put(QByteArrayView bytes) {
        if (!bytes.isEmpty() && m_target->write(bytes.data(), bytes.size()) != bytes.size())
            m_failed = true;
    }

    // Writes the first `bytes` held unchanged.
    void pass(qsizetype bytes) {
        put(QByteArrayView(m_pending).first(bytes));
        drop(bytes);
    }

    void drop(qsizetype bytes) {
        m_pending.remove(0, bytes);
        m_pendingOffset += bytes;
    }

    // Writes `replacement` in place of the first `bytes` held.
    void replace(qsizetype bytes, QByteArrayView replacement) {
        put(replacement);
        drop(bytes);
        shifted(replacement.size() - bytes);
    }

    // Offsets from the current input position on move by `delta` more.
    void shifted(qint64 delta) {
        const qint64 total = (m_shifts.empty() ? 0 : m_shifts.back().second) + delta;
        m_shifts.emplace_back(m_pendingOffset, total);
    }

    // Where an offset of the file Qt wrote lies in the file written.
    qint64 translated(qint64 offset) const {
        const auto after = std::upper_bound(m_shifts.cbegin(), m_shifts.cend(), offset,
                                            [](qint64 o, const auto& shift) { return o < shift.first; });
        return after == m_shifts.cbegin() ? offset : offset + std::prev(after)->second;
    }

    void process() {
        for (;;) {
            switch (m_phase) {
            case Phase::page:
                if (!findPage())
                    return;
                break;
            case Phase::contentHeader:
                if (!findContentHeader())
                    return;
                break;
            case Phase::content:
                if (!readContent())
                    return;
                break;
            case Phase::contentLength:
                if (!rewriteLength())
                    return;
                break;
            case Phase::tail:
                return; // written by finish()
            }
        }
    }

    // Looks for the next page's content stream object, or the cross-reference table after the
    // last page. False while more bytes are needed.
    bool findPage() {
        const qsizetype contents = m_pending.indexOf("\n/Contents ");
        const qsizetype table = m_pending.indexOf("\nxref\n");
        if (table >= 0 && (contents < 0 || table < contents)) {
            pass(table);
            m_phase = Phase::tail;
            return true;
        }
        if (contents < 0) {
            pass(std::max<qsizetype>(0, m_pending.size() - kKeep));
            return false;
        }
        const qsizetype lineEnd = m_pending.indexOf('\n', contents + 1);
        if (lineEnd < 0) {
            pass(contents);
            return false;
        }
        QByteArrayView line = QByteArrayView(m_pending).sliced(contents + 11, lineEnd - contents - 11);
        if (line.endsWith(" 0 R")) {
            m_contentObject = line.chopped(4).toByteArray();
            m_phase = Phase::contentHeader;
        }
        pass(lineEnd);
        return true;
    }

    bool findContentHeader() {
        const QByteArray start = '\n' + m_contentObject + " 0 obj\n<<\n/Length ";
        const qsizetype at = m_pending.indexOf(start);
        if (at < 0) {
            pass(std::max<qsizetype>(0, m_pending.size() - start.size()));
            return false;
        }
        const qsizetype stream = m_pending.indexOf(">>\nstream\n", at);
        if (stream < 0) {
            pass(at);
            return false;
        }
        const QByteArrayView dictionary =
            QByteArrayView(m_pending).sliced(at + start.size(), stream - at - start.size());
        static constexpr QByteArrayView kCompressed(" 0 R\n/Filter /FlateDecode\n");
        m_phase = Phase::page;
        if (dictionary.endsWith(kCompressed)) {
            m_lengthObject = dictionary.chopped(kCompressed.size()).toByteArray();
            m_inflate = z_stream{};
            if (inflateInit(&m_inflate) == Z_OK) {
                m_inflating = true;
                m_phase = Phase::content;
            }
        }
        pass(stream + 10);
        return true;
    }

    // Inflates the content stream as it comes; once it is whole, writes it with its spans.
    bool readContent() {
        if (m_pending.isEmpty())
            return false;
        char buffer[16384];
        m_inflate.next_in = reinterpret_cast<Bytef*>(m_pending.data());
        m_inflate.avail_in = uInt(std::min<qsizetype>(m_pending.size(), 1 << 30));
        int status = Z_OK;
        do {
            m_inflate.next_out = reinterpret_cast<Bytef*>(buffer);
            m_inflate.avail_out = sizeof buffer;
            status = inflate(&m_inflate, Z_NO_FLUSH);
            m_content.append(buffer, qsizetype(sizeof buffer - m_inflate.avail_out));
            // Until the input is used up and what it gives has all been taken.
        } while (status == Z_OK && (m_inflate.avail_in > 0 || m_inflate.avail_out == 0));
        if (status == Z_BUF_ERROR)
            status = Z_OK; // nothing more to do with this input
        const qsizetype consumed = m_pending.size() - qsizetype(m_inflate.avail_in);
        m_compressed.append(m_pending.constData(), consumed);
        drop(consumed);
        if (status == Z_OK)
            return false; // more to come
        inflateEnd(&m_inflate);
        m_inflating = false;
        if (status == Z_STREAM_END)
            writeContent();
        else
            put(m_compressed); // not a stream we can read: left as it is
        m_compressed.clear();
        m_content.clear();
        ++m_writtenPage;
        m_phase = Phase::contentLength;
        return true;
    }

    void writeContent() {
        m_newLength.clear();
        bool changed = false;
        QByteArray marked;
        if (size_t(m_writtenPage) < m_pages.size()) {
            PageTexts& texts = m_pages[size_t(m_writtenPage)];
            if (!texts.isEmpty())
                marked = withSpans(m_content, texts, &changed);
            texts = {};
        }
        QByteArray compressed;
        if (changed) {
            uLongf size = compressBound(uLong(marked.size()));
            compressed.resize(qsizetype(size));
            if (compress2(reinterpret_cast<Bytef*>(compressed.data()), &size,
                          reinterpret_cast<const Bytef*>(marked.constData()), uLong(marked.size()),
                          Z_DEFAULT_COMPRESSION) == Z_OK)
                compressed.resize(qsizetype(size));
            else
                changed = false;
        }
        if (!changed) {
            put(m_compressed);
            return;
        }
        put(compressed);
        shifted(compressed.size() - m_compressed.size());
        m_newLength = QByteArray::number(compressed.size());
    }

    // The object after the stream holds its length: the new one when the stream changed.
    bool rewriteLength() {
        const QByteArray expected = "\nendstream\nendobj\n" + m_lengthObject + " 0 obj\n";
        const qsizetype digitsEnd = m_pending.indexOf('\n', expected.size());
        if (digitsEnd < 0 && m_pending.size() < expected.size() + 24)
            return false;
        m_phase = Phase::page;
        if (!m_pending.startsWith(expected) || digitsEnd < 0) {
            if (!m_newLength.isEmpty())
                m_failed = true;
            return true;
        }
        pass(expected.size());
        if (!m_newLength.isEmpty())
            replace(digitsEnd - expected.size(), m_newLength);
        return true;
    }

    // The cross-reference table and the trailer, with the offsets of the file written.
    void writeTail() {
        if (m_shifts.empty())
            return;
        // The table is the last one (a table's name inside a stream's bytes would come earlier).
        const qsizetype table = m_pending.lastIndexOf("\nxref\n");
        if (table < 0) {
            m_failed = true;
            return;
        }
        pass(table + 1);
        const qint64 tableOffset = m_pendingOffset;
        QByteArray tail;
        tail.reserve(m_pending.size());
        bool startFollows = false;
        bool startWritten = false;
        for (const QByteArray& line : m_pending.split('\n')) {
            bool ok = false;
            if (line.size() == 19 && line.endsWith(" 00000 n ")) {
                const qint64 offset = line.first(10).toLongLong(&ok);
                if (ok) {
                    tail.append(QByteArray::number(translated(offset)).rightJustified(10, '0'));
                    tail.append(line.sliced(10));
                }
            } else if (startFollows) {
                const qsizetype digits = line.indexOf(' ') < 0 ? line.size() : line.indexOf(' ');
                ok = line.first(digits).toLongLong() == tableOffset;
                if (ok) {
                    tail.append(QByteArray::number(translated(tableOffset)));
                    tail.append(line.sliced(digits));
                    startWritten = true;
                }
            }
            if (!ok)
                tail.append(line);
            tail.append('\n');
            startFollows = line == "startxref";
        }
        tail.chop(1); // the split's last piece had no line break after it
        if (!startWritten)
            m_failed = true;
        replace(m_pending.size(), tail);
    }

    QIODevice* m_target;
    QByteArray m_pending;
    qint64 m_pendingOffset = 0; // where m_pending starts in the file Qt writes
    Phase m_phase = Phase::page;
    QByteArray m_contentObject;
    QByteArray m_lengthObject;
    z_stream m_inflate{};
    bool m_inflating = false;
    QByteArray m_compressed; // the content stream as Qt wrote it
    QByteArray m_content;    // and inflated
    QByteArray m_newLength;  // of the stream just written, when it changed
    // From each offset of the file Qt writes on, how far the file written is ahead of it.
    std::vector<std::pair<qint64, qint64>> m_shifts;
    std::vector<PageTexts> m_pages;
    int m_drawnPage = 0;
    int m_writtenPage = 0;
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
    filter->add(RunKey{fixed(firstGlyph.x()), fixed(firstGlyph.y()), glyphCount}, text);
}

bool PdfTextWriter::finish() {
    return filter->finish();
}

bool PdfTextWriter::newPage() {
    filter->pageBegun();
    return QPdfWriter::newPage();
}

} // namespace quillora
