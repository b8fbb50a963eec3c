#include "app/startup_messages.h"

#include "store/model_context.h"
#include "store/store_location.h"

#include <QLabel>
#include <QMessageBox>
#include <QPushButton>

namespace quillora {

namespace {

QString whereItIs(const QString& storeFile, const QString& backups) {
    return QStringLiteral("Store file: ") + storeFile + QStringLiteral("\nBackups folder: ") + backups;
}

// Every text in these windows is shown as written: paths and errors are never markup.
void setPlainTexts(QMessageBox& box, const QString& title, const QString& text, const QString& details) {
    box.setTextFormat(Qt::PlainText);
    box.setWindowTitle(title);
    box.setText(text);
    box.setInformativeText(details);
    if (auto* informative = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        informative->setTextFormat(Qt::PlainText);
}

} // namespace

int execMessage(QMessageBox& box) {
    return box.exec();
}

EmptyStoreChoice askAboutEmptyStore(const QString& storeFile, const QString& backups,
                                    const MessageRunner& run) {
    QMessageBox box;
    box.setObjectName(QStringLiteral("emptyStoreAlert"));
    box.setIcon(QMessageBox::Warning);
    setPlainTexts(box, QStringLiteral("Empty Résumé Store"),
                  QStringLiteral("Your résumé store is empty. Nothing has been changed yet."),
                  QStringLiteral("The store file holds no data at all. Copies of your résumés may be in "
                                 "the Backups folder: JSON backups and earlier store files.\n\n") +
                      whereItIs(storeFile, backups) +
                      QStringLiteral("\n\nStart Empty keeps the empty file under a new name and starts "
                                     "with no résumés. Quit leaves everything as it is."));
    QPushButton* startEmpty = box.addButton(QStringLiteral("Start Empty"), QMessageBox::AcceptRole);
    startEmpty->setObjectName(QStringLiteral("startEmptyButton"));
    QPushButton* quit = box.addButton(QStringLiteral("Quit"), QMessageBox::RejectRole);
    quit->setObjectName(QStringLiteral("quitEmptyStoreButton"));
    box.setDefaultButton(quit);
    box.setEscapeButton(quit);
    (run ? run : execMessage)(box);
    return box.clickedButton() == startEmpty ? EmptyStoreChoice::startEmpty : EmptyStoreChoice::quit;
}

void showStartupRefusal(const AppStore& store, const MessageRunner& run) {
    QString title = QStringLiteral("Quillora Cannot Open Your Résumés");
    QString text = QStringLiteral("Quillora could not open your résumé store and will quit.");
    switch (store.refusal) {
    case StartupRefusal::anotherInstance:
        title = QStringLiteral("Quillora Is Already Running");
        text = QStringLiteral("Quillora is already open with these résumés. Use that window, or quit it "
                              "before starting Quillora again.");
        break;
    case StartupRefusal::storeReadOnly:
        title = QStringLiteral("Your Résumés Cannot Be Saved");
        text = QStringLiteral("Quillora cannot write to your résumé store, so it did not open it: nothing "
                              "you type could be kept.");
        break;
    case StartupRefusal::none:
    case StartupRefusal::storeUnusable:
    case StartupRefusal::quitByUser:
        break;
    }
    QMessageBox box;
    box.setObjectName(QStringLiteral("startupRefusalAlert"));
    box.setIcon(QMessageBox::Critical);
    setPlainTexts(box, title, text,
                  store.fatalError + QStringLiteral("\n\n") +
                      whereItIs(storeFileURL(), backupsDirectoryURL()));
    box.addButton(QMessageBox::Ok);
    (run ? run : execMessage)(box);
}

SaveFailureNotice::SaveFailureNotice(ModelContext& context, QWidget* window)
    : QObject(window)
    , m_window(window) {
    connect(&context, &ModelContext::saveFailed, this, &SaveFailureNotice::show);
    connect(&context, &ModelContext::didSave, this, [this] { m_shownSinceLastSave = false; });
}

void SaveFailureNotice::show(const QString& error) {
    if (m_shownSinceLastSave)
        return;
    m_shownSinceLastSave = true;
    if (m_box)
        m_box->close();
    auto* box = new QMessageBox(m_window);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setObjectName(QStringLiteral("saveFailedAlert"));
    box->setIcon(QMessageBox::Warning);
    setPlainTexts(*box, QStringLiteral("Changes Not Saved"),
                  QStringLiteral("Quillora could not save your latest changes."),
                  error +
                      QStringLiteral("\n\nThey stay in this window while Quillora runs, and saving is tried "
                                     "again with your next change. Copies of your résumés are in the "
                                     "Backups folder: ") +
                      backupsDirectoryURL());
    box->addButton(QMessageBox::Ok);
    box->setWindowModality(Qt::NonModal);
    box->setModal(false);
    box->show();
    m_box = box;
}

} // namespace quillora
