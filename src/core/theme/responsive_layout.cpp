#include "theme/responsive_layout.h"

namespace quillora {

namespace {

qreal clampedUnit(qreal ratio) {
    if (ratio <= 0)
        return 0;
    if (ratio > 1)
        return 1;
    return ratio;
}

} // namespace

std::optional<qreal> QuilloraResponsiveLayout::maxContentWidth() const {
    if (width < 600)
        return std::nullopt;
    if (width < 1000)
        return 640 + clampedUnit((width - 600) / 400) * 220;
    return 860 + clampedUnit((width - 1000) / 800) * 260;
}

qreal responsiveScale(qreal width, qreal span) {
    return clampedUnit((width - 375) / span);
}

} // namespace quillora
