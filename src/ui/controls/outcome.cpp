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
        const QPointer<QWidget> placed(focus);
        const auto show = [placed] {
            if (placed != nullptr && placed->isVisible())
                bringIntoView(placed);
        };
        QTimer::singleShot(0, focus, show);
        QTimer::singleShot(springDurationMs + 50, focus, show);
    }
    announceToScreenReader(near != nullptr ? near : focus, text);
}

QString movedToPositionText(int position, int count) {
    return QStringLiteral("Moved to position %1 of %2.").arg(position).arg(count);
}

} // namespace quillora
