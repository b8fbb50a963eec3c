#include "editor/editor_actions.h"

#include "app/services.h"
#include "editor/morvessa_sheets.h"
#include "editor/portfolio_card.h"
#include "editor/preparing_pdf_overlay.h"
#include "editor/resume_editor_text.h"
#include "editor/resume_editor_view.h"
#include "help/help_sheet_container.h"
#include "output/resume_export_snapshot.h"
#include "output/share_dialog.h"
#include "output/template_classic.h"
#include "platform/appearance.h"
#include "platform/async.h"
#include "platform/log.h"
#include "sharing/morvessa_sharing.h"
#include "store/model_context.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QUrl>

#include <memory>
#include <utility>

namespace quillora {

namespace {

QString fileUrl(const QString& path) {
    return QUrl::fromLocalFile(path).toString();
}

// A PDF an export wrote for an editor, removed unless the editor takes it: when the editor has
// closed meanwhile, or its résumé was deleted, nothing will ever show it.
class PendingExport final {
public:
    explicit PendingExport(Result<QString> result)
        : m_result(std::move(result)) {}
    PendingExport(PendingExport&& other) noexcept
        : m_result(other.take()) {}
    PendingExport& operator=(PendingExport&&) = delete;
    ~PendingExport() {
        if (m_result)
            ResumePDFGenerator::removeExport(*m_result);
    }

    // The outcome, now the caller's.
    Result<QString> take() { return std::exchange(m_result, Result<QString>::failure(QString())); }

private:
    Result<QString> m_result;
};

// The newest export of each résumé. It stays while the app runs, after its editor has closed
// too, so that a path copied from the share dialog still leads to it; the résumé's next export
// takes its place, and it goes when the résumé is deleted. UI thread only.
class NewestExports final {
public:
    static NewestExports& instance() {
        static NewestExports exports;
        return exports;
    }

    void keep(const ResumePtr& resume, const QString& path) {
        for (Entry& entry : m_entries) {
            if (entry.resume.lock() == resume) {
                if (entry.path != path)
                    ResumePDFGenerator::removeExport(std::exchange(entry.path, path));
                return;
            }
        }
        m_entries.push_back({resume, path});
    }

    void removeOfDeletedResumes() {
        std::erase_if(m_entries, [](const Entry& entry) {
            const ResumePtr resume = entry.resume.lock();
            if (!resume)
                return true; // its store has closed: the next start removes it
            if (!resume->isDeleted())
                return false;
            ResumePDFGenerator::removeExport(entry.path);
            return true;
        });
    }

    // Watches the context for deleted résumés, once.
    void watch(ModelContext& context) {
        static const char* const watched = "quilloraNewestExportsWatched";
        if (context.property(watched).toBool())
            return;
        context.setProperty(watched, true);
        QObject::connect(&context, &ModelContext::resumeDeleted, &context,
                         [this] { removeOfDeletedResumes(); });
    }

private:
    struct Entry {
        std::weak_ptr<Resume> resume;
        QString path;
    };
    std::vector<Entry> m_entries;
};

} // namespace

EditorActions::EditorActions(ResumeEditorView& editor)
    : QObject(&editor)
    , m_editor(editor)
    , m_overlay(new PreparingPDFOverlay(editor.appearance(), &editor)) {
    setObjectName(QStringLiteral("editorActions"));
    m_overlay->setGeometry(editor.rect());
    editor.installEventFilter(this);
    connect(editor.resume().get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::MorvessaRecordName)
            emit stateChanged();
    });
}

EditorActions::~EditorActions() = default;

TemplateClassic* EditorActions::templatePreview() const {
    return m_preview.data();
}

ShareDialog* EditorActions::shareDialog() const {
    return m_shareDialog.data();
}

HelpSheetContainer* EditorActions::morvessaHelpSheet() const {
    return m_helpSheet.data();
}

HelpSheetContainer* EditorActions::morvessaConfirmSheet() const {
    return m_confirmSheet.data();
}

QMessageBox* EditorActions::morvessaAlert() const {
    return m_alert.data();
}

bool EditorActions::eventFilter(QObject* watched, QEvent* event) {
    if (watched == &m_editor && event->type() == QEvent::Resize) {
        m_overlay->setGeometry(m_editor.rect());
        m_overlay->raise();
    }
    return QObject::eventFilter(watched, event);
}

