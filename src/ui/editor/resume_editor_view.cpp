#include "editor/resume_editor_view.h"

#include "ai/ats_version_section.h"
#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/elided_text.h"
#include "controls/floating_buttons.h"
#include "controls/outcome.h"
#include "controls/overlay_scroll_bar.h"
#include "controls/screen_order_focus.h"
#include "editor/actions_style_card.h"
#include "editor/basic_info_section.h"
#include "editor/cover_letter_section.h"
#include "editor/editor_actions.h"
#include "editor/editor_controls.h"
#include "editor/editor_help.h"
#include "editor/education_section.h"
#include "editor/entry_editors.h"
#include "editor/entry_order.h"
#include "editor/experience_section.h"
#include "editor/font_picker_view.h"
#include "editor/font_style_card.h"
#include "editor/portfolio_card.h"
#include "editor/resume_save.h"
#include "editor/skills_section.h"
#include "help/help_sheet_container.h"
#include "platform/appearance.h"
#include "store/model_context.h"
#include "theme/responsive_environment.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QDrag>
#include <QHideEvent>
#include <QLabel>
#include <QMessageBox>
#include <QMimeData>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

constexpr EditorSection sectionOrder[] = {
    EditorSection::basicInfo,       EditorSection::summary,    EditorSection::coverLetter,
    EditorSection::atsVersion,      EditorSection::experience, EditorSection::education,
    EditorSection::skills,          EditorSection::fontStyle,  EditorSection::portfolio,
    EditorSection::actionsAndStyle,
};

} // namespace

ResumeEditorView::Metrics ResumeEditorView::metricsForWidth(qreal width) {
    const qreal p = responsiveScale(width, responsiveSpanCommon);
    return Metrics{10 + 8 * p, 16 + 28 * p, 12 + 8 * p, 28 + 36 * p};
}

ResumeEditorView::ResumeEditorView(const ResumePtr& resume, Services& services, QWidget* parent)
    : QWidget(parent)
    , m_resume(resume)
    , m_services(services)
    , m_context(services.context())
    , m_appearance(&services.appearance()) {
    setObjectName(QStringLiteral("resumeEditorView"));
    m_background = new ThemedBackground(m_services.settings(), *m_appearance, this);
    m_background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_background);
    auto* inner = new QVBoxLayout(m_background);
    inner->setContentsMargins(0, 0, 0, 0);

    m_scrollArea = new QScrollArea(m_background);
    m_scrollArea->setObjectName(QStringLiteral("editorScrollArea"));
    inner->addWidget(m_scrollArea);

    m_page = new QWidget;
    m_page->setObjectName(QStringLiteral("editorPage"));
    auto* pageLayout = new QVBoxLayout(m_page);
    pageLayout->setSpacing(0);
    m_titleLabel = new ElidedLabel(m_page);
    m_titleLabel->setObjectName(QStringLiteral("editorNavigationTitle"));
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(systemFont(17, QFont::DemiBold));
    m_titleLabel->setContentsMargins(48, 0, 48, 0);
    pageLayout->addWidget(m_titleLabel);
    m_column = new QWidget(m_page);
    m_column->setObjectName(QStringLiteral("editorSections"));
    m_columnLayout = new QVBoxLayout(m_column);
    m_columnLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->addWidget(m_column, 0, Qt::AlignHCenter | Qt::AlignTop);
    pageLayout->addStretch(1);
    setUpTransparentScrollArea(*m_appearance, m_scrollArea, m_page);
    m_scrollArea->viewport()->installEventFilter(this);
    new FocusInView(m_scrollArea);

    m_helpButton = new FloatingHelpButton(*m_appearance, this);
    connect(m_helpButton, &FloatingHelpButton::helpRequested, this, &ResumeEditorView::openHelp);

    buildSections();

    connect(m_resume.get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property != Resume::LastEdited)
            m_edited = true;
        if (property == Resume::FullName || property == Resume::Title)
            updateNavigationTitle();
    });
    connect(&m_context, &ModelContext::entryChanged, this, [this](Resume* owner, Record*, int) {
        if (owner == m_resume.get())
            m_edited = true;
    });
    connect(m_appearance, &Appearance::changed, this, &ResumeEditorView::applyScheme);
    // Entries saved for the first time (by any save) now carry their store identity.
    connect(&m_context, &ModelContext::didSave, this, [this] {
        if (m_experienceSection)
            m_experienceSection->refreshIdentifiers();
        if (m_educationSection)
            m_educationSection->refreshIdentifiers();
    });
    updateNavigationTitle();
    applyScheme();
    applyMetrics();
}

