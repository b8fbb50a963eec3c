#pragma once

#include "app/startup_messages.h"

#include <QFuture>

#include <chrono>
#include <memory>

class QApplication;

namespace quillora {

class MainWindow;
class Services;

// Starts the app over the user's store and runs the event loop; returns the exit code. Start-up
// questions and refusals are message windows run by `runMessage` (shown modally when empty).
int runQuillora(QApplication& app, const MessageRunner& runMessage = {});

// What the app sets up once per process before its first window: names, look, labels, fonts
// and the termination signals.
void prepareQuilloraApplication(QApplication& app);

// The running app, from start-up to quit: the store and its lock, the services and the shown
// main window. runQuillora() is start() and exec(); a test may start, drive, quit and start again
// on the same folders in one process.
class QuilloraSession final {
public:
    // Opens the store as start-up does and shows the main window. Null when start-up stopped
    // (refused, or quit by the user), with the program's exit code in `exitCode`.
    static std::unique_ptr<QuilloraSession> start(const MessageRunner& runMessage, int* exitCode);
    ~QuilloraSession();
    QuilloraSession(const QuilloraSession&) = delete;
    QuilloraSession& operator=(const QuilloraSession&) = delete;

    MainWindow& window() const { return *m_window; }
    Services& services() const { return *m_services; }

    // Runs the event loop until the app quits; then the window goes to the background (the open
    // résumé is saved, a backup written) and the backups still being written finish. The work of
    // the recruiting network (settling, pushes, removals) is told to stop: what it did not see to
    // its end stays listed for the next start. Ending the session (destroying it) does the same;
    // the instance lock is then held until that work no longer talks to the database.
    int exec();

    // Ends the session after exec() and returns `code` once the recruiting network's work has
    // stopped. When it has not within kLongestWaitAtQuit, the process ends at once with `code`,
    // without returning: the system drops its connections and the instance lock together.
    static int end(std::unique_ptr<QuilloraSession> session, int code);
    static constexpr std::chrono::milliseconds kLongestWaitAtQuit{2000};

private:
    QuilloraSession() = default;
    std::unique_ptr<InstanceLock> m_lock; // let go last, once no database work runs
    std::unique_ptr<Services> m_services;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<SaveFailureNotice> m_saveFailures;
    // The settling of interrupted pushes; quitting cancels it rather than waiting for the network.
    QFuture<void> m_settling;
    // The removal of the exports earlier runs left, on a worker.
    QFuture<void> m_exportsCleanUp;
};

} // namespace quillora
