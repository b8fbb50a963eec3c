#include "app/services.h"
#include "controls/editor_section_card.h"
#include "controls/floating_buttons.h"
#include "controls/frosted_card.h"
#include "controls/glass_capsule_button.h"
#include "controls/screen_order_focus.h"
#include "controls/sparkle_button_label.h"
#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "support/test_home.h"
#include "theme/hex_color.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QVBoxLayout>

using namespace quillora;

namespace {

// A backdrop of two flat colours, split at `at` across or down.
class SplitBackdrop final : public QWidget {
public:
    SplitBackdrop(QColor first, QColor second, Qt::Orientation split, int at, QWidget* parent)
        : QWidget(parent)
        , m_first(first)
        , m_second(second)
        , m_split(split)
        , m_at(at) {
        setGeometry(parent->rect());
        show();
        lower();
    }
    // A patch of another colour, drawn over the two.
    void setPatch(QRect patch, QColor colour) {
        m_patch = patch;
        m_patchColour = colour;
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool across = m_split == Qt::Horizontal;
        const QRect first = across ? QRect(0, 0, width(), m_at) : QRect(0, 0, m_at, height());
        painter.fillRect(rect(), m_second);
        painter.fillRect(first, m_first);
        painter.fillRect(m_patch, m_patchColour);
    }

private:
    QColor m_first;
    QColor m_second;
    Qt::Orientation m_split;
    int m_at;
    QRect m_patch;
    QColor m_patchColour;
};

} // namespace

class TestSharedControls final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/settings.ini"));
    Appearance& m_appearance = m_services->appearance();
    Settings& m_settings = m_services->settings();

