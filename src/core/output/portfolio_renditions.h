#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QSizeF>
#include <QString>

namespace quillora {

// Print-size renditions of portfolio images. A photo is decoded no larger than needed to print
// it at kPortfolioImagePpi inside its tile, and that rendition is kept in the user's cache
// directory ("Quillora/portfolio-renditions" under XDG_CACHE_HOME), named by a hash of the
// image's bytes and the tile's size, so that the next export of the same résumé decodes nothing.
// The cache only ever holds copies: a rendition that is missing, damaged or cannot be written
// costs a decode, never the image.
class PortfolioRenditions final {
public:
    // The cache folder, computed afresh on each call; empty when there is no cache directory.
    static QString directory();

    // The image for a tile of `tile` points: from the cache when it holds it, otherwise decoded
    // (and stored for next time). A null image when the bytes are no image.
    static QImage rendition(const QByteArray& bytes, const QSizeF& tile);

    // One rendition per request, decoded in parallel; the calling thread takes part.
    struct Request {
        QByteArray bytes;
        QSizeF tile;
    };
    static QList<QImage> renditions(const QList<Request>& requests);

    // Decodes without the cache.
    static QImage decode(const QByteArray& bytes, const QSizeF& tile);
};

} // namespace quillora
