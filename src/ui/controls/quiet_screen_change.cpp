#include "controls/quiet_screen_change.h"

#include <QAccessible>

namespace quillora {

namespace {

struct Quiet {
    int depth = 0;
    QAccessible::UpdateHandler previous = nullptr;
    QList<QPointer<QWidget>> screens;
};

Quiet& quiet() {
    static Quiet state;
    return state;
}

bool heldBack(QAccessibleEvent* event) {
    switch (event->type()) {
    case QAccessible::Focus:
        return false;
    case QAccessible::StateChanged: {
        const QAccessible::State changed = static_cast<QAccessibleStateChangeEvent*>(event)->changedStates();
        if (changed.focused || changed.active)
            return false;
        break;
    }
    default:
        break;
    }
    const auto* widget = qobject_cast<const QWidget*>(event->object());
    if (widget == nullptr)
        return false;
    // A widget being built is read when it is there.
    if (!widget->isVisible())
        return true;
    for (const QPointer<QWidget>& screen : std::as_const(quiet().screens))
        if (screen && (screen == widget || screen->isAncestorOf(widget)))
            return true;
    return false;
}

void quietHandler(QAccessibleEvent* event) {
    if (heldBack(event))
        return;
    if (quiet().previous != nullptr) {
        quiet().previous(event);
        return;
    }
    // Qt has applied a model change to the table's interface before it called this handler; its
    // bridge has nothing more to do with it.
    if (event->type() == QAccessible::TableModelChanged)
        return;
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(&quietHandler);
}

} // namespace

QuietScreenChange::QuietScreenChange() {
    if (quiet().depth++ == 0)
        quiet().previous = QAccessible::installUpdateHandler(&quietHandler);
}

QuietScreenChange::~QuietScreenChange() {
    for (const Screen& screen : std::as_const(m_screens))
        quiet().screens.removeOne(screen.widget);
    if (--quiet().depth == 0) {
        QAccessible::installUpdateHandler(quiet().previous);
        quiet().previous = nullptr;
        quiet().screens.removeAll(nullptr);
    }
    // A screen shown now is new in its parent (a reader adds it to what it knows of the window);
    // one no longer shown has gone.
    for (const Screen& screen : std::as_const(m_screens)) {
        QWidget* widget = screen.widget;
        if (widget == nullptr || widget->parentWidget() == nullptr || !widget->parentWidget()->isVisible())
            continue;
        if (widget->isVisible() || screen.wasVisible) {
            QAccessibleEvent changed(widget, widget->isVisible() ? QAccessible::ObjectCreated
                                                                 : QAccessible::ObjectHide);
            QAccessible::updateAccessibility(&changed);
        }
    }
}

void QuietScreenChange::add(QWidget* screen) {
    if (screen == nullptr)
        return;
    m_screens.append({screen, screen->isVisible()});
    quiet().screens.append(screen);
}

bool QuietScreenChange::active() {
    return quiet().depth > 0;
}

} // namespace quillora
