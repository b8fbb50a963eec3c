#include "controls/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace quillora {

namespace {

// Before a window is first shown its frame is unknown; a visible parent window's frame is the best
// guess, else a title bar and thin borders as most window managers draw them.
QMargins expectedFrame(const QWidget* window) {
    const QWidget* parent = window->parentWidget() != nullptr ? window->parentWidget()->window() : nullptr;
    if (window->isVisible())
        parent = window;
    if (parent != nullptr && parent->isVisible()) {
        const QRect outer = parent->frameGeometry();
        const QRect inner = parent->geometry();
        return QMargins(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                        outer.bottom() - inner.bottom());
    }
    return QMargins(4, 30, 4, 4);
}

} // namespace

QScreen* screenForWindow(const QWidget* window) {
    if (window == nullptr)
        return QGuiApplication::primaryScreen();
    if (!window->isVisible() && window->parentWidget() != nullptr)
        return window->parentWidget()->window()->screen();
    return window->screen();
}

QSize availableContentSize(const QWidget* window) {
    const QScreen* screen = screenForWindow(window);
    if (screen == nullptr)
        return QSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    const QMargins frame = window != nullptr ? expectedFrame(window) : QMargins();
    return screen->availableGeometry().size().shrunkBy(frame).expandedTo(QSize(1, 1));
}

void fitToAvailableGeometry(QWidget* window, QSize preferred, WindowSizing sizing) {
    if (window == nullptr)
        return;
    const QSize room = availableContentSize(window);
    if (sizing == WindowSizing::fixed) {
        window->setFixedSize(preferred.boundedTo(room));
        return;
    }
    const QSize minimum = window->minimumSize();
    if (minimum.width() > room.width() || minimum.height() > room.height())
        window->setMinimumSize(minimum.boundedTo(room));
    window->resize(preferred.boundedTo(room).expandedTo(window->minimumSize()));
}

ContentSizedScrollArea::ContentSizedScrollArea(QWidget* parent)
    : QScrollArea(parent) {
    setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Preferred);
}

QSize ContentSizedScrollArea::sizeHint() const {
    const int frame = 2 * frameWidth();
    const QSize page = widget() != nullptr ? widget()->sizeHint() : QSize();
    return QSize(page.width() + frame, page.height() + frame);
}

bool ContentSizedScrollArea::viewportEvent(QEvent* event) {
    // The page's layout ran and its size may have changed: the window's layout asks again.
    if (event->type() == QEvent::LayoutRequest)
        updateGeometry();
    return QScrollArea::viewportEvent(event);
}

void placeCentredOver(QWidget* window, const QWidget* anchor) {
    if (window == nullptr)
        return;
    const QWidget* anchorWindow = anchor != nullptr ? anchor->window() : nullptr;
    QScreen* screen = anchorWindow != nullptr ? anchorWindow->screen() : QGuiApplication::primaryScreen();
    if (screen == nullptr)
        return;
    const QRect available = screen->availableGeometry();
    const QRect over =
        anchorWindow != nullptr && anchorWindow->isVisible() ? anchorWindow->frameGeometry() : available;
    // Before the first show the frame is unknown; the anchor's own frame is the best guess.
    QMargins frame;
    if (anchorWindow != nullptr && anchorWindow->isVisible()) {
        const QRect outer = anchorWindow->frameGeometry();
        const QRect inner = anchorWindow->geometry();
        frame = QMargins(inner.left() - outer.left(), inner.top() - outer.top(),
                         outer.right() - inner.right(), outer.bottom() - inner.bottom());
    }
    const QSize size = window->size().grownBy(frame);
    QPoint topLeft(over.center().x() - size.width() / 2, over.center().y() - size.height() / 2);
    topLeft.setX(std::max(available.left(), std::min(topLeft.x(), available.right() + 1 - size.width())));
    topLeft.setY(std::max(available.top(), std::min(topLeft.y(), available.bottom() + 1 - size.height())));
    window->move(topLeft);
}

void closeOnEscapeAndCloseKeys(QWidget* window) {
    const QList<QKeySequence> keys{QKeySequence(Qt::Key_Escape), QKeySequence(Qt::CTRL | Qt::Key_W)};
    for (const QKeySequence& key : keys) {
        auto* shortcut = new QShortcut(key, window);
        shortcut->setContext(Qt::WindowShortcut);
        QObject::connect(shortcut, &QShortcut::activated, window, &QWidget::close);
    }
}

} // namespace quillora
