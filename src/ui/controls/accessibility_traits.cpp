#include "controls/accessibility_traits.h"

#include "controls/accessibility_updates.h"
#include "controls/line_edit_accessible.h"
#include "controls/quiet_screen_change.h"
#include "controls/readable_text_accessible.h"
#include "controls/window_rules.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QPointer>
#include <QPushButton>
#include <QRadioButton>
#include <QTimer>
#include <QToolButton>
#include <QVariant>

#include <algorithm>
#include <cstring>
#include <vector>

namespace quillora {

namespace {

constexpr const char* valueProperty = "_quillora_accessibleValue";
constexpr const char* selectedProperty = "_quillora_accessibleSelected";
constexpr const char* headingProperty = "_quillora_accessibleHeading";
constexpr const char* textProperty = "_quillora_accessibleText";
constexpr const char* hiddenProperty = "_quillora_accessibleHidden";
// Set on a widget some of whose children are hidden: its interface leaves them out.
constexpr const char* containerProperty = "_quillora_accessibleContainer";
constexpr const char* frequentProperty = "_quillora_accessibleFrequent";
constexpr const char* notificationProperty = "_quillora_accessibleNotification";
constexpr const char* statusProperty = "_quillora_accessibleStatus";
constexpr const char* announcementProperty = "_quillora_accessibleAnnouncement";
constexpr const char* dialogProperty = "_quillora_accessibleDialog";
constexpr const char* purposeProperty = "_quillora_windowPurpose";
constexpr const char* unavailableProperty = "_quillora_accessibleUnavailable";

// How long an announcement stays readable after it was shown. A screen reader on a busy machine
// can be half a minute behind and asks for a note's name only when it gets to it: a note gone by
// then is read as an empty notification.
constexpr int announcementMs = 120000;

const AccessibleActions* ownActions(const QObject* object) {
    return dynamic_cast<const AccessibleActions*>(object);
}

bool hasTraits(const QObject* object) {
    return object->property(valueProperty).isValid() || object->property(selectedProperty).isValid() ||
           object->property(headingProperty).isValid() || object->property(containerProperty).isValid() ||
           object->property(textProperty).isValid() || object->property(frequentProperty).isValid() ||
           object->property(notificationProperty).isValid() || object->property(statusProperty).isValid() ||
           object->property(dialogProperty).isValid() || object->property(purposeProperty).isValid() ||
           object->property(unavailableProperty).isValid() || ownActions(object) != nullptr;
}

// The nearest class of Qt's own that the widget derives from (ours live in a namespace).
const char* qtClassOf(const QObject* object) {
    for (const QMetaObject* meta = object->metaObject(); meta; meta = meta->superClass())
        if (std::strchr(meta->className(), ':') == nullptr)
            return meta->className();
    return "";
}

// A widget Qt reads as a plain box of other widgets (a panel, a frame, a sheet, an alert).
bool isPlainContainer(const QObject* object) {
    const char* qtClass = qtClassOf(object);
    return std::strcmp(qtClass, "QWidget") == 0 || std::strcmp(qtClass, "QFrame") == 0 ||
           std::strcmp(qtClass, "QDialog") == 0 || std::strcmp(qtClass, "QSplitter") == 0 ||
           std::strcmp(qtClass, "QMessageBox") == 0 || std::strcmp(qtClass, "QFileDialog") == 0;
}

// Left out of what is read: marked hidden, or a splitter's handle or a size grip (dragged with
// the mouse only).
bool isHidden(const QAccessibleInterface* iface) {
    return iface && iface->object() &&
           (iface->object()->property(hiddenProperty).toBool() ||
            iface->object()->inherits("QSplitterHandle") || iface->object()->inherits("QSizeGrip"));
}

// A note said to a screen reader: read on its own, not among its window's children.
bool isNote(const QAccessibleInterface* iface) {
    return iface->object() && iface->object()->property(notificationProperty).toBool();
}

bool operable(const QWidget* widget) {
    return qobject_cast<const QAbstractButton*>(widget) || widget->focusPolicy() != Qt::NoFocus;
}

bool holdsControl(const QAccessibleInterface* iface) {
    auto* widget = qobject_cast<const QWidget*>(iface->object());
    if (!widget)
        return true;
    if (operable(widget))
        return true;
    for (const QWidget* inner : widget->findChildren<QWidget*>())
        if (operable(inner))
            return true;
    return false;
}

// Drawn only to be seen: a box, line or picture without a name and with nothing inside to read.
bool isDecoration(QAccessibleInterface* iface) {
    auto* widget = qobject_cast<const QWidget*>(iface->object());
    if (!widget || !iface->text(QAccessible::Name).isEmpty())
        return false;
    if (auto* label = qobject_cast<const QLabel*>(widget))
        return label->text().isEmpty();
    if (operable(widget))
        return false;
    // Children not shown count while the box itself is not shown: it may show them with itself.
    for (int i = 0; i < iface->childCount(); ++i)
        if (QAccessibleInterface* child = iface->child(i);
            child && (!widget->isVisible() || !child->state().invisible))
            return false;
    return isPlainContainer(widget) && !widget->property(notificationProperty).toBool();
}

bool hasMenu(const QWidget* widget) {
    if (auto* push = qobject_cast<const QPushButton*>(widget))
        return push->menu() != nullptr;
    if (auto* tool = qobject_cast<const QToolButton*>(widget))
        return tool->menu() != nullptr;
    return false;
}

QAccessible::Role roleFor(const QWidget* widget);

// Whether the widget's value is read as the end of its name: a screen reader reads a text (a
// label) by its name alone, neither its description nor a value.
bool valueInName(const QWidget* widget) {
    return roleFor(widget) == QAccessible::StaticText &&
           !widget->property(valueProperty).toString().isEmpty();
}

QAccessible::Role roleFor(const QWidget* widget) {
    if (widget->property(notificationProperty).toBool())
        return QAccessible::Notification;
    if (widget->property(headingProperty).toBool())
        return QAccessible::Heading;
    if (widget->property(statusProperty).toBool())
        return QAccessible::StatusBar;
    if (widget->property(dialogProperty).toBool())
        return QAccessible::Dialog;
    if (widget->property(textProperty).toBool())
        return QAccessible::StaticText;
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        if (hasMenu(widget))
            return QAccessible::ButtonMenu;
        if (qobject_cast<const QRadioButton*>(widget))
            return QAccessible::RadioButton;
        return button->isCheckable() && !widget->property(selectedProperty).isValid() ? QAccessible::CheckBox
                                                                                      : QAccessible::Button;
    }
    if (qobject_cast<const QLabel*>(widget))
        return QAccessible::StaticText;
    if (widget->isWindow() && std::strcmp(qtClassOf(widget), "QMessageBox") == 0)
        return QAccessible::AlertMessage;
    // A sheet or dialog is read as a window, as the main one is: a screen reader says a dialog's
    // name and then every text in it each time it becomes active (opened, or come back to when a
    // window it opened closes), before the focused control; a window's name only, and its
    // description (what it is for, set while it opens). Its texts are read from its first focus
    // on, Tab by Tab. So is a window of its own made of a plain panel (the Help and About windows).
    if (widget->isWindow() && widget->windowType() != Qt::Popup && widget->windowType() != Qt::ToolTip &&
        isPlainContainer(widget) && std::strcmp(qtClassOf(widget), "QSplitter") != 0)
        return QAccessible::Window;
    if (std::strcmp(qtClassOf(widget), "QSplitter") == 0)
        return QAccessible::Splitter;
    return QAccessible::Client;
}

// Whether `a` comes before `b` in reading: wholly above it, or beside it on the same line and
// earlier in the reading direction. Boxes that overlap have no order of their own.
bool readBefore(const QRect& a, const QRect& b, bool rightToLeft) {
    if (a.isEmpty() || b.isEmpty())
        return false;
    if (a.y() + a.height() <= b.y())
        return true;
    if (b.y() + b.height() <= a.y())
        return false;
    return rightToLeft ? b.x() + b.width() <= a.x() : a.x() + a.width() <= b.x();
}

// The shown children in reading order (an item goes after every item that reads before it, and
// otherwise keeps its place), then the ones not shown, as they were.
QList<QAccessibleInterface*> inScreenOrder(const QList<QAccessibleInterface*>& children, bool rightToLeft) {
    QList<QAccessibleInterface*> shown;
    QList<QAccessibleInterface*> notShown;
    QList<QRect> boxes;
    for (QAccessibleInterface* child : children) {
        if (child->state().invisible) {
            notShown << child;
        } else {
            shown << child;
            boxes << child->rect();
        }
    }
    const qsizetype count = shown.size();
    std::vector<int> waitingFor(std::size_t(count), 0);
    for (qsizetype i = 0; i < count; ++i)
        for (qsizetype j = 0; j < count; ++j)
            if (i != j && readBefore(boxes[j], boxes[i], rightToLeft))
                ++waitingFor[std::size_t(i)];
    std::vector<bool> placed(std::size_t(count), false);
    QList<QAccessibleInterface*> ordered;
    for (qsizetype step = 0; step < count; ++step) {
        qsizetype next = -1;
        for (qsizetype i = 0; i < count && next < 0; ++i)
            if (!placed[std::size_t(i)] && waitingFor[std::size_t(i)] == 0)
                next = i;
        for (qsizetype i = 0; i < count && next < 0; ++i) // boxes that wrap around each other
            if (!placed[std::size_t(i)])
                next = i;
        placed[std::size_t(next)] = true;
        ordered << shown[next];
        for (qsizetype i = 0; i < count; ++i)
            if (!placed[std::size_t(i)] && readBefore(boxes[next], boxes[i], rightToLeft))
                --waitingFor[std::size_t(i)];
    }
    return ordered << notShown;
}

class TraitsAccessible final : public QAccessibleWidget {
public:
    explicit TraitsAccessible(QWidget* widget)
        : QAccessibleWidget(widget, roleFor(widget)) {
        if (qobject_cast<QAbstractButton*>(widget)) {
            addControllingSignal(QStringLiteral("clicked(bool)"));
        }
    }

