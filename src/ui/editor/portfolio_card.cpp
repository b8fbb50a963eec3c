#include "editor/portfolio_card.h"

#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "controls/outcome.h"
#include "controls/quiet_screen_change.h"
#include "controls/window_rules.h"
#include "editor/editor_controls.h"
#include "editor/portfolio_caption_rows.h"
#include "editor/portfolio_images.h"
#include "editor/resume_editor_view.h"
#include "platform/appearance.h"
#include "platform/async.h"
#include "store/model_container.h"
#include "store/stored_images.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QDrag>
#include <QFileInfo>
#include <QLabel>
#include <QMimeData>
#include <QPointer>
#include <QVBoxLayout>

#include <algorithm>
#include <optional>

namespace quillora {

PortfolioCard::PortfolioCard(ResumeEditorView& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_appearance(editor.appearance())
    , m_thumbnails(this) {
    setObjectName(QStringLiteral("portfolioSection"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);

    auto* content = new QWidget;
    auto* layout = new QVBoxLayout(content);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(12);

    m_picker = new PortfolioImagePicker(m_appearance, m_thumbnails, content);
    connect(m_picker, &PortfolioImagePicker::filesChosen, this, &PortfolioCard::addImageFiles);
    connect(m_picker, &PortfolioImagePicker::removeRequested, this, &PortfolioCard::removePortfolioImage);
    connect(m_picker, &PortfolioImagePicker::moveRequested, this, &PortfolioCard::moveImage);
    layout->addWidget(m_picker);

    m_notice = new QLabel(content);
    m_notice->setObjectName(QStringLiteral("portfolioSkippedNotice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setWordWrap(true);
    m_notice->setFont(systemFont(12));
    m_notice->hide();
    layout->addWidget(m_notice);

    m_reorderGrid = new PortfolioReorderGrid(m_appearance, m_thumbnails, content);
    connect(m_reorderGrid, &PortfolioReorderGrid::dragStarted, this, &PortfolioCard::beginDrag);
    connect(m_reorderGrid, &PortfolioReorderGrid::dragEntered, this, &PortfolioCard::dragEntered);
    connect(m_reorderGrid, &PortfolioReorderGrid::dropped, this, &PortfolioCard::dropped);
    connect(m_reorderGrid, &PortfolioReorderGrid::moveRequested, this, &PortfolioCard::moveImage);
    layout->addWidget(m_reorderGrid);

    m_captionsToggle = new CaptionsDisclosure(m_appearance, content);
    layout->addWidget(m_captionsToggle);
    m_captionRows = new PortfolioCaptionRows(m_appearance, content);
    m_captionRows->hide();
    layout->addWidget(m_captionRows);
    connect(m_captionsToggle, &QAbstractButton::toggled, m_captionRows, &QWidget::setVisible);
    connect(m_captionRows, &PortfolioCaptionRows::captionEdited, this,
            [this](const QUuid& id, const QString& text) { updatePortfolioCaption(indexOf(id), text); });
    connect(m_captionRows, &PortfolioCaptionRows::orientationToggled, this,
            [this](const QUuid& id) { togglePortfolioOrientation(indexOf(id)); });

    m_card =
        new EditorSectionCard(m_appearance, QStringLiteral("photo.on.rectangle"), QStringLiteral("Portfolio"),
                              QStringLiteral("Add visuals that support your story"),
                              cardInk(m_appearance.isLight()), content, this);
    m_card->setObjectName(QStringLiteral("portfolioCard"));
    outer->addWidget(m_card);

    connect(&m_appearance, &Appearance::changed, this, &PortfolioCard::applyScheme);
    applyScheme();
}

PortfolioCard::~PortfolioCard() = default;

void PortfolioCard::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!m_loaded) {
        m_loaded = true;
        loadWhenImagesRead();
    }
}

void PortfolioCard::loadWhenImagesRead() {
    const ResumePtr& resume = m_editor.resume();
    Services& services = m_editor.services();
    auto reader = std::make_shared<StoredImageReader>(services.hasStore() ? services.store().storeFilePath()
                                                                          : QString());
    QList<QUuid> deferred;
    for (const PortfolioItemPtr& item : resume->portfolioItems()) {
        if (reader->defer(*item))
            deferred.append(item->id());
    }
    if (deferred.isEmpty()) {
        loadPortfolioPickerItems();
        emit loaded();
        return;
    }
    // Twenty photos are a hundred megabytes: read on a worker, not while the editor opens.
    m_loading = true;
    m_picker->addButton()->setEnabled(false);
    runInBackground(
        ResultReceiver(this, resume, QStringLiteral("Portfolio images")),
        [reader, deferred] {
            QHash<QUuid, QByteArray> images;
            for (const QUuid& id : deferred) {
                if (auto bytes = reader->read(id))
                    images.insert(id, bytes.value());
            }
            reader->close();
            return images;
        },
        [this](QHash<QUuid, QByteArray> images) {
            for (const PortfolioItemPtr& item : m_editor.resume()->portfolioItems()) {
                if (!item->isImageLoaded() && images.contains(item->id()))
                    item->adoptStoredImageData(images.value(item->id()));
            }
            m_loading = false;
            // The photos come in as the editor did: a screen reader hears of the rows once, not of
            // each of their widgets (unless the focus is already among them).
            std::optional<QuietScreenChange> quiet;
            if (!isAncestorOf(QApplication::focusWidget())) {
                quiet.emplace();
                for (QWidget* rows : {static_cast<QWidget*>(m_picker), static_cast<QWidget*>(m_reorderGrid),
                                      static_cast<QWidget*>(m_captionRows)})
                    quiet->add(rows);
            }
            m_picker->addButton()->setEnabled(true);
            // Any image the worker could not read is read here, as it would have been anyway.
            loadPortfolioPickerItems();
            emit loaded();
        });
}

void PortfolioCard::applyScheme() {
    const bool light = m_appearance.isLight();
    m_card->setAccent(cardInk(light));
    QPalette secondary = m_notice->palette();
    secondary.setColor(QPalette::WindowText, schemeColors::secondaryLabel(light));
    m_notice->setPalette(secondary);
}

void PortfolioCard::loadPortfolioPickerItems() {
    if (m_editor.resume()->isDeleted())
        return;
    const PortfolioRows rows = quillora::loadPortfolioPickerItems(*m_editor.resume());
    m_dragged.reset();
    if (rows == m_pickerItems)
        return;
    m_pickerItems = rows;
    refreshViews();
}

void PortfolioCard::setPickerItems(const PortfolioRows& rows) {
    if (rows == m_pickerItems)
        return;
    const int previous = int(m_pickerItems.size());
    m_pickerItems = rows;
    refreshViews();
    writeBack(previous);
}

void PortfolioCard::writeBack(int previousCount) {
    Resume& resume = *m_editor.resume();
    if (resume.isDeleted())
        return;
    ModelContext& context = m_editor.services().context();
    syncPortfolioItems(resume, context, m_pickerItems);
    // The grid writes the order too, while it is shown before and after the change. Both writes
    // go into one save: a new image saved before its order would stand first if the app died
    // between the two.
    if (previousCount >= 2 && m_pickerItems.size() >= 2)
        quillora::persistPortfolioOrder(resume, context, m_pickerItems);
    m_editor.saveResume();
}

void PortfolioCard::persistPortfolioOrder() {
    if (m_editor.resume()->isDeleted())
        return;
    quillora::persistPortfolioOrder(*m_editor.resume(), m_editor.services().context(), m_pickerItems);
    m_editor.saveResume();
}

void PortfolioCard::updatePortfolioCaption(int index, const QString& text) {
    if (index < 0 || index >= m_pickerItems.size())
        return;
    const bool changed = m_pickerItems.at(index).caption != text;
    const int previous = int(m_pickerItems.size());
    m_pickerItems[index].caption = text;
    refreshRow(index);
    persistPortfolioOrder();
    if (changed)
        writeBack(previous);
}

void PortfolioCard::togglePortfolioOrientation(int index) {
    if (index < 0 || index >= m_pickerItems.size())
        return;
    auto& orientation = m_pickerItems[index].orientation;
    orientation = orientation == PortfolioImageOrientation::portrait ? PortfolioImageOrientation::landscape
                                                                     : PortfolioImageOrientation::portrait;
    const int previous = int(m_pickerItems.size());
    refreshRow(index);
    persistPortfolioOrder();
    writeBack(previous);
}

// Row `index` changed in place (its caption or orientation), the list otherwise the same: only
// that row's tile, cell and caption row follow, so a keystroke does not lay out every image again.
void PortfolioCard::refreshRow(int index) {
    const LocalPickerPortfolioItem& row = m_pickerItems.at(index);
    const qsizetype sameId =
        std::count_if(m_pickerItems.cbegin(), m_pickerItems.cend(),
                      [&row](const LocalPickerPortfolioItem& r) { return r.id == row.id; });
    if (sameId != 1 || !m_captionRows->hasRow(row.id)) {
        refreshViews(); // rows sharing an id show the first of them: worked out in full
        return;
    }
    m_picker->updateRow(index, row);
    m_reorderGrid->updateRow(row);
    m_captionRows->updateRow(row);
}

int PortfolioCard::indexOf(const QUuid& id) const {
    for (int i = 0; i < m_pickerItems.size(); ++i) {
        if (m_pickerItems.at(i).id == id)
            return i;
    }
    return -1;
}

void PortfolioCard::removePortfolioImage(const QUuid& id) {
    PortfolioRows rows = m_pickerItems;
    for (int i = 0; i < rows.size(); ++i) {
        if (rows.at(i).id == id) {
            rows.removeAt(i);
            setPickerItems(rows);
            return;
        }
    }
}

void PortfolioCard::addImageFiles(const QStringList& paths) {
    // Before the first load an appended row would stand for the whole portfolio.
    if (paths.isEmpty() || m_loading)
        return;
    runInBackground(
        ResultReceiver(this, m_editor.resume(), QStringLiteral("Portfolio images")),
        [paths] { return readPickedImages(paths); },
        [this](PickedImages picked) {
            for (const QByteArray& bytes : std::as_const(picked.images)) {
                PortfolioRows rows = m_pickerItems;
                rows.append({QUuid::createUuid(), bytes, QString(), PortfolioImageOrientation::portrait});
                setPickerItems(rows);
            }
            showSkipped(picked.skipped);
            QStringList said;
            if (const qsizetype added = picked.images.size(); added > 0)
                said << (added == 1 ? QStringLiteral("Added 1 photo.")
                                    : QStringLiteral("Added %1 photos.").arg(added));
            if (!m_notice->isHidden()) {
                said << m_notice->text();
                // Under the tiles, on the page; the focused tile is kept in view after it.
                bringIntoViewOnceLaidOut(m_notice);
            }
            announceOutcome(m_picker, said.join(u' '));
            emit imagesAdded();
        });
}

void PortfolioCard::showSkipped(const QStringList& skipped) {
    m_skipped = skipped;
    if (skipped.isEmpty()) {
        m_notice->hide();
        return;
    }
    if (skipped.size() == 1)
        m_notice->setText(QStringLiteral("“") + QFileInfo(skipped.first()).fileName() +
                          QStringLiteral("” was not added: it is not an image Quillora can read."));
    else
        m_notice->setText(QString::number(skipped.size()) +
                          QStringLiteral(" files were not added: they are not images Quillora can read."));
    m_notice->show();
}

void PortfolioCard::beginDrag(const QUuid& id, QWidget* source) {
    if (m_dragged)
        return;
    for (const LocalPickerPortfolioItem& row : std::as_const(m_pickerItems)) {
        if (row.id == id)
            m_dragged = row;
    }
    if (!m_dragged)
        return;
    QPointer<QDrag> drag = new QDrag(source ? static_cast<QObject*>(source) : this);
    auto* mime = new QMimeData;
    mime->setText(portfolioIdText(id));
    drag->setMimeData(mime);
    if (source) {
        const qreal ratio = source->devicePixelRatioF();
        QPixmap image(source->size() * ratio);
        image.setDevicePixelRatio(ratio);
        image.fill(Qt::transparent);
        source->render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
        drag->setPixmap(image);
        drag->setHotSpot(QPoint(source->width() / 2, source->height() / 2));
    }
    if (m_dragRunner)
        m_dragRunner(*drag);
    else
        drag->exec(Qt::MoveAction);
    if (drag)
        drag->deleteLater();
    // However the drag ended, nothing stays dragged: a later text drop must not move a stale row.
    m_dragged.reset();
}

void PortfolioCard::dragEntered(const QUuid& target) {
    if (m_dragged)
        moveOnto(m_dragged->id, target);
}

void PortfolioCard::moveOnto(const QUuid& id, const QUuid& target) {
    if (auto moved = movedPortfolioRows(m_pickerItems, id, target)) {
        // The cells spring to their new places.
        m_reorderGrid->moveWithSpring([this, &moved] { setPickerItems(*moved); });
    }
}

void PortfolioCard::moveImage(const QUuid& id, int step) {
    const int from = indexOf(id);
    const int to = from + step;
    if (from < 0)
        return;
    if (to < 0 || to >= m_pickerItems.size()) {
        announceOutcome(this, cannotMoveText(step));
        return;
    }
    // The tile or cell that asked keeps the focus (on it or its remove button), whole in view at
    // its new place.
    QWidget* mover = QApplication::focusWidget();
    moveOnto(id, m_pickerItems.at(to).id);
    while (mover != nullptr && mover != this && !qobject_cast<PortfolioImageTile*>(mover) &&
           !qobject_cast<PortfolioReorderCell*>(mover))
        mover = mover->parentWidget();
    announceOutcome(this, movedToPositionText(indexOf(id) + 1, int(m_pickerItems.size())),
                    mover != this ? mover : nullptr);
}

void PortfolioCard::dropped() {
    m_dragged.reset();
}

bool PortfolioCard::isReorderSectionShown() const {
    return !m_reorderGrid->isHidden();
}

bool PortfolioCard::captionsExpanded() const {
    return m_captionsToggle->isChecked();
}

void PortfolioCard::setCaptionsExpanded(bool expanded) {
    m_captionsToggle->setChecked(expanded);
}

QList<PortfolioReorderCell*> PortfolioCard::reorderCells() const {
    return m_reorderGrid->cells();
}

void PortfolioCard::refreshViews() {
    QSet<QUuid> ids;
    for (const LocalPickerPortfolioItem& row : std::as_const(m_pickerItems))
        ids.insert(row.id);
    m_thumbnails.keepOnly(ids);
    m_picker->setRows(m_pickerItems);
    m_reorderGrid->setRows(m_pickerItems);
    m_captionRows->setRows(m_pickerItems);
    applyScheme();
}

} // namespace quillora
