#pragma once

#include <QDialog>
#include <QStringList>
#include <QUrl>

#include <chrono>
#include <functional>

class QLabel;
class QListWidget;
class QPushButton;

namespace quillora {

class Appearance;

// Hands exported files to the rest of the desktop: open one in its default application, save a
// copy elsewhere, copy its path, or show it in its folder. The files are fixed when the dialog
// is made; it never deletes or moves them.
class ShareDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ShareDialog)

public:
    // What the dialog asks of the desktop; tests put in their own so nothing real opens or
    // waits for a person.
    struct Desktop {
        // The desktop's opener, run with a location (a file or a folder) as its one argument:
        // it opens the location in the user's default application and exits with status 0,
        // or exits with another status when nothing could open it. A name is looked up on PATH.
        QString opener = QStringLiteral("xdg-open");
        // An opener still running after this long is running what it opened (some openers
        // stay until the application they started ends): the location counts as opened, until
        // the opener fails after all.
        std::chrono::milliseconds openerGrace{3000};
        // Asks where to save a copy, starting at `suggestedPath`; calls `chosen` with the path,
        // or does not call it when the user cancels.
        std::function<void(QWidget* parent, const QString& suggestedPath,
                           std::function<void(const QString&)> chosen)>
            chooseSaveLocation;
    };
    static Desktop systemDesktop();

    // What the status line says while the opener runs, when it opened the location, and when
    // nothing could open it.
    static QString openingText(const QString& name);
    static QString openedText(const QString& path);
    static QString openFailedText(const QString& path);
    static QString folderOpenedText(const QString& folder);
    static QString folderOpenFailedText(const QString& folder);

    ShareDialog(const QStringList& files, Appearance& appearance, QWidget* parent = nullptr,
                Desktop desktop = systemDesktop());
    ~ShareDialog() override;

    QStringList items() const { return m_files; }
    // The file the actions apply to: the selected one (the first at the start).
    QString currentFile() const;
    // The last action's outcome, as shown under the buttons.
    QString statusText() const;
    bool statusIsFailure() const { return m_statusIsFailure; }

    void openFile();
    void saveCopy();
    void copyPath();
    void showInFolder();
    // Writes a copy of the current file to `destination`, replacing what is there; a link at
    // the name is replaced, never written through. Reports in the status line.
    bool saveCopyTo(const QString& destination);

    QPushButton* button(const QString& objectName) const;

signals:
    void copySaved(const QString& destination);

private:
    void applyScheme();
    // Shows the outcome of an action and, unless `say` is false, says it to a screen reader.
    void setStatus(const QString& text, bool failure = false, bool say = true);
    void paintStatus();
    // Runs the opener for `location` without waiting for it; the status line says "Opening…"
    // and then what came of it.
    void runOpener(const QString& location, const QString& openingStatus, const QString& openedStatus,
                   const QString& failedStatus);

    QStringList m_files;
    Appearance* m_appearance;
    Desktop m_desktop;
    QLabel* m_titleLabel;
    QListWidget* m_list;
    QLabel* m_status;
    bool m_statusIsFailure = false;
    // Counts status changes and opener runs, so an opener's late result never replaces a newer
    // outcome, nor the result of a later run.
    quint64 m_statusSerial = 0;
    quint64 m_latestOpenerRun = 0;
};

} // namespace quillora
