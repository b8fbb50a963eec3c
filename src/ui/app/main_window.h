#pragma once

#include "app/content_view.h"

#include <QMainWindow>

namespace quillora {

class ModelContainer;
class Services;

// The main window: the root content over the store, the app menu's About and Help commands, and
// the scene phase. The window goes to the background when it is minimised or hidden and when the
// app quits; each time the open résumé is saved and a "background" backup is written.
class MainWindow final : public QMainWindow {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(MainWindow)

public:
    // Without a store (the preview store could not be made) the window shows only the
    // preview-unavailable text.
    explicit MainWindow(Services& services, UserInterfaceIdiom idiom = UserInterfaceIdiom::pad,
                        QWidget* parent = nullptr);
    ~MainWindow() override;

    static constexpr QSize minimumWindowSize{640, 360};

    ContentView* contentView() const { return m_content; }
    bool isInBackground() const { return m_inBackground; }

    // Runs the steps of a move to the background (once until the window is active again).
    void enterBackground();

signals:
    // Emitted first when the window goes to the background: the open editor saves its résumé.
    void willEnterBackground();

protected:
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void buildMenus();
    void writeLaunchBackupOnce();
    void enterForeground();

    Services& m_services;
    ModelContainer* m_container;
    ContentView* m_content = nullptr;
    bool m_didWriteLaunchBackup = false;
    bool m_inBackground = false;
};

} // namespace quillora