    QAccessible::Role role() const override { return roleFor(widget()); }

    QString text(QAccessible::Text t) const override {
        const QWidget* w = widget();
        if (t == QAccessible::Value)
            return w->property(valueProperty).toString();
        // What a window is for, while it opens: a reader says it after the window's name.
        if (t == QAccessible::Description && w->isWindow() && isWindowOpening(w))
            return describedWithValue(QAccessibleWidget::text(t), windowPurposeOf(w));
        if (t == QAccessible::Description)
            return valueInName(w) ? QAccessibleWidget::text(t)
                                  : describedWithValue(QAccessibleWidget::text(t),
                                                       w->property(valueProperty).toString());
        if (t == QAccessible::Name && valueInName(w))
            return namedWithValue(nameOf(w), w->property(valueProperty).toString());
        if (t == QAccessible::Name && w->property(notificationProperty).toBool())
            return w->property(announcementProperty).toString();
        if (t == QAccessible::Name)
            return nameOf(w);
        return QAccessibleWidget::text(t);
    }

    // The name as set, else what the button or label shows.
    QString nameOf(const QWidget* w) const {
        if (w->accessibleName().isEmpty()) {
            if (auto* button = qobject_cast<const QAbstractButton*>(w))
                return QString(button->text()).remove(QLatin1Char('&'));
            if (auto* label = qobject_cast<const QLabel*>(w))
                return label->text();
        }
        return QAccessibleWidget::text(QAccessible::Name);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        // A sheet or dialog that holds the keys of the window under it, and an in-window popup
        // that holds its window.
        if ((widget()->isWindow() && widget()->windowModality() != Qt::NonModal) ||
            widget()->property(dialogProperty).toBool())
            s.modal = true;
        if (widget()->property(frequentProperty).toBool())
            s.animated = true;
        if (widget()->property(unavailableProperty).toBool())
            s.disabled = true;
        const QVariant selected = widget()->property(selectedProperty);
        if (selected.isValid()) {
            s.selectable = true;
            s.selected = selected.toBool();
        }
        if (auto* button = qobject_cast<const QAbstractButton*>(widget())) {
            s.pressed = button->isDown();
            if (button->isCheckable()) {
                s.checkable = true;
                s.checked = button->isChecked();
            }
            if (hasMenu(button))
                s.hasPopup = true;
            if (auto* push = qobject_cast<const QPushButton*>(button); push && push->isDefault())
                s.defaultButton = true;
        }
        return s;
    }

