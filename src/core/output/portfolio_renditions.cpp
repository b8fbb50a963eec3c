#include "output/portfolio_renditions.h"

#include "output/creative_page_decorations.h"
#include "output/resume_page_layout.h"
#include "platform/image_budget.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <QSaveFile>
#include <QStandardPaths>
#include <QtConcurrent/QtConcurrentMap>

#include <cmath>
#include <cstring>

namespace quillora {

namespace {

// A rendition file: this header, then the image's scan lines as they are in memory.
struct RenditionHeader {
    char magic[4];
    quint32 version;
    qint32 width;
    qint32 height;
    qint32 format;
    qint32 bytesPerLine;
};
constexpr char kMagic[4] = {'Q', 'L', 'R', 'N'};
constexpr quint32 kVersion = 1;

// The cache keeps the renditions last used, up to this much.
constexpr qint64 kCacheBudgetBytes = 512LL * 1024 * 1024;

bool cacheableFormat(QImage::Format format) {
    return format == QImage::Format_RGB32 || format == QImage::Format_ARGB32 ||
           format == QImage::Format_ARGB32_Premultiplied;
}

QString renditionPath(const QByteArray& bytes, const QSizeF& tile) {
    const QString directory = PortfolioRenditions::directory();
    if (directory.isEmpty())
        return {};
    const QByteArray hash = QCryptographicHash::hash(bytes, QCryptographicHash::Blake2b_256).toHex();
    // The tile in hundredths of a point: the same photo drawn at another size is another rendition.
    return directory % QLatin1Char('/') % QLatin1String(hash) %
           QStringLiteral("-%1x%2.rendition")
               .arg(qRound64(tile.width() * 100))
               .arg(qRound64(tile.height() * 100));
}

QImage readRendition(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    RenditionHeader header{};
    if (file.read(reinterpret_cast<char*>(&header), sizeof header) != qint64(sizeof header) ||
        std::memcmp(header.magic, kMagic, sizeof kMagic) != 0 || header.version != kVersion ||
        header.width <= 0 || header.height <= 0 || header.width > 20000 || header.height > 20000 ||
        !cacheableFormat(QImage::Format(header.format)))
        return {};
    QImage image(header.width, header.height, QImage::Format(header.format));
    if (image.isNull() || image.bytesPerLine() != header.bytesPerLine ||
        file.size() != qint64(sizeof header) + image.sizeInBytes())
        return {};
    if (file.read(reinterpret_cast<char*>(image.bits()), image.sizeInBytes()) != image.sizeInBytes())
        return {};
    file.close();
    // Marks it used, so the least recently used renditions are the first to go.
    if (file.open(QIODevice::ReadWrite))
        file.setFileTime(QDateTime::currentDateTimeUtc(), QFileDevice::FileModificationTime);
    return image;
}

// Keeps the folder within its budget, removing the renditions used longest ago.
void pruneRenditions(const QString& directory) {
    const QFileInfoList files = QDir(directory).entryInfoList({QStringLiteral("*.rendition")}, QDir::Files,
                                                              QDir::Time); // newest first
    qint64 total = 0;
    for (const QFileInfo& info : files) {
        total += info.size();
        if (total > kCacheBudgetBytes)
            QFile::remove(info.filePath());
    }
}

// Stores a rendition for next time; a failure only means the next export decodes again.
void writeRendition(const QString& path, const QImage& image) {
    if (!QDir().mkpath(QFileInfo(path).absolutePath()))
        return;
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return;
    RenditionHeader header{};
    std::memcpy(header.magic, kMagic, sizeof kMagic);
    header.version = kVersion;
    header.width = image.width();
    header.height = image.height();
    header.format = qint32(image.format());
    header.bytesPerLine = qint32(image.bytesPerLine());
    if (file.write(reinterpret_cast<const char*>(&header), sizeof header) != qint64(sizeof header) ||
        file.write(reinterpret_cast<const char*>(image.constBits()), image.sizeInBytes()) !=
            image.sizeInBytes() ||
        !file.commit()) {
        file.cancelWriting();
        return;
    }
    pruneRenditions(QFileInfo(path).absolutePath());
}

} // namespace

QString PortfolioRenditions::directory() {
    const QString cache = QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation);
    if (cache.isEmpty())
        return {};
    return cache + QStringLiteral("/Quillora/portfolio-renditions");
}

QImage PortfolioRenditions::decode(const QByteArray& data, const QSizeF& tile) {
    QBuffer buffer;
    buffer.setData(data);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer);
    reader.setAutoTransform(true);
    reader.setQuality(90);
    const QSize stored = reader.size();
    if (stored.isValid() && !withinImagePixelBudget(stored))
        return {};
    if (stored.isValid() && !stored.isEmpty()) {
        const bool turned = reader.transformation().testFlag(QImageIOHandler::TransformationRotate90);
        const QSize shown = turned ? stored.transposed() : stored;
        const QSizeF drawn = aspectFitRect(QSizeF(shown), QRectF(QPointF(), tile)).size();
        const QSize wanted(int(std::ceil(drawn.width() * kPortfolioImagePpi / 72)),
                           int(std::ceil(drawn.height() * kPortfolioImagePpi / 72)));
        if (!wanted.isEmpty() && (shown.width() > wanted.width() || shown.height() > wanted.height())) {
            QSize target = shown.scaled(wanted, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
            // Halving, quartering or eighthing is nearly free for JPEG (the decoder does it) and
            // needs no resampling; take it when it still gives at least two thirds of the
            // resolution aimed at.
            for (int d : {8, 4, 2}) {
                const QSize reduced(shown.width() / d, shown.height() / d);
                if (reduced.width() * 3 >= target.width() * 2 &&
                    reduced.height() * 3 >= target.height() * 2) {
                    target = reduced;
                    break;
                }
            }
            reader.setScaledSize(turned ? target.transposed() : target);
        }
    }
    QImage image = reader.read();
    if (image.isNull())
        return {};
    // Opaque images go into the file as RGB, which the writer compresses well; others keep
    // their alpha in a plain 32-bit format.
    if (!image.hasAlphaChannel()) {
        if (image.format() != QImage::Format_RGB32)
            image = image.convertToFormat(QImage::Format_RGB32);
    } else if (!cacheableFormat(image.format())) {
        image = image.convertToFormat(QImage::Format_ARGB32);
    }
    return image;
}

QImage PortfolioRenditions::rendition(const QByteArray& bytes, const QSizeF& tile) {
    const QString path = renditionPath(bytes, tile);
    if (!path.isEmpty()) {
        if (QImage cached = readRendition(path); !cached.isNull())
            return cached;
    }
    QImage image = decode(bytes, tile);
    if (!image.isNull() && !path.isEmpty())
        writeRendition(path, image);
    return image;
}

QList<QImage> PortfolioRenditions::renditions(const QList<Request>& requests) {
    if (requests.size() == 1)
        return {rendition(requests.first().bytes, requests.first().tile)};
    return QtConcurrent::blockingMapped<QList<QImage>>(
        requests, [](const Request& request) { return rendition(request.bytes, request.tile); });
}

} // namespace quillora
