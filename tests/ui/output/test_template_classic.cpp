#include "app/services.h"
#include "controls/readable_text.h"
#include "controls/screen_order_focus.h"
#include "output/plain_text_resume.h"
#include "output/preview_text.h"
#include "output/resume_translation.h"
#include "output/template_classic.h"
#include "platform/appearance.h"
#include "store/model_context.h"
#include "support/fake_translation_engine.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QPointer>
#include <QPushButton>
#include <QRegularExpression>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextDocument>

#include <algorithm>

using namespace quillora;
using quillora::test::FakeTranslationEngine;

namespace {

QStringList previewTexts(const TemplateClassic& screen) {
    QStringList texts;
    for (const QLabel* label : screen.previewColumn()->findChildren<QLabel*>())
        texts << label->text();
    return texts;
}

// The widest word of a text, in pixels of `metrics`.
int widestWord(const QString& text, const QFontMetrics& metrics) {
    int widest = 0;
    for (const QString& word : text.split(QRegularExpression(u"\\s+"_qs), Qt::SkipEmptyParts))
        widest = std::max(widest, metrics.horizontalAdvance(word));
    return widest;
}

// Whether a column's layout has been applied: its shown children stand one under another at its
// spacing, as wide as it, the columns inside it too, and it is as tall as they are.
bool stacked(const QWidget* column) {
    const QLayout* layout = column->layout();
    if (!layout)
        return false;
    int y = 0;
    for (int i = 0; i < layout->count(); ++i) {
        const QWidget* child = layout->itemAt(i)->widget();
        if (!child || child->geometry() != QRect(0, y, column->width(), child->height()))
            return false;
        if (!qobject_cast<const QLabel*>(child) && child->layout() && !stacked(child))
            return false;
        y += child->height() + layout->spacing();
    }
    return column->height() == y - layout->spacing();
}

// Checks one column of the preview and the columns inside it: every shown child as wide as the
// column and stacked under the one before at the column's spacing, every text exactly as tall as
// a fresh selectable label with the same text and font needs at that width where its words fit
// (an empty text is as tall as the label says), a word wider than the column as many lines as
// its pieces need, and the column as tall as its children.
void verifyColumn(const QWidget* column) {
    const QLayout* layout = column->layout();
    QVERIFY(layout);
    int y = 0;
    for (int i = 0; i < layout->count(); ++i) {
        const QWidget* child = layout->itemAt(i)->widget();
        QVERIFY(child);
        QCOMPARE(child->geometry(), QRect(0, y, column->width(), child->height()));
        if (const auto* label = qobject_cast<const QLabel*>(child); label && !label->text().isEmpty()) {
            const QFontMetrics metrics(label->font());
            const int word = widestWord(label->text(), metrics);
            if (word <= label->width()) {
                QLabel fresh(label->text());
                fresh.setWordWrap(true);
                fresh.setFont(label->font());
                fresh.setTextInteractionFlags(Qt::TextSelectableByMouse);
                QCOMPARE(label->height(), fresh.heightForWidth(label->width()));
            } else {
                const int pieces = (word + label->width() - 1) / label->width();
                QVERIFY2(label->height() >= pieces * metrics.lineSpacing(), qPrintable(label->text()));
            }
        } else if (child->layout()) {
            verifyColumn(child);
        }
        y += child->height() + layout->spacing();
    }
    QCOMPARE(column->height(), y - layout->spacing());
}

// Where a scroll area shows its page, in the coordinates of `window`.
QRect viewport(const QScrollArea* scroll, const QWidget* window) {
    return QRect(scroll->viewport()->mapTo(window, QPoint()), scroll->viewport()->size());
}

} // namespace

class TemplateClassicTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;
    FakeTranslationEngine* m_engine = nullptr;
    ResumePtr m_resume;

    std::unique_ptr<TemplateClassic> openScreen(bool waitForCheck = true) {
        auto screen = std::make_unique<TemplateClassic>(m_resume, *m_services);
        QSignalSpy checked(screen.get(), &TemplateClassic::availabilityChecked);
        screen->show();
        if (waitForCheck)
            [&] { QVERIFY(checked.wait(20000)); }();
        return screen;
    }

    QPushButton* button(const TemplateClassic& screen, const QString& name) {
        return screen.findChild<QPushButton*>(name);
    }