    // A note is read on its own, as a child of the application, not of its window: a screen
    // reader presents an element that comes into view inside a dialog after the dialog's name and
    // all its texts, so an outcome said in a dialog would come last, after the whole dialog again.
    QAccessibleInterface* parent() const override {
        if (widget()->property(notificationProperty).toBool())
            return QAccessible::queryAccessibleInterface(QCoreApplication::instance());
        return QAccessibleWidget::parent();
    }

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override { return shownChildren().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return int(shownChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

    QStringList actionNames() const override {
        // A button's press first, then the widget's own actions (a row's press among them),
        // then what every widget offers.
        // Then taking the focus, so a screen reader can move it here.
        QStringList names;
        if (auto* button = qobject_cast<const QAbstractButton*>(widget())) {
            if (hasMenu(widget()))
                names << showMenuAction();
            else if (button->isCheckable() && !widget()->property(selectedProperty).isValid() &&
                     !ownActions(widget()))
                names << toggleAction();
            else
                names << pressAction();
        }
        if (const AccessibleActions* own = ownActions(widget()))
            names << own->accessibleActionNames();
        names << QAccessibleWidget::actionNames();
        names.removeDuplicates();
        return names;
    }

    void doAction(const QString& name) override {
        if ((!widget()->isEnabled() || widget()->property(unavailableProperty).toBool()) &&
            name != setFocusAction())
            return;
        if (isBlockedByModal(widget()))
            return;
        if (auto* own = dynamic_cast<AccessibleActions*>(widget());
            own && own->accessibleActionNames().contains(name)) {
            own->triggerAccessibleAction(name);
            return;
        }
        auto* button = qobject_cast<QAbstractButton*>(widget());
        if (button && (name == pressAction() || name == showMenuAction() || name == toggleAction())) {
            // After the call returns, as Qt's own buttons do: a sheet the click opens may run its
            // own event loop, and the screen reader waits for the answer.
            QTimer::singleShot(0, button, &QAbstractButton::click);
            return;
        }
        if (name == setFocusAction()) {
            // Focus moved by a screen reader lands as a click would put it: in an active window.
            widget()->window()->activateWindow();
            widget()->setFocus(Qt::OtherFocusReason);
            return;
        }
        QAccessibleWidget::doAction(name);
    }

private:
    QList<QAccessibleInterface*> shownChildren() const {
        // A button is read as its name: what it shows inside (a label, an icon) is not read
        // again, only the controls it holds.
        const bool button = qobject_cast<const QAbstractButton*>(widget()) != nullptr;
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            if (child && !isHidden(child) && !isNote(child) && !isDecoration(child) &&
                (!button || holdsControl(child)))
                children << child;
        }
        return inScreenOrder(children, widget()->layoutDirection() == Qt::RightToLeft);
    }
};

// A row of a popup menu (see PopupMenuAccessible), read as Qt reads one.
class MenuRowAccessible final : public QAccessibleInterface, public QAccessibleActionInterface {
public:
    MenuRowAccessible(QMenu* menu, QAction* action)
        : m_menu(menu)
        , m_action(action) {}

