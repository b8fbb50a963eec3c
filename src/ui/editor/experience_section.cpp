#include "editor/experience_section.h"

#include "controls/editor_section_card.h"
#include "controls/focus_ring.h"
#include "controls/layout_move_animation.h"
#include "controls/opacity_transition.h"
#include "controls/ordered_rows.h"
#include "controls/outcome.h"
#include "editor/editor_controls.h"
#include "editor/resume_editor_view.h"
#include "platform/appearance.h"
#include "store/model_context.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QAccessible>
#include <QApplication>
#include <QDragEnterEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QVBoxLayout>

namespace quillora {

namespace {

const QString rowIdentifierPrefix = QStringLiteral("experienceRow");
const QString deleteIdentifierPrefix = QStringLiteral("deleteExperienceButton");

} // namespace

ExperienceRow::ExperienceRow(ResumeEditorView& editor, const ExperiencePtr& entry, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_entry(entry)
    , m_appearance(&editor.appearance())
    , m_role(new QLabel(this))
    , m_detail(new QLabel(this))
    , m_delete(
          new SymbolIconButton(editor.appearance(), QStringLiteral("trash"), destructiveIconColor, 16, this))
    , m_deleteTransition(new OpacityTransition(m_delete, editor.appearance(), defaultAnimationMs)) {
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    auto* layout = new QHBoxLayout(this);
    // 6 points above and below the texts; one more below for the divider.
    // The text keeps clear of the focus ring drawn along the row's edge.
    layout->setContentsMargins(8, 6, 6, 7);
    auto* texts = new QVBoxLayout;
    texts->setSpacing(2);
    m_role->setTextFormat(Qt::PlainText);
    m_role->setFont(systemFont(15, QFont::DemiBold));
    m_role->setWordWrap(false);
    m_role->setMinimumWidth(1); // long texts are cut at the edge rather than widening the card
    m_detail->setTextFormat(Qt::PlainText);
    m_detail->setFont(systemFont(12));
    m_detail->setWordWrap(false);
    m_detail->setMinimumWidth(1);
    texts->addWidget(m_role);
    texts->addWidget(m_detail);
    layout->addLayout(texts, 1);
    layout->addWidget(m_delete, 0, Qt::AlignVCenter);
    m_delete->setAccessibleName(QStringLiteral("Delete experience"));
    m_delete->setAccessibleDescription(QStringLiteral("Removes this experience entry"));
    connect(m_delete, &QAbstractButton::clicked, this,
            [this] { m_editor.requestExperienceDeletion(m_entry); });
    connect(m_entry.get(), &Record::propertyChanged, this, &ExperienceRow::refresh);
    connect(m_appearance, &Appearance::changed, this, &ExperienceRow::applyScheme);
    applyScheme();
    refresh();
}

ExperienceRow::~ExperienceRow() = default;

QWidget* ExperienceRow::deleteButton() const {
    return m_delete;
}

QStringList ExperienceRow::accessibleActionNames() const {
    QStringList names{moveUpAction(), moveDownAction()};
    if (!m_editor.isReorderMode())
        names.prepend(QAccessibleActionInterface::pressAction());
    return names;
}

void ExperienceRow::triggerAccessibleAction(const QString& name) {
    if (const int step = moveStepForAction(name))
        m_editor.moveExperienceBy(m_entry, step);
    else if (name == QAccessibleActionInterface::pressAction() && !m_editor.isReorderMode())
        m_editor.openExperience(m_entry);
}

void ExperienceRow::refreshIdentifier() {
    if (!m_identifierTemporary)
        return;
    const PersistentIdentifier id = m_entry->persistentModelID();
    m_identifierTemporary = id.isTemporary();
    setObjectName(rowIdentifierPrefix + id.description());
    m_delete->setObjectName(deleteIdentifierPrefix + id.description());
}

void ExperienceRow::refresh() {
    const Experience& e = *m_entry;
    m_identifierTemporary = true;
    refreshIdentifier();
    m_role->setText(e.role());
    m_detail->setText(e.company() + QStringLiteral(" · ") + e.startDate() + QStringLiteral(" – ") +
                      e.endDate());
    setAccessibleName(e.role() + QStringLiteral(", ") + e.company() + QStringLiteral(", ") + e.startDate() +
                      QStringLiteral(" to ") + e.endDate());
    const bool reorder = m_editor.isReorderMode();
    setAccessibleDescription(reorder ? reorderHint(false) : QStringLiteral("Opens this experience entry"));
    m_deleteTransition->setShown(!reorder);
    setCursor(reorder ? Qt::OpenHandCursor : Qt::PointingHandCursor);
}

void ExperienceRow::applyScheme() {
    const bool light = m_appearance->isLight();
    QPalette rolePalette = m_role->palette();
    rolePalette.setColor(QPalette::WindowText, cardInk(light));
    m_role->setPalette(rolePalette);
    QPalette detailPalette = m_detail->palette();
    detailPalette.setColor(QPalette::WindowText, schemeColors::secondaryLabel(light));
    m_detail->setPalette(detailPalette);
    update();
}

void ExperienceRow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool light = m_appearance->isLight();
    // The divider under the row, at 35 %.
    QColor divider = light ? QColor(60, 60, 67, 74) : QColor(84, 84, 88, 153);
    painter.fillRect(QRect(0, height() - 1, width(), 1), withAlpha(divider, 0.35));
    if (hasFocus())
        paintFocusRing(painter, QRectF(rect()).adjusted(0, 0, 0, -1), 8, light);
}

void ExperienceRow::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_dragStarted = false;
        m_pressPos = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void ExperienceRow::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed && !m_dragStarted && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_dragStarted = true;
        m_pressed = false;
        // The editor runs the drag to its end; this row may move under the pointer meanwhile.
        m_editor.beginExperienceDrag(m_entry, this);
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void ExperienceRow::mouseReleaseEvent(QMouseEvent* event) {
    const bool click = m_pressed && !m_dragStarted && event->button() == Qt::LeftButton &&
                       rect().contains(event->position().toPoint());
    m_pressed = false;
    m_dragStarted = false;
    if (click && !m_editor.isReorderMode())
        m_editor.openExperience(m_entry);
    QWidget::mouseReleaseEvent(event);
}

void ExperienceRow::keyPressEvent(QKeyEvent* event) {
    if (const int step = moveStepForKey(*event, false, layoutDirection())) {
        m_editor.moveExperienceBy(m_entry, step);
        return;
    }
    if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter || event->key() == Qt::Key_Space) &&
        !m_editor.isReorderMode()) {
        m_editor.openExperience(m_entry);
        return;
    }
    QWidget::keyPressEvent(event);
}

