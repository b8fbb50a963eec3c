#pragma once

#include <QLayout>
#include <QList>

#include <limits>
#include <optional>

namespace quillora {

// Lays its items out left to right at their preferred sizes, like words in a paragraph: an item
// whose right edge would pass the available width starts a new row. Rows are aligned at the
// top and as tall as their tallest item; the gap between items and between rows is spacing().
// Items are never stretched or shrunk. An item wider than the room starts a row of its own
// (the first item too, leaving an empty first row) and overflows to the right.
class FlowLayout final : public QLayout {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FlowLayout)

public:
    explicit FlowLayout(QWidget* parent = nullptr, int spacing = 8);
    explicit FlowLayout(int spacing);
    ~FlowLayout() override;

    // The size the items need within a proposed width (margins excluded): the width is the
    // proposal itself, or +infinity without one, where every item stays on the first row.
    QSizeF sizeThatFits(std::optional<qreal> proposedWidth) const;
    // The top-left corners the items get within bounds, in item order.
    QList<QPoint> positions(const QRect& bounds) const;

    void addItem(QLayoutItem* item) override;
    int count() const override;
    QLayoutItem* itemAt(int index) const override;
    QLayoutItem* takeAt(int index) override;
    Qt::Orientations expandingDirections() const override;
    bool hasHeightForWidth() const override;
    int heightForWidth(int width) const override;
    // The one-row size: what the items need when nothing wraps.
    QSize sizeHint() const override;
    QSize minimumSize() const override;
    void setGeometry(const QRect& rect) override;

private:
    QList<QLayoutItem*> m_items;
};

} // namespace quillora
