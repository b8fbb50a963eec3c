#include "editor/portfolio_images.h"
#include "output/portfolio_renditions.h"
#include "support/test_home.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

#include <chrono>
#include <future>
#include <thread>

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace quillora;

namespace {

quint32 crc32Of(const QByteArray& bytes) {
    quint32 crc = 0xFFFFFFFFu;
    for (const char byte : bytes) {
        crc ^= quint8(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    return ~crc;
}

void appendBigEndian(QByteArray& out, quint32 value) {
    out.append(char(value >> 24)).append(char(value >> 16)).append(char(value >> 8)).append(char(value));
}

QByteArray pngChunk(const char* type, const QByteArray& data) {
    QByteArray chunk;
    appendBigEndian(chunk, quint32(data.size()));
    const QByteArray typed = QByteArray(type, 4) + data;
    chunk += typed;
    appendBigEndian(chunk, crc32Of(typed));
    return chunk;
}

// A black-and-white PNG of the given size, all white: a few hundred kilobytes at most, however
// large its pixel count.
QByteArray blankOneBitPng(int width, int height) {
    QByteArray header;
    appendBigEndian(header, quint32(width));
    appendBigEndian(header, quint32(height));
    header.append(char(1)).append(char(0)).append(char(0)).append(char(0)).append(char(0));
    const qsizetype row = 1 + (qsizetype(width) + 7) / 8;
    const QByteArray raw(row * height, '\0');
    const QByteArray zlib = qCompress(raw, 9).mid(4); // qCompress puts the length in front
    return QByteArray("\x89PNG\r\n\x1a\n", 8) + pngChunk("IHDR", header) + pngChunk("IDAT", zlib) +
           pngChunk("IEND", {});
}

QByteArray encoded(const char* format, QSize size = QSize(300, 200)) {
    QImage image(size, QImage::Format_RGB32);
    for (int y = 0; y < size.height(); ++y)
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, qRgb(x % 256, y % 256, (x * y) % 256));
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

} // namespace

class PortfolioImagesTest : public QObject {
    Q_OBJECT

private slots:
    // What the picker lets in is what the thumbnail and the PDF can draw: no image whose pixel
    // count is beyond the budget (a decompression bomb), none that stops short.
    void thePickerRefusesBombsAndTruncatedImages() {
        const QByteArray bomb = blankOneBitPng(30000, 30000);
        QVERIFY(bomb.size() < 200 * 1024);
        const QByteArray png = encoded("PNG");
        const QByteArray jpeg = encoded("JPEG");
        const QStringList paths{
            quillora::test::writeTempFile(QStringLiteral("fine.png"), png),
            quillora::test::writeTempFile(QStringLiteral("bomb.png"), bomb),
            quillora::test::writeTempFile(QStringLiteral("cut.png"), png.left(png.size() * 2 / 3)),
            quillora::test::writeTempFile(QStringLiteral("cut.jpg"), jpeg.left(jpeg.size() * 2 / 3)),
            quillora::test::writeTempFile(QStringLiteral("fine.jpg"), jpeg),
            quillora::test::writeTempFile(QStringLiteral("large.png"), blankOneBitPng(6000, 4000))};
        const PickedImages picked = readPickedImages(paths);
        QCOMPARE(picked.skipped, (QStringList{paths.at(1), paths.at(2), paths.at(3)}));
        QCOMPARE(picked.images.size(), 3);
        QCOMPARE(picked.images.at(0), png);
        QCOMPARE(picked.images.at(1), jpeg);

        // A bomb that reached the store by other means is refused by the decoders too, without
        // being decoded, and a large image within the budget is decoded at the size drawn.
        QVERIFY(decodePortfolioThumbnail(bomb, 120).isNull());
        QVERIFY(PortfolioRenditions::decode(bomb, QSizeF(200, 250)).isNull());
        QCOMPARE(decodePortfolioThumbnail(picked.images.at(2), 120).size(), QSize(180, 120));
        // 240 × 160 points at 300 pixels an inch are 1000 × 667 pixels; the decoder may give a
        // little less where it reduces for free, never more.
        const QImage printed = PortfolioRenditions::decode(picked.images.at(2), QSizeF(240, 160));
        QVERIFY(printed.width() <= 1000 && printed.width() * 3 >= 1000 * 2);
        QCOMPARE(printed.width() * 2, printed.height() * 3);
    }

    // Whatever is picked beside it, a good image is added and the pick ends with bounded memory:
    // links to endless devices, a pipe no one writes to, a folder and a huge sparse file are
    // refused as files that hold no image, without being read.
    void thePickerReadsOnlyRegularFilesOfABoundedSize() {
        const QByteArray png = encoded("PNG");
        const QString dir = QDir::tempPath();
        const QString good = quillora::test::writeTempFile(QStringLiteral("good.png"), png);
        const QString zero = dir + QStringLiteral("/zero.png");
        const QString random = dir + QStringLiteral("/random.jpg");
        const QString pipe = dir + QStringLiteral("/pipe.png");
        const QString sparse = dir + QStringLiteral("/sparse.png");
        const QString folder = dir + QStringLiteral("/folder.png");
        const QString goodLink = dir + QStringLiteral("/good-link.png");
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), zero));
        QVERIFY(QFile::link(QStringLiteral("/dev/urandom"), random));
        QVERIFY(QFile::link(good, goodLink)); // a link to a photo is the photo
        QVERIFY(::mkfifo(QFile::encodeName(pipe).constData(), 0600) == 0);
        QVERIFY(QDir().mkdir(folder));
        {
            // An image's first bytes, then 3 GiB that take no room on the disk.
            QFile file(sparse);
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(png) == png.size());
            QVERIFY(file.resize(3LL << 30));
        }

        const QStringList paths{zero, pipe, good, random, sparse, folder, goodLink};
        rusage before{};
        ::getrusage(RUSAGE_SELF, &before);
        std::promise<PickedImages> promise;
        std::future<PickedImages> result = promise.get_future();
        std::thread worker([&promise, paths] { promise.set_value(readPickedImages(paths)); });
        if (result.wait_for(std::chrono::seconds(60)) != std::future_status::ready)
            qFatal("The pick did not end: a file was read without end or a pipe blocked it.");
        worker.join();
        const PickedImages picked = result.get();
        rusage after{};
        ::getrusage(RUSAGE_SELF, &after);

        QCOMPARE(picked.images, (QList<QByteArray>{png, png}));
        QCOMPARE(picked.skipped, (QStringList{zero, pipe, random, sparse, folder}));
        // The peak stayed far below the sparse file's size and the bound on one file (in KiB).
        QVERIFY2(after.ru_maxrss - before.ru_maxrss < 64 * 1024,
                 qPrintable(QString::number(after.ru_maxrss - before.ru_maxrss)));
    }
};

QUILLORA_TEST_MAIN(PortfolioImagesTest)
#include "test_portfolio_images.moc"
