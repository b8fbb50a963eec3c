#pragma once

class QWidget;

namespace quillora {

// Enables or disables a control without sending keyboard focus away. Qt hands the focus of a
// control that gets disabled to the next control in the chain, and a scrolling page then jumps to
// that one. Here the control's parent holds the focus while the control is disabled (the page stays
// where it is) and gives it back when the control is enabled again, unless the user has moved on.
void setEnabledKeepingFocus(QWidget* control, bool enabled);
// The control stays disabled now its work is done (a button with nothing left to do): the focus
// its parent holds for it goes on to `next`, a control of the same part of the page.
void passParkedFocus(QWidget* control, QWidget* next);

} // namespace quillora
