#include "platform/json_syntax.h"

namespace quillora {

namespace {

// Deeper than any document the app writes by far; a deeper one is refused, not followed.
constexpr size_t kDeepest = 10000;

bool isSpace(uchar c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\r';
}

bool isDigit(uchar c) {
    return c >= '0' && c <= '9';
}

bool isHexDigit(uchar c) {
    return isDigit(c) || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

// How many continuation bytes follow a UTF-8 lead byte; -1 for a byte that leads nothing.
int continuationBytes(uchar c) {
    if (c >= 0xC2 && c <= 0xDF)
        return 1;
    if (c >= 0xE0 && c <= 0xEF)
        return 2;
    if (c >= 0xF0 && c <= 0xF4)
        return 3;
    return -1;
}

} // namespace

bool JsonSyntaxCheck::feed(const char* data, qsizetype size) {
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
        valueEnded();
    return m_state == State::done;
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
        m_state = isDigit(c) ? State::integer : State::failed;
    }
}

void JsonSyntaxCheck::step(uchar c) {
    // A number ends at the first character that cannot continue it, which is then read again.
    if (numberMayEnd()) {
        const bool continues =
            isDigit(c) || ((c == '.' || c == 'e' || c == 'E') && m_state != State::exponent &&
                           !(c == '.' && m_state == State::fraction));
        if (!continues)
            valueEnded();
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
            if ((c & 0xC0) != 0x80)
                m_state = State::failed;
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
            m_left = continuationBytes(c);
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
        m_state = c == '0' ? State::zero : isDigit(c) ? State::integer : State::failed;
        return;
    case State::zero:
    case State::integer:
        if (c == '.')
            m_state = State::point;
        else if (c == 'e' || c == 'E')
            m_state = State::exponentMark;
        else if (m_state == State::zero) // no digit after a leading zero
            m_state = State::failed;
        return;
    case State::point:
        m_state = isDigit(c) ? State::fraction : State::failed;
        return;
    case State::fraction:
        if (c == 'e' || c == 'E')
            m_state = State::exponentMark;
        return;
    case State::exponentMark:
        m_state = c == '+' || c == '-' ? State::exponentSign : isDigit(c) ? State::exponent : State::failed;
        return;
    case State::exponentSign:
        m_state = isDigit(c) ? State::exponent : State::failed;
        return;
    case State::exponent:
        return; // a digit
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
