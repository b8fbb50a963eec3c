#include "app/resume_card_delegate.h"

#include "app/resume_list_model.h"
#include "controls/frosted_card.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace quillora {

namespace {

constexpr qreal verticalPadding = 10;
constexpr qreal lineSpacing = 3;

} // namespace

ResumeCardDelegate::ResumeCardDelegate(QObject* parent)
    : QStyledItemDelegate(parent) {
    setAvailableWidth(m_width);
}

qreal ResumeCardDelegate::titlePointSize(qreal width) {
    return 17 + 5 * responsiveScale(width, 1025);
}
qreal ResumeCardDelegate::namePointSize(qreal width) {
    return 14 + 4 * responsiveScale(width, 1025);
}

void ResumeCardDelegate::setAvailableWidth(qreal width) {
    m_width = width;
    m_titleFont = QFont();
    m_titleFont.setPixelSize(int(std::lround(titlePointSize(width))));
    m_titleFont.setWeight(QFont::DemiBold);
    m_nameFont = QFont();
    m_nameFont.setPixelSize(int(std::lround(namePointSize(width))));
    const qreal height = verticalPadding + QFontMetricsF(m_titleFont).height() + lineSpacing +
                         QFontMetricsF(m_nameFont).height() + verticalPadding;
    m_rowHeight = int(std::ceil(height));
}

QSize ResumeCardDelegate::sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const {
    return {option.rect.width() > 0 ? option.rect.width() : 200, m_rowHeight};
}

void ResumeCardDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QRectF row = option.rect;
    const QColor ink = schemeColors::ink(m_light);

    // A faint veil shows the row under the pointer and the keyboard's current row.
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    const bool current = option.state.testFlag(QStyle::State_HasFocus);
    if (hovered || current) {
        QPainterPath veil;
        veil.addRoundedRect(row.adjusted(2, 2, -2, -2), 10, 10);
        painter->fillPath(veil, withAlpha(ink, current ? 0.10 : 0.06));
    }

    const qreal x = row.left() + 8;
    const qreal textWidth = std::max<qreal>(0, row.width() - 16);
    const QFontMetricsF titleMetrics(m_titleFont);
    const QFontMetricsF nameMetrics(m_nameFont);
    const QString title = index.data(Qt::DisplayRole).toString();
    const QString name = index.data(ResumeListModel::FullNameRole).toString();

    qreal y = row.top() + verticalPadding;
    painter->setFont(m_titleFont);
    painter->setPen(ink);
    painter->drawText(QPointF(x, y + titleMetrics.ascent()),
                      titleMetrics.elidedText(title, Qt::ElideRight, textWidth));
    y += titleMetrics.height() + lineSpacing;
    painter->setFont(m_nameFont);
    painter->setPen(schemeColors::softInk(m_light));
    painter->drawText(QPointF(x, y + nameMetrics.ascent()),
                      nameMetrics.elidedText(name, Qt::ElideRight, textWidth));

    painter->setPen(QPen(withAlpha(ink, m_light ? 0.35 : 0.18), 1));
    painter->drawLine(QPointF(row.left() + 8, row.bottom() + 0.5),
                      QPointF(row.right() - 8, row.bottom() + 0.5));
    painter->restore();
}

} // namespace quillora
