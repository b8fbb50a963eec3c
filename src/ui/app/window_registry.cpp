#include "app/window_registry.h"

#include "app/about_window.h"
#include "controls/window_placement.h"
#include "help/help_window.h"

#include <QApplication>
#include <QHash>

namespace quillora {

namespace {

QHash<QString, QPointer<QWidget>>& openWindows() {
    static QHash<QString, QPointer<QWidget>> windows;
    return windows;
}

QWidget* makeWindow(Services& services, const QString& identifier) {
    if (identifier == QLatin1String("about-quillora"))
        return new AboutWindow(services);
    if (identifier == QLatin1String("help-quillora"))
        return new HelpWindow(services);
    return nullptr;
}

} // namespace

QWidget* WindowRegistry::openWindow(Services& services, const QString& identifier, const QWidget* over) {
    QPointer<QWidget>& slot = openWindows()[identifier];
    if (slot.isNull()) {
        QWidget* window = makeWindow(services, identifier);
        if (window == nullptr)
            return nullptr;
        window->setAttribute(Qt::WA_DeleteOnClose);
        // Closing the main window ends the app even while this one is open.
        window->setAttribute(Qt::WA_QuitOnClose, false);
        window->setObjectName(identifier);
        placeCentredOver(window, over != nullptr ? over : QApplication::activeWindow());
        slot = window;
    }
    slot->show();
    slot->raise();
    slot->activateWindow();
    return slot.data();
}

QWidget* WindowRegistry::window(const QString& identifier) {
    return openWindows().value(identifier).data();
}

} // namespace quillora
