#pragma once

#include "output/background_theme.h"
#include "output/resume_pdf_generator.h"
#include "sharing/morvessa_cloud_service.h"

#include <QObject>
#include <QPointer>
#include <QUuid>

#include <optional>

class QMessageBox;

namespace quillora {

class HelpSheetContainer;
class PreparingPDFOverlay;
class ResumeEditorView;
class ShareDialog;
class TemplateClassic;

// The last PDF an export produced; a fresh id for every export, so the share dialog opens
// again even for the same file.
struct ExportedPDF final {
    QUuid id;
    QString path;
};

// What the editor does with the résumé as a whole: the preview, the two PDF exports with their
// share dialog, and pushing the résumé to the recruiting network Morvessa or removing it, with
// the help and confirmation sheets and the editor's "Morvessa" alert. The slow part of every
// action (rendering, uploading) runs on a worker; results come back on the UI thread and are
// dropped when the editor has closed or the résumé is gone.
class EditorActions final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorActions)

public:
    explicit EditorActions(ResumeEditorView& editor);
    ~EditorActions() override;

    ResumeEditorView& editor() const { return m_editor; }

    // The page background every export and push paints: the stored choice, or circles and
    // pastel when the stored text names none (the stored text is left as it is).
    BackgroundShapeType backgroundShape() const;
    BackgroundColorTheme colorTheme() const;

    // --- Preview and exports ------------------------------------------------------------
    void openTemplatePreview();
    void exportCreativePDF();
    void exportATSPDF();
    // The export rows: the preview is closed first.
    void runExportAction(void (EditorActions::*exportAction)());

    bool isPreparingPDF() const { return m_pdfJobs > 0; }
    std::optional<ExportedPDF> exportedPDF() const { return m_exportedPDF; }

    // --- Recruiting network --------------------------------------------------------------
    bool isPushingToMorvessa() const { return m_isPushingToMorvessa; }
    bool isShared() const;
    // The button's text for the current state.
    QString morvessaActionLabel() const;
    void openMorvessaConfirm();
    void openMorvessaHelp();
    void confirmMorvessaAction();
    void pushToMorvessa();
    void removeFromMorvessa();
    QString morvessaAlertMessage() const { return m_morvessaAlertMessage; }

    // The uploads go through this service (by default the database QUILLORA_CLOUD_DATABASE
    // names).
    void setCloudService(MorvessaCloudService service) { m_cloudService = std::move(service); }

    // The sheets, dialog and alert while they are open.
    TemplateClassic* templatePreview() const;
    ShareDialog* shareDialog() const;
    HelpSheetContainer* morvessaHelpSheet() const;
    HelpSheetContainer* morvessaConfirmSheet() const;
    QMessageBox* morvessaAlert() const;
    PreparingPDFOverlay* preparingOverlay() const { return m_overlay; }

signals:
    // Something the card shows changed (busy flags, shared state).
    void stateChanged();
    // An export finished; the path is empty when it produced no file.
    void exportFinished(const QString& path);
    // A push or removal finished and its alert is open.
    void morvessaFinished();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Writes the portfolio card's working rows into the résumé (before an export or push).
    void persistPortfolioOrder();
    void saveBeforeExport(bool ats);
    void startExport(ResumeLayoutMode mode, bool logged);
    void setExportedPDF(std::optional<ExportedPDF> pdf);
    void beginPDFJob();
    void endPDFJob();
    void setPushing(bool pushing);
    void showMorvessaAlert(const QString& message);
    void present(QWidget* sheet);

    ResumeEditorView& m_editor;
    MorvessaCloudService m_cloudService;
    PreparingPDFOverlay* m_overlay;
    int m_pdfJobs = 0;
    bool m_isPushingToMorvessa = false;
    bool m_isRemovingFromMorvessa = false; // which of the two is running
    std::optional<ExportedPDF> m_exportedPDF;
    QString m_morvessaAlertMessage;
    QPointer<TemplateClassic> m_preview;
    QPointer<ShareDialog> m_shareDialog;
    QPointer<HelpSheetContainer> m_helpSheet;
    QPointer<HelpSheetContainer> m_confirmSheet;
    QPointer<QMessageBox> m_alert;
};

} // namespace quillora