private slots:
    void init() {
        m_services = Services::forTesting(QDir::tempPath() + QStringLiteral("/preview.ini"));
        auto engine = std::make_unique<FakeTranslationEngine>();
        m_engine = engine.get();
        m_engine->setStatus(u"es"_qs, TranslationPairStatus::installed);
        m_engine->setStatus(u"fr"_qs, TranslationPairStatus::supported);
        m_services->setTranslationEngine(std::move(engine));
        m_resume = quillora::test::makeFullResume();
        m_services->context().insert(m_resume);
        QVERIFY(m_services->context().save().ok());
    }

    void cleanup() {
        m_resume.reset();
        m_services.reset();
    }

    void unavailableLanguagesAreDrawnFaded() {
        m_services->appearance().setLightOverride(true);
        auto screen = std::make_unique<TemplateClassic>(m_resume, *m_services);
        QSignalSpy checked(screen.get(), &TemplateClassic::availabilityChecked);
        screen->show();
        QVERIFY(checked.wait(20000));
        QMenu* menu = screen->languageMenu();
        menu->popup(QPoint(0, 0));
        QVERIFY(QTest::qWaitForWindowExposed(menu));
        const QImage image = menu->grab().toImage();
        const auto rowOf = [&](const QString& code) {
            for (QAction* row : menu->actions()) {
                if (row->data().toString() == code)
                    return menu->actionGeometry(row);
            }
            return QRect();
        };
        // The darkest ink of a row (flag and name), against the menu's own background.
        const auto darkest = [&](const QRect& row) {
            int gray = 255;
            for (int y = row.top(); y <= row.bottom(); ++y) {
                for (int x = row.left(); x <= row.right(); ++x)
                    gray = std::min(gray, qGray(image.pixel(x, y)));
            }
            return gray;
        };
        const QRect french = rowOf(u"fr"_qs); // supported
        const QRect german = rowOf(u"de"_qs); // unsupported
        const int background = qGray(image.pixel(french.right() - 2, french.center().y()));
        const int ink = darkest(french);
        QVERIFY2(background - ink > 180, qPrintable(QStringLiteral("%1 %2").arg(background).arg(ink)));
        // The unavailable row: the same ink at 40 % over the background.
        const qreal expected = background - 0.4 * (background - ink);
        QVERIFY2(qAbs(darkest(german) - expected) <= 14,
                 qPrintable(QStringLiteral("%1, expected %2").arg(darkest(german)).arg(expected)));
        menu->hide();
        m_services->appearance().setLightOverride(std::nullopt);
    }

    void translateLooksOffWithoutALanguage() {
        for (const bool light : {true, false}) {
            m_services->appearance().setLightOverride(light);
            auto screen = openScreen();
            auto* translate = button(*screen, u"translateResumeButton"_qs);
            QVERIFY(!translate->isEnabled());
            const QImage off = translate->grab().toImage().convertToFormat(QImage::Format_RGB32);
            screen->chooseLanguage(u"es"_qs);
            QVERIFY(translate->isEnabled());
            const QImage on = translate->grab().toImage().convertToFormat(QImage::Format_RGB32);
            QCOMPARE(on.size(), off.size());
            int differing = 0;
            for (int y = 0; y < on.height(); ++y) {
                for (int x = 0; x < on.width(); ++x)
                    differing += qAbs(qGray(on.pixel(x, y)) - qGray(off.pixel(x, y))) >= 24 ? 1 : 0;
            }
            // The outline, the fill and the word all change, not a stray pixel or two.
            QVERIFY2(differing > 2 * (on.width() + on.height()), qPrintable(QString::number(differing)));
        }
        m_services->appearance().setLightOverride(std::nullopt);
    }

    void availabilityDecidesWhatTheMenuOffers() {
        auto screen = std::make_unique<TemplateClassic>(m_resume, *m_services);
        // Before any check every language can be chosen.
        for (QAction* row : screen->languageMenu()->actions())
            QVERIFY(row->isEnabled());
        QCOMPARE(screen->languageMenu()->actions().size(), 9);
        auto* menuButton = button(*screen, u"templateLanguageMenu"_qs);
        QCOMPARE(QAccessible::queryAccessibleInterface(menuButton)->text(QAccessible::Value),
                 u"No language selected"_qs);
        QVERIFY(!button(*screen, u"translateResumeButton"_qs)->isEnabled());
        screen->chooseLanguage(u"fr"_qs);
        QCOMPARE(screen->selectedLanguage()->name, u"French"_qs);

        QSignalSpy checked(screen.get(), &TemplateClassic::availabilityChecked);
        screen->show();
        QVERIFY(checked.wait(20000));
        QStringList enabled;
        for (QAction* row : screen->languageMenu()->actions()) {
            if (row->isEnabled())
                enabled << row->data().toString();
        }
        QCOMPARE(enabled, (QStringList{u"fr"_qs, u"es"_qs}));
        QCOMPARE(screen->languageAvailability().value(u"de"_qs), TranslationPairStatus::unsupported);
        // A selection that is not installed does not survive a check; an unsupported language
        // cannot be chosen; an installed one stays chosen through later checks.
        QVERIFY(!screen->selectedLanguage());
        screen->chooseLanguage(u"de"_qs);
        QVERIFY(!screen->selectedLanguage());
        screen->chooseLanguage(u"es"_qs);
        QCOMPARE(QAccessible::queryAccessibleInterface(menuButton)->text(QAccessible::Value), u"Spanish"_qs);
        QVERIFY(button(*screen, u"translateResumeButton"_qs)->isEnabled());
        screen->checkLanguageAvailability();
        QVERIFY(checked.wait(20000));
        QCOMPARE(screen->selectedLanguage()->code, u"es"_qs);
        // Choosing changes nothing in the résumé.
        QCOMPARE(m_resume->fullName(), u"Zoë Ångström"_qs);
    }

    void translateWritesTheResumeAndThePreviewFollows() {
        auto screen = openScreen();
        screen->chooseLanguage(u"es"_qs);
        auto* translate = button(*screen, u"translateResumeButton"_qs);
        QSignalSpy finished(screen.get(), &TemplateClassic::translationFinished);
        // By keyboard: while it runs the focus waits, away from Copy Résumé (a second Space must
        // not copy), and comes back to Translate.
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
        translate->setFocus(Qt::TabFocusReason);
        QTest::keyClick(translate, Qt::Key_Space);
        QCOMPARE(screen->translatingLanguage(), std::optional(u"es"_qs));
        QVERIFY(!translate->isEnabled());
        QVERIFY(QApplication::focusWidget() != button(*screen, u"copyResumeButton"_qs));
        QVERIFY(finished.wait(20000));
        QVERIFY(!screen->translatingLanguage());
        QVERIFY(translate->isEnabled());
        QCOMPARE(QApplication::focusWidget(), translate);
        QCOMPARE(screen->selectedLanguage()->code, u"es"_qs);
        QCOMPARE(m_engine->requests().size(), ResumeTranslationRun::requestCount(*m_resume));
        QVERIFY(!m_services->context().hasChanges());

        // The preview shows every translated text (each as it comes, in no set order), the
        // untranslated title too.
        const auto es = [](const QString& text) { return FakeTranslationEngine::translated(u"es"_qs, text); };
        const QStringList expected{es(u"Zoë Ångström"_qs), es(u"Profile"_qs),
                                   es(u"Lead Designer"_qs) + u" \u2013 "_qs + es(u"Acme / Co"_qs),
                                   u"Skills"_qs};
        const auto missing = [&] {
            QStringList absent;
            const QStringList texts = previewTexts(*screen);
            for (const QString& text : expected)
                if (!texts.contains(text))
                    absent << text;
            return absent;
        };
        QTRY_VERIFY2(missing().isEmpty(), qPrintable(missing().join(u" / "_qs)));
        QVERIFY(!screen->showTranslationError());
    }

    // The page's texts are read as one document: one Tab stop, after the tools, from which the
    // arrows read on text by text in screen order, each heard as it shows now (in the translated
    // words once translated) and brought into view with its ring; Tab comes back to the text last
    // read, and a rebuilt page keeps the reader's place.
    void thePageIsReadByKeysAsOneDocument() {
        auto screen = openScreen();
        screen->resize(720, 640);
        screen->chooseLanguage(u"es"_qs);
        QVERIFY(QTest::qWaitForWindowActive(screen.get()));
        const ReadableDocument* reading = screen->previewReading();
        QCOMPARE(reading->texts().size(), previewTexts(*screen).size());
        // The texts as they are now (a text with nothing to read would be passed over).
        const auto readable = [reading] {
            QList<QWidget*> texts;
            for (QWidget* text : reading->texts())
                if (!qobject_cast<QLabel*>(text)->text().isEmpty())
                    texts << text;
            return texts;
        };
        const QList<QWidget*> texts = readable();
        const auto heard = [] {
            QAccessibleInterface* focus = QAccessible::queryAccessibleInterface(QApplication::focusWidget());
            return focus != nullptr ? focus->text(QAccessible::Name) : QString();
        };
        const auto stopsOfPage = [&] {
            QList<QWidget*> stops;
            for (QWidget* stop : tabStopsInScreenOrder(screen.get()))
                if (screen->previewColumn()->isAncestorOf(stop))
                    stops << stop;
            return stops;
        };
        const QList<QWidget*> stops = tabStopsInScreenOrder(screen.get());
        QCOMPARE(stopsOfPage(), QList<QWidget*>{readable().first()});
        QCOMPARE(stops.indexOf(readable().first()),
                 stops.indexOf(button(*screen, u"copyResumeButton"_qs)) + 1);

        readable().first()->setFocus(Qt::TabFocusReason);
        QCOMPARE(heard(), m_resume->fullName());
        auto* area = screen->findChild<QScrollArea*>();
        int lastTop = -1;
        for (int i = 1; i < texts.size(); ++i) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
            QWidget* focus = QApplication::focusWidget();
            QCOMPARE(readable().indexOf(focus), i);
            QCOMPARE(heard(), qobject_cast<QLabel*>(focus)->text());
            // Lower on the page than the one before, and in view.
            const int top = focus->mapTo(screen.get(), QPoint(0, 0)).y() + area->verticalScrollBar()->value();
            QVERIFY2(top > lastTop, qPrintable(heard()));
            lastTop = top;
            QVERIFY(viewport(area, screen.get())
                        .intersects(QRect(focus->mapTo(screen.get(), QPoint()), focus->size())));
            QVERIFY(screen->findChildren<QWidget*>(u"focusRing"_qs).size() > 0);
            QCOMPARE(stopsOfPage(), QList<QWidget*>{focus});
        }
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down); // the end: it stays
        QCOMPARE(QApplication::focusWidget(), readable().last());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QCOMPARE(QApplication::focusWidget(), readable().first());
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_End);
        QCOMPARE(QApplication::focusWidget(), readable().last());
        for (int i = 0; readable().indexOf(QApplication::focusWidget()) > 3 && i < texts.size(); ++i)
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QCOMPARE(readable().indexOf(QApplication::focusWidget()), 3); // the summary
        const QString summary = heard();
        QCOMPARE(summary, m_resume->summary());

        // Translated under the reader: the text is heard in its new words.
        QSignalSpy finished(screen.get(), &TemplateClassic::translationFinished);
        screen->translate();
        QVERIFY(finished.wait(quillora::test::patientWaitMs));
        QTRY_COMPARE(heard(), FakeTranslationEngine::translated(u"es"_qs, summary));

        // Rebuilt (another scheme): the reader is still on the summary, and Tab comes back to it.
        // The texts read so far are gone (watched as such: a new text may take a gone one's
        // address).
        QList<QPointer<QWidget>> read;
        for (QWidget* text : reading->texts())
            read << text;
        m_services->appearance().setLightOverride(!m_services->appearance().isLight());
        QTRY_VERIFY(std::all_of(read.cbegin(), read.cend(),
                                [](const QPointer<QWidget>& text) { return text.isNull(); }) &&
                    readable().contains(QApplication::focusWidget()));
        QCOMPARE(reading->focusedIndex(), 3);
        QCOMPARE(heard(), FakeTranslationEngine::translated(u"es"_qs, summary));
        QCOMPARE(stopsOfPage(), QList<QWidget*>{QApplication::focusWidget()});
        m_services->appearance().setLightOverride(std::nullopt);
    }

    void aFailedTranslationKeepsWhatWasDoneAndSaysSo() {
        m_engine->failAtRequest(4);
        auto screen = openScreen();
        screen->chooseLanguage(u"es"_qs);
        QSignalSpy finished(screen.get(), &TemplateClassic::translationFinished);
        screen->translate();
        QVERIFY(finished.wait(20000));
        QVERIFY(screen->showTranslationError());
        QMessageBox* alert = screen->translationErrorAlert();
        QCOMPARE(alert->windowTitle(), u"Translation Unavailable"_qs);
        QCOMPARE(
            alert->informativeText(),
            u"The language needs to be downloaded on to your device from Settings > Apps > Translate > Languages."_qs);
        QCOMPARE(m_resume->summary(), FakeTranslationEngine::translated(
                                          u"es"_qs, u"Designer of calm, useful things. 日本語 العربية"_qs));
        QCOMPARE(m_resume->titleSummary(), std::optional(u"Profile"_qs));
        QVERIFY(!screen->translatingLanguage());
        QVERIFY(button(*screen, u"translateResumeButton"_qs)->isEnabled());
        QTest::mouseClick(alert->findChild<QPushButton*>(u"alertOKButton"_qs), Qt::LeftButton);
        QTRY_VERIFY(!screen->showTranslationError());
    }

    // Closing the preview does not stop its translation: the run finishes, writes every field
    // and saves once; edits made meanwhile stay; a preview opened again shows the run going on.
    void aTranslationOutlivesItsPreviewAndSavesOnce() {
        const QStringList before = quillora::test::translatableTexts(*m_resume);
        m_engine->setHoldAnswers(true);
        QSignalSpy saves(&m_services->context(), &ModelContext::didSave);
        auto screen = openScreen();
        screen->chooseLanguage(u"es"_qs);
        screen->translate();
        for (int answered = 0; answered < 3; ++answered) {
            QTRY_COMPARE(m_engine->heldCount(), 1);
            m_engine->release();
        }
        QTRY_COMPARE(m_engine->requests().size(), 4); // the summary title is out
        screen->close();
        screen.reset();
        // Edited while the run goes on: a field already translated, and the one being translated.
        m_resume->setFullName(u"Zoë Å."_qs);
        m_resume->setTitleSummary(u"About me"_qs);

        auto again = openScreen();
        QCOMPARE(again->translatingLanguage(), std::optional(u"es"_qs));
        QVERIFY(!button(*again, u"translateResumeButton"_qs)->isEnabled());
        again->close();
        again.reset();

        m_engine->setHoldAnswers(false);
        m_engine->release();
        QTRY_VERIFY(!ResumeTranslationRun::runningFor(*m_resume));
        QCOMPARE(m_engine->requests().size(), ResumeTranslationRun::requestCount(*m_resume));
        QCOMPARE(saves.count(), 1);
        QVERIFY(!m_services->context().hasChanges());

        QStringList expected;
        for (const QString& text : before)
            expected << FakeTranslationEngine::translated(u"es"_qs, text);
        expected[0] = u"Zoë Å."_qs;
        expected[3] = u"About me"_qs;
        QCOMPARE(quillora::test::translatableTexts(*m_resume), expected);
    }

    // Until the run's own save the store keeps the résumé as it was before the run, whatever
    // else saves meanwhile (the autosave, the save when the app quits); edits of other fields
    // are saved as usual. An app that quits during the run leaves the résumé untranslated.
    void nothingOfARunningTranslationIsStoredBeforeItsSave() {
        const QString path = QDir::tempPath() + u"/held.store"_qs;
        auto opened = ModelContainer::open(path);
        QVERIFY(opened.ok());
        auto services = std::make_unique<Services>(
            std::move(opened).value(), std::make_unique<Settings>(QDir::tempPath() + u"/held.ini"_qs));
        auto engine = std::make_unique<FakeTranslationEngine>();
        FakeTranslationEngine* fake = engine.get();
        fake->setStatus(u"es"_qs, TranslationPairStatus::installed);
        fake->setHoldAnswers(true);
        services->setTranslationEngine(std::move(engine));
        ModelContext& context = services->context();
        auto resume = quillora::test::makeFullResume();
        context.insert(resume);
        QVERIFY(context.save().ok());
        const QStringList before = quillora::test::translatableTexts(*resume);
        context.setAutosaveDelay(10);
        QSignalSpy saves(&context, &ModelContext::didSave);

        auto screen = std::make_unique<TemplateClassic>(resume, *services);
        screen->chooseLanguage(u"es"_qs);
        screen->translate();
        for (int answered = 0; answered < 9; ++answered) { // into the first experience entry
            QTRY_COMPARE(fake->heldCount(), 1);
            fake->release();
        }
        QTRY_COMPARE(fake->heldCount(), 1);
        QCOMPARE(resume->fullName(), FakeTranslationEngine::translated(u"es"_qs, before.at(0)));
        QTest::qWait(50);
        QCOMPARE(saves.count(), 0); // nothing but the translation changed: nothing to write
        resume->setTitle(u"Renamed while translating"_qs);
        QTRY_COMPARE(saves.count(), 1);
        QVERIFY(context.save().ok()); // as when the app quits or goes to the background
        screen.reset();
        services.reset(); // the app ends; the run goes with it

        auto reopened = ModelContainer::open(path);
        QVERIFY(reopened.ok());
        const auto stored = reopened.value()->mainContext().fetchResumes();
        QCOMPARE(stored->size(), 1);
        QCOMPARE(stored->first()->title(), u"Renamed while translating"_qs);
        QCOMPARE(quillora::test::translatableTexts(*stored->first()), before);
    }

    void copyPutsThePlainTextOnTheClipboard() {
        auto screen = openScreen();
        auto* copy = button(*screen, u"copyResumeButton"_qs);
        QCOMPARE(copy->text(), u"Copy Résumé"_qs);
        QTest::mouseClick(copy, Qt::LeftButton);
        QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(),
                 buildPlainTextResume(*m_resume, screen->titles()).toUtf8());
        QVERIFY(QGuiApplication::clipboard()->text().startsWith(
            u"Zoë Ångström\nzoe@example.com\n+1 555 0100\n\nProfile\n"_qs));
        QCOMPARE(copy->text(), u"Copied to clipboard!"_qs);
        QVERIFY(copy->isEnabled());
        // A second copy a second later does not postpone the first reset (due 1.5 s after the
        // first): it comes before a look 1.25 s after the second, which a reset 1.5 s after the
        // second would miss. Timers run in the order they are due, however busy the machine.
        bool looked = false;
        bool resetBefore = false;
        QTimer::singleShot(1000, screen.get(), [&] {
            QVERIFY(screen->didCopyToClipboard()); // not reset before the second copy
            QTest::mouseClick(copy, Qt::LeftButton);
            QTimer::singleShot(1250, screen.get(), [&] {
                resetBefore = !screen->didCopyToClipboard();
                looked = true;
            });
        });
        QTRY_VERIFY(looked);
        QVERIFY(resetBefore);
        QCOMPARE(copy->text(), u"Copy Résumé"_qs);
    }

    // Texts that grow and shrink, as a translation makes them, are shown together: afterwards
    // every text has the height its text needs, nothing overlaps, what is above the changes
    // stays put, and the page is as tall as the preview. A word wider than the window (a long web
    // address) wraps inside the column: the page stays as wide as its window, and the copied
    // text keeps the word whole.
    void changedTextsKeepThePageInOrder() {
        auto screen = openScreen();
        screen->resize(720, 820);
        QWidget* column = screen->previewColumn();
        auto* contact = screen->findChild<QLabel*>(u"previewContact"_qs);
        QTRY_VERIFY_WITH_TIMEOUT(contact->width() > 600, 30000);
        QTRY_VERIFY_WITH_TIMEOUT(stacked(column), 30000);
        const QRect contactAt(contact->mapTo(screen.get(), QPoint()), contact->size());
        verifyColumn(column);

        const QString paragraph =
            QString(u"A sentence that takes most of a line in the preview. "_qs).repeated(8);
        const auto jobs = m_resume->experienceItems();
        m_resume->setSummary(u"Short."_qs);
        jobs.at(0)->setDetails(paragraph);
        jobs.at(0)->setRole(u"R"_qs);
        jobs.at(1)->setDetails(u"Drew.\nThings.\nAnd more things."_qs);
        m_resume->educationItems().at(0)->setSchool(paragraph);
        QTRY_VERIFY_WITH_TIMEOUT(previewTexts(*screen).contains(u"Short."_qs), 30000);
        QTRY_VERIFY_WITH_TIMEOUT(previewTexts(*screen).contains(paragraph), 30000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QTRY_VERIFY_WITH_TIMEOUT(stacked(column), 30000);
        QTRY_COMPARE_WITH_TIMEOUT(
            column->parentWidget()->height(),
            std::max(column->parentWidget()->parentWidget()->height(), column->geometry().bottom() + 1 + 20),
            30000);
        verifyColumn(column);
        QCOMPARE(QRect(contact->mapTo(screen.get(), QPoint()), contact->size()), contactAt);

        // 126 characters with no place to break between words.
        QString url = u"https://portfolio.example.com/casestudies/"_qs;
        url += QString(u"abcdefghij"_qs).repeated(9).left(126 - url.size());
        QCOMPARE(url.size(), 126);
        m_resume->setContactInfo(url);
        QTRY_COMPARE_WITH_TIMEOUT(contact->text(), url, 30000);
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        const QFontMetrics metrics(contact->font());
        for (const int width : {720, 460}) {
            screen->resize(width, 820);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            auto* scroll = screen->findChild<QScrollArea*>();
            QTRY_COMPARE_WITH_TIMEOUT(scroll->widget()->width(), scroll->viewport()->width(), 30000);
            QTRY_VERIFY_WITH_TIMEOUT(stacked(column), 30000);
            QVERIFY(column->geometry().right() < scroll->viewport()->width());
            // Wider than the column, so it takes two lines or more (checked by verifyColumn).
            QVERIFY(metrics.horizontalAdvance(url) > contact->width());
            verifyColumn(column);
        }
        // Every line of it is painted inside the column: ink down to the last line.
        const QImage painted = contact->grab().toImage();
        bool inkOnLastLine = false;
        for (int x = 0; x < painted.width(); ++x)
            inkOnLastLine = inkOnLastLine ||
                            painted.pixelColor(x, painted.height() - metrics.lineSpacing() / 2).alpha() > 0;
        QVERIFY(inkOnLastLine);
        // The copy and a selection of the text keep the address whole.
        QTest::mouseClick(button(*screen, u"copyResumeButton"_qs), Qt::LeftButton);
        QVERIFY(QGuiApplication::clipboard()->text().contains(u"\n"_qs + url + u"\n"_qs));
        auto* selectable = static_cast<PreviewText*>(contact);
        selectable->setFocus();
        QTest::keySequence(selectable, QKeySequence::SelectAll);
        QTest::keySequence(selectable, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), url);
    }

    // The floating help and close buttons stay over the top corners while the page scrolls;
    // no text or tool of the page is ever under them, and at the end of the scroll the last line
    // is wholly in view below them. Before, "?" covered whatever line the end of the scroll
    // left at the top ("• Figma" at 1024 × 640, a role at 1366 × 768).
    void theFloatingButtonsNeverCoverThePage() {
        m_resume->setCoverLetterText(
            QString(u"A sentence that takes most of a line in the preview.\n"_qs).repeated(40));
        auto screen = openScreen();
        auto* scroll = screen->findChild<QScrollArea*>();
        const QList<QWidget*> floating{screen->findChild<QWidget*>(u"templateHelpButton"_qs),
                                       screen->findChild<QWidget*>(u"templateCloseButton"_qs)};
        auto* last = screen->findChild<QLabel*>(u"previewCoverLetter"_qs);
        QVERIFY(last);
        for (const QSize size : {QSize(720, 606), QSize(720, 740), QSize(720, 820), QSize(1024, 640),
                                 QSize(1920, 1080), QSize(460, 400)}) {
            screen->resize(size);
            QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
            QTRY_COMPARE(scroll->widget()->width(), scroll->viewport()->width());
            QScrollBar* bar = scroll->verticalScrollBar();
            QVERIFY(bar->maximum() > 0);
            for (const int at : {bar->minimum(), bar->maximum() / 2, bar->maximum()}) {
                bar->setValue(at);
                const QRect shownArea = viewport(scroll, screen.get());
                for (const QWidget* shown : scroll->widget()->findChildren<QWidget*>()) {
                    if (!qobject_cast<const QLabel*>(shown) && !qobject_cast<const QAbstractButton*>(shown))
                        continue;
                    const QRect seen = QRect(shown->mapTo(screen.get(), QPoint()), shown->size()) & shownArea;
                    for (const QWidget* button : floating) {
                        QVERIFY2(
                            !seen.intersects(button->geometry()),
                            qPrintable(u"%1 under %2 at %3×%4, scrolled to %5"_qs
                                           .arg(shown->objectName().isEmpty()
                                                    ? QString::fromLatin1(shown->metaObject()->className())
                                                    : shown->objectName(),
                                                button->objectName())
                                           .arg(size.width())
                                           .arg(size.height())
                                           .arg(at)));
                    }
                }
            }
            const QRect lastLine(last->mapTo(screen.get(), QPoint(0, last->height() - 1)),
                                 QSize(last->width(), 1));
            QVERIFY(viewport(scroll, screen.get()).contains(lastLine));
        }
    }

    // A text of the preview is selected as a text is: a double click takes a word, a drag the
    // characters it passes over, across the lines of a wrapped word too; the copy is the text as
    // given, with its own line breaks and none of the wrap's.
    void previewTextsSelectAndCopyTheirOwnCharacters() {
        const QString text = u"Alpha beta\n"_qs + QString(u"x"_qs).repeated(200);
        PreviewText label(text, nullptr);
        label.resize(240, label.heightForWidth(240));
        label.show();
        QVERIFY(QTest::qWaitForWindowExposed(&label));
        const int line = label.fontMetrics().lineSpacing();
        QTest::mouseDClick(&label, Qt::LeftButton, {}, QPoint(4, line / 2));
        QCOMPARE(label.selection(), u"Alpha"_qs);
        QTest::mousePress(&label, Qt::LeftButton, {}, QPoint(0, line / 2));
        QTest::mouseMove(&label, QPoint(label.width() - 1, label.height() - 1));
        QTest::mouseRelease(&label, Qt::LeftButton, {}, QPoint(label.width() - 1, label.height() - 1));
        QCOMPARE(label.selection(), text);
        QTest::keySequence(&label, QKeySequence::Copy);
        QCOMPARE(QGuiApplication::clipboard()->text(), text);
        // A new text drops the old selection.
        label.setText(u"Other"_qs);
        QCOMPARE(label.selection(), QString());
    }

    // A line with no letters follows the text it belongs to, as the PDF lays it out: the dates of
    // a right-to-left entry start at the right and read from the right, start year first, those
    // of a left-to-right one at the left; a line of digits in the details follows the line above
    // it; an entry whose role and company change direction takes its dates along.
    void aLineWithoutLettersFollowsItsEntry() {
        const auto jobs = m_resume->experienceItems();
        jobs.at(0)->setRole(u"طراح ارشد"_qs);
        jobs.at(0)->setCompany(u"شرکت نوآوران"_qs);
        jobs.at(0)->setEndDate(u"2024"_qs);
        jobs.at(0)->setDetails(u"طراحی سامانه‌ها\n2020 – 2022"_qs);
        jobs.at(1)->setDetails(u"Drew things.\n2016 – 2017"_qs);
        auto screen = openScreen();
        screen->resize(720, 820);
        const auto textOf = [&](const QString& text) {
            const auto texts = screen->previewColumn()->findChildren<PreviewText*>();
            const auto it = std::find_if(texts.cbegin(), texts.cend(),
                                         [&](const PreviewText* label) { return label->text() == text; });
            return it == texts.cend() ? nullptr : *it;
        };
        PreviewText* rightToLeft = textOf(u"2019 – 2024"_qs);
        PreviewText* leftToRight = textOf(u"2015 – 2019"_qs);
        PreviewText* rightDetails = textOf(jobs.at(0)->details());
        PreviewText* leftDetails = textOf(jobs.at(1)->details());
        QVERIFY(rightToLeft && leftToRight && rightDetails && leftDetails);
        QTRY_VERIFY(rightToLeft->width() > 600);
        const QFontMetrics metrics(rightToLeft->font());
        const int line = metrics.lineSpacing();
        const int inside = metrics.horizontalAdvance(u"20"_qs); // into a year from its outer end
        // The word a double click selects at the start or the end of a line.
        const auto wordAt = [&](PreviewText* text, bool right, int lineIndex) {
            const QPoint at(right ? text->width() - inside : inside, line * lineIndex + line / 2);
            QTest::mouseDClick(text, Qt::LeftButton, {}, at);
            return text->selection();
        };
        // The columns a text's ink takes.
        const auto ink = [](QWidget* text) {
            QImage painted(text->size(), QImage::Format_ARGB32_Premultiplied);
            painted.fill(Qt::transparent);
            text->render(&painted, QPoint(), QRegion(), QWidget::DrawChildren);
            int left = painted.width(), right = -1;
            for (int y = 0; y < painted.height(); ++y) {
                for (int x = 0; x < painted.width(); ++x) {
                    if (painted.pixelColor(x, y).alpha() > 0) {
                        left = std::min(left, x);
                        right = std::max(right, x);
                    }
                }
            }
            return std::pair(left, right);
        };
        QCOMPARE(wordAt(rightToLeft, true, 0), u"2019"_qs);
        QVERIFY(ink(rightToLeft).first > rightToLeft->width() / 2);
        QCOMPARE(wordAt(rightDetails, true, 1), u"2020"_qs);
        QCOMPARE(wordAt(leftToRight, false, 0), u"2015"_qs);
        QVERIFY(ink(leftToRight).second < leftToRight->width() / 2);
        QCOMPARE(wordAt(leftDetails, false, 1), u"2016"_qs);

        jobs.at(0)->setRole(u"Lead Designer"_qs);
        jobs.at(0)->setCompany(u"Acme"_qs);
        QTRY_VERIFY(ink(rightToLeft).second < rightToLeft->width() / 2);
        QCOMPARE(wordAt(rightToLeft, false, 0), u"2019"_qs);
        jobs.at(1)->setRole(u"מעצבת"_qs);
        QTRY_VERIFY(ink(leftToRight).first > leftToRight->width() / 2);
        QCOMPARE(wordAt(leftToRight, true, 0), u"2015"_qs);
    }

    void helpOpensOnceAndThePreviewShowsOnlyWhatIsThere() {
        auto screen = openScreen();
        auto* help = screen->findChild<QWidget*>(u"templateHelpButton"_qs);
        QCOMPARE(help->accessibleDescription(), u"Shows preview and translation help"_qs);
        QTest::mouseClick(help, Qt::LeftButton);
        QVERIFY(screen->showHelpSheet());
        HelpSheetContainer* sheet = screen->helpSheet();
        QCOMPARE(sheet->title(), u"Preview & Translation Help"_qs);
        QCOMPARE(sheet->contentElements().size(), 5);
        QTest::mouseClick(help, Qt::LeftButton);
        QCOMPARE(screen->helpSheet(), sheet);
        sheet->reject();
        QTRY_VERIFY(!screen->showHelpSheet());

        // Empty contact, summary and lists leave their sections out; a blank cover letter is
        // hidden; skills only when included.
        auto bare = quillora::test::makeEmptyResume();
        bare->setFullName(u"Ann"_qs);
        bare->setIncludeCoverLetter(true);
        bare->setCoverLetterText(u" \n "_qs);
        bare->setAppliedSkills({u"Go"_qs});
        TemplateClassic plain(bare, *m_services);
        QCOMPARE(previewTexts(plain), QStringList{u"Ann"_qs});
        bare->setIncludeSkills(true);
        bare->setSummary(u"  "_qs);
        QTRY_COMPARE(previewTexts(plain),
                     (QStringList{u"Ann"_qs, u"Summary"_qs, u"  "_qs, u"Skills"_qs, u"• Go"_qs}));
        // Entries added later are followed too.
        auto job = std::make_shared<Experience>(QString(), QString(), QString(), QString(), QString(), 0);
        bare->setExperienceItems({job});
        job->setRole(u"Chef"_qs);
        QTRY_VERIFY(previewTexts(plain).contains(u"Chef \u2013 "_qs));
    }

    // A rebuild (here a scheme change) on a long preview scrolled halfway: the texts take the
    // new scheme's ink, every column is in order again, and the page stays where the user put it.
    void aRebuiltPreviewKeepsItsPlaceAndTakesTheScheme() {
        m_services->appearance().setLightOverride(true);
        QList<ExperiencePtr> jobs;
        for (int i = 0; i < 250; ++i) // more than one group of entries
            jobs << std::make_shared<Experience>(u"Role %1"_qs.arg(i), u"Company"_qs, u"2020"_qs, u"2022"_qs,
                                                 u"Led a team.\nShipped things."_qs, i);
        m_resume->setExperienceItems(jobs);
        auto screen = openScreen();
        screen->resize(720, 820);
        auto* area = screen->findChild<QScrollArea*>();
        QTRY_VERIFY(area->verticalScrollBar()->maximum() > 2000);
        const int middle = area->verticalScrollBar()->maximum() / 2;
        area->verticalScrollBar()->setValue(middle);
        QPointer<QLabel> name = screen->findChild<QLabel*>(u"previewName"_qs);
        QCOMPARE(name->palette().color(QPalette::WindowText), QColor(0, 0, 0, 229));

        m_services->appearance().setLightOverride(false);
        QTRY_VERIFY(name.isNull());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
        QCOMPARE(area->verticalScrollBar()->value(), middle);
        const auto texts = screen->previewColumn()->findChildren<QLabel*>();
        QCOMPARE(texts.size(), previewTexts(*screen).size());
        for (const QLabel* label : texts)
            QCOMPARE(label->palette().color(QPalette::WindowText), QColor(Qt::white));
        verifyColumn(screen->previewColumn());
        // Each text holds one document, its own: none of the label's, also after a changed text.
        jobs.at(120)->setRole(u"Changed"_qs);
        QTRY_VERIFY(std::any_of(texts.cbegin(), texts.cend(),
                                [](const QLabel* l) { return l->text().startsWith(u"Changed"_qs); }));
        for (const QLabel* label : texts) {
            // Tab stops at one text of the page, the first; the others take the focus by a click.
            QCOMPARE(label->focusPolicy(), label == texts.first() ? Qt::StrongFocus : Qt::ClickFocus);
            QCOMPARE(label->findChildren<QTextDocument*>().size(), 0);
        }
        m_services->appearance().setLightOverride(std::nullopt);
    }

    // Each text of the page is a text to a screen reader: its characters and words, and a caret
    // that Left and Right move by a character and, with Ctrl, by a word; the name and the section titles are
    // headings; Up at the first text and Down at the last say that the document's top and end are reached.
    void thePagesTextsAreTextsToAReader() {
        auto screen = openScreen();
        screen->resize(720, 640);
        QVERIFY(QTest::qWaitForWindowActive(screen.get(), 30000));
        const QList<QWidget*> texts = screen->previewReading()->texts();
        QStringList headings;
        for (QWidget* text : texts) {
            QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(text);
            QVERIFY(iface && iface->textInterface());
            const QString shown = qobject_cast<QLabel*>(text)->text();
            QCOMPARE(iface->textInterface()->text(0, iface->textInterface()->characterCount()), shown);
            QCOMPARE(iface->text(QAccessible::Name), shown);
            if (iface->role() == QAccessible::Heading)
                headings << shown;
            else
                QCOMPARE(iface->role(), QAccessible::StaticText);
        }
        // A reader reading the whole page reads on from each text to the next one, and back.
        // (A text with nothing to read is passed over.)
        const ReadableDocument* reading = screen->previewReading();
        QList<QWidget*> readable;
        for (QWidget* text : texts)
            if (!qobject_cast<QLabel*>(text)->text().isEmpty())
                readable << text;
        for (qsizetype i = 0; i + 1 < readable.size(); ++i) {
            QCOMPARE(reading->readOnFrom(readable.at(i), 1), readable.at(i + 1));
            QCOMPARE(reading->readOnFrom(readable.at(i + 1), -1), readable.at(i));
        }
        QCOMPARE(reading->readOnFrom(readable.last(), 1), nullptr);
        QCOMPARE(reading->readOnFrom(readable.first(), -1), nullptr);
        QCOMPARE(headings.value(0), m_resume->fullName());
        QVERIFY2(headings.contains(u"Skills"_qs) && headings.size() >= 4,
                 qPrintable(headings.join(u" / "_qs)));
        // Read piece by piece (characters, words, sentences, lines), each text is read whole, once;
        // the end of a text has a last word and nothing after it.
        for (QWidget* text : texts) {
            QAccessibleTextInterface* reading = QAccessible::queryAccessibleInterface(text)->textInterface();
            const QString shown = qobject_cast<QLabel*>(text)->text();
            for (const QAccessible::TextBoundaryType type :
                 {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                  QAccessible::LineBoundary}) {
                QString pieces;
                int start = -1;
                for (int end = 0; end < shown.size();) {
                    pieces += reading->textAtOffset(end, type, &start, &end);
                    QVERIFY2(end > start && start >= 0, qPrintable(shown));
                }
                QCOMPARE(pieces, shown);
                int end = -1;
                QVERIFY(reading->textAfterOffset(int(shown.size()), type, &start, &end).isEmpty());
                if (type != QAccessible::CharBoundary && !shown.isEmpty())
                    QVERIFY(!reading->textAtOffset(int(shown.size()), type, &start, &end).isEmpty());
            }
        }
        QWidget* summary = nullptr;
        for (QWidget* text : texts)
            if (qobject_cast<QLabel*>(text)->text() == m_resume->summary())
                summary = text;
        QVERIFY(summary);
        QCOMPARE(QAccessible::queryAccessibleInterface(texts.at(texts.indexOf(summary) - 1))->role(),
                 QAccessible::Heading);
        QAccessibleTextInterface* words = QAccessible::queryAccessibleInterface(summary)->textInterface();
        const QString firstWord = m_resume->summary().section(u' ', 0, 0);
        const QString secondWord = m_resume->summary().section(u' ', 1, 1);
        int start = -1;
        int end = -1;
        QCOMPARE(
            words->textAtOffset(int(firstWord.size()) + 2, QAccessible::WordBoundary, &start, &end).trimmed(),
            secondWord);
        QCOMPARE(start, firstWord.size() + 1);

        // The caret, moved by the keys (what a reader hears of it is checked in the walk with Orca).
        summary->setFocus(Qt::TabFocusReason);
        QTest::keyClick(summary, Qt::Key_Left); // at the start already: nothing moves
        QCOMPARE(words->cursorPosition(), 0);
        QTest::keyClick(summary, Qt::Key_Right);
        QCOMPARE(words->cursorPosition(), 1);
        QTest::keyClick(summary, Qt::Key_Right, Qt::ControlModifier);
        QCOMPARE(words->cursorPosition(), firstWord.size() + 1);
        QTest::keyClick(summary, Qt::Key_Left, Qt::ControlModifier);
        QCOMPARE(words->cursorPosition(), 0);
        QCOMPARE(QApplication::focusWidget(), summary); // the arrows stay in the text

        // The ends say so.
        const auto said = [&] {
            const QWidget* note = screen->findChild<QWidget*>(u"screenReaderAnnouncement"_qs);
            return note ? QAccessible::queryAccessibleInterface(const_cast<QWidget*>(note))
                              ->text(QAccessible::Name)
                        : QString();
        };
        QTest::keyClick(summary, Qt::Key_End);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Down);
        QTRY_COMPARE_WITH_TIMEOUT(said(), u"End of the document."_qs, 30000);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Home);
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Up);
        QTRY_COMPARE_WITH_TIMEOUT(said(), u"Top of the document."_qs, 30000);
        QCOMPARE(QApplication::focusWidget(), texts.first());
    }
};

QUILLORA_TEST_MAIN(TemplateClassicTest)
#include "test_template_classic.moc"
