#pragma once

class QAccessibleEvent;
class QWidget;

namespace quillora {

// Every accessibility event the app's widgets send passes here on its way to the bridge, so one
// rule holds for all of them, Qt's own setters included (setAccessibleName() and
// setAccessibleDescription() announce a change even when the text stays the same):
// - a name, description, value or state is sent only when what a reader gets really changed;
// - nothing is sent about a widget no one can see (not shown, or left out of what is read). One
//   a reader may have read before it was hidden says, as it shows again, what changed meanwhile,
//   so no reader keeps an old name.
// The focus, windows coming and going and the widgets shown and hidden always go through. A screen
// reader that falls behind throws away what is not about the focus, the notes that say an outcome
// among it: the fewer events, the fewer lost notes.
//
// Installed once by installAccessibilityRules(); a handler installed before it (a test's recorder)
// gets what passes. Qt hands it nothing while no assistive technology listens, so the work costs
// nothing then.
void installAccessibilityUpdateFilter();

// Whether the window is opening: from its showing until a window it opened comes over it or it is
// hidden. While it opens, a reader is told what the window is for (setWindowPurpose()), and the
// focus it gives before the system has activated it reaches the reader once the activation has
// (a reader that gets the focus first takes the window for entered and says neither its name nor
// its purpose). Told by the window rules, which every window goes through.
void setWindowOpening(QWidget* window, bool opening);
bool isWindowOpening(const QWidget* window);

// Passes `event` through the filter as Qt does once a reader listens: for tests, where none does.
void filterAccessibilityUpdate(QAccessibleEvent* event);

// Whether an assistive technology can meet `widget`: it is shown, and neither it nor a widget
// around it is left out of what is read.
bool isSeenByAssistiveTechnology(const QWidget* widget);

} // namespace quillora
