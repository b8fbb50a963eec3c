#include "controls/line_edit_accessible.h"

#include "controls/text_pieces.h"

#include <QAccessible>
#include <QLineEdit>

namespace quillora {

namespace {

// Set while Qt's own interface of a line edit is made, which the app's factory then leaves to Qt.
bool g_makingQtInterface = false;

class LineEditAccessible final : public QAccessibleInterface, public QAccessibleTextInterface {
public:
    explicit LineEditAccessible(QAccessibleInterface* qt)
        : m_qt(qt) {}

    bool isValid() const override { return m_qt->isValid(); }
    QObject* object() const override { return m_qt->object(); }
    QWindow* window() const override { return m_qt->window(); }
    QList<QPair<QAccessibleInterface*, QAccessible::Relation>>
    relations(QAccessible::Relation match) const override {
        return m_qt->relations(match);
    }
    QAccessibleInterface* focusChild() const override { return m_qt->focusChild(); }
    QAccessibleInterface* childAt(int x, int y) const override { return m_qt->childAt(x, y); }
    QAccessibleInterface* parent() const override { return m_qt->parent(); }
    QAccessibleInterface* child(int index) const override { return m_qt->child(index); }
    int childCount() const override { return m_qt->childCount(); }
    int indexOfChild(const QAccessibleInterface* child) const override { return m_qt->indexOfChild(child); }
    QString text(QAccessible::Text type) const override { return m_qt->text(type); }
    void setText(QAccessible::Text type, const QString& text) override { m_qt->setText(type, text); }
    QRect rect() const override { return m_qt->rect(); }
    QAccessible::Role role() const override { return m_qt->role(); }
    QAccessible::State state() const override { return m_qt->state(); }
    QColor foregroundColor() const override { return m_qt->foregroundColor(); }
    QColor backgroundColor() const override { return m_qt->backgroundColor(); }
    void virtual_hook(int id, void* data) override { m_qt->virtual_hook(id, data); }

    void* interface_cast(QAccessible::InterfaceType type) override {
        if (type == QAccessible::TextInterface)
            return qtText() ? static_cast<QAccessibleTextInterface*>(this) : nullptr;
        return m_qt->interface_cast(type);
    }

    void selection(int index, int* startOffset, int* endOffset) const override {
        qtText()->selection(index, startOffset, endOffset);
    }
    int selectionCount() const override { return qtText()->selectionCount(); }
    void addSelection(int startOffset, int endOffset) override {
        qtText()->addSelection(startOffset, endOffset);
    }
    void removeSelection(int index) override { qtText()->removeSelection(index); }
    void setSelection(int index, int startOffset, int endOffset) override {
        qtText()->setSelection(index, startOffset, endOffset);
    }
    int cursorPosition() const override { return qtText()->cursorPosition(); }
    void setCursorPosition(int position) override { qtText()->setCursorPosition(position); }
    QString text(int startOffset, int endOffset) const override {
        return qtText()->text(startOffset, endOffset);
    }
    int characterCount() const override { return qtText()->characterCount(); }
    QRect characterRect(int offset) const override { return qtText()->characterRect(offset); }
    int offsetAtPoint(const QPoint& point) const override { return qtText()->offsetAtPoint(point); }
    void scrollToSubstring(int startIndex, int endIndex) override {
        qtText()->scrollToSubstring(startIndex, endIndex);
    }
    QString attributes(int offset, int* startOffset, int* endOffset) const override {
        return qtText()->attributes(offset, startOffset, endOffset);
    }

    QString textAtOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                         int* endOffset) const override {
        if (!ownLookup(type))
            return qtText()->textAtOffset(offset, type, startOffset, endOffset);
        return piece(offset, type, 0, startOffset, endOffset);
    }
    QString textBeforeOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                             int* endOffset) const override {
        if (!ownLookup(type))
            return qtText()->textBeforeOffset(offset, type, startOffset, endOffset);
        return piece(offset, type, -1, startOffset, endOffset);
    }
    QString textAfterOffset(int offset, QAccessible::TextBoundaryType type, int* startOffset,
                            int* endOffset) const override {
        if (!ownLookup(type))
            return qtText()->textAfterOffset(offset, type, startOffset, endOffset);
        return piece(offset, type, 1, startOffset, endOffset);
    }

private:
    QAccessibleTextInterface* qtText() const { return m_qt->textInterface(); }

    // Qt's lookups of a character and a line end; its words and sentences are looked up here.
    static bool ownLookup(QAccessible::TextBoundaryType type) {
        return type == QAccessible::WordBoundary || type == QAccessible::SentenceBoundary;
    }

    QString piece(int offset, QAccessible::TextBoundaryType type, int step, int* startOffset,
                  int* endOffset) const {
        // A password is not read by its words, as Qt's own answers too.
        const auto* edit = qobject_cast<const QLineEdit*>(object());
        if (!edit || edit->echoMode() != QLineEdit::Normal) {
            *startOffset = *endOffset = -1;
            return {};
        }
        if (offset == -2) // the caret
            offset = cursorPosition();
        return accessibleTextPiece(edit->text(), offset, type, step, startOffset, endOffset);
    }

    QAccessibleInterface* m_qt;
};

} // namespace

QAccessibleInterface* makeLineEditAccessible(const QString& className, QObject* object) {
    if (g_makingQtInterface || !object || className != QLatin1String(object->metaObject()->className()) ||
        !qobject_cast<QLineEdit*>(object) || object->objectName() == QLatin1String("qt_spinbox_lineedit"))
        return nullptr;
    // Qt's own interface, which the cache keeps beside this one until the line edit goes (it is
    // not the one handed out for it: this one replaces it as the line edit's).
    g_makingQtInterface = true;
    QAccessibleInterface* qt = QAccessible::queryAccessibleInterface(object);
    g_makingQtInterface = false;
    if (!qt)
        return nullptr;
    const QAccessible::Id qtId = QAccessible::uniqueId(qt);
    QObject::connect(object, &QObject::destroyed, [qtId] { QAccessible::deleteAccessibleInterface(qtId); });
    return new LineEditAccessible(qt);
}

bool isLineEditAccessible(const QAccessibleInterface* iface) {
    return dynamic_cast<const LineEditAccessible*>(iface) != nullptr;
}

} // namespace quillora
