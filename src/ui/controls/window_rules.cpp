#include "controls/window_rules.h"

#include "controls/accessibility_traits.h"
#include "controls/accessibility_updates.h"
#include "controls/first_focus.h"
#include "controls/focus_ring.h"
#include "controls/keep_focus.h"
#include "controls/screen_order_focus.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QApplication>
#include <QGuiApplication>
#include <QHash>
#include <QKeyEvent>
#include <QListView>
#include <QPlainTextEdit>
#include <QPointer>
#include <QScrollArea>
#include <QTextEdit>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <utility>

namespace quillora {

namespace {

constexpr const char* modalOverlayProperty = "_quillora_modalOverlay";
constexpr const char* firstFocusDoneProperty = "_quillora_firstFocusDone";
// Space kept between a control scrolled into view and the edges of its page.
constexpr int inViewMargin = 24;
// How long a window manager takes to settle the activation after a window closes.
constexpr int settleMs = 150;

// Windows whose focus the app manages: not menus, combo lists, tool tips and the like, which
// keep and hand back the focus themselves.
bool isManagedWindow(const QWidget* widget) {
    if (!widget->isWindow())
        return false;
    const Qt::WindowType type = widget->windowType();
    return type != Qt::Popup && type != Qt::ToolTip && type != Qt::SplashScreen && type != Qt::Desktop;
}

// A control that uses Tab itself: a text box that types a tab, a table that moves between cells.
bool takesTabItself(const QWidget* widget) {
    if (const auto* plain = qobject_cast<const QPlainTextEdit*>(widget))
        return !plain->tabChangesFocus() && !plain->isReadOnly();
    if (const auto* rich = qobject_cast<const QTextEdit*>(widget))
        return !rich->tabChangesFocus() && !rich->isReadOnly();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(widget))
        return view->tabKeyNavigation();
    return false;
}

// Whether an assistive technology is told the control is the chosen one of a set (a picker's
// current font or background).
bool isCurrentChoice(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr && face->state().selected;
}

// A control of Qt's own, painted by the style rather than by the app (a text field, a plain
// dialog's button): it shows no ring of ours unless it is given one.
bool isStockControl(const QWidget* widget) {
    static const QList<QByteArrayView> stock{"QLineEdit",   "QPlainTextEdit", "QTextEdit",    "QPushButton",
                                             "QToolButton", "QCheckBox",      "QRadioButton", "QComboBox",
                                             "QSpinBox",    "QDoubleSpinBox", "QListView",    "QTreeView"};
    return stock.contains(QByteArrayView(widget->metaObject()->className()));
}

// Qt leaves the active window unset when the system focuses a window while a popup is open (a
// file dialog's completion list, still open when a screen reader's delayed Return accepts the
// dialog): the window then has the system's focus but no focused control, and keys go nowhere.
// Once no popup is left, the window the system focused becomes the active one again.
void takeBackActivation() {
    const QWindow* focused = QGuiApplication::focusWindow();
    if (QApplication::activeWindow() != nullptr || QApplication::activePopupWidget() != nullptr ||
        focused == nullptr)
        return;
    for (QWidget* window : QApplication::topLevelWidgets()) {
        if (window->windowHandle() == focused && window->isVisible() && isManagedWindow(window)) {
            QApplication::setActiveWindow(window);
            return;
        }
    }
}

class WindowRules final : public QObject {
public:
    explicit WindowRules(QApplication& app)
        : QObject(&app) {
        setObjectName(QStringLiteral("quilloraWindowRules"));
        connect(&app, &QApplication::focusChanged, this,
                [this](QWidget* old, QWidget* now) { focusMoved(old, now); });
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (!watched->isWidgetType())
            return false;
        auto* widget = static_cast<QWidget*>(watched);
        switch (event->type()) {
        case QEvent::Polish:
            // A scrolling page is no stop of its own: it would take the focus, say nothing and
            // show nothing. Keys it answers (PageUp, PageDown) reach it from the focused control.
            if (auto* area = qobject_cast<QScrollArea*>(widget))
                area->setFocusPolicy(Qt::NoFocus);
            break;
        case QEvent::KeyPress:
            // The rings of texts show where a key put or found the focus.
            noteKeyUse(widget->window());
            return keyPressed(widget, static_cast<QKeyEvent*>(event));
        case QEvent::ShortcutOverride:
            // An open in-window popup takes its keys (Escape above all) before the window's
            // shortcuts do.
            if (isInsideModalOverlay(widget) &&
                !(static_cast<QKeyEvent*>(event)->modifiers() &
                  (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))) {
                event->accept();
                return true;
            }
            break;
        case QEvent::Show:
            if (isManagedWindow(widget))
                windowShown(widget);
            else if (widget->property(modalOverlayProperty).toBool())
                forgetKeyUse(widget->window()); // a popup opens as a window does
            break;
        case QEvent::MouseButtonPress:
            forgetKeyUse(widget->window());
            break;
        case QEvent::EnabledChange:
            // The control disabled while it worked is enabled again and the focus Qt moved on
            // stayed where it went: the focus comes back.
            if (widget == m_displacedFrom && widget->isEnabled() && m_displacedTo != nullptr &&
                QApplication::focusWidget() == m_displacedTo && isTabStop(widget))
                widget->setFocus(Qt::OtherFocusReason);
            break;
        case QEvent::Hide:
            if (isManagedWindow(widget))
                windowHidden(widget);
            else if (widget->windowType() == Qt::Popup) {
                if (QApplication::activePopupWidget() == nullptr ||
                    QApplication::activePopupWidget() == widget)
                    noteFocusBackFromPopup(QApplication::focusWidget());
                QTimer::singleShot(0, this, &takeBackActivation); // once the popup is closed
            }
            break;
        case QEvent::WindowActivate:
            if (isManagedWindow(widget) && !widget->property(firstFocusDoneProperty).toBool()) {
                widget->setProperty(firstFocusDoneProperty, true);
                // After Qt has given the window its own first focus.
                QTimer::singleShot(0, widget, [window = QPointer<QWidget>(widget)] {
                    if (window && window->isActiveWindow())
                        giveFirstFocus(window);
                });
            }
            break;
        default:
            break;
        }
        return false;
    }

private:
    bool keyPressed(QWidget* receiver, QKeyEvent* key) {
        if (key->key() != Qt::Key_Tab && key->key() != Qt::Key_Backtab)
            return scrollKeyInWindowWithoutFocus(receiver, key);
        if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        QWidget* window = receiver->window();
        if (!isManagedWindow(window))
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus->window() != window)
            return false;
        // The event goes to the focused control first, then up its parents: act on the first.
        if (receiver != (focus != nullptr ? focus : window))
            return false;
        if (focus != nullptr && takesTabItself(focus))
            return false;
        const bool backward = key->key() == Qt::Key_Backtab || (key->modifiers() & Qt::ShiftModifier);
        QWidget* scope = keyboardScope(window);
        const bool focusInScope = focus != nullptr && (focus == scope || scope->isAncestorOf(focus));
        if (QWidget* next = nextTabStop(scope, focusInScope ? focus : nullptr, backward)) {
            next->setFocus(backward ? Qt::BacktabFocusReason : Qt::TabFocusReason);
            return true;
        }
        return focusInScope; // the focus is the only stop: it stays
    }

