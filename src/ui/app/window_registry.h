#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace quillora {

class Services;

// Opens the app's single-instance windows by identifier ("about-quillora", "help-quillora"):
// the first request creates the window centred over `over` (the active window when null) and
// inside the screen, later ones bring it to the front where the user left it.
class WindowRegistry final {
public:
    // A window made now is built over `services`, which must outlive it.
    static QWidget* openWindow(Services& services, const QString& identifier, const QWidget* over = nullptr);
    // The open window with that identifier, or null.
    static QWidget* window(const QString& identifier);
};

} // namespace quillora
