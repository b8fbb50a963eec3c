#include "controls/screen_order_focus.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QChildEvent>
#include <QEvent>
#include <QHash>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTextEdit>

#include <algorithm>
#include <functional>
#include <limits>

namespace quillora {

namespace {

// A child that lies over a larger sibling drawn beneath it (a floating button over a page) takes
// its place beside that sibling rather than after all of it: before it when it floats over the
// sibling's upper half, after it otherwise. `byTop` are the children sorted by their top.
QList<QWidget*> placeFloatingChildren(const QList<QWidget*>& ordered, const QList<QWidget*>& byTop) {
    const QObjectList& stacking = byTop.isEmpty() ? QObjectList() : byTop.first()->parentWidget()->children();
    QHash<QWidget*, QWidget*> under; // floating child → the sibling it lies over
    int lowest = std::numeric_limits<int>::min();
    for (QWidget* child : byTop) {
        const QRect rect = child->geometry();
        // Only a child that starts above the bottom of one before it can lie over it.
        if (rect.top() <= lowest) {
            QWidget* best = nullptr;
            for (QWidget* other : byTop) {
                const QRect area = other->geometry();
                if (other != child && area.contains(rect) &&
                    area.width() * area.height() > rect.width() * rect.height() &&
                    stacking.indexOf(other) < stacking.indexOf(child) &&
                    (best == nullptr || area.width() * area.height() < best->width() * best->height()))
                    best = other;
            }
            if (best != nullptr)
                under.insert(child, best);
        }
        lowest = std::max(lowest, rect.bottom());
    }
    if (under.isEmpty())
        return ordered;
    QHash<QWidget*, QList<QWidget*>> before;
    QHash<QWidget*, QList<QWidget*>> after;
    for (QWidget* child : ordered) {
        if (QWidget* base = under.value(child)) {
            const bool upper = child->geometry().center().y() < base->geometry().center().y();
            (upper ? before : after)[base].append(child);
        }
    }
    QList<QWidget*> placed;
    const std::function<void(QWidget*)> place = [&](QWidget* child) {
        for (QWidget* floating : before.value(child))
            place(floating);
        placed.append(child);
        for (QWidget* floating : after.value(child))
            place(floating);
    };
    for (QWidget* child : ordered) {
        if (!under.contains(child))
            place(child);
    }
    return placed;
}

// The shown child widgets of `parent` in screen order: children whose vertical middle lies within
// the first of a line share that line and go leading to trailing; lines go top to bottom.
QList<QWidget*> childrenInScreenOrder(const QWidget* parent) {
    QList<QWidget*> children;
    for (QObject* object : parent->children()) {
        auto* child = qobject_cast<QWidget*>(object);
        if (child != nullptr && !child->isWindow() && !child->isHidden())
            children.append(child);
    }
    std::stable_sort(children.begin(), children.end(),
                     [](const QWidget* a, const QWidget* b) { return a->y() < b->y(); });
    const bool rightToLeft = parent->layoutDirection() == Qt::RightToLeft;
    QList<QWidget*> ordered;
    for (qsizetype start = 0; start < children.size();) {
        const QRect first = children.at(start)->geometry();
        qsizetype end = start + 1;
        while (end < children.size() && children.at(end)->geometry().center().y() <= first.bottom())
            ++end;
        QList<QWidget*> line = children.mid(start, end - start);
        std::stable_sort(line.begin(), line.end(), [rightToLeft](const QWidget* a, const QWidget* b) {
            return rightToLeft ? a->geometry().right() > b->geometry().right() : a->x() < b->x();
        });
        ordered.append(line);
        start = end;
    }
    return placeFloatingChildren(ordered, children);
}

// Every shown widget under `parent` in screen order, each followed by its own.
void collectInScreenOrder(const QWidget* parent, QList<QWidget*>& into) {
    for (QWidget* child : childrenInScreenOrder(parent)) {
        into.append(child);
        collectInScreenOrder(child, into);
    }
}

QString cacheName() {
    return QStringLiteral("quilloraScreenOrder");
}

// The screen order under each container, kept until something under it changes. A change marks
// the container and those around it up to its window; an order asked for again is put together
// from the kept orders of the containers that did not change.
class ScreenOrderCache final : public QObject {
public:
    explicit ScreenOrderCache(QApplication& app)
        : QObject(&app) {
        setObjectName(cacheName());
    }

    static ScreenOrderCache* of(const QCoreApplication* app) {
        return app == nullptr ? nullptr
                              : static_cast<ScreenOrderCache*>(
                                    app->findChild<QObject*>(cacheName(), Qt::FindDirectChildrenOnly));
    }

