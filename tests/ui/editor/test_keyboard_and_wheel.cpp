#include "ai/openai_client.h"
#include "app/about_window.h"
#include "app/app_look.h"
#include "app/services.h"
#include "controls/floating_buttons.h"
#include "controls/focus_ring.h"
#include "controls/screen_order_focus.h"
#include "controls/window_rules.h"
#include "editor/entry_editors.h"
#include "editor/font_picker_view.h"
#include "editor/portfolio_card.h"
#include "editor/portfolio_rows.h"
#include "editor/resume_editor_view.h"
#include "editor/skill_chip.h"
#include "help/help_sheet_container.h"
#include "model/experience.h"
#include "output/share_dialog.h"
#include "output/template_classic.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDir>
#include <QDrag>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWheelEvent>

using namespace quillora;
using quillora::test::LoopbackHttpServer;

// The editor by keyboard and mouse wheel as a desktop user works it: every control that takes
// focus shows it, the wheel scrolls the page rather than changing a control the pointer happens
// to be over, focus and scroll stay put across an action, and the entry sheets answer Return and
// Escape.

namespace {

// The room around a control where its ring stands: that of a text, set outside it.
QMargins ringRoom(const QWidget* control) {
    const bool outside =
        hasFocusRing(control) &&
        control->findChild<QWidget*>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly) == nullptr;
    return outside ? QMargins(4, 4, 4, 4) : QMargins();
}

// How many pixels of the control and the room around it (where a text's ring stands), as seen in
// its window, change when it takes focus.
int pixelsChangedByFocus(QWidget* control) {
    QWidget* window = control->window();
    const auto seen = [control, window] {
        return window
            ->grab(
                QRect(control->mapTo(window, QPoint(0, 0)), control->size()).marginsAdded(ringRoom(control)))
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    };
    control->clearFocus();
    QApplication::processEvents();
    const QImage before = seen();
    control->setFocus(Qt::TabFocusReason);
    QApplication::processEvents();
    const QImage after = seen();
    control->clearFocus();
    if (before.size() != after.size())
        return 0;
    int changed = 0;
    for (int y = 0; y < before.height(); ++y) {
        for (int x = 0; x < before.width(); ++x) {
            const QRgb a = before.pixel(x, y);
            const QRgb b = after.pixel(x, y);
            const int difference = std::max({std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)),
                                             std::abs(qBlue(a) - qBlue(b))});
            if (difference >= 60)
                ++changed;
        }
    }
    return changed;
}

// Controls reachable with Tab under `root` that show nothing when they take focus.
QStringList controlsWithoutVisibleFocus(QWidget* root, QScrollArea* page) {
    QStringList silent;
    for (QWidget* control : root->findChildren<QWidget*>()) {
        if (!control->isVisible() || !control->isEnabled() || !(control->focusPolicy() & Qt::TabFocus) ||
            control->focusProxy() != nullptr)
            continue;
        // A text area shows its caret; a scroll area inside the page is no stop of its own.
        if (qobject_cast<QAbstractScrollArea*>(control) != nullptr &&
            qobject_cast<QPlainTextEdit*>(control) == nullptr &&
            qobject_cast<QAbstractItemView*>(control) == nullptr) {
            if (control != page)
                silent << control->objectName() + QStringLiteral(" (a scroll area)");
            continue;
        }
        if (page != nullptr)
            page->ensureWidgetVisible(control);
        // The caret after the text, where it does not fall on a letter's stem.
        if (auto* text = qobject_cast<QPlainTextEdit*>(control))
            text->moveCursor(QTextCursor::End);
        // A caret is a thin line; any other control shows a ring, a solid one of some length.
        const bool text =
            qobject_cast<QLineEdit*>(control) != nullptr || qobject_cast<QPlainTextEdit*>(control) != nullptr;
        if (pixelsChangedByFocus(control) < (text ? 12 : 80)) {
            const QString name =
                control->objectName().isEmpty() ? control->accessibleName() : control->objectName();
            silent << QStringLiteral("%1 (%2)").arg(name,
                                                    QString::fromLatin1(control->metaObject()->className()));
        }
    }
    return silent;
}

} // namespace

class KeyboardAndWheelTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services =
        Services::forTesting(QDir::tempPath() + QStringLiteral("/keys.ini"));

    ResumePtr storedResume() {
        ResumePtr resume = test::makeFullResume();
        resume->setIncludeSkills(true);
        resume->setSuggestedSkills(
            {QStringLiteral("Alpha: one"), QStringLiteral("Beta: two"), QStringLiteral("Gamma: three")});
        resume->setIncludeATSVersion(true);
        resume->setAtsJobPosting(QStringLiteral("Senior engineer, C++ and Qt."));
        resume->setPortfolioItems(
            {std::make_shared<PortfolioItem>(QUuid::createUuid(), quillora::test::encodedImage(Qt::red),
                                             QString(), 0, PortfolioImageOrientation::portrait),
             std::make_shared<PortfolioItem>(QUuid::createUuid(), quillora::test::encodedImage(Qt::white),
                                             QString(), 1, PortfolioImageOrientation::landscape)});
        m_services->context().insert(resume);
        if (!m_services->context().save().ok())
            qFatal("store");
        return resume;
    }

private slots:
    void initTestCase() {
        m_services->appearance().setReduceMotionOverride(true);
        m_services->context().setAutosaveEnabled(false);
        installAppLook(*qApp);
        installWindowRules(*qApp);
    }

    void everyFocusableControlShowsFocusInBothSchemes() {
        ResumePtr resume = storedResume();
        ResumeEditorView editor(resume, *m_services);
        editor.resize(900, 700);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* card = editor.findChild<PortfolioCard*>();
        QVERIFY(card);
        QTRY_COMPARE(card->pickerItems().size(), 2);
        auto* captions = editor.findChild<QAbstractButton*>(QStringLiteral("editCaptionsDisclosure"));
        QVERIFY(captions);
        captions->click();
        QTRY_VERIFY(card->captionsExpanded());
        for (const bool light : {true, false}) {
            m_services->appearance().setLightOverride(light);
            const QStringList silent = controlsWithoutVisibleFocus(&editor, editor.scrollArea());
            QVERIFY2(silent.isEmpty(),
                     qPrintable((light ? QStringLiteral("light: ") : QStringLiteral("dark: ")) +
                                silent.join(QStringLiteral(", "))));
        }

        // The font rows, none of them selected yet.
        FontPickerView fonts(*m_services, QString(), &editor);
        fonts.show();
        QVERIFY(QTest::qWaitForWindowActive(&fonts));
        QTRY_VERIFY(fonts.isAncestorOf(QApplication::focusWidget())); // the window's first focus
        for (const bool light : {true, false}) {
            m_services->appearance().setLightOverride(light);
            QStringList silent;
            QTRY_VERIFY2((silent = controlsWithoutVisibleFocus(&fonts, fonts.scrollArea())).isEmpty(),
                         qPrintable(silent.join(QStringLiteral(", "))));
        }
        fonts.close();

        // The preview's tools (with a language chosen, so Translate is on), About and the share
        // dialog.
        TemplateClassic preview(resume, *m_services);
        preview.chooseLanguage(QStringLiteral("fr"));
        AboutWindow about(*m_services);
        ShareDialog share({QDir::temp().filePath(QStringLiteral("focus.pdf"))}, m_services->appearance());
        for (QWidget* window : {static_cast<QWidget*>(&preview), static_cast<QWidget*>(&about),
                                static_cast<QWidget*>(&share)}) {
            window->show();
            QVERIFY(QTest::qWaitForWindowActive(window));
            QTRY_VERIFY(window->isAncestorOf(QApplication::focusWidget()));
            for (const bool light : {true, false}) {
                m_services->appearance().setLightOverride(light);
                QStringList silent;
                QTRY_VERIFY2((silent = controlsWithoutVisibleFocus(window, window->findChild<QScrollArea*>()))
                                 .isEmpty(),
                             qPrintable(window->objectName() + QStringLiteral(": ") +
                                        silent.join(QStringLiteral(", "))));
            }
            window->close();
        }
        m_services->appearance().setLightOverride(std::nullopt);
    }

    void tabFollowsTheScreenAfterAddsAndMoves() {
        ResumePtr resume = storedResume();
        ResumeEditorView editor(resume, *m_services);
        editor.resize(1024, 640);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QTest::qWait(0); // the window's first focus, given once it is active, as a user would see it
        auto* card = editor.findChild<PortfolioCard*>();
        QTRY_COMPARE(card->pickerItems().size(), 2);

        // An experience saved, the photos swapped and the captions opened, all with the editor open.
        editor.addExperience();
        QVERIFY(editor.pendingExperience());
        editor.pendingExperience()->setCompany(QStringLiteral("Late Ltd"));
        editor.commitExperience(editor.pendingExperience());
        editor.experienceSheet()->reject();
        editor.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        const QUuid first = card->pickerItems().at(0).id;
        const QUuid second = card->pickerItems().at(1).id;
        card->setDragRunner([card, second](QDrag&) { card->dragEntered(second); });
        card->beginDrag(first, card->reorderCells().first());
        QCOMPARE(card->pickerItems().at(0).id, second);
        auto* captions = editor.findChild<QAbstractButton*>(QStringLiteral("editCaptionsDisclosure"));
        editor.scrollArea()->ensureWidgetVisible(captions);
        captions->setFocus(Qt::TabFocusReason);
        QTest::keyClick(captions, Qt::Key_Space);
        QTRY_VERIFY(card->captionsExpanded());
        QApplication::processEvents();

        // The captions are the next stops; a space typed into one stays there.
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget()->objectName(),
                 QStringLiteral("portfolioCaptionField") + portfolioIdText(second));
        QTest::keyClicks(QApplication::focusWidget(), QStringLiteral("A bridge"));
        QCOMPARE(qobject_cast<QLineEdit*>(QApplication::focusWidget())->text(), QStringLiteral("A bridge"));

        // One full round of Tab from the top: every stop once, never back up the page.
        const QList<QWidget*> stops = tabStopsInScreenOrder(&editor);
        QVERIFY(stops.size() > 30);
        stops.first()->setFocus(Qt::TabFocusReason);
        QWidget* page = editor.scrollArea()->widget();
        QList<QWidget*> visited{stops.first()};
        for (int i = 1; i < stops.size(); ++i) {
            QWidget* before = QApplication::focusWidget();
            QTest::keyClick(before, Qt::Key_Tab);
            QWidget* now = QApplication::focusWidget();
            QVERIFY2(now != nullptr && !visited.contains(now), qPrintable(before->objectName()));
            visited << now;
            if (!page->isAncestorOf(now))
                continue; // the floating help button, last
            if (page->isAncestorOf(before)) {
                const QRect from(before->mapTo(page, QPoint(0, 0)), before->size());
                const QRect to(now->mapTo(page, QPoint(0, 0)), now->size());
                QVERIFY2(to.center().y() >= from.top(),
                         qPrintable(before->objectName() + QStringLiteral(" → ") + now->objectName()));
            }
            // Each stop scrolled into view as Tab reaches it.
            const QRect seen(now->mapTo(editor.scrollArea()->viewport(), QPoint(0, 0)), now->size());
            QVERIFY2(editor.scrollArea()->viewport()->rect().intersects(seen), qPrintable(now->objectName()));
        }
        QCOMPARE(visited.size(), stops.size());
        QVERIFY(visited.contains(
            editor.findChild<QWidget*>(QStringLiteral("portfolioCaptionField") + portfolioIdText(first))));
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), stops.first());
    }

    void theCaretStaysInViewWhileTyping() {
        ResumeEditorView editor(storedResume(), *m_services);
        editor.resize(1024, 640);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* posting = editor.findChild<QPlainTextEdit*>(QStringLiteral("atsJobPostingEditor"));
        QVERIFY(posting);
        posting->setFocus(Qt::TabFocusReason);
        posting->moveCursor(QTextCursor::End);
        QWidget* viewport = editor.scrollArea()->viewport();
        const auto caretSeen = [posting, viewport] {
            const QRect caret = posting->cursorRect();
            return viewport->rect().contains(
                QRect(posting->viewport()->mapTo(viewport, caret.topLeft()), caret.size()));
        };
        QTRY_VERIFY(caretSeen());
        for (int line = 0; line < 40; ++line) {
            QTest::keyClicks(posting, QStringLiteral("Requirement %1").arg(line));
            QTest::keyClick(posting, Qt::Key_Return);
            QTest::qWait(5); // the box grows, the page lays out
            QTRY_VERIFY2(caretSeen(), qPrintable(QString::number(line)));
        }
        QVERIFY(posting->height() > viewport->height()); // the box outgrew the window
        // Back up to the top of the box.
        QTest::keyClick(posting, Qt::Key_Home, Qt::ControlModifier);
        QTRY_VERIFY(caretSeen());
    }

    void theCardsScrollClearOfTheHelpButton() {
        ResumeEditorView editor(storedResume(), *m_services);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* help = editor.findChild<FloatingHelpButton*>();
        QVERIFY(help);
        QScrollBar* bar = editor.scrollArea()->verticalScrollBar();
        for (const QSize size : {QSize(1024, 640), QSize(560, 640)}) {
            editor.resize(size);
            QApplication::processEvents();
            for (const int value : {bar->maximum() / 2, bar->maximum()}) {
                bar->setValue(value);
                QApplication::processEvents();
                for (QWidget* card : editor.findChild<QWidget*>(QStringLiteral("editorSections"))
                                         ->findChildren<QWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
                    const QRect at(card->mapTo(&editor, QPoint(0, 0)), card->size());
                    QVERIFY2(!card->isVisible() || !at.intersects(help->glyphFrame()),
                             qPrintable(card->objectName()));
                }
            }
        }
    }

    void theWheelScrollsThePageOverAnUnfocusedPicker() {
        ResumeEditorView editor(storedResume(), *m_services);
        editor.resize(900, 700);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        auto* shapes = editor.findChild<QComboBox*>(QStringLiteral("backgroundShapePicker"));
        QVERIFY(shapes);
        QScrollBar* bar = editor.scrollArea()->verticalScrollBar();
        editor.scrollArea()->ensureWidgetVisible(shapes, 0, 300);
        QApplication::processEvents();
        shapes->clearFocus();
        const int index = shapes->currentIndex();
        const int scrolled = bar->value();
        QVERIFY(scrolled > 0);

        // One notch as Qt delivers one from the mouse: to the widget under the pointer, then up
        // its parents while it is not accepted (a wheel event sent from code does not travel).
        const auto wheel = [shapes](int steps) {
            const QPoint spot = shapes->mapToGlobal(shapes->rect().center());
            for (QWidget* target = shapes; target != nullptr;
                 target = target->isWindow() ? nullptr : target->parentWidget()) {
                const QPointF at = target->mapFromGlobal(QPointF(spot));
                QWheelEvent event(at, QPointF(spot), QPoint(), QPoint(0, 120 * steps), Qt::NoButton,
                                  Qt::NoModifier, Qt::NoScrollPhase, false);
                QApplication::sendEvent(target, &event);
                if (event.isAccepted())
                    break;
            }
            QApplication::processEvents();
        };
        wheel(1);
        QCOMPARE(shapes->currentIndex(), index);
        QTRY_VERIFY2(bar->value() < scrolled, "the page scrolls on");

        // Once the user has chosen to work the picker, the wheel changes it.
        editor.scrollArea()->ensureWidgetVisible(shapes);
        shapes->setFocus();
        wheel(-1);
        QCOMPARE(shapes->currentIndex(), index + 1);
    }

    void focusAndScrollStayWhereTheUserIs() {
        ResumePtr resume = storedResume();
        // The first rewrite: nothing generated before.
        resume->setAtsLastGenerated(std::nullopt);
        resume->setAtsInsertedKeywords(std::nullopt);
        // A stand-in for OpenAI answers the rewrite and the analysis.
        LoopbackHttpServer server;
        qputenv(OpenAIClient::baseURLVariable, server.baseURL().toUtf8());
        m_services->settings().setOpenAIAPIKey(QStringLiteral("sk-keys"));
        LoopbackHttpServer::Reply rewrite = LoopbackHttpServer::completion(
            QStringLiteral("{\"summary\": \"Engineer.\", \"experience\": [], \"skills\": [\"Qt\"],"
                           " \"insertedKeywords\": [{\"keyword\": \"Qt\", \"section\": \"Summary\"}]}"));
        rewrite.delayMs = 100;
        server.enqueue(rewrite);
        server.enqueue(LoopbackHttpServer::completion(QStringLiteral(
            "{\"overallScore\": 72, \"missingKeywords\": [], \"suggestions\": [], \"sectionFeedback\": [],"
            " \"notes\": []}")));
        ResumeEditorView editor(resume, *m_services);
        editor.resize(900, 700);
        editor.show();
        QVERIFY(QTest::qWaitForWindowActive(&editor));
        QScrollBar* bar = editor.scrollArea()->verticalScrollBar();

        // Starting the ATS rewrite: the button keeps focus (back as soon as it is usable) and
        // the page does not move.
        auto* generate = editor.findChild<QAbstractButton*>(QStringLiteral("generateATSButton"));
        QVERIFY(generate && generate->isEnabled());
        editor.scrollArea()->ensureWidgetVisible(generate, 0, 200);
        generate->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const int atATS = bar->value();
        QTest::keyClick(generate, Qt::Key_Space);
        QVERIFY(!generate->isEnabled());
        QTRY_VERIFY(generate->isEnabled());
        QApplication::processEvents();
        QVERIFY(resume->atsLastGenerated().has_value());
        QCOMPARE(QApplication::focusWidget(), generate);
        QCOMPARE(bar->value(), atATS);
        // An analysis leaves its button disabled until something changes: the focus goes on to
        // the result's first text, the score, in view, from which Tab reads the result on.
        auto* analyze = editor.findChild<QAbstractButton*>(QStringLiteral("analyzeATSButton"));
        QVERIFY(analyze && analyze->isEnabled());
        analyze->setFocus(Qt::TabFocusReason);
        QTest::keyClick(analyze, Qt::Key_Space);
        QTRY_COMPARE(analyze->accessibleName(), QStringLiteral("Resume Already Analyzed"));
        QTRY_COMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("overallATSScoreLabel"));
        QTRY_VERIFY(isInView(QApplication::focusWidget()));
        m_services->settings().remove(Settings::openAIAPIKeyKey);

        // Removing a skill chip: focus goes to the chip that takes its place (the chip, not its
        // remove button, so a second Space opens it rather than removing it too), then to the
        // next control of the card once the last chip is gone.
        const auto removeButtons = [&editor] {
            return editor.findChild<QWidget*>(QStringLiteral("skillsCard"))
                ->findChildren<QAbstractButton*>(QStringLiteral("removeSkillButton"));
        };
        QCOMPARE(removeButtons().size(), 3);
        QAbstractButton* remove = removeButtons().at(1);
        editor.scrollArea()->ensureWidgetVisible(remove, 0, 200);
        remove->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
        const int atSkills = bar->value();
        QTest::keyClick(remove, Qt::Key_Space);
        QTRY_COMPARE(removeButtons().size(), 2);
        QApplication::processEvents();
        auto* focused = qobject_cast<QAbstractButton*>(QApplication::focusWidget());
        QVERIFY(focused);
        QCOMPARE(focused->accessibleName(), QStringLiteral("Gamma: three"));
        QVERIFY(focused->isAncestorOf(removeButtons().at(1)));
        QCOMPARE(bar->value(), atSkills);

        while (!removeButtons().isEmpty()) {
            const int before = int(removeButtons().size());
            QWidget* chip = QApplication::focusWidget();
            QAbstractButton* next = chip->findChild<QAbstractButton*>(QStringLiteral("removeSkillButton"));
            QVERIFY(next);
            next->setFocus(Qt::TabFocusReason);
            QTest::keyClick(next, Qt::Key_Space);
            QTRY_COMPARE(removeButtons().size(), before - 1);
            QApplication::processEvents();
        }
        QVERIFY(QApplication::focusWidget());
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("generateSkillsButton"));

        // Applying the suggestions takes Apply away: the focus goes up to the button that asks
        // for new ones.
        resume->setSuggestedSkills({QStringLiteral("Delta: four")});
        auto* apply = editor.findChild<QAbstractButton*>(QStringLiteral("applySkillsButton"));
        QTRY_VERIFY(apply->isVisible());
        apply->setFocus(Qt::TabFocusReason);
        QTest::keyClick(apply, Qt::Key_Space);
        QVERIFY(!apply->isVisible());
        QCOMPARE(resume->appliedSkills(), QStringList{QStringLiteral("Delta: four")});
        QCOMPARE(QApplication::focusWidget()->objectName(), QStringLiteral("generateSkillsButton"));
    }

    void returnInAFieldSavesTheEntryAndEscapeCancels() {
        ResumePtr resume = test::makeFullResume();
        for (const int key : {int(Qt::Key_Return), int(Qt::Key_Enter), int(Qt::Key_Escape)}) {
            auto entry = std::make_shared<Experience>(QStringLiteral("Engineer"), QStringLiteral("Acme"),
                                                      QStringLiteral("2020"), QString(), QString(), 0);
            ExperienceEditor sheet(entry, *m_services, resume);
            QSignalSpy committed(&sheet, &ExperienceEditor::committed);
            sheet.show();
            QVERIFY(QTest::qWaitForWindowActive(&sheet));
            auto* company = sheet.findChild<QLineEdit*>(QStringLiteral("experienceCompanyField"));
            company->setFocus();
            QTest::keyClick(company, Qt::Key_End);
            QTest::keyClicks(company, QStringLiteral(" Ltd"));
            QTest::keyClick(company, Qt::Key(key),
                            key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            QTRY_VERIFY(!sheet.isVisible());
            QCOMPARE(committed.count(), key == Qt::Key_Escape ? 0 : 1);
            QCOMPARE(sheet.result(), key == Qt::Key_Escape ? int(QDialog::Rejected) : int(QDialog::Accepted));
            QCOMPARE(entry->company(), QStringLiteral("Acme Ltd"));
        }
    }
};

QUILLORA_TEST_MAIN(KeyboardAndWheelTest)

#include "test_keyboard_and_wheel.moc"
