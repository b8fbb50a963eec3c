#include "app/resume_card_list.h"

#include "app/resume_card_delegate.h"
#include "app/resume_card_list_accessible.h"
#include "app/resume_list_model.h"
#include "controls/overlay_scroll_bar.h"

#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPersistentModelIndex>
#include <QTimer>

namespace quillora {

ResumeCardList::ResumeCardList(Appearance& appearance, QWidget* parent)
    : QListView(parent) {
    installResumeCardListAccessibility();
    setSelectionMode(QAbstractItemView::NoSelection);
    setMouseTracking(true);
    new OverlayScrollBar(appearance, this);
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
    m_keyboardFocus = event->reason() == Qt::TabFocusReason || event->reason() == Qt::BacktabFocusReason ||
                      event->reason() == Qt::ShortcutFocusReason;
    // Taking the focus never moves the current row to the first card by itself: the open row,
    // if any, is the current one already.
    const QModelIndex before = currentIndex();
    QListView::focusInEvent(event);
    if (!before.isValid() && currentIndex().isValid() && !m_keyboardFocus)
        selectionModel()->setCurrentIndex(QModelIndex(), QItemSelectionModel::NoUpdate);
}

void ResumeCardList::keyPressEvent(QKeyEvent* event) {
    m_keyboardFocus = true;
    const QModelIndex before = currentIndex();
    QListView::keyPressEvent(event);
    viewport()->update();
    const QModelIndex after = currentIndex();
    static const QList<int> moves{Qt::Key_Up,  Qt::Key_Down,   Qt::Key_Home,
                                  Qt::Key_End, Qt::Key_PageUp, Qt::Key_PageDown};
    if (m_opensOnKeyboardMove && moves.contains(event->key()) && after.isValid() && after != before &&
        (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier)
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