ResumeEditorView::~ResumeEditorView() = default;

void ResumeEditorView::buildSections() {
    for (const EditorSection section : sectionOrder)
        m_slots.insert(section, nullptr);
    setSectionWidget(EditorSection::basicInfo, makeBasicInfoCard(m_resume, *m_appearance));
    setSectionWidget(EditorSection::summary, makeSummaryCard(m_resume, m_services));
    setSectionWidget(EditorSection::coverLetter,
                     makeCoverLetterCard(m_resume, m_services, [this] { saveResume(); }));
    setSectionWidget(EditorSection::atsVersion, makeATSVersionCard(m_resume, m_services));
    m_experienceSection = new ExperienceSection(*this);
    setSectionWidget(EditorSection::experience, m_experienceSection);
    m_educationSection = new EducationSection(*this);
    setSectionWidget(EditorSection::education, m_educationSection);
    setSectionWidget(EditorSection::skills, makeSkillsCard(
                                                m_resume, m_services, [this] { saveResume(); }, this));
    setSectionWidget(EditorSection::fontStyle,
                     makeFontStyleCard(m_resume, *m_appearance, [this] { openFontPicker(); }));
    setSectionWidget(EditorSection::portfolio, new PortfolioCard(*this));
    m_actions = new EditorActions(*this);
    setSectionWidget(EditorSection::actionsAndStyle, makeActionsStyleCard(*m_actions));
}

QWidget* ResumeEditorView::sectionWidget(EditorSection section) const {
    return m_slots.value(section, nullptr);
}

void ResumeEditorView::setSectionWidget(EditorSection section, QWidget* card) {
    QWidget* previous = m_slots.value(section, nullptr);
    if (previous == card)
        return;
    while (m_columnLayout->count() > 0)
        delete m_columnLayout->takeAt(0);
    if (previous) {
        previous->hide();
        previous->deleteLater();
    }
    m_slots.insert(section, card);
    for (const EditorSection s : sectionOrder) {
        if (QWidget* w = m_slots.value(s, nullptr)) {
            w->setParent(m_column);
            m_columnLayout->addWidget(w);
            w->show();
        }
    }
}

QString ResumeEditorView::navigationTitle() const {
    return m_resume->fullName().isEmpty() ? m_resume->title() : m_resume->fullName();
}

void ResumeEditorView::updateNavigationTitle() {
    m_titleLabel->setFullText(navigationTitle());
    setWindowTitle(navigationTitle());
}

void ResumeEditorView::applyScheme() {
    // The screen follows the scheme even where the desktop palette does not.
    applySchemePalette(this, m_appearance->isLight());
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(m_appearance->isLight()));
    m_titleLabel->setPalette(pal);
}

void ResumeEditorView::applyMetrics() {
    const qreal width = m_scrollArea->viewport()->width();
    m_metrics = metricsForWidth(width);
    auto* pageLayout = static_cast<QVBoxLayout*>(m_page->layout());
    const int h = qRound(m_metrics.horizontalPadding);
    const int v = qRound(m_metrics.verticalPadding);
    // The title sits in the extra space above the cards, level with the help button.
    m_titleLabel->setFixedHeight(qRound(m_metrics.extraTopPadding) + 8);
    m_columnLayout->setSpacing(qRound(m_metrics.spacing));
    const QuilloraResponsiveLayout layout{width};
    // The cards pass under the floating help button as the page scrolls: the column keeps clear
    // of the button's side, centred in the window where there is room for it.
    const int lead = std::max(h, FloatingSymbolButton::contentClearance);
    const qreal available = std::max<qreal>(0, width - lead - h);
    const qreal columnWidth = std::min(available, layout.maxContentWidth().value_or(available));
    const int column = qRound(columnWidth);
    m_column->setFixedWidth(column);
    // The margins take up the room beside the column, so the page asks the column for its height
    // at the column's own width (content that wraps, such as chips, would otherwise be measured
    // too wide and the cards squeezed).
    const int total = std::max(qRound(width) - column, lead + h);
    const int left = std::max(lead, total / 2);
    pageLayout->setContentsMargins(left, v, total - left, v);
    setResponsiveLayout(m_page, layout);
}

