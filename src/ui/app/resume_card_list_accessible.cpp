#include "app/resume_card_list_accessible.h"

#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "controls/accessibility_traits.h"

#include <QAccessibleWidget>
#include <QAction>
#include <QHash>
#include <QPersistentModelIndex>
#include <QPointer>
#include <QTimer>
#include <QWindow>

namespace quillora {

namespace {

// One card of the list: named and described by its row, selected while its résumé is open, and
// opened by its press action as a click opens it.
class CardAccessible final : public QAccessibleInterface,
                             public QAccessibleActionInterface,
                             public QAccessibleTableCellInterface {
public:
    CardAccessible(ResumeCardList* list, const QModelIndex& index)
        : m_list(list)
        , m_index(index) {}

    int row() const { return m_index.row(); }

    bool isValid() const override { return m_list && m_index.isValid(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_list ? m_list->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_list); }
    QAccessibleInterface* child(int) const override { return nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessible::Role role() const override { return QAccessible::ListItem; }

    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (t == QAccessible::Name) {
            const QString name = m_index.data(Qt::AccessibleTextRole).toString();
            return name.isEmpty() ? m_index.data(Qt::DisplayRole).toString() : name;
        }
        if (t == QAccessible::Description)
            return m_index.data(Qt::AccessibleDescriptionRole).toString();
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect area = m_list->visualRect(m_index);
        return QRect(m_list->viewport()->mapToGlobal(area.topLeft()), area.size());
    }

    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.focusable = true;
        s.selectable = true;
        s.selected = row() == m_list->openRow();
        s.focused = m_list->hasFocus() && m_list->currentIndex() == m_index;
        s.active = s.focused;
        s.disabled = !m_list->isEnabled();
        const QRect area = m_list->visualRect(m_index);
        if (!m_list->isVisible() || !m_list->viewport()->rect().intersects(area)) {
            s.invisible = !m_list->isVisible();
            s.offscreen = true;
        }
        return s;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::ActionInterface)
            return static_cast<QAccessibleActionInterface*>(this);
        if (type == QAccessible::TableCellInterface)
            return static_cast<QAccessibleTableCellInterface*>(this);
        return nullptr;
    }

    // Press opens the card; then the list's card actions (Duplicate, Delete), each with its keys.
    QStringList actionNames() const override {
        QStringList names{pressAction()};
        for (const QAction* action : cardActions())
            names << action->text();
        return names;
    }
    QStringList keyBindingsForAction(const QString& name) const override {
        if (name == pressAction())
            return {QStringLiteral("Return")};
        if (const QAction* action = cardAction(name))
            return {action->shortcut().toString(QKeySequence::NativeText)};
        return {};
    }
    void doAction(const QString& name) override {
        if (!isValid() || !m_list->isEnabled() || isBlockedByModal(m_list))
            return;
        if (name == pressAction()) {
            m_list->requestOpen(m_index);
            return;
        }
        // On this card, as its keys act on the current one; once the bridge's call is answered,
        // as an alert it opens must not hold the call until it closes.
        if (QAction* action = cardAction(name))
            QTimer::singleShot(0, m_list,
                               [list = m_list, index = m_index, trigger = QPointer<QAction>(action)] {
                                   if (list == nullptr || !index.isValid() || trigger == nullptr)
                                       return;
                                   list->setCurrentIndex(index);
                                   trigger->trigger();
                               });
    }

    bool isSelected() const override { return isValid() && row() == m_list->openRow(); }
    QList<QAccessibleInterface*> columnHeaderCells() const override { return {}; }
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override { return 0; }
    int rowIndex() const override { return row(); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    // The list's actions that name themselves: those a card offers.
    QList<QAction*> cardActions() const {
        QList<QAction*> found;
        if (m_list != nullptr)
            for (QAction* action : m_list->actions())
                if (!action->text().isEmpty() && action->isEnabled())
                    found << action;
        return found;
    }
    QAction* cardAction(const QString& name) const {
        for (QAction* action : cardActions())
            if (action->text() == name)
                return action;
        return nullptr;
    }

    QPointer<ResumeCardList> m_list;
    QPersistentModelIndex m_index;
};

// The list: one column of cards, the open résumé's card selected. Selecting a row opens it.
class CardListAccessible final : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit CardListAccessible(ResumeCardList* list)
        : QAccessibleWidget(list, QAccessible::List) {}
    ~CardListAccessible() override { forgetCells(); }

