#pragma once

#include <QStringView>
#include <Qt>

namespace quillora {

// The reading direction of a text: that of its first character of a strong direction (a letter
// of a left-to-right or a right-to-left script), characters inside isolates left out; `fallback`
// when it has none (digits, punctuation, symbols, spaces only), so that such a text follows the
// text it belongs to.
Qt::LayoutDirection textDirection(QStringView text, Qt::LayoutDirection fallback);

// The direction a text hands on to a text after it that has no strong character: that of its last
// paragraph with one (each paragraph read by textDirection()), or `fallback` when it has none.
Qt::LayoutDirection directionAfter(QStringView text, Qt::LayoutDirection fallback);

// How many more characters of a strong left-to-right direction than of a strong right-to-left
// one a text holds (negative when the right-to-left ones are more).
qsizetype leftToRightExcess(QStringView text);

} // namespace quillora