void ExperienceRow::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    m_editor.experienceDragEntered(m_entry);
}

void ExperienceRow::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void ExperienceRow::dropEvent(QDropEvent* event) {
    m_editor.experienceDropped();
    event->acceptProposedAction();
}

// --- ExperienceSection -----------------------------------------------------------------------

ExperienceSection::ExperienceSection(ResumeEditorView& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor) {
    setObjectName(QStringLiteral("experienceSection"));
    m_moveAnimation = new LayoutMoveAnimation(editor.appearance(), 200, QEasingCurve::InOutQuad, this);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_rowsHost = new QWidget(content);
    m_rowsHost->setObjectName(QStringLiteral("experienceRows"));
    m_rowsLayout = new QVBoxLayout(m_rowsHost);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(0);
    layout->addWidget(m_rowsHost);
    layout->addSpacing(6);
    layout->addWidget(new EditorDivider(
        m_editor.appearance(),
        [](bool light) { return light ? QColor(60, 60, 67, 74) : QColor(84, 84, 88, 153); }, content));
    layout->addSpacing(6);

    auto* buttons = new QHBoxLayout;
    buttons->setContentsMargins(0, 0, 0, 0);
    m_add = new SymbolTextButton(m_editor.appearance(), QStringLiteral("plus.circle.fill"),
                                 QStringLiteral("Add Experience"), content);
    m_add->setObjectName(QStringLiteral("addExperienceButton"));
    m_add->setAccessibleName(QStringLiteral("Add Experience"));
    m_add->setColors([](bool light) { return accentColor(light); });
    connect(m_add, &QAbstractButton::clicked, this, [this] { m_editor.addExperience(); });
    m_reorder = new SymbolTextButton(m_editor.appearance(), QStringLiteral("arrow.up.arrow.down"),
                                     QStringLiteral("Reorder"), content);
    m_reorder->setObjectName(QStringLiteral("reorderExperienceButton"));
    m_reorderTransition = new OpacityTransition(m_reorder, m_editor.appearance(), defaultAnimationMs);
    connect(m_reorder, &QAbstractButton::clicked, this, [this] {
        m_editor.toggleReorderMode();
        // The button stays under the focus with its new title; what changed is said.
        announceOutcome(m_reorder, m_editor.isReorderMode()
                                       ? QStringLiteral("Reordering roles: drag one, or press Alt+Up or "
                                                        "Alt+Down on it to move it one place.")
                                       : QStringLiteral("Done reordering roles."));
    });
    // The pair sits side by side in the middle of the card.
    buttons->setSpacing(8);
    buttons->addStretch(1);
    buttons->addWidget(m_add);
    buttons->addWidget(m_reorder);
    buttons->addStretch(1);
    layout->addLayout(buttons);

    m_card = new EditorSectionCard(m_editor.appearance(), QStringLiteral("briefcase.fill"),
                                   QStringLiteral("Experience"),
                                   QStringLiteral("Your roles, impact, and timeline"),
                                   cardInk(m_editor.appearance().isLight()), content, this);
    m_card->setObjectName(QStringLiteral("experienceCard"));
    connect(&m_editor.appearance(), &Appearance::changed, m_card,
            [this] { m_card->setAccent(cardInk(m_editor.appearance().isLight())); });
    outer->addWidget(m_card);

    connect(editor.resume().get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::ExperienceItems)
            sync();
    });
    connect(&editor, &ResumeEditorView::reorderModeChanged, this, [this] {
        // The button's new title and colour fade in as the delete buttons fade out or in.
        updateReorderButton();
        m_reorderTransition->fadeInContent();
        refreshRows();
    });
    updateReorderButton();
    sync();
}