void ResumeEditorView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    applyMetrics();
}

bool ResumeEditorView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_scrollArea->viewport() && event->type() == QEvent::Resize)
        applyMetrics();
    return QWidget::eventFilter(watched, event);
}

void ResumeEditorView::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    // The screen goes away (another résumé, the sheet closing): what was typed is stored.
    if (!event->spontaneous())
        saveIfEdited();
}

void ResumeEditorView::applyBackgroundShape(BackgroundShapeType shape) {
    m_services.settings().setBackgroundShapeRaw(rawValue(shape));
}

void ResumeEditorView::applyColorTheme(BackgroundColorTheme theme) {
    m_services.settings().setColorThemeRaw(rawValue(theme));
}

// --- Save -------------------------------------------------------------------------------------

void ResumeEditorView::saveResume() {
    if (m_resume->isDeleted())
        return;
    m_edited = false;
    quillora::saveResume(*m_resume, m_context);
}

void ResumeEditorView::saveIfEdited() {
    // Only opening a résumé and leaving it is no edit: it keeps its place in the list.
    if (m_edited)
        saveResume();
}

void ResumeEditorView::persistPortfolioOrder() {
    if (auto* card = qobject_cast<PortfolioCard*>(sectionWidget(EditorSection::portfolio)))
        card->persistPortfolioOrder();
}

void ResumeEditorView::saveOnBackground() {
    saveIfEdited();
}

void ResumeEditorView::presentSheet(QWidget* sheet) {
    if (auto* dialog = qobject_cast<QDialog*>(sheet))
        dialog->open();
    else
        sheet->show();
    emit sheetPresented(sheet);
}

void ResumeEditorView::focusAfterSheet(QWidget* target) {
    // The window the sheet covered may not be active again yet: the control becomes its focus
    // widget and has the focus as soon as it is.
    if (target != nullptr && target->isVisible() && target->isEnabled())
        target->setFocus(Qt::OtherFocusReason);
}

QMessageBox* ResumeEditorView::makeDeleteAlert(const QString& title, const QString& identifier) {
    auto* alert = new QMessageBox(this);
    alert->setObjectName(identifier);
    alert->setAttribute(Qt::WA_DeleteOnClose);
    alert->setWindowTitle(title);
    alert->setText(title);
    alert->setInformativeText(QStringLiteral("This action cannot be undone."));
    alert->setIcon(QMessageBox::NoIcon);
    // Room for the message on one line.
    alert->setStyleSheet(QStringLiteral("QLabel { min-width: 260px; }"));
    auto* remove = alert->addButton(QStringLiteral("Delete"), QMessageBox::DestructiveRole);
    remove->setObjectName(QStringLiteral("alertDeleteButton"));
    auto* cancel = alert->addButton(QStringLiteral("Cancel"), QMessageBox::RejectRole);
    cancel->setObjectName(QStringLiteral("alertCancelButton"));
    alert->setDefaultButton(cancel);
    alert->setEscapeButton(cancel);
    alert->setWindowModality(Qt::WindowModal);
    m_deleteAlert = alert;
    return alert;
}

namespace {

// What a deleted entry's outcome says: "Deleted experience “Designer, Globex”.", the parts it has.
QString deletedEntryText(const QString& kind, const QStringList& parts) {
    QStringList named;
    for (const QString& part : parts)
        if (!part.trimmed().isEmpty())
            named << part.trimmed();
    if (named.isEmpty())
        return QStringLiteral("Deleted an %1 entry.").arg(kind);
    return QStringLiteral("Deleted %1 “%2”.").arg(kind, named.join(QStringLiteral(", ")));
}

} // namespace

// --- Experience -------------------------------------------------------------------------------

