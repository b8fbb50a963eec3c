#pragma once

#include <QRectF>

class QPainter;
class QWidget;

namespace quillora {

// The ring a painted control draws while it has keyboard focus, the same on every such control:
// a solid accent line two points wide just inside `rect`, with a thin line in the scheme's
// background colour inside it, so it shows on light and dark backgrounds and over photos alike.
void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, bool light);

class Appearance;

// Gives a control whose own painting shows no focus (a button drawn by a style sheet, say) the
// same ring while it has keyboard focus, drawn over the control and its child labels. `radius`
// is the control's corner radius; `inset` moves the ring that far in from the control's edge (a
// control whose own outline is drawn in the ring's colour keeps it apart that way).
void addFocusRing(QWidget* control, Appearance& appearance, qreal radius, int inset = 0);
// The same for a control drawn in the colours of its palette (a stock field or a plain
// dialog's button): light or dark follows the palette's window colour.
void addPaletteFocusRing(QWidget* control, qreal radius);
// Says that the control paints its ring itself (paintFocusRing above), where it belongs (round
// a switch's track, say), so that none is laid over the whole control as on a stock one.
void paintsOwnFocusRing(QWidget* control);
// Whether the control already carries a ring added by one of the functions here, or paints its own.
bool hasFocusRing(const QWidget* control);

// A ring for a text the keyboard stops at (controls/readable_text.h): it shows only where a key
// put the focus or found it there, so a window that opens on a text frames nothing until a key
// is pressed in it, for a mouse user never. `outset` sets the ring that far outside the text, in
// the room around it, so the text keeps its place and size; where an edge has no room around it
// the ring runs along that edge. `appearance` may be null: the ring then follows the palette.
void addKeyFocusRing(QWidget* control, Appearance* appearance, qreal radius, int outset);

// What the rings above go by: a key was pressed in the window since it showed (or moved the
// focus there). The window rules note each key and forget them as a window shows.
void noteKeyUse(QWidget* window);
void forgetKeyUse(QWidget* window);
bool keyUsedIn(const QWidget* window);

} // namespace quillora