    // The row's interface, made once; it goes when the action goes.
    static QAccessibleInterface* of(QMenu* menu, QAction* action) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(action);
        if (!iface) {
            iface = new MenuRowAccessible(menu, action);
            QAccessible::registerAccessibleInterface(iface);
        }
        return iface;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::ActionInterface ? static_cast<QAccessibleActionInterface*>(this)
                                                    : nullptr;
    }
    bool isValid() const override { return m_menu && m_action; }
    QObject* object() const override { return m_action; }
    QWindow* window() const override { return m_menu ? m_menu->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override { return QAccessible::queryAccessibleInterface(m_menu); }
    QAccessibleInterface* child(int index) const override {
        return index == 0 && submenu() ? QAccessible::queryAccessibleInterface(submenu()) : nullptr;
    }
    int childCount() const override { return submenu() ? 1 : 0; }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && submenu() && child->object() == submenu() ? 0 : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAccessibleInterface* sub = child(0);
        return sub && sub->rect().contains(x, y) ? sub : nullptr;
    }
    QString text(QAccessible::Text t) const override {
        if (!m_action)
            return QString();
        if (t == QAccessible::Name)
            return QString(m_action->text()).remove(QLatin1Char('&'));
        if (t == QAccessible::Accelerator)
            return m_action->shortcut().toString(QKeySequence::NativeText);
        return QString();
    }
    void setText(QAccessible::Text, const QString&) override {}
    QRect rect() const override {
        if (!isValid())
            return {};
        return m_menu->actionGeometry(m_action).translated(m_menu->mapToGlobal(QPoint(0, 0)));
    }
    QAccessible::Role role() const override {
        return m_action->isSeparator() ? QAccessible::Separator : QAccessible::MenuItem;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid()) {
            s.invalid = true;
            return s;
        }
        s.invisible = !m_menu->isVisible() || !m_action->isVisible();
        s.focused = m_menu->activeAction() == m_action;
        s.disabled = m_action->isSeparator() || !m_action->isEnabled();
        s.checkable = m_action->isCheckable();
        s.checked = m_action->isChecked();
        return s;
    }

    QStringList actionNames() const override {
        if (m_action->isSeparator())
            return {};
        return {submenu() ? showMenuAction() : pressAction()};
    }
    void doAction(const QString& name) override {
        if (!m_action->isEnabled())
            return;
        if (name == pressAction())
            m_action->trigger();
        else if (name == showMenuAction())
            m_menu->setActiveAction(m_action);
    }
    QStringList keyBindingsForAction(const QString&) const override { return {}; }

private:
    QMenu* submenu() const { return m_action ? m_action->menu() : nullptr; }

    QPointer<QMenu> m_menu;
    QPointer<QAction> m_action;
};

// A menu that pops up from a widget (not from a menu bar or another menu) is read inside that
// widget, as Qt reads a combo box's list inside the combo box, not as a window of its own beside
// the application's other windows: when the menu closes and the focus comes back, a screen reader
// would otherwise take the window around the focus for a newly entered one and read its name and
// all its texts again before the control, and before the outcome of the row picked.
class PopupMenuAccessible final : public QAccessibleWidget {
public:
    explicit PopupMenuAccessible(QMenu* menu)
        : QAccessibleWidget(menu, QAccessible::PopupMenu) {}

    static bool takes(const QObject* object) {
        const auto* menu = qobject_cast<const QMenu*>(object);
        if (!menu)
            return false;
        const auto inMenus = [](const QObject* holder) {
            return qobject_cast<const QMenu*>(holder) || qobject_cast<const QMenuBar*>(holder);
        };
        if (inMenus(menu->parentWidget()))
            return false;
        const QList<QObject*> holders = menu->menuAction()->associatedObjects();
        return std::none_of(holders.begin(), holders.end(), inMenus);
    }

    QAccessibleInterface* parent() const override {
        QWidget* owner = menu()->parentWidget();
        return QAccessible::queryAccessibleInterface(owner ? static_cast<QObject*>(owner)
                                                           : QCoreApplication::instance());
    }
    QString text(QAccessible::Text t) const override {
        const QString text = QAccessibleWidget::text(t);
        return text.isEmpty() && t == QAccessible::Name ? menu()->windowTitle() : text;
    }
    int childCount() const override { return int(menu()->actions().size()); }
    QAccessibleInterface* child(int index) const override {
        const QList<QAction*> rows = menu()->actions();
        return index >= 0 && index < rows.size() ? MenuRowAccessible::of(menu(), rows.at(index)) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child ? int(menu()->actions().indexOf(qobject_cast<QAction*>(child->object()))) : -1;
    }
    QAccessibleInterface* childAt(int x, int y) const override {
        QAction* row = menu()->actionAt(menu()->mapFromGlobal(QPoint(x, y)));
        return row && !row->isSeparator() ? MenuRowAccessible::of(menu(), row) : nullptr;
    }

private:
    QMenu* menu() const { return static_cast<QMenu*>(widget()); }
};

