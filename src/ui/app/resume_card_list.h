#pragma once

#include "model/resume.h"

#include <QListView>

namespace quillora {

class Appearance;
class ResumeCardDelegate;

// The list of résumé cards. Which résumé is open is its own state, drawn by the card delegate
// and never confused with the keyboard's current row or the row under the pointer; the list's
// item selection is not used. As in a sidebar, moving the current row with the keyboard asks to
// open that row (openRequested), as a click does; a right click shows the row's menu without
// moving anything. The focus ring shows only while the focus came from the keyboard. A thin
// scroll bar lies over the list's trailing edge.
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

signals:
    void openRequested(const QModelIndex& index);

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void rowsInserted(const QModelIndex& parent, int start, int end) override;

private:
    int rowOf(const Resume* resume) const;
    void syncCurrentToOpen();

    ResumeCardDelegate* m_delegate = nullptr;
    std::weak_ptr<Resume> m_open;
    std::weak_ptr<Resume> m_marked;
    bool m_opensOnKeyboardMove = true;
    bool m_keyboardFocus = false;
};

} // namespace quillora
