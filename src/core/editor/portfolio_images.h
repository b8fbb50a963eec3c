#pragma once

#include <QByteArray>
#include <QImage>
#include <QList>
#include <QString>
#include <QStringList>

namespace quillora {

// The file-dialog filter of the image types this build can read, e.g. "Images (*.jpeg *.jpg …)".
QString portfolioImageNameFilter();

// Image files read for the portfolio, in the order picked: the bytes of each readable image,
// unchanged, and the paths that could not be read or hold no image we can decode: not an image,
// cut short, or more pixels than kMaxImagePixels.
struct PickedImages final {
    QList<QByteArray> images;
    QStringList skipped;
};
// Reads the files; for a worker (no record is touched).
PickedImages readPickedImages(const QStringList& paths);

// A thumbnail of the encoded image whose shorter side is `shortSide` pixels (never larger than
// the image itself), decoded at that scale where the format allows it, so a large photo is never
// held at full size. The image's orientation tag is applied. A null image when the bytes are
// no image or has more pixels than kMaxImagePixels. Safe on any thread.
QImage decodePortfolioThumbnail(const QByteArray& bytes, int shortSide);

} // namespace quillora
