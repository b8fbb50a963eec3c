#pragma once

#include "theme/responsive_layout.h"

#include <QtGlobal>

namespace quillora {

// t for the logo, cards and circular buttons; u for the bar and list insets.
inline qreal cardScale(qreal width) {
    return responsiveScale(width, 1025);
}
inline qreal insetScale(qreal width) {
    return responsiveScale(width, 825);
}

} // namespace quillora
