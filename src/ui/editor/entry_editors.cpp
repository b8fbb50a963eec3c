#include "editor/entry_editors.h"

#include "app/services.h"
#include "controls/field_binding.h"
#include "controls/floating_buttons.h"
#include "controls/focus_ring.h"
#include "controls/frosted_card.h"
#include "controls/one_line_field.h"
#include "controls/window_placement.h"
#include "editor/editor_controls.h"
#include "editor/editor_help.h"
#include "editor/refinable_text_editor_factory.h"
#include "help/help_sheet_container.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include "controls/overlay_scroll_bar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillora {

namespace {

QColor cardStroke(bool light) {
    return withAlpha(cardInk(light), light ? 0.45 : 0.25);
}

QColor dividerTint(bool light) {
    return withAlpha(cardInk(light), light ? 0.18 : 0.12);
}

QColor saveLabelColor(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.85f) : QColor(255, 255, 255);
}

} // namespace

// --- EntrySaveButton --------------------------------------------------------------------------

EntrySaveButton::EntrySaveButton(Appearance& appearance, QWidget* parent)
    : QPushButton(QStringLiteral("Save"), parent)
    , m_appearance(&appearance) {
    setCursor(Qt::PointingHandCursor);
    setFont(systemFont(16, QFont::DemiBold));
    setMaximumWidth(100);
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

EntrySaveButton::~EntrySaveButton() = default;

QSize EntrySaveButton::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(std::min(100, fm.horizontalAdvance(text()) + 32), fm.height() + 16);
}

void EntrySaveButton::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    QPainterPath capsule;
    capsule.addRoundedRect(box, box.height() / 2, box.height() / 2);
    painter.fillPath(capsule, QColor::fromRgbF(1, 1, 1, isDown() ? 0.2f : 0.1f));
    QPen pen(cardStroke(light), 0.9, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(capsule, pen);
    painter.setPen(saveLabelColor(light));
    painter.setFont(font());
    painter.drawText(rect(), Qt::AlignCenter, text());
    if (hasFocus())
        paintFocusRing(painter, box, box.height() / 2, light);
}

// --- EntryEditorSheet -------------------------------------------------------------------------

EntryEditorSheet::EntryEditorSheet(Services& services, const QString& title, const QString& helpTitle,
                                   QWidget* parent)
    : QDialog(parent)
    , m_title(title)
    , m_helpTitle(helpTitle)
    , m_services(services)
    , m_appearance(&services.appearance())
    , m_background(new ThemedBackground(services.settings(), *m_appearance, this))
    , m_scrollArea(new ContentSizedScrollArea(m_background))
    , m_page(new QWidget)
    , m_pageLayout(new QVBoxLayout(m_page))
    , m_titleLabel(new QLabel(title, m_background)) {
    setWindowTitle(title);
    setAccessibleName(title);
    setWindowModality(Qt::WindowModal);
    m_background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_background);
    // The inline title stays put, level with the floating buttons, as a navigation bar does; the
    // cards scroll below it, so nothing ever passes under the buttons; the Save row below them
    // stays in view however short the screen is.
    auto* inner = new QVBoxLayout(m_background);
    inner->setContentsMargins(0, 0, 0, 0);
    inner->setSpacing(0);
    inner->addWidget(m_titleLabel);
    inner->addWidget(m_scrollArea);
    m_footer = new QHBoxLayout;
    m_footer->setContentsMargins(20, 0, 20, 20);
    inner->addLayout(m_footer);
    inner->addStretch(1);

    setUpTransparentScrollArea(*m_appearance, m_scrollArea, m_page);

    // The title's band reaches just below the floating buttons, its text centred on them; the
    // cards follow 6 points apart.
    m_pageLayout->setContentsMargins(20, 12, 20, 12);
    m_pageLayout->setSpacing(12);
    m_titleLabel->setObjectName(QStringLiteral("entryEditorTitle"));
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(systemFont(17, QFont::DemiBold));
    constexpr int buttonTop = FloatingSymbolButton::cornerMargin;
    constexpr int band = FloatingSymbolButton::contentClearance;
    m_titleLabel->setContentsMargins(band, buttonTop, band,
                                     band - buttonTop - FloatingSymbolButton::glyphSide);
    m_titleLabel->setFixedHeight(band);

    new FloatingCloseButton(*m_appearance, this, true);
    m_helpButton = new FloatingHelpButton(*m_appearance, this);
    connect(m_helpButton, &FloatingHelpButton::helpRequested, this, &EntryEditorSheet::openHelp);
    connect(m_appearance, &Appearance::changed, this, &EntryEditorSheet::applyScheme);
    applyScheme();
    fitToAvailableGeometry(this, QSize(620, 600));
}

EntryEditorSheet::~EntryEditorSheet() = default;

FrostedCard* EntryEditorSheet::addCard() {
    auto* card = new FrostedCard(22, m_page);
    const auto style = [this, card] {
        const bool light = m_appearance->isLight();
        card->setLightScheme(light);
        card->setStroke(cardStroke(light), 0.9);
    };
    style();
    connect(m_appearance, &Appearance::changed, card, style);
    m_pageLayout->addWidget(card);
    m_cards.append(card);
    return card;
}

