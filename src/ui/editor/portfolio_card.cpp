#include "editor/portfolio_card.h"

#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "controls/focus_ring.h"
#include "controls/layout_move_animation.h"
#include "controls/symbol_icon.h"
#include "editor/editor_controls.h"
#include "editor/portfolio_images.h"
#include "editor/resume_editor_view.h"
#include "platform/appearance.h"
#include "platform/async.h"
#include "store/model_container.h"
#include "store/stored_images.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

constexpr int tileSide = 120;
constexpr int cellHeight = 90;

QString imageLabel(const QString& prefix, const QString& caption) {
    return caption.isEmpty() ? prefix : prefix + QStringLiteral(", ") + caption;
}

// Draws the image scaled to fill rect (cropped to its aspect), clipped to a rounded rectangle.
void paintFilled(QPainter& painter, const QImage& image, const QRectF& rect, qreal radius) {
    QPainterPath clip;
    clip.addRoundedRect(rect, radius, radius);
    painter.save();
    painter.setClipPath(clip);
    const qreal scale = std::max(rect.width() / image.width(), rect.height() / image.height());
    const QSizeF shown(rect.width() / scale, rect.height() / scale);
    const QRectF source(QPointF((image.width() - shown.width()) / 2, (image.height() - shown.height()) / 2),
                        shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, image, source);
    painter.restore();
}

void paintPlaceholder(QPainter& painter, const QRectF& rect, qreal radius) {
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    painter.fillPath(shape, QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.2f));
}

// The remove button over a thumbnail's corner: a white cross in a circle on a dark disc.
class RemoveImageButton final : public QAbstractButton {
public:
    explicit RemoveImageButton(QWidget* parent)
        : QAbstractButton(parent) {
        setCursor(Qt::PointingHandCursor);
        setFixedSize(36, 36);
        setAccessibleName(QStringLiteral("Remove portfolio image"));
        setAccessibleDescription(QStringLiteral("Deletes this image from the portfolio"));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 0.9);
        const QRectF symbol(6, 6, 24, 24);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.6f));
        painter.drawEllipse(symbol);
        paintSymbol(painter, symbol, QStringLiteral("xmark.circle.fill"), Qt::white);
        // Over a photo: the ring of the dark look, which keeps a dark edge inside it.
        if (hasFocus())
            paintFocusRing(painter, symbol.adjusted(-4, -4, 4, 4), 16, false);
    }
};

// The "Add" tile at the end of the picker row.
class AddImageTile final : public QAbstractButton {
public:
    AddImageTile(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance) {
        setObjectName(QStringLiteral("addPortfolioImageButton"));
        setAccessibleName(QStringLiteral("Add portfolio image"));
        setAccessibleDescription(QStringLiteral("Opens the photo library"));
        setCursor(Qt::PointingHandCursor);
        setFixedSize(tileSide, tileSide);
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const QColor ink = accentColor(m_appearance.isLight());
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        painter.setPen(QPen(ink, 1));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 10, 10);
        const QFont font = systemFont(12);
        const QFontMetrics metrics(font);
        const qreal total = 28 + 6 + metrics.height();
        const qreal top = (height() - total) / 2;
        paintSymbol(painter, QRectF((width() - 28) / 2.0, top, 28, 28), QStringLiteral("plus.circle.fill"),
                    ink);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(0, top + 34, width(), metrics.height()), Qt::AlignCenter,
                         QStringLiteral("Add"));
        if (hasFocus())
            paintFocusRing(painter, QRectF(rect()).adjusted(1.5, 1.5, -1.5, -1.5), 9, m_appearance.isLight());
    }

private:
    Appearance& m_appearance;
};

