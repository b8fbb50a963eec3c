#pragma once

#include <QIcon>
#include <QObject>

class QApplication;

namespace quillora {

// The app's icon, drawn from its logo at the sizes window managers and task bars ask for.
QIcon appIcon();

// Return and Enter press the focused button, as Space does, in every window. Push
// buttons in dialogs already take Return themselves (as their default button) and are left to it.
class ReturnPressesFocusedButton final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ReturnPressesFocusedButton)

public:
    explicit ReturnPressesFocusedButton(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The mouse wheel scrolls the page it is over: a combo box, slider or spin box without keyboard
// focus passes the wheel on to the page around it instead of changing its value. Once the user
// has clicked or tabbed into such a control, the wheel changes it as usual.
class WheelScrollsUnfocusedControls final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(WheelScrollsUnfocusedControls)

public:
    explicit WheelScrollsUnfocusedControls(QObject* parent = nullptr);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

// The look and keys every window of the app shares: the window icon, the Return key and the
// mouse wheel.
void installAppLook(QApplication& app);

} // namespace quillora