private slots:
    void init() {
        m_appearance.setReduceMotionOverride(std::nullopt);
        m_appearance.setLightOverride(true);
    }

    void symbolsTheScreensNameAreDrawnInTheirColour() {
        const QStringList needed{
            QStringLiteral("xmark.circle.fill"),
            QStringLiteral("questionmark.circle.fill"),
            QStringLiteral("sparkles"),
            QStringLiteral("doc.text"),
            QStringLiteral("doc.on.doc"),
            QStringLiteral("trash"),
            QStringLiteral("questionmark"),
            QStringLiteral("paintbrush.pointed.fill"),
            QStringLiteral("plus"),
            QStringLiteral("person.text.rectangle"),
            QStringLiteral("text.alignleft"),
            QStringLiteral("envelope.fill"),
            QStringLiteral("checklist"),
            QStringLiteral("list.bullet.rectangle"),
            QStringLiteral("briefcase.fill"),
            QStringLiteral("graduationcap.fill"),
            QStringLiteral("textformat.size"),
            QStringLiteral("photo.on.rectangle"),
            QStringLiteral("plus.circle.fill"),
            QStringLiteral("checkmark.circle.fill"),
        };
        const QColor tint(34, 57, 209);
        for (const QString& name : needed) {
            QVERIFY2(hasSymbol(name), qPrintable(name));
            const QImage image = symbolImage(name, tint, QSize(48, 48));
            QCOMPARE(image.size(), QSize(48, 48));
            int inked = 0;
            for (int y = 0; y < image.height(); ++y) {
                for (int x = 0; x < image.width(); ++x) {
                    const QColor pixel = image.pixelColor(x, y);
                    if (pixel.alpha() == 255) {
                        ++inked;
                        QCOMPARE(pixel.rgb(), tint.rgb());
                    }
                }
            }
            QVERIFY2(inked > 20, qPrintable(name));
            QVERIFY(!symbolIcon(name, tint).isNull());
        }
        QVERIFY(symbolNames().contains(QStringLiteral("sparkles")));

        // Cut-outs stay clear: the cross of the close symbol runs through its centre.
        const QImage close = symbolImage(QStringLiteral("xmark.circle.fill"), Qt::black, QSize(48, 48));
        QCOMPARE(close.pixelColor(24, 24).alpha(), 0);
        QCOMPARE(close.pixelColor(24, 6).alpha(), 255);

        QVERIFY(!hasSymbol(QStringLiteral("no.such.symbol")));
        QVERIFY(symbolIcon(QStringLiteral("no.such.symbol"), tint).isNull());
        QVERIFY(symbolImage(QStringLiteral("no.such.symbol"), tint, QSize(24, 24)).isNull());
    }

    void floatingButtonsCarryTheirIdentityAndSitInTheirCorners() {
        QDialog sheet;
        sheet.resize(400, 300);
        auto* close = new FloatingCloseButton(m_appearance, &sheet);
        auto* help = new FloatingHelpButton(m_appearance, &sheet);
        auto* unpadded = new FloatingCloseButton(m_appearance, &sheet, false);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));

        QCOMPARE(close->objectName(), QStringLiteral("floatingCloseButton"));
        QCOMPARE(close->accessibleName(), QStringLiteral("Close"));
        QCOMPARE(close->accessibleDescription(), QStringLiteral("Closes this screen"));
        QCOMPARE(close->symbolName(), QStringLiteral("xmark.circle.fill"));
        QCOMPARE(help->objectName(), QStringLiteral("floatingHelpButton"));
        QCOMPARE(help->accessibleName(), QStringLiteral("Help"));
        QCOMPARE(help->accessibleDescription(), QStringLiteral("Shows help for this screen"));
        QCOMPARE(help->symbolName(), QStringLiteral("questionmark.circle.fill"));

        QCOMPARE(close->glyphFrame().right() + 1, 400 - 16);
        QCOMPARE(close->glyphFrame().top(), 16);
        QCOMPARE(help->glyphFrame().left(), 16);
        QCOMPARE(help->glyphFrame().top(), 16);
        QCOMPARE(unpadded->glyphFrame().right() + 1, 400);
        QCOMPARE(unpadded->glyphFrame().top(), 0);

        // The buttons follow the host's size and stay above content added later.
        sheet.resize(500, 300);
        auto* content = new QLabel(QStringLiteral("content"), &sheet);
        content->setGeometry(sheet.rect());
        content->show();
        QApplication::processEvents();
        QCOMPARE(close->glyphFrame().right() + 1, 500 - 16);
        QCOMPARE(sheet.childAt(close->geometry().center()), close);
    }

    // The disc lets what lies behind show through, blurred under its tint: on the surface the
    // window is drawn into and in a grab, both schemes, after partial redraws too.
    void floatingDiscShowsWhatLiesBehindBlurred() {
        for (const bool light : {true, false}) {
            m_appearance.setLightOverride(light);
            const QString scheme = light ? QStringLiteral("light") : QStringLiteral("dark");
            QWidget host;
            host.resize(240, 160);
            auto* backdrop = new SplitBackdrop(QColor(0, 200, 0), QColor(0, 200, 0), Qt::Vertical, 0, &host);
            auto* close = new FloatingCloseButton(m_appearance, &host);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            close->clearFocus(); // no focus ring over the disc's edge
            const QRect glyph = close->glyphFrame();
            const QPoint centre = glyph.center();
            const QPoint ringTop(centre.x(), glyph.top() + 1);
            const QPoint ringBottom(centre.x(), glyph.bottom() - 1);
            const auto drawn = [&] {
                QApplication::processEvents();
                return host.screen()->grabWindow(host.winId()).toImage();
            };
            // Green behind: the glyph's surround (the cut-out cross at its centre and the ring
            // around it) is green under the tint, never the sheet's flat white or black.
            for (const QImage& shot : {drawn(), host.grab().toImage()}) {
                for (const QPoint at : {centre, ringTop, ringBottom}) {
                    const QColor pixel = shot.pixelColor(at);
                    QVERIFY2(
                        pixel.green() - pixel.red() > 40 && pixel.green() - pixel.blue() > 40,
                        qPrintable(scheme +
                                   QStringLiteral(" %1,%2: %3").arg(at.x()).arg(at.y()).arg(pixel.name())));
                }
            }

            // Black and white meeting under the centre come out as a soft blend, not an edge.
            delete backdrop;
            backdrop = new SplitBackdrop(Qt::black, Qt::white, Qt::Vertical, centre.x(), &host);
            const QImage split = drawn();
            const int step = std::abs(split.pixelColor(centre.x() - 1, centre.y()).lightness() -
                                      split.pixelColor(centre.x(), centre.y()).lightness());
            QVERIFY2(step < 40, qPrintable(scheme + QStringLiteral(": %1").arg(step)));

            // Redraws of part of what lies behind leave no trace of the button's own drawing:
            // the disc ends as a whole redraw draws it, with the colours where they lie.
            delete backdrop;
            backdrop = new SplitBackdrop(Qt::black, Qt::white, Qt::Horizontal, centre.y(), &host);
            drawn();
            const QRect patch(centre - QPoint(20, 4), QSize(22, 8));
            for (const QColor colour : {Qt::red, Qt::blue, Qt::gray, Qt::darkGreen}) {
                backdrop->setPatch(patch, colour);
                backdrop->update(patch);
                drawn();
            }
            const QImage afterParts = drawn();
            backdrop->update();
            const QImage whole = drawn();
            for (const QPoint at : {centre, ringTop, ringBottom})
                QCOMPARE(afterParts.pixelColor(at).name(), whole.pixelColor(at).name());
            QVERIFY(whole.pixelColor(ringBottom).lightness() > whole.pixelColor(ringTop).lightness() + 40);
        }
    }

    void closeDismissesTheSheetAndHelpOnlyEverShowsHelp() {
        QDialog sheet;
        sheet.resize(300, 200);
        auto* close = new FloatingCloseButton(m_appearance, &sheet);
        auto* help = new FloatingHelpButton(m_appearance, &sheet);
        QSignalSpy requests(help, &FloatingHelpButton::helpRequested);
        sheet.open();

        QTest::mouseClick(help, Qt::LeftButton);
        QTest::mouseClick(help, Qt::LeftButton);
        QCOMPARE(requests.count(), 2);
        QVERIFY(help->isPresented());

        QTest::mouseClick(close, Qt::LeftButton);
        QVERIFY(!sheet.isVisible());
        QCOMPARE(sheet.result(), int(QDialog::Rejected));

        QWidget window;
        auto* windowClose = new FloatingCloseButton(m_appearance, &window);
        window.show();
        QTest::mouseClick(windowClose, Qt::LeftButton);
        QVERIFY(!window.isVisible());
    }

    void glassCapsuleColoursFollowSchemeAndPress() {
        const auto alpha = [](const QColor& c) { return qRound(c.alphaF() * 100); };
        QCOMPARE(alpha(GlassCapsuleButtonStyle::fill(true, false)), 14);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::fill(true, true)), 18);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::fill(false, false)), 18);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::fill(false, true)), 25);
        QCOMPARE(GlassCapsuleButtonStyle::fill(true, false).rgb(), QColor(Qt::black).rgb());
        QCOMPARE(GlassCapsuleButtonStyle::fill(false, false).rgb(), QColor(Qt::white).rgb());
        QCOMPARE(alpha(GlassCapsuleButtonStyle::outline(true)), 28);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::outline(false)), 25);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::sheen(true)), 35);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::sheen(false)), 18);
        QCOMPARE(alpha(GlassCapsuleButtonStyle::foreground(true)), 85);
        QCOMPARE(GlassCapsuleButtonStyle::foreground(false), QColor(Qt::white));
    }

    void glassCapsuleShrinksWhilePressed() {
        m_appearance.setReduceMotionOverride(true);
        GlassCapsuleButton button(m_appearance, QStringLiteral("Export"));
        QSignalSpy clicks(&button, &QAbstractButton::clicked);
        button.show();
        QTest::mousePress(&button, Qt::LeftButton);
        QCOMPARE(button.currentScale(), GlassCapsuleButtonStyle::pressedScale);
        QTest::mouseRelease(&button, Qt::LeftButton);
        QCOMPARE(button.currentScale(), 1.0);
        QCOMPARE(clicks.count(), 1);

        // An empty label still gets a capsule 24 points high.
        GlassCapsuleButton empty(m_appearance);
        QCOMPARE(empty.sizeHint(), QSize(36, 24));

        // A label widget takes the style's foreground as its text colour.
        m_appearance.setLightOverride(false);
        auto* label = new SparkleButtonLabel(m_appearance, QStringLiteral("ATS with Apple AI"));
        button.setLabelWidget(label);
        QCOMPARE(label->palette().color(label->foregroundRole()), QColor(Qt::white));
        QCOMPARE(button.sizeHint().height(), label->sizeHint().height() + 24);
    }

    void glassCapsuleLabelsAreNeverCutShort() {
        // A label widget titled while its button is still hidden (as screens build them).
        QWidget screen;
        auto* row = new QHBoxLayout(&screen);
        auto* button = new GlassCapsuleButton(m_appearance, &screen);
        auto* sparkle = new SparkleButtonLabel(m_appearance);
        button->setLabelWidget(sparkle);
        row->addWidget(button);
        row->addStretch(1);
        (void)screen.sizeHint(); // the row measures the untitled button
        // A size at which the title's drawn width has a fraction beyond its whole points.
        QFont font = button->font();
        font.setPixelSize(16);
        button->setFont(font);
        sparkle->setTitle(QStringLiteral("STAR with OpenAI"));
        screen.resize(900, 80);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QTRY_VERIFY(sparkle->width() >= sparkle->sizeHint().width());
        // The room its size hint leaves for the title holds the title as it is drawn.
        SparkleButtonLabel untitled(m_appearance);
        untitled.setFont(sparkle->font());
        const qreal titleRoom = sparkle->width() - untitled.sizeHint().width();
        QVERIFY2(titleRoom >= QFontMetricsF(sparkle->font()).horizontalAdvance(sparkle->title()),
                 qPrintable(QString::number(titleRoom)));

        // A text button keeps its whole text when it changes to a longer one.
        auto* text = new GlassCapsuleButton(m_appearance, QStringLiteral("Add OpenAI API Key"), &screen);
        row->addWidget(text);
        QTRY_VERIFY(text->isVisible());
        text->setText(QStringLiteral("Remove OpenAI API Key"));
        QTRY_COMPARE(text->width(), text->sizeHint().width());
        QVERIFY(text->sizeHint().width() - 2 * GlassCapsuleButtonStyle::horizontalPadding >=
                QFontMetricsF(text->font()).horizontalAdvance(QStringLiteral("Remove OpenAI API Key")));
    }

    void cardMeasuresGrowWithTheWidth_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<QList<qreal>>("expected"); // padding, icon, icon padding, title, subtitle
        QTest::newRow("0") << 0.0 << QList<qreal>{16, 18, 10, 17, 12};
        QTest::newRow("375") << 375.0 << QList<qreal>{16, 18, 10, 17, 12};
        QTest::newRow("907.5") << 907.5 << QList<qreal>{20, 21, 12, 20.5, 13.5};
        QTest::newRow("1440") << 1440.0 << QList<qreal>{24, 24, 14, 24, 15};
        QTest::newRow("2400") << 2400.0 << QList<qreal>{24, 24, 14, 24, 15};
    }

    void cardMeasuresGrowWithTheWidth() {
        QFETCH(qreal, width);
        QFETCH(QList<qreal>, expected);
        const auto m = EditorSectionCard::metricsForWidth(width);
        const QList<qreal> actual{m.panelPadding, m.iconSize, m.iconPadding, m.titleSize, m.subtitleSize};
        for (int i = 0; i < actual.size(); ++i)
            QVERIFY2(qAbs(actual.at(i) - expected.at(i)) < 1e-9, qPrintable(QString::number(actual.at(i))));
    }

    void cardReadsTheResponsiveWidthOfItsScreen() {
        QWidget screen;
        auto* layout = new QVBoxLayout(&screen);
        auto* content = new QLabel(QStringLiteral("fields"));
        auto* card = new EditorSectionCard(
            m_appearance, QStringLiteral("person.text.rectangle"), QStringLiteral("Basic Info"),
            QStringLiteral("Who you are and how to reach you"), Qt::black, content);
        auto* bare = new EditorSectionCard(m_appearance, QStringLiteral("text.alignleft"),
                                           QStringLiteral("Summary"), std::nullopt, Qt::black);
        layout->addWidget(card);
        layout->addWidget(bare);

        // Nobody set a width: the default 800.
        QVERIFY(qAbs(card->metrics().panelPadding - (16 + 8 * 425.0 / 1065)) < 1e-9);

        setResponsiveLayout(&screen, QuilloraResponsiveLayout{1440});
        QCOMPARE(card->metrics().panelPadding, 24.0);
        QCOMPARE(bare->metrics().titleSize, 24.0);

        screen.resize(700, 400);
        screen.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QCOMPARE(card->accessibleName(), QStringLiteral("Basic Info"));
        QCOMPARE(card->titleLabel()->text(), QStringLiteral("Basic Info"));
        QCOMPARE(card->subtitleLabel()->text(), QStringLiteral("Who you are and how to reach you"));
        QVERIFY(!bare->subtitleLabel());

        // The content fills the panel's inner width and starts 16 points below the header.
        const QRect header = card->headerWidget()->geometry();
        QCOMPARE(header.topLeft(), QPoint(24, 24));
        QCOMPARE(content->y(), header.bottom() + 1 + EditorSectionCard::stackSpacing);
        QCOMPARE(content->x(), 24);
        QCOMPARE(content->width(), card->width() - 48);
    }

    void cardsShowTheBackgroundBehindThemBlurred() {
        // How far `seen` is from `tint` laid over `behind`, in the worst channel.
        const auto offBy = [](const QColor& seen, const QColor& tint, const QColor& behind) {
            const auto over = [&](int t, int b) {
                return (t * tint.alpha() + b * (255 - tint.alpha())) / 255;
            };
            return std::max({std::abs(seen.red() - over(tint.red(), behind.red())),
                             std::abs(seen.green() - over(tint.green(), behind.green())),
                             std::abs(seen.blue() - over(tint.blue(), behind.blue()))});
        };
        for (const bool light : {true, false}) {
            m_appearance.setLightOverride(light);
            const QColor tint = schemeColors::ultraThinMaterial(light);
            for (const bool sectionCard : {true, false}) {
                const QString name = QString::fromLatin1(light ? "light " : "dark ") +
                                     QString::fromLatin1(sectionCard ? "section card" : "frosted card");
                ThemedBackground window(m_settings, m_appearance);
                window.resize(480, 360);
                QWidget* card = nullptr;
                if (sectionCard) {
                    card = new EditorSectionCard(m_appearance, QStringLiteral("text.alignleft"),
                                                 QStringLiteral("Summary"), std::nullopt, Qt::black, nullptr,
                                                 &window);
                } else {
                    auto* frosted = new FrostedCard(22, &window);
                    frosted->setLightScheme(light);
                    card = frosted;
                }
                card->setGeometry(40, 60, 400, 240);
                window.show();
                QVERIFY(QTest::qWaitForWindowExposed(&window));
                // A patch of the card clear of its header, in the window's coordinates.
                const QRect patch(240, 160, 160, 120);
                const auto roughness = [&](const QImage& shot) {
                    int sum = 0;
                    for (int y = patch.top(); y < patch.bottom(); ++y)
                        for (int x = patch.left(); x <= patch.right(); ++x)
                            sum += std::abs(shot.pixelColor(x, y + 1).lightness() -
                                            shot.pixelColor(x, y).lightness());
                    return sum;
                };
                card->hide();
                const int bare = roughness(window.grab().toImage());
                card->show();
                // Wherever the card lies, and after a change of the backdrop (scaled orbs).
                QImage shot;
                for (const QPoint moved : {QPoint(0, 0), QPoint(17, 23)}) {
                    card->move(card->pos() + moved);
                    window.setOrbScale(moved.isNull() ? 1 : 1.5);
                    shot = window.grab().toImage();
                    // The background's hairlines and grain, sharp from row to row, come out soft.
                    QVERIFY2(roughness(shot) * 6 < bare,
                             qPrintable(name + QStringLiteral(": %1 of %2").arg(roughness(shot)).arg(bare)));
                    // What shows at each spot is the background at that very spot of the window,
                    // blurred, under the tint.
                    const QImage blurred = window.frostedBackdrop(Qt::transparent);
                    for (int y = patch.top(); y <= patch.bottom(); y += 20)
                        for (int x = patch.left(); x <= patch.right(); x += 20)
                            QVERIFY2(offBy(shot.pixelColor(x, y), tint, blurred.pixelColor(x, y)) <= 2,
                                     qPrintable(name + QStringLiteral(" at %1,%2").arg(x).arg(y)));
                }
                // A card inside a card shows the outer card through its tint, not the background.
                auto* inner = new FrostedCard(22, card);
                inner->setLightScheme(light);
                inner->setGeometry(QRect(card->mapFrom(&window, patch.topLeft()), patch.size()));
                inner->show();
                const QImage nested = window.grab().toImage();
                const QPoint at = patch.center();
                QVERIFY2(offBy(nested.pixelColor(at), tint, shot.pixelColor(at)) <= 2, qPrintable(name));
            }
        }
    }

    void sparkleTurnsOnlyWhileBusy() {
        SparkleButtonLabel idle(m_appearance, QStringLiteral("Suggest with OpenAI"), false);
        QCOMPARE(idle.rotation(), 0.0);
        QCOMPARE(idle.accessibleName(), QStringLiteral("Suggest with OpenAI"));

        SparkleButtonLabel busy(m_appearance, QStringLiteral("Analyzing experience…"), true);
        busy.show();
        QCOMPARE(busy.rotation(), 360.0); // the first turn starts at once
        QTRY_VERIFY_WITH_TIMEOUT(busy.rotation() >= 720.0, 20000);
        busy.setBusy(false);
        const double rested = busy.rotation();
        QTest::qWait(1200);
        QCOMPARE(busy.rotation(), rested); // no more turns, never reset
        QCOMPARE(std::fmod(busy.displayedRotation(), 360.0), 0.0);

        busy.setBusy(true);
        QCOMPARE(busy.rotation(), rested + 360.0);
        busy.setTitle(QStringLiteral("Creating…"));
        QCOMPARE(busy.accessibleName(), QStringLiteral("Creating…"));
    }

    void sparkleJumpsWholeTurnsUnderReduceMotion() {
        m_appearance.setReduceMotionOverride(true);
        SparkleButtonLabel label(m_appearance, QStringLiteral("Cover With OpenAI"), true);
        QCOMPARE(label.rotation(), 360.0);
        QCOMPARE(label.displayedRotation(), 360.0);
    }

    void tabStopsFollowTheScreenNotTheChain() {
        // A page whose focus chain runs otherwise than its screen, as a long list's does: the
        // button under the rows and two controls that take no Tab now were made before the rows,
        // and a control outside the page joined the window halfway through them.
        QWidget window;
        auto* outside = new QPushButton(QStringLiteral("Outside"), &window);
        auto* page = new QWidget(&window);
        auto* windowLayout = new QHBoxLayout(&window);
        windowLayout->addWidget(outside);
        windowLayout->addWidget(page);
        auto* layout = new QVBoxLayout(page);
        auto* title = new QLineEdit(page);
        auto* add = new QPushButton(QStringLiteral("Add"), page);
        auto* disabled = new QPushButton(QStringLiteral("Off"), page);
        disabled->setEnabled(false);
        auto* hidden = new QPushButton(QStringLiteral("Hidden"), page);
        hidden->hide();
        layout->addWidget(title);
        QWidget* late = nullptr;
        QList<QWidget*> expected{title};
        for (int i = 0; i < 400; ++i) {
            if (i == 200)
                late = new QPushButton(QStringLiteral("Late"), &window);
            auto* row = new QWidget(page);
            row->setFocusPolicy(Qt::StrongFocus);
            auto* rowLayout = new QHBoxLayout(row);
            rowLayout->addWidget(new QLabel(QStringLiteral("Role %1").arg(i), row));
            rowLayout->addWidget(new QLabel(QStringLiteral("Company"), row));
            auto* remove = new QPushButton(QStringLiteral("Delete"), row);
            rowLayout->addWidget(remove);
            layout->addWidget(row);
            expected << row << remove;
        }
        layout->addWidget(add);
        layout->addWidget(disabled);
        layout->addWidget(hidden);
        windowLayout->addWidget(late);
        expected << add;
        window.resize(400, 12000);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QCOMPARE(tabStopsInScreenOrder(page), expected);
    }
};

QUILLORA_TEST_MAIN(TestSharedControls)
#include "test_shared_controls.moc"
