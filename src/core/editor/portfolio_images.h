#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillora {

// The file-dialog filter of the image types this build can read, e.g. "Images (*.jpeg *.jpg …)".
QString portfolioImageNameFilter();

// The largest image file the picker reads. Camera photos at the pixel budget are a few tens of
// megabytes; a file beyond this is refused from its size, before anything is read.
inline constexpr qint64 kMaxPortfolioImageBytes = 256LL * 1024 * 1024;

// Image files read for the portfolio, in the order picked: the bytes of each readable image,
// unchanged, and the paths that could not be read or hold no image we can decode: not a regular
// file once links are resolved (a device, a pipe, a folder), larger than kMaxPortfolioImageBytes,
// not an image, cut short, or more pixels than kMaxImagePixels.
struct PickedImages final {
    QList<QByteArray> images;
    QStringList skipped;
};
// Reads the files; for a worker (no record is touched). Only regular files are opened, a pipe never
// blocks it and no file is read past kMaxPortfolioImageBytes, so the good images of a pick are
// added whatever else was picked with them.
PickedImages readPickedImages(const QStringList& paths);

// A thumbnail of the encoded image whose shorter side is `shortSide` pixels (never larger than
// the image itself), decoded at that scale where the format allows it, so a large photo is never
// held at full size. The image's orientation tag is applied. A null image when the bytes are
// no image or has more pixels than kMaxImagePixels. Safe on any thread.
QImage decodePortfolioThumbnail(const QByteArray& bytes, int shortSide);

} // namespace quillora
