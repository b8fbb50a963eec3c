#pragma once

#include "controls/accessibility_traits.h"
#include "editor/portfolio_rows.h"

#include <QAbstractButton>
#include <QHash>
#include <QUuid>
#include <QWidget>

#include <functional>

class QHBoxLayout;
class QScrollArea;

namespace quillora {

class Appearance;
class PortfolioThumbnails;

// One image of the picker row: the thumbnail, filled into 120 × 120 points, with its remove
// button. The "Move Up" and "Move Down" actions, and Alt with an arrow while its remove button has
// the focus, ask to move it one place.
class PortfolioImageTile final : public QWidget, public AccessibleActions {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioImageTile)

public:
    PortfolioImageTile(const QUuid& id, PortfolioThumbnails& thumbnails, Appearance& appearance,
                       QWidget* parent = nullptr);
    ~PortfolioImageTile() override;

    QUuid id() const { return m_id; }
    QAbstractButton* removeButton() const { return m_remove; }
    void setCaption(const QString& caption);
    QSize sizeHint() const override { return QSize(120, 120); }

    QStringList accessibleActionNames() const override { return {moveUpAction(), moveDownAction()}; }
    void triggerAccessibleAction(const QString& name) override;

signals:
    void removeRequested(const QUuid& id);
    // -1 one place earlier, +1 one place later.
    void moveRequested(const QUuid& id, int step);

protected:
    void paintEvent(QPaintEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    QUuid m_id;
    PortfolioThumbnails& m_thumbnails;
    QAbstractButton* m_remove;
};

// The row of thumbnails ending in the "Add" tile, which opens a file dialog for images.
class PortfolioImagePicker final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioImagePicker)

public:
    // Asks the user for image files and calls done with the paths picked (none when
    // cancelled). Tests replace the dialog.
    using FileChooser = std::function<void(QWidget* parent, std::function<void(const QStringList&)> done)>;

    PortfolioImagePicker(Appearance& appearance, PortfolioThumbnails& thumbnails, QWidget* parent = nullptr);
    ~PortfolioImagePicker() override;

    void setRows(const PortfolioRows& rows);
    // Row `index` changed in place (caption or orientation); the list is otherwise the same.
    void updateRow(int index, const LocalPickerPortfolioItem& row);
    void setFileChooser(FileChooser chooser) { m_chooser = std::move(chooser); }
    // The "Add" tile's action.
    void chooseFiles();
    QAbstractButton* addButton() const { return m_add; }
    // The tiles shown, in order (rows whose bytes are no image have none).
    QList<PortfolioImageTile*> tiles() const;

signals:
    void filesChosen(const QStringList& paths);
    void removeRequested(const QUuid& id);
    void moveRequested(const QUuid& id, int step);

private:
    void relayout();

    Appearance& m_appearance;
    PortfolioThumbnails& m_thumbnails;
    QScrollArea* m_scroll;
    QWidget* m_row;
    QHBoxLayout* m_rowLayout;
    QAbstractButton* m_add;
    QHash<QUuid, PortfolioImageTile*> m_tiles;
    PortfolioRows m_rows;
    FileChooser m_chooser;
};

} // namespace quillora
