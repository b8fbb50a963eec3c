#include "editor/portfolio_image_picker.h"

#include "controls/focus_ring.h"
#include "controls/symbol_icon.h"
#include "editor/editor_controls.h"
#include "editor/portfolio_image_paint.h"
#include "editor/portfolio_images.h"
#include "editor/portfolio_thumbnails.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QPainter>
#include <QPointer>
#include <QScrollArea>
#include <QScrollBar>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace quillora {

namespace {

constexpr int tileSide = 120;

// The remove button over a thumbnail's corner: a white cross in a circle on a dark disc.
class RemoveImageButton final : public QAbstractButton {
public:
    RemoveImageButton(Appearance& appearance, QWidget* parent)
        : QAbstractButton(parent)
        , m_appearance(appearance) {
        setCursor(Qt::PointingHandCursor);
        setFixedSize(36, 36);
        setAccessibleName(QStringLiteral("Remove portfolio image"));
        setAccessibleDescription(QStringLiteral("Deletes this image from the portfolio"));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        // Alt with an arrow moves the image (the tile's); plain arrows move the focus as usual.
        if (moveStepForKey(*event, true, layoutDirection()) != 0) {
            event->ignore();
            return;
        }
        QAbstractButton::keyPressEvent(event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setOpacity(isDown() ? 0.6 : 0.9);
        const QRectF symbol(6, 6, 24, 24);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.6f));
        painter.drawEllipse(symbol);
        paintSymbol(painter, symbol, QStringLiteral("xmark.circle.fill"), Qt::white);
        // Over a photo the ring's two lines, dark and light, keep one edge in contrast.
        if (hasFocus())
            paintFocusRing(painter, symbol.adjusted(-4, -4, 4, 4), 16, m_appearance.isLight());
    }

private:
    Appearance& m_appearance;
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

} // namespace

PortfolioImageTile::PortfolioImageTile(const QUuid& id, PortfolioThumbnails& thumbnails,
                                       Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_id(id)
    , m_thumbnails(thumbnails)
    , m_remove(new RemoveImageButton(appearance, this)) {
    setObjectName(QStringLiteral("portfolioImage") + portfolioIdText(id));
    setFixedSize(tileSide, tileSide);
    m_remove->setObjectName(QStringLiteral("removePortfolioImageButton") + portfolioIdText(id));
    m_remove->move(tileSide - m_remove->width(), 0);
    connect(m_remove, &QAbstractButton::clicked, this, [this] { emit removeRequested(m_id); });
    setCaption(QString());
}

PortfolioImageTile::~PortfolioImageTile() = default;

void PortfolioImageTile::setCaption(const QString& caption) {
    // Qt reports every name set as changed: a thumbnail decoded must not tell a reader it was.
    const QString name = portfolioImageLabel(QStringLiteral("Portfolio image"), caption);
    if (accessibleName() != name)
        setAccessibleName(name);
}

void PortfolioImageTile::triggerAccessibleAction(const QString& name) {
    if (const int step = moveStepForAction(name))
        emit moveRequested(m_id, step);
}

void PortfolioImageTile::keyPressEvent(QKeyEvent* event) {
    if (const int step = moveStepForKey(*event, true, layoutDirection())) {
        emit moveRequested(m_id, step);
        return;
    }
    QWidget::keyPressEvent(event);
}

void PortfolioImageTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QImage image = m_thumbnails.thumbnail(m_id);
    if (image.isNull())
        paintPortfolioPlaceholder(painter, rect(), 10); // still decoding
    else
        paintPortfolioImage(painter, image, rect(), 10);
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
    styleSlimScrollBar(m_scroll->horizontalScrollBar(), appearance.isLight());
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
            [this] { styleSlimScrollBar(m_scroll->horizontalScrollBar(), m_appearance.isLight()); });
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
    // Where the focus is on a tile that goes (its remove button), it moves to the tile now in
    // its place, else the one before it, else the Add tile: never out of the row.
    int focusedTile = -1;
    const QList<PortfolioImageTile*> before = tiles();
    for (int i = 0; i < before.size(); ++i) {
        if (before.at(i)->isAncestorOf(QApplication::focusWidget()) || before.at(i)->hasFocus())
            focusedTile = i;
    }
    QHash<QUuid, PortfolioImageTile*> kept;
    while (m_rowLayout->count() > 0)
        delete m_rowLayout->takeAt(0);
    for (qsizetype i = 0; i < m_rows.size(); ++i) {
        const LocalPickerPortfolioItem& row = m_rows.at(i);
        // Rows without an image, and bytes that are no image, get no thumbnail.
        if (kept.contains(row.id) || m_thumbnails.state(row) == PortfolioThumbnails::State::noImage)
            continue;
        PortfolioImageTile* tile = m_tiles.take(row.id);
        if (!tile) {
            tile = new PortfolioImageTile(row.id, m_thumbnails, m_appearance, m_row);
            connect(tile, &PortfolioImageTile::removeRequested, this, &PortfolioImagePicker::removeRequested);
            connect(tile, &PortfolioImageTile::moveRequested, this, &PortfolioImagePicker::moveRequested);
        }
        tile->setCaption(row.caption);
        // Numbered as the caption rows number the images.
        const QString removeName = QStringLiteral("Remove portfolio image %1").arg(i + 1);
        if (tile->removeButton()->accessibleName() != removeName)
            tile->removeButton()->setAccessibleName(removeName);
        kept.insert(row.id, tile);
        m_rowLayout->addWidget(tile, 0, Qt::AlignVCenter);
        tile->show();
    }
    m_rowLayout->addWidget(m_add, 0, Qt::AlignVCenter);
    m_rowLayout->addStretch(1);
    if (focusedTile >= 0 && m_tiles.contains(before.at(focusedTile)->id())) {
        const QList<PortfolioImageTile*> after = tiles();
        if (after.isEmpty())
            m_add->setFocus(Qt::OtherFocusReason);
        else
            after.at(std::min(focusedTile, int(after.size()) - 1))
                ->removeButton()
                ->setFocus(Qt::OtherFocusReason);
    }
    for (PortfolioImageTile* gone : std::as_const(m_tiles)) {
        gone->hide();
        gone->deleteLater();
    }
    m_tiles = kept;
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

} // namespace quillora
