#pragma once

class QWidget;

namespace quillora {

// Puts a top-level window, before it is first shown, centred over another window (its frame
// included) and wholly inside the available area of that window's screen; a window larger than
// that area keeps its top-left corner, and so its title bar, on screen. Without an anchor the
// window is centred on the primary screen.
void placeCentredOver(QWidget* window, const QWidget* anchor);

// Closes the window on Escape and on the platform's close-window keys (Ctrl+W).
void closeOnEscapeAndCloseKeys(QWidget* window);

} // namespace quillora
