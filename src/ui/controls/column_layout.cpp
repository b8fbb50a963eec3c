#include "controls/column_layout.h"

#include <QWidget>

#include <algorithm>

namespace quillora {

ColumnLayout::ColumnLayout(QWidget* parent, int spacing)
    : QLayout(parent) {
    setContentsMargins(0, 0, 0, 0);
    setSpacing(spacing);
}

ColumnLayout::~ColumnLayout() {
    while (QLayoutItem* item = takeAt(0))
        delete item;
}

void ColumnLayout::addItem(QLayoutItem* item) {
    m_items.append(item);
    invalidate();
}

int ColumnLayout::count() const {
    return static_cast<int>(m_items.size());
}

QLayoutItem* ColumnLayout::itemAt(int index) const {
    return index >= 0 && index < m_items.size() ? m_items.at(index) : nullptr;
}

QLayoutItem* ColumnLayout::takeAt(int index) {
    if (index < 0 || index >= m_items.size())
        return nullptr;
    QLayoutItem* item = m_items.takeAt(index);
    invalidate();
    return item;
}

Qt::Orientations ColumnLayout::expandingDirections() const {
    Qt::Orientations directions;
    for (const QLayoutItem* item : m_items) {
        if (!item->isEmpty())
            directions |= item->expandingDirections();
    }
    return directions;
}

bool ColumnLayout::hasHeightForWidth() const {
    return true;
}

int ColumnLayout::heightOf(const QLayoutItem* item, int width) {
    return item->hasHeightForWidth() ? item->heightForWidth(width) : item->sizeHint().height();
}

int ColumnLayout::heightForWidth(int width) const {
    if (width == m_cachedWidth)
        return m_cachedHeight;
    const QMargins margins = contentsMargins();
    const int inner = width - margins.left() - margins.right();
    int height = margins.top() + margins.bottom();
    bool first = true;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        height += heightOf(item, inner) + (first ? 0 : spacing());
        first = false;
    }
    m_cachedWidth = width;
    m_cachedHeight = height;
    return height;
}

QSize ColumnLayout::stackedSize(QSize (QLayoutItem::*hint)() const) const {
    int width = 0;
    int height = 0;
    bool first = true;
    for (const QLayoutItem* item : m_items) {
        if (item->isEmpty())
            continue;
        const QSize size = (item->*hint)();
        width = std::max(width, size.width());
        height += size.height() + (first ? 0 : spacing());
        first = false;
    }
    const QMargins margins = contentsMargins();
    return {width + margins.left() + margins.right(), height + margins.top() + margins.bottom()};
}

QSize ColumnLayout::minimumSize() const {
    return stackedSize(&QLayoutItem::minimumSize);
}

QSize ColumnLayout::sizeHint() const {
    QSize size = stackedSize(&QLayoutItem::sizeHint);
    // Once placed, the column would stay as wide as it is: the height of a widget's hint is asked
    // for the hint's width, and the items only know their heights for the width they have.
    if (m_placedWidth > 0)
        size.setWidth(m_placedWidth);
    // Not placed yet but measured: the width it is about to get. Qt asks a widget's hint for the
    // height at the hint's width, and the widest item's hint is a word wide: every text of a long
    // page would be laid out once more at that width, which the column never has.
    else if (m_cachedWidth > 0)
        size.setWidth(m_cachedWidth);
    return size;
}

void ColumnLayout::setGeometry(const QRect& rect) {
    QLayout::setGeometry(rect);
    m_placedWidth = rect.width();
    const QRect inner = contentsRect();
    int y = inner.top();
    for (QLayoutItem* item : std::as_const(m_items)) {
        if (item->isEmpty())
            continue;
        const int height = heightOf(item, inner.width());
        // Unchanged geometries are left alone by the item; the aligned ones place themselves.
        item->setGeometry(QRect(inner.left(), y, inner.width(), height));
        y += height + spacing();
    }
}

void ColumnLayout::invalidate() {
    m_cachedWidth = -1;
    QLayout::invalidate();
}

} // namespace quillora
