#include "editor/education_section.h"

#include "controls/editor_section_card.h"
#include "controls/focus_ring.h"
#include "controls/ordered_rows.h"
#include "editor/editor_controls.h"
#include "editor/resume_editor_view.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QHBoxLayout>
#include <QPainter>
#include <QVBoxLayout>

namespace quillora {

namespace {

// Room kept between the button's edge, where the focus ring runs, and its text.
constexpr int ringClearance = 5;

constexpr qreal titlePoints = 15;
constexpr qreal schoolPoints = 12;

} // namespace

EducationOpenButton::EducationOpenButton(Appearance& appearance, const EducationPtr& entry, QWidget* parent)
    : QAbstractButton(parent)
    , m_entry(entry)
    , m_appearance(&appearance) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    setAccessibleDescription(QStringLiteral("Opens this education entry"));
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    connect(m_entry.get(), &Record::propertyChanged, this, &EducationOpenButton::refresh);
    refresh();
}

EducationOpenButton::~EducationOpenButton() = default;

QString EducationOpenButton::titleText() const {
    return m_entry->degree().isEmpty() ? QStringLiteral("New Degree") : m_entry->degree();
}

bool EducationOpenButton::refreshIdentifier() {
    if (!m_identifierTemporary)
        return false;
    const PersistentIdentifier id = m_entry->persistentModelID();
    m_identifierTemporary = id.isTemporary();
    setObjectName(QStringLiteral("educationRow") + id.description());
    return true;
}

void EducationOpenButton::refresh() {
    m_identifierTemporary = true;
    refreshIdentifier();
    setAccessibleName(titleText() + QStringLiteral(", ") + m_entry->school());
    updateGeometry();
    update();
}

QSize EducationOpenButton::sizeHint() const {
    const QFontMetrics title(systemFont(titlePoints, QFont::DemiBold));
    const QFontMetrics school(systemFont(schoolPoints));
    // The text keeps clear of the focus ring drawn along the edge.
    return QSize(std::max(title.horizontalAdvance(titleText()), school.horizontalAdvance(m_entry->school())) +
                     2 * ringClearance,
                 title.height() + 2 + school.height() + 2 * ringClearance);
}

QSize EducationOpenButton::minimumSizeHint() const {
    return QSize(40, sizeHint().height());
}

void EducationOpenButton::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setOpacity(isDown() ? 0.6 : 1.0);
    const QFont titleFont = systemFont(titlePoints, QFont::DemiBold);
    const QFont schoolFont = systemFont(schoolPoints);
    const QFontMetrics title(titleFont);
    const QFontMetrics school(schoolFont);
    painter.setFont(titleFont);
    painter.setPen(schemeColors::primaryLabel(light));
    const int textWidth = width() - 2 * ringClearance;
    painter.drawText(QRect(ringClearance, ringClearance, textWidth, title.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     title.elidedText(titleText(), Qt::ElideRight, textWidth));
    painter.setFont(schoolFont);
    painter.setPen(schemeColors::secondaryLabel(light));
    painter.drawText(QRect(ringClearance, ringClearance + title.height() + 2, textWidth, school.height()),
                     Qt::AlignLeft | Qt::AlignVCenter,
                     school.elidedText(m_entry->school(), Qt::ElideRight, textWidth));
    if (hasFocus())
        paintFocusRing(painter, QRectF(rect()), 6, light);
}

