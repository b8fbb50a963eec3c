#pragma once

#include "controls/accessibility_traits.h"
#include "editor/portfolio_rows.h"

#include <QHash>
#include <QList>
#include <QPoint>
#include <QUuid>
#include <QWidget>

#include <functional>

class QGridLayout;
class QLabel;

namespace quillora {

class Appearance;
class LayoutMoveAnimation;
class PortfolioThumbnails;

// A cell of the reorder grid: the image 90 points high with its caption strip. Dragging it
// over another cell moves it there; with the focus, Alt with an arrow moves it one place, as do
// the "Move Up" and "Move Down" actions.
class PortfolioReorderCell final : public QWidget, public AccessibleActions {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioReorderCell)

public:
    PortfolioReorderCell(Appearance& appearance, PortfolioThumbnails& thumbnails,
                         const LocalPickerPortfolioItem& row, QWidget* parent = nullptr);
    ~PortfolioReorderCell() override;

    QUuid id() const { return m_row.id; }
    void setRow(const LocalPickerPortfolioItem& row);
    // Its place in the grid, counted from 0: the name says it (from 1).
    void setPosition(int position);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    QStringList accessibleActionNames() const override { return {moveUpAction(), moveDownAction()}; }
    void triggerAccessibleAction(const QString& name) override;

signals:
    void dragStarted(const QUuid& id, QWidget* source);
    void dragEntered(const QUuid& id);
    void dropped();
    // -1 one place earlier, +1 one place later.
    void moveRequested(const QUuid& id, int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    Appearance& m_appearance;
    PortfolioThumbnails& m_thumbnails;
    void updateName();

    LocalPickerPortfolioItem m_row;
    int m_position = 0;
    QPoint m_pressPos;
    bool m_pressed = false;
};

// The "Reorder Images" section: a divider, the heading and the images three to a row, shown
// from two images on. The cells only report drags; what a drag does is the owner's.
class PortfolioReorderGrid final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioReorderGrid)

public:
    PortfolioReorderGrid(Appearance& appearance, PortfolioThumbnails& thumbnails, QWidget* parent = nullptr);
    ~PortfolioReorderGrid() override;

    // Lays out a cell per row (the first of rows sharing an id), or hides the section under two.
    void setRows(const PortfolioRows& rows);
    // Row `row` changed in place (caption or orientation).
    void updateRow(const LocalPickerPortfolioItem& row);
    // The cells in order.
    QList<PortfolioReorderCell*> cells() const;
    // Runs change, a change of the rows, with the cells springing to their new places.
    void moveWithSpring(const std::function<void()>& change);
    const LayoutMoveAnimation& cellMoves() const { return *m_cellMoves; }

signals:
    void dragStarted(const QUuid& id, QWidget* source);
    void dragEntered(const QUuid& id);
    void dropped();
    void moveRequested(const QUuid& id, int step);

private:
    void applyScheme();

    Appearance& m_appearance;
    PortfolioThumbnails& m_thumbnails;
    LayoutMoveAnimation* m_cellMoves;
    QLabel* m_heading = nullptr;
    QWidget* m_grid = nullptr;
    QGridLayout* m_gridLayout = nullptr;
    QHash<QUuid, PortfolioReorderCell*> m_cells;
    QList<QUuid> m_order; // the rows' ids, as last set
};

} // namespace quillora
