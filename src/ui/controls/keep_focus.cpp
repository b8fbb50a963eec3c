#include "controls/keep_focus.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"

#include <QAbstractButton>
#include <QEvent>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <algorithm>

namespace quillora {

namespace {

const char* const standInName = "workingStandIn";

// A button that lies over a control, a pixel inside its edges, in its place for the keyboard and
// for readers: it takes no clicks (they reach the control), draws nothing but the focus ring, and
// follows the control's changes.
class StandIn : public QAbstractButton {
public:
    QWidget* control() const { return m_control; }

protected:
    explicit StandIn(QWidget* control)
        : QAbstractButton(control->parentWidget())
        , m_control(control) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::StrongFocus);
        control->installEventFilter(this);
    }

    // The control moved, was resized, shown, hidden or enabled.
    virtual void controlChanged(QEvent::Type) {}

    // Lies where the control is and is named as it is now.
    void takeControlsPlace() {
        setGeometry(m_control->geometry().adjusted(1, 1, -1, -1));
        QString name = m_control->accessibleName();
        if (name.isEmpty())
            if (auto* button = qobject_cast<QAbstractButton*>(m_control.data()))
                name = button->text().remove(QLatin1Char('&'));
        if (name != accessibleName())
            setAccessibleName(name);
    }

    void paintEvent(QPaintEvent*) override {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_control)
            controlChanged(event->type());
        return QAbstractButton::eventFilter(watched, event);
    }

    QPointer<QWidget> m_control;
};

// Holds the focus in the place of a control disabled while it works: it reads as a button named
// as the control with the hint that the work is under way, and draws the ring while it has the
// focus. A key pressed on it does nothing, as on the disabled control.
class WorkingStandIn final : public StandIn {
public:
    explicit WorkingStandIn(QWidget* control)
        : StandIn(control) {
        setObjectName(QLatin1String(standInName));
        setAccessibleDescription(workingHint());
        hide();
        cover();
        addPaletteFocusRing(this, std::min(control->width(), control->height()) / 2.0);
    }

    // Lies where the control is, named as it is now ("Analyzing…" while it works, say), a pixel
    // inside its edges: a screen reader takes an element of the same role and name in the very
    // same place for the one it already has, and would say nothing as the focus moves here; so it
    // says the stand-in's name and that the work is under way, once, as the work starts.
    void cover() { takeControlsPlace(); }

    // Takes the focus from the control, which is about to be disabled.
    void hold() {
        cover();
        show();
        raise();
        setFocus(Qt::OtherFocusReason);
    }

    // The control is enabled again, or its work is over: a focus held here goes to `next`. Back
    // to the control itself, a reader is not told: it has the control's name and place already,
    // and what the work did is said next (its outcome), not after the control read again.
    void release(QWidget* next) {
        if (isVisible() && window()->focusWidget() == this && next != nullptr && next->isVisible()) {
            if (next == m_control)
                setFocusUnannounced(next);
            else
                next->setFocus(Qt::OtherFocusReason);
        }
        hide();
    }

protected:
    void controlChanged(QEvent::Type type) override {
        if (type == QEvent::Move || type == QEvent::Resize)
            cover();
        else if (type == QEvent::Hide)
            hide(); // the control went away with its part of the page: so does the place it kept
    }
};

// Stands over a control that is disabled (see keepReachableWhileDisabled()): shown while the
// control shows disabled, named and described as it is, read as unavailable.
class DisabledStandIn final : public StandIn {
public:
    explicit DisabledStandIn(QWidget* control)
        : StandIn(control) {
        setObjectName(QStringLiteral("disabledStandIn"));
        markAsUnavailable(this);
        // The stand-in is what a reader meets in its place.
        hideFromAccessibility(control);
        addPaletteFocusRing(this, std::min(control->height(), control->width()) / 2.0);
        follow();
    }

protected:
    void controlChanged(QEvent::Type type) override {
        if (type == QEvent::Move || type == QEvent::Resize || type == QEvent::Show || type == QEvent::Hide ||
            type == QEvent::EnabledChange)
            follow();
    }

private:
    void follow() {
        if (m_control == nullptr)
            return;
        takeControlsPlace();
        if (m_control->accessibleDescription() != accessibleDescription())
            setAccessibleDescription(m_control->accessibleDescription());
        const bool stands = !m_control->isHidden() && !m_control->isEnabled();
        if (stands && isHidden()) {
            show();
            raise();
        } else if (!stands && !isHidden()) {
            hide();
        }
    }
};

WorkingStandIn* standInOf(const QWidget* control) {
    if (control == nullptr || control->parentWidget() == nullptr)
        return nullptr;
    for (QAbstractButton* child : control->parentWidget()->findChildren<QAbstractButton*>(
             QLatin1String(standInName), Qt::FindDirectChildrenOnly)) {
        if (auto* standIn = dynamic_cast<WorkingStandIn*>(child);
            standIn != nullptr && standIn->control() == control)
            return standIn;
    }
    return nullptr;
}

} // namespace

QString workingHint() {
    return QStringLiteral("Working…");
}

void setEnabledKeepingFocus(QWidget* control, bool enabled) {
    if (control == nullptr)
        return;
    // Also while another window is active: the control is still its window's focus.
    if (!enabled && control->isEnabled() && control->parentWidget() != nullptr &&
        control->window()->focusWidget() == control) {
        WorkingStandIn* standIn = standInOf(control);
        if (standIn == nullptr)
            standIn = new WorkingStandIn(control);
        standIn->hold();
    }
    if (WorkingStandIn* standIn = standInOf(control); standIn != nullptr && !enabled)
        standIn->cover();
    control->setEnabled(enabled);
    if (enabled)
        if (WorkingStandIn* standIn = standInOf(control))
            standIn->release(control);
}

void keepReachableWhileDisabled(QWidget* control) {
    if (control == nullptr || control->parentWidget() == nullptr)
        return;
    for (QAbstractButton* child : control->parentWidget()->findChildren<QAbstractButton*>(
             QStringLiteral("disabledStandIn"), Qt::FindDirectChildrenOnly))
        if (auto* standIn = dynamic_cast<DisabledStandIn*>(child);
            standIn != nullptr && standIn->control() == control)
            return;
    new DisabledStandIn(control);
}

void passParkedFocus(QWidget* control, QWidget* next) {
    if (WorkingStandIn* standIn = standInOf(control))
        standIn->release(next);
}

QWidget* focusHomeOf(QWidget* widget) {
    auto* standIn = dynamic_cast<WorkingStandIn*>(widget);
    if (standIn != nullptr && !standIn->isVisible() && standIn->control() != nullptr)
        return standIn->control();
    return widget;
}

} // namespace quillora
