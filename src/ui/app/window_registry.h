#pragma once

#include <QPointer>
#include <QWidget>

#include <functional>

namespace quillora {

// Opens the app's single-instance windows by identifier ("about-quillora", "help-quillora"):
// the first request creates the window, later ones bring it to the front.
class WindowRegistry final {
public:
    static QWidget* openWindow(const QString& identifier);
    // The open window with that identifier, or null.
    static QWidget* window(const QString& identifier);
};

} // namespace quillora
