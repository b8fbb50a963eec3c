#pragma once

#include "controls/accessibility_traits.h"
#include "model/experience.h"

#include <QHash>
#include <QPoint>
#include <QWidget>

class QLabel;
class QVBoxLayout;

namespace quillora {

class Appearance;
class EditorSectionCard;
class LayoutMoveAnimation;
class OpacityTransition;
class ResumeEditorView;
class SymbolIconButton;
class SymbolTextButton;

// One experience entry in the Experience card: role over "company · start – end", a delete
// button outside reorder mode, and a divider below. A click opens the entry (outside reorder
// mode); a drag carries it onto another row, which moves it there. Alt+Up and Alt+Down, and the
// "Move Up" and "Move Down" actions, move it one place as a drag would.
class ExperienceRow final : public QWidget, public AccessibleActions {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExperienceRow)

public:
    ExperienceRow(ResumeEditorView& editor, const ExperiencePtr& entry, QWidget* parent = nullptr);
    ~ExperienceRow() override;

    const ExperiencePtr& entry() const { return m_entry; }
    // Re-reads the entry, the mode and the entry's identifier.
    void refresh();
    // Re-reads the identifier while the entry is not yet saved (a save gives it its own).
    void refreshIdentifier();
    QLabel* roleLabel() const { return m_role; }
    QLabel* detailLabel() const { return m_detail; }
    QWidget* deleteButton() const;
    // The delete button's fade as reorder mode hides or shows it.
    const OpacityTransition& deleteTransition() const { return *m_deleteTransition; }

    QStringList accessibleActionNames() const override;
    void triggerAccessibleAction(const QString& name) override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dragMoveEvent(QDragMoveEvent* event) override;
    void dropEvent(QDropEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyScheme();

    ResumeEditorView& m_editor;
    ExperiencePtr m_entry;
    Appearance* m_appearance;
    QLabel* m_role;
    QLabel* m_detail;
    SymbolIconButton* m_delete;
    OpacityTransition* m_deleteTransition;
    QPoint m_pressPos;
    bool m_pressed = false;
    bool m_dragStarted = false;
    bool m_identifierTemporary = true;
};

// The Experience card: the entries in display order, "Add Experience" and "Reorder"/"Done".
class ExperienceSection final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ExperienceSection)

public:
    explicit ExperienceSection(ResumeEditorView& editor, QWidget* parent = nullptr);
    ~ExperienceSection() override;

    // The rows, top to bottom.
    QList<ExperienceRow*> rows() const;
    // The row of the entry, or null.
    ExperienceRow* rowFor(const Experience* entry) const {
        return m_rows.value(const_cast<Experience*>(entry));
    }
    // Brings the rows in line with the résumé's entries, keeping the row of every entry that
    // stays (a row being dragged lives on through the moves it causes).
    void sync();
    void refreshRows();
    // The rows of entries saved for the first time take their store identity.
    void refreshIdentifiers();

    EditorSectionCard* card() const { return m_card; }
    SymbolTextButton* addButton() const { return m_add; }
    SymbolTextButton* reorderButton() const { return m_reorder; }
    // The rows' slide after a move: 0.2 s, ease-in-out.
    const LayoutMoveAnimation& moveAnimation() const { return *m_moveAnimation; }
    // The "Reorder"/"Done" button's fade as the mode changes.
    const OpacityTransition& reorderTransition() const { return *m_reorderTransition; }

private:
    void updateReorderButton();

    ResumeEditorView& m_editor;
    EditorSectionCard* m_card;
    QWidget* m_rowsHost;
    QVBoxLayout* m_rowsLayout;
    QHash<Experience*, ExperienceRow*> m_rows;
    SymbolTextButton* m_add;
    SymbolTextButton* m_reorder;
    LayoutMoveAnimation* m_moveAnimation;
    OpacityTransition* m_reorderTransition;
};

} // namespace quillora
