#include "ai/ats_result_cards.h"
#include "ai/openai_client.h"
#include "app/about_window.h"
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "controls/focus_ring.h"
#include "controls/keep_focus.h"
#include "controls/screen_order_focus.h"
#include "controls/window_rules.h"
#include "editor/editor_actions.h"
#include "editor/entry_editors.h"
#include "editor/font_catalog.h"
#include "editor/font_picker_view.h"
#include "editor/portfolio_image_picker.h"
#include "editor/resume_editor_view.h"
#include "editor/skills_section.h"
#include "help/help_sheet_container.h"
#include "model/resume_operations.h"
#include "output/share_dialog.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "support/fake_cloud_database.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"
#include "theme/hex_color.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>
#include <functional>

using namespace quillora;

// Every screen walked by keyboard alone at 1024 × 640, light and dark, against the rules every
// window follows: each Tab stop is named, comes in screen order, is in view when it has the
// focus and draws a ring of at least 3:1 against what it is drawn on; a window opens on its
// current choice or its first control in view; Tab never leaves an open popup; and the focus is
// back on the opener when a sheet, popup or alert closes. Every window that shows is walked, so
// a screen added later is walked as soon as some step opens it.

namespace {

qreal luminance(QRgb rgb) {
    const auto channel = [](int value) {
        const qreal c = value / 255.0;
        return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * channel(qRed(rgb)) + 0.7152 * channel(qGreen(rgb)) + 0.0722 * channel(qBlue(rgb));
}

qreal contrast(QRgb a, QRgb b) {
    const qreal x = luminance(a);
    const qreal y = luminance(b);
    return (std::max(x, y) + 0.05) / (std::min(x, y) + 0.05);
}

// Uncaptioned landscape photos of these colours, in this order.
QList<PortfolioItemPtr> landscapePhotos(std::initializer_list<Qt::GlobalColor> colours) {
    QList<PortfolioItemPtr> photos;
    for (const Qt::GlobalColor colour : colours)
        photos << std::make_shared<PortfolioItem>(QUuid::createUuid(), test::encodedImage(colour), QString(),
                                                  int(photos.size()), PortfolioImageOrientation::landscape);
    return photos;
}

// The room around a control where its ring stands: that of a text, set outside it.
QMargins ringRoom(const QWidget* control) {
    const bool outside =
        hasFocusRing(control) &&
        control->findChild<QWidget*>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly) == nullptr;
    return outside ? QMargins(4, 4, 4, 4) : QMargins();
}

// The control and the room around it, where a text's ring stands.
QImage seen(QWidget* control) {
    QWidget* window = control->window();
    return window
        ->grab(QRect(control->mapTo(window, QPoint(0, 0)), control->size()).marginsAdded(ringRoom(control)))
        .toImage()
        .convertToFormat(QImage::Format_RGB32);
}

// How many pixels of the control change, with a contrast of at least 3:1 against what was
// there before, when it takes the focus.
int ringPixels(QWidget* control) {
    control->setFocus(Qt::TabFocusReason); // scrolled into view first
    control->clearFocus();
    QApplication::processEvents();
    const QImage before = seen(control);
    control->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QImage after = seen(control);
    if (before.size() != after.size())
        return 0;
    int strong = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            if (a != b && contrast(a, b) >= 3)
                ++strong;
        }
    }
    return strong;
}

// The pixels a control's ring draws, at 3:1 or more against what they cover, in the colours of the
// light scheme's ring and in those of the dark one's (its outer line, and the inner line in the
// scheme's sheet colour, which keeps the ring seen over a photo).
struct RingColours {
    int light = 0;
    int dark = 0;
};

RingColours ringColours(QWidget* control) {
    const auto near = [](QRgb pixel, const QColor& colour) {
        return std::abs(qRed(pixel) - colour.red()) + std::abs(qGreen(pixel) - colour.green()) +
                   std::abs(qBlue(pixel) - colour.blue()) <=
               24;
    };
    control->setFocus(Qt::TabFocusReason);
    control->clearFocus();
    QApplication::processEvents();
    const QImage before = seen(control);
    control->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QImage after = seen(control);
    RingColours found;
    for (int y = 0; y < std::min(before.height(), after.height()); ++y) {
        for (int x = 0; x < std::min(before.width(), after.width()); ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            if (a == b || contrast(a, b) < 3)
                continue;
            found.light += near(b, focusRingColor(true)) || near(b, QColor(255, 255, 255)) ? 1 : 0;
            found.dark += near(b, focusRingColor(false)) || near(b, QColor(28, 28, 30)) ? 1 : 0;
        }
    }
    return found;
}

// A key pressed on the widget, or on the active window when nothing has the focus.
void press(QWidget* widget, Qt::Key key) {
    if (widget == nullptr)
        widget = QApplication::activeWindow();
    if (widget != nullptr)
        QTest::keyClick(widget, key);
}

QString nameOf(const QWidget* widget) {
    if (!widget->accessibleName().isEmpty())
        return widget->accessibleName();
    if (const auto* button = qobject_cast<const QAbstractButton*>(widget))
        return button->text();
    if (const auto* text = qobject_cast<const QLabel*>(widget)) // read as the text it shows
        return text->text();
    return {};
}

QString label(const QWidget* widget) {
    if (widget == nullptr)
        return QStringLiteral("(none)");
    const QString name = widget->objectName().isEmpty() ? nameOf(widget) : widget->objectName();
    return name + QStringLiteral(" (") + QString::fromLatin1(widget->metaObject()->className()) +
           QLatin1Char(')');
}

QScrollArea* pageOf(const QWidget* widget) {
    for (QWidget* up = widget->parentWidget(); up != nullptr && !up->isWindow(); up = up->parentWidget()) {
        if (auto* area = qobject_cast<QScrollArea*>(up))
            return area;
    }
    return nullptr;
}

bool isCurrentChoice(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr && face->state().selected;
}

// Whether the widget is read with a value (a score: its name, then "72 percent").
bool hasValue(QWidget* widget) {
    QAccessibleInterface* face = QAccessible::queryAccessibleInterface(widget);
    return face != nullptr && !face->text(QAccessible::Value).isEmpty();
}

// Whether a focus ring shows anywhere in the window.
bool ringShows(const QWidget* window) {
    const QList<QWidget*> rings = window->findChildren<QWidget*>(QStringLiteral("focusRing"));
    return std::ranges::any_of(rings, [](const QWidget* ring) { return ring->isVisible(); });
}

// The ring an overlay shows in the window, if one does.
const QWidget* shownRing(const QWidget* window) {
    const QList<QWidget*> rings = window->findChildren<QWidget*>(QStringLiteral("focusRing"));
    const auto shown = std::ranges::find_if(rings, [](const QWidget* ring) { return ring->isVisible(); });
    return shown != rings.end() ? *shown : nullptr;
}

// Whether `text` is being said to a screen reader in `window` (a notification of it shows).
bool saying(const QWidget* window, const QString& text) {
    return std::ranges::any_of(
        window->findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement")),
        [&text](const QWidget* note) { return note->property("_quillora_accessibleAnnouncement") == text; });
}

QPalette schemePalette(bool light) {
    return light ? QPalette(QColor(0xEF, 0xEF, 0xEF), QColor(0xF6, 0xF6, 0xF6))
                 : QPalette(QColor(0x3A, 0x3A, 0x3C), QColor(0x1E, 0x1E, 0x1E));
}

} // namespace

class KeyboardWalkTest : public QObject {
    Q_OBJECT

    QStringList m_failures;
    QStringList m_walked;
    // Every window, sheet and dialog that showed, and those walked: a screen some step opens is
    // walked, whichever it is.
    QList<QPair<const QWidget*, QString>> m_shown;
    QList<const QWidget*> m_walkedWindows;
    QHash<QString, QString> m_firstFocus; // where each screen opened
    QStringList m_openedOnText;           // the screens that open on a text

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::Show && watched->isWidgetType()) {
            auto* widget = static_cast<QWidget*>(watched);
            if (widget->isWindow() && widget->windowType() != Qt::Popup &&
                widget->windowType() != Qt::ToolTip)
                m_shown.append({widget, label(widget)});
        }
        return false;
    }

