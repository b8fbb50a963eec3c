#include "output/text_direction.h"

#include <QChar>

#include <optional>

namespace quillora {

namespace {

// The character at `i`, a surrogate pair whole (`i` then moves on to its second half).
char32_t codePointAt(QStringView text, qsizetype& i) {
    const QChar c = text.at(i);
    if (c.isHighSurrogate() && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
        ++i;
        return QChar::surrogateToUcs4(c, text.at(i));
    }
    return c.unicode();
}

std::optional<Qt::LayoutDirection> strongDirection(QStringView text) {
    int isolates = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t c = codePointAt(text, i);
        switch (QChar::direction(c)) {
        case QChar::DirLRI:
        case QChar::DirRLI:
        case QChar::DirFSI:
            ++isolates;
            break;
        case QChar::DirPDI:
            if (isolates > 0)
                --isolates;
            break;
        case QChar::DirL:
            if (isolates == 0)
                return Qt::LeftToRight;
            break;
        case QChar::DirR:
        case QChar::DirAL:
            if (isolates == 0)
                return Qt::RightToLeft;
            break;
        default:
            break;
        }
    }
    return std::nullopt;
}

bool isParagraphEnd(QChar c) {
    return c == u'\n' || c == u'\r' || c == QChar::LineSeparator || c == QChar::ParagraphSeparator;
}

} // namespace

Qt::LayoutDirection textDirection(QStringView text, Qt::LayoutDirection fallback) {
    return strongDirection(text).value_or(fallback);
}

Qt::LayoutDirection directionAfter(QStringView text, Qt::LayoutDirection fallback) {
    qsizetype end = text.size();
    while (end > 0) {
        qsizetype start = end;
        while (start > 0 && !isParagraphEnd(text.at(start - 1)))
            --start;
        if (const auto direction = strongDirection(text.sliced(start, end - start)))
            return *direction;
        end = start - 1;
    }
    return fallback;
}

qsizetype leftToRightExcess(QStringView text) {
    qsizetype excess = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char32_t c = codePointAt(text, i);
        const QChar::Direction direction = QChar::direction(c);
        if (direction == QChar::DirL)
            ++excess;
        else if (direction == QChar::DirR || direction == QChar::DirAL)
            --excess;
    }
    return excess;
}

} // namespace quillora
