#include "app/content_view.h"
#include "app/empty_resume_view.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "controls/frosted_card.h"
#include "controls/opacity_transition.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "store/model_context.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QGraphicsOpacityEffect>
#include <QLineEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;

namespace {

// The card's steps at a fraction of their real length.
ResumeTipTiming fastTiming() {
    ResumeTipTiming timing;
    timing.fadeInDuration = 10;
    timing.scrollStartDelay = 10;
    timing.fadeOutDuration = 40;
    timing.fadeOutPause = 5;
    timing.scrollInterval = 1;
    return timing;
}

std::unique_ptr<ResumeTipView> shownTip(Appearance& appearance, ResumeTipTiming timing = fastTiming(),
                                        int width = 700) {
    auto tip = std::make_unique<ResumeTipView>(appearance, nullptr, timing);
    tip->setShowLogo(true);
    tip->resize(width, 600);
    tip->show();
    return tip;
}

void drag(QWidget* window, int distance) {
    const QPoint start(window->width() / 2, 100);
    QTest::mousePress(window, Qt::LeftButton, {}, start);
    QMouseEvent move(QEvent::MouseMove, QPointF(start + QPoint(0, distance)),
                     window->mapToGlobal(QPointF(start + QPoint(0, distance))), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(window, &move);
    QTest::mouseRelease(window, Qt::LeftButton, {}, start + QPoint(0, distance));
}

// A window with the card over a field (`under`) and a field beside it, shown and active, the
// card fully in.
struct TipOverFields {
    QWidget window;
    QLineEdit* beside = nullptr;
    QLineEdit* under = nullptr;
    ResumeTipView* tip = nullptr;

    TipOverFields(Appearance& appearance, ResumeTipTiming timing) {
        window.resize(700, 760);
        beside = new QLineEdit(&window);
        beside->setGeometry(10, 700, 200, 30);
        under = new QLineEdit(&window);
        tip = new ResumeTipView(appearance, &window, timing);
        tip->setGeometry(0, 0, 700, 600);
        tip->setShowLogo(true);
        under->setGeometry(QRect(tip->card()->geometry().center(), QSize(100, 30)));
        tip->raise();
    }

    bool show() {
        window.show();
        window.activateWindow();
        return QTest::qWaitForWindowActive(&window);
    }
};

} // namespace

class ResumeTipTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/tip.ini"));
    Appearance& m_appearance = m_services->appearance();

private slots:
    void init() { m_appearance.setReduceMotionOverride(false); }
    void cleanupTestCase() { m_appearance.setReduceMotionOverride(std::nullopt); }

    void cardIdentifiersAndSizes() {
        ResumeTipView tip(m_appearance);
        QCOMPARE(tip.card()->objectName(), QStringLiteral("resumeTipCard"));
        QCOMPARE(tip.dismissButton()->objectName(), QStringLiteral("dismissResumeTipButton"));
        QCOMPARE(tip.dismissButton()->accessibleName(), QStringLiteral("Dismiss welcome message"));
        QCOMPARE(tip.dismissButton()->accessibleDescription(), QStringLiteral("Closes the onboarding tip"));
        QVERIFY(tip.welcomeText().startsWith(QStringLiteral("Welcome to Quillora, your personal")));
        QVERIFY(tip.welcomeText().endsWith(QStringLiteral("Thank you for using Quillora! ❤️")));
        QCOMPARE(tip.welcomeText().count(QStringLiteral("\n\n")), 4);

        QCOMPARE(ResumeTipView::tipCardMaxWidth(320), 520.0);
        QCOMPARE(ResumeTipView::tipCardMaxWidth(1800), 980.0);
        QCOMPARE(ResumeTipView::tipCardMaxWidth(2400), 980.0);
        QCOMPARE(ResumeTipView::tipHorizontalPadding(375), 28.0);
        QCOMPARE(ResumeTipView::tipHorizontalPadding(1440), 56.0);
    }