    // A window with nothing to focus (a page of help text) still scrolls by keyboard: the keys
    // that scroll go to its page.
    bool scrollKeyInWindowWithoutFocus(QWidget* receiver, QKeyEvent* key) {
        static const QList<int> scrollKeys{Qt::Key_PageUp, Qt::Key_PageDown, Qt::Key_Up,
                                           Qt::Key_Down,   Qt::Key_Home,     Qt::Key_End};
        if (m_forwarding || !receiver->isWindow() || !scrollKeys.contains(key->key()) ||
            !isManagedWindow(receiver))
            return false;
        QWidget* focus = QApplication::focusWidget();
        if (focus != nullptr && focus != receiver)
            return false;
        QScrollArea* page = nullptr;
        for (QScrollArea* area : receiver->findChildren<QScrollArea*>()) {
            if (area->isVisible() &&
                (page == nullptr || area->height() * area->width() > page->height() * page->width()))
                page = area;
        }
        if (page == nullptr)
            return false;
        QKeyEvent copy(key->type(), key->key(), key->modifiers(), key->text());
        // A key the page leaves comes back up to the window: once is enough.
        m_forwarding = true;
        QCoreApplication::sendEvent(page, &copy);
        m_forwarding = false;
        return true;
    }

    static bool isInsideModalOverlay(const QWidget* widget) {
        if (widget->isWindow())
            return false;
        const QWidget* scope = keyboardScope(widget->window());
        return scope != widget->window() && (scope == widget || scope->isAncestorOf(widget));
    }