QList<ExperiencePtr> ResumeEditorView::displayedExperience() const {
    return sortedBySortOrder(m_resume->experienceItems());
}

void ResumeEditorView::addExperience() {
    auto entry = std::make_shared<Experience>(QString(), QString(), QString(), QString(), QString(), 0);
    m_pendingExperience = entry;
    openExperience(entry);
}

void ResumeEditorView::openExperience(const ExperiencePtr& entry) {
    if (!entry || m_experienceSheet)
        return;
    m_editingExperience = entry;
    auto* sheet = new ExperienceEditor(entry, m_services, m_resume, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_experienceSheet = sheet;
    connect(sheet, &ExperienceEditor::committed, this, &ResumeEditorView::commitExperience);
    connect(sheet, &QDialog::finished, this, [this, entry] {
        m_experienceSheet = nullptr;
        if (m_editingExperience == entry)
            m_editingExperience.reset();
        // A new entry closed without Save leaves nothing behind.
        if (m_pendingExperience == entry)
            m_pendingExperience.reset();
        // Back in the card: on the entry's row (a new one once saved), or on Add.
        ExperienceRow* row = m_experienceSection->rowFor(entry.get());
        focusAfterSheet(row ? static_cast<QWidget*>(row) : m_experienceSection->addButton());
    });
    presentSheet(sheet);
}

void ResumeEditorView::commitExperience(const ExperiencePtr& entry) {
    const ExperiencePtr pending = std::exchange(m_pendingExperience, nullptr);
    if (!pending || !entry || pending->persistentModelID() != entry->persistentModelID())
        return;
    QList<ExperiencePtr> items = m_resume->experienceItems();
    if (indexOfEntry(items, *entry) >= 0)
        return;
    items.append(entry);
    m_resume->setExperienceItems(items);
    saveResume();
}

void ResumeEditorView::requestExperienceDeletion(const ExperiencePtr& entry) {
    if (!entry || m_deleteAlert)
        return;
    m_experienceToDelete = entry;
    QMessageBox* alert =
        makeDeleteAlert(QStringLiteral("Delete Experience?"), QStringLiteral("deleteExperienceAlert"));
    connect(alert, &QMessageBox::finished, this, [this, alert] {
        m_deleteAlert = nullptr;
        if (alert->buttonRole(alert->clickedButton()) == QMessageBox::DestructiveRole) {
            const int place =
                m_experienceToDelete ? indexOfEntry(displayedExperience(), *m_experienceToDelete) : -1;
            const QString said =
                m_experienceToDelete
                    ? deletedEntryText(QStringLiteral("experience"),
                                       {m_experienceToDelete->role(), m_experienceToDelete->company()})
                    : QString();
            deleteExperience();
            // Said once, with the focus on the row now in its place, else the one before, else Add.
            const QList<ExperienceRow*> rows = m_experienceSection->rows();
            QWidget* focus = rows.isEmpty() ? static_cast<QWidget*>(m_experienceSection->addButton())
                                            : rows.at(std::clamp(place, 0, int(rows.size()) - 1));
            focusAfterSheet(focus);
            announceOutcome(this, said, focus);
        } else {
            m_experienceToDelete.reset();
        }
    });
    presentSheet(alert);
}

void ResumeEditorView::deleteExperience() {
    if (m_experienceToDelete) {
        if (auto remaining = withoutEntry(m_resume->experienceItems(), *m_experienceToDelete)) {
            m_resume->setExperienceItems(*remaining);
            saveResume();
        }
    }
    m_experienceToDelete.reset();
}

void ResumeEditorView::moveExperience(int from, int to) {
    auto moved = movedEntries(m_resume->experienceItems(), from, to);
    if (!moved)
        return;
    m_resume->setExperienceItems(*moved);
    saveResume();
}

void ResumeEditorView::moveExperienceBy(const ExperiencePtr& entry, int step) {
    const QList<ExperiencePtr> shown = displayedExperience();
    const int from = entry ? indexOfEntry(shown, *entry) : -1;
    const int to = from + step;
    if (from < 0)
        return;
    if (to < 0 || to >= shown.size()) {
        announceOutcome(this, cannotMoveText(step));
        return;
    }
    // The same move a drag of the entry onto that row makes.
    const auto positions = dropMovePositions(shown, entry, shown.at(to));
    if (!positions)
        return;
    // The row that asked (holding the focus) keeps it, in view at its new place.
    QWidget* mover = QApplication::focusWidget();
    while (mover != nullptr && mover != this && !qobject_cast<ExperienceRow*>(mover))
        mover = mover->parentWidget();
    if (auto* row = qobject_cast<ExperienceRow*>(mover); row == nullptr || row->entry() != entry)
        mover = nullptr;
    moveExperience(positions->first, positions->second);
    const QList<ExperiencePtr> now = displayedExperience();
    announceOutcome(this, movedToPositionText(indexOfEntry(now, *entry) + 1, int(now.size())), mover);
}

void ResumeEditorView::setReorderMode(bool on) {
    if (m_reorderMode == on)
        return;
    m_reorderMode = on;
    emit reorderModeChanged(on);
}

void ResumeEditorView::toggleReorderMode() {
    setReorderMode(!m_reorderMode);
}

void ResumeEditorView::setDraggingExperience(const ExperiencePtr& entry) {
    if (m_draggingExperience == entry)
        return;
    m_draggingExperience = entry;
    emit draggingExperienceChanged();
}

void ResumeEditorView::beginExperienceDrag(const ExperiencePtr& entry, QWidget* source) {
    if (!entry || m_draggingExperience)
        return;
    setDraggingExperience(entry);
    QPointer<QDrag> drag = new QDrag(source);
    auto* mime = new QMimeData;
    mime->setText(entry->persistentModelID().description());
    drag->setMimeData(mime);
    if (source) {
        // The row lifted on a translucent tile of the sheet colour.
        const qreal ratio = source->devicePixelRatioF();
        QPixmap image(source->size() * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        {
            QPainter painter(&image);
            painter.setRenderHint(QPainter::Antialiasing);
            QPainterPath tile;
            tile.addRoundedRect(QRectF(QPointF(0, 0), QSizeF(source->size())), 10, 10);
            painter.fillPath(tile, withAlpha(schemeColors::sheetBackground(m_appearance->isLight()), 0.85));
        }
        source->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        drag->setPixmap(image);
        drag->setHotSpot(QPoint(source->width() / 2, source->height() / 2));
    }
    if (m_dragRunner)
        m_dragRunner(*drag);
    else
        drag->exec(Qt::MoveAction);
    if (drag)
        drag->deleteLater();
    // However the drag ended (on a row, elsewhere, cancelled), nothing stays dragged.
    setDraggingExperience(nullptr);
}

void ResumeEditorView::experienceDragEntered(const ExperiencePtr& target) {
    const auto positions = dropMovePositions(displayedExperience(), m_draggingExperience, target);
    if (positions)
        moveExperience(positions->first, positions->second);
}

void ResumeEditorView::experienceDropped() {
    setDraggingExperience(nullptr);
}

// --- Education --------------------------------------------------------------------------------

QList<EducationPtr> ResumeEditorView::displayedEducation() const {
    return sortedBySortOrder(m_resume->educationItems());
}

void ResumeEditorView::addEducation() {
    auto entry = std::make_shared<Education>(QString(), QString(), QString(), 0);
    m_pendingEducation = entry;
    openEducation(entry);
}

void ResumeEditorView::openEducation(const EducationPtr& entry) {
    if (!entry || m_educationSheet)
        return;
    m_editingEducation = entry;
    auto* sheet = new EducationEditor(entry, m_services, this);
    sheet->setAttribute(Qt::WA_DeleteOnClose);
    m_educationSheet = sheet;
    connect(sheet, &EducationEditor::committed, this, &ResumeEditorView::commitEducation);
    connect(sheet, &QDialog::finished, this, [this, entry] {
        m_educationSheet = nullptr;
        if (m_editingEducation == entry)
            m_editingEducation.reset();
        if (m_pendingEducation == entry)
            m_pendingEducation.reset();
        QWidget* row = m_educationSection->rowFor(entry.get());
        focusAfterSheet(row ? row : m_educationSection->addButton());
    });
    presentSheet(sheet);
}

void ResumeEditorView::commitEducation(const EducationPtr& entry) {
    const EducationPtr pending = std::exchange(m_pendingEducation, nullptr);
    if (!pending || !entry || pending->persistentModelID() != entry->persistentModelID())
        return;
    QList<EducationPtr> items = m_resume->educationItems();
    if (indexOfEntry(items, *entry) >= 0)
        return;
    items.append(entry);
    m_resume->setEducationItems(items);
    saveResume();
}

void ResumeEditorView::requestEducationDeletion(const EducationPtr& entry) {
    if (!entry || m_deleteAlert)
        return;
    m_educationToDelete = entry;
    QMessageBox* alert =
        makeDeleteAlert(QStringLiteral("Delete Education?"), QStringLiteral("deleteEducationAlert"));
    connect(alert, &QMessageBox::finished, this, [this, alert] {
        m_deleteAlert = nullptr;
        if (alert->buttonRole(alert->clickedButton()) == QMessageBox::DestructiveRole) {
            const int place =
                m_educationToDelete ? indexOfEntry(displayedEducation(), *m_educationToDelete) : -1;
            const QString said =
                m_educationToDelete
                    ? deletedEntryText(QStringLiteral("education"),
                                       {m_educationToDelete->degree(), m_educationToDelete->school()})
                    : QString();
            deleteEducation();
            // Said once, with the focus on the row now in the deleted one's place, else the one
            // before it, else Add.
            const QList<EducationOpenButton*> rows = m_educationSection->rows();
            QWidget* focus = rows.isEmpty() ? static_cast<QWidget*>(m_educationSection->addButton())
                                            : rows.at(std::clamp(place, 0, int(rows.size()) - 1));
            focusAfterSheet(focus);
            announceOutcome(this, said, focus);
        } else {
            m_educationToDelete.reset();
        }
    });
    presentSheet(alert);
}

void ResumeEditorView::deleteEducation() {
    // The removal is stored with the next save, like any field edit.
    if (m_educationToDelete) {
        if (auto remaining = withoutEntry(m_resume->educationItems(), *m_educationToDelete))
            m_resume->setEducationItems(*remaining);
    }
    m_educationToDelete.reset();
}

// --- Sheets -----------------------------------------------------------------------------------

ExperienceEditor* ResumeEditorView::experienceSheet() const {
    return m_experienceSheet.data();
}

EducationEditor* ResumeEditorView::educationSheet() const {
    return m_educationSheet.data();
}

FontPickerView* ResumeEditorView::fontPicker() const {
    return m_fontPicker.data();
}

HelpSheetContainer* ResumeEditorView::helpSheet() const {
    return m_helpSheet.data();
}

QMessageBox* ResumeEditorView::deleteAlert() const {
    return m_deleteAlert.data();
}

void ResumeEditorView::openFontPicker() {
    if (m_fontPicker) {
        m_fontPicker->raise();
        return;
    }
    auto* picker = new FontPickerView(m_services, m_resume->fontName(), this);
    picker->setAttribute(Qt::WA_DeleteOnClose);
    m_fontPicker = picker;
    connect(picker, &QDialog::finished, this, [this] { m_fontPicker = nullptr; });
    Resume* r = m_resume.get();
    connect(picker, &FontPickerView::fontSelected, this, [r](const QString& name) { r->setFontName(name); });
    connect(r, &Resume::changed, picker, [picker, r](Resume::Property property) {
        if (property == Resume::FontName)
            picker->setSelectedFont(r->fontName());
    });
    presentSheet(picker);
}

void ResumeEditorView::openHelp() {
    if (m_helpSheet) {
        m_helpSheet->raise();
        return;
    }
    HelpSheetContainer* sheet =
        makeEditorHelpSheet(*m_appearance, QStringLiteral("Editor Help"), editorHelpContent(), this);
    sheet->setObjectName(QStringLiteral("editorHelpSheet"));
    sheet->setWindowModality(Qt::WindowModal);
    m_helpSheet = sheet;
    m_helpButton->setPresented(true);
    connect(sheet, &QDialog::finished, this, [this] {
        m_helpSheet = nullptr;
        m_helpButton->setPresented(false);
    });
    presentSheet(sheet);
}

} // namespace quillora