BackgroundShapeType EditorActions::backgroundShape() const {
    return backgroundShapeTypeFromRawValue(m_editor.services().settings().backgroundShapeRaw())
        .value_or(BackgroundShapeType::circles);
}

BackgroundColorTheme EditorActions::colorTheme() const {
    return backgroundColorThemeFromRawValue(m_editor.services().settings().colorThemeRaw())
        .value_or(BackgroundColorTheme::pastel);
}

void EditorActions::present(QWidget* sheet) {
    if (auto* dialog = qobject_cast<QDialog*>(sheet))
        dialog->open();
    else
        sheet->show();
    emit m_editor.sheetPresented(sheet);
}

// --- Preview and exports ----------------------------------------------------------------------

void EditorActions::openTemplatePreview() {
    setExportedPDF(std::nullopt);
    if (m_preview) {
        m_preview->raise();
        return;
    }
    m_preview = TemplateClassic::present(&m_editor, m_editor.resume(), m_editor.services());
    connect(m_preview, &QDialog::finished, this, [this] { m_preview = nullptr; });
    emit m_editor.sheetPresented(m_preview);
}

void EditorActions::runExportAction(void (EditorActions::*exportAction)()) {
    if (m_preview)
        m_preview->close();
    (this->*exportAction)();
}

void EditorActions::persistPortfolioOrder() {
    if (auto* portfolio = qobject_cast<PortfolioCard*>(m_editor.sectionWidget(EditorSection::portfolio)))
        portfolio->persistPortfolioOrder();
}

void EditorActions::saveBeforeExport(bool ats) {
    const Status saved = m_editor.services().context().save();
    if (ats) {
        if (!saved)
            logLine(QStringLiteral("❌ ATS save failed: ") + saved.error());
    } else if (saved) {
        logLine(QStringLiteral("[Portfolio DEBUG] pre-export save succeeded"));
    } else {
        logLine(QStringLiteral("[Portfolio DEBUG] pre-export save failed: ") + saved.error());
    }
}

void EditorActions::exportCreativePDF() {
    persistPortfolioOrder();
    saveBeforeExport(false);
    startExport(ResumeLayoutMode::creative, true);
}

void EditorActions::exportATSPDF() {
    m_editor.resume()->setIncludeATSVersion(true);
    saveBeforeExport(true);
    startExport(m_editor.resume()->includeATSVersion() ? ResumeLayoutMode::ats : ResumeLayoutMode::creative,
                false);
}

void EditorActions::startExport(ResumeLayoutMode mode, bool logged) {
    beginPDFJob();
    const BackgroundShapeType shape = backgroundShape();
    const BackgroundColorTheme theme = colorTheme();
    const Services& services = m_editor.services();
    // The worker reads the stored images itself, so a résumé with many images never stalls
    // the window.
    auto snapshot = std::make_shared<ResumeExportSnapshot>(ResumeExportSnapshot::of(
        *m_editor.resume(), services.hasStore() ? services.store().storeFilePath() : QString()));
    if (logged) {
        logLine(QStringLiteral("🟡 Calling ResumePDFGenerator.export..."));
        logLine(QStringLiteral("🟡 Shape: ") + rawValue(shape) + QStringLiteral(" Theme: ") +
                rawValue(theme));
    }
    NewestExports::instance().watch(services.context());
    runInBackground(
        ResultReceiver(&m_editor, QStringLiteral("PDF export")),
        [snapshot, shape, theme, mode] {
            return PendingExport(ResumePDFGenerator::exportPDF(*snapshot, shape, theme, mode));
        },
        [this, logged](PendingExport pending) {
            if (m_editor.resume()->isDeleted()) {
                // The editor outlived its résumé: the busy state ends, nothing is shared, and the
                // PDF goes.
                endPDFJob();
                logLine(QStringLiteral("⏭️ PDF export result dropped: its résumé was deleted"));
                return;
            }
            const Result<QString> result = pending.take();
            if (logged) {
                logLine(QStringLiteral("🟡 Export returned URL: ") +
                        (result ? QStringLiteral("Optional(") + fileUrl(*result) + QLatin1Char(')')
                                : QStringLiteral("nil")));
            }
            endPDFJob();
            if (!result) {
                if (logged) {
                    logLine(QStringLiteral("❌ PDF FAILED (nil URL)"));
                    setExportedPDF(std::nullopt);
                }
                emit exportFinished(QString());
                return;
            }
            if (logged)
                logLine(QStringLiteral("✅ PDF SUCCESS: ") + fileUrl(*result));
            // Each export has a file of its own; the one this export takes the place of goes, as
            // its dialog does, so the temporary folder does not fill up with copies.
            NewestExports::instance().keep(m_editor.resume(), *result);
            setExportedPDF(ExportedPDF{QUuid::createUuid(), *result});
            emit exportFinished(*result);
        });
}

