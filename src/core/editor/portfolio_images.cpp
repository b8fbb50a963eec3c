#include "editor/portfolio_images.h"

#include "platform/image_budget.h"
#include "platform/log.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <new>
#include <optional>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

bool isReadableSize(const struct stat& info) {
    return S_ISREG(info.st_mode) && info.st_size > 0 && info.st_size <= kMaxPortfolioImageBytes;
}

// The bytes of a picked file, when it is a regular file (links resolved) of a size we read. What
// the name leads to is looked at before it is opened, so a device, a pipe or a folder is never
// opened; the file is opened without waiting for a writer and checked again once open, in case
// it was swapped in between; and it is read no further than the bound, should it grow meanwhile.
std::optional<QByteArray> readImageFile(const QString& path) {
    const QByteArray name = QFile::encodeName(path);
    struct stat seen {};
    if (::stat(name.constData(), &seen) != 0 || !isReadableSize(seen))
        return std::nullopt;
    const int fd = ::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
    if (fd < 0)
        return std::nullopt;
    std::optional<QByteArray> result;
    struct stat opened {};
    if (::fstat(fd, &opened) == 0 && isReadableSize(opened)) {
        QByteArray bytes(qsizetype(opened.st_size) + 1, Qt::Uninitialized);
        qsizetype filled = 0;
        bool failed = false;
        for (;;) {
            if (filled == bytes.size()) {
                if (filled > kMaxPortfolioImageBytes)
                    break;
                bytes.resize(std::min<qsizetype>(filled * 2, kMaxPortfolioImageBytes + 1));
            }
            const ssize_t count = ::read(fd, bytes.data() + filled, size_t(bytes.size() - filled));
            if (count < 0 && errno == EINTR)
                continue;
            if (count < 0)
                failed = true;
            if (count <= 0)
                break;
            filled += count;
        }
        if (!failed && filled <= kMaxPortfolioImageBytes) {
            bytes.truncate(filled);
            result = std::move(bytes);
        }
    }
    ::close(fd);
    return result;
}

} // namespace

PickedImages readPickedImages(const QStringList& paths) {
    PickedImages picked;
    for (const QString& path : paths) {
        QByteArray bytes;
        try {
            if (auto read = readImageFile(path))
                bytes = std::move(read).value();
        } catch (const std::bad_alloc&) {
            // Too large for the memory left: refused like any file we cannot read.
        }
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