    QList<QWidget*> order(const QWidget* scope) { return build(scope).under; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::ChildAdded:
        case QEvent::ChildRemoved:
            if (static_cast<QChildEvent*>(event)->child()->isWidgetType() && watched->isWidgetType()) {
                if (event->type() == QEvent::ChildRemoved)
                    m_nodes.remove(static_cast<const QWidget*>(static_cast<QChildEvent*>(event)->child()));
                changed(static_cast<QWidget*>(watched));
            }
            break;
        case QEvent::Destroy:
            // A widget going: its container forgets it before it is gone.
            if (watched->isWidgetType()) {
                m_nodes.remove(static_cast<QWidget*>(watched));
                if (!static_cast<QWidget*>(watched)->isWindow())
                    changed(static_cast<QWidget*>(watched)->parentWidget());
            }
            break;
        case QEvent::Show:
        case QEvent::LayoutDirectionChange:
            if (watched->isWidgetType())
                changed(static_cast<QWidget*>(watched));
            [[fallthrough]];
        case QEvent::ShowToParent:
        case QEvent::HideToParent:
        case QEvent::Move:
        case QEvent::Resize:
            if (watched->isWidgetType() && !static_cast<QWidget*>(watched)->isWindow())
                changed(static_cast<QWidget*>(watched)->parentWidget());
            break;
        default:
            break;
        }
        return false;
    }

private:
    struct Node {
        QPointer<const QWidget> widget; // gone: the entry is stale
        bool valid = false;
        QList<QWidget*> under;
    };

    // The order under `widget` (and under every container around it) must be worked out again.
    void changed(const QWidget* widget) {
        for (; widget != nullptr; widget = widget->parentWidget()) {
            const auto it = m_nodes.find(widget);
            if (it != m_nodes.end()) {
                // One marked already has all those around it marked.
                if (!it->valid && it->widget == widget)
                    return;
                it->valid = false;
            }
            if (widget->isWindow())
                return;
        }
    }

    const Node& build(const QWidget* widget) {
        Node& node = m_nodes[widget];
        if (node.valid && node.widget == widget)
            return node;
        QList<QWidget*> under;
        for (QWidget* child : childrenInScreenOrder(widget)) {
            under.append(child);
            under.append(build(child).under);
        }
        pruneIfGrown();
        Node& now = m_nodes[widget]; // the table may have grown meanwhile
        now.widget = widget;
        now.under = std::move(under);
        now.valid = true;
        return now;
    }

    // Entries of widgets deleted together with their parent are dropped now and then.
    void pruneIfGrown() {
        if (m_nodes.size() < 2 * m_sizeAfterPrune + 1024)
            return;
        m_nodes.removeIf([](const auto& entry) { return entry.value().widget == nullptr; });
        m_sizeAfterPrune = m_nodes.size();
    }

    QHash<const QWidget*, Node> m_nodes;
    qsizetype m_sizeAfterPrune = 0;
};

// Every shown widget under `scope` in screen order.
QList<QWidget*> widgetsInScreenOrder(QWidget* scope) {
    if (scope == nullptr || !scope->isVisible())
        return {};
    if (ScreenOrderCache* cache = ScreenOrderCache::of(QCoreApplication::instance()))
        return cache->order(scope);
    QList<QWidget*> order;
    collectInScreenOrder(scope, order);
    return order;
}

bool isTextBox(const QWidget* widget) {
    return qobject_cast<const QPlainTextEdit*>(widget) != nullptr ||
           qobject_cast<const QTextEdit*>(widget) != nullptr;
}

} // namespace

bool isTabStop(const QWidget* widget) {
    if (!(widget->focusPolicy() & Qt::TabFocus) || !widget->isEnabled() || widget->focusProxy() != nullptr)
        return false;
    if (qobject_cast<const QScrollArea*>(widget) != nullptr)
        return false;
    if (const auto* view = qobject_cast<const QAbstractItemView*>(widget))
        return view->model() != nullptr && view->model()->rowCount(view->rootIndex()) > 0;
    return true;
}

QList<QWidget*> tabStopsInScreenOrder(QWidget* scope, const QWidget* alsoPlace) {
    QList<QWidget*> stops;
    for (QWidget* widget : widgetsInScreenOrder(scope)) {
        if (widget == alsoPlace || isTabStop(widget))
            stops.append(widget);
    }
    return stops;
}

QWidget* nextTabStop(QWidget* scope, const QWidget* from, bool backward) {
    const QList<QWidget*> order = widgetsInScreenOrder(scope);
    const qsizetype count = order.size();
    qsizetype at = from != nullptr ? order.indexOf(from) : -1;
    if (at < 0)
        at = backward ? count : -1;
    for (qsizetype step = 1; step <= count; ++step) {
        QWidget* next = order.at(((backward ? at - step : at + step) % count + count) % count);
        if (next != from && isTabStop(next))
            return next;
    }
    return nullptr;
}

void rememberScreenOrder(QApplication& app) {
    if (ScreenOrderCache::of(&app) == nullptr)
        app.installEventFilter(new ScreenOrderCache(app));
}

