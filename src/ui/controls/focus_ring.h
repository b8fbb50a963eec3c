#pragma once

#include <QRectF>

class QPainter;

namespace quillora {

// The ring a painted control draws while it has keyboard focus, the same on every such control:
// a solid accent line two points wide just inside `rect`, with a thin line in the scheme's
// background colour inside it, so it shows on light and dark backgrounds and over photos alike.
void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, bool light);

} // namespace quillora
