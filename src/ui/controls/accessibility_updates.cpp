#include "controls/accessibility_updates.h"

#include "controls/accessibility_traits.h"

#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QPointer>
#include <QTimer>
#include <QVariant>
#include <QWidget>
#include <QWindow>

#include <array>
#include <bit>
#include <utility>

namespace quillora {

namespace {

// What a reader was told of a widget or could read of it while it was seen: its name,
// description and value (an invalid entry when not known), and the states that changed while it
// was not seen.
constexpr const char* knownProperty = "_quillora_accessibleKnown";
constexpr const char* unsaidStatesProperty = "_quillora_accessibleUnsaidStates";
// A window opening, and whether its activation has gone to the bridge since it showed.
constexpr const char* openingProperty = "_quillora_windowOpening";
constexpr const char* activationSentProperty = "_quillora_windowActivationSent";
// Set on a widget while it takes a focus no reader is told of (setFocusUnannounced()).
constexpr const char* unannouncedFocusProperty = "_quillora_focusUnannounced";
// How long a first focus waits at most for its window's activation (none comes without a window
// manager).
constexpr int activationWaitMs = 1000;

QAccessible::UpdateHandler g_next = nullptr;

struct Text {
    QAccessible::Event event;
    QAccessible::Text text;
};
constexpr std::array<Text, 3> texts{{{QAccessible::NameChanged, QAccessible::Name},
                                     {QAccessible::DescriptionChanged, QAccessible::Description},
                                     {QAccessible::ValueChanged, QAccessible::Value}}};

int textIndex(QAccessible::Event event) {
    for (std::size_t i = 0; i < texts.size(); ++i)
        if (texts[i].event == event)
            return int(i);
    return -1;
}

quint64 bitsOf(const QAccessible::State& state) {
    return std::bit_cast<quint64>(state);
}

QAccessible::State stateOf(quint64 bits) {
    return std::bit_cast<QAccessible::State>(bits);
}

QString currentText(QAccessibleEvent* event, int index) {
    QAccessibleInterface* iface = event->accessibleInterface();
    return iface != nullptr ? iface->text(texts[std::size_t(index)].text) : QString();
}

QVariantList knownOf(const QWidget* widget) {
    QVariantList known = widget->property(knownProperty).toList();
    known.resize(qsizetype(texts.size()));
    return known;
}

// Hands the event on: to the handler installed before this one, else to Qt's bridge.
void forward(QAccessibleEvent* event) {
    if (g_next != nullptr) {
        g_next(event);
        return;
    }
    // Qt has applied a model change to the table's interface before it called the handler; its
    // bridge has nothing more to do with it.
    if (event->type() == QAccessible::TableModelChanged)
        return;
    const QAccessible::UpdateHandler installed = QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(installed);
}

// The widget is hidden: what a reader may keep of it is what it shows now.
void rememberAsSeen(QWidget* widget, QAccessibleEvent* event) {
    QVariantList known;
    for (std::size_t i = 0; i < texts.size(); ++i)
        known << currentText(event, int(i));
    widget->setProperty(knownProperty, known);
}

// The widget shows again: what changed while it was not seen is said now.
void sayWhatChangedUnseen(QWidget* widget, QAccessibleEvent* event) {
    const QVariant stored = widget->property(knownProperty);
    if (!stored.isValid())
        return;
    QVariantList known = knownOf(widget);
    bool changed = false;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QString now = currentText(event, int(i));
        if (known[qsizetype(i)].isValid() && known[qsizetype(i)].toString() != now) {
            known[qsizetype(i)] = now;
            changed = true;
            if (texts[i].event == QAccessible::ValueChanged) {
                QAccessibleValueChangeEvent change(widget, now);
                forward(&change);
            } else {
                QAccessibleEvent change(widget, texts[i].event);
                forward(&change);
            }
        }
    }
    if (changed)
        widget->setProperty(knownProperty, known);
    if (const quint64 unsaid = widget->property(unsaidStatesProperty).toULongLong(); unsaid != 0) {
        widget->setProperty(unsaidStatesProperty, QVariant());
        QAccessibleStateChangeEvent change(widget, stateOf(unsaid));
        forward(&change);
    }
}

// The first focus of an opening window, held until the window's activation has gone out.
struct HeldFocus {
    QPointer<QWidget> window;
    QPointer<QObject> object;
    int child = -1;
};
HeldFocus g_held;

// The top-level widget an event about a window is about (Qt sends a window's activation about the
// widget or about its QWindow).
QWidget* windowWidgetOf(QObject* object) {
    if (auto* widget = qobject_cast<QWidget*>(object))
        return widget->isWindow() ? widget : nullptr;
    if (auto* window = qobject_cast<QWindow*>(object))
        for (QWidget* top : QApplication::topLevelWidgets())
            if (top->windowHandle() == window)
                return top;
    return nullptr;
}

// Whether the system has given the window the focus: its activation goes to the bridge then, before
// Qt makes it the active window and gives its focus.
bool hasSystemFocus(const QWidget* window) {
    return window->windowHandle() != nullptr && window->windowHandle() == QGuiApplication::focusWindow();
}

// The held focus goes out now, if the widget still has it.
void releaseHeldFocus() {
    const HeldFocus held = std::exchange(g_held, HeldFocus{});
    auto* widget = qobject_cast<QWidget*>(held.object.data());
    if (widget == nullptr || held.window == nullptr || !widget->hasFocus() || !held.window->isVisible())
        return;
    QAccessibleEvent focus(held.object, QAccessible::Focus);
    if (held.child >= 0)
        focus.setChild(held.child);
    forward(&focus);
}

// A focus given in a window that opens, before the window's activation has reached the bridge:
// held until it has, so a reader says the window (its name and purpose) first.
bool holdsFocus(QAccessibleEvent* event, QWidget* widget) {
    QWidget* window = widget->window();
    if (!window->property(openingProperty).toBool() || window->property(activationSentProperty).toBool() ||
        hasSystemFocus(window))
        return false;
    const bool waiting = g_held.window == window;
    g_held = HeldFocus{window, event->object(), event->child()};
    if (!waiting)
        QTimer::singleShot(activationWaitMs, window, [window] {
            if (g_held.window == window)
                releaseHeldFocus();
        });
    return true;
}

// Whether the event goes on to the bridge.
bool passes(QAccessibleEvent* event) {
    auto* widget = qobject_cast<QWidget*>(event->object());
    if (widget == nullptr)
        return true;
    const QAccessible::Event type = event->type();
    switch (type) {
    case QAccessible::NameChanged:
    case QAccessible::DescriptionChanged:
    case QAccessible::ValueChanged: {
        if (!isSeenByAssistiveTechnology(widget))
            return false;
        if (event->child() >= 0) // a row of a list or a cell says its own changes
            return true;
        const int index = textIndex(type);
        const QString now = currentText(event, index);
        QVariantList known = knownOf(widget);
        if (known[index].isValid() && known[index].toString() == now)
            return false;
        known[index] = now;
        widget->setProperty(knownProperty, known);
        return true;
    }
    case QAccessible::Focus:
        if (widget->property(unannouncedFocusProperty).toBool())
            return false;
        return !holdsFocus(event, widget);
    case QAccessible::StateChanged: {
        const QAccessible::State changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
        // The focus and a window's activation go out whatever else holds.
        if (changed.focused || changed.active || isSeenByAssistiveTechnology(widget))
            return true;
        // A reader that met the widget before keeps its states: they are said as it shows again.
        if (event->child() < 0 && widget->property(knownProperty).isValid())
            widget->setProperty(unsaidStatesProperty,
                                widget->property(unsaidStatesProperty).toULongLong() | bitsOf(changed));
        return false;
    }
    case QAccessible::TextInserted:
    case QAccessible::TextRemoved:
    case QAccessible::TextUpdated:
    case QAccessible::TextCaretMoved:
    case QAccessible::TextSelectionChanged:
    case QAccessible::TextAttributeChanged:
    case QAccessible::TextColumnChanged:
    case QAccessible::SelectionAdd:
    case QAccessible::SelectionRemove:
    case QAccessible::SelectionWithin:
    case QAccessible::Selection:
        // Read afresh when it shows: a reader keeps no text.
        return isSeenByAssistiveTechnology(widget);
    default:
        return true;
    }
}

void filterUpdate(QAccessibleEvent* event) {
    if (!passes(event))
        return;
    forward(event);
    // The window's activation has gone out: the focus it gave meanwhile follows it.
    if (event->type() == QAccessible::StateChanged &&
        static_cast<QAccessibleStateChangeEvent*>(event)->changedStates().active) {
        QWidget* window = windowWidgetOf(event->object());
        if (window != nullptr && hasSystemFocus(window)) {
            window->setProperty(activationSentProperty, true);
            if (g_held.window == window)
                releaseHeldFocus();
        }
    }
    auto* widget = qobject_cast<QWidget*>(event->object());
    if (widget == nullptr || event->child() >= 0)
        return;
    if (event->type() == QAccessible::ObjectShow)
        sayWhatChangedUnseen(widget, event);
    else if (event->type() == QAccessible::ObjectHide)
        rememberAsSeen(widget, event);
}

} // namespace