// Asked once for each class the object derives from, the object's own first: the interface is
// given on that first call, or not at all, so Qt's own controls keep Qt's interfaces.
QAccessibleInterface* traitsFactory(const QString& className, QObject* object) {
    if (!object || !object->isWidgetType() || className != QLatin1String(object->metaObject()->className()))
        return nullptr;
    followScreenReaderRequests();
    if (isDocumentText(object))
        return makeDocumentTextAccessible(static_cast<QWidget*>(object));
    if (PopupMenuAccessible::takes(object))
        return new PopupMenuAccessible(static_cast<QMenu*>(object));
    if (hasTraits(object) || qobject_cast<QAbstractButton*>(object) || isPlainContainer(object))
        return new TraitsAccessible(static_cast<QWidget*>(object));
    return makeLineEditAccessible(className, object);
}

void installTraitsFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(traitsFactory);
        // A line edit Qt made its own interface for before (the app installs the factory before its
        // first window; a control made earlier) gets the app's the next time a reader asks.
        if (QCoreApplication::instance())
            for (QWidget* widget : QApplication::allWidgets())
                if (qobject_cast<QLineEdit*>(widget))
                    if (QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
                        iface && !isLineEditAccessible(iface) && !hasTraits(widget) &&
                        !isDocumentText(widget))
                        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
        return true;
    }();
    Q_UNUSED(installed);
}

// Installs the factory once and drops an interface Qt made for the widget before it had traits,
// so the next reader gets one that reports them.
void adopt(QWidget* widget) {
    installTraitsFactory();
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
    if (iface && !dynamic_cast<TraitsAccessible*>(iface))
        QAccessible::deleteAccessibleInterface(QAccessible::uniqueId(iface));
}

void setTrait(QWidget* widget, const char* name, const QVariant& value) {
    const bool first = !hasTraits(widget);
    widget->setProperty(name, value);
    if (first)
        adopt(widget);
}

} // namespace

namespace {

// How busy the widgets are. A screen reader gets an event for every widget shown, hidden, added
// or removed; one that falls far enough behind (a whole editor built at once) throws away what is
// not about the focus while it catches up, a note among it.
class WidgetChurn final : public QObject {
public:
    explicit WidgetChurn(QObject* parent)
        : QObject(parent) {
        m_clock.start();
    }

    static WidgetChurn* instance() { return s_instance; }
    static void install(QApplication& app) {
        if (s_instance == nullptr) {
            s_instance = new WidgetChurn(&app);
            app.installEventFilter(s_instance);
        }
    }

    // Whether a burst of changes is under way or ended too recently for a reader to have caught up.
    bool flooding() const { return m_burst > floodChanges && m_clock.elapsed() - m_lastAt < settleMs; }

    // Whether a window that `window` opened (a dialog, a sheet, a file dialog) closed in front of it
    // less than `withinMs` ago.
    bool closedInFrontOf(const QWidget* window, qint64 withinMs) const {
        return window != nullptr && m_closedInFrontOf == window && m_clock.elapsed() - m_closedAt < withinMs;
    }

