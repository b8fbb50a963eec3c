#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/background_layers.h"
#include "theme/orb_layer.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QVBoxLayout>

using namespace quillora;

namespace {

// Counts its paints, to see that a change repaints at once.
class CountingBackground final : public ThemedBackground {
public:
    using ThemedBackground::ThemedBackground;
    int paints = 0;

protected:
    void paintEvent(QPaintEvent* event) override {
        ++paints;
        ThemedBackground::paintEvent(event);
    }
};

QImage grabbed(QWidget& widget) {
    return widget.grab().toImage().convertToFormat(QImage::Format_RGB32);
}

qreal meanLightness(const QImage& image) {
    qreal sum = 0;
    for (int y = 0; y < image.height(); y += 4) {
        for (int x = 0; x < image.width(); x += 4)
            sum += QColor(image.pixel(x, y)).lightnessF();
    }
    return sum / ((image.height() / 4) * (image.width() / 4));
}

// A style that draws one sharp white orb on black, and nothing else visible.
BackgroundStyle singleOrbStyle(QSizeF offset) {
    BackgroundStyle style;
    style.base.colors = {Qt::black, Qt::black};
    style.base.endPoint = {1, 1};
    style.orbs = {OrbSpec{QUuid::createUuid(), Qt::white, 0.2, 0.01, offset, 1.0}};
    style.hazeColor = Qt::transparent;
    style.beamColor = Qt::transparent;
    style.speckleColor = Qt::transparent;
    style.isLightMode = false;
    return style;
}

} // namespace