    // The control that had the focus when a window opened is where the focus goes back to.
    void windowShown(QWidget* window) {
        ++m_focusEpoch;
        forgetKeyUse(window);
        // It opens: a reader hears what it is for. A window it opened over has opened: coming
        // back to that one says its name and the focus only.
        for (QWidget* other : QApplication::topLevelWidgets())
            if (other != window && isWindowOpening(other))
                setWindowOpening(other, false);
        setWindowOpening(window, true);
        window->setProperty(firstFocusDoneProperty, QVariant());
        QWidget* opener = QApplication::focusWidget();
        // The control that lost the focus by being disabled while it worked (a push that ends in
        // an alert) opened the window, not the one Qt moved the focus on to.
        if (opener != nullptr && opener == m_displacedTo && m_displacedFrom != nullptr &&
            m_displacedFrom->window() == opener->window())
            opener = m_displacedFrom;
        if (opener != nullptr && opener->window() != window)
            m_openers.insert(window, opener);
        else if (QWidget* parent = window->parentWidget();
                 parent != nullptr && parent->window()->focusWidget())
            m_openers.insert(window, parent->window()->focusWidget());
    }

    void windowHidden(QWidget* window) {
        window->setProperty(firstFocusDoneProperty, QVariant());
        setWindowOpening(window, false);
        const QPointer<QWidget> taken = m_openers.take(window);
        // A window opened while a control worked was opened from the place that held the focus for
        // it: the control itself once its work is done.
        const QPointer<QWidget> opener = taken != nullptr ? focusHomeOf(taken) : nullptr;
        if (opener == nullptr || !opener->isVisible() || !opener->isEnabled())
            return;
        QWidget* home = opener->window();
        // The window's action gave the focus a place of its own (a row just saved, the chip
        // just edited): that one stays.
        if (QWidget* placed = home->focusWidget(); placed != nullptr && placed != opener && isTabStop(placed))
            return;
        m_returnedTo = opener;
        opener->setFocus(Qt::OtherFocusReason);
        QWidget* modal = QApplication::activeModalWidget();
        if (!home->isActiveWindow() && (modal == nullptr || modal == home))
            home->activateWindow();
        // The window manager may hand the activation to another window first (the one under
        // the closed one), or to none; a closing completion list may give the focus to the closed
        // window: the opener's window takes both back once they have settled.
        const quint64 epoch = m_focusEpoch;
        for (const int delay : {0, settleMs}) {
            QTimer::singleShot(delay, opener, [this, opener, epoch] {
                // The user or the app has moved on meanwhile: nothing was lost.
                if (m_focusEpoch != epoch)
                    return;
                QWidget* modal = QApplication::activeModalWidget();
                if (opener == nullptr || !opener->isVisible() || !opener->isEnabled() ||
                    (modal != nullptr && modal != opener->window()))
                    return;
                QWidget* active = QApplication::activeWindow();
                QWidget* focus = QApplication::focusWidget();
                const bool lost =
                    active == nullptr || !active->isVisible() || focus == nullptr || !focus->isVisible();
                // While no window is active (the system has not activated the opener's window
                // yet), a place the window's action gave the focus meanwhile is only the window's
                // own focus, which it takes as it becomes active: it stays, as it does when the
                // window was active already. How soon the system activates the window (slower
                // with a screen reader listening) must not decide where the focus lands.
                QWidget* placed = opener->window()->focusWidget();
                if (placed == nullptr || !placed->isVisible() || !placed->isEnabled() || !isTabStop(placed))
                    placed = opener;
                if (focus == nullptr || !focus->isVisible())
                    placed->setFocus(Qt::OtherFocusReason);
                takeBackActivation();
                if (lost || (active != opener->window() && active->isAncestorOf(opener->window())))
                    opener->window()->activateWindow();
            });
        }
    }