ExperienceSection::~ExperienceSection() = default;

QList<ExperienceRow*> ExperienceSection::rows() const {
    QList<ExperienceRow*> ordered;
    for (int i = 0; i < m_rowsLayout->count(); ++i) {
        if (auto* row = qobject_cast<ExperienceRow*>(m_rowsLayout->itemAt(i)->widget()))
            ordered.append(row);
    }
    return ordered;
}

void ExperienceSection::sync() {
    const QList<ExperiencePtr> shown = m_editor.displayedExperience();
    // The same entries in another order (a move): the rows slide to their new places.
    bool reordered = shown.size() == m_rows.size() && shown.size() > 1;
    QHash<Experience*, ExperienceRow*> kept;
    kept.reserve(shown.size());
    QList<QWidget*> ordered;
    ordered.reserve(shown.size());
    QList<ExperienceRow*> added;
    for (const ExperiencePtr& entry : shown) {
        ExperienceRow* row = m_rows.take(entry.get());
        if (!row) {
            reordered = false;
            row = new ExperienceRow(m_editor, entry, m_rowsHost);
            added.append(row);
        }
        kept.insert(entry.get(), row);
        ordered.append(row);
    }
    if (reordered)
        m_moveAnimation->capture(ordered);
    // Rows of entries that left the list go once the current event is done (one of them may
    // be the source of a drag still running).
    for (ExperienceRow* gone : std::as_const(m_rows)) {
        gone->hide();
        gone->deleteLater();
    }
    m_rows = kept;
    // Only the rows that moved, came or went are placed again; the others keep their place.
    arrangeInOrder(*m_rowsLayout, ordered);
    for (ExperienceRow* row : std::as_const(added))
        row->show();
    if (reordered)
        m_moveAnimation->play(m_rowsLayout);
}

void ExperienceSection::refreshRows() {
    for (ExperienceRow* row : std::as_const(m_rows))
        row->refresh();
}

void ExperienceSection::refreshIdentifiers() {
    for (ExperienceRow* row : std::as_const(m_rows))
        row->refreshIdentifier();
}

void ExperienceSection::updateReorderButton() {
    const bool reorder = m_editor.isReorderMode();
    m_reorder->setText(reorder ? QStringLiteral("Done") : QStringLiteral("Reorder"));
    m_reorder->setAccessibleName(m_reorder->text());
    if (reorder)
        m_reorder->setColors([](bool light) { return accentColor(light); });
    else
        m_reorder->setColors(cardInk);
    m_reorder->updateGeometry();
}

} // namespace quillora
