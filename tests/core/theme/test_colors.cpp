#include "support/test_home.h"
#include "theme/hex_color.h"

#include <QGuiApplication>
#include <QTest>

using namespace quillora;

namespace {

// The 8-bit channels and the opacity of a colour.
QList<int> channels(const QColor& color) {
    return {color.red(), color.green(), color.blue()};
}

} // namespace

class ColorsTest : public QObject {
    Q_OBJECT

private slots:
    void parsesHexTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QList<int>>("rgb");
        QTest::newRow("six digits with #") << QStringLiteral("#22D3EE") << QList<int>{0x22, 0xD3, 0xEE};
        QTest::newRow("lower case") << QStringLiteral("22d3ee") << QList<int>{0x22, 0xD3, 0xEE};
        QTest::newRow("three digits") << QStringLiteral("FFF") << QList<int>{255, 255, 255};
        QTest::newRow("three digits with #") << QStringLiteral("#FFF") << QList<int>{255, 255, 255};
        QTest::newRow("three digits doubled") << QStringLiteral("#1a9") << QList<int>{0x11, 0xAA, 0x99};
        QTest::newRow("padded three digits") << QStringLiteral("  #abc  ") << QList<int>{0xAA, 0xBB, 0xCC};
        QTest::newRow("eight digits ignore the first two")
            << QStringLiteral("80FF0000") << QList<int>{255, 0, 0};
        QTest::newRow("five digits") << QStringLiteral("#12345") << QList<int>{1, 1, 1};
        QTest::newRow("empty") << QString() << QList<int>{1, 1, 1};
        QTest::newRow("only a hash") << QStringLiteral("#") << QList<int>{1, 1, 1};
        QTest::newRow("seven digits") << QStringLiteral("#1234567") << QList<int>{1, 1, 1};
        QTest::newRow("no hex digit") << QStringLiteral("#GGGGGG") << QList<int>{0, 0, 0};
        QTest::newRow("inner spaces stop the scan") << QStringLiteral("#12 34 56") << QList<int>{0, 0, 0x12};
        QTest::newRow("stops at a non-digit") << QStringLiteral("12ZZZZ") << QList<int>{0, 0, 0x12};
        QTest::newRow("0x prefix") << QStringLiteral("0x1234") << QList<int>{0, 0x12, 0x34};
        QTest::newRow("trailing punctuation") << QStringLiteral("#FF8000;") << QList<int>{255, 0x80, 0};
        QTest::newRow("accented letters count as characters")
            << QStringLiteral("#ABCDE\u00E9") << QList<int>{0x0A, 0xBC, 0xDE};
        QTest::newRow("a combining mark joins its letter")
            << QStringLiteral("ABCDEFe\u0301") << QList<int>{1, 1, 1};
    }

    void parsesHexTexts() {
        QFETCH(QString, text);
        QFETCH(QList<int>, rgb);
        const QColor color = colorFromHex(text, 1.0);
        QCOMPARE(channels(color), rgb);
        QCOMPARE(color.alphaF(), 1.0f);
        QCOMPARE(color, QColor::fromRgb(rgb[0], rgb[1], rgb[2]));
    }

    void keepsTheOpacityArgument() {
        // Colours keep 16 bits a channel.
        QVERIFY(qAbs(colorFromHex(QStringLiteral("80FF0000"), 0.25).alphaF() - 0.25f) < 1e-4f);
        const QColor color = colorFromHex(QStringLiteral("#22D3EE"), 0.5);
        QCOMPARE(color.redF(), static_cast<float>(0x22 / 255.0));
        QVERIFY(qAbs(color.alphaF() - 0.5f) < 1e-4f);
        QCOMPARE(colorFromHex(QStringLiteral("#12345")).redF(), static_cast<float>(1 / 255.0));
    }

    void brandColoursFollowTheScheme() {
        QCOMPARE(channels(accentBlue()), (QList<int>{0x22, 0x39, 0xD1}));
        QCOMPARE(channels(accentCyan()), (QList<int>{0x22, 0xD3, 0xEE}));
        QCOMPARE(channels(destructiveRed()), (QList<int>{0xDF, 0x31, 0x54}));
        QCOMPARE(channels(destructivePink()), (QList<int>{0xFE, 0x50, 0x73}));
        for (const QColor* color : {&accentBlue(), &accentCyan(), &destructiveRed(), &destructivePink()})
            QCOMPARE(color->alphaF(), 1.0f);

        QCOMPARE(accentColor(true), accentBlue());
        QCOMPARE(accentColor(false), accentCyan());
        QCOMPARE(destructiveColor(true), destructiveRed());
        QCOMPARE(destructiveColor(false), destructivePink());
        // Created once: every read hands out the same object.
        QCOMPARE(&accentBlue(), &accentBlue());
    }
};

QUILLORA_TEST_MAIN(ColorsTest)
#include "test_colors.moc"