// The picker row scrolls sideways under an ordinary mouse wheel while it has somewhere to go.
class SidewaysScrollArea final : public QScrollArea {
public:
    explicit SidewaysScrollArea(QWidget* parent)
        : QScrollArea(parent) {}

protected:
    void wheelEvent(QWheelEvent* event) override {
        QScrollBar* bar = horizontalScrollBar();
        const QPoint delta = event->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        if (bar->maximum() <= 0 || step == 0 || (step > 0 && bar->value() == bar->minimum()) ||
            (step < 0 && bar->value() == bar->maximum())) {
            event->ignore();
            return;
        }
        bar->setValue(bar->value() - step / 2);
        event->accept();
    }
};

// The orientation toggle of a caption row.
class OrientationButton final : public QAbstractButton {
public:
    OrientationButton(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance) {
        setCursor(Qt::PointingHandCursor);
        setFixedSize(32, 32);
        setAccessibleName(QStringLiteral("Toggle image orientation"));
        setAccessibleValue(this, accessibilityValue());
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

    void setOrientation(PortfolioImageOrientation orientation) {
        if (m_orientation == orientation)
            return;
        m_orientation = orientation;
        update();
        setAccessibleValue(this, accessibilityValue());
    }
    QString symbol() const {
        return m_orientation == PortfolioImageOrientation::portrait ? QStringLiteral("rectangle.portrait")
                                                                    : QStringLiteral("rectangle");
    }
    QString accessibilityValue() const {
        return m_orientation == PortfolioImageOrientation::portrait ? QStringLiteral("Portrait")
                                                                    : QStringLiteral("Landscape");
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const bool light = m_appearance.isLight();
        const QColor accent = accentColor(light);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        const QRectF circle = QRectF(rect()).adjusted(1, 1, -1, -1);
        painter.setPen(QPen(withAlpha(accent, 0.35), 1));
        painter.setBrush(schemeColors::ultraThinMaterial(light));
        painter.drawEllipse(circle);
        paintSymbol(painter, QRectF(9, 9, 14, 14), symbol(), accent);
        if (hasFocus())
            paintFocusRing(painter, QRectF(rect()), width() / 2.0, light);
    }

private:
    Appearance& m_appearance;
    PortfolioImageOrientation m_orientation = PortfolioImageOrientation::portrait;
};

// The "Edit Captions" disclosure: the bubble, the label and a chevron at the far edge.
class CaptionsDisclosure final : public QAbstractButton {
public:
    CaptionsDisclosure(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance) {
        setObjectName(QStringLiteral("editCaptionsDisclosure"));
        setAccessibleName(QStringLiteral("Edit Captions"));
        setCheckable(true);
        setCursor(Qt::PointingHandCursor);
        setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
        connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(systemFont(15));
        return QSize(15 + 6 + metrics.horizontalAdvance(QStringLiteral("Edit Captions")) + 24,
                     std::max(metrics.height(), 20) + 8);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        const bool light = m_appearance.isLight();
        const QColor ink = cardInk(light);
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 1.0);
        const qreal mid = height() / 2.0;
        paintSymbol(painter, QRectF(0, mid - 8, 16, 16), QStringLiteral("text.bubble"), ink);
        const QFont font = systemFont(15);
        painter.setFont(font);
        painter.setPen(ink);
        painter.drawText(QRectF(22, 0, width() - 46, height()), Qt::AlignLeft | Qt::AlignVCenter,
                         QStringLiteral("Edit Captions"));
        paintSymbol(painter, QRectF(width() - 16, mid - 6, 12, 12),
                    isChecked() ? QStringLiteral("chevron.down") : QStringLiteral("chevron.right"),
                    accentColor(light));
        if (hasFocus()) {
            painter.setPen(QPen(withAlpha(accentColor(light), 0.7), 1, Qt::DotLine));
            painter.drawRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 6, 6);
        }
    }

private:
    Appearance& m_appearance;
};

