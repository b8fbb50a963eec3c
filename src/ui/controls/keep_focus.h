#pragma once

#include <QString>

class QWidget;

namespace quillora {

// Enables or disables a control without sending keyboard focus away. Qt hands the focus of a
// control that gets disabled to the next control in the chain, and a scrolling page then jumps to
// that one. Here a control disabled while it works keeps the focus in its place: a stand-in over
// it holds the focus meanwhile, named as the control, saying the work is under way, showing the
// ring and taking its place in the Tab order, so a screen reader never lands on a nameless
// container and a window opened meanwhile gives the focus back to it. When the control is
// enabled again the focus the stand-in holds goes back to it, also while another window is
// active, without a screen reader reading the control again (its outcome is said next); a user
// who has moved on stays where they went.
void setEnabledKeepingFocus(QWidget* control, bool enabled);
// The control stays disabled now its work is done (a button with nothing left to do): the focus
// the stand-in holds for it goes on to `next`, a control of the same part of the page.
void passParkedFocus(QWidget* control, QWidget* next);

// A control shown disabled for as long as its window shows (a link not available yet, an action
// blocked until something is done elsewhere) stays a stop the keyboard and a screen reader reach:
// a stand-in over it takes the focus and is read as the control, unavailable; a press does nothing.
void keepReachableWhileDisabled(QWidget* control);

// Where a focus that went to `widget` belongs now: the control a stand-in held it for once the
// work is done, else `widget` itself.
QWidget* focusHomeOf(QWidget* widget);

// What a stand-in says after the control's name while the control works.
QString workingHint();

} // namespace quillora
