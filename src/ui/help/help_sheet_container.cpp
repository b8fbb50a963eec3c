#include "help/help_sheet_container.h"

#include "controls/accessibility_traits.h"
#include "controls/floating_buttons.h"
#include "controls/readable_text.h"
#include "controls/window_placement.h"
#include "help/bullet_row.h"
#include "help/scrolling_sheet.h"
#include "platform/appearance.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"

#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

HelpSheetContainer::Metrics HelpSheetContainer::metricsForWidth(qreal width) {
    const qreal t = responsiveScale(width, responsiveSpanCommon);
    const qreal s = responsiveScale(width, responsiveSpanHelpColumn);
    const qreal column = std::min(std::max(width - 2 * (16 + 28 * t), 0.0), 560 + 360 * s);
    return Metrics{t, s, column, 52 + 36 * t};
}

QFont HelpSheetContainer::headlineFont() {
    return systemFont(17, QFont::DemiBold);
}

HelpSheetContainer::HelpSheetContainer(Appearance& appearance, const QString& title, QWidget* opener)
    : QDialog(opener)
    , m_title(title)
    , m_appearance(&appearance)
    , m_scrollArea(new QScrollArea(this))
    , m_page(new QWidget)
    , m_pageLayout(new QVBoxLayout(m_page))
    , m_column(new QWidget(m_page))
    , m_columnLayout(new QVBoxLayout(m_column))
    , m_titleLabel(new QLabel(title, m_column)) {
    setUpScrollingSheet(appearance, this, title, m_scrollArea, m_page);

    m_pageLayout->setSpacing(0);
    m_pageLayout->addWidget(m_column, 0, Qt::AlignLeft | Qt::AlignTop);
    m_pageLayout->addStretch(1);

    m_columnLayout->setContentsMargins(0, 0, 0, 0);
    m_columnLayout->setSpacing(elementSpacing);
    m_titleLabel->setObjectName(QStringLiteral("helpSheetTitle"));
    m_titleLabel->setTextFormat(Qt::PlainText);
    markAsAccessibleHeading(m_titleLabel);
    m_titleLabel->setWordWrap(true);
    m_titleLabel->setFont(namedFont(QStringLiteral("Oswald-Light"), titleSize, QFont::Bold));
    m_columnLayout->addWidget(m_titleLabel);
    // Every text of the sheet is a stop a screen reader reads; the sheet opens on its title.
    makeReadable(m_titleLabel, m_appearance, 8, textRingOutset);

    m_closeButton = new FloatingCloseButton(appearance, this, true);

    connect(m_appearance, &Appearance::changed, this, &HelpSheetContainer::applyScheme);
    applyScheme();
    fitToAvailableGeometry(this, QSize(700, 640));
    applyMetrics();
}

HelpSheetContainer::~HelpSheetContainer() = default;

void HelpSheetContainer::setContentFont(const QFont& font) {
    m_contentFont = font;
    for (QLabel* label : std::as_const(m_unstyledLabels))
        label->setFont(font);
}

void HelpSheetContainer::adoptElement(QWidget* widget) {
    widget->setParent(m_column);
    m_columnLayout->addWidget(widget);
    m_elements.append(widget);
    widget->show();
}

QLabel* HelpSheetContainer::addHeading(const QString& text, std::optional<QFont> font) {
    auto* label = new QLabel(text);
    label->setTextFormat(Qt::PlainText);
    label->setWordWrap(true);
    if (font) {
        label->setFont(*font);
    } else {
        m_unstyledLabels.append(label);
        if (m_contentFont)
            label->setFont(*m_contentFont);
    }
    adoptElement(label);
    makeReadable(label, m_appearance, 8, textRingOutset);
    return label;
}

BulletRow* HelpSheetContainer::addBulletRow(const QString& text) {
    auto* row = new BulletRow(*m_appearance, text);
    adoptElement(row);
    makeReadable(row, text, m_appearance, 8, textRingOutset);
    return row;
}

QLabel* HelpSheetContainer::addParagraph(const QString& text) {
    QLabel* label = addHeading(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setFocusPolicy(Qt::StrongFocus); // the flags above leave it to clicks alone
    return label;
}

void HelpSheetContainer::addContent(QWidget* widget) {
    if (widget)
        adoptElement(widget);
}

void HelpSheetContainer::applyMetrics() {
    m_metrics = metricsForWidth(width());
    m_pageLayout->setContentsMargins(sideMargin, qRound(m_metrics.topMargin), sideMargin, bottomMargin);
    m_column->setFixedWidth(qRound(m_metrics.columnWidth));
}

void HelpSheetContainer::applyScheme() {
    const bool light = m_appearance->isLight();
    applySchemePalette(this, light);
    QPalette pal = m_titleLabel->palette();
    pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(light));
    m_titleLabel->setPalette(pal);
    update();
}

void HelpSheetContainer::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    applyMetrics();
}

void HelpSheetContainer::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.fillRect(rect(), schemeColors::sheetBackground(light));
    QColor tint = schemeColors::primaryLabel(light);
    tint.setAlphaF(0.015f);
    painter.fillRect(rect(), tint);
}

} // namespace quillora