// A thin bar without arrows under the picker row, in the scheme's ink.
void styleRowScrollBar(QScrollBar* bar, bool light) {
    const QString handle =
        light ? QStringLiteral("rgba(0, 0, 0, 0.28)") : QStringLiteral("rgba(255, 255, 255, 0.32)");
    bar->setStyleSheet(
        QStringLiteral(
            "QScrollBar:horizontal { background: transparent; height: 8px; margin: 0 12px 1px 12px; }"
            "QScrollBar::handle:horizontal { background: %1; border-radius: 3px; min-width: 32px; }"
            "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
            "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }")
            .arg(handle));
}

QString captionFieldStyle() {
    return QStringLiteral(
        "QLineEdit { background: rgba(0, 0, 0, 38); border: 1px solid rgba(128, 128, 128, 102);"
        " border-radius: 10px; padding: 10px; }");
}

} // namespace

// --- Thumbnails -------------------------------------------------------------------------------

PortfolioThumbnails::PortfolioThumbnails(QObject* parent)
    : QObject(parent) {
    // Two decodes at a time: quick enough, and only two large images are ever being read.
    m_pool.setMaxThreadCount(2);
}

PortfolioThumbnails::~PortfolioThumbnails() {
    m_pool.clear();
    m_pool.waitForDone();
}

PortfolioThumbnails::State PortfolioThumbnails::state(const LocalPickerPortfolioItem& row) {
    if (m_images.contains(row.id))
        return State::ready;
    if (!row.imageData || m_failed.contains(row.id))
        return State::noImage;
    if (!m_pending.contains(row.id)) {
        m_pending.insert(row.id);
        const QByteArray bytes = *row.imageData;
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        const int side = int(std::ceil(shortSidePoints * ratio));
        const QUuid id = row.id;
        runInBackground(
            ResultReceiver(this, QStringLiteral("Portfolio thumbnail")),
            [bytes, side] { return decodePortfolioThumbnail(bytes, side); },
            [this, id](QImage image) {
                if (!m_pending.remove(id))
                    return; // forgotten meanwhile
                if (image.isNull())
                    m_failed.insert(id);
                else
                    m_images.insert(id, image);
                emit thumbnailReady(id);
            },
            &m_pool);
    }
    return State::pending;
}

void PortfolioThumbnails::keepOnly(const QSet<QUuid>& ids) {
    for (auto it = m_images.begin(); it != m_images.end();)
        it = ids.contains(it.key()) ? std::next(it) : m_images.erase(it);
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = ids.contains(*it) ? std::next(it) : m_pending.erase(it);
    for (auto it = m_failed.begin(); it != m_failed.end();)
        it = ids.contains(*it) ? std::next(it) : m_failed.erase(it);
}

void PortfolioThumbnails::waitForDecodes() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents();
}

// --- Picker -----------------------------------------------------------------------------------

PortfolioImageTile::PortfolioImageTile(const QUuid& id, PortfolioThumbnails& thumbnails, QWidget* parent)
    : QWidget(parent)
    , m_id(id)
    , m_thumbnails(thumbnails)
    , m_remove(new RemoveImageButton(this)) {
    setObjectName(QStringLiteral("portfolioImage") + portfolioIdText(id));
    setFixedSize(tileSide, tileSide);
    m_remove->setObjectName(QStringLiteral("removePortfolioImageButton") + portfolioIdText(id));
    m_remove->move(tileSide - m_remove->width(), 0);
    connect(m_remove, &QAbstractButton::clicked, this, [this] { emit removeRequested(m_id); });
    setCaption(QString());
}

PortfolioImageTile::~PortfolioImageTile() = default;

void PortfolioImageTile::setCaption(const QString& caption) {
    setAccessibleName(imageLabel(QStringLiteral("Portfolio image"), caption));
}

void PortfolioImageTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QImage image = m_thumbnails.thumbnail(m_id);
    if (image.isNull())
        paintPlaceholder(painter, rect(), 10); // still decoding
    else
        paintFilled(painter, image, rect(), 10);
}

