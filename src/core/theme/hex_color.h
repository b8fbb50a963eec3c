#pragma once

#include <QColor>
#include <QString>

namespace quillora {

// Turns a hexadecimal colour text ("#22D3EE", "FFF", "80FF0000") into an sRGB colour with the
// given opacity. Never fails: text of an unexpected length gives a near-black grey (1/255 per
// channel), text without leading hexadecimal digits gives black. An eight-digit text ignores
// its first two digits; they do not set the opacity.
QColor colorFromHex(const QString& hex, double opacity = 1.0);

// The brand colours, each parsed once and kept for the life of the process.
const QColor& accentBlue();
const QColor& accentCyan();
const QColor& destructiveRed();
const QColor& destructivePink();

// The member of each pair a screen shows: the first in the light scheme, the second otherwise.
const QColor& accentColor(bool isLight);
const QColor& destructiveColor(bool isLight);
// The destructive colour for a small symbol on a card (the trash icons): the light scheme's red
// is deepened so the symbol keeps 3:1 against the lightest card.
const QColor& destructiveIconColor(bool isLight);
// The keyboard focus ring's line: the accent, deepened in the light scheme so the ring keeps 3:1
// on the mid tones of every background gradient as well as on cards and sheets.
const QColor& focusRingColor(bool isLight);

} // namespace quillora