private:
    void fail(const QString& screen, const QString& what) {
        m_failures << screen + QStringLiteral(": ") + what;
    }

    // The rules, checked on the window as it shows now, in the scheme it shows now.
    void checkWindow(QWidget* window, const QString& screen) {
        QWidget* scope = keyboardScope(window);
        QApplication::processEvents();
        const QList<QWidget*> stops = tabStopsInScreenOrder(scope);
        if (stops.isEmpty()) {
            // A page of text alone: the keys that scroll still move it.
            QScrollArea* page = window->findChild<QScrollArea*>();
            if (page == nullptr || !page->isVisible()) {
                fail(screen, QStringLiteral("no Tab stop and no page"));
                return;
            }
            const int top = page->widget()->y();
            press(window, Qt::Key_PageDown);
            if (page->widget()->height() > page->viewport()->height() && page->widget()->y() >= top)
                fail(screen, QStringLiteral("PageDown does not scroll its page"));
            press(window, Qt::Key_Home);
            return;
        }
        // First focus: the current choice, else a control in view.
        QWidget* first = QApplication::focusWidget();
        if (!stops.contains(first) || !isInView(first))
            fail(screen, QStringLiteral("first focus on ") + label(first));
        for (QWidget* stop : stops) {
            if (isCurrentChoice(stop) && stop != first)
                fail(screen, QStringLiteral("opens on ") + label(first) +
                                 QStringLiteral(", not on its choice ") + label(stop));
        }
        // No silent stop: every one named; no scrolling page takes the focus.
        for (QWidget* stop : stops) {
            if (nameOf(stop).trimmed().isEmpty())
                fail(screen, QStringLiteral("unnamed stop ") + label(stop));
            // A reader says a field's role after its name ("Cover letter text"): the name does not
            // say it too.
            const bool field = qobject_cast<QLineEdit*>(stop) || qobject_cast<QPlainTextEdit*>(stop) ||
                               qobject_cast<QTextEdit*>(stop);
            static const QRegularExpression roleWord(QStringLiteral("\\b(text|field|edit)\\s*$"),
                                                     QRegularExpression::CaseInsensitiveOption);
            if (field && nameOf(stop).contains(roleWord))
                fail(screen, QStringLiteral("a name that says the role again: ") + nameOf(stop));
        }
        for (QScrollArea* area : window->findChildren<QScrollArea*>()) {
            if (area->isVisible() && (area->focusPolicy() & Qt::TabFocus))
                fail(screen, QStringLiteral("scroll area is a Tab stop: ") + label(area));
        }
        // Tab round the screen in its order, each stop in view; Shift+Tab back.
        if (!stops.contains(first))
            first = stops.first();
        first->setFocus(Qt::TabFocusReason);
        const qsizetype start = stops.indexOf(first);
        for (qsizetype step = 1; step <= stops.size(); ++step) {
            QWidget* before = QApplication::focusWidget();
            if (before == nullptr) {
                fail(screen, QStringLiteral("no focus to Tab from"));
                break;
            }
            press(before, Qt::Key_Tab);
            QApplication::processEvents();
            QApplication::processEvents(); // a caret followed once the box has its size
            QWidget* now = QApplication::focusWidget();
            if (now == nullptr) {
                fail(screen, QStringLiteral("Tab from %1 left no focus").arg(label(before)));
                break;
            }
            QWidget* expected = stops.at((start + step) % stops.size());
            if (now != expected) {
                fail(screen, QStringLiteral("Tab from %1 went to %2, not %3")
                                 .arg(label(before), label(now), label(expected)));
                break;
            }
            if (!isInView(now)) {
                QScrollArea* area = pageOf(now);
                const QRect where(now->mapTo(now->window(), QPoint(0, 0)), now->size());
                const QRect port = area ? QRect(area->viewport()->mapTo(now->window(), QPoint(0, 0)),
                                                area->viewport()->size())
                                        : now->window()->rect();
                fail(screen, QStringLiteral("out of view on Tab: %1 at %2,%3 %4×%5 in %6,%7 %8×%9")
                                 .arg(label(now))
                                 .arg(where.x())
                                 .arg(where.y())
                                 .arg(where.width())
                                 .arg(where.height())
                                 .arg(port.x())
                                 .arg(port.y())
                                 .arg(port.width())
                                 .arg(port.height()));
            }
            // Within one page the order reads down it.
            QScrollArea* page = pageOf(now);
            if (page != nullptr && page == pageOf(before) && step > 1 && now != stops.first()) {
                const QRect from(before->mapTo(page->widget(), QPoint(0, 0)), before->size());
                const QRect to(now->mapTo(page->widget(), QPoint(0, 0)), now->size());
                if (to.center().y() < from.top())
                    fail(screen,
                         QStringLiteral("Tab goes up the page: %1 → %2").arg(label(before), label(now)));
            }
        }
        QWidget* last = QApplication::focusWidget() ? QApplication::focusWidget() : first;
        press(last, Qt::Key_Backtab);
        if (stops.size() > 1 &&
            QApplication::focusWidget() != stops.at((stops.indexOf(last) + stops.size() - 1) % stops.size()))
            fail(screen, QStringLiteral("Shift+Tab from %1 went to %2")
                             .arg(label(last), label(QApplication::focusWidget())));
        // One ring of at least 3:1 on each, clear of its text: a switch's own ring round its track
        // and none over its title, a centred line's round the line and not the room beside it.
        for (QWidget* stop : stops) {
            const bool text = qobject_cast<QLineEdit*>(stop) != nullptr;
            if (const int strong = ringPixels(stop); strong < (text ? 30 : 40))
                fail(screen, QStringLiteral("no ring of 3:1 on %1 (%2 pixels)").arg(label(stop)).arg(strong));
            const QWidget* ring = shownRing(stop->window());
            if (qobject_cast<QCheckBox*>(stop) != nullptr && ring != nullptr)
                fail(screen, QStringLiteral("a second ring over the switch ") + label(stop));
            const auto* line = qobject_cast<QLabel*>(stop);
            if (line != nullptr && ring != nullptr && !line->wordWrap() &&
                (line->alignment() & Qt::AlignHCenter) != 0 &&
                ring->width() > line->fontMetrics().horizontalAdvance(line->text()) + 24)
                fail(screen, QStringLiteral("a ring %1 px wide round the line %2")
                                 .arg(ring->width())
                                 .arg(label(stop)));
        }
        first->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }

    // Every text the screen shows is a Tab stop read by that text, or lies in a stop that reads
    // it (a bullet row) or in a button (its title).
    void checkTextsAreStops(QWidget* scope, const QString& screen) {
        const QList<QWidget*> stops = tabStopsInScreenOrder(scope);
        for (QLabel* text : scope->findChildren<QLabel*>()) {
            if (!text->isVisibleTo(scope) || text->text().trimmed().isEmpty() || text->text() == u"•"_qs)
                continue;
            QWidget* stop = text;
            while (stop != nullptr && stop != scope && !stops.contains(stop) &&
                   !qobject_cast<QAbstractButton*>(stop))
                stop = stop->parentWidget();
            if (stop == nullptr || stop == scope)
                fail(screen, QStringLiteral("text no stop reaches: ") + text->text().left(60));
            else if (stop == text && nameOf(stop) != text->text() && !hasValue(stop))
                fail(screen,
                     QStringLiteral("text read as \"%1\": %2").arg(nameOf(stop), text->text().left(60)));
        }
    }

    // The preview's page is read by keys as one document: Tab from Copy Résumé comes to its first
    // text; Down reads on text by text, each read by its text, lower on the page, in view and
    // framed; Tab goes on out of the page and Shift+Tab comes back to the text last read.
    void checkPageReadByKeys(QWidget* preview) {
        const QString screen = QStringLiteral("preview");
        QWidget* column = preview->findChild<QScrollArea*>()->widget();
        const auto inPage = [column](const QWidget* widget) {
            return widget != nullptr && column->isAncestorOf(widget);
        };
        QWidget* copy = find(preview, "copyResumeButton");
        copy->setFocus(Qt::TabFocusReason);
        press(copy, Qt::Key_Tab);
        QWidget* text = QApplication::focusWidget();
        if (!inPage(text) || qobject_cast<QLabel*>(text) == nullptr) {
            fail(screen, QStringLiteral("Tab from Copy Résumé goes to ") + label(text));
            return;
        }
        auto* area = preview->findChild<QScrollArea*>();
        int top = -1;
        for (int i = 0; i < 40 && inPage(QApplication::focusWidget()); ++i) {
            text = QApplication::focusWidget();
            const QString shown = qobject_cast<QLabel*>(text)->text();
            QAccessibleInterface* read = QAccessible::queryAccessibleInterface(text);
            if (read == nullptr || read->text(QAccessible::Name) != shown)
                fail(screen, QStringLiteral("a text not read as it shows: ") + shown.left(40));
            const QRect at(text->mapTo(area->viewport(), QPoint()), text->size());
            if (!area->viewport()->rect().intersects(at) || !ringShows(preview))
                fail(screen, QStringLiteral("a text out of view or unframed: ") + shown.left(40));
            const int pageTop = text->mapTo(column, QPoint()).y();
            if (pageTop <= top)
                fail(screen, QStringLiteral("Down goes up to ") + shown.left(40));
            top = pageTop;
            press(text, Qt::Key_Down);
            if (QApplication::focusWidget() == text)
                break; // the last text
        }
        QWidget* last = QApplication::focusWidget();
        if (!inPage(last) || top < column->height() / 2)
            fail(screen, QStringLiteral("Down stops short at ") + label(last));
        press(last, Qt::Key_Tab);
        if (inPage(QApplication::focusWidget()))
            fail(screen, QStringLiteral("Tab stays in the page on ") + label(QApplication::focusWidget()));
        press(QApplication::focusWidget(), Qt::Key_Backtab);
        if (QApplication::focusWidget() != last)
            fail(screen, QStringLiteral("Shift+Tab comes back to ") + label(QApplication::focusWidget()));
    }

    // A window that opens on a text frames it once a key is pressed, not before.
    void checkRingAfterKey(QWidget* window, const QString& screen) {
        QWidget* first = QApplication::focusWidget();
        m_firstFocus.insert(screen, label(first));
        if (qobject_cast<QLabel*>(first) == nullptr)
            return;
        m_openedOnText << screen;
        if (ringShows(window))
            fail(screen, QStringLiteral("a ring as it opens on ") + label(first));
        press(first, Qt::Key_Shift);
        if (!ringShows(window))
            fail(screen, QStringLiteral("no ring after a key on ") + label(first));
    }

    // Walks the window in the light and the dark scheme, the desktop's palette switched as a
    // desktop does it; it comes back with the focus where it opened.
    void walk(QWidget* window, const QString& screen) {
        if (!QTest::qWaitForWindowActive(window)) {
            fail(screen, QStringLiteral("never active"));
            return;
        }
        QTest::qWait(30); // the first focus comes once the window is active
        m_walked << screen;
        m_walkedWindows << window;
        checkRingAfterKey(window, screen);
        if (qobject_cast<HelpSheetContainer*>(window) || qobject_cast<AboutWindow*>(window) ||
            qobject_cast<ShareDialog*>(window) ||
            window->findChild<QWidget*>(QStringLiteral("catalystHelpView")))
            checkTextsAreStops(window, screen);
        for (const bool light : {true, false}) {
            QApplication::setPalette(schemePalette(light));
            QApplication::processEvents();
            checkWindow(window, screen + (light ? QStringLiteral(" (light)") : QStringLiteral(" (dark)")));
        }
        QApplication::setPalette(schemePalette(true));
        QApplication::processEvents();
    }

    // Presses `opener` by keyboard, walks the window it opens (then `inside` runs in it), closes
    // it with Escape and checks the focus is back on the opener.
    void openWalkClose(QWidget* opener, const QString& screen,
                       const std::function<void(QWidget*)>& inside = {}) {
        QVERIFY2(opener != nullptr, qPrintable(screen));
        QWidget* home = opener->window();
        opener->setFocus(Qt::TabFocusReason);
        const QWidgetList before = QApplication::topLevelWidgets();
        m_pending.push_back({screen, inside, before});
        press(opener, Qt::Key_Space);
        // A sheet run modally was walked from within; one that opens alongside is walked here.
        if (!m_pending.isEmpty() && m_pending.last().screen == screen)
            runPending();
        if (!QTest::qWaitFor([home] { return home->isActiveWindow(); }, 20000))
            fail(screen, QStringLiteral("its opener's window is not active again"));
        else if (!QTest::qWaitFor([opener] { return QApplication::focusWidget() == opener; }, 20000))
            fail(screen, QStringLiteral("focus back on ") + label(QApplication::focusWidget()) +
                             QStringLiteral(", not on its opener ") + label(opener));
    }

    struct Pending {
        QString screen;
        std::function<void(QWidget*)> inside;
        QWidgetList before;
    };
    QList<Pending> m_pending;

    void runPending() {
        const Pending pending = m_pending.takeLast();
        QWidget* window = nullptr;
        if (!QTest::qWaitFor([&] { return (window = newWindow(pending.before)) != nullptr; }, 20000)) {
            fail(pending.screen, QStringLiteral("no window opened"));
            return;
        }
        walk(window, pending.screen);
        if (pending.inside)
            pending.inside(window);
        QPointer<QWidget> guard(window);
        press(QApplication::focusWidget() ? QApplication::focusWidget() : window, Qt::Key_Escape);
        if (guard != nullptr && guard->isVisible())
            guard->close();
    }

    static QWidget* newWindow(const QWidgetList& before) {
        for (QWidget* window : QApplication::topLevelWidgets()) {
            if (!before.contains(window) && window->isVisible() && window->windowType() != Qt::Popup &&
                window->windowType() != Qt::ToolTip && window->isActiveWindow())
                return window;
        }
        return nullptr;
    }

    static QWidget* find(QWidget* in, const char* name) {
        return in->findChild<QWidget*>(QLatin1String(name));
    }

