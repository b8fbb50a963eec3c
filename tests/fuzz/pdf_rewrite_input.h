#pragma once

#include "output/pdf_text_writer.h"

#include <QByteArray>
#include <QList>
#include <QtEndian>

#include <cstddef>
#include <cstdint>

namespace quillora::fuzz {

// An input of the PDF rewrite's fuzzer: the spans recorded while a file was drawn, then the file.
//   byte 0            the number of spans, n (modulo 64); bit 6: the spans are right-to-left
//                     runs, bit 7: (then) their last glyphs are blanks
//   n records         10 bytes each: the page (modulo 8), the glyph count, and the first glyph's
//                     x and y in 1/64 points (32-bit, little-endian)
//   the rest          the file as Qt's PDF writer wrote it
// A span's text is a fixed word with a letter outside the Basic Multilingual Plane, or a Hebrew
// word with marks.
struct PdfRewriteInput {
    QList<detail::RecordedSpan> spans;
    QByteArray file;
};

inline constexpr int kSpanRecord = 10;

inline PdfRewriteInput decodedInput(const uint8_t* data, size_t size) {
    PdfRewriteInput input;
    if (size == 0)
        return input;
    const size_t count = data[0] % 64;
    const bool rightToLeft = (data[0] & 0x40) != 0;
    const bool blank = (data[0] & 0x80) != 0;
    size_t at = 1;
    for (size_t i = 0; i < count && at + kSpanRecord <= size; ++i, at += kSpanRecord) {
        const qint32 x = qFromLittleEndian<qint32>(data + at + 2);
        const qint32 y = qFromLittleEndian<qint32>(data + at + 6);
        input.spans.append({data[at] % 8, QPointF(x / 64.0, y / 64.0), data[at + 1],
                            rightToLeft ? QStringLiteral("שָׁלוֹם") : QStringLiteral("क्ष\U0001F600"),
                            rightToLeft, rightToLeft && blank});
    }
    input.file = QByteArray(reinterpret_cast<const char*>(data) + at, qsizetype(size - at));
    return input;
}

inline QByteArray encodedInput(const PdfRewriteInput& input) {
    const bool rightToLeft = !input.spans.isEmpty() && input.spans.constFirst().rightToLeft;
    const bool blank = rightToLeft && input.spans.constFirst().blank;
    QByteArray bytes(1, char(input.spans.size() % 64 | (rightToLeft ? 0x40 : 0) | (blank ? 0x80 : 0)));
    for (qsizetype i = 0; i < input.spans.size() && i < 63; ++i) {
        const detail::RecordedSpan& span = input.spans.at(i);
        char record[kSpanRecord];
        record[0] = char(span.page);
        record[1] = char(span.glyphCount);
        qToLittleEndian<qint32>(qint32(span.firstGlyph.x() * 64), record + 2);
        qToLittleEndian<qint32>(qint32(span.firstGlyph.y() * 64), record + 6);
        bytes.append(record, kSpanRecord);
    }
    return bytes + input.file;
}

} // namespace quillora::fuzz