int floatingCover(const QScrollArea* area, const QRect& inViewport) {
    const QWidget* port = area->viewport();
    const QWidget* window = area->window();
    const QPoint portAt = port->mapTo(window, QPoint(0, 0));
    int cover = 0;
    // Controls floating over the page are siblings, drawn above it, of the area or of a container
    // around it; they lie inside that one.
    for (const QWidget* held = area; held != nullptr && !held->isWindow(); held = held->parentWidget()) {
        const QObjectList& siblings = held->parentWidget()->children();
        for (qsizetype i = siblings.indexOf(held) + 1; i < siblings.size(); ++i) {
            auto* floating = qobject_cast<QWidget*>(siblings.at(i));
            if (floating == nullptr || floating->isWindow() || !floating->isVisible() ||
                !(floating->focusPolicy() & Qt::TabFocus) || !held->geometry().contains(floating->geometry()))
                continue;
            const QRect over(floating->mapTo(window, QPoint(0, 0)) - portAt, floating->size());
            // Over the top of the view, beside what is to show.
            if (over.top() < port->height() / 2 && over.bottom() >= 0 && over.left() <= inViewport.right() &&
                over.right() >= inViewport.left())
                cover = std::max(cover, over.bottom() + 1);
        }
    }
    return cover;
}

void ensureWholeWidgetVisible(QScrollArea* area, const QWidget* widget, int margin) {
    QWidget* page = area->widget();
    if (page == nullptr || !page->isAncestorOf(widget))
        return;
    const QRect rect(widget->mapTo(page, QPoint(0, 0)), widget->size());
    const QSize port = area->viewport()->size();
    // Taller than the view: its top comes in, as far down the view as the margin allows.
    const int height = std::min(rect.height(), port.height() - 2 * margin);
    const int width = std::min(rect.width(), port.width() - 2 * margin);
    area->ensureVisible(rect.left() + width / 2, rect.top() + height / 2, width / 2 + margin,
                        height / 2 + margin);
    // Nor does it stay under a button floating over the top of the view.
    const QRect shown(widget->mapTo(area->viewport(), QPoint(0, 0)), widget->size());
    const int cover = floatingCover(area, shown);
    if (cover > 0 && shown.top() < cover + margin / 3) {
        QScrollBar* bar = area->verticalScrollBar();
        bar->setValue(bar->value() - (cover + margin / 3 - shown.top()));
    }
}

// --- Keeping focus in view ------------------------------------------------------------------

FocusInView::FocusInView(QScrollArea* area)
    : QObject(area)
    , m_area(area) {
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusChanged(now); });
    if (QWidget* page = area->widget())
        page->installEventFilter(this);
}

FocusInView::~FocusInView() = default;

void FocusInView::focusChanged(QWidget* now) {
    QWidget* page = m_area->widget();
    if (m_text != nullptr && m_text != now) {
        m_text->removeEventFilter(this);
        disconnect(m_text, nullptr, this, nullptr);
        m_text = nullptr;
    }
    if (now == nullptr || page == nullptr || !page->isAncestorOf(now))
        return;
    if (isTextBox(now)) {
        // A box that fits the page's view comes into view whole; a taller one scrolls to its
        // caret, not to its top.
        if (QApplication::mouseButtons() == Qt::NoButton)
            ensureWholeWidgetVisible(m_area, now, margin);
        m_text = now;
        now->installEventFilter(this);
        const auto moved = [this] {
            followCaret();
            // The box grows with the line just typed only once the layout has run.
            followCaretSoon();
        };
        if (auto* plain = qobject_cast<QPlainTextEdit*>(now))
            connect(plain, &QPlainTextEdit::cursorPositionChanged, this, moved);
        else if (auto* rich = qobject_cast<QTextEdit*>(now))
            connect(rich, &QTextEdit::cursorPositionChanged, this, moved);
        moved();
        return;
    }
    // A click lands on what is in view already; the page stays where the user put it.
    if (QApplication::mouseButtons() == Qt::NoButton)
        ensureWholeWidgetVisible(m_area, now, margin);
}

void FocusInView::followCaret() {
    m_followPending = false;
    QWidget* page = m_area->widget();
    if (m_text == nullptr || page == nullptr)
        return;
    QRect caret;
    if (auto* plain = qobject_cast<QPlainTextEdit*>(m_text.data()))
        caret = plain->cursorRect();
    else if (auto* rich = qobject_cast<QTextEdit*>(m_text.data()))
        caret = rich->cursorRect();
    const auto* box = static_cast<QAbstractScrollArea*>(m_text.data());
    // A box that fits the view is kept in view whole.
    if (box->height() + 2 * margin <= m_area->viewport()->height()) {
        ensureWholeWidgetVisible(m_area, m_text, margin);
        return;
    }
    const QPoint centre = box->viewport()->mapTo(page, caret.center());
    m_area->ensureVisible(centre.x(), centre.y(), margin, caret.height() / 2 + margin);
}

void FocusInView::followCaretSoon() {
    if (m_followPending)
        return;
    m_followPending = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            if (m_followPending)
                followCaret();
        },
        Qt::QueuedConnection);
}

bool FocusInView::eventFilter(QObject* watched, QEvent* event) {
    // The box or the page grew under the caret (a scroll by the user moves neither).
    if (m_text != nullptr && (watched == m_text || watched == m_area->widget()) &&
        event->type() == QEvent::Resize)
        followCaretSoon();
    return QObject::eventFilter(watched, event);
}

} // namespace quillora
