#include "controls/accessibility_traits.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QAccessibleWidget>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QToolButton>
#include <QVariant>

namespace quillora {

namespace {

constexpr const char* valueProperty = "_quillora_accessibleValue";
constexpr const char* selectedProperty = "_quillora_accessibleSelected";
constexpr const char* headingProperty = "_quillora_accessibleHeading";
constexpr const char* hiddenProperty = "_quillora_accessibleHidden";
// Set on a widget some of whose children are hidden: its interface leaves them out.
constexpr const char* containerProperty = "_quillora_accessibleContainer";

const AccessibleActions* ownActions(const QObject* object) {
    return dynamic_cast<const AccessibleActions*>(object);
}

bool hasTraits(const QObject* object) {
    return object->property(valueProperty).isValid() || object->property(selectedProperty).isValid() ||
           object->property(headingProperty).isValid() || object->property(containerProperty).isValid() ||
           ownActions(object) != nullptr;
}

bool isHidden(const QAccessibleInterface* iface) {
    return iface && iface->object() && iface->object()->property(hiddenProperty).toBool();
}

bool hasMenu(const QWidget* widget) {
    if (auto* push = qobject_cast<const QPushButton*>(widget))
        return push->menu() != nullptr;
    if (auto* tool = qobject_cast<const QToolButton*>(widget))
        return tool->menu() != nullptr;
    return false;
}

QAccessible::Role roleFor(const QWidget* widget) {
    if (widget->property(headingProperty).toBool())
        return QAccessible::Heading;
    if (auto* button = qobject_cast<const QAbstractButton*>(widget)) {
        if (hasMenu(widget))
            return QAccessible::ButtonMenu;
        return button->isCheckable() && !widget->property(selectedProperty).isValid() ? QAccessible::CheckBox
                                                                                      : QAccessible::Button;
    }
    if (qobject_cast<const QLabel*>(widget))
        return QAccessible::StaticText;
    return QAccessible::Client;
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
        if (t == QAccessible::Description)
            return describedWithValue(QAccessibleWidget::text(t), w->property(valueProperty).toString());
        if (t == QAccessible::Name && w->accessibleName().isEmpty()) {
            if (auto* button = qobject_cast<const QAbstractButton*>(w))
                return QString(button->text()).remove(QLatin1Char('&'));
            if (auto* label = qobject_cast<const QLabel*>(w))
                return label->text();
        }
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
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
        }
        return s;
    }

    int childCount() const override { return int(shownChildren().size()); }
    QAccessibleInterface* child(int index) const override { return shownChildren().value(index); }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return int(shownChildren().indexOf(const_cast<QAccessibleInterface*>(child)));
    }

    QStringList actionNames() const override {
        // A button's press first, then the widget's own actions (a row's press among them),
        // then what every widget offers.
        QStringList names;
        const bool button = qobject_cast<const QAbstractButton*>(widget()) != nullptr;
        if (button)
            names << (hasMenu(widget()) ? showMenuAction() : pressAction());
        if (const AccessibleActions* own = ownActions(widget()))
            names << own->accessibleActionNames();
        if (!button)
            names << QAccessibleWidget::actionNames();
        return names;
    }

    void doAction(const QString& name) override {
        if (auto* own = dynamic_cast<AccessibleActions*>(widget());
            own && widget()->isEnabled() && own->accessibleActionNames().contains(name)) {
            own->triggerAccessibleAction(name);
            return;
        }
        auto* button = qobject_cast<QAbstractButton*>(widget());
        if (!button) {
            QAccessibleWidget::doAction(name);
            return;
        }
        if (!widget()->isEnabled())
            return;
        if (name == pressAction() || name == showMenuAction())
            button->click();
    }

private:
    QList<QAccessibleInterface*> shownChildren() const {
        QList<QAccessibleInterface*> children;
        for (int i = 0; i < QAccessibleWidget::childCount(); ++i) {
            QAccessibleInterface* child = QAccessibleWidget::child(i);
            if (child && !isHidden(child))
                children << child;
        }
        return children;
    }
};

QAccessibleInterface* traitsFactory(const QString&, QObject* object) {
    if (object && object->isWidgetType() && hasTraits(object))
        return new TraitsAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

void installTraitsFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(traitsFactory);
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

QString describedWithValue(const QString& hint, const QString& value) {
    if (value.isEmpty() || hint.isEmpty())
        return hint + value;
    return hint + (hint.back().isPunct() ? QStringLiteral(" ") : QStringLiteral(". ")) + value;
}

void setAccessibleValue(QWidget* widget, const QString& value) {
    if (widget->property(valueProperty) == QVariant(value))
        return;
    setTrait(widget, valueProperty, value);
    QAccessibleValueChangeEvent change(widget, value);
    QAccessible::updateAccessibility(&change);
    QAccessibleEvent description(widget, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
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

void combineAccessibleChildren(QWidget* widget, const QString& name, const QString& description) {
    widget->setAccessibleName(name);
    widget->setAccessibleDescription(description);
    for (QWidget* child : widget->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
        const auto operable = [](const QWidget* w) {
            return qobject_cast<const QAbstractButton*>(w) || w->focusPolicy() != Qt::NoFocus;
        };
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

} // namespace quillora
