#pragma once

#include "model/resume.h"
#include "output/background_theme.h"

#include <QHash>
#include <QPointer>
#include <QWidget>

#include <functional>

class QDrag;
class QLabel;
class QMessageBox;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class EditorActions;
class EducationEditor;
class EducationSection;
class ElidedLabel;
class ExperienceEditor;
class ExperienceSection;
class FloatingHelpButton;
class FontPickerView;
class HelpSheetContainer;
class ModelContext;
class Services;
class ThemedBackground;

// The sections of the editor, top to bottom.
enum class EditorSection {
    basicInfo,
    summary,
    coverLetter,
    atsVersion,
    experience,
    education,
    skills,
    fontStyle,
    portfolio,
    actionsAndStyle,
};

// The editor screen of one résumé: the section cards in one scrolling column over the themed
// background, with the entry sheets, the font picker, the help sheet and the delete
// confirmations. Fields write into the résumé at once; the editor's one save routine
// (saveResume) runs after entries are added, moved or deleted, and, when the résumé was edited
// since the last save, when the screen goes away and when the app goes to the background.
class ResumeEditorView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeEditorView)

public:
    // The width-dependent measures of the scrolling column, in points.
    struct Metrics {
        qreal spacing = 10;
        qreal horizontalPadding = 16;
        qreal verticalPadding = 12;
        qreal extraTopPadding = 28;
    };
    static Metrics metricsForWidth(qreal width);

    // Runs a drag from an experience row to its end; tests replace it.
    using DragRunner = std::function<void(QDrag&)>;

    ResumeEditorView(const ResumePtr& resume, Services& services, QWidget* parent = nullptr);
    ~ResumeEditorView() override;

    const ResumePtr& resume() const { return m_resume; }
    Services& services() const { return m_services; }
    Appearance& appearance() const { return *m_appearance; }
    // The preview, exports and recruiting-network actions of the "Actions & Style" card.
    EditorActions& actions() const { return *m_actions; }
    // The résumé's full name, or its title when the name is empty.
    QString navigationTitle() const;
    Metrics metrics() const { return m_metrics; }

    // The editor's save routine: stamps lastEdited and saves the store's context.
    void saveResume();
    // Runs the save routine when the résumé or one of its entries changed since the editor's
    // last save; a résumé only looked at is neither stamped nor saved.
    void saveIfEdited();
    // Writes the portfolio card's order into the résumé and saves (before an export or upload).
    void persistPortfolioOrder();
    // The scene went to the background: saves what was edited.
    void saveOnBackground();
    bool hasUnsavedEdits() const { return m_edited; }

    // The page background of exported PDFs: the choice is stored in the settings under its
    // case name.
    void applyBackgroundShape(BackgroundShapeType shape);
    void applyColorTheme(BackgroundColorTheme theme);

    // The card standing in one place of the section order (null for a place still empty).
    QWidget* sectionWidget(EditorSection section) const;
    // Fills one place of the section order (ownership passes to the editor; the place's
    // previous card is deleted).
    void setSectionWidget(EditorSection section, QWidget* card);

    // --- Experience ----------------------------------------------------------------------
    // Shown in ascending sortOrder; equal sortOrders keep the résumé's order.
    QList<ExperiencePtr> displayedExperience() const;
    // Makes a new, pending entry and opens its sheet; nothing joins the résumé until Save.
    void addExperience();
    void openExperience(const ExperiencePtr& entry);
    // Asks for the delete confirmation.
    void requestExperienceDeletion(const ExperiencePtr& entry);
    // The confirmed delete of the entry awaiting confirmation.
    void deleteExperience();
    // Moves the entry at `from` to `to` (positions as shown) and saves; a stale or invalid
    // position does nothing.
    void moveExperience(int from, int to);
    // Moves the entry `step` places down (up when negative) as a drag onto that row would;
    // nothing at the ends.
    void moveExperienceBy(const ExperiencePtr& entry, int step);
    // The sheet's Save: a pending new entry joins the résumé and is saved.
    void commitExperience(const ExperiencePtr& entry);
    bool isReorderMode() const { return m_reorderMode; }
    void setReorderMode(bool on);
    void toggleReorderMode();

    // Drag and drop of experience rows.
    void beginExperienceDrag(const ExperiencePtr& entry, QWidget* source);
    // A drag entered the row of `target`: moves the dragged entry there.
    void experienceDragEntered(const ExperiencePtr& target);
    // A drop on a row: the drag is over.
    void experienceDropped();
    void setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

    // --- Education -----------------------------------------------------------------------
    QList<EducationPtr> displayedEducation() const;
    void addEducation();
    void openEducation(const EducationPtr& entry);
    void requestEducationDeletion(const EducationPtr& entry);
    void deleteEducation();
    void commitEducation(const EducationPtr& entry);

    // --- Sheets and state ----------------------------------------------------------------
    void openFontPicker();
    void openHelp();

    ExperiencePtr editingExperience() const { return m_editingExperience; }
    ExperiencePtr pendingExperience() const { return m_pendingExperience; }
    ExperiencePtr experienceToDelete() const { return m_experienceToDelete; }
    ExperiencePtr draggingExperience() const { return m_draggingExperience; }
    EducationPtr editingEducation() const { return m_editingEducation; }
    EducationPtr pendingEducation() const { return m_pendingEducation; }
    EducationPtr educationToDelete() const { return m_educationToDelete; }

    // The sheets and the alert while they are open.
    ExperienceEditor* experienceSheet() const;
    EducationEditor* educationSheet() const;
    FontPickerView* fontPicker() const;
    HelpSheetContainer* helpSheet() const;
    QMessageBox* deleteAlert() const;
    QScrollArea* scrollArea() const { return m_scrollArea; }