EducationSection::EducationSection(ResumeEditorView& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor) {
    setObjectName(QStringLiteral("educationSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    m_rowsHost = new QWidget(content);
    m_rowsHost->setObjectName(QStringLiteral("educationRows"));
    m_rowsLayout = new QVBoxLayout(m_rowsHost);
    m_rowsLayout->setContentsMargins(0, 0, 0, 0);
    m_rowsLayout->setSpacing(8);
    layout->addWidget(m_rowsHost);
    auto* divider = new EditorDivider(
        m_editor.appearance(),
        [](bool light) { return light ? QColor(60, 60, 67, 74) : QColor(84, 84, 88, 153); }, content);
    layout->addSpacing(4);
    layout->addWidget(divider);
    layout->addSpacing(4);
    m_add = new SymbolTextButton(m_editor.appearance(), QStringLiteral("plus.circle.fill"),
                                 QStringLiteral("Add Education"), content);
    m_add->setObjectName(QStringLiteral("addEducationButton"));
    m_add->setAccessibleName(QStringLiteral("Add Education"));
    m_add->setColors([](bool light) { return accentColor(light); });
    connect(m_add, &QAbstractButton::clicked, this, [this] { m_editor.addEducation(); });
    layout->addWidget(m_add, 0, Qt::AlignLeft);

    m_card = new EditorSectionCard(m_editor.appearance(), QStringLiteral("graduationcap.fill"),
                                   QStringLiteral("Education"), QStringLiteral("Where you learned and grew"),
                                   cardInk(m_editor.appearance().isLight()), content, this);
    m_card->setObjectName(QStringLiteral("educationCard"));
    connect(&m_editor.appearance(), &Appearance::changed, m_card,
            [this] { m_card->setAccent(cardInk(m_editor.appearance().isLight())); });
    outer->addWidget(m_card);

    connect(editor.resume().get(), &Resume::changed, this, [this](Resume::Property property) {
        if (property == Resume::EducationItems)
            sync();
    });
    sync();
}

EducationSection::~EducationSection() = default;

EducationSection::Row EducationSection::makeRow(const EducationPtr& entry) {
    Row row;
    row.widget = new QWidget(m_rowsHost);
    auto* layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(0, 4, 0, 4);
    layout->setSpacing(8);
    row.open = new EducationOpenButton(m_editor.appearance(), entry, row.widget);
    row.remove = new SymbolIconButton(m_editor.appearance(), QStringLiteral("trash"), destructiveIconColor,
                                      14, row.widget);
    row.remove->setAccessibleName(QStringLiteral("Delete education"));
    row.remove->setAccessibleDescription(QStringLiteral("Removes this education entry"));
    layout->addWidget(row.open, 1);
    layout->addWidget(row.remove, 0, Qt::AlignTop);
    const std::weak_ptr<Education> weak = entry;
    connect(row.open, &QAbstractButton::clicked, this, [this, weak] {
        if (auto e = weak.lock())
            m_editor.openEducation(e);
    });
    connect(row.remove, &QAbstractButton::clicked, this, [this, weak] {
        if (auto e = weak.lock())
            m_editor.requestEducationDeletion(e);
    });
    return row;
}

void EducationSection::sync() {
    const QList<EducationPtr> shown = m_editor.displayedEducation();
    QHash<Education*, Row> kept;
    kept.reserve(shown.size());
    QList<QWidget*> ordered;
    ordered.reserve(shown.size());
    QList<std::pair<Education*, Row>> added;
    for (const EducationPtr& entry : shown) {
        Row row = m_rows.take(entry.get());
        if (!row.widget) {
            row = makeRow(entry);
            added.append({entry.get(), row});
        }
        kept.insert(entry.get(), row);
        ordered.append(row.widget);
    }
    for (const Row& gone : std::as_const(m_rows)) {
        gone.widget->hide();
        gone.widget->deleteLater();
    }
    m_rows = kept;
    // Only the rows that moved, came or went are placed again.
    arrangeInOrder(*m_rowsLayout, ordered);
    for (const auto& [entry, row] : std::as_const(added)) {
        row.widget->show();
        refreshRow(*entry, row);
    }
    m_rowsHost->setVisible(!m_rows.isEmpty());
}

void EducationSection::refreshRow(const Education& entry, const Row& row) {
    row.open->refresh();
    row.remove->setObjectName(QStringLiteral("deleteEducationButton") +
                              entry.persistentModelID().description());
}

void EducationSection::refreshRows() {
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it)
        refreshRow(*it.key(), it.value());
}

void EducationSection::refreshIdentifiers() {
    for (auto it = m_rows.cbegin(); it != m_rows.cend(); ++it) {
        if (it.value().open->refreshIdentifier())
            it.value().remove->setObjectName(QStringLiteral("deleteEducationButton") +
                                             it.key()->persistentModelID().description());
    }
}

QList<EducationOpenButton*> EducationSection::rows() const {
    QList<EducationOpenButton*> ordered;
    for (int i = 0; i < m_rowsLayout->count(); ++i) {
        if (QWidget* w = m_rowsLayout->itemAt(i)->widget())
            ordered.append(w->findChild<EducationOpenButton*>());
    }
    return ordered;
}

} // namespace quillora