    void focusMoved(QWidget* old, QWidget* now) {
        if (now == nullptr) {
            // A control that went away with the focus (a dismissed card's close button, a row
            // deleted) leaves its window with none: once things have settled, the window gives it
            // again as when it opened, so the keys and the screen reader are never left nowhere.
            const bool wentAway = old != nullptr && (!old->isVisible() || !old->isEnabled() ||
                                                     old->focusPolicy() == Qt::NoFocus);
            if (wentAway && isManagedWindow(old->window()))
                QTimer::singleShot(0, old->window(), [window = QPointer<QWidget>(old->window())] {
                    QWidget* modal = QApplication::activeModalWidget();
                    if (window != nullptr && window->isActiveWindow() &&
                        QApplication::focusWidget() == nullptr &&
                        QApplication::activePopupWidget() == nullptr && (modal == nullptr || modal == window))
                        giveFirstFocus(window);
                });
            return;
        }
        if (now->isVisible() && now != m_returnedTo)
            ++m_focusEpoch;
        // Qt moves the focus of a control that gets disabled on to the next one, also when its
        // window is not active yet (the opener given the focus back as a sheet closes).
        QWidget* from = old;
        if (m_returnedTo != nullptr && m_returnedTo->window() == now->window())
            from = std::exchange(m_returnedTo, nullptr);
        if (from != nullptr && from != now && !from->isEnabled() && from->window() == now->window()) {
            m_displacedFrom = from;
            m_displacedTo = now;
        } else {
            m_displacedFrom = nullptr;
            m_displacedTo = nullptr;
        }
        if (isStockControl(now) && !hasFocusRing(now))
            addPaletteFocusRing(now, 6);
        // A list that takes the focus is reported focused once this is done, which a screen
        // reader reads as the bare list ("Files, list with 1 item"): the row that has the focus
        // is reported after it. (A combo box's list, a popup, reports its own row.)
        if (auto* list = qobject_cast<QListView*>(now); list != nullptr && isManagedWindow(list->window()))
            QTimer::singleShot(0, list, [list] {
                if (!list->hasFocus() || !list->currentIndex().isValid() || !QAccessible::isActive())
                    return;
                QAccessibleEvent focused(list, QAccessible::Focus);
                focused.setChild(list->currentIndex().row());
                QAccessible::updateAccessibility(&focused);
            });
        // A click lands on what is in view already; the page stays where the user put it.
        if (QApplication::mouseButtons() != Qt::NoButton)
            return;
        bringIntoView(now);
    }

    static void giveFirstFocus(QWidget* window) {
        QWidget* scope = keyboardScope(window);
        const QList<QWidget*> stops = tabStopsInScreenOrder(scope);
        // A picker starts on its current choice.
        for (QWidget* stop : stops) {
            if (isCurrentChoice(stop)) {
                stop->setFocus(Qt::ActiveWindowFocusReason);
                bringIntoView(stop);
                return;
            }
        }
        // A control the window's own code chose, in view, stays.
        QWidget* focused = window->focusWidget();
        if (focused != nullptr && (focused == scope || scope->isAncestorOf(focused)) && isTabStop(focused) &&
            isFocusableControl(focused) && isInView(focused))
            return;
        for (QWidget* stop : stops) {
            if (isFocusableControl(stop) && isInView(stop)) {
                stop->setFocus(Qt::ActiveWindowFocusReason);
                return;
            }
        }
        if (!stops.isEmpty() && (focused == nullptr || !isTabStop(focused)))
            stops.first()->setFocus(Qt::ActiveWindowFocusReason);
    }

public:
    QList<QPointer<QWidget>> m_overlays; // every in-window popup marked, shown or not

private:
    QHash<QWidget*, QPointer<QWidget>> m_openers;
    // The control whose focus Qt moved on when it was disabled, and where the focus went.
    QPointer<QWidget> m_displacedFrom;
    QPointer<QWidget> m_displacedTo;
    QPointer<QWidget> m_returnedTo; // the opener given the focus back, until its window has it
    quint64 m_focusEpoch = 0;       // counts the focus moves to a shown control and windows shown
    bool m_forwarding = false;
};

