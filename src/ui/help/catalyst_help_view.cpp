#include "help/catalyst_help_view.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"

#include "controls/frosted_card.h"

#include "controls/overlay_scroll_bar.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace quillora {

namespace {

void setTextColor(QLabel* label, const QColor& color) {
    QPalette pal = label->palette();
    pal.setColor(QPalette::WindowText, color);
    label->setPalette(pal);
}

QLabel* wrappedLabel(const QString& text, const QFont& font, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    return label;
}

// The dot of a bullet line: 6 points across, 8 points below the line's top.
class BulletDot final : public QWidget {
public:
    explicit BulletDot(QWidget* parent)
        : QWidget(parent) {
        setFixedSize(6, 14);
    }

    void setColor(const QColor& color) {
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_color);
        painter.drawEllipse(QRectF(0, 8, 6, 6));
    }

private:
    QColor m_color;
};

} // namespace

QString CatalystHelpView::title() {
    return QStringLiteral("Quillora Help");
}

QString CatalystHelpView::subtitle() {
    return QStringLiteral("Quick guidance for creating, editing, styling, and exporting your resumes.");
}

const QList<CatalystHelpView::Section>& CatalystHelpView::sections() {
    static const QList<Section> all{
        {QStringLiteral("Getting Started"),
         {QStringLiteral("Use the plus button in the sidebar to create a new resume."),
          QStringLiteral("Select a resume from the left column to start editing it."),
          QStringLiteral("Changes are persisted automatically while you work.")}},
        {QStringLiteral("Editing"),
         {QStringLiteral(
              "Update your basic information, summary, experience, education, and portfolio from the main "
              "editor."),
          QStringLiteral(
              "Use the AI tools to refine summary and experience content while keeping it grounded in your "
              "actual resume."),
          QStringLiteral(
              "If skills are enabled, apply only the suggestions that accurately reflect your background.")}},
        {QStringLiteral("Style And Export"),
         {QStringLiteral(
              "Choose fonts, shapes, colors, and background gradients to match the visual tone you want."),
          QStringLiteral(
              "Use Preview & Translation to inspect the generated resume layout and translated text."),
          QStringLiteral(
              "Export either the creative PDF or the ATS PDF depending on your application target.")}},
        {QStringLiteral("Safety"),
         {QStringLiteral(
              "Quillora now writes local backup snapshots of your resume data for recovery purposes."),
          QStringLiteral(
              "If something looks wrong after a crash, stop using the app and inspect the backup files "
              "before creating more changes.")}},
    };
    return all;
}

