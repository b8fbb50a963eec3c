#include "controls/keep_focus.h"

#include <QVariant>
#include <QWidget>

namespace quillora {

namespace {

const char* const parkedProperty = "quilloraFocusParked";

} // namespace

void setEnabledKeepingFocus(QWidget* control, bool enabled) {
    if (control == nullptr)
        return;
    QWidget* holder = control->parentWidget();
    if (!enabled && control->isEnabled() && control->hasFocus() && holder != nullptr) {
        holder->setFocus(Qt::OtherFocusReason);
        control->setProperty(parkedProperty, true);
    }
    control->setEnabled(enabled);
    if (enabled && control->property(parkedProperty).toBool()) {
        control->setProperty(parkedProperty, QVariant());
        if (holder != nullptr && holder->hasFocus())
            control->setFocus(Qt::OtherFocusReason);
    }
}

void passParkedFocus(QWidget* control, QWidget* next) {
    if (control == nullptr || !control->property(parkedProperty).toBool())
        return;
    control->setProperty(parkedProperty, QVariant());
    QWidget* holder = control->parentWidget();
    if (holder != nullptr && holder->hasFocus() && next != nullptr)
        next->setFocus(Qt::OtherFocusReason);
}

} // namespace quillora
