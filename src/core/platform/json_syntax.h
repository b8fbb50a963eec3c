#pragma once

#include <QtGlobal>

#include <vector>

namespace quillora {

// Checks that bytes fed piece by piece make exactly one whole JSON document (RFC 8259, UTF-8),
// keeping only the nesting in memory, so a document of any size is checked in bounded memory.
// Nothing is decoded: a document that passes reads whole, whatever its values mean.
class JsonSyntaxCheck final {
public:
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

    State m_state = State::value;
    std::vector<char> m_open; // '{' or '[' for every container not yet closed
    bool m_stringIsKey = false;
    int m_left = 0; // hexadecimal digits of an escape, or continuation bytes of a character
    const char* m_literal = nullptr;
};

} // namespace quillora