void EditorActions::setExportedPDF(std::optional<ExportedPDF> pdf) {
    m_exportedPDF = std::move(pdf);
    if (m_shareDialog) {
        // A newer export replaces the dialog of the earlier one.
        ShareDialog* old = m_shareDialog;
        m_shareDialog = nullptr;
        old->disconnect(this);
        old->close();
    }
    if (!m_exportedPDF)
        return;
    auto* dialog = new ShareDialog({m_exportedPDF->path}, m_editor.appearance(), &m_editor);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    m_shareDialog = dialog;
    const QUuid id = m_exportedPDF->id;
    connect(dialog, &QDialog::finished, this, [this, id] {
        m_shareDialog = nullptr;
        if (m_exportedPDF && m_exportedPDF->id == id)
            m_exportedPDF.reset();
    });
    present(dialog);
}

void EditorActions::beginPDFJob() {
    if (m_pdfJobs++ == 0) {
        m_overlay->setGeometry(m_editor.rect());
        m_overlay->raise();
        m_overlay->show();
        emit stateChanged();
    }
}

void EditorActions::endPDFJob() {
    if (m_pdfJobs > 0 && --m_pdfJobs == 0) {
        m_overlay->hide();
        emit stateChanged();
    }
}

// --- Recruiting network -----------------------------------------------------------------------

bool EditorActions::isShared() const {
    return isSharedToMorvessa(*m_editor.resume());
}

QString EditorActions::morvessaActionLabel() const {
    // A push gives the résumé its record name as it starts, so the running operation, not the
    // shared state, says which it is.
    if (m_isPushingToMorvessa)
        return m_isRemovingFromMorvessa ? QStringLiteral("Removing from Morvessa...")
                                        : QStringLiteral("Pushing to Morvessa...");
    return isShared() ? QStringLiteral("Remove from Morvessa") : QStringLiteral("Push to Morvessa");
}

void EditorActions::setPushing(bool pushing) {
    if (m_isPushingToMorvessa == pushing)
        return;
    m_isPushingToMorvessa = pushing;
    emit stateChanged();
}

void EditorActions::openMorvessaHelp() {
    if (m_helpSheet) {
        m_helpSheet->raise();
        return;
    }
    m_helpSheet = makeWhyMorvessaSheet(m_editor.appearance(), &m_editor);
    connect(m_helpSheet, &QDialog::finished, this, [this] { m_helpSheet = nullptr; });
    present(m_helpSheet);
}

void EditorActions::openMorvessaConfirm() {
    if (m_confirmSheet) {
        m_confirmSheet->raise();
        return;
    }
    const bool shared = isShared();
    m_confirmSheet = makeMorvessaConfirmSheet(
        m_editor.appearance(), shared,
        shared ? QStringList() : missingMorvessaRequirements(*m_editor.resume()),
        [this] { confirmMorvessaAction(); }, &m_editor);
    connect(m_confirmSheet, &QDialog::finished, this, [this] { m_confirmSheet = nullptr; });
    present(m_confirmSheet);
}

void EditorActions::confirmMorvessaAction() {
    if (m_confirmSheet)
        m_confirmSheet->close();
    if (isShared())
        removeFromMorvessa();
    else
        pushToMorvessa();
}

