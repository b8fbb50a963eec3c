// What an assistive technology reads from the app's controls: it asks the accessibility
// interface Qt hands out for a widget, never a C++ getter.
#include "app/empty_resume_view.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/accessibility_updates.h"
#include "controls/editor_section_card.h"
#include "controls/keep_focus.h"
#include "controls/layout_move_animation.h"
#include "controls/one_line_field.h"
#include "controls/outcome.h"
#include "controls/progress_spinner.h"
#include "controls/window_rules.h"
#include "editor/font_picker_view.h"
#include "editor/preparing_pdf_overlay.h"
#include "editor/resume_editor_view.h"
#include "editor/skill_chip.h"
#include "help/bullet_row.h"
#include "output/template_classic.h"
#include "platform/appearance.h"
#include "support/fake_translation_engine.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QTextEdit>
#include <QTimer>
#include <QVBoxLayout>

#include <algorithm>

using namespace quillora;

namespace {

QAccessibleInterface* reader(QWidget* widget) {
    QAccessibleInterface* iface = widget ? QAccessible::queryAccessibleInterface(widget) : nullptr;
    if (!iface)
        qFatal("no accessibility interface for %s", widget ? qPrintable(widget->objectName()) : "null");
    return iface;
}

QString valueOf(QWidget* widget) {
    return reader(widget)->text(QAccessible::Value);
}

template <typename T = QWidget> T* child(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (!found)
        qFatal("no child named %s", qPrintable(name));
    return found;
}

// The accessibility events that reach the bridge, as (widget, event) pairs.
QList<std::pair<QObject*, QAccessible::Event>> g_sent;

void recordSent(QAccessibleEvent* event) {
    g_sent.append({event->object(), event->type()});
}

// How many events of these kinds the bridge got about `object`.
qsizetype sentAbout(const QObject* object, std::initializer_list<QAccessible::Event> kinds) {
    return std::count_if(g_sent.cbegin(), g_sent.cend(), [&](const auto& sent) {
        return sent.first == object && std::find(kinds.begin(), kinds.end(), sent.second) != kinds.end();
    });
}

} // namespace

class AccessibilityTraitsTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;
    ResumePtr m_resume;

