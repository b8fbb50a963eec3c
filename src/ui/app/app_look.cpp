#include "app/app_look.h"

#include <QAbstractButton>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QKeyEvent>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSvgRenderer>

namespace quillora {

QIcon appIcon() {
    QSvgRenderer logo(QStringLiteral(":/app/logo.svg"));
    QIcon icon;
    for (int side : {16, 22, 24, 32, 48, 64, 128, 256}) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        logo.render(&painter, QRectF(0, 0, side, side));
        painter.end();
        icon.addPixmap(pixmap);
    }
    return icon;
}

ReturnPressesFocusedButton::ReturnPressesFocusedButton(QObject* parent)
    : QObject(parent) {}

bool ReturnPressesFocusedButton::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const auto* key = static_cast<QKeyEvent*>(event);
    if ((key->key() != Qt::Key_Return && key->key() != Qt::Key_Enter) ||
        (key->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier || key->isAutoRepeat())
        return QObject::eventFilter(watched, event);
    auto* button = qobject_cast<QAbstractButton*>(watched);
    if (button == nullptr || !button->hasFocus() || !button->isEnabled() || !button->isVisible())
        return QObject::eventFilter(watched, event);
    if (auto* push = qobject_cast<QPushButton*>(button);
        push != nullptr && (push->autoDefault() || push->isDefault()))
        return QObject::eventFilter(watched, event);
    // Check boxes and radio buttons keep Return for their window.
    if (qobject_cast<QCheckBox*>(button) != nullptr || qobject_cast<QRadioButton*>(button) != nullptr)
        return QObject::eventFilter(watched, event);
    button->animateClick();
    return true;
}

WheelScrollsUnfocusedControls::WheelScrollsUnfocusedControls(QObject* parent)
    : QObject(parent) {}

bool WheelScrollsUnfocusedControls::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() != QEvent::Wheel || !watched->isWidgetType())
        return QObject::eventFilter(watched, event);
    const auto* widget = static_cast<QWidget*>(watched);
    const bool valueControl = qobject_cast<const QComboBox*>(widget) != nullptr ||
                              qobject_cast<const QAbstractSpinBox*>(widget) != nullptr ||
                              (qobject_cast<const QAbstractSlider*>(widget) != nullptr &&
                               qobject_cast<const QScrollBar*>(widget) == nullptr);
    if (!valueControl || widget->hasFocus())
        return QObject::eventFilter(watched, event);
    // Handled here, but not accepted: the application hands the wheel on to the parent.
    event->ignore();
    return true;
}

void installAppLook(QApplication& app) {
    QApplication::setWindowIcon(appIcon());
    app.installEventFilter(new ReturnPressesFocusedButton(&app));
    app.installEventFilter(new WheelScrollsUnfocusedControls(&app));
}

} // namespace quillora