WindowRules* rulesOf(const QCoreApplication* app) {
    return app == nullptr ? nullptr
                          : static_cast<WindowRules*>(app->findChild<QObject*>(
                                QStringLiteral("quilloraWindowRules"), Qt::FindDirectChildrenOnly));
}

} // namespace

void installWindowRules(QApplication& app) {
    if (rulesOf(&app) != nullptr)
        return;
    rememberScreenOrder(app);
    app.installEventFilter(new WindowRules(app));
}

void markAsModalOverlay(QWidget* overlay) {
    overlay->setProperty(modalOverlayProperty, true);
    // Read as a dialog named as the popup is: its name is heard first as the focus enters it.
    markAsAccessibleDialog(overlay);
    if (WindowRules* rules = rulesOf(QCoreApplication::instance())) {
        rules->m_overlays.removeAll(nullptr);
        rules->m_overlays.append(overlay);
    }
}

QWidget* keyboardScope(QWidget* window) {
    QWidget* scope = window;
    // The popups are known as they are marked: no search through the window on each key.
    if (WindowRules* rules = rulesOf(QCoreApplication::instance())) {
        for (const QPointer<QWidget>& overlay : std::as_const(rules->m_overlays)) {
            if (overlay != nullptr && overlay->isVisible() && overlay->window() == window)
                scope = overlay;
        }
        return scope;
    }
    for (QWidget* child : window->findChildren<QWidget*>()) {
        if (child->property(modalOverlayProperty).toBool() && child->isVisible() && child->window() == window)
            scope = child;
    }
    return scope;
}

void bringIntoView(QWidget* widget) {
    for (QWidget* up = widget->parentWidget(); up != nullptr && !up->isWindow(); up = up->parentWidget()) {
        auto* area = qobject_cast<QScrollArea*>(up);
        if (area != nullptr && area->widget() != nullptr && area->widget()->isAncestorOf(widget))
            ensureWholeWidgetVisible(area, widget, inViewMargin);
    }
}

void bringIntoViewOnceLaidOut(QWidget* widget) {
    // Asked for where the focus was then. Once the focus has moved on meanwhile (a key pressed on a
    // busy machine, a control given its focus back as its work ends), the control that has the
    // focus now is brought into view instead: the page never goes back to one the user has left.
    const QPointer<QWidget> focusThen(widget->window()->focusWidget());
    QTimer::singleShot(0, widget, [asked = QPointer<QWidget>(widget), focusThen] {
        // Every layout asked for meanwhile runs first, also those it asks for in turn (a page that
        // grows, then the scroll area around it), so what is scrolled to is where it stays.
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        if (asked == nullptr)
            return;
        QWidget* focusNow = asked->window()->focusWidget();
        QWidget* target = focusNow == focusThen ? asked.data() : focusNow;
        if (target != nullptr && target->isVisible())
            bringIntoView(target);
    });
}

bool isInView(const QWidget* widget) {
    const QWidget* window = widget->window();
    const QRect seen(widget->mapTo(window, QPoint(0, 0)), widget->size());
    // A control taller or wider than the page's view fills it (a long text box shows its caret).
    const auto shows = [&seen](const QRect& port) {
        const QRect both = port & seen;
        return both.height() >= std::min(seen.height(), port.height()) - 1 &&
               both.width() >= std::min(seen.width(), port.width()) - 1;
    };
    for (const QWidget* up = widget->parentWidget(); up != nullptr && !up->isWindow();
         up = up->parentWidget()) {
        if (const auto* area = qobject_cast<const QScrollArea*>(up)) {
            QRect port(area->viewport()->mapTo(window, QPoint(0, 0)), area->viewport()->size());
            // What a button floating over the view's top covers is out of view.
            port.setTop(port.top() + floatingCover(area, QRect(widget->mapTo(area->viewport(), QPoint(0, 0)),
                                                               widget->size())));
            if (!shows(port))
                return false;
        }
    }
    return shows(window->rect());
}

} // namespace quillora
