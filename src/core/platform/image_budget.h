#pragma once

#include <QSize>

namespace quillora {

// The most pixels an image may have for the app to show or print it. The largest camera photos
// (200-megapixel phone sensors, 16320 × 12240) fit, and the slowest decode of an image at the
// bound (a PNG, which the decoder reads whole even when it scales) stays near a second on a
// worker. Beyond it lie decompression bombs: a 30000 × 30000 PNG packs 900 megapixels into
// about 100 KB.
inline constexpr qint64 kMaxImagePixels = 200'000'000;

// True when an image of `size` is within kMaxImagePixels.
inline bool withinImagePixelBudget(const QSize& size) {
    return size.isValid() && qint64(size.width()) * size.height() <= kMaxImagePixels;
}

} // namespace quillora