    ResumeCardList* list() const { return static_cast<ResumeCardList*>(widget()); }
    int rows() const { return list()->model() ? list()->model()->rowCount() : 0; }

    int childCount() const override { return rows(); }
    // A card keeps its interface while its résumé is listed, wherever the list re-sorts it: a
    // reader's focus on it stays on a live element.
    QAccessibleInterface* child(int index) const override {
        const auto* cards = qobject_cast<const ResumeListModel*>(list()->model());
        if (cards == nullptr || index < 0 || index >= rows())
            return nullptr;
        const Resume* resume = cards->resumeAt(index).get();
        if (const QAccessible::Id id = m_cells.value(resume)) {
            auto* cached = static_cast<CardAccessible*>(QAccessible::accessibleInterface(id));
            if (cached && cached->isValid() && cached->row() == index)
                return cached;
            QAccessible::deleteAccessibleInterface(id);
        }
        auto* cell = new CardAccessible(list(), cards->index(index, 0));
        m_cells.insert(resume, QAccessible::registerAccessibleInterface(cell));
        return cell;
    }
    // The row the focus is on: the list's current row while the list has the focus.
    QAccessibleInterface* focusChild() const override {
        const QModelIndex current = list()->currentIndex();
        return list()->hasFocus() && current.isValid() ? child(current.row()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        auto* cell = dynamic_cast<const CardAccessible*>(child);
        return cell && cell->isValid() ? cell->row() : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        const QModelIndex index = list()->indexAt(list()->viewport()->mapFromGlobal(QPoint(x, y)));
        return index.isValid() ? child(index.row()) : nullptr;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TableInterface)
            return static_cast<QAccessibleTableInterface*>(this);
        return QAccessibleWidget::interface_cast(type);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        return column == 0 ? child(row) : nullptr;
    }
    int selectedCellCount() const override { return list()->openRow() >= 0 ? 1 : 0; }
    QList<QAccessibleInterface*> selectedCells() const override {
        const int open = list()->openRow();
        return open >= 0 ? QList<QAccessibleInterface*>{child(open)} : QList<QAccessibleInterface*>{};
    }
    QString columnDescription(int) const override { return {}; }
    QString rowDescription(int) const override { return {}; }
    int columnCount() const override { return 1; }
    int rowCount() const override { return rows(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override { return selectedCellCount(); }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        const int open = list()->openRow();
        return open >= 0 ? QList<int>{open} : QList<int>{};
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override { return row >= 0 && row == list()->openRow(); }
    bool selectRow(int row) override {
        if (row < 0 || row >= rows() || !list()->isEnabled() || isBlockedByModal(list()))
            return false;
        list()->requestOpen(list()->model()->index(row, 0));
        return true;
    }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    // Cards whose résumé left the list go; the others stay, in their new places.
    void modelChange(QAccessibleTableModelChangeEvent*) override {
        for (auto cell = m_cells.begin(); cell != m_cells.end();) {
            const QAccessibleInterface* face = QAccessible::accessibleInterface(cell.value());
            if (face != nullptr && face->isValid()) {
                ++cell;
                continue;
            }
            QAccessible::deleteAccessibleInterface(cell.value());
            cell = m_cells.erase(cell);
        }
    }

private:
    void forgetCells() {
        for (const QAccessible::Id id : std::as_const(m_cells))
            QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable QHash<const Resume*, QAccessible::Id> m_cells;
};

QAccessibleInterface* cardListFactory(const QString&, QObject* object) {
    if (auto* list = qobject_cast<ResumeCardList*>(object))
        return new CardListAccessible(list);
    return nullptr;
}

} // namespace

void installResumeCardListAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(cardListFactory);
        return true;
    }();
    Q_UNUSED(installed);
}

} // namespace quillora
