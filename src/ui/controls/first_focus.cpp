#include "controls/first_focus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QTextEdit>
#include <QTimer>

namespace quillora {

namespace {

constexpr const char* focusedOnceProperty = "_quillora_firstFocusDone";

void moveToFirstControl(QWidget* window) {
    QWidget* focused = window->focusWidget();
    if (focused && isFocusableControl(focused))
        return;
    for (QWidget* w = window->nextInFocusChain(); w && w != window; w = w->nextInFocusChain()) {
        if (w->window() == window && w->isVisible() && w->isEnabled() && (w->focusPolicy() & Qt::TabFocus) &&
            isFocusableControl(w)) {
            w->setFocus(Qt::ActiveWindowFocusReason);
            return;
        }
    }
}

class FirstFocus final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        if (!widget->isWindow())
            return false;
        if (event->type() == QEvent::Hide)
            widget->setProperty(focusedOnceProperty, QVariant());
        if (event->type() == QEvent::WindowActivate && !widget->property(focusedOnceProperty).toBool()) {
            widget->setProperty(focusedOnceProperty, true);
            // After Qt has given the window its own first focus.
            QTimer::singleShot(0, widget, [window = QPointer<QWidget>(widget)] {
                if (window && window->isActiveWindow())
                    moveToFirstControl(window);
            });
        }
        return false;
    }
};

} // namespace

bool isFocusableControl(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
        qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
        qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget))
        return true;
    return !widget->accessibleName().isEmpty();
}

void focusFirstControlInNewWindows(QApplication& app) {
    app.installEventFilter(new FirstFocus(&app));
}

} // namespace quillora
