#pragma once

#include "editor/portfolio_image_picker.h"
#include "editor/portfolio_reorder_grid.h"
#include "editor/portfolio_rows.h"
#include "editor/portfolio_thumbnails.h"

#include <QAbstractButton>
#include <QUuid>
#include <QWidget>

#include <functional>
#include <optional>

class QDrag;
class QLabel;

namespace quillora {

class Appearance;
class EditorSectionCard;
class LayoutMoveAnimation;
class PortfolioCaptionRows;
class ResumeEditorView;

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
    // Moves the image `step` places later (earlier when negative) as a drag onto that image
    // would, and saves; nothing at the ends.
    void moveImage(const QUuid& id, int step);
    void setDragRunner(DragRunner runner) { m_dragRunner = std::move(runner); }

    PortfolioImagePicker* picker() const { return m_picker; }
    PortfolioThumbnails& thumbnails() { return m_thumbnails; }
    bool isReorderSectionShown() const;
    bool captionsExpanded() const;
    void setCaptionsExpanded(bool expanded);
    // The grid's cells in order.
    QList<PortfolioReorderCell*> reorderCells() const;
    // The cells' spring to their new places after a move.
    const LayoutMoveAnimation& cellMoves() const { return m_reorderGrid->cellMoves(); }
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
    void writeBack(int previousCount);
    void refreshViews();
    void refreshRow(int index);
    // The position of the first row with this id, or -1.
    int indexOf(const QUuid& id) const;
    // The drag's move: `id` takes the place of `target`.
    void moveOnto(const QUuid& id, const QUuid& target);
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
    PortfolioReorderGrid* m_reorderGrid = nullptr;
    QAbstractButton* m_captionsToggle = nullptr;
    PortfolioCaptionRows* m_captionRows = nullptr;
};

} // namespace quillora
