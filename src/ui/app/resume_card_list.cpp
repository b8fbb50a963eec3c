#include "app/resume_card_list.h"

#include "app/resume_card_delegate.h"
#include "app/resume_card_list_accessible.h"
#include "app/resume_list_model.h"
#include "controls/opacity_transition.h"
#include "controls/overlay_scroll_bar.h"
#include "platform/appearance.h"

#include <QAccessible>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPersistentModelIndex>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <utility>

namespace quillora {

ResumeCardList::ResumeCardList(Appearance& appearance, QWidget* parent)
    : QListView(parent)
    , m_appearance(appearance)
    , m_rowAnimation(new QVariantAnimation(this)) {
    installResumeCardListAccessibility();
    setSelectionMode(QAbstractItemView::NoSelection);
    setMouseTracking(true);
    new OverlayScrollBar(appearance, this);
    m_rowAnimation->setStartValue(0.0);
    m_rowAnimation->setEndValue(1.0);
    m_rowAnimation->setDuration(defaultAnimationMs);
    m_rowAnimation->setEasingCurve(defaultAnimationEasing);
    connect(m_rowAnimation, &QVariantAnimation::valueChanged, viewport(), qOverload<>(&QWidget::update));
    connect(m_rowAnimation, &QVariantAnimation::finished, this, [this] {
        m_motions.clear();
        m_ghosts.clear();
        viewport()->update();
    });
}

void ResumeCardList::setModel(QAbstractItemModel* newModel) {
    for (const QMetaObject::Connection& connection : std::as_const(m_modelConnections))
        disconnect(connection);
    m_modelConnections.clear();
    stopRows();
    // The rows are captured before the view itself hears of a change, while they are still
    // where they were.
    if (newModel) {
        m_modelConnections << connect(newModel, &QAbstractItemModel::rowsAboutToBeInserted, this,
                                      [this] { captureRows(); });
        m_modelConnections << connect(
            newModel, &QAbstractItemModel::rowsAboutToBeRemoved, this,
            [this](const QModelIndex&, int first, int last) { captureRows(first, last); });
        m_modelConnections << connect(newModel, &QAbstractItemModel::rowsAboutToBeMoved, this, [this] {
            m_currentRowBeforeMove = currentIndex().row();
            captureRows();
        });
    }
    QListView::setModel(newModel);
    if (newModel) {
        for (const auto changed : {&QAbstractItemModel::rowsInserted, &QAbstractItemModel::rowsRemoved})
            m_modelConnections << connect(newModel, changed, this, &ResumeCardList::playRows);
        m_modelConnections << connect(newModel, &QAbstractItemModel::rowsMoved, this,
                                      &ResumeCardList::playRows);
        m_modelConnections << connect(newModel, &QAbstractItemModel::rowsMoved, this,
                                      &ResumeCardList::followMovedRows);
        m_modelConnections << connect(newModel, &QAbstractItemModel::modelAboutToBeReset, this,
                                      &ResumeCardList::stopRows);
    }
}

bool ResumeCardList::animatesRows() const {
    return !m_appearance.reduceMotion() && viewport()->isVisible();
}

qreal ResumeCardList::rowProgress() const {
    return m_rowAnimation->state() == QAbstractAnimation::Running ? m_rowAnimation->currentValue().toReal()
                                                                  : 1.0;
}

ResumeCardList::RowMotion ResumeCardList::rowMotion(const QModelIndex& index) const {
    const auto* cards = qobject_cast<const ResumeListModel*>(model());
    if (m_motions.isEmpty() || cards == nullptr)
        return {};
    const auto found = m_motions.constFind(cards->resumeAt(index.row()).get());
    if (found == m_motions.cend())
        return {};
    const qreal progress = rowProgress();
    return {found->offset * (1 - progress), found->opacity + (1 - found->opacity) * progress};
}

QPixmap ResumeCardList::rowImage(const QModelIndex& index, QSize size) const {
    const qreal ratio = viewport()->devicePixelRatioF();
    QPixmap image(size * ratio);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    QStyleOptionViewItem option;
    initViewItemOption(&option);
    option.rect = QRect(QPoint(0, 0), size);
    // Drawn as it looks at rest; the image itself is placed and faded.
    option.widget = nullptr;
    itemDelegateForIndex(index)->paint(&painter, option, index);
    return image;
}

void ResumeCardList::captureRows(int removedFirst, int removedLast) {
    m_before.clear();
    m_leaving.clear();
    m_captured = false;
    const auto* cards = qobject_cast<const ResumeListModel*>(model());
    if (cards == nullptr || !animatesRows())
        return;
    m_captured = true;
    const qreal progress = rowProgress();
    // Rows that were going already keep fading from where they are.
    for (Ghost ghost : std::as_const(m_ghosts)) {
        ghost.opacity *= 1 - progress;
        if (ghost.opacity > 0.01)
            m_leaving.append(ghost);
    }
    const QRect visible = viewport()->rect();
    for (int row = 0; row < cards->rowCount(); ++row) {
        const QModelIndex index = cards->index(row);
        const QRect place = visualRect(index);
        const RowMotion now = rowMotion(index);
        m_before.insert(cards->resumeAt(row).get(), {place.top() + now.offset, now.opacity});
        const QRect drawn = place.translated(0, qRound(now.offset));
        if (row >= removedFirst && row <= removedLast && drawn.intersects(visible))
            m_leaving.append({rowImage(index, place.size()), drawn, now.opacity});
    }
}

void ResumeCardList::playRows() {
    const auto before = std::exchange(m_before, {});
    auto leaving = std::exchange(m_leaving, {});
    const bool captured = std::exchange(m_captured, false);
    m_rowAnimation->stop();
    m_motions.clear();
    m_ghosts.clear();
    const auto* cards = qobject_cast<const ResumeListModel*>(model());
    if (cards == nullptr || !captured || !animatesRows()) {
        viewport()->update();
        return;
    }
    // A row that was there slides from where it was drawn; a new one fades in at its place.
    for (int row = 0; row < cards->rowCount(); ++row) {
        const Resume* resume = cards->resumeAt(row).get();
        const qreal top = visualRect(cards->index(row)).top();
        const auto found = before.constFind(resume);
        const RowMotion from =
            found != before.cend() ? RowMotion{found->offset - top, found->opacity} : RowMotion{0, 0};
        if (from.offset != 0 || from.opacity < 1)
            m_motions.insert(resume, from);
    }
    m_ghosts = std::move(leaving);
    if (!m_motions.isEmpty() || !m_ghosts.isEmpty())
        m_rowAnimation->start();
    viewport()->update();
}

void ResumeCardList::stopRows() {
    m_rowAnimation->stop();
    m_before.clear();
    m_leaving.clear();
    m_captured = false;
    m_motions.clear();
    m_ghosts.clear();
}

void ResumeCardList::paintEvent(QPaintEvent* event) {
    QListView::paintEvent(event);
    if (m_ghosts.isEmpty())
        return;
    // Removed rows fade out where they were, over the rows sliding into their place.
    QPainter painter(viewport());
    const qreal progress = rowProgress();
    for (const Ghost& ghost : std::as_const(m_ghosts)) {
        painter.setOpacity(ghost.opacity * (1 - progress));
        painter.drawPixmap(ghost.rect.topLeft(), ghost.image);
    }
}

void ResumeCardList::setCardDelegate(ResumeCardDelegate* delegate) {
    m_delegate = delegate;
    setItemDelegate(delegate);
}

int ResumeCardList::rowOf(const Resume* resume) const {
    const auto* cards = qobject_cast<const ResumeListModel*>(model());
    return resume == nullptr || cards == nullptr ? -1 : cards->rowOf(resume);
}

const Resume* ResumeCardList::openResume() const {
    return m_open.lock().get();
}

int ResumeCardList::openRow() const {
    return rowOf(openResume());
}

int ResumeCardList::markedRow() const {
    return rowOf(m_marked.lock().get());
}

void ResumeCardList::setOpenResume(const ResumePtr& resume) {
    m_open = resume;
    if (m_delegate != nullptr)
        m_delegate->setOpenResume(resume.get());
    syncCurrentToOpen();
    viewport()->update();
}

void ResumeCardList::setMarkedForDeletion(const ResumePtr& resume) {
    m_marked = resume;
    if (m_delegate != nullptr)
        m_delegate->setMarkedForDeletion(resume.get());
    viewport()->update();
}

void ResumeCardList::syncCurrentToOpen() {
    const int row = openRow();
    if (row < 0 || model() == nullptr || selectionModel() == nullptr)
        return;
    const QModelIndex index = model()->index(row, 0);
    if (currentIndex() != index)
        selectionModel()->setCurrentIndex(index, QItemSelectionModel::NoUpdate);
}

void ResumeCardList::followMovedRows() {
    // The current row stays on its résumé (the open one, unless it is being replaced).
    const QModelIndex current = currentIndex();
    if (hasFocus() && current.isValid() && current.row() != std::exchange(m_currentRowBeforeMove, -1))
        emit currentRowMoved(current);
}

void ResumeCardList::rowsInserted(const QModelIndex& parent, int start, int end) {
    QListView::rowsInserted(parent, start, end);
    // A row inserted above the open one (a new résumé, a copy) leaves the open row where it is.
    syncCurrentToOpen();
}

void ResumeCardList::requestOpen(const QModelIndex& index) {
    const QPersistentModelIndex row(index);
    QTimer::singleShot(0, this, [this, row] {
        if (row.isValid())
            emit openRequested(row);
    });
}

bool ResumeCardList::showsFocusRing() const {
    return hasFocus() && m_keyboardFocus;
}

void ResumeCardList::focusInEvent(QFocusEvent* event) {
    const Qt::FocusReason reason = event->reason();
    // Only a click hides the ring: the focus given by the keyboard, by the window opening or
    // coming back from an alert, sheet or window shows it. Back from a menu the list shows its
    // ring as it did when the focus left.
    if (reason == Qt::MouseFocusReason)
        m_keyboardFocus = false;
    else if (reason != Qt::PopupFocusReason)
        m_keyboardFocus = true;
    // The focus lands on a row a screen reader names and the arrows move on from: the open
    // résumé's, else the first.
    m_takingFocus = true;
    if (!currentIndex().isValid() && m_keyboardFocus && model() != nullptr && selectionModel() != nullptr &&
        model()->rowCount(rootIndex()) > 0)
        selectionModel()->setCurrentIndex(model()->index(std::max(openRow(), 0), 0, rootIndex()),
                                          QItemSelectionModel::NoUpdate);
    // Taking the focus by a click never moves the current row to the first card by itself.
    const QModelIndex before = currentIndex();
    QListView::focusInEvent(event);
    if (!before.isValid() && currentIndex().isValid() && !m_keyboardFocus)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
    m_takingFocus = false;
    viewport()->update();
    // The row that has the focus is reported after the list itself by the window rules.
}

void ResumeCardList::currentChanged(const QModelIndex& current, const QModelIndex& previous) {
    // A row made current as the focus comes in is reported once, after the list (see above): a
    // second, earlier report of the same row makes a screen reader skip both as repeats.
    if (m_takingFocus)
        QAbstractItemView::currentChanged(current, previous);
    else
        QListView::currentChanged(current, previous);
}

void ResumeCardList::keyPressEvent(QKeyEvent* event) {
    m_keyboardFocus = true;
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    viewport()->update();
    // Whatever key moved the current row (an arrow, a page key, a letter of a title typed to find
    // it, with or without a modifier), the row it lands on is opened: the list never names a row
    // that is not the open résumé.
    const QModelIndex after = currentIndex();
    if (m_opensOnKeyboardMove && after.isValid() && after != before)
        emit openRequested(after);
}

void ResumeCardList::mousePressEvent(QMouseEvent* event) {
    m_keyboardFocus = false;
    // A right click leaves the current row and the open résumé alone; the row's menu follows.
    if (event->button() == Qt::RightButton) {
        event->accept();
        return;
    }
    QListView::mousePressEvent(event);
}

} // namespace quillora
