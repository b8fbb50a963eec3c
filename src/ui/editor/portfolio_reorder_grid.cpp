#include "editor/portfolio_reorder_grid.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/layout_move_animation.h"
#include "editor/editor_controls.h"
#include "editor/portfolio_image_paint.h"
#include "editor/portfolio_thumbnails.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QDragEnterEvent>
#include <QGridLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QMimeData>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr int cellHeight = 90;

} // namespace

PortfolioReorderCell::PortfolioReorderCell(Appearance& appearance, PortfolioThumbnails& thumbnails,
                                           const LocalPickerPortfolioItem& row, QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_thumbnails(thumbnails) {
    setAcceptDrops(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::OpenHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setFixedHeight(cellHeight);
    setAccessibleDescription(reorderHint(true));
    connect(&appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    setRow(row);
}

PortfolioReorderCell::~PortfolioReorderCell() = default;

void PortfolioReorderCell::setRow(const LocalPickerPortfolioItem& row) {
    m_row = row;
    setObjectName(QStringLiteral("portfolioReorderItem") + portfolioIdText(row.id));
    updateName();
    update();
}

void PortfolioReorderCell::setPosition(int position) {
    if (position == m_position)
        return;
    m_position = position;
    updateName();
}

void PortfolioReorderCell::updateName() {
    // Its place in the order says which image it is when it has no caption.
    setAccessibleName(
        portfolioImageLabel(QStringLiteral("Portfolio item %1").arg(m_position + 1), m_row.caption));
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
        paintPortfolioPlaceholder(painter, area, 12);
    else
        paintPortfolioImage(painter, image, area, 12);
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
    if (hasFocus())
        paintFocusRing(painter, area.adjusted(1.5, 1.5, -1.5, -1.5), 11, light);
}

void PortfolioReorderCell::triggerAccessibleAction(const QString& name) {
    if (const int step = moveStepForAction(name))
        emit moveRequested(m_row.id, step);
}

void PortfolioReorderCell::keyPressEvent(QKeyEvent* event) {
    if (const int step = moveStepForKey(*event, true, layoutDirection())) {
        emit moveRequested(m_row.id, step);
        return;
    }
    QWidget::keyPressEvent(event);
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

PortfolioReorderGrid::PortfolioReorderGrid(Appearance& appearance, PortfolioThumbnails& thumbnails,
                                           QWidget* parent)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_thumbnails(thumbnails)
    , m_cellMoves(new LayoutMoveAnimation(appearance, springDurationMs, springEasingCurve(), this)) {
    setObjectName(QStringLiteral("portfolioReorderSection"));
    auto* reorder = new QVBoxLayout(this);
    reorder->setContentsMargins(0, 0, 0, 0);
    reorder->setSpacing(8);
    reorder->addSpacing(6);
    reorder->addWidget(new EditorDivider(
        m_appearance, [](bool light) { return light ? QColor(60, 60, 67, 74) : QColor(84, 84, 88, 153); },
        this));
    reorder->addSpacing(6);
    m_heading = new QLabel(QStringLiteral("Reorder Images"), this);
    m_heading->setObjectName(QStringLiteral("portfolioReorderHeading"));
    markAsAccessibleHeading(m_heading);
    m_heading->setFont(systemFont(12));
    reorder->addWidget(m_heading);
    m_grid = new QWidget(this);
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
    hide();

    connect(&thumbnails, &PortfolioThumbnails::thumbnailReady, this, [this](const QUuid& id) {
        if (PortfolioReorderCell* cell = m_cells.value(id))
            cell->update();
    });
    connect(&m_appearance, &Appearance::changed, this, &PortfolioReorderGrid::applyScheme);
    applyScheme();
}

PortfolioReorderGrid::~PortfolioReorderGrid() = default;

void PortfolioReorderGrid::applyScheme() {
    QPalette secondary = m_heading->palette();
    secondary.setColor(QPalette::WindowText, schemeColors::secondaryLabel(m_appearance.isLight()));
    m_heading->setPalette(secondary);
}

void PortfolioReorderGrid::setRows(const PortfolioRows& rows) {
    m_order.clear();
    for (const LocalPickerPortfolioItem& row : rows)
        m_order.append(row.id);
    const bool shown = rows.size() >= 2;
    QHash<QUuid, PortfolioReorderCell*> kept;
    while (m_gridLayout->count() > 0)
        delete m_gridLayout->takeAt(0);
    if (shown) {
        int index = 0;
        for (const LocalPickerPortfolioItem& row : rows) {
            if (kept.contains(row.id))
                continue;
            PortfolioReorderCell* cell = m_cells.take(row.id);
            if (!cell) {
                cell = new PortfolioReorderCell(m_appearance, m_thumbnails, row, m_grid);
                connect(cell, &PortfolioReorderCell::dragStarted, this, &PortfolioReorderGrid::dragStarted);
                connect(cell, &PortfolioReorderCell::dragEntered, this, &PortfolioReorderGrid::dragEntered);
                connect(cell, &PortfolioReorderCell::dropped, this, &PortfolioReorderGrid::dropped);
                connect(cell, &PortfolioReorderCell::moveRequested, this,
                        &PortfolioReorderGrid::moveRequested);
            } else {
                cell->setRow(row);
            }
            cell->setPosition(index);
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
    setVisible(shown);
}

void PortfolioReorderGrid::updateRow(const LocalPickerPortfolioItem& row) {
    if (PortfolioReorderCell* cell = m_cells.value(row.id))
        cell->setRow(row);
}

QList<PortfolioReorderCell*> PortfolioReorderGrid::cells() const {
    QList<PortfolioReorderCell*> ordered;
    for (const QUuid& id : m_order) {
        if (PortfolioReorderCell* cell = m_cells.value(id))
            ordered.append(cell);
    }
    return ordered;
}

void PortfolioReorderGrid::moveWithSpring(const std::function<void()>& change) {
    m_cellMoves->capture(QList<QWidget*>(m_cells.cbegin(), m_cells.cend()));
    change();
    m_cellMoves->play(m_gridLayout);
}

} // namespace quillora
