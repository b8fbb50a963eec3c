#include "support/test_home.h"
#include "theme/icon_choice.h"
#include "theme/responsive_layout.h"

#include <QGuiApplication>
#include <QTest>

using namespace quillora;

class ResponsiveAndIconsTest : public QObject {
    Q_OBJECT

private slots:
    void maxContentWidthCapsWideScreens_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("cap"); // negative: no cap
        QTest::newRow("narrow") << 0.0 << -1.0;
        QTest::newRow("just below 600") << 599.9 << -1.0;
        QTest::newRow("600") << 600.0 << 640.0;
        QTest::newRow("800") << 800.0 << 750.0;
        QTest::newRow("900") << 900.0 << 805.0;
        QTest::newRow("just below 1000") << 999.9 << 859.945;
        QTest::newRow("1000") << 1000.0 << 860.0;
        QTest::newRow("1400") << 1400.0 << 990.0;
        QTest::newRow("1800") << 1800.0 << 1120.0;
        QTest::newRow("2500") << 2500.0 << 1120.0;
    }

    void maxContentWidthCapsWideScreens() {
        QFETCH(qreal, width);
        QFETCH(qreal, cap);
        const auto result = QuilloraResponsiveLayout{width}.maxContentWidth();
        if (cap < 0) {
            QVERIFY(!result);
        } else {
            QVERIFY(result);
            QVERIFY2(qAbs(*result - cap) < 1e-9, qPrintable(QString::number(*result, 'g', 12)));
        }
    }

    void scaleGrowsLinearlyFrom375() {
        QCOMPARE(QuilloraResponsiveLayout{}.width, 800.0);
        QCOMPARE(responsiveScale(QuilloraResponsiveLayout{}.width, responsiveSpanCommon), 425.0 / 1065.0);
        QCOMPARE(responsiveScale(0, 1065), 0.0);
        QCOMPARE(responsiveScale(375, 1065), 0.0);
        QCOMPARE(responsiveScale(1440, 1065), 1.0);
        QCOMPARE(responsiveScale(5000, 1065), 1.0);
        QCOMPARE(responsiveScale(1440, responsiveSpanHelpColumn), 1065.0 / 1425.0);
        QCOMPARE(responsiveScale(887.5, responsiveSpanSwatches), 0.5);
    }

    void iconChoicesHaveStableRawValues() {
        const QStringList expected = {QStringLiteral("alder"), QStringLiteral("birch"),
                                      QStringLiteral("cedar"), QStringLiteral("maple"),
                                      QStringLiteral("rowan"), QStringLiteral("willow")};
        QCOMPARE(allIconChoices().size(), 6);
        QCOMPARE(allIconChoices().first(), IconChoice::alder);
        QCOMPARE(allIconChoices().last(), IconChoice::willow);
        for (qsizetype i = 0; i < expected.size(); ++i) {
            QCOMPARE(rawValue(allIconChoices().at(i)), expected.at(i));
            QCOMPARE(iconChoiceFromRawValue(expected.at(i)), allIconChoices().at(i));
        }
        QCOMPARE(iconChoiceFromRawValue(QStringLiteral("maple")), IconChoice::maple);
        QVERIFY(!iconChoiceFromRawValue(QStringLiteral("Maple")));
        QVERIFY(!iconChoiceFromRawValue(QStringLiteral(" maple")));
        QVERIFY(!iconChoiceFromRawValue(QString()));
    }
};

QUILLORA_TEST_MAIN(ResponsiveAndIconsTest)
#include "test_responsive_and_icons.moc"
