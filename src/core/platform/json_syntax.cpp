#include "platform/json_syntax.h"

#include <charconv>
#include <cmath>
#include <string>

namespace quillora {

namespace {

// As deep as Qt's JSON reader goes (a document nested deeper is one it refuses whole), and far
// deeper than any document the app writes.
constexpr size_t kDeepest = 1024;
// More significant digits than can ever decide which double a number rounds to (767).
constexpr size_t kKeptDigits = 800;
// An exponent beyond which every number but zero is out of a double's range, by far.
constexpr qint64 kFarExponent = 1'000'000'000;

bool isSpace(uchar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(uchar c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(uchar c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How many continuation bytes follow a UTF-8 lead byte (-1 for a byte that leads nothing), and
// the range of the first of them, as RFC 3629 has it: one that would make an overlong form, a
// surrogate (U+D800 to U+DFFF) or a character above U+10FFFF is outside it.
struct Lead {
    int continuationBytes;
    uchar lowest;
    uchar highest;
};

Lead lead(uchar c) {
    if (c >= 0xC2 && c <= 0xDF)
        return {1, 0x80, 0xBF};
    if (c == 0xE0)
        return {2, 0xA0, 0xBF};
    if (c == 0xED)
        return {2, 0x80, 0x9F};
    if (c >= 0xE1 && c <= 0xEF)
        return {2, 0x80, 0xBF};
    if (c == 0xF0)
        return {3, 0x90, 0xBF};
    if (c == 0xF4)
        return {3, 0x80, 0x8F};
    if (c >= 0xF1 && c <= 0xF3)
        return {3, 0x80, 0xBF};
    return {-1, 0, 0};
}

} // namespace

bool JsonSyntaxCheck::feed(const char* data, qsizetype size) {
    m_fed += size;
    if (m_fed > largestDocument)
        m_state = State::failed;
    for (qsizetype i = 0; i < size && m_state != State::failed; ++i) {
        const uchar c = uchar(data[i]);
        // The long runs of plain characters inside strings (images in Base64) go by quickly.
        if (m_state == State::string && m_left == 0 && c >= 0x20 && c < 0x80 && c != '"' && c != '\\')
            continue;
        step(c);
    }
    return m_state != State::failed;
}

bool JsonSyntaxCheck::finish() {
    if (numberMayEnd())
        numberEnded();
    return m_state == State::done;
}

// A digit of the number's integer part (but its first zero) or of its fraction.
void JsonSyntaxCheck::numberDigit(uchar c) {
    const bool inFraction = m_state == State::point || m_state == State::fraction;
    if (m_digits.empty() && c == '0') {
        if (inFraction)
            --m_point; // a zero before the first significant digit
        return;
    }
    if (!inFraction)
        ++m_point;
    if (m_digits.size() < kKeptDigits)
        m_digits.push_back(char(c));
    else if (c != '0')
        m_digitsCut = true;
}

// The reader takes a number as the nearest double and refuses one that is too large for a double,
// or too small to be told from zero when it is not zero.
void JsonSyntaxCheck::numberEnded() {
    if (!m_digits.empty()) {
        const qint64 scale = m_point + (m_exponentNegative ? -m_exponent : m_exponent);
        bool inRange = scale > -400 && scale < 400;
        if (inRange) {
            std::string text = "0.";
            text.append(m_digits.begin(), m_digits.end());
            if (m_digitsCut)
                text += '1'; // rounds as the digits that were left out do
            text += 'e';
            text += std::to_string(scale);
            double value = 0;
            const auto read = std::from_chars(text.data(), text.data() + text.size(), value);
            inRange = read.ec == std::errc() && std::isfinite(value) && value != 0;
        }
        if (!inRange) {
            m_state = State::failed;
            return;
        }
    }
    valueEnded();
}

bool JsonSyntaxCheck::numberMayEnd() const {
    return m_state == State::zero || m_state == State::integer || m_state == State::fraction ||
           m_state == State::exponent;
}

void JsonSyntaxCheck::valueEnded() {
    m_state = m_open.empty() ? State::done : State::next;
}

void JsonSyntaxCheck::close(uchar c) {
    if (m_open.empty() || m_open.back() != (c == '}' ? '{' : '[')) {
        m_state = State::failed;
        return;
    }
    m_open.pop_back();
    valueEnded();
}

void JsonSyntaxCheck::beginValue(uchar c) {
    if (m_open.empty() && c != '{' && c != '[') { // the reader takes only these at the top
        m_state = State::failed;
        return;
    }
    if (c == '-' || isDigit(c)) {
        m_digits.clear();
        m_digitsCut = false;
        m_point = 0;
        m_exponent = 0;
        m_exponentNegative = false;
    }
    switch (c) {
    case '{':
    case '[':
        if (m_open.size() >= kDeepest) {
            m_state = State::failed;
            return;
        }
        m_open.push_back(char(c));
        m_state = c == '{' ? State::firstKeyOrEnd : State::firstValueOrEnd;
        return;
    case '"':
        m_stringIsKey = false;
        m_state = State::string;
        return;
    case '-':
        m_state = State::minus;
        return;
    case '0':
        m_state = State::zero;
        return;
    case 't':
        m_literal = "rue";
        m_state = State::literal;
        return;
    case 'f':
        m_literal = "alse";
        m_state = State::literal;
        return;
    case 'n':
        m_literal = "ull";
        m_state = State::literal;
        return;
    default:
        if (!isDigit(c)) {
            m_state = State::failed;
            return;
        }
        m_state = State::integer;
        numberDigit(c);
    }
}

void JsonSyntaxCheck::step(uchar c) {
    // A number ends at the first character that cannot continue it, which is then read again.
    if (numberMayEnd()) {
        const bool continues =
            isDigit(c) || ((c == '.' || c == 'e' || c == 'E') && m_state != State::exponent &&
                           !(c == '.' && m_state == State::fraction));
        if (!continues) {
            numberEnded();
            if (m_state == State::failed)
                return;
        }
    }
    switch (m_state) {
    case State::value:
    case State::firstValueOrEnd:
        if (isSpace(c))
            return;
        if (c == ']' && m_state == State::firstValueOrEnd)
            return close(c);
        return beginValue(c);
    case State::firstKeyOrEnd:
    case State::key:
        if (isSpace(c))
            return;
        if (c == '}' && m_state == State::firstKeyOrEnd)
            return close(c);
        m_stringIsKey = true;
        m_state = c == '"' ? State::string : State::failed;
        return;
    case State::colon:
        if (!isSpace(c))
            m_state = c == ':' ? State::value : State::failed;
        return;
    case State::next:
        if (isSpace(c))
            return;
        if (c == ',')
            m_state = m_open.back() == '{' ? State::key : State::value;
        else if (c == '}' || c == ']')
            close(c);
        else
            m_state = State::failed;
        return;
    case State::string:
        if (m_left > 0) {
            --m_left;
            if (c < m_lowest || c > m_highest)
                m_state = State::failed;
            m_lowest = 0x80;
            m_highest = 0xBF;
        } else if (c == '"') {
            if (m_stringIsKey)
                m_state = State::colon;
            else
                valueEnded();
        } else if (c == '\\') {
            m_state = State::escape;
        } else if (c < 0x20) {
            m_state = State::failed;
        } else if (c >= 0x80) {
            const Lead next = lead(c);
            m_left = next.continuationBytes;
            m_lowest = next.lowest;
            m_highest = next.highest;
            if (m_left < 0)
                m_state = State::failed;
        }
        return;
    case State::escape:
        if (c == 'u') {
            m_left = 4;
            m_state = State::hex;
        } else {
            const bool known =
                c == '"' || c == '\\' || c == '/' || c == 'b' || c == 'f' || c == 'n' || c == 'r' || c == 't';
            m_state = known ? State::string : State::failed;
        }
        return;
    case State::hex:
        if (!isHexDigit(c))
            m_state = State::failed;
        else if (--m_left == 0)
            m_state = State::string;
        return;
    case State::minus:
        if (c == '0') {
            m_state = State::zero;
        } else if (isDigit(c)) {
            m_state = State::integer;
            numberDigit(c);
        } else {
            m_state = State::failed;
        }
        return;
    case State::zero:
    case State::integer:
        if (c == '.')
            m_state = State::point;
        else if (c == 'e' || c == 'E')
            m_state = State::exponentMark;
        else if (m_state == State::zero) // no digit after a leading zero
            m_state = State::failed;
        else
            numberDigit(c);
        return;
    case State::point:
    case State::fraction:
        if (isDigit(c)) {
            numberDigit(c);
            m_state = State::fraction;
        } else {
            m_state = m_state == State::fraction ? State::exponentMark : State::failed; // "e" or "E"
        }
        return;
    case State::exponentMark:
    case State::exponentSign:
        if (m_state == State::exponentMark && (c == '+' || c == '-')) {
            m_exponentNegative = c == '-';
            m_state = State::exponentSign;
            return;
        }
        if (!isDigit(c)) {
            m_state = State::failed;
            return;
        }
        m_state = State::exponent;
        [[fallthrough]];
    case State::exponent: // a digit
        if (m_exponent < kFarExponent)
            m_exponent = m_exponent * 10 + (c - '0');
        return;
    case State::literal:
        if (c != uchar(*m_literal))
            m_state = State::failed;
        else if (*++m_literal == '\0')
            valueEnded();
        return;
    case State::done:
        if (!isSpace(c))
            m_state = State::failed;
        return;
    case State::failed:
        return;
    }
}

} // namespace quillora
