#include "controls/window_placement.h"

#include <QGuiApplication>
#include <QKeySequence>
#include <QScreen>
#include <QShortcut>
#include <QWidget>

#include <algorithm>

namespace quillora {

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
