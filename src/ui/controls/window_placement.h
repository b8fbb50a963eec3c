#pragma once

#include <QMargins>
#include <QRect>
#include <QScrollArea>
#include <QSize>

class QScreen;
class QWidget;

namespace quillora {

// The screen a top-level window opens on: its parent window's screen, else its own.
QScreen* screenForWindow(const QWidget* window);

// The room a window's contents may take on the screen it opens on: the screen's available area
// (without panels and docks) less the window manager's frame around the window.
QSize availableContentSize(const QWidget* window);

// Whether the user may resize a window after it is fitted.
enum class WindowSizing { resizable, fixed };

// Gives a top-level window its preferred size where that fits the available area of the screen it
// opens on, and otherwise the most of that area; a minimum or fixed size beyond the area is
// lowered to it, so the contents scroll instead of running off the screen. A fixed window keeps
// the size it is given here: resizing it has no effect. Every window and sheet of the app is
// sized through this.
void fitToAvailableGeometry(QWidget* window, QSize preferred, WindowSizing sizing = WindowSizing::resizable);

// A scroll area that asks for the whole size of its page: a layout gives it the room the page
// wants where the window has it, and it scrolls only where the window is smaller than that. Used
// above a row of buttons that must stay in view below the page. When the page grows or shrinks
// (a message shown on it) the area asks again, so it keeps using the room the window has.
class ContentSizedScrollArea final : public QScrollArea {
public:
    explicit ContentSizedScrollArea(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    bool viewportEvent(QEvent* event) override;
};

// Puts a top-level window, before it is first shown, centred over another window (its frame
// included) and wholly inside the available area of that window's screen; a window larger than
// that area keeps its top-left corner, and so its title bar, on screen. Without an anchor the
// window is centred on the primary screen.
void placeCentredOver(QWidget* window, const QWidget* anchor);

// Closes the window on Escape and on the platform's close-window keys (Ctrl+W).
void closeOnEscapeAndCloseKeys(QWidget* window);

} // namespace quillora
