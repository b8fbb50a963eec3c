#pragma once

#include <QString>
#include <QStringList>
#include <Qt>

class QKeyEvent;
class QWidget;

namespace quillora {

// What Qt's own interfaces cannot tell an assistive technology about a widget: a value (the
// font a button shows, the state of a toggle), the selected state of a row, or that a label is a
// heading. Each call replaces the widget's accessibility interface with one that reports these
// traits on top of the widget's name, description, role and actions, and announces the change.
void setAccessibleValue(QWidget* widget, const QString& value);
// The control a closing popup hands the focus back to: a screen reader reads it again then, its
// value last, so a value it takes as the popup closes (the row picked applied) is not said as a
// note too. Holds until the current event is handled.
void noteFocusBackFromPopup(QWidget* control);
// The widget becomes selectable; `selected` is read as its selected state.
void setAccessibleSelected(QWidget* widget, bool selected);
// The widget (a label) is read as a heading.
void markAsAccessibleHeading(QWidget* widget);
bool isAccessibleHeading(const QWidget* widget);
// The widget (a line drawn of several parts, a combined row) is read as a text, as a label is.
void markAsAccessibleText(QWidget* widget);
// The widget (a label) is read as the status line of its window, which says how the last action
// ended: a screen reader reads it when asked for the status, not among the window's texts each
// time the window is entered (the outcome itself is said once, as it comes).
void markAsAccessibleStatus(QWidget* widget);
// The widget (a card over its dimmed window) is read as a dialog by its name: a screen reader
// says that name as the focus enters it, before the control that has the focus.
void markAsAccessibleDialog(QWidget* widget);
// What the window (a sheet, a dialog) is for, in a sentence it shows (the key prompt's message,
// "Your PDF is ready"): a screen reader says it after the window's name as the window opens,
// before its first focus, and not again when the reader comes back to the window from one it
// opened (its accessible description holds it while the window opens; see window_rules).
void setWindowPurpose(QWidget* window, const QString& purpose);
QString windowPurposeOf(const QWidget* window);
// The focus goes to `widget` without a screen reader being told: the reader has just been told
// what it would say (the focus goes back from a stand-in named as the control, or to a result the
// outcome said). Keys and the ring follow the focus as ever.
void setFocusUnannounced(QWidget* widget);
// The widget (a stand-in for a disabled control, see keepReachableWhileDisabled()) takes the focus
// but is read as unavailable, and takes no action from an assistive technology.
void markAsUnavailable(QWidget* widget);
// The widget and everything in it are left out of what an assistive technology reads.
void hideFromAccessibility(QWidget* widget);
// Whether the widget itself was left out so (not the widgets around it).
bool isHiddenFromAccessibility(const QWidget* widget);
// The widget (a busy indicator) is read as changing often: the bridge's animated state.
void markAsUpdatingFrequently(QWidget* widget);
// The widget is read as one element with this name and description: the children that only show
// text or images are left out (a control inside stays reachable on its own).
void combineAccessibleChildren(QWidget* widget, const QString& name, const QString& description = QString());

// Says `text` to a screen reader now, whatever has the focus: Qt's bridge sends a changed name or
// description without its text, and screen readers drop those, so the text is shown for a moment
// as a notification of the window that `near` is in (or of the window a menu came from), which
// they read out on its own (not after the texts of a dialog it is in). It is said once the
// current event is handled, once: of the texts a window is given while one event runs only the
// last is said (an announcement before a changed value of the focused control), the texts of
// later events are said after it, in order, and the text just said is not said again straight
// after. One that follows a dialog the window opened (a file chosen in a file dialog) is said once
// that dialog has closed and the window is active again, after the closing's events, which a
// reader would otherwise throw away together with it. The end of an action goes through
// announceOutcome() (controls/outcome.h), which also places the focus.
void announceToScreenReader(QWidget* near, const QString& text);

// Whether a modal window other than the widget's own (or one it opened), or an in-window popup
// open over the widget's window, blocks it: an action asked for through the accessibility bus is
// then refused, as a click would be.
bool isBlockedByModal(const QWidget* widget);

// Installs, once, the interface every window's widgets are read through: a container lists its
// children in the order they stand on screen (top to bottom, then in the reading direction, after
// every move), leaves out the hidden ones, a value button takes focus like any button, and no
// action reaches a control behind an open modal sheet or dialog. The app calls it at start-up;
// the calls above install it too.
void installAccessibilityRules();
// Installs, once, only the interfaces that report the traits above (and a document's texts,
// controls/readable_text_accessible.h), as each of the calls above does.
void installAccessibilityTraits();

// Qt's bridge to the desktop's screen readers (AT-SPI) carries no text value for buttons, list
// rows or labels, so a value is also read as the end of the accessible description, after the
// hint, and a change of it is announced as a change of the description. A text (a label, read by
// its name alone: "Resume ATS score") carries its value at the end of its name instead
// ("Resume ATS score, 68 percent"), and a change of it is announced as a change of the name.
QString describedWithValue(const QString& hint, const QString& value);
QString namedWithValue(const QString& name, const QString& value);

// A widget with actions of its own for assistive technologies: it derives from this besides
// QWidget, and its accessibility interface lists accessibleActionNames() (after a button's press)
// and runs them through triggerAccessibleAction().
class AccessibleActions {
public:
    AccessibleActions();
    virtual ~AccessibleActions();
    AccessibleActions(const AccessibleActions&) = delete;
    AccessibleActions& operator=(const AccessibleActions&) = delete;

    virtual QStringList accessibleActionNames() const = 0;
    virtual void triggerAccessibleAction(const QString& name) = 0;
};

// The actions that move an item one place earlier or later in its list: "Move Up", "Move Down".
QString moveUpAction();
QString moveDownAction();
// The step a key asks of a list's item: -1 (earlier) for Alt+Up, +1 (later) for Alt+Down, and,
// in a row running sideways, Alt+Left and Alt+Right by the reading direction; 0 for other keys.
int moveStepForKey(const QKeyEvent& event, bool sideways, Qt::LayoutDirection direction);
// The step of a move action, or 0 for another action.
int moveStepForAction(const QString& name);
// The hint of an item moved by dragging and by the keys above, naming the keys.
QString reorderHint(bool sideways);

} // namespace quillora
