#include "controls/focus_ring.h"

#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quillora {

void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, bool light) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = rect.adjusted(1, 1, -1, -1);
    painter.setPen(QPen(accentColor(light), 2));
    painter.drawRoundedRect(outer, std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
    const QRectF inner = outer.adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(schemeColors::sheetBackground(light), 1));
    painter.drawRoundedRect(inner, std::max<qreal>(radius - 2.5, 0), std::max<qreal>(radius - 2.5, 0));
    painter.restore();
}

} // namespace quillora
