#include "controls/flow_layout.h"

#include <QWidget>
#include <QtMath>

#include <algorithm>

namespace quillora {

FlowLayout::FlowLayout(QWidget* parent, int spacing)
    : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

FlowLayout::FlowLayout(int spacing)
    : FlowLayout(nullptr, spacing) {}

FlowLayout::~FlowLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void FlowLayout::addItem(QLayoutItem* item) {
    m_items.append(item);
}

int FlowLayout::count() const {
    return static_cast<int>(m_items.size());
}

QLayoutItem* FlowLayout::itemAt(int index) const {
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem* FlowLayout::takeAt(int index) {
    return index >= 0 && index < m_items.size() ? m_items.takeAt(index) : nullptr;
}

Qt::Orientations FlowLayout::expandingDirections() const {
    return {};
}

bool FlowLayout::hasHeightForWidth() const {
    return true;
}

QSizeF FlowLayout::sizeThatFits(std::optional<qreal> proposedWidth) const {
    const qreal limit = proposedWidth.value_or(std::numeric_limits<qreal>::infinity());
    const qreal gap = std::max(0, spacing());
    qreal x = 0;
    qreal y = 0;
    qreal rowHeight = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize ideal = item->sizeHint();
        if (x + ideal.width() > limit) {
            y += rowHeight + gap;
            x = 0;
            rowHeight = ideal.height();
        } else {
            rowHeight = std::max<qreal>(rowHeight, ideal.height());
        }
        x += ideal.width() + gap;
    }
    return QSizeF(limit, y + rowHeight);
}

QList<QPoint> FlowLayout::positions(const QRect& bounds) const {
    QList<QPoint> result;
    const int gap = std::max(0, spacing());
    // The right edge as a width: an item fits while x + w stays within left + width.
    const int right = bounds.x() + bounds.width();
    int x = bounds.x();
    int y = bounds.y();
    int rowHeight = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty()) {
            result.append(QPoint(x, y));
            continue;
        }
        const QSize ideal = item->sizeHint();
        if (x + ideal.width() > right) {
            x = bounds.x();
            y += rowHeight + gap;
            rowHeight = 0;
        }
        result.append(QPoint(x, y));
        rowHeight = std::max(rowHeight, ideal.height());
        x += ideal.width() + gap;
    }
    return result;
}

int FlowLayout::heightForWidth(int width) const {
    const QMargins margins = contentsMargins();
    const qreal inner = width - margins.left() - margins.right();
    return qCeil(sizeThatFits(inner).height()) + margins.top() + margins.bottom();
}

QSize FlowLayout::sizeHint() const {
    const QMargins margins = contentsMargins();
    const int gap = std::max(0, spacing());
    int width = 0;
    int height = 0;
    int shown = 0;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize ideal = item->sizeHint();
        width += ideal.width() + (shown++ > 0 ? gap : 0);
        height = std::max(height, ideal.height());
    }
    return QSize(width + margins.left() + margins.right(), height + margins.top() + margins.bottom());
}

QSize FlowLayout::minimumSize() const {
    const QMargins margins = contentsMargins();
    return QSize(margins.left() + margins.right(), margins.top() + margins.bottom());
}

void FlowLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    const QRect bounds = rect.marginsRemoved(contentsMargins());
    const QList<QPoint> corners = positions(bounds);
    for (qsizetype i = 0; i < m_items.size(); ++i) {
        QLayoutItem* item = m_items.at(i);
        if (!item->isEmpty())
            item->setGeometry(QRect(corners.at(i), item->sizeHint()));
    }
}

} // namespace quillora
