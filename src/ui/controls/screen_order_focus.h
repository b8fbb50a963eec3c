#pragma once

#include <QList>
#include <QObject>
#include <QPointer>
#include <QRect>

class QApplication;
class QScrollArea;
class QWidget;

namespace quillora {

// The controls under `scope` (in its window) that Tab stops at, in the order the screen shows
// them: top to bottom, and leading to trailing along a line. The controls of one container stay
// together, in the container's place. `alsoPlace`, when given, takes its place among them even if
// it is no stop of its own (the widget that holds the focus, say). A scrolling page and a list
// with no rows are no stops: they would take the focus and show and say nothing.
QList<QWidget*> tabStopsInScreenOrder(QWidget* scope, const QWidget* alsoPlace = nullptr);

// The Tab stop after `from` under `scope` in screen order (before it when `backward`), round and
// round; the first (last) one when `from` is not under `scope`; nullptr when there is no other.
QWidget* nextTabStop(QWidget* scope, const QWidget* from, bool backward);

// Makes the screen order remembered for the whole application: each container's order is worked
// out again only after something under it changed (a child added, removed, shown, hidden, moved
// or resized), so a key press costs the same in a window of thousands of controls. Without it the
// order is worked out from every widget each time it is asked for.
void rememberScreenOrder(QApplication& app);

// Whether Tab stops at the widget: focusable by Tab, enabled, handing its focus to no other
// widget, and neither a scrolling page nor an empty list.
bool isTabStop(const QWidget* widget);

// Scrolls `area` so the whole of `widget`, a control on its page, shows with `margin` around it
// (as much of it as fits, from its top). Unlike QScrollArea::ensureWidgetVisible, a text field is
// brought in whole, not only its caret. Nor does it stay under a control floating over the top of
// the view (a close or help button over a list).
void ensureWholeWidgetVisible(QScrollArea* area, const QWidget* widget, int margin);

// How far down the view of `area` controls float over the top of it (0 for none), beside the
// stretch of the view `inViewport` (in the view's coordinates) takes.
int floatingCover(const QScrollArea* area, const QRect& inViewport);

// Keeps what the user works on in view inside a scrolling page: the control that takes focus
// and, in a multi-line text box, the caret as it moves and as the box grows. A child of the
// scroll area.
class FocusInView final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FocusInView)

public:
    explicit FocusInView(QScrollArea* area);
    ~FocusInView() override;

    // The space kept between the followed control or caret and the page's visible edges.
    static constexpr int margin = 24;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void focusChanged(QWidget* now);
    void followCaret();
    void followCaretSoon();

    QScrollArea* m_area;
    QPointer<QWidget> m_text; // the focused multi-line box, if any
    bool m_followPending = false;
};

} // namespace quillora
