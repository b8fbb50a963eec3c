#pragma once

#include <QtGlobal>

#include <optional>

namespace quillora {

// The spans of the width scale in use: the common one (cards, help sheets, text areas,
// paddings), the gradient swatches, and the content column of the help sheets.
inline constexpr qreal responsiveSpanCommon = 1065;
inline constexpr qreal responsiveSpanSwatches = 1025;
inline constexpr qreal responsiveSpanHelpColumn = 1425;

// The width available to a screen's content, handed from the screen that measures it to the
// widgets inside it.
struct QuilloraResponsiveLayout {
    qreal width = 800;

    // The widest the content column may be at this width; nothing when it may take it all.
    std::optional<qreal> maxContentWidth() const;
};

// The factor t of base + k × t: 0 at widths up to 375, rising linearly to 1 at 375 + span.
qreal responsiveScale(qreal width, qreal span);

} // namespace quillora
