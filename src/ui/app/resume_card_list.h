#pragma once

#include "model/resume.h"

#include <QHash>
#include <QListView>
#include <QPixmap>

class QVariantAnimation;

namespace quillora {

class Appearance;
class ResumeCardDelegate;

// The list of résumé cards. Which résumé is open is its own state, drawn by the card delegate
// and never confused with the keyboard's current row or the row under the pointer; the list's
// item selection is not used. As in a sidebar, any key that moves the current row (an arrow, a
// page key, a title's letters typed to find it) asks to open that row (openRequested), as a click
// does; a right click shows the row's menu without moving anything. The focus ring shows only
// while the focus came from the keyboard. A thin scroll bar lies over the list's trailing edge.
//
// Rows move as the list changes: a new row fades in, a removed one fades out where it was, and
// the rows around them (and a row that re-sorts) slide from their old places to their new ones,
// all with the default animation; at once under reduce motion. Only the drawing moves: the
// rows' places, the model and the current row change at once.
class ResumeCardList final : public QListView {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeCardList)

public:
    explicit ResumeCardList(Appearance& appearance, QWidget* parent = nullptr);

    // The delegate that paints the cards (the list takes it as its item delegate).
    void setCardDelegate(ResumeCardDelegate* delegate);

    // Whether keyboard moves open the row they land on (the sidebar idiom).
    void setOpensOnKeyboardMove(bool opens) { m_opensOnKeyboardMove = opens; }

    // The résumé shown as open (null for none). The keyboard's current row follows it, so the
    // arrows move on from the open résumé; no openRequested is sent for that.
    void setOpenResume(const ResumePtr& resume);
    const Resume* openResume() const;
    // The row of the open résumé, or -1.
    int openRow() const;

    // The résumé marked while its deletion is being confirmed (null for none).
    void setMarkedForDeletion(const ResumePtr& resume);
    int markedRow() const;

    // Asks to open the row's résumé as a click does (openRequested), once the current event is
    // done: an assistive technology's press must not wait for the sheet it opens to close.
    void requestOpen(const QModelIndex& index);

    // Whether the current row is drawn with a focus ring now.
    bool showsFocusRing() const;

    // Where a row is drawn while the rows move: this far below its place, at this opacity.
    struct RowMotion {
        qreal offset = 0;
        qreal opacity = 1;
    };
    RowMotion rowMotion(const QModelIndex& index) const;
    // Removed rows still fading out where they were.
    int fadingRowCount() const { return int(m_ghosts.size()); }
    const QVariantAnimation& rowAnimation() const { return *m_rowAnimation; }

    void setModel(QAbstractItemModel* model) override;

signals:
    void openRequested(const QModelIndex& index);
    // The list re-sorted under the focus: the current row, which stays on its résumé, stands in
    // another place now.
    void currentRowMoved(const QModelIndex& current);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int rowOf(const Resume* resume) const;
    void syncCurrentToOpen();
    // After rows moved: a move of the current row under the focus is told.
    void followMovedRows();
    // Before the rows change: where each is drawn now, and an image of each row that goes.
    void captureRows(int removedFirst = -1, int removedLast = -2);
    // After they changed: every row moves from where it was drawn to its new place.
    void playRows();
    void stopRows();
    bool animatesRows() const;
    QPixmap rowImage(const QModelIndex& index, QSize size) const;
    qreal rowProgress() const;

    struct Ghost {
        QPixmap image;
        QRect rect;
        qreal opacity = 1;
    };
    Appearance& m_appearance;
    QVariantAnimation* m_rowAnimation;
    // Captured before a change: where each row's top was drawn, and at what opacity.
    QHash<const Resume*, RowMotion> m_before;
    QList<Ghost> m_leaving;
    bool m_captured = false;
    // Running: where each moving row starts from, relative to its new place.
    QHash<const Resume*, RowMotion> m_motions;
    QList<Ghost> m_ghosts;
    QList<QMetaObject::Connection> m_modelConnections;

    ResumeCardDelegate* m_delegate = nullptr;
    std::weak_ptr<Resume> m_open;
    std::weak_ptr<Resume> m_marked;
    bool m_opensOnKeyboardMove = true;
    bool m_keyboardFocus = false;
    bool m_takingFocus = false; // in focusInEvent, where the row is reported only afterwards
    int m_currentRowBeforeMove = -1;
};

} // namespace quillora
