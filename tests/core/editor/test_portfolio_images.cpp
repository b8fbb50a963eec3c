#include "editor/portfolio_images.h"
#include "output/portfolio_renditions.h"
#include "support/test_home.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTest>

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
};

QUILLORA_TEST_MAIN(PortfolioImagesTest)
#include "test_portfolio_images.moc"