PortfolioImagePicker::PortfolioImagePicker(Appearance& appearance, PortfolioThumbnails& thumbnails,
                                           QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_thumbnails(thumbnails) {
    setObjectName(QStringLiteral("portfolioImagePicker"));
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    m_scroll = new SidewaysScrollArea(this);
    m_scroll->setObjectName(QStringLiteral("portfolioPickerScroll"));
    // The tiles take focus, one by one; the row scrolls to the one that has it.
    m_scroll->setFocusPolicy(Qt::NoFocus);
    m_scroll->setFrameShape(QFrame::NoFrame);
    m_scroll->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_scroll->setWidgetResizable(true);
    m_scroll->setAutoFillBackground(false);
    m_scroll->viewport()->setAutoFillBackground(false);
    styleRowScrollBar(m_scroll->horizontalScrollBar(), appearance.isLight());
    m_row = new QWidget;
    m_row->setAutoFillBackground(false);
    m_rowLayout = new QHBoxLayout(m_row);
    m_rowLayout->setContentsMargins(0, 4, 0, 4);
    m_rowLayout->setSpacing(12);
    m_add = new AddImageTile(appearance, m_row);
    connect(m_add, &QAbstractButton::clicked, this, &PortfolioImagePicker::chooseFiles);
    m_scroll->setWidget(m_row);
    m_row->setAutoFillBackground(false);
    // Room for the row and, under it, the slim bar when the row is wider than the card.
    m_scroll->setFixedHeight(tileSide + 8 + 10);
    outer->addWidget(m_scroll);
    connect(&appearance, &Appearance::changed, this,
            [this] { styleRowScrollBar(m_scroll->horizontalScrollBar(), m_appearance.isLight()); });
    connect(&thumbnails, &PortfolioThumbnails::thumbnailReady, this, [this](const QUuid& id) {
        if (PortfolioImageTile* tile = m_tiles.value(id))
            tile->update();
        relayout();
    });
    relayout();
}

PortfolioImagePicker::~PortfolioImagePicker() = default;

void PortfolioImagePicker::setRows(const PortfolioRows& rows) {
    m_rows = rows;
    relayout();
}

void PortfolioImagePicker::updateRow(int index, const LocalPickerPortfolioItem& row) {
    if (index < 0 || index >= m_rows.size() || m_rows.at(index).id != row.id) {
        relayout();
        return;
    }
    m_rows[index] = row;
    if (PortfolioImageTile* tile = m_tiles.value(row.id))
        tile->setCaption(row.caption);
}

void PortfolioImagePicker::relayout() {
    QHash<QUuid, PortfolioImageTile*> kept;
    while (m_rowLayout->count() > 0)
        delete m_rowLayout->takeAt(0);
    for (const LocalPickerPortfolioItem& row : std::as_const(m_rows)) {
        // Rows without an image, and bytes that are no image, get no thumbnail.
        if (kept.contains(row.id) || m_thumbnails.state(row) == PortfolioThumbnails::State::noImage)
            continue;
        PortfolioImageTile* tile = m_tiles.take(row.id);
        if (!tile) {
            tile = new PortfolioImageTile(row.id, m_thumbnails, m_row);
            connect(tile, &PortfolioImageTile::removeRequested, this, &PortfolioImagePicker::removeRequested);
        }
        tile->setCaption(row.caption);
        kept.insert(row.id, tile);
        m_rowLayout->addWidget(tile, 0, Qt::AlignVCenter);
        tile->show();
    }
    for (PortfolioImageTile* gone : std::as_const(m_tiles)) {
        gone->hide();
        gone->deleteLater();
    }
    m_tiles = kept;
    m_rowLayout->addWidget(m_add, 0, Qt::AlignVCenter);
    m_rowLayout->addStretch(1);
}

QList<PortfolioImageTile*> PortfolioImagePicker::tiles() const {
    QList<PortfolioImageTile*> ordered;
    for (int i = 0; i < m_rowLayout->count(); ++i) {
        if (auto* tile = qobject_cast<PortfolioImageTile*>(m_rowLayout->itemAt(i)->widget()))
            ordered.append(tile);
    }
    return ordered;
}

void PortfolioImagePicker::chooseFiles() {
    const QPointer<PortfolioImagePicker> self(this);
    auto done = [self](const QStringList& paths) {
        if (self && !paths.isEmpty())
            emit self->filesChosen(paths);
    };
    if (m_chooser) {
        m_chooser(this, done);
        return;
    }
    auto* dialog = new QFileDialog(window(), QStringLiteral("Add Portfolio Images"));
    dialog->setObjectName(QStringLiteral("portfolioFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setAcceptMode(QFileDialog::AcceptOpen);
    dialog->setNameFilter(portfolioImageNameFilter());
    const QString pictures = QStandardPaths::writableLocation(QStandardPaths::PicturesLocation);
    dialog->setDirectory(!pictures.isEmpty() && QFileInfo(pictures).isDir() ? pictures : QDir::homePath());
    connect(dialog, &QFileDialog::filesSelected, this, done);
    dialog->open();
}

// --- Reorder grid -----------------------------------------------------------------------------

PortfolioReorderCell::PortfolioReorderCell(Appearance& appearance, PortfolioThumbnails& thumbnails,
                                           const LocalPickerPortfolioItem& row, QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_thumbnails(thumbnails) {
    setAcceptDrops(true);
    setCursor(Qt::OpenHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(cellHeight);
    setAccessibleDescription(QStringLiteral("Drag to reorder"));
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    setRow(row);
}

PortfolioReorderCell::~PortfolioReorderCell() = default;

void PortfolioReorderCell::setRow(const LocalPickerPortfolioItem& row) {
    m_row = row;
    setObjectName(QStringLiteral("portfolioReorderItem") + portfolioIdText(row.id));
    setAccessibleName(imageLabel(QStringLiteral("Portfolio item"), row.caption));
    update();
}

QSize PortfolioReorderCell::sizeHint() const {
    return QSize(120, cellHeight);
}

QSize PortfolioReorderCell::minimumSizeHint() const {
    return QSize(10, cellHeight);
}

void PortfolioReorderCell::paintEvent(QPaintEvent*) {
    const bool light = m_appearance.isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF area(0, 0, width(), cellHeight);
    const QImage image = m_row.imageData ? m_thumbnails.thumbnail(m_row.id) : QImage();
    if (image.isNull())
        paintPlaceholder(painter, area, 12);
    else
        paintFilled(painter, image, area, 12);
    // The caption strip over the bottom (a blank keeps its height when there is no caption).
    const QFont font = systemFont(11);
    const QFontMetrics metrics(font);
    const qreal stripHeight = metrics.height() + 12;
    const QRectF strip(0, cellHeight - stripHeight, width(), stripHeight);
    QPainterPath shape;
    shape.addRoundedRect(strip, 12, 12);
    painter.fillPath(shape, schemeColors::ultraThinMaterial(light));
    painter.setFont(font);
    painter.setPen(schemeColors::primaryLabel(light));
    const QRectF textRect = strip.adjusted(6, 6, -6, -6);
    painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter,
                     metrics.elidedText(m_row.caption, Qt::ElideRight, int(textRect.width())));
}

void PortfolioReorderCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        m_pressed = true;
        m_pressPos = event->position().toPoint();
    }
    QWidget::mousePressEvent(event);
}

void PortfolioReorderCell::mouseMoveEvent(QMouseEvent* event) {
    if (m_pressed && (event->buttons() & Qt::LeftButton) &&
        (event->position().toPoint() - m_pressPos).manhattanLength() >= QApplication::startDragDistance()) {
        m_pressed = false;
        emit dragStarted(m_row.id, this);
        return;
    }
    QWidget::mouseMoveEvent(event);
}

void PortfolioReorderCell::mouseReleaseEvent(QMouseEvent* event) {
    m_pressed = false;
    QWidget::mouseReleaseEvent(event);
}

void PortfolioReorderCell::dragEnterEvent(QDragEnterEvent* event) {
    if (!event->mimeData()->hasText()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    emit dragEntered(m_row.id);
}

void PortfolioReorderCell::dragMoveEvent(QDragMoveEvent* event) {
    if (event->mimeData()->hasText())
        event->acceptProposedAction();
    else
        event->ignore();
}

void PortfolioReorderCell::dropEvent(QDropEvent* event) {
    event->acceptProposedAction();
    emit dropped();
}

// --- Card -------------------------------------------------------------------------------------

PortfolioCard::PortfolioCard(ResumeEditorView& editor, QWidget* parent)
    : QWidget(parent)
    , m_editor(editor)
    , m_appearance(editor.appearance())
    , m_thumbnails(this)
    , m_cellMoves(new LayoutMoveAnimation(editor.appearance(), springDurationMs, springEasingCurve(), this)) {
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
    layout->addWidget(m_picker);

    m_notice = new QLabel(content);
    m_notice->setObjectName(QStringLiteral("portfolioSkippedNotice"));
    m_notice->setTextFormat(Qt::PlainText);
    m_notice->setWordWrap(true);
    m_notice->setFont(systemFont(12));
    m_notice->hide();
    layout->addWidget(m_notice);

    m_reorderSection = new QWidget(content);
    m_reorderSection->setObjectName(QStringLiteral("portfolioReorderSection"));
    auto* reorder = new QVBoxLayout(m_reorderSection);
    reorder->setContentsMargins(0, 0, 0, 0);
    reorder->setSpacing(8);
    reorder->addSpacing(6);
    reorder->addWidget(new EditorDivider(
        m_appearance, [](bool light) { return light ? QColor(60, 60, 67, 74) : QColor(84, 84, 88, 153); },
        m_reorderSection));
    reorder->addSpacing(6);
    m_reorderHeading = new QLabel(QStringLiteral("Reorder Images"), m_reorderSection);
    m_reorderHeading->setObjectName(QStringLiteral("portfolioReorderHeading"));
    markAsAccessibleHeading(m_reorderHeading);
    m_reorderHeading->setFont(systemFont(12));
    reorder->addWidget(m_reorderHeading);
    m_grid = new QWidget(m_reorderSection);
    m_grid->setObjectName(QStringLiteral("portfolioReorderGrid"));
    m_grid->setMinimumHeight(110);
    m_gridLayout = new QGridLayout(m_grid);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setHorizontalSpacing(8);
    m_gridLayout->setVerticalSpacing(12);
    m_gridLayout->setAlignment(Qt::AlignTop);
    for (int column = 0; column < 3; ++column) {
        m_gridLayout->setColumnStretch(column, 1);
        m_gridLayout->setColumnMinimumWidth(column, 10);
    }
    reorder->addWidget(m_grid);
    m_reorderSection->hide();
    layout->addWidget(m_reorderSection);

    m_captionsToggle = new CaptionsDisclosure(m_appearance, content);
    layout->addWidget(m_captionsToggle);
    m_captionsHost = new QWidget(content);
    m_captionsHost->setObjectName(QStringLiteral("portfolioCaptionRows"));
    m_captionsLayout = new QVBoxLayout(m_captionsHost);
    m_captionsLayout->setContentsMargins(0, 6, 0, 0);
    m_captionsLayout->setSpacing(8);
    m_captionsHost->hide();
    layout->addWidget(m_captionsHost);
    connect(m_captionsToggle, &QAbstractButton::toggled, m_captionsHost, &QWidget::setVisible);

    m_card =
        new EditorSectionCard(m_appearance, QStringLiteral("photo.on.rectangle"), QStringLiteral("Portfolio"),
                              QStringLiteral("Add visuals that support your story"),
                              cardInk(m_appearance.isLight()), content, this);
    m_card->setObjectName(QStringLiteral("portfolioCard"));
    outer->addWidget(m_card);

    connect(&m_thumbnails, &PortfolioThumbnails::thumbnailReady, this, [this](const QUuid& id) {
        if (PortfolioReorderCell* cell = m_cells.value(id))
            cell->update();
    });
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
            m_picker->addButton()->setEnabled(true);
            // Any image the worker could not read is read here, as it would have been anyway.
            loadPortfolioPickerItems();
            emit loaded();
        });
}

void PortfolioCard::applyScheme() {
    const bool light = m_appearance.isLight();
    m_card->setAccent(cardInk(light));
    QPalette secondary = m_reorderHeading->palette();
    secondary.setColor(QPalette::WindowText, schemeColors::secondaryLabel(light));
    m_reorderHeading->setPalette(secondary);
    m_notice->setPalette(secondary);
    for (const CaptionRow& row : std::as_const(m_captionRows)) {
        row.position->setPalette(secondary);
        QPalette field = row.field->palette();
        field.setColor(QPalette::Text, cardInk(light));
        field.setColor(QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
        row.field->setPalette(field);
    }
}

void PortfolioCard::loadPortfolioPickerItems() {
    if (m_editor.resume()->isDeleted())
        return;
    setPickerItems(quillora::loadPortfolioPickerItems(*m_editor.resume()));
    m_dragged.reset();
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
    const auto captionRow = m_captionRows.constFind(row.id);
    if (sameId != 1 || captionRow == m_captionRows.cend()) {
        refreshViews(); // rows sharing an id show the first of them: worked out in full
        return;
    }
    m_picker->updateRow(index, row);
    if (PortfolioReorderCell* cell = m_cells.value(row.id))
        cell->setRow(row);
    if (captionRow->field->text() != row.caption)
        captionRow->field->setText(row.caption);
    static_cast<OrientationButton*>(captionRow->orientation)->setOrientation(row.orientation);
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
    if (!m_dragged)
        return;
    if (auto moved = movedPortfolioRows(m_pickerItems, m_dragged->id, target)) {
        // The cells spring to their new places.
        m_cellMoves->capture(QList<QWidget*>(m_cells.cbegin(), m_cells.cend()));
        setPickerItems(*moved);
        m_cellMoves->play(m_gridLayout);
    }
}

void PortfolioCard::dropped() {
    m_dragged.reset();
}

bool PortfolioCard::isReorderSectionShown() const {
    return !m_reorderSection->isHidden();
}

bool PortfolioCard::captionsExpanded() const {
    return m_captionsToggle->isChecked();
}

void PortfolioCard::setCaptionsExpanded(bool expanded) {
    m_captionsToggle->setChecked(expanded);
}

QList<PortfolioReorderCell*> PortfolioCard::reorderCells() const {
    QList<PortfolioReorderCell*> ordered;
    for (const LocalPickerPortfolioItem& row : m_pickerItems) {
        if (PortfolioReorderCell* cell = m_cells.value(row.id))
            ordered.append(cell);
    }
    return ordered;
}

void PortfolioCard::refreshViews() {
    QSet<QUuid> ids;
    for (const LocalPickerPortfolioItem& row : std::as_const(m_pickerItems))
        ids.insert(row.id);
    m_thumbnails.keepOnly(ids);
    m_picker->setRows(m_pickerItems);
    refreshGrid();
    refreshCaptions();
}

void PortfolioCard::refreshGrid() {
    const bool shown = m_pickerItems.size() >= 2;
    QHash<QUuid, PortfolioReorderCell*> kept;
    while (m_gridLayout->count() > 0)
        delete m_gridLayout->takeAt(0);
    if (shown) {
        int index = 0;
        for (const LocalPickerPortfolioItem& row : std::as_const(m_pickerItems)) {
            if (kept.contains(row.id))
                continue;
            PortfolioReorderCell* cell = m_cells.take(row.id);
            if (!cell) {
                cell = new PortfolioReorderCell(m_appearance, m_thumbnails, row, m_grid);
                connect(cell, &PortfolioReorderCell::dragStarted, this, &PortfolioCard::beginDrag);
                connect(cell, &PortfolioReorderCell::dragEntered, this, &PortfolioCard::dragEntered);
                connect(cell, &PortfolioReorderCell::dropped, this, &PortfolioCard::dropped);
            } else {
                cell->setRow(row);
            }
            kept.insert(row.id, cell);
            m_gridLayout->addWidget(cell, index / 3, index % 3);
            cell->show();
            ++index;
        }
    }
    // A cell may be the source of the drag still running: it goes later, not now.
    for (PortfolioReorderCell* gone : std::as_const(m_cells)) {
        gone->hide();
        gone->deleteLater();
    }
    m_cells = kept;
    m_reorderSection->setVisible(shown);
}

PortfolioCard::CaptionRow PortfolioCard::makeCaptionRow(const QUuid& id) {
    CaptionRow row;
    row.widget = new QWidget(m_captionsHost);
    auto* layout = new QHBoxLayout(row.widget);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(8);
    row.position = new QLabel(row.widget);
    row.position->setFont(systemFont(12));
    row.position->setMinimumWidth(
        QFontMetrics(row.position->font()).horizontalAdvance(QStringLiteral("00.")));
    layout->addWidget(row.position);
    row.field = new QLineEdit(row.widget);
    row.field->setObjectName(QStringLiteral("portfolioCaptionField") + portfolioIdText(id));
    row.field->setPlaceholderText(QStringLiteral("Caption"));
    row.field->setAccessibleName(QStringLiteral("Caption"));
    row.field->setFont(systemFont(15));
    row.field->setFrame(false);
    row.field->setStyleSheet(captionFieldStyle());
    layout->addWidget(row.field, 1);
    auto* orientation = new OrientationButton(m_appearance, row.widget);
    orientation->setObjectName(QStringLiteral("togglePortfolioOrientationButton") + portfolioIdText(id));
    row.orientation = orientation;
    layout->addWidget(orientation);
    // The row finds its place by id when used, so a list that changed meanwhile is no fault.
    const auto indexOf = [this, id] {
        for (int i = 0; i < m_pickerItems.size(); ++i) {
            if (m_pickerItems.at(i).id == id)
                return i;
        }
        return -1;
    };
    connect(row.field, &QLineEdit::textEdited, this,
            [this, indexOf](const QString& text) { updatePortfolioCaption(indexOf(), text); });
    connect(orientation, &QAbstractButton::clicked, this,
            [this, indexOf] { togglePortfolioOrientation(indexOf()); });
    return row;
}

void PortfolioCard::refreshCaptions() {
    QHash<QUuid, CaptionRow> kept;
    while (m_captionsLayout->count() > 0)
        delete m_captionsLayout->takeAt(0);
    for (int i = 0; i < m_pickerItems.size(); ++i) {
        const LocalPickerPortfolioItem& item = m_pickerItems.at(i);
        if (kept.contains(item.id))
            continue;
        CaptionRow row = m_captionRows.take(item.id);
        const bool created = !row.widget;
        if (created)
            row = makeCaptionRow(item.id);
        row.position->setText(QString::number(i + 1) + QLatin1Char('.'));
        if (row.field->text() != item.caption)
            row.field->setText(item.caption);
        static_cast<OrientationButton*>(row.orientation)->setOrientation(item.orientation);
        kept.insert(item.id, row);
        m_captionsLayout->addWidget(row.widget);
        row.widget->show();
    }
    for (const CaptionRow& gone : std::as_const(m_captionRows)) {
        gone.widget->hide();
        gone.widget->deleteLater();
    }
    m_captionRows = kept;
    applyScheme();
}

} // namespace quillora
