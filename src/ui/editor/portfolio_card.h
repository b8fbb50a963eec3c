#pragma once

#include "editor/portfolio_rows.h"

#include <QAbstractButton>
#include <QHash>
#include <QImage>
#include <QPointer>
#include <QSet>
#include <QThreadPool>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QDrag;
class QGridLayout;
class QHBoxLayout;
class QLabel;
class QLineEdit;
class QScrollArea;
class QVBoxLayout;

namespace quillora {

class Appearance;
class EditorSectionCard;
class LayoutMoveAnimation;
class ResumeEditorView;

// Thumbnails of the portfolio's images, decoded once on a worker at a bounded size and kept
// by id for as long as the card lives. The full-size image is never held.
class PortfolioThumbnails final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioThumbnails)

public:
    explicit PortfolioThumbnails(QObject* parent = nullptr);
    ~PortfolioThumbnails() override;

    enum class State { pending, ready, noImage };
    // The row's thumbnail state; asks for a decode the first time a row is seen.
    State state(const LocalPickerPortfolioItem& row);
    // The thumbnail (null until ready, or for bytes that are no image).
    QImage thumbnail(const QUuid& id) const { return m_images.value(id); }
    // Forgets the thumbnails of ids no longer shown.
    void keepOnly(const QSet<QUuid>& ids);
    // Waits for the decodes under way (tests, benchmarks).
    void waitForDecodes();

    // The shorter side of a thumbnail, in pixels: enough to fill a picker tile and a grid cell.
    static constexpr int shortSidePoints = 360;

signals:
    void thumbnailReady(const QUuid& id);

private:
    QHash<QUuid, QImage> m_images;
    QSet<QUuid> m_pending;
    QSet<QUuid> m_failed;
    QThreadPool m_pool;
};

// One image of the picker row: the thumbnail, filled into 120 × 120 points, with its remove
// button.
class PortfolioImageTile final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioImageTile)

public:
    PortfolioImageTile(const QUuid& id, PortfolioThumbnails& thumbnails, QWidget* parent = nullptr);
    ~PortfolioImageTile() override;

    QUuid id() const { return m_id; }
    QAbstractButton* removeButton() const { return m_remove; }
    void setCaption(const QString& caption);
    QSize sizeHint() const override { return QSize(120, 120); }

signals:
    void removeRequested(const QUuid& id);

protected:
    void paintEvent(QPaintEvent* event) override;

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

// A cell of the reorder grid: the image 90 points high with its caption strip. Dragging it
// over another cell moves it there.
class PortfolioReorderCell final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioReorderCell)

public:
    PortfolioReorderCell(Appearance& appearance, PortfolioThumbnails& thumbnails,
                         const LocalPickerPortfolioItem& row, QWidget* parent = nullptr);
    ~PortfolioReorderCell() override;

    QUuid id() const { return m_row.id; }
    void setRow(const LocalPickerPortfolioItem& row);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

signals:
    void dragStarted(const QUuid& id, QWidget* source);
    void dragEntered(const QUuid& id);
    void dropped();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    Appearance& m_appearance;
    PortfolioThumbnails& m_thumbnails;
    LocalPickerPortfolioItem m_row;
    QPoint m_pressPos;
    bool m_pressed = false;
};

// The "Portfolio" card: the picker row, the reorder grid (from two images on) and the caption
// rows. It edits a working copy of the résumé's portfolio and writes every change back into the
// résumé's records, saving through the editor.
class PortfolioCard final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioCard)

public:
    using DragRunner = std::function<void(QDrag&)>;

    explicit PortfolioCard(ResumeEditorView& editor, QWidget* parent = nullptr);
    ~PortfolioCard() override;

    const PortfolioRows& pickerItems() const { return m_pickerItems; }
    // Replaces the working copy; a change is written back to the résumé and saved.
    void setPickerItems(const PortfolioRows& rows);
    // Fills the working copy from the résumé (a change like any other).
    void loadPortfolioPickerItems();
    // True while the images still only in the store are read on a worker before the first
    // load; the card takes no new images meanwhile.
    bool isLoading() const { return m_loading; }
    // Writes the working copy, with positions as sortOrder, into the résumé and saves (before
    // an export or upload).
    void persistPortfolioOrder();

    void updatePortfolioCaption(int index, const QString& text);
    void togglePortfolioOrientation(int index);
    void removePortfolioImage(const QUuid& id);
    // Reads the files on a worker and appends each image read, in order.
    void addImageFiles(const QStringList& paths);

    std::optional<LocalPickerPortfolioItem> draggedPortfolioItem() const { return m_dragged; }
    void beginDrag(const QUuid& id, QWidget* source);
    void dragEntered(const QUuid& target);
    void dropped();
    void setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

    PortfolioImagePicker* picker() const { return m_picker; }
    PortfolioThumbnails& thumbnails() { return m_thumbnails; }
    bool isReorderSectionShown() const;
    bool captionsExpanded() const;
    void setCaptionsExpanded(bool expanded);
    // The grid's cells in order.
    QList<PortfolioReorderCell*> reorderCells() const;
    // The cells' spring to their new places after a move.
    const LayoutMoveAnimation& cellMoves() const { return *m_cellMoves; }
    // The last picked files that were not added, as the notice under the picker names them.
    QStringList skippedFiles() const { return m_skipped; }

signals:
    // Every file of an addImageFiles call has been read and the images appended.
    void imagesAdded();
    // The working copy was first filled from the résumé.
    void loaded();

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct CaptionRow {
        QWidget* widget = nullptr;
        QLabel* position = nullptr;
        QLineEdit* field = nullptr;
        QAbstractButton* orientation = nullptr;
    };

    void writeBack(int previousCount);
    void refreshViews();
    void refreshRow(int index);
    void refreshGrid();
    void refreshCaptions();
    CaptionRow makeCaptionRow(const QUuid& id);
    void applyScheme();
    void showSkipped(const QStringList& skipped);
    // Reads the images the records have not read yet on a worker, then loads.
    void loadWhenImagesRead();

    ResumeEditorView& m_editor;
    Appearance& m_appearance;
    PortfolioThumbnails m_thumbnails;
    PortfolioRows m_pickerItems;
    std::optional<LocalPickerPortfolioItem> m_dragged;
    bool m_loaded = false;
    bool m_loading = false;
    DragRunner m_dragRunner;
    QStringList m_skipped;

    EditorSectionCard* m_card = nullptr;
    PortfolioImagePicker* m_picker = nullptr;
    QLabel* m_notice = nullptr;
    QWidget* m_reorderSection = nullptr;
    QLabel* m_reorderHeading = nullptr;
    QWidget* m_grid = nullptr;
    QGridLayout* m_gridLayout = nullptr;
    QHash<QUuid, PortfolioReorderCell*> m_cells;
    LayoutMoveAnimation* m_cellMoves = nullptr;
    QAbstractButton* m_captionsToggle = nullptr;
    QWidget* m_captionsHost = nullptr;
    QVBoxLayout* m_captionsLayout = nullptr;
    QHash<QUuid, CaptionRow> m_captionRows;
};

} // namespace quillora