class ThemedBackgroundTest : public QObject {
    Q_OBJECT

private:
    QTemporaryDir m_dir;
    int m_files = 0;
    QString freshFile() { return m_dir.filePath(QStringLiteral("s%1.conf").arg(++m_files)); }

private slots:
    void zeroSizedAreasPaintWithoutFailing() {
        Settings settings(freshFile());
        Appearance appearance;
        ThemedBackground background(settings, appearance);
        for (QSize size : {QSize(0, 0), QSize(0, 120), QSize(120, 0)}) {
            background.resize(size);
            QVERIFY(background.grab().isNull() || background.grab().size() == size);
        }
        QVERIFY(renderOrbBackgroundLayer(
                    standardProjectTheme().gradientPalette(QuilloraGradientID::g1, ColorScheme::light),
                    standardProjectTheme(), QSize(0, 0))
                    .isNull());

        QImage image(4, 4, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter painter(&image);
        drawGrainLayer(painter, QSizeF(0, 0));
        drawHairlineLayer(painter, QSizeF(0, 0));
        drawSpeckleLayer(painter, QSizeF(0, 0));
        drawOrbBackgroundLayer(painter, QRectF(0, 0, 0, 4), singleOrbStyle({0, 0}), standardProjectTheme());
        painter.end();
        QCOMPARE(image.pixel(3, 3), qRgba(0, 0, 0, 0));
    }

    void repaintsAreStableAndFollowTheStoredGradient() {
        Settings settings(freshFile());
        Appearance appearance;
        appearance.setLightOverride(true);
        ThemedBackground background(settings, appearance);
        background.setOrbScale(1.15);
        background.resize(360, 240);

        const QImage g4 = grabbed(background);
        QCOMPARE(background.gradientID(), QuilloraGradientID::g4);
        // The random layers are drawn once per size: a repaint does not shimmer.
        QCOMPARE(grabbed(background), g4);

        settings.setSelectedGradientID(25);
        QCOMPARE(background.gradientID(), QuilloraGradientID::g4);
        QCOMPARE(grabbed(background), g4);
        QCOMPARE(settings.selectedGradientID(), 25);

        settings.setSelectedGradientID(0);
        const QImage g1 = grabbed(background);
        QVERIFY(g1 != g4);
        // Peach g1 is redder than green g4 in the middle of the area.
        const QColor middleG1 = g1.pixelColor(180, 120);
        const QColor middleG4 = g4.pixelColor(180, 120);
        QVERIFY(middleG1.red() > middleG4.red());
        QVERIFY(middleG4.green() > middleG1.green());

        appearance.setLightOverride(false);
        const QImage dark = grabbed(background);
        QVERIFY(meanLightness(dark) + 0.2 < meanLightness(g1));

        // A new size draws new random layers but the same gradient.
        background.resize(361, 240);
        QCOMPARE(grabbed(background).size(), QSize(361, 240));
    }

    void changesRepaintAtOnce() {
        Settings settings(freshFile());
        Appearance appearance;
        CountingBackground background(settings, appearance);
        // Usable as a container: content laid out on top of it.
        auto* layout = new QVBoxLayout(&background);
        layout->addWidget(new QWidget(&background));
        background.resize(200, 150);
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        QTRY_VERIFY(background.paints > 0);

        int before = background.paints;
        Settings(settings.fileName()).setSelectedGradientID(8); // another object on the same file
        QTRY_VERIFY(background.paints > before);
        QCOMPARE(background.gradientID(), QuilloraGradientID::g9);

        before = background.paints;
        appearance.setLightOverride(false);
        QTRY_VERIFY(background.paints > before);
        QCOMPARE(background.colorScheme(), ColorScheme::dark);

        before = background.paints;
        settings.setOpenAIAPIKey(QStringLiteral("unrelated"));
        QTest::qWait(20);
        QCOMPARE(background.paints, before);
    }

    void resizingShowsTheCachedBackdropUntilTheSizeSettles() {
        Settings settings(freshFile());
        Appearance appearance;
        appearance.setLightOverride(true);
        CountingBackground background(settings, appearance);
        background.resize(300, 200);
        background.show();
        QVERIFY(QTest::qWaitForWindowExposed(&background));
        const QImage settled = grabbed(background);
        QVERIFY(!background.showsResizeFrame());

        // Mid-resize: the backdrop drawn before, stretched; close to the full one.
        background.resize(330, 220);
        const QImage stretched = grabbed(background);
        QVERIFY(background.showsResizeFrame());
        QCOMPARE(stretched.size(), QSize(330, 220));
        QVERIFY(qAbs(meanLightness(stretched) - meanLightness(settled)) < 0.02);

        // Once the size stays put the full backdrop is drawn, without being asked.
        QTRY_VERIFY(!background.showsResizeFrame());
        const QImage full = grabbed(background);
        QVERIFY(!background.showsResizeFrame());
        QCOMPARE(grabbed(background), full);

        // A change of gradient or scheme is never stood in for.
        background.resize(300, 200);
        appearance.setLightOverride(false);
        QVERIFY(meanLightness(grabbed(background)) + 0.2 < meanLightness(settled));
        QVERIFY(!background.showsResizeFrame());
    }

    void orbsScaleWithTheSmallerSide() {
        const QuilloraProjectTheme& theme = standardProjectTheme();
        const BackgroundStyle style = singleOrbStyle({-100, -80});

        // 400 × 800: m = 400, the orb sits 100 left of and 80 above the centre (200, 400).
        const QImage tall = renderOrbBackgroundLayer(style, theme, QSize(400, 800));
        QVERIFY(QColor(tall.pixel(100, 320)).lightness() > 200);
        QVERIFY(QColor(tall.pixel(300, 480)).lightness() < 10);
        QVERIFY(QColor(tall.pixel(100, 320 + 60)).lightness() < 10); // diameter 0.2 × 400 = 80

        // 800 × 800: offsets and diameter double.
        const QImage square = renderOrbBackgroundLayer(style, theme, QSize(800, 800));
        QVERIFY(QColor(square.pixel(200, 240)).lightness() > 200);
        QVERIFY(QColor(square.pixel(200, 240 + 50)).lightness() > 200);
        QVERIFY(QColor(square.pixel(200, 240 + 100)).lightness() < 10);
    }

    void orbScaleEnlargesTheOrbLayer() {
        Settings settings(freshFile());
        Appearance appearance;
        ThemedBackground background(settings, appearance);
        QCOMPARE(background.orbScale(), 1.0);
        background.resize(300, 200);
        const QImage natural = grabbed(background);
        background.setOrbScale(1.15);
        QVERIFY(grabbed(background) != natural);
    }

    void blurSpreadsWithoutLosingLight() {
        for (QImage::Format format : {QImage::Format_Alpha8, QImage::Format_ARGB32_Premultiplied}) {
            QImage image(41, 41, format);
            image.fill(Qt::transparent);
            QPainter painter(&image);
            painter.fillRect(QRect(15, 15, 11, 11), Qt::white);
            painter.end();
            const auto alphaSum = [](const QImage& img) {
                qint64 sum = 0;
                for (int y = 0; y < img.height(); ++y)
                    for (int x = 0; x < img.width(); ++x)
                        sum += qAlpha(img.pixel(x, y));
                return sum;
            };
            const qint64 before = alphaSum(image);
            blurImage(image, 3);
            QVERIFY(qAbs(alphaSum(image) - before) < before / 50);
            QVERIFY(qAlpha(image.pixel(20, 20)) > 150 && qAlpha(image.pixel(20, 20)) < 255);
            QVERIFY(qAlpha(image.pixel(20, 11)) > 0); // spread beyond the square
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);
            if (format == QImage::Format_ARGB32_Premultiplied)
                QCOMPARE(qRed(image.pixel(20, 12)), qAlpha(image.pixel(20, 12)));
        }
    }
};

QUILLORA_TEST_MAIN(ThemedBackgroundTest)
#include "test_themed_background.moc"