    void scrollsToTheEndThenFadesAndEnds() {
        auto tip = shownTip(m_appearance);
        QSignalSpy dismissed(tip.get(), &ResumeTipView::dismissed);
        QVERIFY(tip->contentHeight() > ResumeTipView::visibleTextHeight);
        const qreal maxOffset = tip->contentHeight() - ResumeTipView::visibleTextHeight;

        QTRY_VERIFY_WITH_TIMEOUT(tip->isAutoScrolling(), 20000);
        QTRY_VERIFY_WITH_TIMEOUT(tip->scrollOffset() < -1, 20000);
        // Each tick moves the text 0.3 points up.
        const qreal steps = -tip->scrollOffset() / ResumeTipView::scrollStep;
        QVERIFY(std::abs(steps - std::round(steps)) < 1e-6 || tip->scrollOffset() == -maxOffset);

        QTRY_VERIFY_WITH_TIMEOUT(tip->hasStartedFadeOut(), 20000);
        QCOMPARE(tip->scrollOffset(), -maxOffset);
        QVERIFY(!tip->isAutoScrolling());
        QTRY_COMPARE_WITH_TIMEOUT(dismissed.count(), 1, 20000);
        QTRY_COMPARE(tip->tipOpacity(), 0.0);
    }

    void shortTextFadesWithoutScrolling() {
        auto tip = shownTip(m_appearance, {50, 10, 20, 5, 1});
        // A window taller than the text: nothing to scroll, the fade comes right after the wait.
        tip->startAutoScroll(10000);
        std::optional<qreal> offsetAtEnd;
        connect(tip.get(), &ResumeTipView::dismissed, this, [&] { offsetAtEnd = tip->scrollOffset(); });
        QTRY_VERIFY_WITH_TIMEOUT(offsetAtEnd.has_value(), 20000);
        QCOMPARE(*offsetAtEnd, 0.0);
        QVERIFY(!tip->isAutoScrolling());
    }

    void dragHandsTheTextToTheUser() {
        auto tip = shownTip(m_appearance);
        QSignalSpy dismissed(tip.get(), &ResumeTipView::dismissed);
        QTRY_VERIFY_WITH_TIMEOUT(tip->scrollOffset() < -3, 20000);

        drag(tip->textWindow(), 6); // under 10 points: the scroll goes on
        QVERIFY(!tip->userDisabledAutoScroll());
        QVERIFY(tip->isAutoScrolling());

        drag(tip->textWindow(), -40);
        QVERIFY(tip->userDisabledAutoScroll());
        QVERIFY(!tip->isAutoScrolling());
        QCOMPARE(tip->scrollOffset(), 0.0);
        QVERIFY(tip->textWindow()->userOffset() < 0); // moved by hand instead

        // Later steps find the user in charge and do nothing.
        tip->beginFadeOut();
        QVERIFY(!tip->hasStartedFadeOut());
        QTest::qWait(100);
        QCOMPARE(dismissed.count(), 0);
        QCOMPARE(tip->tipOpacity(), 1.0);
    }

