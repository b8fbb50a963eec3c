#include "help/picker_help_sheet.h"

#include "controls/floating_buttons.h"
#include "controls/readable_text.h"
#include "controls/window_placement.h"
#include "help/scrolling_sheet.h"
#include "platform/appearance.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace quillora {

PickerHelpSheetView::Metrics PickerHelpSheetView::metricsForWidth(qreal width) {
    const qreal t = responsiveScale(width, responsiveSpanCommon);
    const qreal s = responsiveScale(width, responsiveSpanHelpColumn);
    return Metrics{t, s, 560 + 360 * s, 16 + 28 * t, 28 + 36 * t};
}

PickerHelpSheetView::PickerHelpSheetView(Appearance& appearance, const QString& title, const QString& message,
                                         QWidget* opener)
    : QDialog(opener)
    , m_title(title)
    , m_message(message)
    , m_appearance(&appearance)
    , m_scrollArea(new QScrollArea(this))
    , m_page(new QWidget)
    , m_pageLayout(new QVBoxLayout(m_page))
    , m_column(new QWidget(m_page))
    , m_titleLabel(new QLabel(title, m_column))
    , m_messageLabel(new QLabel(message, m_column)) {
    setUpScrollingSheet(appearance, this, title, m_scrollArea, m_page);
    m_pageLayout->setSpacing(0);
    // The column takes the width up to its cap and keeps to the leading edge.
    auto* row = new QHBoxLayout;
    row->setSpacing(0);
    m_column->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    row->addWidget(m_column, 1);
    row->addStretch(0);
    m_pageLayout->addLayout(row);
    m_pageLayout->addStretch(1);

    auto* column = new QVBoxLayout(m_column);
    column->setContentsMargins(0, 0, 0, 0);
    column->setSpacing(spacing);
    m_titleLabel->setTextFormat(Qt::PlainText);
    m_titleLabel->setWordWrap(true);
    m_titleLabel->setFont(systemFont(22, QFont::Bold));
    m_messageLabel->setTextFormat(Qt::PlainText);
    m_messageLabel->setWordWrap(true);
    m_messageLabel->setFont(systemFont(17));
    m_messageLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);
    column->addWidget(m_titleLabel);
    column->addWidget(m_messageLabel);
    // Both texts are stops a screen reader reads; the sheet opens on its title.
    makeReadable(m_titleLabel, m_appearance);
    makeReadable(m_messageLabel, m_appearance);
    column->addStretch(1);

    new FloatingCloseButton(appearance, this, true);

    connect(m_appearance, &Appearance::changed, this, &PickerHelpSheetView::applyScheme);
    applyScheme();
    fitToAvailableGeometry(this, QSize(600, 480));
    applyMetrics();
}

PickerHelpSheetView::~PickerHelpSheetView() = default;

void PickerHelpSheetView::setTitle(const QString& title) {
    m_title = title;
    setReadableText(m_titleLabel, title);
    setWindowTitle(title);
}

void PickerHelpSheetView::setMessage(const QString& message) {
    m_message = message;
    setReadableText(m_messageLabel, message);
}

void PickerHelpSheetView::applyMetrics() {
    m_metrics = metricsForWidth(width());
    const int padding = qRound(m_metrics.padding);
    m_pageLayout->setContentsMargins(padding, padding + qRound(m_metrics.extraTop), padding, padding);
    m_column->setMaximumWidth(qRound(m_metrics.maxColumnWidth));
    // The column is at least as tall as the sheet, so short texts start at the top and the
    // page can always be scrolled a little.
    m_column->setMinimumHeight(height());
}

void PickerHelpSheetView::applyScheme() {
    applySchemePalette(this, m_appearance->isLight());
    update();
}

void PickerHelpSheetView::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    applyMetrics();
}

void PickerHelpSheetView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), schemeColors::sheetBackground(m_appearance->isLight()));
}

} // namespace quillora
