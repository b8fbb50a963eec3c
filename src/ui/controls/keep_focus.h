#pragma once

class QWidget;

namespace quillora {

// Enables or disables a control without sending keyboard focus away. Qt hands the focus of a
// control that gets disabled to the next control in the chain, and a scrolling page then jumps to
// that one. Here the control's parent holds the focus while the control is disabled (the page stays
// where it is) and gives it back when the control is enabled again, unless the user has moved on.
void setEnabledKeepingFocus(QWidget* control, bool enabled);

} // namespace quillora
