#pragma once

#include <QList>
#include <QObject>
#include <QPointer>

class QScrollArea;
class QWidget;

namespace quillora {

// The controls under `scope` (in its window) that Tab stops at, in the order the screen shows
// them: top to bottom, and leading to trailing along a line. The controls of one container stay
// together, in the container's place. `alsoPlace`, when given, takes its place among them even if
// it is no stop of its own (the widget that holds the focus, say). A scrolling page and a list
// with no rows are no stops: they would take the focus and show and say nothing.
QList<QWidget*> tabStopsInScreenOrder(QWidget* scope, const QWidget* alsoPlace = nullptr);

// Whether Tab stops at the widget: focusable by Tab, enabled, handing its focus to no other
// widget, and neither a scrolling page nor an empty list.
bool isTabStop(const QWidget* widget);

// Scrolls `area` so the whole of `widget`, a control on its page, shows with `margin` around it
// (as much of it as fits, from its top). Unlike QScrollArea::ensureWidgetVisible, a text field is
// brought in whole, not only its caret.
void ensureWholeWidgetVisible(QScrollArea* area, const QWidget* widget, int margin);

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
