#pragma once

#include "store/app_store.h"

#include <QMessageBox>
#include <QObject>
#include <QPointer>

#include <functional>

namespace quillora {

class ModelContext;

// How a modal message window is answered: shown with exec() in the app; tests answer it
// without showing it, so nothing blocks.
using MessageRunner = std::function<int(QMessageBox&)>;
int execMessage(QMessageBox& box);

// Asks, in a window named "emptyStoreAlert", what to do with a store file that holds nothing:
// "startEmptyButton" or "quitEmptyStoreButton" (the default).
EmptyStoreChoice askAboutEmptyStore(const QString& storeFile, const QString& backups,
                                    const MessageRunner& run);

// Says why start-up stopped, in a window named "startupRefusalAlert" that names the store file and
// the Backups folder.
void showStartupRefusal(const AppStore& store, const MessageRunner& run);

// Shows a failed save in a window of its own that does not block the app ("saveFailedAlert"):
// once, however many saves fail after it, until a save succeeds again.
class SaveFailureNotice final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(SaveFailureNotice)

public:
    SaveFailureNotice(ModelContext& context, QWidget* window);

    // The window while it is open.
    QMessageBox* openWindow() const { return m_box.data(); }

private:
    void show(const QString& error);

    QWidget* m_window;
    QPointer<QMessageBox> m_box;
    bool m_shownSinceLastSave = false;
};

} // namespace quillora
