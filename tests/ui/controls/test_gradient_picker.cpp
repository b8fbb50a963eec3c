#include "app/services.h"
#include "controls/floating_buttons.h"
#include "controls/gradient_picker.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/theme_controller.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;

class TestGradientPicker final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/settings.ini"));
    Appearance& m_appearance = m_services->appearance();
    Settings& m_settings = m_services->settings();

private:
    static QString accessibleValue(QWidget* widget) {
        QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(widget);
        return iface ? iface->text(QAccessible::Value) : QString();
    }

    static int selectedNumber(const QuilloraGradientPicker& picker) {
        int found = 0;
        for (GradientSwatchButton* swatch : picker.swatches()) {
            if (swatch->isSelectedSwatch()) {
                if (found != 0)
                    return -1; // more than one
                found = swatch->number();
            }
        }
        return found;
    }

private slots:
    void init() {
        m_appearance.setReduceMotionOverride(std::nullopt);
        m_settings.setSelectedGradientID(Settings::defaultSelectedGradientID);
    }

    void twentySwatchesNamedInOrder() {
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        QCOMPARE(picker.windowTitle(), QStringLiteral("Choose Background"));
        QCOMPARE(picker.swatches().size(), 20);
        for (int i = 0; i < 20; ++i) {
            GradientSwatchButton* swatch = picker.swatches().at(i);
            const QString n = QString::number(i + 1);
            QCOMPARE(swatch->objectName(), QStringLiteral("backgroundOption") + n);
            QCOMPARE(swatch->accessibleName(), QStringLiteral("Background option ") + n);
            QCOMPARE(swatch->accessibleDescription(), QStringLiteral("Applies this background theme"));
            QCOMPARE(picker.findChild<GradientSwatchButton*>(QStringLiteral("backgroundOption") + n), swatch);
        }
        QVERIFY(picker.findChild<FloatingCloseButton*>(QStringLiteral("floatingCloseButton")));
    }

    void storedIdMarksOneSwatchSelected_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<int>("selectedNumber");
        QTest::newRow("id 7 is swatch 8") << 7 << 8;
        QTest::newRow("first") << 0 << 1;
        QTest::newRow("last") << 19 << 20;
        QTest::newRow("negative falls back to 4") << -1 << 4;
        QTest::newRow("too large falls back to 4") << 20 << 4;
    }

    void storedIdMarksOneSwatchSelected() {
        QFETCH(int, stored);
        QFETCH(int, selectedNumber);
        m_settings.setSelectedGradientID(stored);
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        QCOMPARE(TestGradientPicker::selectedNumber(picker), selectedNumber);
        for (GradientSwatchButton* swatch : picker.swatches()) {
            const bool selected = swatch->number() == selectedNumber;
            const QString value = selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
            QCOMPARE(swatch->accessibilityValue(), value);
            QCOMPARE(accessibleValue(swatch), value);
            QCOMPARE(QAccessible::queryAccessibleInterface(swatch)->state().selected, selected);
        }
        // Showing the picker does not repair the stored value; only a choice does.
        QCOMPARE(m_settings.selectedGradientID(), stored);
    }

    void choosingStoresTheGradientAndClosesTheSheet() {
        m_settings.setSelectedGradientID(25);
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        QSignalSpy changes(&controller, &QuilloraThemeController::changed);
        picker.open();
        QVERIFY(picker.isVisible());

        QTest::mouseClick(picker.swatches().at(11), Qt::LeftButton);
        QCOMPARE(m_settings.selectedGradientID(), 11);
        QCOMPARE(controller.selectedGradient(), QuilloraGradientID::g12);
        QCOMPARE(changes.count(), 1);
        QCOMPARE(changes.at(0).at(0).toString(), Settings::selectedGradientIDKey);
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.result(), int(QDialog::Accepted));
        QCOMPARE(TestGradientPicker::selectedNumber(picker), 12);

        // The swatch already selected still writes, announces and closes.
        picker.open();
        QTest::mouseClick(picker.swatches().at(11), Qt::LeftButton);
        QCOMPARE(changes.count(), 2);
        QCOMPARE(m_settings.selectedGradientID(), 11);
        QVERIFY(!picker.isVisible());
    }

    // Home and End reach the first and the last choice; a choice is said once in the window the
    // sheet goes back to.
    void keysReachTheEndsAndAChoiceIsSaid() {
        QWidget window;
        window.resize(800, 500);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QuilloraGradientPicker picker(m_services->themeController(), m_appearance, &window);
        picker.open();
        QVERIFY(QTest::qWaitForWindowActive(&picker));
        const QList<GradientSwatchButton*>& swatches = picker.swatches();
        swatches.at(3)->setFocus();
        QTRY_VERIFY(swatches.at(3)->hasFocus());
        QTest::keyClick(swatches.at(3), Qt::Key_Home);
        QVERIFY(swatches.first()->hasFocus());
        QTest::keyClick(swatches.first(), Qt::Key_End);
        QVERIFY(swatches.last()->hasFocus());
        QTest::keyClick(swatches.last(), Qt::Key_Left);
        QVERIFY(swatches.at(18)->hasFocus());
        QTest::keyClick(swatches.at(18), Qt::Key_Space);
        QTRY_VERIFY(!picker.isVisible());
        QCOMPARE(m_settings.selectedGradientID(), 18);
        const auto notes = [&] {
            QStringList said;
            for (const QWidget* note :
                 window.findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement")))
                said << note->property("_quillora_accessibleAnnouncement").toString();
            return said;
        };
        QTRY_COMPARE_WITH_TIMEOUT(notes(), QStringList{u"Background option 19 selected."_qs}, 20000);
    }

    void closeButtonAndEscapeLeaveTheSettingAlone() {
        m_settings.setSelectedGradientID(5);
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        QSignalSpy changes(&controller, &QuilloraThemeController::changed);

        picker.open();
        QTest::mouseClick(picker.findChild<FloatingCloseButton*>(), Qt::LeftButton);
        QVERIFY(!picker.isVisible());
        QCOMPARE(picker.result(), int(QDialog::Rejected));

        picker.open();
        QTest::keyClick(&picker, Qt::Key_Escape);
        QVERIFY(!picker.isVisible());
        QCOMPARE(changes.count(), 0);
        QCOMPARE(m_settings.selectedGradientID(), 5);
    }

    void measuresFollowTheWidth_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<QSizeF>("swatch");
        QTest::addColumn<qreal>("side");
        QTest::addColumn<qreal>("vertical");
        QTest::newRow("0") << 0.0 << QSizeF(148, 112) << 16.0 << 12.0;
        QTest::newRow("375") << 375.0 << QSizeF(148, 112) << 16.0 << 12.0;
        QTest::newRow("1400") << 1400.0 << QSizeF(190, 142) << 16 + 28 * 1025.0 / 1065
                              << 12 + 8 * 1025.0 / 1065;
        QTest::newRow("1440") << 1440.0 << QSizeF(190, 142) << 44.0 << 20.0;
        QTest::newRow("3000") << 3000.0 << QSizeF(190, 142) << 44.0 << 20.0;
    }

    void measuresFollowTheWidth() {
        QFETCH(qreal, width);
        QFETCH(QSizeF, swatch);
        QFETCH(qreal, side);
        QFETCH(qreal, vertical);
        const auto metrics = QuilloraGradientPicker::metricsForWidth(width);
        QCOMPARE(metrics.swatch, swatch);
        QVERIFY(qAbs(metrics.sidePadding - side) < 1e-9);
        QVERIFY(qAbs(metrics.verticalPadding - vertical) < 1e-9);
    }

    void narrowSheetLaysOutBaseSizedSwatches() {
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        picker.resize(375, 320);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        GradientSwatchButton* first = picker.swatches().at(0);
        GradientSwatchButton* second = picker.swatches().at(1);
        QCOMPARE(first->cardSize(), QSizeF(148, 112));
        QCOMPARE(first->x(), 16);
        QCOMPARE(second->x() - (first->x() + first->width()), QuilloraGradientPicker::swatchSpacing);
    }

    void selectedSwatchIsBroughtToTheMiddle() {
        m_appearance.setReduceMotionOverride(true);
        m_settings.setSelectedGradientID(9);
        QuilloraThemeController& controller = m_services->themeController();
        QuilloraGradientPicker picker(controller, m_appearance);
        picker.resize(720, 320);
        picker.show();
        QVERIFY(QTest::qWaitForWindowExposed(&picker));
        QScrollBar* bar = picker.scrollArea()->horizontalScrollBar();
        const auto centredValue = [&](int number) {
            const int centre = picker.swatches().at(number - 1)->geometry().center().x();
            return std::clamp(centre - picker.scrollArea()->viewport()->width() / 2, bar->minimum(),
                              bar->maximum());
        };
        QTRY_COMPARE(bar->value(), centredValue(10));
        QVERIFY(bar->value() > 0);

        // A change made elsewhere while the sheet is shown moves the selection and the row at
        // once under reduce motion.
        m_settings.setSelectedGradientID(17);
        QCOMPARE(TestGradientPicker::selectedNumber(picker), 18);
        QCOMPARE(bar->value(), centredValue(18));
    }
};

QUILLORA_TEST_MAIN(TestGradientPicker)
#include "test_gradient_picker.moc"