signals:
    // A sheet or alert of the editor was opened (it is open, non-blocking, when this arrives).
    void sheetPresented(QWidget* sheet);
    void reorderModeChanged(bool on);
    void draggingExperienceChanged();

protected:
    void resizeEvent(QResizeEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildSections();
    void applyMetrics();
    void applyScheme();
    void updateNavigationTitle();
    void presentSheet(QWidget* sheet);
    // Gives the focus back to a control of the editor once a sheet over it has closed.
    void focusAfterSheet(QWidget* target);
    void setDraggingExperience(const ExperiencePtr& entry);
    QMessageBox* makeDeleteAlert(const QString& title, const QString& identifier);

    ResumePtr m_resume;
    Services& m_services;
    ModelContext& m_context;
    Appearance* m_appearance;
    Metrics m_metrics;

    ThemedBackground* m_background = nullptr;
    ElidedLabel* m_titleLabel = nullptr;
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_page = nullptr;
    QWidget* m_column = nullptr;
    QVBoxLayout* m_columnLayout = nullptr;
    FloatingHelpButton* m_helpButton = nullptr;
    QHash<EditorSection, QWidget*> m_slots;
    ExperienceSection* m_experienceSection = nullptr;
    EducationSection* m_educationSection = nullptr;
    EditorActions* m_actions = nullptr;

    ExperiencePtr m_editingExperience;
    ExperiencePtr m_pendingExperience;
    ExperiencePtr m_experienceToDelete;
    ExperiencePtr m_draggingExperience;
    EducationPtr m_editingEducation;
    EducationPtr m_pendingEducation;
    EducationPtr m_educationToDelete;
    bool m_reorderMode = false;
    bool m_edited = false; // the résumé changed since the editor's last save
    DragRunner m_dragRunner;

    QPointer<ExperienceEditor> m_experienceSheet;
    QPointer<EducationEditor> m_educationSheet;
    QPointer<FontPickerView> m_fontPicker;
    QPointer<HelpSheetContainer> m_helpSheet;
    QPointer<QMessageBox> m_deleteAlert;
};

} // namespace quillora
