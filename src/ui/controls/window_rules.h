#pragma once

class QApplication;
class QWidget;

namespace quillora {

// The keyboard rules every window, sheet, popup and dialog of the app follows, kept in one
// place that every one of them goes through, so a new screen or control cannot miss them:
// - Tab and Shift+Tab go through the controls in screen order (top to bottom, leading to
//   trailing), round and round the window, and stay inside an open in-window popup.
// - A scrolling page or an empty list is no Tab stop; PageUp and PageDown still scroll the page
//   around the focused control.
// - The control that takes keyboard focus is scrolled into view in every scroll area around it.
// - A window opens with focus on its current choice when it shows one (a picker), else on its
//   first control in view.
// - When a window closes, the focus goes back to the control that opened it, unless the window's
//   action has given the focus a place of its own meanwhile. A window opened while a control
//   worked (its focus held by the stand-in of setEnabledKeepingFocus()) gives it back to that
//   stand-in, or to the control once the work is done.
// - A stock control (a text field, a plain dialog's button) shows the app's focus ring; a text the
//   keyboard stops at shows its ring once a key is pressed in its window, not as the window opens.
// - A list that takes the focus names the row that has it, after the list.
// - A window a screen reader enters (opened, or come back to as one it opened closes) is read by
//   its name and then the focused control, never all its texts at once: the texts are read Tab by
//   Tab (a sheet or dialog reads as a window, see accessibility_traits). As it opens, the reader
//   hears what it is for (setWindowPurpose()) after its name, and its first focus only after the
//   window's activation; coming back, the name and the focus only. A modal one says so.
// - Where the focus lands never hangs on how soon the system activates a window (later while a
//   screen reader listens): a place a window's action gave the focus meanwhile is kept.
void installWindowRules(QApplication& app);

// Marks an in-window popup (a card over a dimmed window): while it shows, Tab stays inside it and
// a window that opens or comes back gives its first focus inside it. It is read as a dialog by
// its accessible name (its title), which a screen reader says as the focus enters it.
void markAsModalOverlay(QWidget* overlay);

// Where the keyboard works in `window`: its open in-window popup, else the whole window.
QWidget* keyboardScope(QWidget* window);

// Scrolls every scroll area around `widget` so that it shows in full (as the focus does).
void bringIntoView(QWidget* widget);

// The same, once the layouts waiting to run have placed it: a text just shown above it, a row
// just added before it, a page that grows move it only then. When the focus has moved on
// meanwhile, the control that has it then is brought into view instead: the page never goes back
// to a control the user has left.
void bringIntoViewOnceLaidOut(QWidget* widget);

// Whether `widget` shows in full inside every scroll area around it.
bool isInView(const QWidget* widget);

} // namespace quillora