private slots:
    void init() {
        m_services = Services::forTesting(QDir::tempPath() + QStringLiteral("/a11y.ini"));
        m_services->setTranslationEngine(std::make_unique<quillora::test::FakeTranslationEngine>());
        m_resume = quillora::test::makeFullResume();
        m_resume->setFontName(QStringLiteral("Helvetica Neue"));
        m_services->context().insert(m_resume);
        QVERIFY(m_services->context().save().ok());
    }

    void cleanup() {
        m_resume.reset();
        m_services.reset();
    }

    void fontRowsReadSelectedAndCarryTheSelectedState() {
        FontPickerView picker(*m_services, QStringLiteral("Helvetica Neue"));
        FontOptionRow* helvetica = picker.row(QStringLiteral("Helvetica Neue"));
        FontOptionRow* garamond = picker.row(QStringLiteral("EBGaramond12-Regular"));
        QCOMPARE(valueOf(helvetica), QStringLiteral("Selected"));
        QVERIFY(reader(helvetica)->state().selected);
        QVERIFY(reader(helvetica)->state().selectable);
        QCOMPARE(reader(helvetica)->role(), QAccessible::Button);
        QCOMPARE(reader(helvetica)->text(QAccessible::Name), QStringLiteral("Helvetica Neue"));
        // The desktop's bridge carries no value for a button: it is read after the hint.
        QCOMPARE(reader(helvetica)->text(QAccessible::Description),
                 QStringLiteral("Applies this font to the resume. Selected"));
        QCOMPARE(valueOf(garamond), QStringLiteral("Not selected"));
        QVERIFY(!reader(garamond)->state().selected);

        // The selection moves: both rows tell it, and the reader can press a row.
        picker.setSelectedFont(QStringLiteral("EBGaramond12-Regular"));
        QCOMPARE(valueOf(helvetica), QStringLiteral("Not selected"));
        QVERIFY(!reader(helvetica)->state().selected);
        QCOMPARE(valueOf(garamond), QStringLiteral("Selected"));
        QVERIFY(reader(garamond)->state().selected);
        QString written;
        connect(&picker, &FontPickerView::fontSelected, this, [&](const QString& name) { written = name; });
        QVERIFY(reader(helvetica)->actionInterface());
        reader(helvetica)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(written, QStringLiteral("Helvetica Neue")); // after the call returns
    }

    void editorControlsReadTheirValues() {
        ResumeEditorView editor(m_resume, *m_services);
        editor.show();
        // The Font Style card's button reads the font as the picker lists it, and follows it.
        auto* fontButton = child<QAbstractButton>(&editor, QStringLiteral("fontPickerButton"));
        QCOMPARE(reader(fontButton)->text(QAccessible::Name), QStringLiteral("Font style"));
        QCOMPARE(valueOf(fontButton), QStringLiteral("Helvetica Neue"));
        QCOMPARE(reader(fontButton)->role(), QAccessible::Button);
        m_resume->setFontName(QStringLiteral("Oswald-Light"));
        QCOMPARE(valueOf(fontButton), QStringLiteral("Oswald Light"));

        // The orientation buttons read each image's orientation (the first image is landscape).
        QList<QAbstractButton*> toggles;
        for (QAbstractButton* button : editor.findChildren<QAbstractButton*>()) {
            if (button->objectName().startsWith(u"togglePortfolioOrientationButton"))
                toggles << button;
        }
        QCOMPARE(toggles.size(), 2);
        QStringList values;
        for (QAbstractButton* toggle : toggles) {
            values << valueOf(toggle);
            QVERIFY(reader(toggle)
                        ->text(QAccessible::Name)
                        .startsWith(u"Toggle image orientation for image "_qs));
        }
        values.sort();
        QCOMPARE(values, (QStringList{QStringLiteral("Landscape"), QStringLiteral("Portrait")}));
        QAbstractButton* first = toggles.at(0);
        const QString before = valueOf(first);
        reader(first)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(valueOf(first),
                     before == u"Portrait" ? QStringLiteral("Landscape") : QStringLiteral("Portrait"));

        // Headings the screen marks as such.
        for (const char* name :
             {"portfolioReorderHeading", "coverLetterJobPostingHeading", "coverLetterTextHeading"}) {
            QAccessibleInterface* heading = reader(child(&editor, QString::fromLatin1(name)));
            QCOMPARE(heading->role(), QAccessible::Heading);
            QVERIFY(!heading->text(QAccessible::Name).isEmpty());
        }
        QCOMPARE(reader(child(&editor, QStringLiteral("portfolioReorderHeading")))->text(QAccessible::Name),
                 QStringLiteral("Reorder Images"));
    }

    void otherHeadingsAreHeadings() {
        ThemedEmptyResumeView empty(*m_services);
        QAccessibleInterface* title = reader(child(&empty, QStringLiteral("emptyResumeTitle")));
        QCOMPARE(title->role(), QAccessible::Heading);
        QCOMPARE(title->text(QAccessible::Name), QStringLiteral("Select a Résumé"));

        QWidget host;
        host.resize(400, 300);
        SkillEditPopup popup(QStringLiteral("Swift: Expert"), m_services->appearance(), &host);
        QAccessibleInterface* popupTitle = reader(child(&popup, QStringLiteral("editSkillTitle")));
        QCOMPARE(popupTitle->role(), QAccessible::Heading);
        QCOMPARE(popupTitle->text(QAccessible::Name), QStringLiteral("Edit Skill"));

        TemplateClassic preview(m_resume, *m_services);
        QAccessibleInterface* name = reader(child(&preview, QStringLiteral("previewName")));
        QCOMPARE(name->role(), QAccessible::Heading);
        QCOMPARE(name->text(QAccessible::Name), m_resume->fullName());
    }

    void languageMenuReadsTheChosenLanguage() {
        TemplateClassic preview(m_resume, *m_services);
        auto* menu = child<QPushButton>(&preview, QStringLiteral("templateLanguageMenu"));
        QCOMPARE(reader(menu)->text(QAccessible::Name), QStringLiteral("Language"));
        QCOMPARE(valueOf(menu), QStringLiteral("No language selected"));
        QCOMPARE(reader(menu)->role(), QAccessible::Button);
        preview.chooseLanguage(QStringLiteral("es"));
        QCOMPARE(valueOf(menu), QStringLiteral("Spanish"));
        QVERIFY(reader(menu)->text(QAccessible::Description).endsWith(u". Spanish"));
        // The chosen row of the menu is the one checked.
        QStringList checked;
        for (const QAction* row :
             child<QMenu>(&preview, QStringLiteral("templateLanguageMenuRows"))->actions())
            if (row->isChecked())
                checked << row->data().toString();
        QCOMPARE(checked, QStringList{u"es"_qs});
        // The menu is read inside the preview it pops up from, not beside the windows, so a
        // screen reader coming back from it does not read the window around it anew.
        QMenu* rows = child<QMenu>(&preview, QStringLiteral("templateLanguageMenuRows"));
        QAccessibleInterface* rowsReader = QAccessible::queryAccessibleInterface(rows);
        QCOMPARE(rowsReader->parent()->object(), &preview);
        QCOMPARE(rowsReader->childCount(), rows->actions().size());
        QAccessibleInterface* first = rowsReader->child(0);
        QCOMPARE(first->role(), QAccessible::MenuItem);
        QCOMPARE(first->parent(), rowsReader);
        QCOMPARE(rowsReader->indexOfChild(first), 0);
        QCOMPARE(first->text(QAccessible::Name), rows->actions().value(0)->text());
        // It opens on the chosen row, named, so a reader says the menu as it opens (once the
        // languages' availability, asked for as the preview shows, has come in).
        QCOMPARE(rowsReader->text(QAccessible::Name), QStringLiteral("Language"));
        static_cast<quillora::test::FakeTranslationEngine&>(m_services->translationEngine())
            .setStatus(QStringLiteral("es"), TranslationPairStatus::installed);
        QSignalSpy asked(&preview, &TemplateClassic::availabilityChecked);
        preview.show();
        QVERIFY(QTest::qWaitForWindowExposed(&preview));
        QTRY_VERIFY_WITH_TIMEOUT(!asked.isEmpty(), 20000);
        QCOMPARE(valueOf(menu), QStringLiteral("Spanish"));
        QSignalSpy onRow(rows, &QMenu::hovered);
        menu->click();
        QTRY_VERIFY(rows->isVisible());
        QTRY_VERIFY(!onRow.isEmpty());
        QCOMPARE(onRow.first().first().value<QAction*>()->data().toString(), u"es"_qs);
        rows->close();
    }

    // A widget whose interface was made before it had traits still reports them.
    void traitsReplaceAnInterfaceMadeEarlier() {
        QLabel label(QStringLiteral("Title"));
        QCOMPARE(reader(&label)->role(), QAccessible::StaticText);
        markAsAccessibleHeading(&label);
        QCOMPARE(reader(&label)->role(), QAccessible::Heading);
        QCOMPARE(reader(&label)->text(QAccessible::Name), QStringLiteral("Title"));
        QPushButton button(QStringLiteral("&Open"));
        QVERIFY(reader(&button)->text(QAccessible::Value).isEmpty());
        setAccessibleValue(&button, QStringLiteral("On"));
        QCOMPARE(valueOf(&button), QStringLiteral("On"));
        QCOMPARE(reader(&button)->text(QAccessible::Name), QStringLiteral("Open"));
        QCOMPARE(reader(&button)->text(QAccessible::Description), QStringLiteral("On"));
        // A text is read by its name alone (a label's description never is): its value ends the
        // name, once, and a new value renames it.
        QLabel score(QStringLiteral("68%"));
        score.setAccessibleName(QStringLiteral("Resume ATS score"));
        score.setAccessibleDescription(QStringLiteral("Out of 100"));
        setAccessibleValue(&score, QStringLiteral("68 percent"));
        QCOMPARE(reader(&score)->role(), QAccessible::StaticText);
        QCOMPARE(reader(&score)->text(QAccessible::Name), QStringLiteral("Resume ATS score, 68 percent"));
        QCOMPARE(reader(&score)->text(QAccessible::Description), QStringLiteral("Out of 100"));
        QCOMPARE(valueOf(&score), QStringLiteral("68 percent"));
        setAccessibleValue(&score, QStringLiteral("70 percent"));
        QCOMPARE(reader(&score)->text(QAccessible::Name), QStringLiteral("Resume ATS score, 70 percent"));
        // A heading keeps its name: its description, which readers read, carries the value.
        markAsAccessibleHeading(&score);
        QCOMPARE(reader(&score)->text(QAccessible::Name), QStringLiteral("Resume ATS score"));
        QCOMPARE(reader(&score)->text(QAccessible::Description), QStringLiteral("Out of 100. 70 percent"));
    }

    // A window opens with the focus on its first control, not on the scrolling page before it;
    // a control the user focuses later keeps it when the window is activated again.
    void aWindowsFirstFocusIsItsFirstControl() {
        installWindowRules(*qApp);
        QDialog sheet;
        auto* layout = new QVBoxLayout(&sheet);
        auto* page = new QScrollArea(&sheet);
        auto* close = new QPushButton(QStringLiteral("Close"), &sheet);
        auto* field = new QLineEdit(&sheet);
        layout->addWidget(page);
        layout->addWidget(close);
        layout->addWidget(field);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QTRY_COMPARE(sheet.focusWidget(), close);
        field->setFocus();
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        bool looked = false; // due after the rules' own looks at a window that comes back
        QTimer::singleShot(500, &sheet, [&looked] { looked = true; });
        QTRY_VERIFY(looked);
        QCOMPARE(sheet.focusWidget(), field);
    }

    // A combined element reads its texts once: only its controls stay below it; a hidden
    // widget is left out of its parent.
    void combinedAndHiddenElements() {
        // A window made of a plain panel is read as a window; a panel inside it as a group.
        QWidget panel;
        panel.setWindowTitle(QStringLiteral("About"));
        QCOMPARE(reader(&panel)->role(), QAccessible::Window);
        auto* card = new QWidget(&panel);
        auto* title = new QLabel(QStringLiteral("Welcome"), card);
        auto* icon = new QWidget(card);
        auto* dismiss = new QPushButton(QStringLiteral("Dismiss"), card);
        QCOMPARE(reader(card)->childCount(), 2); // the unnamed empty box is a decoration, not read
        combineAccessibleChildren(card, QStringLiteral("Welcome"), QStringLiteral("Hello there"));
        QCOMPARE(reader(card)->childCount(), 1);
        QCOMPARE(reader(card)->child(0)->object(), dismiss);
        QCOMPARE(reader(card)->indexOfChild(reader(dismiss)), 0);
        QCOMPARE(reader(card)->indexOfChild(reader(title)), -1);
        QCOMPARE(reader(card)->text(QAccessible::Name), QStringLiteral("Welcome"));
        QCOMPARE(reader(card)->text(QAccessible::Description), QStringLiteral("Hello there"));
        QCOMPARE(reader(card)->role(), QAccessible::Client);
        Q_UNUSED(icon);

        QWidget window;
        auto* overlay = new QWidget(&window);
        auto* content = new QPushButton(QStringLiteral("Add"), &window);
        hideFromAccessibility(overlay);
        QCOMPARE(reader(&window)->childCount(), 1);
        QCOMPARE(reader(&window)->child(0)->object(), content);
    }

    // Each thing is read once, and what is only drawn is not read.
    void eachThingReadOnce() {
        Appearance& appearance = m_services->appearance();
        BulletRow row(appearance, QStringLiteral("Tap a card to open it."));
        QCOMPARE(reader(&row)->text(QAccessible::Name), QStringLiteral("Tap a card to open it."));
        QCOMPARE(reader(&row)->childCount(), 0);

        QWidget editor;
        PreparingPDFOverlay overlay(appearance, &editor);
        QCOMPARE(reader(&overlay)->text(QAccessible::Name), QStringLiteral("Preparing PDF"));
        QCOMPARE(reader(&overlay)->childCount(), 0);
        QVERIFY(reader(&overlay)->state().animated); // the bridge's nearest to "updates frequently"
        ProgressSpinner spinner(24);
        QVERIFY(reader(&spinner)->state().animated);

        EditorSectionCard card(appearance, QStringLiteral("person.text.rectangle"),
                               QStringLiteral("Basic Info"),
                               QStringLiteral("Who you are and how to reach you"), Qt::blue);
        card.resize(600, 300);
        card.show();
        QVERIFY(QTest::qWaitForWindowExposed(&card));
        QStringList read;
        const std::function<void(QAccessibleInterface*)> collect = [&](QAccessibleInterface* node) {
            for (int i = 0; i < node->childCount(); ++i) {
                QAccessibleInterface* inner = node->child(i);
                read << QStringLiteral("%1:%2").arg(int(inner->role())).arg(inner->text(QAccessible::Name));
                collect(inner);
            }
        };
        collect(reader(&card));
        // The title (a heading) and the subtitle; the icon badge is not read.
        read.removeAll(QStringLiteral("%1:").arg(int(QAccessible::Client))); // the header only groups them
        const QStringList expected{
            QStringLiteral("%1:Basic Info").arg(int(QAccessible::Heading)),
            QStringLiteral("%1:Who you are and how to reach you").arg(int(QAccessible::StaticText))};
        QVERIFY2(read == expected, qPrintable(read.join(u'|')));
    }

    // Children are read in the order they stand on screen, whatever order they were made in, and
    // follow a move at once; a button inside is read in its place.
    void childrenReadInScreenOrder() {
        QWidget box;
        box.resize(300, 200);
        auto* below = new QPushButton(QStringLiteral("Below"), &box);
        auto* right = new QPushButton(QStringLiteral("Right"), &box);
        auto* left = new QPushButton(QStringLiteral("Left"), &box);
        below->setGeometry(10, 120, 100, 30);
        right->setGeometry(150, 10, 100, 30);
        left->setGeometry(10, 10, 100, 30);
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        const auto names = [&] {
            QStringList list;
            for (int i = 0; i < reader(&box)->childCount(); ++i)
                list << reader(&box)->child(i)->text(QAccessible::Name);
            return list;
        };
        QCOMPARE(names(), (QStringList{u"Left"_qs, u"Right"_qs, u"Below"_qs}));
        QCOMPARE(reader(&box)->indexOfChild(reader(below)), 2);
        below->move(10, 60);
        left->move(10, 120);
        QCOMPARE(names(), (QStringList{u"Right"_qs, u"Below"_qs, u"Left"_qs}));
        box.setLayoutDirection(Qt::RightToLeft);
        right->move(10, 10);
        left->move(150, 10);
        below->move(10, 120);
        QCOMPARE(names(), (QStringList{u"Left"_qs, u"Right"_qs, u"Below"_qs}));
    }

    // Nothing behind an open modal sheet takes an action from the bridge; the sheet's own
    // controls do, and a value button takes the focus as other buttons do.
    void actionsStopAtAnOpenSheet() {
        QWidget window;
        auto* behind = new QPushButton(QStringLiteral("Add resume"), &window);
        int added = 0;
        connect(behind, &QPushButton::clicked, this, [&] { ++added; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QDialog sheet(&window);
        auto* inside = new QPushButton(QStringLiteral("Inter"), &sheet);
        setAccessibleValue(inside, QStringLiteral("Not selected"));
        int chosen = 0;
        connect(inside, &QPushButton::clicked, this, [&] { ++chosen; });
        sheet.open();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        QVERIFY(isBlockedByModal(behind));
        QVERIFY(!isBlockedByModal(inside));
        // The sheet says it holds the keys; the window under it does not.
        QVERIFY(reader(&sheet)->state().modal);
        QVERIFY(!reader(&window)->state().modal);
        reader(behind)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        reader(inside)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(chosen, 1);
        QCOMPARE(added, 0);
        QVERIFY(reader(inside)->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::setFocusAction()));
        reader(inside)->actionInterface()->doAction(QAccessibleActionInterface::setFocusAction());
        QCOMPARE(sheet.focusWidget(), inside);
        sheet.close();
        QVERIFY(!isBlockedByModal(behind));
        reader(behind)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(added, 1);
    }

    // An in-window popup (the Edit Skill card over its dimmed window) holds its window as a modal
    // sheet does: a press from the bridge on a control beside it does nothing until it closes.
    void actionsStopAtAnOpenPopup() {
        QWidget window;
        window.resize(400, 300);
        auto* behind = new QPushButton(QStringLiteral("Add resume"), &window);
        auto* popup = new QWidget(&window);
        popup->setGeometry(100, 0, 300, 300);
        markAsModalOverlay(popup);
        auto* save = new QPushButton(QStringLiteral("Save"), popup);
        int added = 0;
        int saved = 0;
        connect(behind, &QPushButton::clicked, this, [&] { ++added; });
        connect(save, &QPushButton::clicked, this, [&] { ++saved; });
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QVERIFY(isBlockedByModal(behind));
        QVERIFY(!isBlockedByModal(save));
        QVERIFY(reader(popup)->state().modal);
        reader(behind)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        reader(save)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(saved, 1);
        QCOMPARE(added, 0);
        popup->hide();
        reader(behind)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTRY_COMPARE(added, 1);
    }

    // A window says what it is for as it opens, not as a reader comes back to it from a window it
    // opened; again as it opens again. Its first focus, given before the system activated it,
    // reaches the reader after its activation.
    void aWindowSaysWhatItIsForAsItOpens() {
        installWindowRules(*qApp);
        QWidget window;
        window.show();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const QString purpose = u"Your key is stored on this device and will be used for all AI features."_qs;
        QDialog sheet(&window);
        setWindowPurpose(&sheet, purpose);
        auto* field = new QLineEdit(&sheet);
        sheet.open();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QCOMPARE(reader(&sheet)->text(QAccessible::Description), purpose);
        QCOMPARE(reader(&window)->text(QAccessible::Description), QString());
        QDialog over(&sheet);
        over.open();
        QVERIFY(QTest::qWaitForWindowExposed(&over));
        QCOMPARE(reader(&sheet)->text(QAccessible::Description), QString());
        over.close();
        sheet.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QCOMPARE(reader(&sheet)->text(QAccessible::Description), QString());
        sheet.close();
        sheet.open();
        QVERIFY(QTest::qWaitForWindowActive(&sheet));
        QCOMPARE(reader(&sheet)->text(QAccessible::Description), purpose);

        // What the bridge gets, once a reader listens (the bridge's own events are not sent here).
        QAccessible::installUpdateHandler(&recordSent);
        installAccessibilityUpdateFilter();
        g_sent.clear();
        QTRY_VERIFY(field->hasFocus());
        QAccessibleEvent focused(field, QAccessible::Focus);
        filterAccessibilityUpdate(&focused);
        QCOMPARE(sentAbout(field, {QAccessible::Focus}), 1);
        QDialog next(&window);
        auto* first = new QPushButton(QStringLiteral("Close"), &next);
        setWindowOpening(&next, true);
        QAccessibleEvent early(first, QAccessible::Focus);
        filterAccessibilityUpdate(&early);
        QCOMPARE(sentAbout(first, {QAccessible::Focus}), 0);
        sheet.close();
        next.show();
        QVERIFY(QTest::qWaitForWindowActive(&next));
        QTRY_VERIFY(first->hasFocus());
        QAccessible::State active;
        active.active = true;
        QAccessibleStateChangeEvent activated(&next, active);
        filterAccessibilityUpdate(&activated);
        // Once, after the activation.
        QCOMPARE(sentAbout(first, {QAccessible::Focus}), 1);
        const auto at = [](QObject* object, QAccessible::Event type) {
            return std::find(g_sent.cbegin(), g_sent.cend(), std::pair{object, type}) - g_sent.cbegin();
        };
        QVERIFY(at(&next, QAccessible::StateChanged) < at(first, QAccessible::Focus));
        QAccessible::installUpdateHandler(nullptr);
        installAccessibilityUpdateFilter();
    }

    // A link shown disabled is still a stop: its stand-in takes the focus, read as the link and
    // unavailable, and a press through the bridge does nothing; the link is not read twice.
    void aDisabledLinkStaysAStop() {
        QWidget sheet;
        auto* link = new QPushButton(QStringLiteral("Get Morvessa (coming soon)"), &sheet);
        link->setGeometry(10, 10, 200, 40);
        int pressed = 0;
        connect(link, &QPushButton::clicked, this, [&] { ++pressed; });
        link->setEnabled(false);
        keepReachableWhileDisabled(link);
        sheet.show();
        QVERIFY(QTest::qWaitForWindowExposed(&sheet));
        auto* standIn = sheet.findChild<QAbstractButton*>(QStringLiteral("disabledStandIn"));
        QVERIFY(standIn && standIn->isVisible() && standIn->focusPolicy() == Qt::StrongFocus);
        QCOMPARE(reader(standIn)->text(QAccessible::Name), link->text());
        QVERIFY(reader(standIn)->state().disabled && reader(standIn)->state().focusable);
        QVERIFY(isHiddenFromAccessibility(link));
        reader(standIn)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QTest::keyClick(standIn, Qt::Key_Space);
        QCoreApplication::processEvents();
        QCOMPARE(pressed, 0);
        link->setEnabled(true);
        QVERIFY(standIn->isHidden());
    }

    // A new value of the control in focus is said as a notification of its window, holding the
    // text; a value shown for the first time, or of a control without focus, is not.
    void changedValuesAreSaid() {
        QWidget window;
        auto* orientation = new QPushButton(QStringLiteral("Toggle image orientation"), &window);
        auto* other = new QPushButton(QStringLiteral("Other"), &window);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        const auto said = [&]() -> QString {
            QCoreApplication::processEvents(); // said once the event is handled
            auto* note = window.findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"),
                                                    Qt::FindDirectChildrenOnly);
            if (!note || !note->isVisible())
                return {};
            if (reader(note)->role() != QAccessible::Notification)
                return QStringLiteral("not a notification");
            return reader(note)->text(QAccessible::Name);
        };
        setAccessibleValue(orientation, QStringLiteral("Portrait"));
        orientation->setFocus();
        QCOMPARE(said(), QString());
        setAccessibleValue(other, QStringLiteral("Landscape"));
        setAccessibleValue(other, QStringLiteral("Portrait"));
        QCOMPARE(said(), QString());
        setAccessibleValue(orientation, QStringLiteral("Landscape"));
        QCOMPARE(said(), QStringLiteral("Landscape"));
        // A new element for each text: a reader keeps the name it read first for an element.
        const QPointer<QWidget> first = window.findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"),
                                                                   Qt::FindDirectChildrenOnly);
        announceToScreenReader(orientation, QStringLiteral("Copied to clipboard!"));
        QCOMPARE(said(), QStringLiteral("Copied to clipboard!"));
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(first && first->isHidden() && first->objectName().isEmpty()); // gone from the tree
        // It is read on its own, not inside its window (a reader says a dialog's name and texts
        // before an element of the dialog), and is not a control.
        auto* note = window.findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"));
        QCOMPARE(reader(note)->parent(), QAccessible::queryAccessibleInterface(qApp));
        for (int i = 0; i < reader(&window)->childCount(); ++i)
            QVERIFY(reader(&window)->child(i)->object() != note);
        QCOMPARE(note->focusPolicy(), Qt::NoFocus);
    }

    // What one action ends in is said once: a changed value and the outcome said with it are one
    // notification, the outcome's, whichever comes first; the same text straight after is not said
    // again; a replaced note stays readable; the control given the focus takes it, in view.
    void outcomesAreSaidOnce() {
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        auto* area = new QScrollArea(&window);
        auto* page = new QWidget;
        page->setFixedSize(200, 2000);
        auto* row = new QPushButton(QStringLiteral("Row"), page);
        row->move(0, 1800);
        area->setWidget(page);
        layout->addWidget(area);
        auto* font = new QPushButton(QStringLiteral("Inter"), &window);
        layout->addWidget(font);
        window.resize(300, 300);
        window.show();
        window.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&window));
        font->setFocus();
        setAccessibleValue(font, QStringLiteral("Not selected"));
        const auto notes = [&] {
            QCoreApplication::processEvents();
            QStringList texts;
            for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (reader(child)->role() == QAccessible::Notification)
                    texts << reader(child)->text(QAccessible::Name);
            return texts;
        };
        setAccessibleValue(font, QStringLiteral("Selected"));
        QElapsedTimer first; // the same text is said again 1.5 s later: a busy machine may get there
        first.start();
        announceOutcome(font, QStringLiteral("Inter selected."));
        QCOMPARE(notes(), QStringList{u"Inter selected."_qs});
        announceOutcome(font, QStringLiteral("Inter selected."));
        if (const QStringList heard = notes(); first.elapsed() < 1500)
            QCOMPARE(heard, QStringList{u"Inter selected."_qs});
        announceOutcome(font, QStringLiteral("Copied."));
        setAccessibleValue(font, QStringLiteral("Not selected"));
        QCOMPARE(notes().first(), u"Inter selected."_qs);
        QCOMPARE(notes().last(), u"Copied."_qs);
        QVERIFY(!notes().contains(u"Not selected"_qs));
        // A value picked from a control's menu is said once, as a note once the menu is gone (a
        // reader that was still reading the menu may not read the control again); so it is when
        // the focus is elsewhere.
        installWindowRules(*qApp);
        QMenu menu(font);
        QObject::connect(menu.addAction(QStringLiteral("Spanish")), &QAction::triggered, font, [font] {
            setAccessibleValue(font, QStringLiteral("Spanish"));
            announceChosenValue(font, QStringLiteral("Spanish"));
        });
        menu.popup(font->mapToGlobal(QPoint(0, font->height())));
        QTRY_VERIFY(menu.isVisible());
        QTest::keyClick(&menu, Qt::Key_Down);
        QTest::keyClick(&menu, Qt::Key_Return);
        QTRY_COMPARE(valueOf(font), u"Spanish"_qs);
        QTRY_COMPARE_WITH_TIMEOUT(notes().count(u"Spanish"_qs), 1, 20000);
        QApplication::setActiveWindow(&window);
        QTRY_VERIFY(font->hasFocus());
        setAccessibleValue(font, QStringLiteral("French")); // changed with the focus staying
        QCOMPARE(notes().last(), u"French"_qs);
        row->setFocus();
        announceChosenValue(font, QStringLiteral("German"));
        QCOMPARE(notes().last(), u"German"_qs);
        font->setFocus();

        area->verticalScrollBar()->setValue(0); // where the first focus may have scrolled
        QVERIFY(!isInView(row));
        announceOutcome(nullptr, movedToPositionText(2, 3), row);
        QCOMPARE(notes().last(), u"Moved to position 2 of 3."_qs);
        QVERIFY(row->hasFocus());
        QTRY_VERIFY(isInView(row));
        // Bringing the focus into view once the page is laid out, and again once a slide has
        // settled, follows the focus when it has moved on meanwhile (a key pressed on a busy
        // machine): the page never goes back to the control the user has left.
        QScrollBar* bar = area->verticalScrollBar();
        announceOutcome(row, QStringLiteral("Removed “Qt”."));
        font->setFocus();
        bar->setValue(0);
        QCOMPARE(notes().last(), u"Removed “Qt”."_qs); // every deferred step has run
        QCOMPARE(bar->value(), 0);
        announceOutcome(nullptr, movedToPositionText(2, 3), row);
        QVERIFY(row->hasFocus());
        font->setFocus();
        bar->setValue(0);
        QCOMPARE(notes().last(), u"Moved to position 2 of 3."_qs);
        QCOMPARE(bar->value(), 0);
        bool settled = false; // due after the slide's own step, so run after it
        QTimer::singleShot(springDurationMs + 100, &window, [&settled] { settled = true; });
        QTRY_VERIFY(settled);
        QCOMPARE(bar->value(), 0);

        // Asked for while no window is active (a dialog has just closed), a note waits until the
        // focus is back, and is said then.
        // It waits a while at most (1.5 s): a check later than that, on a busy machine, is no proof.
        constexpr qint64 heldMs = 1500;
        QElapsedTimer asked;
        asked.start();
        QApplication::setActiveWindow(nullptr);
        announceOutcome(font, QStringLiteral("Added 1 photo."));
        QTest::qWait(200);
        if (const QString heard = notes().last(); asked.elapsed() < heldMs)
            QCOMPARE(heard, u"Moved to position 2 of 3."_qs);
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(notes().last(), u"Added 1 photo."_qs);

        // Asked for as a whole screen is built (a reader is flooded with its events), a note
        // waits until the widgets have settled.
        installAccessibilityRules();
        auto* screen = new QWidget(&window);
        for (int i = 0; i < 60; ++i)
            new QPushButton(QString::number(i), screen);
        asked.start();
        screen->show();
        announceOutcome(font, QStringLiteral("Opened “Design”."));
        QTest::qWait(100);
        // Settled 0.3 s after the last change: only a check before that proves the wait.
        if (const QString heard = notes().last(); asked.elapsed() < 300)
            QCOMPARE(heard, u"Added 1 photo."_qs);
        QTRY_COMPARE(notes().last(), u"Opened “Design”."_qs);

        // Two outcomes close together are both said, in order: while no window is active, and
        // while the widgets churn.
        QApplication::setActiveWindow(nullptr);
        announceOutcome(font, QStringLiteral("Translated into Spanish."));
        QTest::qWait(300);
        announceOutcome(font, QStringLiteral("Copied to clipboard!"));
        QTest::qWait(100);
        QApplication::setActiveWindow(&window);
        QTRY_COMPARE(notes().mid(notes().size() - 2),
                     (QStringList{u"Translated into Spanish."_qs, u"Copied to clipboard!"_qs}));
        QTimer churn;
        connect(&churn, &QTimer::timeout, screen, [screen] {
            for (int i = 0; i < 30; ++i)
                (new QPushButton(screen))->show();
        });
        churn.start(50);
        QTest::qWait(200);
        announceOutcome(font, QStringLiteral("Moved to position 1 of 3."));
        QTest::qWait(300);
        announceOutcome(font, QStringLiteral("Added 2 photos."));
        QTest::qWait(300);
        churn.stop();
        QTRY_COMPARE(notes().mid(notes().size() - 2),
                     (QStringList{u"Moved to position 1 of 3."_qs, u"Added 2 photos."_qs}));

        // The notes' own elements are no churn: many outcomes in a row are each said at once.
        announceOutcome(font, QStringLiteral("Settled.")); // said once the churn above has settled
        QTRY_COMPARE(notes().last(), u"Settled."_qs);
        for (int i = 1; i <= 40; ++i) {
            announceOutcome(font, movedToPositionText(i, 40));
            QCOMPARE(notes().last(), movedToPositionText(i, 40));
        }

        // The outcome of a dialog the window opened (files chosen, read in the background) is
        // said once the dialog has closed and the window is active again, however long the
        // system takes (far longer than the short wait above; it may activate another window
        // first): sent before, it reaches a reader among the closing's events, which it throws
        // away as a flood. Once.
        const auto shown = [&] {
            QStringList texts;
            for (QWidget* child : window.findChildren<QWidget*>(Qt::FindDirectChildrenOnly))
                if (reader(child)->role() == QAccessible::Notification)
                    texts << reader(child)->text(QAccessible::Name);
            return texts;
        };
        const QString added = QStringLiteral("Added 4 photos.");
        QWidget other;
        other.show();
        QDialog chooser(&window);
        chooser.show();
        QApplication::setActiveWindow(&chooser);
        QElapsedTimer closed;
        closed.start();
        chooser.hide();
        QTRY_VERIFY(window.isActiveWindow());
        QApplication::setActiveWindow(&other);
        announceOutcome(font, added);
        QTest::qWait(int(2 * heldMs));
        // It waits 15 s at most: a check later than that, on a busy machine, is no proof.
        if (const QStringList heard = shown(); closed.elapsed() < 15000)
            QVERIFY(!heard.contains(added));
        QApplication::setActiveWindow(&window);
        QTRY_VERIFY(shown().contains(added));
        QCOMPARE(shown().count(added), 1);
        // One asked for while the dialog is still active (a copy saved as its file is chosen)
        // is not said at once either: the dialog closes next.
        const QString saved = QStringLiteral("Saved a copy as “a.pdf”.");
        chooser.show();
        QApplication::setActiveWindow(&chooser);
        announceOutcome(font, saved);
        QVERIFY(!shown().contains(saved));
        chooser.hide();
        QTRY_VERIFY(shown().contains(saved));
        QVERIFY(window.isActiveWindow());
        QCOMPARE(shown().count(saved), 1);
        // What a sheet said last stays readable once it has closed and is gone: a reader that is
        // behind asks for the note's name later.
        auto* sheet = new QDialog(&window);
        auto* removeKey = new QPushButton(QStringLiteral("Remove OpenAI API Key"), sheet);
        sheet->show();
        QApplication::setActiveWindow(sheet);
        QVERIFY(QTest::qWaitForWindowActive(sheet));
        announceOutcome(removeKey, QStringLiteral("Removed the OpenAI API key."));
        QTRY_VERIFY(sheet->findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement")));
        const QPointer<QWidget> last = sheet->findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"));
        sheet->close();
        delete sheet;
        QVERIFY(last);
        QCOMPARE(reader(last)->text(QAccessible::Name), QStringLiteral("Removed the OpenAI API key."));
        QVERIFY(!shown().contains(QStringLiteral("Removed the OpenAI API key."))); // not the window's
        // A status line that shows the outcome is read as the window's status, not among its
        // texts each time the window is entered.
        auto* status = new QLabel(QStringLiteral("Saved a copy as “a.pdf”."), &window);
        markAsAccessibleStatus(status);
        QCOMPARE(reader(status)->role(), QAccessible::StatusBar);
        QCOMPARE(reader(status)->text(QAccessible::Name), status->text());
    }

    // A widget left unchanged sends no accessibility event: its name, description, value or state
    // set again as they are, or anything of it changed while no one can see it (hidden, or left
    // out of what is read). One a reader met before it was hidden says what changed meanwhile as
    // it shows again, once.
    // A screen reader asks a text field for the character, word, sentence or line at, before and
    // after each offset, the end of the text included (Ctrl+Right to the end of a field): every
    // answer comes back, and is the piece of the text between the offsets it gives.
    void textFieldsAnswerEveryLookupToTheirEnd() {
        installAccessibilityRules();
        QWidget window;
        auto* layout = new QVBoxLayout(&window);
        QLineEdit* field = makeOneLineField(&window, QStringLiteral("Hello world. Again here"));
        auto* plain = new QLineEdit(QStringLiteral("Hello world"), &window);
        auto* area = new QPlainTextEdit(QStringLiteral("Hello world.\nSecond line"), &window);
        auto* rich = new QTextEdit(QStringLiteral("Hello world. Again here"), &window);
        for (QWidget* widget : std::initializer_list<QWidget*>{field, plain, area, rich})
            layout->addWidget(widget);
        window.show();
        using Lookup =
            QString (QAccessibleTextInterface::*)(int, QAccessible::TextBoundaryType, int*, int*) const;
        for (QWidget* widget : std::initializer_list<QWidget*>{field, plain, area, rich}) {
            QAccessibleTextInterface* text = reader(widget)->textInterface();
            QVERIFY(text);
            const QString all = text->text(0, text->characterCount());
            const int size = int(all.size());
            for (const auto kind :
                 {QAccessible::CharBoundary, QAccessible::WordBoundary, QAccessible::SentenceBoundary,
                  QAccessible::LineBoundary, QAccessible::ParagraphBoundary, QAccessible::NoBoundary})
                for (const Lookup lookup :
                     {&QAccessibleTextInterface::textBeforeOffset, &QAccessibleTextInterface::textAtOffset,
                      &QAccessibleTextInterface::textAfterOffset})
                    for (int offset = 0; offset <= size; ++offset) {
                        int start = -2;
                        int end = -2;
                        const QString piece = (text->*lookup)(offset, kind, &start, &end);
                        if (start < 0)
                            continue;
                        QVERIFY2(start <= end && end <= size, qPrintable(all));
                        QCOMPARE(piece, all.mid(start, end - start));
                    }
        }

        // At the end of a line edit: the last word and sentence, and none after them.
        QAccessibleTextInterface* text = reader(plain)->textInterface();
        int start = -2;
        int end = -2;
        QCOMPARE(text->textAtOffset(11, QAccessible::WordBoundary, &start, &end), QStringLiteral("world"));
        QCOMPARE(std::pair(start, end), std::pair(6, 11));
        QCOMPARE(text->textBeforeOffset(11, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral("world"));
        QCOMPARE(text->textAfterOffset(11, QAccessible::WordBoundary, &start, &end), QString());
        QCOMPARE(std::pair(start, end), std::pair(11, 11));
        QCOMPARE(text->textAtOffset(2, QAccessible::WordBoundary, &start, &end), QStringLiteral("Hello "));
        QCOMPARE(
            reader(field)->textInterface()->textAtOffset(23, QAccessible::SentenceBoundary, &start, &end),
            QStringLiteral("Again here"));
        plain->setCursorPosition(11);
        QCOMPARE(text->textAtOffset(-2, QAccessible::WordBoundary, &start, &end), QStringLiteral("world"));

        // Everything else is read and done as Qt does it: the caret, the selection, editing, the value.
        QCOMPARE(reader(plain)->role(), QAccessible::EditableText);
        text->setCursorPosition(3);
        QCOMPARE(plain->cursorPosition(), 3);
        text->addSelection(0, 5);
        QCOMPARE(plain->selectedText(), QStringLiteral("Hello"));
        QVERIFY(reader(plain)->editableTextInterface());
        reader(plain)->editableTextInterface()->insertText(11, QStringLiteral("!"));
        QCOMPARE(plain->text(), QStringLiteral("Hello world!"));
        QCOMPARE(reader(plain)->text(QAccessible::Value), QStringLiteral("Hello world!"));
        QVERIFY(reader(plain)->actionInterface());
        QVERIFY(reader(plain)->actionInterface()->actionNames().contains(
            QAccessibleActionInterface::setFocusAction()));
        // A password is not read by its words.
        plain->setEchoMode(QLineEdit::Password);
        QCOMPARE(text->textAtOffset(0, QAccessible::WordBoundary, &start, &end), QString());
        QCOMPARE(start, -1);
        // A line edit that goes takes its interfaces with it; the next one is read the same way.
        delete plain;
        auto* next = new QLineEdit(QStringLiteral("One more"), &window);
        QCOMPARE(reader(next)->textInterface()->textAtOffset(8, QAccessible::WordBoundary, &start, &end),
                 QStringLiteral("more"));
    }

    void aWidgetLeftUnchangedSendsNothing() {
        // The recorder stands where the bridge does: what the app's rules let through reaches it.
        QAccessible::installUpdateHandler(&recordSent);
        installAccessibilityRules();
        // What Qt hands the rules as each of these is set, once a reader listens (Qt's offscreen
        // platform has none, and hands them nothing).
        const auto says = [](QWidget* widget, QAccessible::Event type) {
            QAccessibleEvent event(widget, type);
            filterAccessibilityUpdate(&event);
        };
        const auto name = [&](QWidget* widget, const QString& text) {
            widget->setAccessibleName(text);
            says(widget, QAccessible::NameChanged);
        };
        const auto describe = [&](QWidget* widget, const QString& text) {
            widget->setAccessibleDescription(text);
            says(widget, QAccessible::DescriptionChanged);
        };
        const auto value = [&](QWidget* widget, const QString& text) {
            setAccessibleValue(widget, text);
            QAccessibleValueChangeEvent event(widget, text);
            filterAccessibilityUpdate(&event);
            says(widget, QAccessible::DescriptionChanged);
        };
        const auto enable = [&](QWidget* widget, bool enabled) {
            if (widget->isEnabled() == enabled)
                return;
            widget->setEnabled(enabled);
            QAccessible::State disabled;
            disabled.disabled = true;
            QAccessibleStateChangeEvent event(widget, disabled);
            filterAccessibilityUpdate(&event);
        };
        const auto show = [&](QWidget* widget, bool shown) {
            widget->setVisible(shown);
            says(widget, shown ? QAccessible::ObjectShow : QAccessible::ObjectHide);
        };
        const std::initializer_list<QAccessible::Event> changes{
            QAccessible::NameChanged, QAccessible::DescriptionChanged, QAccessible::ValueChanged,
            QAccessible::StateChanged};

        QWidget window;
        auto* button = new QPushButton(QStringLiteral("Analyze"), &window);
        auto* toggle = new QPushButton(&window); // in a row not shown
        auto* row = new QWidget(&window);
        auto* caption = new QLabel(QStringLiteral("Image 1"), row);
        combineAccessibleChildren(row, QStringLiteral("Portfolio image 1"));
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        toggle->hide();
        g_sent.clear();

        for (int i = 0; i < 3; ++i) {
            name(button, QStringLiteral("Analyze Resume ATS"));
            describe(button, QStringLiteral("Analyzes the resume"));
            value(button, QStringLiteral("Ready"));
            enable(button, false);
        }
        QCOMPARE(sentAbout(button, {QAccessible::NameChanged}), 1);
        QCOMPARE(sentAbout(button, {QAccessible::ValueChanged}), 1);
        // The hint, then the hint with the value read after it.
        QCOMPARE(sentAbout(button, {QAccessible::DescriptionChanged}), 2);
        QCOMPARE(sentAbout(button, {QAccessible::StateChanged}), 1);
        name(button, QStringLiteral("Analyzing…"));
        QCOMPARE(sentAbout(button, {QAccessible::NameChanged}), 2);

        // Nothing about what no one sees: a hidden control renamed as each photo comes, a text
        // inside an element read as one.
        for (int photo = 1; photo <= 4; ++photo) {
            name(toggle, QStringLiteral("Toggle image orientation for image 1"));
            describe(toggle, QStringLiteral("Switches between portrait and landscape"));
            value(toggle, photo % 2 == 1 ? QStringLiteral("Portrait") : QStringLiteral("Landscape"));
            enable(toggle, photo % 2 == 0);
            caption->setText(QStringLiteral("Image %1").arg(photo));
            says(caption, QAccessible::NameChanged);
        }
        QCOMPARE(sentAbout(toggle, changes), 0);
        QCOMPARE(sentAbout(caption, changes), 0);
        // Shown for the first time, it is read as it is then: nothing more to say.
        show(toggle, true);
        QCOMPARE(sentAbout(toggle, changes), 0);
        QCOMPARE(reader(toggle)->text(QAccessible::Name), u"Toggle image orientation for image 1"_qs);

        // Met, then hidden and changed meanwhile: said once as it shows again, the last change.
        g_sent.clear();
        show(button, false);
        for (const QString& text : {u"Analyze Resume ATS"_qs, u"Resume Already Analyzed"_qs})
            name(button, text);
        enable(button, true);
        QCOMPARE(sentAbout(button, changes), 0);
        show(button, true);
        QCOMPARE(sentAbout(button, {QAccessible::NameChanged}), 1);
        QCOMPARE(sentAbout(button, {QAccessible::StateChanged}), 1);
        QCOMPARE(sentAbout(button, {QAccessible::DescriptionChanged, QAccessible::ValueChanged}), 0);
        // Hidden and shown with nothing changed: the showing alone.
        g_sent.clear();
        show(button, false);
        name(button, QStringLiteral("Resume Already Analyzed"));
        show(button, true);
        QCOMPARE(sentAbout(button, changes), 0);
        QCOMPARE(sentAbout(button, {QAccessible::ObjectShow}), 1);
        // The focus always goes out.
        says(button, QAccessible::Focus);
        QCOMPARE(sentAbout(button, {QAccessible::Focus}), 1);

        QAccessible::installUpdateHandler(nullptr);
        installAccessibilityRules();
    }
};

QUILLORA_TEST_MAIN(AccessibilityTraitsTest)
#include "test_accessibility_traits.moc"