    // A keyboard user who Tabs into the card is reading it: it stops scrolling and stays, and its
    // text scrolls with the keys instead.
    void aKeyFocusHandsTheCardToTheUser() {
        auto tip = shownTip(m_appearance);
        tip->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(tip.get()));
        QTRY_VERIFY_WITH_TIMEOUT(tip->scrollOffset() < -3, 20000);
        TipTextWindow* text = tip->textWindow();
        text->setFocus(Qt::TabFocusReason);
        QVERIFY(tip->userDisabledAutoScroll());
        QVERIFY(!tip->isAutoScrolling());
        QCOMPARE(tip->scrollOffset(), 0.0);
        QTest::keyClick(text, Qt::Key_PageDown);
        QVERIFY(text->userOffset() < 0);
        QTest::keyClick(text, Qt::Key_End);
        QCOMPARE(text->userOffset(), text->height() - text->measuredHeight());
        QTest::keyClick(text, Qt::Key_Home);
        QCOMPARE(text->userOffset(), 0.0);
        tip->beginFadeOut();
        QVERIFY(!tip->hasStartedFadeOut());
    }

    // The key's hold lasts while the focus stays in the card: once it moves on, the card fades
    // out and goes as it does for one who never took it (a drag's hold stays). Whenever the focus
    // lands on a control the card lies over, the card leaves at once.
    void theCardFadesOnceTheFocusMovesOnAndNeverCoversIt() {
        for (const bool dragged : {false, true}) {
            TipOverFields fields(m_appearance, {10, 10, 200, 5, 1});
            auto* const tip = fields.tip;
            QLineEdit* const beside = fields.beside;
            QLineEdit* const under = fields.under;
            QSignalSpy dismissed(tip, &ResumeTipView::dismissed);
            QVERIFY(fields.show());
            QTRY_COMPARE(tip->visibleOpacity(), 1.0);
            tip->textWindow()->setFocus(Qt::TabFocusReason);
            if (dragged)
                drag(tip->textWindow(), -40);
            QVERIFY(tip->userDisabledAutoScroll());
            // Back and forth inside the card keeps it.
            tip->dismissButton()->setFocus(Qt::TabFocusReason);
            QVERIFY(!tip->hasStartedFadeOut());
            beside->setFocus(Qt::TabFocusReason);
            QCOMPARE(tip->hasStartedFadeOut(), !dragged);
            if (dragged) {
                QTest::qWait(300);
                QCOMPARE(dismissed.count(), 0);
            } else {
                QTRY_COMPARE(dismissed.count(), 1);
                continue;
            }
            // A card kept by a drag still gives way to a control the focus lands on under it.
            under->setFocus(Qt::TabFocusReason);
            QCOMPARE(dismissed.count(), 1);
        }
        // A key that comes back during the fade takes the card again, and the fade's end no
        // longer ends it; nor does the card, running by itself, cover the control the focus
        // reaches under it.
        TipOverFields fields(m_appearance, {10, 10, 150, 5, 1});
        auto* const tip = fields.tip;
        QLineEdit* const beside = fields.beside;
        QLineEdit* const under = fields.under;
        QSignalSpy dismissed(tip, &ResumeTipView::dismissed);
        QVERIFY(fields.show());
        QTRY_COMPARE(tip->visibleOpacity(), 1.0);
        tip->textWindow()->setFocus(Qt::TabFocusReason);
        beside->setFocus(Qt::TabFocusReason);
        QVERIFY(tip->hasStartedFadeOut());
        QTest::qWait(60);
        tip->textWindow()->setFocus(Qt::BacktabFocusReason);
        QCOMPARE(tip->tipOpacity(), 1.0);
        QElapsedTimer fading;
        fading.start();
        beside->setFocus(Qt::TabFocusReason);
        QTRY_COMPARE(dismissed.count(), 1);
        QVERIFY(fading.elapsed() >= 145); // the whole second fade, not what was left of the first
        dismissed.clear();
        tip->stopAutoScroll();
        under->setFocus(Qt::MouseFocusReason);
        QCOMPARE(dismissed.count(), 1);
    }

    void dragDuringTheFadeBringsTheCardBack() {
        auto tip = shownTip(m_appearance, {50, 10, 200, 5, 1});
        QSignalSpy dismissed(tip.get(), &ResumeTipView::dismissed);
        tip->startAutoScroll(10000); // straight to the fade
        QTRY_VERIFY_WITH_TIMEOUT(tip->hasStartedFadeOut() && tip->tipOpacity() < 1.0, 20000);
        drag(tip->textWindow(), 30);
        QCOMPARE(tip->tipOpacity(), 1.0);
        QVERIFY(!tip->hasStartedFadeOut());
        QTest::qWait(300);
        QCOMPARE(dismissed.count(), 0);
    }

    void reduceMotionNeverScrollsOrFades() {
        m_appearance.setReduceMotionOverride(true);
        auto tip = shownTip(m_appearance);
        QSignalSpy dismissed(tip.get(), &ResumeTipView::dismissed);
        QCOMPARE(tip->visibleOpacity(), 1.0); // shown at once
        QTest::qWait(150);
        QVERIFY(!tip->isAutoScrolling());
        QCOMPARE(tip->scrollOffset(), 0.0);
        QCOMPARE(dismissed.count(), 0);
        tip->dismissButton()->click();
        QCOMPARE(dismissed.count(), 1);
    }

    void unmeasuredTextNeverScrolls() {
        ResumeTipView tip(m_appearance, nullptr, fastTiming());
        QCOMPARE(tip.contentHeight(), 0.0);
        tip.startAutoScroll(ResumeTipView::visibleTextHeight);
        QTest::qWait(60);
        QVERIFY(!tip.isAutoScrolling());
        QVERIFY(!tip.hasStartedFadeOut());
    }

    void nothingFiresOnceTheCardIsGone() {
        auto tip = shownTip(m_appearance);
        QTRY_VERIFY_WITH_TIMEOUT(tip->isAutoScrolling(), 20000);
        QPointer<ResumeTipView> guard = tip.get();
        tip.reset();
        QTest::qWait(100); // a pending step or tick here would touch freed memory
        QVERIFY(!guard);
    }

    void listShowsTheTipOverAnEmptyListUntilCreate() {
        Services services(std::move(ModelContainer::inMemory()).value());
        ResumeListView list(services, UserInterfaceIdiom::other);
        list.setTipTiming(fastTiming());
        list.setLogoRevealDelay(20);
        list.resize(420, 760);
        list.show();
        QVERIFY(list.showTip());
        QPointer<ResumeTipView> tip = list.tipView();
        QVERIFY(tip);
        QCOMPARE(tip->visibleOpacity(), 0.0);                       // waits for the logo
        QCOMPARE(tip->dismissButton()->focusPolicy(), Qt::NoFocus); // and takes no focus unseen
        QTRY_VERIFY_WITH_TIMEOUT(tip->showLogo(), 20000);
        QTRY_VERIFY(tip->dismissButton()->focusPolicy() & Qt::TabFocus);

        list.createNewResume();
        QVERIFY(!list.showTip());
        QTRY_VERIFY(!tip);

        // The pad idiom's list never shows it: the detail column does.
        Services padServices(std::move(ModelContainer::inMemory()).value());
        ResumeListView pad(padServices, UserInterfaceIdiom::pad);
        pad.show();
        QVERIFY(!pad.tipView());
    }

    void detailColumnTipKeepsItsInsetWhereItFitsAndStaysInside() {
        Services services(std::move(ModelContainer::inMemory()).value());
        ContentView content(services, UserInterfaceIdiom::pad);
        content.resize(1300, 700);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        ResumeTipView* tip = content.tipView();
        QVERIFY(tip);
        QVERIFY(tip->showLogo());
        const QWidget* column = content.findChild<QWidget*>(QStringLiteral("detailColumn"));
        const auto cardIn = [&](const QWidget* widget) {
            return QRect(widget->mapTo(column, QPoint(0, 0)), widget->size());
        };
        // Wide and tall enough: the card keeps 120 points from every edge of the column, and
        // only the card takes clicks.
        QCOMPARE(tip->preferredInset(), 120);
        QVERIFY(column->rect().adjusted(120, 120, -120, -120).contains(cardIn(tip->card())));
        QCOMPARE(tip->mask().boundingRect(), tip->card()->geometry());
        QCOMPARE(tip->textWindow()->height(), int(ResumeTipView::visibleTextHeight));

        // Wide but short (a 1180 by 520 window): the inset gives way, the card stays whole inside
        // the column with its dismiss button, and the text window keeps its 220 points.
        content.resize(1180, 494);
        QTRY_VERIFY(column->rect().contains(cardIn(tip->card())));
        QVERIFY(cardIn(tip->card()).contains(cardIn(tip->dismissButton())));
        QCOMPARE(tip->textWindow()->height(), int(ResumeTipView::visibleTextHeight));

        // Shorter than the card: the text window gives up height, never the card's top.
        content.resize(900, 280);
        QTRY_VERIFY(column->rect().contains(cardIn(tip->card())));
        QVERIFY(tip->textWindow()->height() < int(ResumeTipView::visibleTextHeight));
        QVERIFY(cardIn(tip->card()).contains(cardIn(tip->dismissButton())));

        // Taller than wide: no inset is asked for.
        content.resize(700, 900);
        QTRY_COMPARE(tip->preferredInset(), 0);
        QVERIFY(column->rect().contains(cardIn(tip->card())));

        tip->dismissButton()->click();
        QVERIFY(!content.shouldShowTip());
        QTRY_VERIFY(!content.tipView());
    }

    void aDismissedCardFadesOutThenGoes() {
        for (const bool reduceMotion : {false, true}) {
            Services services(std::move(ModelContainer::inMemory()).value());
            services.appearance().setReduceMotionOverride(reduceMotion);
            ContentView content(services, UserInterfaceIdiom::pad);
            content.resize(1100, 700);
            content.show();
            QVERIFY(QTest::qWaitForWindowExposed(&content));
            QPointer<ResumeTipView> tip = content.tipView();
            QVERIFY(tip);
            QTRY_VERIFY(tip->visibleOpacity() > 0);
            tip->dismissButton()->click();
            // The owner's flag goes at once; the card fades with the default animation.
            QVERIFY(!content.shouldShowTip());
            QVERIFY(!content.tipView());
            QCOMPARE(tip->isVisible(), !reduceMotion);
            if (!reduceMotion) {
                QVERIFY(tip->isLeaving());
                QCOMPARE(tip->leaveAnimation().state(), QAbstractAnimation::Running);
                QCOMPARE(tip->leaveAnimation().duration(), defaultAnimationMs);
                QCOMPARE(tip->leaveAnimation().easingCurve().type(), defaultAnimationEasing);
                QVERIFY(tip->testAttribute(Qt::WA_TransparentForMouseEvents));
            }
            QTRY_VERIFY(!tip);
        }
    }

    void cardIsTranslucentWhereItHasRoomAndNearlyOpaqueInShortAreas() {
        Services services(std::move(ModelContainer::inMemory()).value());
        ContentView content(services, UserInterfaceIdiom::pad);
        content.resize(1300, 760);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        ResumeTipView* tip = content.tipView();
        QVERIFY(tip);
        auto* card = qobject_cast<FrostedCard*>(tip->card());
        QVERIFY(card);
        for (const bool light : {true, false}) {
            services.appearance().setLightOverride(light);
            content.resize(1300, 760);
            QTRY_VERIFY(tip->usesMaterial());
            QCOMPARE(card->fill(), std::nullopt);
            content.resize(900, 280);
            QTRY_VERIFY(!tip->usesMaterial());
            QVERIFY(card->fill().has_value());
            QVERIFY(card->fill()->alpha() >= 248);
        }
        // Over an open editor the card stays nearly opaque, whatever the room.
        content.resize(1300, 760);
        QTRY_VERIFY(tip->usesMaterial());
        auto resume = test::makeEmptyResume(QStringLiteral("Under the tip"));
        services.context().insert(resume);
        content.receiveSelectResumeNotification(resume);
        QVERIFY(!tip->usesMaterial());
        QVERIFY(card->fill().has_value());
        services.appearance().setLightOverride(std::nullopt);
    }

    void escapeDismissesAndThePlaceholderCardGivesWay() {
        Services services(std::move(ModelContainer::inMemory()).value());
        ContentView content(services, UserInterfaceIdiom::pad);
        content.resize(1300, 700);
        content.show();
        QVERIFY(QTest::qWaitForWindowExposed(&content));
        content.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&content));
        QPointer<ResumeTipView> tip = content.tipView();
        QVERIFY(tip);
        // While the tip lies over the placeholder, the placeholder's card is drawn as much
        // fainter as the tip is opaque, so their texts never mix.
        auto* placeholder = qobject_cast<ThemedEmptyResumeView*>(content.detailWidget());
        QVERIFY(placeholder);
        QTRY_VERIFY(tip->visibleOpacity() > 0);
        const auto placeholderOpacity = [&] {
            auto* effect = qobject_cast<QGraphicsOpacityEffect*>(placeholder->card()->graphicsEffect());
            return effect == nullptr ? 1.0 : (placeholder->card()->isVisible() ? effect->opacity() : 0.0);
        };
        QVERIFY(qAbs(placeholderOpacity() - (1.0 - tip->visibleOpacity())) < 0.02);

        QTest::keyClick(&content, Qt::Key_Escape);
        QVERIFY(!content.shouldShowTip());
        // As the tip fades out, the placeholder's card fades in.
        QVERIFY(tip && tip->isLeaving());
        QVERIFY(qAbs(placeholderOpacity() - (1.0 - tip->visibleOpacity())) < 0.02);
        QTRY_VERIFY(!tip);
        QCOMPARE(placeholderOpacity(), 1.0);
    }
};

QUILLORA_TEST_MAIN(ResumeTipTest)
#include "test_resume_tip.moc"