    // While one lives, changes are not counted: the notes' own elements, made, shown, hidden and
    // removed as they are said, are no burst a reader falls behind on.
    class Quiet final {
    public:
        Quiet() { ++s_quiet; }
        ~Quiet() { --s_quiet; }
        Q_DISABLE_COPY_MOVE(Quiet)
    };

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Hide && watched->isWidgetType()) {
            noteClosing(static_cast<QWidget*>(watched));
            keepNotesOf(static_cast<QWidget*>(watched));
        }
        if (s_quiet > 0)
            return false;
        switch (event->type()) {
        case QEvent::Show:
        case QEvent::Hide:
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
            // A screen put in place quietly sends a reader nothing to fall behind on.
            if (watched->isWidgetType() && !QuietScreenChange::active()) {
                const qint64 now = m_clock.elapsed();
                m_burst = now - m_lastAt < settleMs ? m_burst + 1 : 1;
                m_lastAt = now;
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    // A window's notes stay readable for their time after it closed (a sheet that says what it did
    // as it closes, or is deleted with it): a reader that is behind asks for their names later.
    static void keepNotesOf(QWidget* window) {
        static QPointer<QWidget> keeper; // never shown
        if (!window->isWindow() || window == keeper)
            return;
        const QList<QWidget*> notes = window->findChildren<QWidget*>(Qt::FindDirectChildrenOnly);
        for (QWidget* note : notes) {
            if (!note->property(notificationProperty).toBool())
                continue;
            const Quiet quiet;
            if (keeper == nullptr) {
                keeper = new QWidget;
                qAddPostRoutine([] { delete keeper.data(); }); // while the application still stands
            }
            note->setObjectName(QString());
            note->setProperty(hiddenProperty, true);
            note->setParent(keeper);
        }
    }

    void noteClosing(const QWidget* widget) {
        if (!widget->isWindow() || widget->parentWidget() == nullptr)
            return;
        const Qt::WindowType type = widget->windowType();
        if (type == Qt::Popup || type == Qt::ToolTip || type == Qt::SplashScreen)
            return;
        m_closedInFrontOf = widget->parentWidget()->window();
        m_closedAt = m_clock.elapsed();
    }

    // Orca counts more than 50 waiting events as a flood; a widget change makes one or two.
    static constexpr int floodChanges = 40;
    // How long after the last change of a burst the reader is taken to have caught up.
    static constexpr qint64 settleMs = 300;
    static inline QPointer<WidgetChurn> s_instance;
    static inline int s_quiet = 0;
    QElapsedTimer m_clock;
    qint64 m_lastAt = -settleMs;
    int m_burst = 0;
    QPointer<const QWidget> m_closedInFrontOf;
    qint64 m_closedAt = 0;
};

} // namespace

void installAccessibilityRules() {
    installTraitsFactory();
    installAccessibilityUpdateFilter();
    if (auto* app = qobject_cast<QApplication*>(QCoreApplication::instance()))
        WidgetChurn::install(*app);
}

void installAccessibilityTraits() {
    installTraitsFactory();
}

bool isBlockedByModal(const QWidget* widget) {
    if (!widget)
        return false;
    // An open in-window popup (a card over its dimmed window) holds the rest of its window.
    const QWidget* scope = keyboardScope(widget->window());
    if (scope != widget->window() && scope != widget && !scope->isAncestorOf(widget))
        return true;
    const QWidget* modal = QApplication::activeModalWidget();
    if (!modal)
        return false;
    // The widget's window, or a window it stands on (a popup of the sheet, a dialog of a dialog).
    for (const QWidget* window = widget->window(); window;
         window = window->parentWidget() ? window->parentWidget()->window() : nullptr)
        if (window == modal)
            return false;
    return true;
}

namespace {

constexpr const char* pendingProperty = "_quillora_pendingAnnouncement";
constexpr const char* pendingOutcomeProperty = "_quillora_pendingAnnouncementIsOutcome";
constexpr const char* pendingSinceProperty = "_quillora_pendingAnnouncementSince";
// The texts of events already handled that wait to be said, oldest first, when each was asked
// for, and whether a look at them is due.
constexpr const char* queuedProperty = "_quillora_queuedAnnouncements";
constexpr const char* queuedSinceProperty = "_quillora_queuedAnnouncementsSince";
constexpr const char* lookDueProperty = "_quillora_announcementLookDue";
constexpr const char* saidAtProperty = "_quillora_announcementSaidAt";
// The same text said again this soon after is the same news through another channel.
constexpr qint64 repeatMs = 1500;
// How long a text waits at most for an active window or for a burst of changes to settle, and
// how often it looks.
constexpr qint64 holdMs = 1500;
// How long texts wait at most for their window to be active again after a window it opened has
// closed: the system hands the activation back later on a busy machine, later still while a screen
// reader listens.
constexpr qint64 closingHoldMs = 15000;
// Then, while a screen reader still asks about one element after another (it works through the
// closing's events, hundreds for a file dialog, and drops a note that comes among them), the texts
// wait for it to be quiet this long, a minute and a half after the closing at most.
constexpr qint64 readerQuietMs = 1500;
constexpr qint64 readerCatchUpMs = 90000;
constexpr int holdPollMs = 20;

// Shows `text` as a fresh notification element of the window.
void showNote(QWidget* window, const QString& text, qint64 now) {
    const QString name = QStringLiteral("screenReaderAnnouncement");
    auto* previous = window->findChild<QWidget*>(name, Qt::FindDirectChildrenOnly);
    if (previous && previous->property(announcementProperty).toString() == text &&
        now - previous->property(saidAtProperty).toLongLong() < repeatMs)
        return;
    const WidgetChurn::Quiet quiet;
    // A new element each time: readers keep the name they read first for an element, and Qt's
    // bridge sends a changed name without its text. The one before leaves the tree but stays
    // readable for its time, so a reader that asks for its name late still gets it.
    if (previous) {
        previous->setObjectName(QString());
        previous->setProperty(hiddenProperty, true);
        previous->hide();
    }
    installTraitsFactory();
    auto* note = new QWidget(window);
    note->setObjectName(name);
    note->setProperty(notificationProperty, true);
    note->setProperty(announcementProperty, text);
    note->setProperty(saidAtProperty, now);
    note->setAttribute(Qt::WA_TransparentForMouseEvents);
    note->setFocusPolicy(Qt::NoFocus);
    // A point in the window's last corner: nothing to see.
    note->setGeometry(window->width() - 1, window->height() - 1, 1, 1);
    note->show();
    QTimer::singleShot(announcementMs, qApp, [note = QPointer<QWidget>(note)] {
        const WidgetChurn::Quiet quiet;
        delete note.data();
    });
}

// Says the window's waiting texts, oldest first. A screen reader that is behind drops a note
// while it catches up. Between a dialog closing and its window taking the focus back no window is
// active, and a note shown then reaches the reader ahead of the focus coming back, with the
// dialog's last events still queued; a note shown as a whole screen is built reaches it behind
// hundreds of events. A text waits for a window to be active again and for the burst to settle,
// a short while at most, and the ones asked for meanwhile wait behind it, each said in turn.
// After a window it opened has closed in front of it (a file chosen in a file dialog) a reader gets
// the closing's events (one for each widget of the window hidden), the window's activation and the
// focus coming back, and throws away what came among them as a flood, a note too: its texts wait
// until the window is active again (a long while at most), and then for the burst as above.
void sayQueued(QWidget* window) {
    window->setProperty(lookDueProperty, QVariant());
    QStringList texts = window->property(queuedProperty).toStringList();
    QVariantList since = window->property(queuedSinceProperty).toList();
    const qint64 now = QDateTime::currentMSecsSinceEpoch();
    const WidgetChurn* churn = WidgetChurn::instance();
    const QWidget* active = QApplication::activeWindow();
    const bool closing =
        active != window && churn != nullptr && churn->closedInFrontOf(window, closingHoldMs);
    const bool readerBehind = churn != nullptr && churn->closedInFrontOf(window, readerCatchUpMs) &&
                              now - screenReaderLastAskedAt() < readerQuietMs;
    if (closing || readerBehind) {
        for (QVariant& asked : since)
            asked = now; // the short wait starts once the window is back and the reader quiet
    }
    const bool busy = closing || readerBehind || active == nullptr || (churn != nullptr && churn->flooding());
    while (!texts.isEmpty() && window->isVisible()) {
        if (busy && now - since.constFirst().toLongLong() < holdMs) {
            window->setProperty(lookDueProperty, true);
            QTimer::singleShot(holdPollMs, window, [window] { sayQueued(window); });
            break;
        }
        since.removeFirst();
        showNote(window, texts.takeFirst(), now);
    }
    if (!window->isVisible())
        texts.clear();
    window->setProperty(queuedProperty, texts.isEmpty() ? QVariant() : QVariant(texts));
    window->setProperty(queuedSinceProperty, texts.isEmpty() ? QVariant() : QVariant(since));
}

// The event that asked for the window's pending text has been handled: the text is said in turn.
void queuePending(QWidget* window) {
    const QString text = window->property(pendingProperty).toString();
    const QVariant since = window->property(pendingSinceProperty);
    window->setProperty(pendingProperty, QVariant());
    window->setProperty(pendingOutcomeProperty, QVariant());
    if (!window->isVisible() || text.isEmpty())
        return;
    window->setProperty(queuedProperty, window->property(queuedProperty).toStringList() << text);
    window->setProperty(queuedSinceProperty, window->property(queuedSinceProperty).toList() << since);
    if (!window->property(lookDueProperty).toBool())
        sayQueued(window);
}

// Says `text` once the current event is handled: what a window is asked to say while one event
// runs is said once, as one notification. An outcome wins over a changed value; else the last
// text asked for is said. Texts of later events are said after it, in order.
void announce(QWidget* near, const QString& text, bool outcome) {
    // The window the text belongs to; a menu that is closing hands it to the window it came from.
    QWidget* window = near ? near->window() : QApplication::activeWindow();
    while (window && window->windowType() == Qt::Popup && window->parentWidget())
        window = window->parentWidget()->window();
    if (!window || !window->isVisible() || text.isEmpty())
        return;
    const QVariant pending = window->property(pendingProperty);
    if (pending.isValid() && !outcome && window->property(pendingOutcomeProperty).toBool())
        return;
    window->setProperty(pendingProperty, text);
    window->setProperty(pendingOutcomeProperty, outcome);
    if (!pending.isValid()) {
        window->setProperty(pendingSinceProperty, QDateTime::currentMSecsSinceEpoch());
        QTimer::singleShot(0, window, [window] { queuePending(window); });
    }
}

} // namespace

void announceToScreenReader(QWidget* near, const QString& text) {
    announce(near, text, true);
}

QString namedWithValue(const QString& name, const QString& value) {
    if (value.isEmpty() || name.isEmpty())
        return name + value;
    return name + QStringLiteral(", ") + value;
}

QString describedWithValue(const QString& hint, const QString& value) {
    if (value.isEmpty() || hint.isEmpty())
        return hint + value;
    return hint + (hint.back().isPunct() ? QStringLiteral(" ") : QStringLiteral(". ")) + value;
}

namespace {

QPointer<QWidget> g_focusBackFromPopup;

// Whether the focus came back to `control` from a popup in the event being handled.
bool focusCameBackFromPopup(const QWidget* control) {
    return control != nullptr && g_focusBackFromPopup == control;
}

} // namespace

void noteFocusBackFromPopup(QWidget* control) {
    if (control == nullptr)
        return;
    g_focusBackFromPopup = control;
    QTimer::singleShot(0, control, [] { g_focusBackFromPopup = nullptr; });
}

void setAccessibleValue(QWidget* widget, const QString& value) {
    const QVariant previous = widget->property(valueProperty);
    if (previous == QVariant(value))
        return;
    setTrait(widget, valueProperty, value);
    // A new value of the control in focus (also while a menu it opened is up) is said at once (the events
    // below reach no reader's speech); a value shown for the first time is read with the control.
    if (previous.isValid() && widget->window()->focusWidget() == widget &&
        widget->window()->isActiveWindow() && !focusCameBackFromPopup(widget))
        announce(widget, value, false);
    QAccessibleValueChangeEvent change(widget, value);
    QAccessible::updateAccessibility(&change);
    QAccessibleEvent described(
        widget, valueInName(widget) || (previous.isValid() && roleFor(widget) == QAccessible::StaticText)
                    ? QAccessible::NameChanged
                    : QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&described);
}

void setAccessibleSelected(QWidget* widget, bool selected) {
    const QVariant previous = widget->property(selectedProperty);
    if (previous.isValid() && previous.toBool() == selected)
        return;
    setTrait(widget, selectedProperty, selected);
    QAccessible::State changed;
    changed.selected = true;
    QAccessibleStateChangeEvent change(widget, changed);
    QAccessible::updateAccessibility(&change);
}

void markAsAccessibleHeading(QWidget* widget) {
    if (widget->property(headingProperty).toBool())
        return;
    setTrait(widget, headingProperty, true);
}

bool isAccessibleHeading(const QWidget* widget) {
    return widget->property(headingProperty).toBool();
}

void markAsAccessibleText(QWidget* widget) {
    if (!widget->property(textProperty).toBool())
        setTrait(widget, textProperty, true);
}

void markAsAccessibleStatus(QWidget* widget) {
    if (!widget->property(statusProperty).toBool())
        setTrait(widget, statusProperty, true);
}

void markAsAccessibleDialog(QWidget* widget) {
    if (!widget->property(dialogProperty).toBool())
        setTrait(widget, dialogProperty, true);
}

void markAsUnavailable(QWidget* widget) {
    if (!widget->property(unavailableProperty).toBool())
        setTrait(widget, unavailableProperty, true);
}

void setWindowPurpose(QWidget* window, const QString& purpose) {
    setTrait(window, purposeProperty, purpose);
}

QString windowPurposeOf(const QWidget* window) {
    return window->property(purposeProperty).toString();
}

void hideFromAccessibility(QWidget* widget) {
    if (widget->property(hiddenProperty).toBool())
        return;
    widget->setProperty(hiddenProperty, true);
    if (QWidget* parent = widget->parentWidget()) {
        setTrait(parent, containerProperty, true);
        if (parent->isVisible()) {
            QAccessibleEvent change(parent, QAccessible::ObjectReorder);
            QAccessible::updateAccessibility(&change);
        }
    }
}

bool isHiddenFromAccessibility(const QWidget* widget) {
    return widget->property(hiddenProperty).toBool();
}

void markAsUpdatingFrequently(QWidget* widget) {
    setTrait(widget, frequentProperty, true);
}

void combineAccessibleChildren(QWidget* widget, const QString& name, const QString& description) {
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        bool holdsControl = operable(child);
        for (const QWidget* inner : child->findChildren<QWidget*>())
            holdsControl = holdsControl || operable(inner);
        if (!holdsControl)
            hideFromAccessibility(child);
    }
}

