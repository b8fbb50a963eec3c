#pragma once

#include <QLayout>
#include <QList>

namespace quillora {

// Stacks its items from the top, spacing() apart, each as tall as its width needs (its height for
// that width when it wraps, its hint otherwise) and as wide as the column, or, with a horizontal
// alignment, as wide as its hint and placed by the alignment. Items are never squeezed: room left
// over stays below the last one.
//
// Made for long pages of wrapped text in a scroll area. A box layout reads every item's hints
// again after each change, and gives a page whose text grew the height it had before until the
// scroll area catches up, squeezing what is above; here a changed item costs its own height for
// the column's width, the items below it move, and nothing above it changes. The items' own
// caches answer for the others.
class ColumnLayout final : public QLayout {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ColumnLayout)

public:
    explicit ColumnLayout(QWidget* parent = nullptr, int spacing = 0);
    ~ColumnLayout() override;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    // As wide as the widest item at its narrowest; the items' minimum heights stacked.
    QSize minimumSize() const override;
    // As wide as the column is, or before it is placed the width it was last measured at, or else
    // the widest item's hint; the items' hinted heights stacked.
    QSize sizeHint() const override;
    void setGeometry(const QRect& rect) override;
    void invalidate() override;

private:
    // The height `item` takes in a column `width` wide.
    static int heightOf(const QLayoutItem* item, int width);
    // Both totals of the items' hints, margins included.
    QSize stackedSize(QSize (QLayoutItem::*hint)() const) const;

    QList<QLayoutItem*> m_items;
    // The width last given, kept through invalidate(), which forgets the geometry.
    int m_placedWidth = 0;
    mutable int m_cachedWidth = -1;
    mutable int m_cachedHeight = 0;
};

} // namespace quillora