private slots:
    void initTestCase() {
        prepareQuilloraApplication(*qApp);
        qApp->installEventFilter(this);
        QApplication::setPalette(schemePalette(true));
    }

    void everyScreenKeepsTheRules() {
        const QString storePath = QDir::tempPath() + QStringLiteral("/walk/default.store");
        QDir().mkpath(QFileInfo(storePath).absolutePath());
        auto container = ModelContainer::open(storePath);
        QVERIFY(container.ok());
        Services services(std::move(container).value());
        services.appearance().setReduceMotionOverride(true);
        ResumePtr resume = test::makeFullResume();
        resume->setIncludeSkills(true);
        resume->setSuggestedSkills({QStringLiteral("Alpha: one"), QStringLiteral("Beta: two")});
        // Four photos: the strip scrolls sideways to the Add tile.
        resume->setPortfolioItems(landscapePhotos({Qt::red, Qt::white, Qt::blue, Qt::green}));
        services.context().insert(makeNewResume());
        services.context().insert(resume);
        QVERIFY(services.context().save().ok());

        MainWindow window(services);
        auto* list = window.findChild<ResumeListView*>();
        QVERIFY(list);
        // Sheets the list runs modally are walked from within.
        list->setModalRunner([this](QDialog& sheet) {
            sheet.open();
            if (!m_pending.isEmpty())
                runPending();
            if (sheet.isVisible())
                sheet.reject();
            return sheet.result();
        });
        window.resize(1024, 640);
        window.show();
        // Once the intro has played.
        QTRY_VERIFY_WITH_TIMEOUT(
            !find(&window, "introLogoOverlay") || !find(&window, "introLogoOverlay")->isVisible(), 20000);
        // The welcome tip first: a key that goes through it and on ends it, as the walk does.
        QVERIFY(QTest::qWaitForWindowActive(&window));
        // The welcome tip's title and text are stops read by their texts.
        if (QWidget* tip = find(&window, "resumeTipView"); tip && tip->isVisible()) {
            checkTextsAreStops(tip, QStringLiteral("welcome tip"));
            QWidget* text = find(tip, "resumeTipText");
            if (!text || !isTabStop(text) || text->accessibleName() != ResumeTipView::welcomeText())
                fail(QStringLiteral("welcome tip"), QStringLiteral("its text is no stop read as it"));
        }

        // A key's hold on the welcome tip lasts while the focus is in it: Tab on out of the card
        // and it fades as it does by itself; Shift+Tab back into it holds it again.
        if (auto* tip = window.findChild<ResumeTipView*>(); tip && tip->isVisible()) {
            services.appearance().setReduceMotionOverride(false); // the fade takes its time
            QWidget* title = find(tip, "resumeTipTitle");
            title->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 4 && tip->isAncestorOf(QApplication::focusWidget()); ++i)
                press(QApplication::focusWidget(), Qt::Key_Tab);
            if (tip->isAncestorOf(QApplication::focusWidget()) || !tip->hasStartedFadeOut())
                fail(QStringLiteral("welcome tip"), QStringLiteral("the focus moved on to ") +
                                                        label(QApplication::focusWidget()) +
                                                        QStringLiteral(" and the card stays"));
            press(QApplication::focusWidget(), Qt::Key_Backtab);
            if (!tip->isAncestorOf(QApplication::focusWidget()) || tip->hasStartedFadeOut() ||
                tip->tipOpacity() != 1.0)
                fail(QStringLiteral("welcome tip"),
                     QStringLiteral("Shift+Tab back into it does not hold it"));
            services.appearance().setReduceMotionOverride(true);
        }

        // The welcome tip dismissed by Escape, its close button going with the focus: the focus
        // stays in the window, on a control.
        if (QPointer<QWidget> dismiss = find(&window, "dismissResumeTipButton");
            dismiss && dismiss->isVisible()) {
            dismiss->setFocus(Qt::TabFocusReason);
            services.appearance().setReduceMotionOverride(false); // the card fades out as it goes
            press(dismiss, Qt::Key_Escape);
            QTRY_VERIFY(!dismiss || !dismiss->isVisible()); // the card is deleted once faded out
            services.appearance().setReduceMotionOverride(true);
            (void)QTest::qWaitFor([] { return QApplication::focusWidget() != nullptr; }, 20000);
            if (QApplication::focusWidget() == nullptr || !isTabStop(QApplication::focusWidget()))
                fail(QStringLiteral("welcome tip"),
                     QStringLiteral("focus after Dismiss on ") + label(QApplication::focusWidget()));
        }

        walk(&window, QStringLiteral("main window"));

        openWalkClose(find(&window, "resumeListHelpButton"), QStringLiteral("Main Interface Help"),
                      [this](QWidget* help) {
                          openWalkClose(find(help, "openAIKeyActionButton"), QStringLiteral("key prompt"));
                      });
        openWalkClose(find(&window, "resumeListBackgroundButton"), QStringLiteral("background picker"));

        // The résumé opened from the list by keyboard, beside it, and what the editor opens.
        auto* cards = list->listView();
        cards->setFocus(Qt::TabFocusReason);
        press(cards, Qt::Key_Home);
        press(cards, Qt::Key_Down);
        QTRY_VERIFY(window.findChild<ResumeEditorView*>() &&
                    window.findChild<ResumeEditorView*>()->isVisible());
        QTest::qWait(50);
        walk(&window, QStringLiteral("editor"));
        // PageDown scrolls the page under a focused control.
        if (auto* page = window.findChild<ResumeEditorView*>()->scrollArea()) {
            QWidget* field = find(&window, "resumeTitleField");
            QVERIFY(field);
            field->setFocus(Qt::TabFocusReason);
            const int top = page->verticalScrollBar()->value();
            press(field, Qt::Key_PageDown);
            if (page->verticalScrollBar()->value() <= top)
                fail(QStringLiteral("editor"), QStringLiteral("PageDown does not scroll the page"));
        }
        openWalkClose(
            find(&window, "fontPickerButton"), QStringLiteral("font picker"), [this](QWidget* picker) {
                openWalkClose(find(picker, "floatingHelpButton"), QStringLiteral("Font Picker Help"));
            });
        openWalkClose(find(&window, "previewTranslationButton"), QStringLiteral("preview"),
                      [this](QWidget* preview) {
                          checkPageReadByKeys(preview);
                          openWalkClose(find(preview, "templateHelpButton"),
                                        QStringLiteral("Preview & Translation Help"));
                      });
        openWalkClose(find(&window, "floatingHelpButton"), QStringLiteral("editor help"));
        openWalkClose(find(&window, "addExperienceButton"), QStringLiteral("experience sheet"));
        openWalkClose(find(&window, "addEducationButton"), QStringLiteral("education sheet"));
        openWalkClose(find(&window, "morvessaHelpButton"), QStringLiteral("Why Morvessa?"));
        openWalkClose(find(&window, "morvessaActionButton"), QStringLiteral("Share With Morvessa"));
        resume->setMorvessaRecordName(QStringLiteral("record-1"));
        openWalkClose(find(&window, "morvessaActionButton"), QStringLiteral("Remove From Morvessa"));
        resume->setMorvessaRecordName(std::nullopt);
        QWidget* trash = nullptr;
        for (QWidget* widget : window.findChildren<QWidget*>()) {
            if (trash == nullptr && widget->objectName().startsWith(QStringLiteral("deleteExperienceButton")))
                trash = widget;
        }
        openWalkClose(trash, QStringLiteral("Delete Experience?"));

        // The skill popup lies over the editor: Tab stays in it; it closes back onto its chip.
        QWidget* chip =
            find(&window, qPrintable(SkillsSection::chipIdentifier(QStringLiteral("Alpha: one"))));
        QVERIFY(chip);
        chip->setFocus(Qt::TabFocusReason);
        press(chip, Qt::Key_Space);
        QTRY_VERIFY(find(&window, "editSkillPopup") && find(&window, "editSkillPopup")->isVisible());
        QWidget* popup = find(&window, "editSkillPopup");
        m_walked << QStringLiteral("skill popup");
        QTest::qWait(30);
        // It opens on its field, the skill selected (a letter typed replaces it), and is read as a
        // dialog named by its title, heard as the focus enters it.
        auto* skillField = qobject_cast<QLineEdit*>(find(popup, "editSkillField"));
        QVERIFY(skillField);
        QCOMPARE(QApplication::focusWidget(), skillField);
        QCOMPARE(skillField->selectedText(), QStringLiteral("Alpha: one"));
        QCOMPARE(QAccessible::queryAccessibleInterface(popup)->role(), QAccessible::Dialog);
        QCOMPARE(QAccessible::queryAccessibleInterface(popup)->text(QAccessible::Name),
                 QStringLiteral("Edit Skill"));
        QTest::keyClick(skillField, Qt::Key_G);
        QCOMPARE(skillField->text(), QStringLiteral("g"));
        QTest::keyClick(skillField, Qt::Key_Z, Qt::ControlModifier);
        QCOMPARE(skillField->text(), QStringLiteral("Alpha: one"));
        skillField->selectAll();
        checkRingAfterKey(&window, QStringLiteral("skill popup"));
        for (const bool light : {true, false}) {
            QApplication::setPalette(schemePalette(light));
            QApplication::processEvents();
            checkWindow(&window,
                        light ? QStringLiteral("skill popup (light)") : QStringLiteral("skill popup (dark)"));
            if (!popup->isAncestorOf(QApplication::focusWidget()))
                fail(QStringLiteral("skill popup"),
                     QStringLiteral("focus left it: ") + label(QApplication::focusWidget()));
        }
        QApplication::setPalette(schemePalette(true));
        press(QApplication::focusWidget(), Qt::Key_Escape);
        if (!QTest::qWaitFor([chip] { return QApplication::focusWidget() == chip; }, 20000))
            fail(QStringLiteral("skill popup"),
                 QStringLiteral("focus back on ") + label(QApplication::focusWidget()));

        // The exported PDF's share dialog.
        openWalkClose(find(&window, "exportCreativePDFButton"), QStringLiteral("share dialog"));

        // About and Help, from the menu and its key.
        QWidget* before = QApplication::focusWidget();
        const QWidgetList shown = QApplication::topLevelWidgets();
        window.findChild<QAction*>(QStringLiteral("aboutQuilloraAction"))->trigger();
        if (QWidget* about = nullptr;
            QTest::qWaitFor([&] { return (about = newWindow(shown)) != nullptr; }, 20000)) {
            walk(about, QStringLiteral("About"));
            about->close();
        } else {
            fail(QStringLiteral("About"), QStringLiteral("no window opened"));
        }
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        press(QApplication::focusWidget(), Qt::Key_F1);
        if (QWidget* help = nullptr;
            QTest::qWaitFor([&] { return (help = newWindow(shown)) != nullptr; }, 20000)) {
            walk(help, QStringLiteral("Help"));
            help->close();
        } else {
            fail(QStringLiteral("Help"), QStringLiteral("no window opened"));
        }
        window.activateWindow();
        QTRY_VERIFY(window.isActiveWindow());
        Q_UNUSED(before);

        // Delete Résumé, asked with the Delete key on the list; Cancel leaves the focus, and its
        // ring, on the list.
        cards->setFocus(Qt::TabFocusReason);
        m_pending.push_back({QStringLiteral("Delete Résumé"), {}, QApplication::topLevelWidgets()});
        press(cards, Qt::Key_Delete);
        if (!m_pending.isEmpty())
            fail(QStringLiteral("Delete Résumé"), QStringLiteral("never asked"));
        if (!QTest::qWaitFor(
                [cards] { return QApplication::focusWidget() == cards && cards->showsFocusRing(); }, 20000))
            fail(QStringLiteral("Delete Résumé"),
                 QStringLiteral("focus back on ") + label(QApplication::focusWidget()));
        QCOMPARE(list->model()->rowCount(), 2); // Cancel deleted nothing

        // The screens of texts open on one, with no ring until a key; the share dialog on its files.
        for (const QString& screen :
             {u"Main Interface Help"_qs, u"editor help"_qs, u"Font Picker Help"_qs,
              u"Preview & Translation Help"_qs, u"Why Morvessa?"_qs, u"About"_qs, u"Help"_qs})
            if (!m_openedOnText.contains(screen))
                fail(screen, QStringLiteral("opens on ") + m_firstFocus.value(screen));
        if (!m_firstFocus.value(u"share dialog"_qs).startsWith(u"shareDialogFiles"_qs))
            fail(QStringLiteral("share dialog"),
                 QStringLiteral("opens on ") + m_firstFocus.value(u"share dialog"_qs));

        QStringList unwalked;
        for (const auto& [shownWindow, name] : std::as_const(m_shown)) {
            if (!m_walkedWindows.contains(shownWindow))
                unwalked << name;
        }
        if (!unwalked.isEmpty())
            fail(QStringLiteral("walk"),
                 QStringLiteral("windows shown but not walked: ") + unwalked.join(QStringLiteral(", ")));
        QVERIFY2(m_failures.isEmpty(),
                 qPrintable(m_failures.join(QLatin1Char('\n')) + m_walked.join(QLatin1Char(','))));
        QVERIFY2(m_walked.contains(QStringLiteral("education sheet")),
                 qPrintable(m_walked.join(QLatin1Char(','))));
    }

    // Every text of an analysis is a stop read as it shows, in screen order: the score, the
    // missing keywords, each suggestion, each section's row whole and each note.
    void theAnalysisIsReadTextByText() {
        ATSAnalysis analysis;
        analysis.overallScore = 72;
        analysis.missingKeywords = {QStringLiteral("Figma"), QStringLiteral("Kubernetes")};
        analysis.suggestions = {QStringLiteral("Name the tools you used"), QStringLiteral("Add numbers.")};
        analysis.sectionFeedback = {{QStringLiteral("Experience"),
                                     {85, {QStringLiteral("Figma")}, {QStringLiteral("Lead with results")}}},
                                    {QStringLiteral("Skills"), {40, {}, {}}}};
        analysis.notes = QStringList{QStringLiteral("The posting asks for a portfolio.")};
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* card = new ATSAnalysisSummaryCard(analysis, true, &window);
        layout->addWidget(card);
        window.resize(600, 700);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        QStringList read;
        for (QWidget* stop : tabStopsInScreenOrder(&window))
            read << nameOf(stop);
        QCOMPARE(
            read.join(u" | "_qs),
            (QStringList{u"Resume ATS Score"_qs, u"Resume ATS score"_qs,
                         u"Missing Keywords: Figma, Kubernetes"_qs, u"Suggestions"_qs,
                         u"Name the tools you used"_qs, u"Add numbers."_qs, u"Section Breakdown"_qs,
                         u"Experience: 85 percent. Missing: Figma. Tip: Lead with results."_qs,
                         u"Skills: 40 percent."_qs, u"Notes"_qs, u"The posting asks for a portfolio."_qs})
                .join(u" | "_qs));
        checkTextsAreStops(&window, QStringLiteral("analysis"));
        QVERIFY2(m_failures.isEmpty(), qPrintable(m_failures.join(QLatin1Char('\n'))));
    }

    // A file named by typing it in the portfolio's file dialog, then a file that is refused: each
    // time the focus is back on the Add tile, in full view, and the refusal is said.
    void theFileDialogGivesTheFocusBack() {
        QTemporaryDir folder;
        const auto write = [&folder](const QString& name, const QByteArray& bytes) {
            QFile file(folder.filePath(name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        };
        write(QStringLiteral("good.png"), test::encodedImage(Qt::red));
        write(QStringLiteral("notes.png"), QByteArrayLiteral("not a picture"));
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/file-dialog.ini"));
        ResumePtr resume = test::makeFullResume();
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        ResumeEditorView editor(resume, *services);
        editor.resize(1024, 640);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QWidget* add = find(&editor, "addPortfolioImageButton");
        QVERIFY(add);
        for (const QString& name : {QStringLiteral("good.png"), QStringLiteral("notes.png")}) {
            add->setFocus(Qt::TabFocusReason);
            const QWidgetList before = QApplication::topLevelWidgets();
            press(add, Qt::Key_Space);
            QPointer<QFileDialog> dialog; // deleted once it closes
            QTRY_VERIFY((dialog = qobject_cast<QFileDialog*>(newWindow(before))) != nullptr);
            dialog->setDirectory(folder.path());
            auto* field = dialog->findChild<QLineEdit*>(QStringLiteral("fileNameEdit"));
            QVERIFY(field);
            QTRY_COMPARE(QApplication::focusWidget(), field);
            QTest::keyClicks(field, name);
            QTest::qWait(200); // the name's completion shows
            press(QApplication::focusWidget(), Qt::Key_Return);
            QTRY_VERIFY(!dialog || !dialog->isVisible());
            QVERIFY2(
                QTest::qWaitFor([&] { return QApplication::focusWidget() == add && editor.isActiveWindow(); },
                                20000),
                qPrintable(name + QStringLiteral(": focus on ") + label(QApplication::focusWidget())));
            QTRY_VERIFY2(
                QApplication::focusWidget() == add && isInView(add),
                qPrintable(name + QStringLiteral(": focus on ") + label(QApplication::focusWidget())));
        }
        // The refusal shows under the tiles and is said once it shows.
        auto* notice = qobject_cast<QLabel*>(find(&editor, "portfolioSkippedNotice"));
        QVERIFY(notice);
        QTRY_VERIFY(notice->isVisible());
        QVERIFY(notice->text().contains(QStringLiteral("notes.png")));
        QTRY_VERIFY(std::ranges::any_of(
            editor.findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement")),
            [&notice](const QWidget* note) {
                return note->property("_quillora_accessibleAnnouncement") == notice->text();
            }));
    }

    // What an outcome shows moves nothing out of view: a message under the experience details
    // leaves the focused STAR button whole in view, the sheet's page taking the room the sheet has;
    // four photos added at once leave the focused Add tile whole at the end of its strip; the
    // notice of a refused file shows within the window, the Add tile still in view.
    void whatAnOutcomeShowsStaysInView() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/in-view.ini"));
        ResumePtr resume = test::makeFullResume();
        resume->setPortfolioItems({});
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        const auto settled = [] { // the layouts asked for by what the outcome showed have run
            QApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QApplication::processEvents();
        };
        const auto where = [](const QWidget* widget) {
            const QRect at(widget->mapTo(widget->window(), QPoint(0, 0)), widget->size());
            return QStringLiteral("%1 at %2,%3 %4×%5 in %6×%7; ")
                .arg(label(widget))
                .arg(at.x())
                .arg(at.y())
                .arg(at.width())
                .arg(at.height())
                .arg(widget->window()->width())
                .arg(widget->window()->height());
        };
        // The sheet fitted to this screen, and one with room for its whole page. No AI backend
        // answers here: STAR says so under the details.
        for (const int height : {0, 760}) {
            ExperienceEditor sheet(std::make_shared<Experience>(QString(), QString(), QString(), QString(),
                                                                QStringLiteral("Built things."), 0),
                                   *services, resume);
            if (height > 0)
                sheet.resize(sheet.width(), height);
            sheet.show();
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            QTest::qWait(30); // the first focus comes once the window is active
            QWidget* star = find(&sheet, "refineExperienceButton");
            star->setFocus(Qt::TabFocusReason);
            press(star, Qt::Key_Space);
            QVERIFY(find(&sheet, "experienceAIMessage")->isVisible());
            settled();
            const QScrollArea* area = pageOf(star);
            const int page = area->widget()->sizeHint().height();
            const int belowSave = sheet.height() - sheet.saveButton()->mapTo(&sheet, QPoint(0, 0)).y() -
                                  sheet.saveButton()->height();
            const QString seen = where(star) + QStringLiteral("page %1 in %2, %3 below Save")
                                                   .arg(page)
                                                   .arg(area->viewport()->height())
                                                   .arg(belowSave);
            QTRY_VERIFY2(QApplication::focusWidget() == star && isInView(star), qPrintable(seen));
            // The whole page shows, or it scrolls in all the room down to the Save row.
            QVERIFY2(area->viewport()->height() >= page || belowSave <= 20, qPrintable(seen));
            QVERIFY2(height == 0 || area->viewport()->height() >= page, qPrintable(seen));
        }

        QTemporaryDir folder;
        QStringList photos;
        for (const Qt::GlobalColor colour : {Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::black}) {
            QFile file(folder.filePath(QStringLiteral("%1.png").arg(int(colour))));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(colour == Qt::black ? QByteArrayLiteral("not a picture") : test::encodedImage(colour));
            photos << file.fileName();
        }
        // As wide as beside the list at 1024 × 640: the strip holds three photos and a half.
        ResumeEditorView editor(resume, *services);
        editor.resize(700, 640);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTest::qWait(30);
        auto* picker = editor.findChild<PortfolioImagePicker*>();
        QStringList chosen = photos.mid(0, 4);
        picker->setFileChooser(
            [&chosen](QWidget*, const std::function<void(const QStringList&)>& done) { done(chosen); });
        QWidget* add = picker->addButton();
        add->setFocus(Qt::TabFocusReason);
        press(add, Qt::Key_Space);
        QTRY_COMPARE(picker->tiles().size(), 4);
        settled();
        QTRY_VERIFY2(QApplication::focusWidget() == add && isInView(add), qPrintable(where(add)));

        // A refused file, asked for with the Add tile at the foot of the page, as Tab leaves it.
        editor.resize(1366, 768);
        settled();
        editor.scrollArea()->verticalScrollBar()->setValue(0);
        add->clearFocus();
        add->setFocus(Qt::TabFocusReason);
        settled();
        chosen = photos.mid(4);
        press(add, Qt::Key_Space);
        QWidget* notice = find(&editor, "portfolioSkippedNotice");
        QTRY_VERIFY(notice->isVisible());
        settled();
        QTRY_VERIFY2(isInView(notice) && isInView(add) && QApplication::focusWidget() == add,
                     qPrintable(where(notice) + where(add)));
    }

    // The list takes the focus on a row a screen reader names, with its ring, at launch and back
    // from Delete Résumé's Cancel and from Help; Down goes on to the next row on screen.
    void theListFocusesANamedRow() {
        QDir().mkpath(QDir::tempPath() + QStringLiteral("/list-focus"));
        auto container = ModelContainer::open(QDir::tempPath() + QStringLiteral("/list-focus/default.store"));
        QVERIFY(container.ok());
        Services services(std::move(container).value());
        services.appearance().setReduceMotionOverride(true);
        services.context().insert(test::makeFullResume());
        services.context().insert(makeNewResume());
        QVERIFY(services.context().save().ok());
        MainWindow window(services);
        auto* list = window.findChild<ResumeListView*>();
        list->setModalRunner([](QDialog& sheet) {
            sheet.open();
            sheet.reject(); // Cancel
            return sheet.result();
        });
        window.resize(1024, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ResumeCardList* cards = list->listView();
        const auto focusedOnARow = [cards](int row) -> QString {
            if (!QTest::qWaitFor(
                    [cards] { return QApplication::focusWidget() == cards && cards->showsFocusRing(); },
                    20000))
                return QStringLiteral("focus on ") + label(QApplication::focusWidget());
            if (cards->currentIndex().row() != row)
                return QStringLiteral("current row %1").arg(cards->currentIndex().row());
            QAccessibleInterface* face = QAccessible::queryAccessibleInterface(cards);
            QAccessibleInterface* named = face != nullptr ? face->focusChild() : nullptr;
            if (named == nullptr || named->text(QAccessible::Name).isEmpty() ||
                named->text(QAccessible::Name) !=
                    cards->currentIndex().data(Qt::AccessibleTextRole).toString())
                return QStringLiteral("no named row in focus");
            return QString();
        };
        QCOMPARE(focusedOnARow(0), QString());
        press(cards, Qt::Key_Down);
        QCOMPARE(focusedOnARow(1), QString());
        QTRY_VERIFY(window.findChild<ResumeEditorView*>() &&
                    window.findChild<ResumeEditorView*>()->isVisible());
        QCOMPARE(window.findChild<ResumeEditorView*>()->resume(), list->model()->resumeAt(1));
        cards->setFocus(Qt::TabFocusReason);
        press(cards, Qt::Key_Delete);
        QCOMPARE(focusedOnARow(1), QString());
        QCOMPARE(list->model()->rowCount(), 2);
        const QWidgetList shown = QApplication::topLevelWidgets();
        press(cards, Qt::Key_F1);
        QWidget* help = nullptr;
        QTRY_VERIFY((help = newWindow(shown)) != nullptr);
        help->close();
        window.activateWindow();
        QCOMPARE(focusedOnARow(1), QString());
        // Up opens the row above, and the résumé edited meanwhile is saved and goes to the top:
        // the row just opened slides down under the focus, keeps it (the same element for a
        // screen reader) and is said with its new place.
        ResumeEditorView* editor = window.findChild<ResumeEditorView*>();
        editor->findChild<QLineEdit*>(QStringLiteral("resumeContactInfoField"))
            ->setText(u"zoe@example.org"_qs);
        cards->setFocus(Qt::TabFocusReason);
        const ResumePtr above = list->model()->resumeAt(0);
        QAccessibleInterface* aboveRow = QAccessible::queryAccessibleInterface(cards)->child(0);
        press(cards, Qt::Key_Up);
        QCOMPARE(focusedOnARow(1), QString());
        QCOMPARE(list->model()->resumeAt(1), above);
        QCOMPARE(cards->openRow(), 1);
        QCOMPARE(QAccessible::queryAccessibleInterface(cards)->focusChild(), aboveRow);
        const QString opened = u"Opened “"_qs + above->title() + u"”, now 2 of 2."_qs;
        QTRY_VERIFY(
            std::ranges::any_of(window.findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement")),
                                [&opened](const QWidget* note) {
                                    return note->property("_quillora_accessibleAnnouncement") == opened;
                                }));
    }

    // The list's card actions and the editor's AI work, by keyboard: Duplicate and Delete are the
    // rows' named actions with their keys and say their outcome; while STAR works the focus
    // waits on a named stop with a ring in the button's place (Shift+Tab reaches Summary), a
    // window opened meanwhile gives it back there, and to the button once the work is done;
    // Reorder, Done, a skill removed and the skills applied say what they did.
    void listActionsAndAIWorkAreHeard() {
        QDir().mkpath(QDir::tempPath() + QStringLiteral("/ai-wait"));
        auto container = ModelContainer::open(QDir::tempPath() + QStringLiteral("/ai-wait/default.store"));
        QVERIFY(container.ok());
        Services services(std::move(container).value());
        services.appearance().setReduceMotionOverride(true);
        test::LoopbackHttpServer server;
        qputenv(OpenAIClient::baseURLVariable, server.baseURL().toUtf8());
        services.settings().setOpenAIAPIKey(QStringLiteral("sk-wait"));
        services.context().insert(test::makeFullResume());
        QVERIFY(services.context().save().ok());
        MainWindow window(services);
        auto* list = window.findChild<ResumeListView*>();
        list->setModalRunner([](QDialog& alert) {
            alert.open();
            if (auto* confirm = alert.findChild<QPushButton*>(QStringLiteral("confirmDeleteResumeButton")))
                confirm->click();
            return alert.result();
        });
        window.resize(1024, 640);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        ResumeCardList* cards = list->listView();
        QTRY_COMPARE(QApplication::focusWidget(), cards);

        press(cards, Qt::Key_D); // not a card action alone
        QTest::keyClick(cards, Qt::Key_D, Qt::ControlModifier);
        QCOMPARE(list->model()->rowCount(), 2);
        QTRY_VERIFY(saying(&window, QStringLiteral("Duplicated as “Design Résumé Copy”.")));
        QCOMPARE(QApplication::focusWidget(), cards);
        QCOMPARE(list->model()->resumeAt(cards->currentIndex().row())->title(),
                 QStringLiteral("Design Résumé"));
        QAccessibleInterface* copy = QAccessible::queryAccessibleInterface(cards)->child(0);
        QVERIFY(copy && copy->actionInterface());
        QCOMPARE(copy->actionInterface()->actionNames(),
                 (QStringList{QAccessibleActionInterface::pressAction(), u"Duplicate"_qs, u"Delete"_qs}));
        QCOMPARE(copy->actionInterface()->keyBindingsForAction(u"Duplicate"_qs), QStringList{u"Ctrl+D"_qs});
        QCOMPARE(copy->actionInterface()->keyBindingsForAction(u"Delete"_qs), QStringList{u"Del"_qs});
        copy->actionInterface()->doAction(u"Delete"_qs);
        QTRY_COMPARE(list->model()->rowCount(), 1);
        QTRY_VERIFY(saying(&window, QStringLiteral("Deleted “Design Résumé Copy”.")));
        QTRY_COMPARE(QApplication::focusWidget(), cards);

        // STAR on the summary, answered late.
        press(cards, Qt::Key_Return);
        ResumeEditorView* editor = nullptr;
        QTRY_VERIFY((editor = window.findChild<ResumeEditorView*>()) != nullptr && editor->isVisible());
        test::LoopbackHttpServer::Reply late =
            test::LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\": \"Calm tools.\"}"));
        late.delayMs = 1500;
        server.enqueue(late);
        QWidget* star = find(editor, "refineSummaryButton");
        auto* summary = qobject_cast<QPlainTextEdit*>(find(editor, "summaryAITextEditor"));
        QVERIFY(star && summary);
        star->setFocus(Qt::TabFocusReason);
        press(star, Qt::Key_Space);
        QWidget* holder = QApplication::focusWidget();
        QVERIFY(!star->isEnabled());
        QVERIFY2(holder != nullptr && holder != star && isTabStop(holder) && isInView(holder),
                 qPrintable(label(holder)));
        QCOMPARE(nameOf(holder), QStringLiteral("STAR with OpenAI"));
        QCOMPARE(holder->accessibleDescription(), workingHint());
        // A reader takes an element of the same role and name in the very same place for the one
        // it has already, and would say nothing as the focus moves: the stand-in stands apart.
        QAccessibleInterface* standIn = QAccessible::queryAccessibleInterface(holder);
        QAccessibleInterface* control = QAccessible::queryAccessibleInterface(star);
        QVERIFY(standIn && control && standIn->role() == control->role());
        QVERIFY(standIn->rect() != control->rect() && control->rect().contains(standIn->rect()));
        const QWidget* ring = holder->findChild<QWidget*>(QStringLiteral("focusRing"));
        QVERIFY(ring && ring->isVisible() && ring->geometry() == holder->rect());
        press(holder, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), summary);
        press(summary, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), holder);
        const auto helpAndBack = [&](const std::function<void()>& meanwhile) {
            const QWidgetList shown = QApplication::topLevelWidgets();
            press(QApplication::focusWidget(), Qt::Key_F1);
            QPointer<QWidget> help;
            QTRY_VERIFY((help = newWindow(shown)) != nullptr);
            meanwhile();
            press(QApplication::focusWidget(), Qt::Key_Escape);
            // The sheet deletes itself as it closes.
            QTRY_VERIFY((help.isNull() || !help->isVisible()) && window.isActiveWindow());
        };
        helpAndBack([] {});
        QTRY_COMPARE(QApplication::focusWidget(), holder);
        helpAndBack([&] { QTRY_VERIFY_WITH_TIMEOUT(star->isEnabled(), 20000); });
        QTRY_COMPARE(QApplication::focusWidget(), star);
        QVERIFY(!holder->isVisible());
        QCOMPARE(summary->toPlainText(), QStringLiteral("Calm tools."));
        QTRY_VERIFY(saying(&window, QStringLiteral("Summary rewritten.")));
        // An answer that is the summary again is said as such.
        server.setDefaultReply(
            test::LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\": \"Calm tools.\"}")));
        press(star, Qt::Key_Space);
        QTRY_VERIFY(saying(&window, QStringLiteral("Summary unchanged.")));
        QCOMPARE(QApplication::focusWidget(), star);

        // Reorder and Done.
        QWidget* reorder = find(editor, "reorderExperienceButton");
        QVERIFY(reorder);
        reorder->setFocus(Qt::TabFocusReason);
        press(reorder, Qt::Key_Space);
        QTRY_VERIFY(
            saying(&window, QStringLiteral("Reordering roles: drag one, or press Alt+Up or Alt+Down on "
                                           "it to move it one place.")));
        press(reorder, Qt::Key_Space);
        QTRY_VERIFY(saying(&window, QStringLiteral("Done reordering roles.")));
        QCOMPARE(QApplication::focusWidget(), reorder);

        // A skill removed: the focus is on the next skill's chip, which a second Space opens.
        auto* removeSketch = editor->findChild<QAbstractButton*>(QStringLiteral("removeSkillButton"));
        QVERIFY(removeSketch && removeSketch->accessibleName() == QStringLiteral("Remove skill Sketch"));
        removeSketch->setFocus(Qt::TabFocusReason);
        press(removeSketch, Qt::Key_Space);
        QTRY_VERIFY(saying(&window, QStringLiteral("Removed “Sketch”.")));
        QCOMPARE(nameOf(QApplication::focusWidget()), QStringLiteral("Prototyping"));
        QWidget* apply = find(editor, "applySkillsButton");
        apply->setFocus(Qt::TabFocusReason);
        press(apply, Qt::Key_Space);
        QTRY_VERIFY(saying(&window, QStringLiteral("Applied 1 skill to the résumé.")));
        QCOMPARE(QApplication::focusWidget(), find(editor, "generateSkillsButton"));
        QCOMPARE(editor->resume()->appliedSkills(), QStringList{u"Prototyping"_qs});

        // An analysis: the focus is on its first text, the score, read with its value, which says
        // the outcome (no note says it again); Tab reads on through the keywords, the suggestions,
        // the sections and the notes.
        ResumePtr walked = editor->resume();
        walked->setIncludeATSVersion(true);
        walked->setAtsJobPosting(QStringLiteral("Design systems lead"));
        server.enqueue(test::LoopbackHttpServer::completion(QStringLiteral(
            "{\"overallScore\": 68, \"missingKeywords\": [\"Design systems\"], \"suggestions\": "
            "[\"Name it.\"], \"sectionFeedback\": [{\"section\": \"Summary\", \"feedback\": {\"score\": "
            "70, \"missingKeywords\": [], \"suggestions\": []}}], \"notes\": [\"Clear layout.\"]}")));
        QWidget* analyze = find(editor, "analyzeATSButton");
        QTRY_VERIFY(analyze && analyze->isVisible() && analyze->isEnabled());
        analyze->setFocus(Qt::TabFocusReason);
        press(analyze, Qt::Key_Space);
        QWidget* score = nullptr;
        QTRY_VERIFY_WITH_TIMEOUT((score = editor->findChild<QWidget*>(u"overallATSScoreLabel"_qs)) !=
                                         nullptr &&
                                     QApplication::focusWidget() == score,
                                 30000);
        // Nothing said, nothing waiting to be said.
        QCoreApplication::processEvents();
        QVERIFY(!saying(&window, u"Resume ATS score: 68 percent. Missing keywords: Design systems."_qs));
        QVERIFY(!window.property("_quillora_pendingAnnouncement").isValid() &&
                !window.property("_quillora_queuedAnnouncements").isValid());
        QCOMPARE(QAccessible::queryAccessibleInterface(score)->text(QAccessible::Name),
                 QStringLiteral("Resume ATS score, 68 percent"));
        QVERIFY(isInView(score));
        QStringList readOn;
        for (int i = 0; i < 6; ++i) {
            press(QApplication::focusWidget(), Qt::Key_Tab);
            readOn << nameOf(QApplication::focusWidget());
        }
        QCOMPARE(readOn,
                 (QStringList{u"Missing Keywords: Design systems"_qs, u"Suggestions"_qs, u"Name it."_qs,
                              u"Section Breakdown"_qs, u"Summary: 70 percent."_qs, u"Notes"_qs}));

        // The rewrite says what it changed: the summary, the skills switched on, the keywords.
        walked->setIncludeSkills(false);
        server.enqueue(test::LoopbackHttpServer::completion(QStringLiteral(
            "{\"summary\": \"Calm tools and design systems.\", \"experience\": [{\"role\": \"Designer\", "
            "\"company\": \"Globex\", \"details\": \"Drew design systems.\"}], \"skills\": [\"Figma\", "
            "\"Design systems\"], \"insertedKeywords\": [{\"keyword\": \"design systems\", \"section\": "
            "\"Summary\"}]}")));
        QWidget* rewrite = find(editor, "generateATSButton");
        rewrite->setFocus(Qt::TabFocusReason);
        press(rewrite, Qt::Key_Space);
        QTRY_VERIFY(saying(&window, u"ATS version created. The summary was replaced. Rewrote the details of "
                                    u"Designer. Skills switched on with 2 skills. Inserted keywords: design "
                                    u"systems (Summary)."_qs));
        QVERIFY(walked->includeSkills());

        // An experience and the education deleted, each confirmed: said once, the focus on the row
        // now in its place, else on Add.
        const auto deleteEntry = [&](const char* prefix, const char* alertName, QString said,
                                     const char* focusPrefix) {
            QWidget* trash = nullptr;
            for (QWidget* widget : editor->findChildren<QWidget*>())
                if (trash == nullptr && widget->isVisible() &&
                    widget->objectName().startsWith(QLatin1String(prefix)))
                    trash = widget;
            QVERIFY(trash);
            if (said.isEmpty()) // an experience row: its role and company
                said = u"Deleted experience “"_qs +
                       trash->parentWidget()->accessibleName().section(u", "_qs, 0, 1) + u"”."_qs;
            trash->setFocus(Qt::TabFocusReason);
            press(trash, Qt::Key_Space);
            QMessageBox* alert = nullptr;
            QTRY_VERIFY((alert = window.findChild<QMessageBox*>(QLatin1String(alertName))) != nullptr &&
                        alert->isVisible());
            alert->findChild<QAbstractButton*>(QStringLiteral("alertDeleteButton"))->click();
            QTRY_VERIFY2(saying(&window, said), qPrintable(said));
            // No window manager here hands the activation back as the alert closes.
            window.activateWindow();
            QTRY_VERIFY(window.isActiveWindow());
            QTRY_VERIFY2(QApplication::focusWidget() != nullptr &&
                             QApplication::focusWidget()->objectName().startsWith(QLatin1String(focusPrefix)),
                         qPrintable(label(QApplication::focusWidget())));
            QVERIFY(!nameOf(QApplication::focusWidget()).isEmpty());
        };
        deleteEntry("deleteExperienceButton", "deleteExperienceAlert", QString(), "experienceRow");
        deleteEntry("deleteEducationButton", "deleteEducationAlert",
                    u"Deleted education “BFA, Université de Montréal”."_qs, "addEducationButton");

        // The key removed from the list's help: said, the focus on the button under its new name.
        window.activateWindow();
        bool removed = false;
        list->setModalRunner([&](QDialog& sheet) {
            sheet.open();
            auto* key = sheet.findChild<QAbstractButton*>(QStringLiteral("openAIKeyActionButton"));
            if (key != nullptr && QTest::qWaitForWindowActive(&sheet)) {
                key->setFocus(Qt::TabFocusReason);
                press(key, Qt::Key_Space);
                removed =
                    QTest::qWaitFor([&] { return saying(&sheet, u"Removed the OpenAI API key."_qs); }) &&
                    QApplication::focusWidget() == key && nameOf(key) == u"Add OpenAI API Key"_qs;
            }
            sheet.close();
            return int(QDialog::Rejected);
        });
        QMetaObject::invokeMethod(
            list, [list] { list->openHelp(); }, Qt::QueuedConnection);
        QTRY_VERIFY(removed);
        QVERIFY(services.settings().openAIAPIKey().isEmpty());
        qunsetenv(OpenAIClient::baseURLVariable);
    }

    // An action whose control is disabled while it works (a push) ends in an alert: after OK the
    // focus is back on that control, not on the one Qt moved the focus to meanwhile.
    // Deleting the last résumé, its alert answered by keyboard or by the mouse, leaves the focus
    // on Add resume, with no screen reader listening as with one: never on the empty list.
    void deletingTheLastResumeFocusesAddResume() {
        for (const bool byKeyboard : {true, false}) {
            const QString folder = QDir::tempPath() + QStringLiteral("/last-resume-%1").arg(byKeyboard);
            QDir().mkpath(folder);
            auto container = ModelContainer::open(folder + QStringLiteral("/default.store"));
            QVERIFY(container.ok());
            Services services(std::move(container).value());
            services.appearance().setReduceMotionOverride(true);
            services.context().insert(makeNewResume());
            QVERIFY(services.context().save().ok());
            MainWindow window(services);
            auto* list = window.findChild<ResumeListView*>();
            window.resize(1024, 640);
            window.show();
            QVERIFY(QTest::qWaitForWindowActive(&window));
            ResumeCardList* cards = list->listView();
            QTRY_COMPARE(QApplication::focusWidget(), cards);
            QWidget* add = find(&window, "addResumeButton");
            QVERIFY(add);
            // The alert runs its own loop: it is answered from there once it has the keys.
            QTimer answer;
            connect(&answer, &QTimer::timeout, this, [&answer, byKeyboard] {
                auto* alert = QApplication::activeModalWidget();
                auto* confirm =
                    alert != nullptr
                        ? alert->findChild<QPushButton*>(QStringLiteral("confirmDeleteResumeButton"))
                        : nullptr;
                if (confirm == nullptr || !alert->isActiveWindow() || QApplication::focusWidget() == nullptr)
                    return;
                answer.stop();
                if (!byKeyboard) {
                    QTest::mouseClick(confirm, Qt::LeftButton);
                    return;
                }
                for (int tab = 0; tab < 4 && QApplication::focusWidget() != confirm; ++tab)
                    press(QApplication::focusWidget(), Qt::Key_Tab);
                press(QApplication::focusWidget(), Qt::Key_Space);
            });
            answer.start(20);
            press(cards, Qt::Key_Delete);
            QTRY_COMPARE(list->model()->rowCount(), 0);
            QVERIFY2(QTest::qWaitFor([add] { return QApplication::focusWidget() == add; }),
                     qPrintable(QStringLiteral("focus on ") + label(QApplication::focusWidget())));
            // It stays there while the window settles.
            QVERIFY2(!QTest::qWaitFor([add] { return QApplication::focusWidget() != add; }, 1000),
                     qPrintable(QStringLiteral("focus moved on to ") + label(QApplication::focusWidget())));
        }
    }

    void thePushAlertGivesTheFocusBackToThePushButton() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/push-focus.ini"));
        ResumePtr resume = test::makeFullResume();
        resume->setMorvessaRecordName(std::nullopt);
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        ResumeEditorView editor(resume, *services);
        auto cloud = std::make_shared<test::FakeCloud>();
        editor.actions().setCloudService(
            MorvessaCloudService([cloud] { return std::make_unique<test::FakeCloudDatabase>(cloud); }));
        editor.resize(1024, 640);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QWidget* push = find(&editor, "morvessaActionButton");
        QVERIFY(push);
        push->setFocus(Qt::TabFocusReason);
        QWidgetList before = QApplication::topLevelWidgets();
        press(push, Qt::Key_Space);
        QWidget* sheet = nullptr;
        QTRY_VERIFY((sheet = newWindow(before)) != nullptr);
        QWidget* confirm = find(sheet, "morvessaConfirmButton");
        QVERIFY(confirm);
        confirm->setFocus(Qt::TabFocusReason);
        press(confirm, Qt::Key_Space);
        QTRY_VERIFY_WITH_TIMEOUT(
            editor.actions().morvessaAlert() && editor.actions().morvessaAlert()->isVisible(), 60000);
        QCOMPARE(editor.actions().morvessaAlertMessage(), QStringLiteral("Resume pushed to Morvessa."));
        QVERIFY(QTest::qWaitForWindowActive(editor.actions().morvessaAlert()));
        press(QApplication::focusWidget(), Qt::Key_Return); // OK
        QVERIFY2(QTest::qWaitFor([push] { return QApplication::focusWidget() == push; }, 20000),
                 qPrintable(QStringLiteral("focus on ") + label(QApplication::focusWidget())));
        // A second Space acts on the same button again: Remove From Morvessa asks.
        before = QApplication::topLevelWidgets();
        press(push, Qt::Key_Space);
        QTRY_VERIFY((sheet = newWindow(before)) != nullptr);
        QVERIFY(find(sheet, "morvessaConfirmButton"));
        press(QApplication::focusWidget(), Qt::Key_Escape);
        QTRY_COMPARE(QApplication::focusWidget(), push);
    }

    // The font picker opens on the current font, shown whole and clear of the floating buttons,
    // whichever font and size; the floating buttons at its top are its first stops.
    void theFontPickerShowsItsChoiceClearOfTheFloatingButtons() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/font-view.ini"));
        const QList<FontOption>& fonts = fontPickerFonts();
        for (const QSize size : {QSize(1024, 640), QSize(600, 640), QSize(1920, 1080)}) {
            for (const qsizetype at : {qsizetype(0), fonts.size() / 2, fonts.size() - 1}) {
                const QString where = QStringLiteral("%1×%2 %3")
                                          .arg(size.width())
                                          .arg(size.height())
                                          .arg(fonts.at(at).fontName);
                FontPickerView picker(*services, fonts.at(at).fontName);
                picker.resize(size);
                picker.show();
                QVERIFY(QTest::qWaitForWindowActive(&picker));
                QWidget* current = picker.row(fonts.at(at).fontName);
                QVERIFY2(
                    QTest::qWaitFor([current] { return QApplication::focusWidget() == current; }, 20000),
                    qPrintable(where + QStringLiteral(": focus on ") + label(QApplication::focusWidget())));
                QVERIFY2(isInView(current), qPrintable(where));
                const QRect shown(current->mapTo(&picker, QPoint(0, 0)), current->size());
                QVERIFY2(picker.rect().contains(shown), qPrintable(where));
                for (const char* name : {"floatingHelpButton", "floatingCloseButton"}) {
                    QWidget* floating = find(&picker, name);
                    QVERIFY(floating);
                    QVERIFY2(
                        !QRect(floating->mapTo(&picker, QPoint(0, 0)), floating->size()).intersects(shown),
                        qPrintable(where + QStringLiteral(": under ") + QLatin1String(name)));
                }
                const QList<QWidget*> stops = tabStopsInScreenOrder(&picker);
                QVERIFY(stops.size() > 2);
                QCOMPARE(stops.at(0)->objectName(), QStringLiteral("floatingHelpButton"));
                QCOMPARE(stops.at(1)->objectName(), QStringLiteral("floatingCloseButton"));
                // Tab from the last font goes round to the top.
                stops.last()->setFocus(Qt::TabFocusReason);
                press(stops.last(), Qt::Key_Tab);
                QCOMPARE(QApplication::focusWidget(), stops.first());
                picker.close();
            }
        }
    }

    // The screen order is remembered between key presses: Tab follows every change of the window
    // at once, controls moved, added, hidden, shown, deleted and moved to another container.
    void tabFollowsEveryChangeOfTheScreen() {
        QWidget window;
        window.resize(400, 300);
        auto* box = new QWidget(&window);
        box->setGeometry(0, 100, 400, 100);
        const auto button = [](QWidget* parent, const QString& name, int x, int y) {
            auto* made = new QPushButton(name, parent);
            made->setObjectName(name);
            made->setGeometry(x, y, 60, 30);
            made->show();
            return made;
        };
        QPushButton* a = button(&window, QStringLiteral("a"), 10, 10);
        QPushButton* b = button(&window, QStringLiteral("b"), 100, 10);
        QPushButton* c = button(box, QStringLiteral("c"), 10, 10);
        QPushButton* d = button(box, QStringLiteral("d"), 100, 10);
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto tabRound = [](QWidget* from) {
            QStringList names;
            from->setFocus(Qt::TabFocusReason);
            for (int i = 0; i < 8; ++i) {
                names << QApplication::focusWidget()->objectName();
                press(QApplication::focusWidget(), Qt::Key_Tab);
                if (QApplication::focusWidget() == from)
                    break;
            }
            return names.join(QLatin1Char(' '));
        };
        QCOMPARE(tabRound(a), QStringLiteral("a b c d"));
        d->setFocus(Qt::TabFocusReason);
        press(d, Qt::Key_Backtab);
        QCOMPARE(QApplication::focusWidget(), c);
        // Moved: d now leads its line; b drops below the box.
        d->move(0, 10);
        c->move(200, 10);
        b->move(10, 250);
        QCOMPARE(tabRound(a), QStringLiteral("a d c b"));
        // Added, and hidden then shown again.
        QPushButton* e = button(box, QStringLiteral("e"), 300, 10);
        c->hide();
        QCOMPARE(tabRound(a), QStringLiteral("a d e b"));
        c->show();
        QCOMPARE(tabRound(a), QStringLiteral("a d c e b"));
        // A container hidden and shown with its controls rearranged meanwhile.
        box->hide();
        QCOMPARE(tabRound(a), QStringLiteral("a b"));
        e->move(0, 60);
        d->hide();
        box->show();
        QCOMPARE(tabRound(a), QStringLiteral("a c e b"));
        // Deleted, alone and with its container; moved to another container.
        delete c;
        QCOMPARE(tabRound(a), QStringLiteral("a e b"));
        e->setParent(&window);
        e->move(200, 10);
        e->show();
        QCOMPARE(tabRound(a), QStringLiteral("a e b"));
        delete box;
        b->move(300, 10);
        QCOMPARE(tabRound(a), QStringLiteral("a e b"));
        QCOMPARE(tabStopsInScreenOrder(&window), (QList<QWidget*>{a, e, b}));
    }

    // On a light desktop palette every ring is the light scheme's, on a dark one the dark
    // scheme's, where it stands at 3:1 against what it covers: in the editor (its stock fields drawn on a
    // clear background, the caption fields, the photos' remove buttons) and in the Help window.
    void everyRingComesFromTheSchemeInEffect() {
        const QString storePath = QDir::tempPath() + QStringLiteral("/rings/default.store");
        QDir().mkpath(QFileInfo(storePath).absolutePath());
        auto container = ModelContainer::open(storePath);
        QVERIFY(container.ok());
        Services services(std::move(container).value());
        services.appearance().setReduceMotionOverride(true);
        ResumePtr resume = test::makeFullResume();
        resume->setIncludeSkills(true);
        resume->setSuggestedSkills({QStringLiteral("Alpha: one")});
        resume->setPortfolioItems(landscapePhotos({Qt::red, Qt::blue}));
        services.context().insert(resume);
        QVERIFY(services.context().save().ok());
        QApplication::setPalette(schemePalette(true));
        MainWindow window(services);
        window.resize(1024, 640);
        window.show();
        QTRY_VERIFY_WITH_TIMEOUT(
            !find(&window, "introLogoOverlay") || !find(&window, "introLogoOverlay")->isVisible(), 20000);
        auto* cards = window.findChild<ResumeListView*>()->listView();
        cards->setFocus(Qt::TabFocusReason);
        press(cards, Qt::Key_Return); // the focused list stands on its first row
        QTRY_VERIFY(window.findChild<ResumeEditorView*>() &&
                    window.findChild<ResumeEditorView*>()->isVisible());
        for (QAbstractButton* button : window.findChildren<QAbstractButton*>()) {
            if (button->accessibleName() == QLatin1String("Edit Captions") && !button->isChecked())
                button->click();
        }
        const auto captions = [&window] {
            return window.findChildren<QLineEdit*>(
                QRegularExpression(QStringLiteral("^portfolioCaptionField")));
        };
        QTRY_VERIFY(captions().size() == 2 && captions().first()->isVisible());

        QStringList wrong;
        int fields = 0;
        const auto check = [&](QWidget* scope, const QString& screen) {
            for (const bool light : {true, false}) {
                QApplication::setPalette(schemePalette(light));
                QApplication::processEvents();
                const QList<QWidget*> stops = tabStopsInScreenOrder(scope);
                // The welcome tip leaves as the focus reaches a field under it.
                for (const QPointer<QWidget>& stop : QList<QPointer<QWidget>>(stops.cbegin(), stops.cend())) {
                    if (stop == nullptr || !stop->isVisible())
                        continue;
                    const RingColours ring = ringColours(stop);
                    const int own = light ? ring.light : ring.dark;
                    const int other = light ? ring.dark : ring.light;
                    fields += qobject_cast<QLineEdit*>(stop) != nullptr ? 1 : 0;
                    // A list marks its current row in the accent instead.
                    const bool list = qobject_cast<QAbstractItemView*>(stop) != nullptr;
                    // A few of the other's may be a caret in the text colour.
                    if ((own < 4 && !list) || other * 10 > own)
                        wrong << QStringLiteral("%1 (%2): %3, %4 pixels of its ring, %5 of the other's")
                                     .arg(screen, light ? u"light"_qs : u"dark"_qs, label(stop))
                                     .arg(own)
                                     .arg(other);
                }
            }
            QApplication::setPalette(schemePalette(true));
        };
        check(&window, QStringLiteral("editor"));
        QVERIFY2(fields >= 2 * 5, qPrintable(QString::number(fields))); // title, name, contact, two captions
        const QWidgetList shown = QApplication::topLevelWidgets();
        press(QApplication::focusWidget(), Qt::Key_F1);
        QWidget* help = nullptr;
        QVERIFY(QTest::qWaitFor([&] { return (help = newWindow(shown)) != nullptr; }, 20000));
        check(help, QStringLiteral("Help"));
        help->close();
        QVERIFY2(wrong.isEmpty(), qPrintable(wrong.join(QLatin1Char('\n'))));
    }
};

int main(int argc, char* argv[]) {
    quillora::test::IsolatedHome home;
    qputenv("QT_QPA_PLATFORM", quillora::test::offscreenPlatform(home.root(), {QRect(0, 0, 1024, 640)}));
    QApplication app(argc, argv);
    app.setAttribute(Qt::AA_Use96Dpi, true);
    KeyboardWalkTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_keyboard_walk.moc"
