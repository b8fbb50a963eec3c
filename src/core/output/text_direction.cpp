#include "output/text_direction.h"

#include <QChar>

#include <optional>

namespace quillora {

namespace {

std::optional<Qt::LayoutDirection> strongDirection(QStringView text) {
    int isolates = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        char32_t c = text.at(i).unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text.at(i + 1).isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text.at(i), text.at(i + 1));
            ++i;
        }
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

} // namespace quillora