void installAccessibilityUpdateFilter() {
    const QAccessible::UpdateHandler previous = QAccessible::installUpdateHandler(&filterUpdate);
    if (previous != &filterUpdate)
        g_next = previous;
}

void setWindowOpening(QWidget* window, bool opening) {
    window->setProperty(activationSentProperty, QVariant());
    if (window->property(openingProperty).toBool() == opening)
        return;
    window->setProperty(openingProperty, opening ? QVariant(true) : QVariant());
    if (!opening && g_held.window == window)
        releaseHeldFocus();
    // What the window is for was its description while it opened: a reader coming back to it
    // hears its name and the focus only. (One that opens is read afresh.)
    if (!opening && !windowPurposeOf(window).isEmpty()) {
        QAccessibleEvent described(window, QAccessible::DescriptionChanged);
        QAccessible::updateAccessibility(&described);
    }
}

bool isWindowOpening(const QWidget* window) {
    return window->property(openingProperty).toBool();
}

void setFocusUnannounced(QWidget* widget) {
    widget->setProperty(unannouncedFocusProperty, true);
    widget->setFocus(Qt::OtherFocusReason);
    widget->setProperty(unannouncedFocusProperty, QVariant());
}

void filterAccessibilityUpdate(QAccessibleEvent* event) {
    filterUpdate(event);
}

bool isSeenByAssistiveTechnology(const QWidget* widget) {
    if (!widget->isVisible())
        return false;
    for (const QWidget* up = widget; up != nullptr; up = up->isWindow() ? nullptr : up->parentWidget())
        if (isHiddenFromAccessibility(up))
            return false;
    return true;
}

} // namespace quillora
