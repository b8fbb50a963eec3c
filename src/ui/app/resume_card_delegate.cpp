#include "app/resume_card_delegate.h"

#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "controls/elided_text.h"
#include "controls/frosted_card.h"
#include "theme/hex_color.h"
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
    const auto* list = qobject_cast<const ResumeCardList*>(option.widget);
    if (list != nullptr) {
        // While the rows move, a row is drawn on its way to its place.
        const ResumeCardList::RowMotion motion = list->rowMotion(index);
        painter->translate(0, motion.offset);
        painter->setOpacity(painter->opacity() * motion.opacity);
    }
    const QRectF row = option.rect;
    const QColor ink = schemeColors::ink(m_light);

    const auto* model = qobject_cast<const ResumeListModel*>(index.model());
    const Resume* resume = model != nullptr ? model->resumeAt(index.row()).get() : nullptr;
    const bool open = resume != nullptr && resume == m_open;
    const bool marked = resume != nullptr && resume == m_markedForDeletion;
    const bool hovered = option.state.testFlag(QStyle::State_MouseOver);
    // The ring shows the keyboard's place only while the focus came from the keyboard.
    const bool focused =
        option.state.testFlag(QStyle::State_HasFocus) && (list == nullptr || list->showsFocusRing());
    const QRectF card = row.adjusted(3, 3, -3, -3);
    QPainterPath shape;
    shape.addRoundedRect(card, 10, 10);

    // The open résumé: an accent fill and a bar at the leading edge. The row under the pointer
    // gets a faint veil of ink (a little stronger over the open row).
    const QColor accent = accentColor(m_light);
    if (open) {
        painter->fillPath(shape, withAlpha(accent, m_light ? 0.20 : 0.26));
        painter->fillPath(shape, withAlpha(ink, hovered ? 0.04 : 0.0));
        QPainterPath bar;
        bar.addRoundedRect(QRectF(card.left() + 3, card.top() + 8, 3.5, card.height() - 16), 1.75, 1.75);
        painter->fillPath(bar, accent);
    } else if (hovered) {
        painter->fillPath(shape, withAlpha(ink, 0.06));
    }
    // The résumé a delete confirmation asks about.
    if (marked) {
        const QColor destructive = destructiveColor(m_light);
        painter->fillPath(shape, withAlpha(destructive, 0.14));
        painter->setPen(QPen(destructive, 2));
        painter->drawPath(shape);
    } else if (focused) {
        // The keyboard's current row while the list has the focus.
        painter->setPen(QPen(withAlpha(accent, 0.85), 1.5));
        painter->drawRoundedRect(card.adjusted(0.75, 0.75, -0.75, -0.75), 9.25, 9.25);
    }

    const qreal x = row.left() + 18;
    const qreal textWidth = std::max<qreal>(0, row.width() - 26);
    const QFontMetricsF titleMetrics(m_titleFont);
    const QFontMetricsF nameMetrics(m_nameFont);
    const QString title = index.data(Qt::DisplayRole).toString();
    const QString name = index.data(ResumeListModel::FullNameRole).toString();

    qreal y = row.top() + verticalPadding;
    painter->setFont(m_titleFont);
    painter->setPen(ink);
    painter->drawText(QPointF(x, y + titleMetrics.ascent()), elidedLine(titleMetrics, title, textWidth));
    y += titleMetrics.height() + lineSpacing;
    painter->setFont(m_nameFont);
    painter->setPen(schemeColors::softInk(m_light));
    painter->drawText(QPointF(x, y + nameMetrics.ascent()), elidedLine(nameMetrics, name, textWidth));

    // The separator lies on the row's own last pixel row, so repainting a neighbour (on hover,
    // say) never wipes it.
    painter->setPen(QPen(withAlpha(ink, m_light ? 0.35 : 0.18), 1));
    const qreal lineY = option.rect.bottom() + 0.5;
    painter->drawLine(QPointF(row.left() + 8, lineY), QPointF(row.right() - 8, lineY));
    painter->restore();
}

} // namespace quillora
