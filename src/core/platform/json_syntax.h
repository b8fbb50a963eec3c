#pragma once

#include <QtGlobal>

#include <vector>

namespace quillora {

// Checks that bytes fed piece by piece make exactly one whole JSON document (RFC 8259, UTF-8),
// keeping only the nesting in memory, so a document of any size is checked in bounded memory.
// It passes only what Qt's JSON reader reads whole: an object or array at the top, characters as
// RFC 3629 allows them (no surrogates, no overlong forms, nothing above U+10FFFF), at most 1,024
// nested objects and arrays, numbers within the range of a double, and at most
// largestDocument bytes in all. Strings are not decoded.
class JsonSyntaxCheck final {
public:
    // The longest document Qt's reader takes: it counts a document's bytes in an int, and
    // refuses one of 2 GiB or more at its first byte.
    static constexpr qint64 largestDocument = 2'147'483'647;

    // The next bytes; false once what came so far can begin no JSON document.
    bool feed(const char* data, qsizetype size);
    // True when everything fed is one whole document, with nothing but white space around it.
    bool finish();

private:
    enum class State : quint8 {
        value,           // a value must come
        firstValueOrEnd, // just after "["
        firstKeyOrEnd,   // just after "{"
        key,             // after "," in an object
        colon,
        next, // after a value inside an object or array: "," or the closing bracket
        string,
        escape,
        hex,
        minus,
        zero,
        integer,
        point,
        fraction,
        exponentMark,
        exponentSign,
        exponent,
        literal,
        done,
        failed,
    };

    void step(uchar c);
    void beginValue(uchar c);
    void close(uchar c);
    void valueEnded();
    bool numberMayEnd() const;
    void numberDigit(uchar c);
    void numberEnded();

    State m_state = State::value;
    qint64 m_fed = 0;         // bytes so far
    std::vector<char> m_open; // '{' or '[' for every container not yet closed
    bool m_stringIsKey = false;
    int m_left = 0; // hexadecimal digits of an escape, or continuation bytes of a character
    // The range of the next continuation byte, narrower after some lead bytes.
    uchar m_lowest = 0x80;
    uchar m_highest = 0xBF;
    const char* m_literal = nullptr;
    // The number being read: its leading significant digits (enough to round it as the reader
    // does), whether a non-zero digit came after them, where the decimal point falls among them,
    // and its exponent (held well past where any double ends).
    std::vector<char> m_digits;
    bool m_digitsCut = false;
    qint64 m_point = 0;
    qint64 m_exponent = 0;
    bool m_exponentNegative = false;
};

} // namespace quillora