void EditorActions::pushToMorvessa() {
    if (m_isPushingToMorvessa)
        return;
    const ResumePtr& resume = m_editor.resume();
    const QStringList missing = missingMorvessaRequirements(*resume);
    if (!missing.isEmpty()) {
        showMorvessaAlert(QStringLiteral("Complete these items before uploading: ") +
                          missing.join(QStringLiteral(", ")) + QLatin1Char('.'));
        return;
    }
    persistPortfolioOrder();
    const Status saved = m_editor.services().context().save();
    if (!saved)
        logLine(QStringLiteral("❌ Morvessa pre-push save failed: ") + saved.error());
    m_isRemovingFromMorvessa = false;
    setPushing(true);
    beginPDFJob();
    const Services& services = m_editor.services();
    const MorvessaPDFStyle style{backgroundShape(), colorTheme(), ResumeLayoutMode::creative,
                                 services.hasStore() ? services.store().storeFilePath() : QString()};
    // "Preparing PDF…" shows until the PDF exists; the button stays busy until the upload ends.
    auto pdfJobOpen = std::make_shared<bool>(true);
    const auto endPushPDFJob = [this, pdfJobOpen] {
        if (std::exchange(*pdfJobOpen, false))
            endPDFJob();
    };
    pushResumeToMorvessa(m_cloudService, &m_editor, resume, style, endPushPDFJob,
                         [this, endPushPDFJob](Result<QString> result) {
                             endPushPDFJob();
                             setPushing(false);
                             if (result) {
                                 m_editor.saveResume();
                                 showMorvessaAlert(QStringLiteral("Resume pushed to Morvessa."));
                             } else if (result.errorInfo().is(ErrorKind::storage)) {
                                 // Why, too: a full disk or a missing temporary folder is not
                                 // mended by trying again.
                                 showMorvessaAlert(QStringLiteral("PDF export failed: ") + result.error());
                             } else {
                                 showMorvessaAlert(QStringLiteral("Push failed: ") + result.error());
                             }
                             emit morvessaFinished();
                         });
}

void EditorActions::removeFromMorvessa() {
    if (m_isPushingToMorvessa)
        return;
    if (!m_editor.resume()->morvessaRecordName()) {
        showMorvessaAlert(QStringLiteral("No Morvessa resume found to remove."));
        return;
    }
    m_isRemovingFromMorvessa = true;
    setPushing(true);
    removeResumeFromMorvessa(m_cloudService, &m_editor, m_editor.resume(), [this](Status result) {
        setPushing(false);
        if (result) {
            m_editor.saveResume();
            showMorvessaAlert(QStringLiteral("Resume removed from Morvessa."));
        } else {
            showMorvessaAlert(QStringLiteral("Remove failed: ") + result.error());
        }
        emit morvessaFinished();
    });
}

void EditorActions::showMorvessaAlert(const QString& message) {
    m_morvessaAlertMessage = message;
    if (m_alert) {
        m_alert->setInformativeText(message);
        m_alert->raise();
        return;
    }
    auto* alert = new QMessageBox(&m_editor);
    alert->setObjectName(QStringLiteral("morvessaAlert"));
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowTitle(QStringLiteral("Morvessa"));
    alert->setIcon(QMessageBox::NoIcon);
    alert->setText(QStringLiteral("Morvessa"));
    alert->setInformativeText(message);
    // Messages may quote a server's error: shown as written, never as markup.
    if (auto* label = alert->findChild<QLabel*>(QStringLiteral("qt_msgbox_informativelabel")))
        label->setTextFormat(Qt::PlainText);
    if (auto* title = alert->findChild<QLabel*>(QStringLiteral("qt_msgbox_label"))) {
        QFont bold = title->font();
        bold.setBold(true);
        title->setFont(bold);
    }
    const bool light = m_editor.appearance().isLight();
    applySchemePalette(alert, light);
    for (auto* label : alert->findChildren<QLabel*>()) {
        QPalette pal = label->palette();
        pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(light));
        label->setPalette(pal);
    }
    alert->setStyleSheet(QStringLiteral("QLabel { min-width: 280px; }"));
    auto* ok = alert->addButton(QStringLiteral("OK"), QMessageBox::RejectRole);
    ok->setObjectName(QStringLiteral("alertOKButton"));
    alert->setDefaultButton(ok);
    alert->setEscapeButton(ok);
    alert->setWindowModality(Qt::WindowModal);
    m_alert = alert;
    connect(alert, &QDialog::finished, this, [this] { m_alert = nullptr; });
    present(alert);
}

} // namespace quillora
