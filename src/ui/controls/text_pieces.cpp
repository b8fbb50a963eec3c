#include "controls/text_pieces.h"

#include <QList>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace quillora {

namespace {

// Where the text's pieces of a kind start, in order, the first at 0: its characters (as drawn),
// its words, its sentences, or its lines (each after a line break).
QList<int> pieceStarts(const QString& text, QAccessible::TextBoundaryType type) {
    QList<int> starts{0};
    const int size = int(text.size());
    const auto add = [&](qsizetype at) {
        if (at > starts.last() && at < size)
            starts << int(at);
    };
    const auto finder = [&](QTextBoundaryFinder::BoundaryType kind, bool wordStartsOnly) {
        QTextBoundaryFinder pieces(kind, text);
        // toNextBoundary() answers -1 past the end, and again after that: the loop ends at both.
        for (qsizetype at = pieces.toNextBoundary(); at > 0 && at < size; at = pieces.toNextBoundary())
            if (!wordStartsOnly || (pieces.boundaryReasons() & QTextBoundaryFinder::StartOfItem))
                add(at);
    };
    switch (type) {
    case QAccessible::CharBoundary:
        finder(QTextBoundaryFinder::Grapheme, false);
        break;
    case QAccessible::WordBoundary:
        finder(QTextBoundaryFinder::Word, true);
        break;
    case QAccessible::SentenceBoundary:
        finder(QTextBoundaryFinder::Sentence, false);
        break;
    case QAccessible::LineBoundary:
    case QAccessible::ParagraphBoundary:
        for (int at = 0; at < size; ++at)
            if (text.at(at) == u'\n')
                add(at + 1);
        break;
    case QAccessible::NoBoundary:
        break;
    }
    return starts;
}

} // namespace

QString accessibleTextPiece(const QString& text, int offset, QAccessible::TextBoundaryType type, int step,
                            int* startOffset, int* endOffset) {
    const int size = int(text.size());
    *startOffset = *endOffset = -1;
    if (offset < 0 || offset > size)
        return {};
    if (type == QAccessible::NoBoundary) {
        if (step != 0)
            return {};
        *startOffset = 0;
        *endOffset = size;
        return text;
    }
    const QList<int> starts = pieceStarts(text, type);
    // The piece the offset is in; the end of the text is in the last one, but past the last
    // character.
    qsizetype index =
        std::upper_bound(starts.cbegin(), starts.cend(), std::min(offset, size - 1)) - starts.cbegin() - 1;
    if (offset == size && (type == QAccessible::CharBoundary || step != 0))
        index = starts.size();
    index += step;
    if (size == 0 || index < 0 || index >= starts.size()) {
        if (index >= starts.size())
            *startOffset = *endOffset = size;
        return {};
    }
    *startOffset = starts.at(index);
    *endOffset = index + 1 < starts.size() ? starts.at(index + 1) : size;
    return text.mid(*startOffset, *endOffset - *startOffset);
}

} // namespace quillora
