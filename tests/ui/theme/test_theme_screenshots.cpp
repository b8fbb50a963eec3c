// Renders the gradient picker, a help sheet, the picker help sheet, the Help window and the
// shared controls in the light and dark scheme to PNG files, for looking at them. Runs only when
// QUILLORA_SCREENSHOT_DIR names a folder to write into.
#include "controls/editor_section_card.h"
#include "controls/glass_capsule_button.h"
#include "controls/gradient_picker.h"
#include "controls/sparkle_button_label.h"
#include "controls/symbol_icon.h"
#include "help/help_sheet_container.h"
#include "help/help_window.h"
#include "help/picker_help_sheet.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/font_resolver.h"
#include "theme/hex_color.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"
#include "theme/theme_controller.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>
#include <QVBoxLayout>

using namespace quillora;

class TestThemeScreenshots final : public QObject {
    Q_OBJECT

private:
    QString m_dir;

    void save(QWidget& widget, const QString& name) {
        widget.show();
        QTest::qWait(700);
        QApplication::processEvents();
        QVERIFY(widget.grab().save(m_dir + QLatin1Char('/') + name + QStringLiteral(".png")));
    }

private slots:
    void initTestCase() {
        m_dir = qEnvironmentVariable("QUILLORA_SCREENSHOT_DIR");
        if (m_dir.isEmpty())
            QSKIP("QUILLORA_SCREENSHOT_DIR is not set");
        QDir().mkpath(m_dir);
        FontResolver::registerAppFonts();
        Settings::shared().setSelectedGradientID(7);
    }

    void cleanupTestCase() { Appearance::shared().setLightOverride(std::nullopt); }

    void screens_data() {
        QTest::addColumn<bool>("light");
        QTest::newRow("light") << true;
        QTest::newRow("dark") << false;
    }

    void screens() {
        QFETCH(bool, light);
        Appearance::shared().setLightOverride(light);
        const QString suffix = light ? QStringLiteral("-light") : QStringLiteral("-dark");

        QuilloraThemeController controller;
        QuilloraGradientPicker picker(controller);
        picker.resize(720, 320);
        save(picker, QStringLiteral("picker") + suffix);
        picker.hide();

        HelpSheetContainer sheet(QStringLiteral("Main Interface Help"));
        sheet.resize(600, 620);
        sheet.addHeading(QStringLiteral("Résumés"), HelpSheetContainer::headlineFont());
        sheet.addBulletRow(QStringLiteral("Use the plus button to create a new résumé."));
        sheet.addBulletRow(
            QStringLiteral("A long line of help that wraps onto a second line keeps its lines aligned "
                           "with the first one, beside the bullet."));
        sheet.addHeading(QStringLiteral("Backgrounds"), HelpSheetContainer::headlineFont());
        sheet.addBulletRow(QStringLiteral("Pick a gradient for every screen."));
        auto* button = new GlassCapsuleButton(QStringLiteral("Set OpenAI Key"));
        auto* buttonRow = new QWidget;
        auto* buttonLayout = new QHBoxLayout(buttonRow);
        buttonLayout->addStretch();
        buttonLayout->addWidget(button);
        buttonLayout->addStretch();
        sheet.addContent(buttonRow);
        save(sheet, QStringLiteral("help-sheet") + suffix);
        sheet.hide();

        PickerHelpSheetView pickerHelp(
            QStringLiteral("Backgrounds"),
            QStringLiteral("Pick a gradient to use behind every screen of the app. The "
                           "choice is kept until you pick another."));
        save(pickerHelp, QStringLiteral("picker-help") + suffix);
        pickerHelp.hide();

        HelpWindow window;
        save(window, QStringLiteral("help-window") + suffix);
        window.hide();

        ThemedBackground backdrop;
        backdrop.setOrbScale(1.15);
        backdrop.resize(760, 620);
        setResponsiveLayout(&backdrop, QuilloraResponsiveLayout{760});
        auto* layout = new QVBoxLayout(&backdrop);
        layout->setContentsMargins(24, 24, 24, 24);
        const QColor ink = light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white);
        auto* field = new QLineEdit(QStringLiteral("Jane Appleseed"));
        auto* card =
            new EditorSectionCard(QStringLiteral("person.text.rectangle"), QStringLiteral("Basic Info"),
                                  QStringLiteral("Who you are and how to reach you"), ink, field);
        layout->addWidget(card);
        auto* ai = new GlassCapsuleButton;
        ai->setLabelWidget(new SparkleButtonLabel(QStringLiteral("Suggest with OpenAI"), false));
        layout->addWidget(ai);
        auto* busy = new GlassCapsuleButton;
        busy->setLabelWidget(new SparkleButtonLabel(QStringLiteral("Analyzing experience…"), true));
        layout->addWidget(busy);
        auto* icons = new QWidget;
        auto* grid = new QGridLayout(icons);
        int i = 0;
        for (const QString& name : symbolNames()) {
            auto* label = new QLabel;
            label->setPixmap(symbolPixmap(name, ink, 28, 1.0));
            label->setToolTip(name);
            grid->addWidget(label, i / 15, i % 15);
            ++i;
        }
        layout->addWidget(icons);
        layout->addStretch();
        applySchemePalette(&backdrop, light);
        save(backdrop, QStringLiteral("controls") + suffix);
    }
};

QUILLORA_TEST_MAIN(TestThemeScreenshots)
#include "test_theme_screenshots.moc"