AccessibleActions::AccessibleActions() {
    installTraitsFactory();
}

AccessibleActions::~AccessibleActions() = default;

QString moveUpAction() {
    return QStringLiteral("Move Up");
}

QString moveDownAction() {
    return QStringLiteral("Move Down");
}

int moveStepForKey(const QKeyEvent& event, bool sideways, Qt::LayoutDirection direction) {
    if ((event.modifiers() & ~Qt::KeypadModifier) != Qt::AltModifier)
        return 0;
    const int forward = direction == Qt::RightToLeft ? -1 : 1;
    switch (event.key()) {
    case Qt::Key_Up:
        return -1;
    case Qt::Key_Down:
        return 1;
    case Qt::Key_Left:
        return sideways ? -forward : 0;
    case Qt::Key_Right:
        return sideways ? forward : 0;
    default:
        return 0;
    }
}

int moveStepForAction(const QString& name) {
    if (name == moveUpAction())
        return -1;
    return name == moveDownAction() ? 1 : 0;
}

QString reorderHint(bool sideways) {
    return sideways ? QStringLiteral("Drag to reorder, or press Alt+Left or Alt+Right to move it one place")
                    : QStringLiteral("Drag to reorder, or press Alt+Up or Alt+Down to move it one place");
}

} // namespace quillora
