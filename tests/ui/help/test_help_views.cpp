#include "app/services.h"
#include "controls/floating_buttons.h"
#include "controls/overlay_scroll_bar.h"
#include "help/bullet_row.h"
#include "help/catalyst_help_view.h"
#include "help/help_sheet_container.h"
#include "help/help_window.h"
#include "help/picker_help_sheet.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/font_resolver.h"
#include "theme/themed_background.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QTest>

using namespace quillora;

namespace {

bool near(qreal a, qreal b) {
    return qAbs(a - b) < 0.01;
}

QRect inPage(const QWidget* widget, const QScrollArea* area) {
    return QRect(widget->mapTo(area->widget(), QPoint(0, 0)), widget->size());
}

} // namespace

class TestHelpViews final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/settings.ini"));
    Appearance& m_appearance = m_services->appearance();
    Settings& m_settings = m_services->settings();

private slots:
    void initTestCase() { FontResolver::registerAppFonts(); }

    void init() {
        m_appearance.setLightOverride(true);
        m_settings.setSelectedGradientID(Settings::defaultSelectedGradientID);
    }

    void helpColumnMeasures_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("column");
        QTest::addColumn<qreal>("top");
        QTest::newRow("375") << 375.0 << 343.0 << 52.0;
        QTest::newRow("300") << 300.0 << 268.0 << 52.0;
        QTest::newRow("1440") << 1440.0 << 560 + 360 * 1065.0 / 1425 << 88.0;
        QTest::newRow("1800") << 1800.0 << 920.0 << 88.0;
        QTest::newRow("below 32") << 20.0 << 0.0 << 52.0;
    }

    void helpColumnMeasures() {
        QFETCH(qreal, width);
        QFETCH(qreal, column);
        QFETCH(qreal, top);
        const auto m = HelpSheetContainer::metricsForWidth(width);
        QVERIFY2(near(m.columnWidth, column), qPrintable(QString::number(m.columnWidth)));
        QVERIFY(near(m.topMargin, top));
    }

    void helpSheetStacksEveryElementTwentyTwoApart() {
        HelpSheetContainer sheet(m_appearance, QStringLiteral("Experience Help"));
        for (int section = 1; section <= 3; ++section) {
            sheet.addHeading(QStringLiteral("Section %1").arg(section), HelpSheetContainer::headlineFont());
            sheet.addBulletRow(QStringLiteral("First line of section %1.").arg(section));
            sheet.addBulletRow(QStringLiteral("Second line of section %1.").arg(section));
        }
        sheet.resize(375, 700);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        QCOMPARE(sheet.windowTitle(), QStringLiteral("Experience Help"));
        QCOMPARE(sheet.titleLabel()->text(), QStringLiteral("Experience Help"));
        QVERIFY(sheet.titleLabel()->font().bold());
        QCOMPARE(sheet.titleLabel()->font().family(),
                 FontResolver::resolveFamily(QStringLiteral("Oswald-Light")));
        QVERIFY(sheet.findChild<FloatingCloseButton*>(QStringLiteral("floatingCloseButton")));

        // The column: 24 from the leading edge, 52 from the top, W - 32 wide at W = 375.
        const QRect column = inPage(sheet.column(), sheet.scrollArea());
        QCOMPARE(column.topLeft(), QPoint(24, 52));
        QCOMPARE(column.width(), 343);

        QCOMPARE(sheet.contentElements().size(), 9);
        const QWidget* previous = sheet.titleLabel();
        for (QWidget* element : sheet.contentElements()) {
            QCOMPARE(element->y() - (previous->y() + previous->height()), HelpSheetContainer::elementSpacing);
            QCOMPARE(element->x(), 0);
            QCOMPARE(element->width(), 343);
            previous = element;
        }

        // Wider sheets widen the column and the space above it.
        sheet.resize(1440, 700);
        QApplication::processEvents();
        QCOMPARE(sheet.column()->width(), 829);
        QCOMPARE(inPage(sheet.column(), sheet.scrollArea()).top(), 88);
    }

    void sheetFontReachesElementsWithoutTheirOwn() {
        HelpSheetContainer sheet(m_appearance, QStringLiteral("Font Picker Help"));
        QLabel* plain = sheet.addHeading(QStringLiteral("Choosing"));
        QLabel* headline = sheet.addHeading(QStringLiteral("Preview"), HelpSheetContainer::headlineFont());
        const QFont oswald = FontResolver::font(QStringLiteral("Oswald-Light"), 12);
        sheet.setContentFont(oswald);
        QCOMPARE(plain->font().family(), oswald.family());
        QCOMPARE(headline->font(), HelpSheetContainer::headlineFont());
    }

    void bulletRowReadsAsItsText() {
        BulletRow row(
            m_appearance,
            QStringLiteral(
                "Drag the handle to reorder entries; the order shows in the exported PDF as well."));
        row.resize(220, 400);
        row.show();
        QVERIFY(QTest::qWaitForWindowExposed(&row));
        QCOMPARE(row.accessibleName(), row.text());
        QLabel* text = row.textLabel();
        QCOMPARE(text->text(), row.text());
        QCOMPARE(text->font().family(), FontResolver::resolveFamily(QStringLiteral("Oswald-Light")));
        QCOMPARE(QFontInfo(text->font()).pixelSize(), 18);
        // Wrapped lines stay beside the bullet: the text starts right of it, lines under itself.
        QVERIFY(text->x() > BulletRow::spacing);
        QCOMPARE(text->y(), 0);
        QVERIFY(text->height() > 2 * QFontMetrics(text->font()).height());
        // No child reads the bullet.
        for (const QLabel* label : row.findChildren<QLabel*>())
            QVERIFY(!label->text().contains(QStringLiteral("•")));
    }

    void closeButtonAndEscapeCloseTheSheet() {
        HelpSheetContainer sheet(m_appearance, QStringLiteral("Editor Help"));
        sheet.open();
        QTest::mouseClick(sheet.closeButton(), Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
        sheet.open();
        QTest::keyClick(&sheet, Qt::Key_Escape);
        QVERIFY(!sheet.isVisible());
    }

    void pickerHelpMeasures_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<qreal>("column");
        QTest::addColumn<qreal>("padding");
        QTest::addColumn<qreal>("top");
        QTest::newRow("375") << 375.0 << 560.0 << 16.0 << 44.0;
        QTest::newRow("1440") << 1440.0 << 560 + 360 * 1065.0 / 1425 << 44.0 << 108.0;
        QTest::newRow("1800") << 1800.0 << 920.0 << 44.0 << 108.0;
    }

    void pickerHelpMeasures() {
        QFETCH(qreal, width);
        QFETCH(qreal, column);
        QFETCH(qreal, padding);
        QFETCH(qreal, top);
        const auto m = PickerHelpSheetView::metricsForWidth(width);
        QVERIFY(near(m.maxColumnWidth, column));
        QVERIFY(near(m.padding, padding));
        QVERIFY(near(m.padding + m.extraTop, top));
    }

    void pickerHelpLaysOutItsColumn() {
        PickerHelpSheetView sheet(m_appearance, QStringLiteral("Backgrounds"),
                                  QStringLiteral("Pick a gradient."));
        sheet.resize(375, 500);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QCOMPARE(sheet.titleLabel()->text(), QStringLiteral("Backgrounds"));
        QCOMPARE(sheet.messageLabel()->text(), QStringLiteral("Pick a gradient."));
        QVERIFY(sheet.findChild<FloatingCloseButton*>());
        QCOMPARE(inPage(sheet.column(), sheet.scrollArea()), QRect(16, 44, 343, 500));

        // The column is as tall as the sheet before the paddings, so even one line scrolls a
        // little; the scroll bar floats over the page and shows while it scrolls.
        auto* overlay = sheet.findChild<OverlayScrollBar*>();
        QVERIFY(overlay);
        QVERIFY(!overlay->isVisible());
        QCOMPARE(sheet.scrollArea()->verticalScrollBar()->maximum(), 44 + 16);
        sheet.scrollArea()->verticalScrollBar()->setValue(5);
        QVERIFY(overlay->isVisible());
        QCOMPARE(overlay->value(), 5);
        overlay->setValue(9);
        QCOMPARE(sheet.scrollArea()->verticalScrollBar()->value(), 9);

        sheet.resize(1800, 500);
        QApplication::processEvents();
        QCOMPARE(inPage(sheet.column(), sheet.scrollArea()).topLeft(), QPoint(44, 108));
        QCOMPARE(sheet.column()->width(), 920);
    }

    void helpWindowShowsItsPageAtItsOwnSize() {
        HelpWindow window(*m_services);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(window.windowTitle(), QStringLiteral("Quillora Help"));
        QVERIFY(window.isWindow());
        QCOMPARE(window.size(), QSize(860, 700));
        // Fixed: resizing has no effect, and the page keeps its size and its columns.
        QCOMPARE(window.minimumSize(), QSize(860, 700));
        QCOMPARE(window.maximumSize(), QSize(860, 700));
        window.resize(400, 300);
        QCOMPARE(window.size(), QSize(860, 700));
        // The background's orbs at their natural size.
        QCOMPARE(window.view()->background()->orbScale(), 1.0);

        const CatalystHelpView* view = window.view();
        QCOMPARE(QRect(view->panel()->mapTo(view, QPoint(0, 0)), view->panel()->size()),
                 QRect(28, 28, 804, 644));
        QCOMPARE(view->column()->width(), 760);
        QCOMPARE(inPage(view->column(), view->scrollArea()).topLeft(), QPoint(0, 0));
        QVERIFY(view->column()->height() >= 644);

        QCOMPARE(view->titleLabel()->text(), QStringLiteral("Quillora Help"));
        QVERIFY(view->findChild<QLabel*>(QStringLiteral("helpSubtitle")));
        QCOMPARE(
            view->findChild<QLabel*>(QStringLiteral("helpSubtitle"))->text(),
            QStringLiteral("Quick guidance for creating, editing, styling, and exporting your resumes."));
        QStringList titles;
        for (const QLabel* label : view->sectionTitleLabels())
            titles.append(label->text());
        QCOMPARE(titles, (QStringList{QStringLiteral("Getting Started"), QStringLiteral("Editing"),
                                      QStringLiteral("Style And Export"), QStringLiteral("Safety")}));
        QStringList bullets;
        for (const QLabel* label : view->bulletLabels())
            bullets.append(label->text());
        QCOMPARE(bullets.size(), 11);
        QCOMPARE(bullets.first(),
                 QStringLiteral("Use the plus button in the sidebar to create a new resume."));
        QCOMPARE(bullets.at(3),
                 QStringLiteral("Update your basic information, summary, experience, education, and "
                                "portfolio from the main editor."));
        QCOMPARE(bullets.at(7),
                 QStringLiteral("Use Preview & Translation to inspect the generated resume layout and "
                                "translated text."));
        QCOMPARE(bullets.last(),
                 QStringLiteral("If something looks wrong after a crash, stop using the app and inspect "
                                "the backup files before creating more changes."));
        // Every sentence stays within the text column (760 less twice 34, less the card's insets).
        for (const QLabel* label : view->bulletLabels())
            QVERIFY(label->mapTo(view->column(), QPoint(label->width(), 0)).x() <= 760 - 34);
    }

    // Every text of the Help window takes the keyboard, named by its text, so a screen reader reads
    // it; only the title is a heading. The room for the rings leaves every text where it stood.
    void helpTextsAreReadOneByOne() {
        HelpWindow window(*m_services);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const CatalystHelpView* view = window.view();
        QList<QLabel*> texts{view->titleLabel(), view->findChild<QLabel*>(QStringLiteral("helpSubtitle"))};
        for (QLabel* title : view->sectionTitleLabels())
            texts << title;
        texts << view->bulletLabels();
        QStringList headings;
        for (QLabel* text : texts) {
            QVERIFY2(text->focusPolicy() & Qt::TabFocus, qPrintable(text->text()));
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(text);
            QCOMPARE(read->text(QAccessible::Name), text->text());
            if (read->role() == QAccessible::Heading)
                headings << text->text();
        }
        QCOMPARE(headings, QStringList{u"Quillora Help"_qs});
        const auto textAt = [](const QLabel* label, const QWidget* in) {
            return label->mapTo(in, label->contentsRect().topLeft());
        };
        QCOMPARE(textAt(view->titleLabel(), view->column()), QPoint(34, 34));
        QCOMPARE(textAt(texts.at(1), view->column()).x(), 34);
        QCOMPARE(textAt(texts.at(1), view->column()).y(),
                 34 + view->titleLabel()->contentsRect().height() + 10);
        QWidget* card = texts.at(2)->parentWidget();
        QCOMPARE(textAt(texts.at(2), card), QPoint(24, 24));
        QCOMPARE(textAt(texts.at(1), view->column()).y() + texts.at(1)->contentsRect().height() + 24,
                 card->mapTo(view->column(), QPoint(0, 0)).y());
        const QLabel* bullet = view->bulletLabels().first();
        QCOMPARE(textAt(bullet, card), QPoint(40, 24 + texts.at(2)->contentsRect().height() + 14));
    }

    void helpInkFollowsTheScheme() {
        CatalystHelpView view(*m_services);
        const auto color = [](const QLabel* label) { return label->palette().color(QPalette::WindowText); };
        QCOMPARE(color(view.titleLabel()), QColor::fromRgbF(0, 0, 0, 0.9f));
        m_appearance.setLightOverride(false);
        QCOMPARE(color(view.titleLabel()), QColor(Qt::white));
        QCOMPARE(color(view.sectionTitleLabels().first()), QColor(Qt::white));
        QVERIFY(qAbs(color(view.bulletLabels().first()).alphaF() - 0.65 * 0.9) < 0.01);
        QCOMPARE(color(view.bulletLabels().first()).rgb(), QColor(Qt::white).rgb());
    }

    void helpBackgroundFallsBackToTheFourthGradient() {
        CatalystHelpView view(*m_services);
        m_settings.setSelectedGradientID(25);
        QCOMPARE(view.background()->gradientID(), QuilloraGradientID::g4);
        m_settings.setSelectedGradientID(12);
        QCOMPARE(view.background()->gradientID(), QuilloraGradientID::g13);
    }
};

QUILLORA_TEST_MAIN(TestHelpViews)
#include "test_help_views.moc"
