#pragma once

#include <QString>

class QLabel;
class QWidget;

namespace quillora {

class Appearance;

// A text a screen shows (a help bullet, an analysis result, a version line) made something the
// keyboard and a screen reader reach: a stop in screen order, read by its text, that shows the
// focus ring where a key put the focus (controls/focus_ring.h). `outset` keeps the ring that far
// outside the text, in the room around it; a text that keeps room inside its own margins passes 0.
// `appearance` may be null where the text is rebuilt with the scheme: the ring follows the palette.
void makeReadable(QWidget* element, const QString& text, Appearance* appearance, qreal radius = 8,
                  int outset = 4);
// A label read as the text it shows.
QLabel* makeReadable(QLabel* label, Appearance* appearance, qreal radius = 8, int outset = 4);
// A label whose text changes: it is read as the new text.
void setReadableText(QLabel* label, const QString& text);

} // namespace quillora