CatalystHelpView::CatalystHelpView(Services& services, QWidget* parent)
    : QWidget(parent)
    , m_appearance(&services.appearance())
    , m_background(new ThemedBackground(services.settings(), services.appearance(), this))
    , m_panel(nullptr)
    , m_scrollArea(nullptr)
    , m_column(nullptr)
    , m_titleLabel(nullptr)
    , m_subtitleLabel(nullptr) {
    setObjectName(QStringLiteral("catalystHelpView"));
    // Its full size where the screen has room; on a smaller screen the panel scrolls.
    setMaximumSize(viewWidth, viewHeight);
    resize(viewWidth, viewHeight);

    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(m_background);

    auto* panel = new FrostedCard(30, m_background);
    m_panel = panel;
    auto* backgroundLayout = new QVBoxLayout(m_background);
    backgroundLayout->setContentsMargins(panelInset, panelInset, panelInset, panelInset);
    backgroundLayout->addWidget(m_panel);

    m_scrollArea = new QScrollArea(m_panel);
    // The page takes the keyboard for scrolling; a screen reader hears which page it is.
    m_scrollArea->setAccessibleName(title());
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->setStyleSheet(
        QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    m_scrollArea->viewport()->setAutoFillBackground(false);
    auto* panelLayout = new QVBoxLayout(m_panel);
    panelLayout->setContentsMargins(0, 0, 0, 0);
    panelLayout->addWidget(m_scrollArea);

    auto* page = new QWidget;
    page->setAutoFillBackground(false);
    auto* pageLayout = new QHBoxLayout(page);
    pageLayout->setContentsMargins(0, 0, 0, 0);
    pageLayout->setSpacing(0);
    m_column = new QWidget(page);
    m_column->setObjectName(QStringLiteral("helpColumn"));
    m_column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_column->setMaximumWidth(maxColumnWidth);
    m_column->setMinimumHeight(viewHeight - 2 * panelInset);
    pageLayout->addWidget(m_column, 1, Qt::AlignTop);
    pageLayout->addStretch(0);

    auto* column = new QVBoxLayout(m_column);
    column->setContentsMargins(columnPadding, columnPadding, columnPadding, columnPadding);
    column->setSpacing(24);

    auto* header = new QVBoxLayout;
    header->setSpacing(10);
    m_titleLabel = wrappedLabel(title(), systemFont(34, QFont::Bold), m_column);
    m_titleLabel->setObjectName(QStringLiteral("helpTitle"));
    markAsAccessibleHeading(m_titleLabel);
    m_subtitleLabel = wrappedLabel(subtitle(), systemFont(16, QFont::Medium), m_column);
    m_subtitleLabel->setObjectName(QStringLiteral("helpSubtitle"));
    header->addWidget(m_titleLabel);
    header->addWidget(m_subtitleLabel);
    column->addLayout(header);

    for (const Section& section : sections())
        column->addWidget(makeSection(section));
    column->addStretch(1);
    m_scrollArea->setWidget(page);
    new OverlayScrollBar(*m_appearance, m_scrollArea);

    connect(m_appearance, &Appearance::changed, this, &CatalystHelpView::applyScheme);
    applyScheme();
}

CatalystHelpView::~CatalystHelpView() = default;

QWidget* CatalystHelpView::makeSection(const Section& section) {
    // The card only groups its lines: the title is read once, as a heading.
    auto* card = new FrostedCard(24, m_column);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(24, 24, 24, 24);
    layout->setSpacing(14);
    QLabel* heading = wrappedLabel(section.title, systemFont(22, QFont::Bold), card);
    markAsAccessibleHeading(heading);
    layout->addWidget(heading);
    m_sectionTitles.append(heading);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(10);
    for (const QString& sentence : section.bullets) {
        auto* line = new QHBoxLayout;
        line->setSpacing(10);
        auto* dot = new BulletDot(card);
        hideFromAccessibility(dot);
        QLabel* text = wrappedLabel(sentence, systemFont(17, QFont::Medium), card);
        text->setObjectName(sentence);
        line->addWidget(dot, 0, Qt::AlignTop);
        line->addWidget(text, 1, Qt::AlignTop);
        lines->addLayout(line);
        m_dots.append(dot);
        m_bullets.append(text);
    }
    layout->addLayout(lines);
    m_cards.append(card);
    return card;
}

void CatalystHelpView::applyScheme() {
    const bool light = m_appearance->isLight();
    const QColor ink = schemeColors::ink(light);
    const QColor softInk = schemeColors::softInk(light);
    static_cast<FrostedCard*>(m_panel)->setLightScheme(light);
    static_cast<FrostedCard*>(m_panel)->setStroke(withAlpha(schemeColors::ink(light), 0.14));
    for (QWidget* card : std::as_const(m_cards)) {
        static_cast<FrostedCard*>(card)->setLightScheme(light);
        static_cast<FrostedCard*>(card)->setStroke(withAlpha(schemeColors::ink(light), 0.1));
    }
    setTextColor(m_titleLabel, ink);
    setTextColor(m_subtitleLabel, withAlpha(softInk, 0.82f));
    for (QLabel* label : std::as_const(m_sectionTitles))
        setTextColor(label, ink);
    for (QLabel* label : std::as_const(m_bullets))
        setTextColor(label, withAlpha(softInk, 0.9f));
    for (QWidget* dot : std::as_const(m_dots))
        static_cast<BulletDot*>(dot)->setColor(withAlpha(ink, 0.55f));
}

} // namespace quillora
