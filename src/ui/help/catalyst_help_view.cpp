#include "help/catalyst_help_view.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"

#include "controls/frosted_card.h"
#include "controls/readable_text.h"

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

// Room around each text for its focus ring, taken from the spacing around it, so the text stands
// where it would without.
constexpr int ringRoomX = 8;
constexpr int ringRoomY = 4;

// A text of the page. The keyboard stops at each in turn, so a screen reader reads the page a
// text at a time; the page scrolls to the one in focus. `lead` is room before the text (for a
// bullet's dot), inside its ring.
template <typename Label = QLabel>
Label* readableText(const QString& text, const QFont& font, Appearance& appearance, QWidget* parent,
                    int lead = 0) {
    auto* label = new Label(text, parent);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    label->setFont(font);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    label->setContentsMargins(ringRoomX + lead, ringRoomY, ringRoomX, ringRoomY);
    makeReadable(label, &appearance, 8, 0);
    return label;
}

// A bullet line: the dot, 6 points across and 8 points below the text's top, then 10 points on,
// the text. Read as the text alone; the dot is drawn in the room before it.
class BulletText final : public QLabel {
public:
    static constexpr int dotLead = 6 + 10;

    using QLabel::QLabel;

    void setDotColor(const QColor& color) {
        m_dotColor = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        QLabel::paintEvent(event);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(m_dotColor);
        painter.drawEllipse(QRectF(ringRoomX, ringRoomY + 8, 6, 6));
    }

private:
    QColor m_dotColor;
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

    // The texts' room for their rings comes off the padding and spacing around them.
    auto* column = new QVBoxLayout(m_column);
    column->setContentsMargins(columnPadding - ringRoomX, columnPadding - ringRoomY,
                               columnPadding - ringRoomX, columnPadding);
    column->setSpacing(0);

    auto* header = new QVBoxLayout;
    header->setSpacing(10 - 2 * ringRoomY);
    m_titleLabel = readableText(title(), systemFont(34, QFont::Bold), *m_appearance, m_column);
    m_titleLabel->setObjectName(QStringLiteral("helpTitle"));
    markAsAccessibleHeading(m_titleLabel);
    m_subtitleLabel = readableText(subtitle(), systemFont(16, QFont::Medium), *m_appearance, m_column);
    m_subtitleLabel->setObjectName(QStringLiteral("helpSubtitle"));
    header->addWidget(m_titleLabel);
    header->addWidget(m_subtitleLabel);
    column->addLayout(header);
    column->addSpacing(24 - ringRoomY);

    for (const Section& section : sections()) {
        if (!m_cards.isEmpty())
            column->addSpacing(24);
        auto* place = new QHBoxLayout;
        place->setContentsMargins(ringRoomX, 0, ringRoomX, 0);
        place->addWidget(makeSection(section));
        column->addLayout(place);
    }
    column->addStretch(1);
    m_scrollArea->setWidget(page);
    new OverlayScrollBar(*m_appearance, m_scrollArea);

    connect(m_appearance, &Appearance::changed, this, &CatalystHelpView::applyScheme);
    applyScheme();
}

CatalystHelpView::~CatalystHelpView() = default;

QWidget* CatalystHelpView::makeSection(const Section& section) {
    // The card only groups its lines; the window's title alone is a heading.
    auto* card = new FrostedCard(24, m_column);
    auto* layout = new QVBoxLayout(card);
    layout->setContentsMargins(24 - ringRoomX, 24 - ringRoomY, 24 - ringRoomX, 24 - ringRoomY);
    layout->setSpacing(14 - 2 * ringRoomY);
    QLabel* heading = readableText(section.title, systemFont(22, QFont::Bold), *m_appearance, card);
    heading->setObjectName(section.title);
    layout->addWidget(heading);
    m_sectionTitles.append(heading);

    auto* lines = new QVBoxLayout;
    lines->setSpacing(10 - 2 * ringRoomY);
    for (const QString& sentence : section.bullets) {
        auto* text = readableText<BulletText>(sentence, systemFont(17, QFont::Medium), *m_appearance, card,
                                              BulletText::dotLead);
        text->setObjectName(sentence);
        lines->addWidget(text);
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
    for (QLabel* label : std::as_const(m_bullets)) {
        setTextColor(label, withAlpha(softInk, 0.9f));
        static_cast<BulletText*>(label)->setDotColor(withAlpha(ink, 0.55f));
    }
}

} // namespace quillora
