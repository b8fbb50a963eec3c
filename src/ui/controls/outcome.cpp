#include "controls/outcome.h"

#include "controls/accessibility_traits.h"
#include "controls/layout_move_animation.h"
#include "controls/window_rules.h"

#include <QApplication>
#include <QPointer>
#include <QTimer>
#include <QWidget>

namespace quillora {

void announceOutcome(QWidget* near, const QString& text, QWidget* focus) {
    if (focus != nullptr && focus->isVisible() && focus->isEnabled()) {
        if (!focus->hasFocus() && !focus->isAncestorOf(QApplication::focusWidget()))
            focus->setFocus(Qt::OtherFocusReason);
        // Once the layout has placed it, and again once a slide to its new place has settled.
        bringIntoViewOnceLaidOut(focus);
        const QPointer<QWidget> placed(focus);
        QTimer::singleShot(springDurationMs + 50, focus, [placed] {
            // Or the control the user has moved on to: the page never goes back to one left.
            if (placed == nullptr || !placed->isVisible())
                return;
            QWidget* held = placed->window()->focusWidget();
            if (held == placed || placed->isAncestorOf(held))
                bringIntoView(placed);
            else if (held != nullptr && held->isVisible())
                bringIntoView(held);
        });
    } else if (QWidget* held = QApplication::focusWidget();
               held != nullptr && near != nullptr && held->window() == near->window() &&
               (near == held || near->isAncestorOf(held) || isInView(held))) {
        // What the work shows (a message, photos added) moves the control that kept the focus
        // meanwhile: it stays in view.
        bringIntoViewOnceLaidOut(held);
    }
    announceToScreenReader(near != nullptr ? near : focus, text);
}

void announceChosenValue(QWidget* control, const QString& text) {
    announceOutcome(control, text);
}

QString movedToPositionText(int position, int count) {
    return QStringLiteral("Moved to position %1 of %2.").arg(position).arg(count);
}

QString cannotMoveText(int step) {
    return step < 0 ? QStringLiteral("Already first.") : QStringLiteral("Already last.");
}

} // namespace quillora
