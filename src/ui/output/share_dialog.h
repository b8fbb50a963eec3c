#pragma once

#include <QDialog>
#include <QStringList>
#include <QUrl>

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
        // Opens a location (a file or a folder) with the user's default application.
        std::function<bool(const QUrl&)> openUrl;
        // Asks where to save a copy, starting at `suggestedPath`; calls `chosen` with the path,
        // or does not call it when the user cancels.
        std::function<void(QWidget* parent, const QString& suggestedPath,
                           std::function<void(const QString&)> chosen)>
            chooseSaveLocation;
    };
    static Desktop systemDesktop();

    ShareDialog(const QStringList& files, Appearance& appearance, QWidget* parent = nullptr,
                Desktop desktop = systemDesktop());
    ~ShareDialog() override;

    QStringList items() const { return m_files; }
    // The file the actions apply to: the selected one (the first at the start).
    QString currentFile() const;
    // The last action's outcome, as shown under the buttons.
    QString statusText() const;

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
    // Shows the outcome of an action and says it to a screen reader; a repaint passes `said` true.
    void setStatus(const QString& text, bool failure = false, bool said = false);

    QStringList m_files;
    Appearance* m_appearance;
    Desktop m_desktop;
    QLabel* m_titleLabel;
    QListWidget* m_list;
    QLabel* m_status;
    bool m_statusIsFailure = false;
};

} // namespace quillora