FrostedCard* EntryEditorSheet::addFieldsCard(const std::shared_ptr<Record>& entry,
                                             const QList<FieldSpec>& fields) {
    FrostedCard* card = addCard();
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(10);
    bool first = true;
    QLineEdit* firstField = nullptr;
    for (const FieldSpec& wanted : fields) {
        if (!first)
            layout->addWidget(new EditorDivider(*m_appearance, dividerTint, card));
        first = false;
        auto* field = makeOneLineField(card);
        field->setObjectName(wanted.identifier);
        field->setPlaceholderText(wanted.title);
        field->setAccessibleName(wanted.title);
        styleInlineField(field, 16, *m_appearance);
        bindField(field, entry, wanted.property);
        field->setCursorPosition(0); // a long value shows its beginning
        // Return in a field saves, as the sheet's default action.
        connect(field, &QLineEdit::returnPressed, this, [this] {
            if (m_save)
                m_save->click();
        });
        layout->addWidget(field);
        if (!firstField)
            firstField = field;
    }
    // Typing starts in the first field.
    if (firstField)
        setFocusProxy(firstField);
    return card;
}

void EntryEditorSheet::finishLayout(const QString& saveIdentifier) {
    m_save = new EntrySaveButton(*m_appearance, m_background);
    m_save->setObjectName(saveIdentifier);
    m_save->setDefault(false);
    m_save->setAutoDefault(false);
    connect(m_save, &QAbstractButton::clicked, this, &EntryEditorSheet::editorSaveAction);
    m_footer->addStretch(1);
    m_footer->addWidget(m_save);
    m_footer->addStretch(1);
}

void EntryEditorSheet::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (focusProxy())
        focusProxy()->setFocus(Qt::OtherFocusReason);
}

void EntryEditorSheet::editorSaveAction() {
    commit();
    accept();
}

void EntryEditorSheet::openHelp() {
    if (m_help) {
        m_help->raise();
        return;
    }
    m_help = makeEditorHelpSheet(*m_appearance, m_helpTitle, helpContent(), this);
    m_help->setObjectName(QStringLiteral("entryHelpSheet"));
    m_helpButton->setPresented(true);
    connect(m_help, &QDialog::finished, this, [this] {
        m_help = nullptr;
        m_helpButton->setPresented(false);
    });
    m_help->setWindowModality(Qt::WindowModal);
    m_help->open();
}

void EntryEditorSheet::applyScheme() {
    // The screen follows the scheme even where the desktop palette does not.
    applySchemePalette(this, m_appearance->isLight());
    const bool light = m_appearance->isLight();
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(light));
    m_titleLabel->setPalette(pal);
    update();
}

void EntryEditorSheet::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), schemeColors::sheetBackground(m_appearance->isLight()));
}

// --- ExperienceEditor -------------------------------------------------------------------------

ExperienceEditor::ExperienceEditor(const ExperiencePtr& experience, Services& services,
                                   std::shared_ptr<const Record> resume, QWidget* parent)
    : EntryEditorSheet(services, QStringLiteral("Edit Experience"), QStringLiteral("Experience Help"), parent)
    , m_experience(experience) {
    setObjectName(QStringLiteral("experienceEditorSheet"));
    addFieldsCard(
        experience,
        {
            {QStringLiteral("Role"), QStringLiteral("experienceRoleField"), Experience::Role},
            {QStringLiteral("Company"), QStringLiteral("experienceCompanyField"), Experience::Company},
            {QStringLiteral("Start Date"), QStringLiteral("experienceStartDateField"), Experience::StartDate},
            {QStringLiteral("End Date"), QStringLiteral("experienceEndDateField"), Experience::EndDate},
        });

    FrostedCard* details = addCard();
    auto* layout = new QVBoxLayout(details);
    layout->setContentsMargins(16, 16, 16, 16);
    layout->setSpacing(8);
    auto* heading = new QLabel(QStringLiteral("Details"), details);
    heading->setFont(systemFont(17, QFont::DemiBold));
    Appearance& appearance = services.appearance();
    const auto inkHeading = [heading, &appearance] {
        QPalette pal = heading->palette();
        pal.setColor(QPalette::WindowText, cardInk(appearance.isLight()));
        heading->setPalette(pal);
    };
    inkHeading();
    connect(&appearance, &Appearance::changed, heading, inkHeading);
    layout->addWidget(heading);
    RefinableTextField editor = makeRefinableTextEditor(services, SeamlessStarMode::experience, 140, {}, {},
                                                        std::move(resume), details);
    m_details = editor.textEdit;
    editor.widget->setObjectName(QStringLiteral("experienceDetailsEditor"));
    bindField(m_details, experience, Experience::Details);
    layout->addWidget(editor.widget);
    finishLayout(QStringLiteral("saveExperienceButton"));
    fitToAvailableGeometry(this, QSize(620, 760));
}

ExperienceEditor::~ExperienceEditor() = default;

void ExperienceEditor::commit() {
    emit committed(m_experience);
}

QList<EditorHelpTopic> ExperienceEditor::helpContent() const {
    return experienceHelpContent();
}

// --- EducationEditor --------------------------------------------------------------------------

EducationEditor::EducationEditor(const EducationPtr& education, Services& services, QWidget* parent)
    : EntryEditorSheet(services, QStringLiteral("Edit Education"), QStringLiteral("Education Help"), parent)
    , m_education(education) {
    setObjectName(QStringLiteral("educationEditorSheet"));
    addFieldsCard(education,
                  {
                      {QStringLiteral("School"), QStringLiteral("educationSchoolField"), Education::School},
                      {QStringLiteral("Degree"), QStringLiteral("educationDegreeField"), Education::Degree},
                      {QStringLiteral("Year"), QStringLiteral("educationYearField"), Education::Year},
                  });
    finishLayout(QStringLiteral("saveEducationButton"));
    fitToAvailableGeometry(this, QSize(560, 420));
}

EducationEditor::~EducationEditor() = default;

void EducationEditor::commit() {
    emit committed(m_education);
}

QList<EditorHelpTopic> EducationEditor::helpContent() const {
    return educationHelpContent();
}

} // namespace quillora
