#include "theme/hex_color.h"

#include <QTextBoundaryFinder>

#include <cstdint>
#include <limits>

namespace quillora {

namespace {

bool isAlphanumeric(QChar ch) {
    return ch.isLetterOrNumber() || ch.isMark();
}

// Trims every non-alphanumeric character from both ends; inner characters stay.
QString trimmedToAlphanumerics(const QString& text) {
    qsizetype start = 0;
    qsizetype end = text.size();
    while (start < end && !isAlphanumeric(text.at(start)))
        ++start;
    while (end > start && !isAlphanumeric(text.at(end - 1)))
        --end;
    return text.mid(start, end - start);
}

int hexDigitValue(QChar ch) {
    const char16_t c = ch.unicode();
    if (c >= u'0' && c <= u'9')
        return c - u'0';
    if (c >= u'a' && c <= u'f')
        return c - u'a' + 10;
    if (c >= u'A' && c <= u'F')
        return c - u'A' + 10;
    return -1;
}

// Reads an unsigned hexadecimal number from the start of the text, with an optional 0x/0X
// prefix, stopping at the first non-digit. Nothing readable gives 0; an overflow saturates.
std::uint64_t scanHex(const QString& text) {
    qsizetype pos = 0;
    if (text.size() >= 3 && text.at(0) == u'0' && (text.at(1) == u'x' || text.at(1) == u'X') &&
        hexDigitValue(text.at(2)) >= 0)
        pos = 2;
    std::uint64_t value = 0;
    for (; pos < text.size(); ++pos) {
        const int digit = hexDigitValue(text.at(pos));
        if (digit < 0)
            break;
        if (value > (std::numeric_limits<std::uint64_t>::max() >> 4))
            return std::numeric_limits<std::uint64_t>::max();
        value = (value << 4) | static_cast<std::uint64_t>(digit);
    }
    return value;
}

// Counts user-perceived characters (grapheme clusters), not code units.
qsizetype characterCount(const QString& text) {
    if (text.isEmpty())
        return 0;
    QTextBoundaryFinder finder(QTextBoundaryFinder::Grapheme, text);
    qsizetype count = 0;
    while (finder.toNextBoundary() != -1)
        ++count;
    return count;
}

} // namespace

QColor colorFromHex(const QString& hex, double opacity) {
    const QString trimmed = trimmedToAlphanumerics(hex);
    const std::uint64_t number = scanHex(trimmed);
    std::uint64_t red = 1;
    std::uint64_t green = 1;
    std::uint64_t blue = 1;
    switch (characterCount(trimmed)) {
    case 8:
        red = (number >> 16) & 0xFF;
        green = (number >> 8) & 0xFF;
        blue = number & 0xFF;
        break;
    case 6:
        red = (number >> 16) & 0xFF;
        green = (number >> 8) & 0xFF;
        blue = number & 0xFF;
        break;
    case 3:
        red = ((number >> 8) & 0xF) * 17;
        green = ((number >> 4) & 0xF) * 17;
        blue = (number & 0xF) * 17;
        break;
    default:
        break;
    }
    return QColor::fromRgbF(static_cast<float>(static_cast<double>(red) / 255.0),
                            static_cast<float>(static_cast<double>(green) / 255.0),
                            static_cast<float>(static_cast<double>(blue) / 255.0),
                            static_cast<float>(qBound(0.0, opacity, 1.0)));
}

const QColor& accentBlue() {
    static const QColor color = colorFromHex(QStringLiteral("#2239D1"));
    return color;
}

const QColor& accentCyan() {
    static const QColor color = colorFromHex(QStringLiteral("#22D3EE"));
    return color;
}

const QColor& destructiveRed() {
    static const QColor color = colorFromHex(QStringLiteral("#DF3154"));
    return color;
}

const QColor& destructivePink() {
    static const QColor color = colorFromHex(QStringLiteral("#FE5073"));
    return color;
}

const QColor& accentColor(bool isLight) {
    return isLight ? accentBlue() : accentCyan();
}

const QColor& destructiveColor(bool isLight) {
    return isLight ? destructiveRed() : destructivePink();
}

const QColor& focusRingColor(bool isLight) {
    static const QColor deepBlue = colorFromHex(QStringLiteral("#14217F"));
    return isLight ? deepBlue : accentCyan();
}

const QColor& destructiveIconColor(bool isLight) {
    static const QColor deepRed = colorFromHex(QStringLiteral("#B81D3E"));
    return isLight ? deepRed : destructivePink();
}

} // namespace quillora
