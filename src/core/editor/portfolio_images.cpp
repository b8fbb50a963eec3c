#include "editor/portfolio_images.h"

#include "platform/image_budget.h"
#include "platform/log.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cmath>

namespace quillora {

QString portfolioImageNameFilter() {
    QStringList patterns;
    for (const QByteArray& format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    patterns.removeDuplicates();
    patterns.sort();
    return QStringLiteral("Images (") + patterns.join(QLatin1Char(' ')) + QLatin1Char(')');
}

namespace {

// A JPEG cut short still decodes, its missing rows filled in grey: it is whole when its end marker
// follows the start of its last scan (neither marker can occur inside the coded data).
bool jpegIsComplete(const QByteArray& bytes) {
    const qsizetype lastScan = bytes.lastIndexOf(QByteArrayView("\xFF\xDA", 2));
    return lastScan >= 0 && bytes.indexOf(QByteArrayView("\xFF\xD9", 2), lastScan) > lastScan;
}

bool holdsReadableImage(const QByteArray& bytes) {
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    if (!reader.canRead())
        return false;
    // Formats that know their size from the header must give a sane one, within the budget.
    if (reader.supportsOption(QImageIOHandler::Size)) {
        const QSize size = reader.size();
        if (size.isEmpty() || !withinImagePixelBudget(size))
            return false;
    }
    if (reader.format() == "jpeg" && !jpegIsComplete(bytes))
        return false;
    // Decoded small, as the thumbnail is: an image cut short, or one the decoder will not take,
    // fails here rather than vanishing from the card and the PDF later.
    return !decodePortfolioThumbnail(bytes, 32).isNull();
}

} // namespace

PickedImages readPickedImages(const QStringList& paths) {
    PickedImages picked;
    for (const QString& path : paths) {
        QFile file(path);
        QByteArray bytes;
        if (file.open(QIODevice::ReadOnly))
            bytes = file.readAll();
        if (bytes.isEmpty() || !holdsReadableImage(bytes)) {
            logLine(QStringLiteral("⚠️ Portfolio image skipped, not a readable image: ") +
                    QFileInfo(path).fileName());
            picked.skipped << path;
            continue;
        }
        picked.images << bytes;
    }
    return picked;
}

QImage decodePortfolioThumbnail(const QByteArray& bytes, int shortSide) {
    if (bytes.isEmpty() || shortSide <= 0)
        return {};
    QBuffer buffer;
    buffer.setData(bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    const QSize full = reader.size();
    if (full.isValid() && !withinImagePixelBudget(full))
        return {};
    if (full.isValid() && !full.isEmpty()) {
        const int shorter = std::min(full.width(), full.height());
        if (shorter > shortSide) {
            const qreal scale = qreal(shortSide) / shorter;
            // The scaled size is set before the orientation tag turns the image; one factor for
            // both sides keeps that irrelevant.
            reader.setScaledSize(QSize(std::max(1, int(std::lround(full.width() * scale))),
                                       std::max(1, int(std::lround(full.height() * scale)))));
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // Formats that cannot tell their size beforehand are scaled after decoding.
    const int shorter = std::min(image.width(), image.height());
    if (shorter > shortSide * 5 / 4)
        image = image.scaled(image.size() * (qreal(shortSide) / shorter), Qt::KeepAspectRatio,
                             Qt::SmoothTransformation);
    return image;
}

} // namespace quillora
