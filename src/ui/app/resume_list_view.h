#pragma once

#include "app/content_view.h"
#include "app/list_shared_controls.h"
#include "app/resume_list_texts.h"
#include "app/resume_tip_view.h"
#include "model/resume.h"

#include <QPointer>
#include <QWidget>

#include <functional>

class QAbstractButton;
class QAction;
class QDialog;
class QListView;
class QMenu;
class QModelIndex;
class QPushButton;

namespace quillora {

class ModelContext;
class Services;
class ResumeCardDelegate;
class ResumeCardList;
class ResumeEditorView;
class ResumeListModel;
class ThemedBackground;

// The main list of résumés over the themed background: the logo header, one card per résumé
// (newest lastEdited first), and the bottom bar with help, background and add. Cards open a
// résumé (on the pad idiom through "QuilloraSelectResume", otherwise in the editor sheet), and
// offer Duplicate (Ctrl+D) and Delete (Delete, after a confirmation) from their context menu and
// the keyboard. It also owns the main help sheet with the OpenAI key button and the key prompt,
// and on idioms other than pad shows the welcome tip over an empty list.
class ResumeListView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeListView)

public:
    // Shows a modal sheet or alert and returns its result. Tests answer without blocking.
    using ModalRunner = std::function<int(QDialog&)>;

    static inline const QString deleteAlertTitle = resumeListTexts::deleteAlertTitle();

    // The services must hold a store.
    ResumeListView(Services& services, UserInterfaceIdiom idiom, QWidget* parent = nullptr);
    ~ResumeListView() override;

    void setModalRunner(ModalRunner runner);
    void setLogoRevealDelay(int milliseconds) { m_logoRevealDelay = milliseconds; }
    void setTipTiming(const ResumeTipTiming& timing) { m_tipTiming = timing; }

    ResumeListModel* model() const { return m_model; }
    ResumeCardList* listView() const { return m_listView; }
    ResumePtr selectedResume() const { return m_selectedResume; }
    ResumePtr resumePendingDeletion() const { return m_resumePendingDeletion; }
    bool showLogo() const { return m_showLogo; }
    bool showTip() const { return m_showTip; }
    ResumeTipView* tipView() const { return m_tip.data(); }
    QString openAIKeyDraft() const { return m_openAIKeyDraft; }

    // The groups of the main help sheet, in order.
    static QList<HelpGroup> mainInterfaceHelpContent();
    // The message of the delete confirmation for a résumé.
    static QString deleteAlertMessage(const QString& title);

    // The card's context menu (Duplicate, Delete) for a row; owned by the caller.
    QMenu* contextMenuFor(const QModelIndex& index, QWidget* parent);

    void selectResume(const ResumePtr& resume);
    void duplicateAction(const ResumePtr& resume);
    void requestDeletion(const ResumePtr& resume);
    void deleteResume(const ResumePtr& resume);
    void createNewResume();
    void openHelp();
    void openBackgroundPicker();
    // The cover-letter sheet for the most recently edited résumé, or a note that there is none.
    // No control of the list opens it.
    void openCoverLetterGenerator();
    // Removes a stored key, or opens the key prompt (over `over`, or the list) when none is stored.
    void toggleOpenAIKey(QWidget* over = nullptr);
    void saveOpenAIKey();
    void scheduleLogoReveal();
    // The app goes to the background: the editor open in the sheet saves its résumé.
    void willEnterBackground();

signals:
    // A sheet or alert of the list is about to be shown.
    void sheetPresented(QDialog* sheet);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    int runModal(QDialog& dialog);
    QWidget* buildBottomBar();
    void installKeyActions();
    QWidget* makeOpenAIKeyButtonRow();
    void openOpenAIKeyPrompt(QWidget* over);
    void openEditorSheet();
    void setShowLogo(bool show);
    void updateTip();
    void applyWidth();
    void applyScheme();
    ResumePtr currentResume() const;
    // "2 of 3": where the résumé stands in the list now.
    QString placeOf(const ResumePtr& resume) const;
    void currentRowMoved(const QModelIndex& current);

    Services& m_services;
    ModelContext& m_context;
    UserInterfaceIdiom m_idiom;
    ModalRunner m_runModal;
    int m_logoRevealDelay = 4000;
    ResumeTipTiming m_tipTiming;

    ResumePtr m_selectedResume;
    ResumePtr m_resumePendingDeletion;
    bool m_showHelp = false;
    bool m_showGradientPicker = false;
    bool m_showCoverLetterGenerator = false;
    bool m_showOpenAIKeyPrompt = false;
    QString m_openAIKeyDraft;
    bool m_showLogo = false;
    bool m_showTip = false;
    // A résumé is being opened, and the list re-sorted under the focus meanwhile.
    bool m_opening = false;
    bool m_resortedWhileOpening = false;

    ResumeListModel* m_model = nullptr;
    ResumeCardDelegate* m_delegate = nullptr;
    ThemedBackground* m_background = nullptr;
    QWidget* m_column = nullptr;
    QWidget* m_header = nullptr;
    QWidget* m_listFrame = nullptr;
    ResumeCardList* m_listView = nullptr;
    QWidget* m_bottomBar = nullptr;
    QList<QAbstractButton*> m_circleButtons;
    QPointer<ResumeTipView> m_tip;
    QPointer<ResumeEditorView> m_sheetEditor;
};

} // namespace quillora
