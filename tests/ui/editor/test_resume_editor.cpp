#include "ai/ai_refinable_text_editor.h"
#include "app/main_window.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "controls/layout_move_animation.h"
#include "controls/opacity_transition.h"
#include "editor/editor_controls.h"
#include "editor/editor_text_area.h"
#include "editor/education_section.h"
#include "editor/entry_editors.h"
#include "editor/experience_section.h"
#include "editor/font_picker_view.h"
#include "editor/resume_editor_view.h"
#include "help/bullet_row.h"
#include "help/help_sheet_container.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"
#include "theme/scheme_colors.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDebug>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QMessageBox>
#include <QMimeData>
#include <QParallelAnimationGroup>
#include <QPlainTextEdit>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QStyle>
#include <QTest>
#include <QTextBlock>
#include <QVariantAnimation>

#include <algorithm>

using namespace quillora;

namespace {

template <typename T = QWidget> T* child(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (!found)
        qWarning("no child named %s", qPrintable(name));
    return found;
}

ExperiencePtr experience(const QString& role, const QString& company, qint64 sortOrder = 0) {
    return std::make_shared<Experience>(role, company, QStringLiteral("2020"), QStringLiteral("2021"),
                                        QStringLiteral("Did things."), sortOrder);
}

QStringList roles(const QList<ExperiencePtr>& entries) {
    QStringList out;
    for (const auto& e : entries)
        out << e->role();
    return out;
}

// The headings and bullets of a help sheet, in order, one string each.
QStringList helpTexts(const HelpSheetContainer* sheet) {
    QStringList texts;
    for (const QWidget* element : sheet->contentElements()) {
        if (const auto* bullet = qobject_cast<const BulletRow*>(element))
            texts << QStringLiteral("• ") + bullet->text();
        else if (const auto* label = qobject_cast<const QLabel*>(element))
            texts << label->text();
    }
    return texts;
}

// The fonts of a help sheet's headings, each once.
QList<QFont> headingFonts(const HelpSheetContainer* sheet) {
    QList<QFont> fonts;
    for (const QWidget* element : sheet->contentElements())
        if (qobject_cast<const BulletRow*>(element) == nullptr && qobject_cast<const QLabel*>(element) &&
            !fonts.contains(element->font()))
            fonts << element->font();
    return fonts;
}

// Runs a drag as a pointer would: over each row named, then a drop on the last (or nowhere).
struct DragPath {
    QList<QWidget*> over;
    bool drop = true;
    QString carried = {};

    void operator()(QDrag& drag) {
        carried = drag.mimeData()->text();
        for (QWidget* row : std::as_const(over)) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(row, &enter);
        }
        if (drop && !over.isEmpty()) {
            QDropEvent dropEvent(QPointF(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                                 Qt::NoModifier);
            QCoreApplication::sendEvent(over.last(), &dropEvent);
        }
    }
};

void dragRow(QWidget* row) {
    QTest::mousePress(row, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(row, QPoint(20, 40));
    QTest::mouseRelease(row, Qt::LeftButton, {}, QPoint(20, 40));
}

// What a user sees of each text and control of a window: buttons, fields, text boxes and labels
// with text, each clipped by the widgets around it (a scroll area's viewport hides what is
// scrolled away). The parts of a control (a button's label, a text box's viewport) are its own.
QList<std::pair<const QWidget*, QRect>> visibleControls(const QWidget* window) {
    const auto isControl = [](const QWidget* w) {
        if (qobject_cast<const QAbstractButton*>(w) || qobject_cast<const QLineEdit*>(w) ||
            qobject_cast<const QPlainTextEdit*>(w))
            return true;
        const auto* label = qobject_cast<const QLabel*>(w);
        return label && !label->text().isEmpty();
    };
    QList<std::pair<const QWidget*, QRect>> found;
    for (const QWidget* w : window->findChildren<QWidget*>()) {
        if (!isControl(w) || !w->isVisibleTo(window) || w->isWindow())
            continue;
        // A label's text, not the room around it.
        QRect own = w->rect();
        if (const auto* label = qobject_cast<const QLabel*>(w)) {
            own = label->wordWrap()
                      ? label->contentsRect()
                      : label->style()->itemTextRect(label->fontMetrics(), label->contentsRect(),
                                                     int(label->alignment()), true, label->text());
        }
        QRect seen = own.translated(w->mapTo(window, QPoint()));
        bool part = false;
        for (const QWidget* up = w->parentWidget(); up && up != window; up = up->parentWidget()) {
            part = part || isControl(up);
            seen &= QRect(up->mapTo(window, QPoint()), up->size());
        }
        if (!part && !seen.isEmpty())
            found.append({w, seen});
    }
    return found;
}

// Names the first two controls of a window that overlap, or nothing.
QString overlappingControls(const QWidget* window) {
    const auto controls = visibleControls(window);
    for (qsizetype i = 0; i < controls.size(); ++i) {
        for (qsizetype j = i + 1; j < controls.size(); ++j) {
            if (controls[i].second.intersects(controls[j].second)) {
                const auto name = [](const QWidget* w) {
                    const auto* label = qobject_cast<const QLabel*>(w);
                    return w->objectName().isEmpty() && label ? label->text().left(20) : w->objectName();
                };
                return QStringLiteral("%1 %2 overlaps %3 %4")
                    .arg(name(controls[i].first), QDebug::toString(controls[i].second),
                         name(controls[j].first), QDebug::toString(controls[j].second));
            }
        }
    }
    return {};
}

} // namespace

class ResumeEditorTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;

    ResumePtr insertResume(const QList<ExperiencePtr>& entries = {}) {
        auto resume = test::makeEmptyResume(QStringLiteral("My Résumé"));
        resume->setFontName(QStringLiteral("Helvetica Neue"));
        resume->setExperienceItems(entries);
        m_services->context().insert(resume);
        [&] { QVERIFY(m_services->context().save().ok()); }();
        return resume;
    }

private slots:
    void initTestCase() { QDir().mkpath(QDir::tempPath()); }

    void init() { m_services = Services::forTesting(QDir::tempPath() + QStringLiteral("/editor.ini")); }
    void cleanup() { m_services.reset(); }

    void sectionsStandInTheirOrderWithEmptyPlacesForLaterCards() {
        auto resume = insertResume();
        ResumeEditorView view(resume, *m_services);
        const QStringList cards{QStringLiteral("basicInfoCard"),     QStringLiteral("summaryCard"),
                                QStringLiteral("coverLetterCard"),   QStringLiteral("atsVersionCard"),
                                QStringLiteral("experienceSection"), QStringLiteral("educationSection"),
                                QStringLiteral("skillsCard"),        QStringLiteral("fontStyleCard"),
                                QStringLiteral("portfolioSection"),  QStringLiteral("actionsStyleCard")};
        QWidget* column = child(&view, QStringLiteral("editorSections"));
        QStringList shown;
        for (int i = 0; i < column->layout()->count(); ++i)
            shown << column->layout()->itemAt(i)->widget()->objectName();
        QCOMPARE(shown, cards);
        // A later card fills its own place in the order.
        auto* actions = new QWidget;
        actions->setObjectName(QStringLiteral("actionsAndStyleCard"));
        view.setSectionWidget(EditorSection::actionsAndStyle, actions);
        QCOMPARE(column->layout()->itemAt(9)->widget(), actions);

        // The cards keep their own titles whatever custom section titles the résumé holds.
        resume->setTitleSummary(QStringLiteral("Profile"));
        resume->setTitleExperience(QStringLiteral("Work"));
        ResumeEditorView custom(resume, *m_services);
        QStringList titles;
        for (auto* card : custom.findChildren<EditorSectionCard*>())
            titles << card->title();
        QCOMPARE(titles, (QStringList{QStringLiteral("Basic Info"), QStringLiteral("Summary"),
                                      QStringLiteral("Cover Letter"), QStringLiteral("ATS Version"),
                                      QStringLiteral("Experience"), QStringLiteral("Education"),
                                      QStringLiteral("Skills"), QStringLiteral("Font Style"),
                                      QStringLiteral("Portfolio"), QStringLiteral("Actions & Style")}));
        custom.saveResume();
        QCOMPARE(resume->titleSummary(), std::optional<QString>(QStringLiteral("Profile")));
        QCOMPARE(resume->titleExperience(), std::optional<QString>(QStringLiteral("Work")));
        QCOMPARE(resume->titleEducation(), std::nullopt);
    }

    void pageBackgroundChoicesAreStoredByCaseName() {
        auto resume = insertResume();
        ResumeEditorView view(resume, *m_services);
        view.applyBackgroundShape(BackgroundShapeType::dotGrid);
        view.applyColorTheme(BackgroundColorTheme::neon);
        QCOMPARE(m_services->settings().backgroundShapeRaw(), QStringLiteral("dotGrid"));
        QCOMPARE(m_services->settings().colorThemeRaw(), QStringLiteral("neon"));
    }

    void navigationTitleAndWidthRules() {
        auto resume = insertResume();
        ResumeEditorView view(resume, *m_services);
        auto* title = child<QLabel>(&view, QStringLiteral("editorNavigationTitle"));
        QCOMPARE(title->text(), QStringLiteral("My Résumé"));
        resume->setFullName(QStringLiteral(" "));
        QCOMPARE(title->text(), QStringLiteral(" ")); // a blank name is not empty
        // A name of any length is kept whole; the title shows what its line holds, cut with "…",
        // and the editor stays as narrow as it was.
        view.resize(640, 480);
        view.show();
        const int narrowest = view.minimumSizeHint().width();
        auto* nameField = child<QLineEdit>(&view, QStringLiteral("resumeFullNameField"));
        const QString longName = QString(100000, QLatin1Char('n'));
        nameField->setFocus();
        nameField->clear();
        nameField->insert(longName);
        QTest::keyClick(nameField, Qt::Key_X);
        QCOMPARE(resume->fullName(), longName + u'x');
        QVERIFY(title->text().endsWith(QChar(0x2026)));
        QVERIFY(longName.startsWith(title->text().chopped(1)));
        QVERIFY(title->fontMetrics().horizontalAdvance(title->text()) <= title->contentsRect().width());
        QCOMPARE(view.minimumSizeHint().width(), narrowest);
        nameField->clear();
        resume->setTitle(QString());
        QCOMPARE(title->text(), QString());

        const auto narrow = ResumeEditorView::metricsForWidth(375);
        QCOMPARE(narrow.spacing, 10.0);
        QCOMPARE(narrow.horizontalPadding, 16.0);
        QCOMPARE(narrow.verticalPadding, 12.0);
        QCOMPARE(narrow.extraTopPadding, 28.0);
        const auto wide = ResumeEditorView::metricsForWidth(1440);
        QCOMPARE(wide.spacing, 18.0);
        QCOMPARE(wide.horizontalPadding, 44.0);
        QCOMPARE(wide.verticalPadding, 20.0);
        QCOMPARE(wide.extraTopPadding, 64.0);
    }

    void themedTextAreaScalesWithTheEditorWidth() {
        QCOMPARE(EditorTextArea::fontSizeForWidth(300), 16.0);
        QCOMPARE(EditorTextArea::fontSizeForWidth(907.5), 18.0);
        QCOMPARE(EditorTextArea::fontSizeForWidth(2000), 20.0);
        EditorTextArea area(m_services->appearance(), 120);
        area.show();
        QVERIFY(area.sizeHint().height() >= 120); // empty text keeps the box at its minimum
        area.setPlainText(QString(40, QLatin1Char('\n')));
        QVERIFY(area.sizeHint().height() > 120); // and it grows with its text
    }

    // The multi-line fields (the themed one of the cover letter, the summary and the details) set
    // each paragraph in its own direction, as the preview does: a Persian one from the right, the
    // line of dates after it too, an English one from the left; a changed paragraph turns the
    // lines without letters after it.
    void multiLineFieldsSetEachParagraphInItsDirection() {
        EditorTextArea area(m_services->appearance(), 120);
        AIRefinableTextEditor summary(*m_services, SeamlessStarMode::summary);
        for (QPlainTextEdit* field : {static_cast<QPlainTextEdit*>(&area), summary.textEdit()}) {
            field->window()->resize(480, 320);
            field->window()->show();
            QVERIFY(QTest::qWaitForWindowExposed(field->window(), 20000));
            field->setPlainText(
                u"خلاصه‌ای از تجربه‌ها\n2019 – 2024\nDesigner of calm things.\n2015"_qs);
            // Where the caret stands at the start of a paragraph: its leading edge.
            const auto startOf = [field](int paragraph) {
                QTextCursor cursor(field->document()->findBlockByNumber(paragraph));
                field->setTextCursor(cursor);
                return field->cursorRect().center().x();
            };
            const int middle = field->viewport()->width() / 2;
            QVERIFY2(startOf(0) > middle, qPrintable(field->objectName()));
            QVERIFY(startOf(1) > middle);
            QVERIFY(startOf(2) < middle);
            QVERIFY(startOf(3) < middle);
            // The Persian paragraph's ink is in the right half too.
            startOf(0);
            const QRect firstLine = field->cursorRect();
            const QImage painted = field->viewport()->grab().toImage();
            const QColor paper = painted.pixelColor(0, firstLine.top());
            bool inkRight = false;
            for (int y = firstLine.top(); y <= firstLine.bottom(); ++y) {
                for (int x = 0; x < painted.width(); ++x) {
                    const bool ink = painted.pixelColor(x, y) != paper;
                    QVERIFY2(!ink || x >= middle, qPrintable(u"%1, %2"_qs.arg(x).arg(y)));
                    inkRight = inkRight || ink;
                }
            }
            QVERIFY(inkRight);
            // Typed over in English, the first paragraph takes the dates along.
            QTextCursor first(field->document()->firstBlock());
            first.select(QTextCursor::BlockUnderCursor);
            first.insertText(u"Summary"_qs);
            QTRY_VERIFY(startOf(1) < middle);
            field->window()->hide();
        }
    }

    void fieldEditsAreSavedOnBackgroundAndSurviveARestart() {
        const QString path = QDir::tempPath() + QStringLiteral("/restart.store");
        QFile::remove(path);
        const QDateTime before(QDate(2025, 1, 1), QTime(12, 0), Qt::UTC);
        const QString longPaste = QStringLiteral("0123456789").repeated(10000);
        {
            auto services = quillora::test::openStoreServices(path);
            auto resume = test::makeEmptyResume(QStringLiteral("Draft"), before);
            resume->setFontName(QStringLiteral("Helvetica Neue"));
            services->context().insert(resume);
            QVERIFY(services->context().save().ok());

            MainWindow window(*services);
            window.show();
            QVERIFY(QTest::qWaitForWindowExposed(&window));
            services->events().postSelectResume(resume);
            auto* editor = qobject_cast<ResumeEditorView*>(window.contentView()->detailWidget());
            QVERIFY(editor);

            auto* titleField = child<QLineEdit>(editor, QStringLiteral("resumeTitleField"));
            titleField->selectAll();
            QTest::keyClicks(titleField, QStringLiteral("Product Designer"));
            QTest::keyClicks(child<QLineEdit>(editor, QStringLiteral("resumeFullNameField")),
                             QStringLiteral("Ann Lee"));
            auto* contactField = child<QLineEdit>(editor, QStringLiteral("resumeContactInfoField"));
            QTest::keyClicks(contactField, QStringLiteral("ann@example.com"));
            // A paste longer than a plain one-line field holds is kept whole, and typing goes on
            // after it, as in the multi-line fields.
            QGuiApplication::clipboard()->setText(longPaste);
            QTest::keyClick(contactField, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClick(contactField, Qt::Key_Exclam);
            QCOMPARE(resume->contactInfo().size(), 15 + longPaste.size() + 1);
            auto* summaryText = child<QPlainTextEdit>(editor, QStringLiteral("summaryAITextEditor"));
            QTest::keyClicks(summaryText, QStringLiteral("Calm and useful."));
            // The text is 120 points tall; the card's 160-point minimum is the whole editor's, a
            // floor under its rows.
            QCOMPARE(summaryText->height(), 120);
            QVERIFY(summaryText->parentWidget()->minimumSizeHint().height() >= 160);
            QCOMPARE(summaryText->parentWidget()->minimumHeight(), 0);
            QCOMPARE(resume->title(), QStringLiteral("Product Designer"));
            QCOMPARE(child<QLabel>(editor, QStringLiteral("editorNavigationTitle"))->text(),
                     QStringLiteral("Ann Lee"));

            // The font picker writes at once and saves nothing itself.
            QTest::mouseClick(child<QAbstractButton>(editor, QStringLiteral("fontPickerButton")),
                              Qt::LeftButton);
            QVERIFY(editor->fontPicker());
            QTest::mouseClick(
                child<QAbstractButton>(editor->fontPicker(), QStringLiteral("fontOptionLora-Regular")),
                Qt::LeftButton);
            QCOMPARE(resume->fontName(), QStringLiteral("Lora-Regular"));
            editor->fontPicker()->close();
            QVERIFY(services->context().hasChanges()); // typing never waited on the store

            // Entries: a new one committed by Save, then edited in place; its details and the
            // education fields reach the store with the background save.
            QTest::mouseClick(child<QAbstractButton>(editor, QStringLiteral("addExperienceButton")),
                              Qt::LeftButton);
            QTest::keyClicks(
                child<QLineEdit>(editor->experienceSheet(), QStringLiteral("experienceRoleField")),
                QStringLiteral("Designer"));
            QTest::mouseClick(
                child<QAbstractButton>(editor->experienceSheet(), QStringLiteral("saveExperienceButton")),
                Qt::LeftButton);
            editor->openExperience(resume->experienceItems().first());
            ExperienceEditor* sheet = editor->experienceSheet();
            QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceCompanyField")),
                             QStringLiteral("Acme"));
            QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceStartDateField")),
                             QStringLiteral("2019"));
            QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceEndDateField")),
                             QStringLiteral("Now"));
            auto* detailsText = child<QPlainTextEdit>(sheet, QStringLiteral("experienceAITextEditor"));
            QTest::keyClicks(detailsText, QStringLiteral("Led the redesign."));
            QCOMPARE(detailsText->height(), 120);
            QVERIFY(detailsText->parentWidget()->minimumSizeHint().height() >= 140);
            QCOMPARE(detailsText->parentWidget()->minimumHeight(), 0);
            sheet->close();
            QTest::mouseClick(child<QAbstractButton>(editor, QStringLiteral("addEducationButton")),
                              Qt::LeftButton);
            EducationEditor* school = editor->educationSheet();
            QTest::keyClicks(child<QLineEdit>(school, QStringLiteral("educationSchoolField")),
                             QStringLiteral("RISD"));
            auto* degreeField = child<QLineEdit>(school, QStringLiteral("educationDegreeField"));
            QTest::keyClicks(degreeField, QStringLiteral("BFA"));
            QTest::keyClick(degreeField, Qt::Key_V, Qt::ControlModifier);
            QTest::keyClicks(child<QLineEdit>(school, QStringLiteral("educationYearField")),
                             QStringLiteral("2015"));
            QTest::mouseClick(child<QAbstractButton>(school, QStringLiteral("saveEducationButton")),
                              Qt::LeftButton);

            window.enterBackground();
            QVERIFY(!services->context().hasChanges());
            QVERIFY(resume->lastEdited() > before); // stamped by the editor's save
        }
        auto reopened = quillora::test::openStoreServices(path);
        const auto resumes = reopened->context().fetchResumes();
        QVERIFY(resumes);
        QCOMPARE(resumes->size(), 1);
        const ResumePtr stored = resumes->first();
        QCOMPARE(stored->title(), QStringLiteral("Product Designer"));
        QCOMPARE(stored->fullName(), QStringLiteral("Ann Lee"));
        QCOMPARE(stored->contactInfo(), QStringLiteral("ann@example.com") + longPaste + QLatin1Char('!'));
        QCOMPARE(stored->summary(), QStringLiteral("Calm and useful."));
        QCOMPARE(stored->fontName(), QStringLiteral("Lora-Regular"));
        QCOMPARE(stored->experienceItems().size(), 1);
        const ExperiencePtr job = stored->experienceItems().first();
        QCOMPARE(QStringList({job->role(), job->company(), job->startDate(), job->endDate(), job->details()}),
                 QStringList({QStringLiteral("Designer"), QStringLiteral("Acme"), QStringLiteral("2019"),
                              QStringLiteral("Now"), QStringLiteral("Led the redesign.")}));
        QCOMPARE(stored->educationItems().size(), 1);
        const EducationPtr degree = stored->educationItems().first();
        QCOMPARE(
            QStringList({degree->school(), degree->degree(), degree->year()}),
            QStringList({QStringLiteral("RISD"), QStringLiteral("BFA") + longPaste, QStringLiteral("2015")}));
    }

    void leavingTheEditorSavesWhatWasTyped() {
        auto resume = insertResume();
        ContentView content(*m_services, UserInterfaceIdiom::pad);
        content.resize(1000, 700);
        content.show();
        m_services->events().postSelectResume(resume);
        QTest::keyClicks(child<QLineEdit>(content.detailWidget(), QStringLiteral("resumeFullNameField")),
                         QStringLiteral("Zed"));
        QVERIFY(m_services->context().hasChanges());
        auto other = insertResume();
        m_services->events().postSelectResume(other); // the first editor goes away
        QVERIFY(!m_services->context().hasChanges());
        QCOMPARE(resume->fullName(), QStringLiteral("Zed"));
    }

    void walkingTheListByKeysStampsOnlyWhatWasEdited() {
        // Three résumés, newest first: A, B, C.
        const QDateTime base = QDateTime::currentDateTimeUtc().addDays(-1);
        QList<ResumePtr> resumes;
        for (const char* title : {"C", "B", "A"}) {
            auto resume =
                test::makeEmptyResume(QString::fromLatin1(title), base.addSecs(60 * resumes.size()));
            m_services->context().insert(resume);
            resumes.prepend(resume);
        }
        QVERIFY(m_services->context().save().ok());
        ContentView content(*m_services, UserInterfaceIdiom::pad);
        content.resize(1000, 700);
        content.show();
        QApplication::setActiveWindow(&content);
        QVERIFY(QTest::qWaitForWindowActive(&content));
        ResumeCardList* list = content.resumeList()->listView();
        ResumeListModel* model = content.resumeList()->model();
        const auto order = [model] {
            QStringList titles;
            for (int row = 0; row < model->rowCount(); ++row)
                titles << model->resumeAt(row)->title();
            return titles;
        };
        QCOMPARE(order(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        const QList<QDateTime> stamps{resumes[0]->lastEdited(), resumes[1]->lastEdited(),
                                      resumes[2]->lastEdited()};
        const qint64 rowsBefore = m_services->context().rowsWritten();

        // Opening one résumé after another, only looking: no stamp, no save, the same order.
        list->setFocus();
        list->setCurrentIndex(model->index(0));
        QTest::keyClick(list, Qt::Key_Return);
        QTRY_COMPARE(content.selectedResume(), resumes[0]);
        QTest::keyClick(list, Qt::Key_Down);
        QTRY_COMPARE(content.selectedResume(), resumes[1]);
        QTest::keyClick(list, Qt::Key_Down);
        QTRY_COMPARE(content.selectedResume(), resumes[2]);
        QTest::keyClick(list, Qt::Key_Up);
        QTRY_COMPARE(content.selectedResume(), resumes[1]);
        QCOMPARE(order(), (QStringList{QStringLiteral("A"), QStringLiteral("B"), QStringLiteral("C")}));
        for (int i = 0; i < 3; ++i)
            QCOMPARE(resumes[i]->lastEdited(), stamps[i]);
        QCOMPARE(m_services->context().rowsWritten(), rowsBefore);
        auto* editor = qobject_cast<ResumeEditorView*>(content.detailWidget());
        QVERIFY(editor);
        editor->saveOnBackground(); // the app going to the background saves nothing either
        QCOMPARE(resumes[1]->lastEdited(), stamps[1]);

        // An edit still stamps and saves when the editor goes away: B comes to the top.
        QTest::keyClicks(child<QLineEdit>(editor, QStringLiteral("resumeFullNameField")),
                         QStringLiteral("Bo"));
        m_services->events().postSelectResume(resumes[2]);
        QTRY_COMPARE(content.selectedResume(), resumes[2]);
        QVERIFY(resumes[1]->lastEdited() > stamps[1]);
        QVERIFY(!m_services->context().hasChanges());
        QCOMPARE(order().first(), QStringLiteral("B"));
    }

    void addingAnExperienceCommitsOnlyOnSave() {
        auto resume = insertResume({experience(QStringLiteral("First"), QStringLiteral("One"))});
        ResumeEditorView view(resume, *m_services);
        view.show();
        ModelContext& context = m_services->context();

        // Closing a new entry's sheet without Save leaves nothing behind.
        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("addExperienceButton")),
                          Qt::LeftButton);
        QVERIFY(view.experienceSheet());
        QVERIFY(view.pendingExperience());
        QTest::keyClicks(child<QLineEdit>(view.experienceSheet(), QStringLiteral("experienceRoleField")),
                         QStringLiteral("Ghost"));
        QTest::mouseClick(
            child<QAbstractButton>(view.experienceSheet(), QStringLiteral("floatingCloseButton")),
            Qt::LeftButton);
        QVERIFY(!view.experienceSheet());
        QVERIFY(!view.pendingExperience());
        QVERIFY(!view.editingExperience());
        QCOMPARE(view.focusWidget(), child(&view, QStringLiteral("addExperienceButton")));
        QCOMPARE(resume->experienceItems().size(), 1);
        QVERIFY(!context.hasChanges());

        // Save appends the entry, saves, and clears the pending entry.
        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("addExperienceButton")),
                          Qt::LeftButton);
        ExperienceEditor* sheet = view.experienceSheet();
        QCOMPARE(sheet->title(), QStringLiteral("Edit Experience"));
        QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceRoleField")),
                         QStringLiteral("Second"));
        QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceCompanyField")),
                         QStringLiteral("Two"));
        QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("experienceStartDateField")),
                         QStringLiteral("Fall 2022"));
        QTest::keyClicks(child<QPlainTextEdit>(sheet, QStringLiteral("experienceAITextEditor")),
                         QStringLiteral("Built."));
        QSignalSpy committed(sheet, &ExperienceEditor::committed);
        QTest::mouseClick(child<QAbstractButton>(sheet, QStringLiteral("saveExperienceButton")),
                          Qt::LeftButton);
        QCOMPARE(committed.count(), 1);
        QVERIFY(!view.experienceSheet());
        QVERIFY(!view.pendingExperience());
        QCOMPARE(roles(resume->experienceItems()),
                 (QStringList{QStringLiteral("First"), QStringLiteral("Second")}));
        const ExperiencePtr added = resume->experienceItems().last();
        QCOMPARE(added->startDate(), QStringLiteral("Fall 2022"));
        QCOMPARE(added->endDate(), QString());
        QCOMPARE(added->details(), QStringLiteral("Built."));
        QVERIFY(!context.hasChanges());

        // Rows show the entries and carry the store's identity once saved.
        auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));
        QCOMPARE(section->rows().size(), 2);
        const QString id = added->persistentModelID().description();
        QVERIFY(!added->persistentModelID().isTemporary());
        auto* row = child<ExperienceRow>(&view, QStringLiteral("experienceRow") + id);
        QVERIFY(row);
        QCOMPARE(view.focusWidget(), row); // back on the entry just saved
        QCOMPARE(row->roleLabel()->text(), QStringLiteral("Second"));
        QCOMPARE(row->detailLabel()->text(), QStringLiteral("Two · Fall 2022 – "));
        QCOMPARE(row->accessibleName(), QStringLiteral("Second, Two, Fall 2022 to "));
        QCOMPARE(row->accessibleDescription(), QStringLiteral("Opens this experience entry"));
        QVERIFY(child(&view, QStringLiteral("deleteExperienceButton") + id));

        // An existing entry is edited in place and stored with the next save, not by Save.
        QTest::mouseClick(row, Qt::LeftButton, {}, QPoint(20, 10));
        sheet = view.experienceSheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->experience(), added);
        auto* role = child<QLineEdit>(sheet, QStringLiteral("experienceRoleField"));
        role->selectAll();
        QTest::keyClicks(role, QStringLiteral("Lead"));
        QTest::mouseClick(child<QAbstractButton>(sheet, QStringLiteral("saveExperienceButton")),
                          Qt::LeftButton);
        QCOMPARE(added->role(), QStringLiteral("Lead"));
        QCOMPARE(row->roleLabel()->text(), QStringLiteral("Lead"));
        QCOMPARE(resume->experienceItems().size(), 2);
        QVERIFY(context.hasChanges());
        view.saveOnBackground();
        QVERIFY(!context.hasChanges());
    }

    void deletingAnExperienceAsksFirstAndRemovesItFromTheStore() {
        const QString path = QDir::tempPath() + QStringLiteral("/delete.store");
        QFile::remove(path);
        {
            auto services = quillora::test::openStoreServices(path);
            auto resume = test::makeEmptyResume(QStringLiteral("R"));
            resume->setExperienceItems({experience(QStringLiteral("Keep"), QStringLiteral("A")),
                                        experience(QStringLiteral("Drop"), QStringLiteral("B"))});
            services->context().insert(resume);
            QVERIFY(services->context().save().ok());
            ResumeEditorView view(resume, *services);
            view.show();
            const ExperiencePtr drop = resume->experienceItems().last();
            const QString button =
                QStringLiteral("deleteExperienceButton") + drop->persistentModelID().description();

            QTest::mouseClick(child<QAbstractButton>(&view, button), Qt::LeftButton);
            QMessageBox* alert = view.deleteAlert();
            QVERIFY(alert);
            QCOMPARE(alert->objectName(), QStringLiteral("deleteExperienceAlert"));
            QCOMPARE(alert->text(), QStringLiteral("Delete Experience?"));
            QCOMPARE(alert->informativeText(), QStringLiteral("This action cannot be undone."));
            QCOMPARE(view.experienceToDelete(), drop);
            QTest::mouseClick(child<QAbstractButton>(alert, QStringLiteral("alertCancelButton")),
                              Qt::LeftButton);
            QVERIFY(!view.experienceToDelete());
            QCOMPARE(resume->experienceItems().size(), 2);

            QTest::mouseClick(child<QAbstractButton>(&view, button), Qt::LeftButton);
            alert = view.deleteAlert();
            QCOMPARE(child<QAbstractButton>(alert, QStringLiteral("alertDeleteButton"))->text(),
                     QStringLiteral("Delete"));
            QTest::mouseClick(child<QAbstractButton>(alert, QStringLiteral("alertDeleteButton")),
                              Qt::LeftButton);
            QVERIFY(!view.experienceToDelete());
            QCOMPARE(roles(resume->experienceItems()), QStringList{QStringLiteral("Keep")});
            // The focus goes to the row before the deleted one (none comes after it).
            QCOMPARE(view.focusWidget(),
                     child<ExperienceSection>(&view, QStringLiteral("experienceSection"))->rows().first());
            QVERIFY(!services->context().hasChanges()); // saved at once
            QVERIFY(!view.findChild<QWidget*>(button) || !view.findChild<QWidget*>(button)->isVisible());
        }
        auto reopened = quillora::test::openStoreServices(path);
        QCOMPARE(roles(reopened->context().fetchResumes()->first()->experienceItems()),
                 QStringList{QStringLiteral("Keep")});
    }

    void reorderModeAndDragging() {
        auto resume = insertResume({experience(QStringLiteral("A"), QStringLiteral("1")),
                                    experience(QStringLiteral("B"), QStringLiteral("2")),
                                    experience(QStringLiteral("C"), QStringLiteral("3"))});
        ResumeEditorView view(resume, *m_services);
        view.resize(700, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));
        const auto rowOf = [&](const QString& role) -> QWidget* {
            for (ExperienceRow* row : section->rows())
                if (row->entry()->role() == role)
                    return row;
            return nullptr;
        };

        // Dragging the first entry onto the third: second, third, first, numbered and saved.
        DragPath path{{rowOf(QStringLiteral("C"))}, true, {}};
        view.setDragRunner([&](QDrag& drag) { path(drag); });
        const ExperiencePtr a = resume->experienceItems().first();
        dragRow(rowOf(QStringLiteral("A")));
        QCOMPARE(path.carried, a->persistentModelID().description());
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
        QList<qint64> orders;
        for (const auto& e : view.displayedExperience())
            orders << e->sortOrder();
        QCOMPARE(orders, (QList<qint64>{0, 1, 2}));
        QVERIFY(!m_services->context().hasChanges());
        QVERIFY(!view.draggingExperience());
        QCOMPARE(section->rows().at(2)->entry(), a); // rows follow the order

        // The row moves live under the pointer: over B (swap), then over its own row (nothing).
        path = DragPath{{rowOf(QStringLiteral("B")), rowOf(QStringLiteral("C"))}, true, {}};
        dragRow(rowOf(QStringLiteral("C")));
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));

        // A drag that ends elsewhere leaves nothing dragged behind for a later unrelated drop.
        path = DragPath{{}, false, {}};
        dragRow(rowOf(QStringLiteral("A")));
        QVERIFY(!view.draggingExperience());
        QMimeData text;
        text.setText(QStringLiteral("some text"));
        QDragEnterEvent stray(QPoint(5, 5), Qt::CopyAction, &text, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(rowOf(QStringLiteral("C")), &stray);
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));

        // Stale positions do nothing.
        view.moveExperience(3, 0);
        view.moveExperience(0, 3);
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{QStringLiteral("C"), QStringLiteral("B"), QStringLiteral("A")}));

        // Reorder mode: "Done", no delete buttons, rows hint dragging and open nothing.
        auto* reorder = child<QAbstractButton>(&view, QStringLiteral("reorderExperienceButton"));
        QCOMPARE(reorder->text(), QStringLiteral("Reorder"));
        QTest::mouseClick(reorder, Qt::LeftButton);
        QVERIFY(view.isReorderMode());
        QCOMPARE(reorder->text(), QStringLiteral("Done"));
        for (ExperienceRow* row : section->rows()) {
            QTRY_VERIFY(!row->deleteButton()->isVisible());
            QCOMPARE(row->accessibleDescription(),
                     QStringLiteral("Drag to reorder, or press Alt+Up or Alt+Down to move it one place"));
        }
        QTest::mouseClick(section->rows().first(), Qt::LeftButton, {}, QPoint(20, 10));
        QVERIFY(!view.experienceSheet());
        // Dragging works in reorder mode too.
        path = DragPath{{rowOf(QStringLiteral("C"))}, true, {}};
        dragRow(rowOf(QStringLiteral("A")));
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
        QTest::mouseClick(reorder, Qt::LeftButton);
        QCOMPARE(reorder->text(), QStringLiteral("Reorder"));
        QVERIFY(section->rows().first()->deleteButton()->isVisible());
    }

    // Alt+Up and Alt+Down on a focused row, and the row's Move actions, move an entry one place
    // and save as a drag does; the ends do nothing and save nothing; the moved row keeps focus.
    void experienceMovesByKeysAndActions() {
        const QString path = QDir::tempPath() + QStringLiteral("/moves.store");
        QFile::remove(path);
        {
            auto services = quillora::test::openStoreServices(path);
            auto resume = test::makeEmptyResume(QStringLiteral("R"));
            resume->setExperienceItems({experience(QStringLiteral("A"), QStringLiteral("1")),
                                        experience(QStringLiteral("B"), QStringLiteral("2")),
                                        experience(QStringLiteral("C"), QStringLiteral("3"))});
            services->context().insert(resume);
            QVERIFY(services->context().save().ok());
            ResumeEditorView view(resume, *services);
            view.show();
            QVERIFY(QTest::qWaitForWindowActive(&view));
            auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));
            QSignalSpy saves(&services->context(), &ModelContext::didSave);
            ExperienceRow* b = section->rows().at(1);
            b->setFocus(Qt::TabFocusReason);
            QTest::keyClick(b, Qt::Key_Up, Qt::AltModifier);
            QCOMPARE(roles(view.displayedExperience()),
                     (QStringList{QStringLiteral("B"), QStringLiteral("A"), QStringLiteral("C")}));
            QCOMPARE(saves.count(), 1);
            QCOMPARE(section->rows().first(), b);
            QVERIFY(b->hasFocus());
            // At an end the row stays, and says so.
            const auto saying = [&view](const QString& text) {
                const QList<QWidget*> notes =
                    view.findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement"));
                return std::ranges::any_of(notes, [&text](const QWidget* note) {
                    return note->isVisible() && note->property("_quillora_accessibleAnnouncement") == text;
                });
            };
            QTest::keyClick(b, Qt::Key_Up, Qt::AltModifier);
            QTRY_VERIFY_WITH_TIMEOUT(saying(QStringLiteral("Already first.")), 20000);
            QTest::keyClick(b, Qt::Key_Left, Qt::AltModifier); // the rows run down, not across
            QCOMPARE(saves.count(), 1);

            QAccessibleActionInterface* actions = QAccessible::queryAccessibleInterface(b)->actionInterface();
            QCOMPARE(actions->actionNames().mid(0, 3), (QStringList{QAccessibleActionInterface::pressAction(),
                                                                    moveUpAction(), moveDownAction()}));
            actions->doAction(moveDownAction());
            actions->doAction(moveDownAction());
            actions->doAction(moveDownAction());
            QCOMPARE(roles(view.displayedExperience()),
                     (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
            QCOMPARE(saves.count(), 3);
            QTRY_VERIFY_WITH_TIMEOUT(saying(QStringLiteral("Already last.")), 20000);
            QVERIFY(b->hasFocus());
            view.toggleReorderMode(); // no press in reorder mode: the row opens nothing there
            QCOMPARE(actions->actionNames().first(), moveUpAction());
            actions->doAction(QAccessibleActionInterface::pressAction());
            QVERIFY(!view.experienceSheet());
        }
        auto reopened = quillora::test::openStoreServices(path);
        QCOMPARE(roles(sortedBySortOrder(reopened->context().fetchResumes()->first()->experienceItems())),
                 (QStringList{QStringLiteral("A"), QStringLiteral("C"), QStringLiteral("B")}));
    }

    void experienceButtonsSitTogetherAndRowsSlideToTheirPlaces() {
        auto resume = insertResume({experience(QStringLiteral("A"), QStringLiteral("1")),
                                    experience(QStringLiteral("B"), QStringLiteral("2")),
                                    experience(QStringLiteral("C"), QStringLiteral("3"))});
        ResumeEditorView view(resume, *m_services);
        view.resize(700, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));

        // "Add Experience" and "Reorder" side by side, 8 points apart, in the middle of the card.
        QWidget* add = section->addButton();
        QWidget* reorder = section->reorderButton();
        const QRect a(add->mapTo(section, QPoint(0, 0)), add->size());
        const QRect r(reorder->mapTo(section, QPoint(0, 0)), reorder->size());
        const QWidget* rows = section->findChild<QWidget*>(QStringLiteral("experienceRows"));
        const QRect area(rows->mapTo(section, QPoint(0, 0)), rows->size());
        QCOMPARE(r.left() - a.right() - 1, 8);
        QVERIFY2(
            qAbs((a.left() + r.right()) / 2 - area.center().x()) <= 2,
            qPrintable(QStringLiteral("%1..%2 in %3").arg(a.left()).arg(r.right()).arg(area.center().x())));

        const auto tops = [&] {
            QList<int> out;
            for (ExperienceRow* row : section->rows())
                out << row->y();
            return out;
        };
        const QList<int> places = tops();
        for (const bool reduceMotion : {false, true}) {
            m_services->appearance().setReduceMotionOverride(reduceMotion);
            view.moveExperience(0, 2);
            const QParallelAnimationGroup& slides = section->moveAnimation().group();
            if (reduceMotion) {
                QCOMPARE(slides.state(), QAbstractAnimation::Stopped);
                QTRY_COMPARE(tops(), places);
                continue;
            }
            // Every row slides, 0.2 s ease-in-out, from its old place to its new one.
            QCOMPARE(slides.state(), QAbstractAnimation::Running);
            QCOMPARE(slides.animationCount(), 3);
            for (int i = 0; i < slides.animationCount(); ++i) {
                auto* slide = qobject_cast<QPropertyAnimation*>(slides.animationAt(i));
                QCOMPARE(slide->duration(), 200);
                QCOMPARE(slide->easingCurve().type(), QEasingCurve::InOutQuad);
                const int at =
                    int(section->rows().indexOf(static_cast<ExperienceRow*>(slide->targetObject())));
                QCOMPARE(slide->endValue().toPoint().y(), places.at(at));
            }
            QTRY_COMPARE(slides.state(), QAbstractAnimation::Stopped);
            QCOMPARE(tops(), places);
        }
        m_services->appearance().setReduceMotionOverride(std::nullopt);
    }

    void reorderToggleFadesTheButtonAndTheDeleteButtons() {
        auto resume = insertResume({experience(QStringLiteral("A"), QStringLiteral("1"))});
        ResumeEditorView view(resume, *m_services);
        view.resize(700, 900);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));
        ExperienceRow* row = section->rows().first();
        const QVariantAnimation& title = section->reorderTransition().animation();
        const QVariantAnimation& trash = row->deleteTransition().animation();
        for (const bool reduceMotion : {false, true}) {
            m_services->appearance().setReduceMotionOverride(reduceMotion);
            for (const bool reorder : {true, false}) {
                QTest::mouseClick(section->reorderButton(), Qt::LeftButton);
                QCOMPARE(view.isReorderMode(), reorder);
                QCOMPARE(title.state() == QAbstractAnimation::Running, !reduceMotion);
                QCOMPARE(trash.state() == QAbstractAnimation::Running, !reduceMotion);
                QCOMPARE(title.duration(), defaultAnimationMs);
                QCOMPARE(trash.duration(), defaultAnimationMs);
                QCOMPARE(trash.easingCurve().type(), defaultAnimationEasing);
                // Fading out, the delete button stays until the fade ends.
                QCOMPARE(row->deleteButton()->isVisible(), !reorder || !reduceMotion);
                QTRY_COMPARE(row->deleteButton()->isVisible(), !reorder);
                QTRY_COMPARE(section->reorderTransition().opacity(), 1.0);
            }
        }
        m_services->appearance().setReduceMotionOverride(std::nullopt);
    }

    // The entry sheets at the sizes they get on small and large screens, and at odd sizes a user
    // drags them to: no text or control lies over another, with a short or a long details text,
    // the page scrolled to its top or its end. Before, the details' STAR button sat on the text
    // box at 1024 × 640, its host squeezed to the 140-point floor.
    void entrySheetControlsNeverOverlap() {
        auto job = experience(QStringLiteral("UX Designer"), QStringLiteral("Studio North"));
        auto resume = insertResume({job});
        auto school = std::make_shared<Education>(QStringLiteral("State University"), QStringLiteral("BSc"),
                                                  QStringLiteral("2019"), 0);
        ExperienceEditor experienceSheet(job, *m_services, resume);
        EducationEditor educationSheet(school, *m_services);
        const QList<QSize> sizes{{620, 606},   {620, 613}, {620, 760}, {1024, 640}, {1366, 768},
                                 {1920, 1080}, {480, 360}, {620, 420}, {900, 500}};
        const QString manyLines = QStringLiteral("Led the redesign of the banking app.\n").repeated(14);
        for (const QString& details : {QStringLiteral("Did things."), manyLines}) {
            job->setDetails(details);
            for (QDialog* sheet :
                 {static_cast<QDialog*>(&experienceSheet), static_cast<QDialog*>(&educationSheet)}) {
                sheet->show();
                auto* page = sheet->findChild<QScrollArea*>();
                QVERIFY(page);
                for (const QSize& size : sizes) {
                    sheet->resize(size);
                    QCoreApplication::sendPostedEvents(nullptr, QEvent::LayoutRequest);
                    QScrollBar* bar = page->verticalScrollBar();
                    for (const int at : {bar->minimum(), bar->maximum()}) {
                        bar->setValue(at);
                        const QString overlap = overlappingControls(sheet);
                        QVERIFY2(overlap.isEmpty(),
                                 qPrintable(QStringLiteral("%1 at %2×%3, scrolled to %4: %5")
                                                .arg(sheet->objectName())
                                                .arg(size.width())
                                                .arg(size.height())
                                                .arg(at)
                                                .arg(overlap)));
                    }
                }
                sheet->hide();
            }
        }
        // The details' parts keep their own heights: the text box is 120 points tall whatever
        // room the window gives.
        QCOMPARE(experienceSheet.detailsEditor()->height(), 120);
    }

    // Each change places again only the rows it moves; the rows still follow the entries, in
    // order, through moves near and far, deletions, additions and a whole new order.
    void rowsFollowTheEntriesThroughEveryChange() {
        m_services->appearance().setReduceMotionOverride(true); // rows at their places at once
        const auto list = [](const char* names) {
            return QString::fromLatin1(names).split(QLatin1Char(' '), Qt::SkipEmptyParts);
        };
        QList<ExperiencePtr> entries;
        for (const QString& role : list("A B C D E F G H"))
            entries << experience(role, QStringLiteral("Co"), entries.size());
        auto resume = insertResume(entries);
        QList<EducationPtr> schoolEntries;
        for (const QString& n : list("1 2 3"))
            schoolEntries << std::make_shared<Education>(u'S' + n, u'D' + n, QStringLiteral("2000"),
                                                         n.toInt());
        resume->setEducationItems(schoolEntries);
        ResumeEditorView view(resume, *m_services);
        view.show();
        auto* section = child<ExperienceSection>(&view, QStringLiteral("experienceSection"));
        auto* schools = child<EducationSection>(&view, QStringLiteral("educationSection"));
        const auto verifyRows = [&](const QStringList& expected) {
            QCOMPARE(roles(view.displayedExperience()), expected);
            const QList<ExperienceRow*> rows = section->rows();
            QCOMPARE(rows.size(), expected.size());
            if (!rows.isEmpty())
                rows.first()->parentWidget()->layout()->activate();
            for (int i = 0; i < rows.size(); ++i) {
                QCOMPARE(rows.at(i)->entry(), view.displayedExperience().at(i));
                QCOMPARE(rows.at(i)->roleLabel()->text(), expected.at(i));
                QVERIFY(rows.at(i)->isVisible());
                if (i > 0)
                    QCOMPARE(rows.at(i)->y(), rows.at(i - 1)->geometry().bottom() + 1);
            }
        };
        verifyRows(list("A B C D E F G H"));
        view.moveExperience(0, 7); // the first to the end
        verifyRows(list("B C D E F G H A"));
        view.moveExperience(6, 1); // far up
        verifyRows(list("B H C D E F G A"));
        view.moveExperienceBy(view.displayedExperience().at(3), 1);
        verifyRows(list("B H C E D F G A"));
        view.requestExperienceDeletion(view.displayedExperience().at(4));
        QTest::mouseClick(child<QAbstractButton>(view.deleteAlert(), QStringLiteral("alertDeleteButton")),
                          Qt::LeftButton);
        verifyRows(list("B H C E F G A"));
        view.addExperience();
        QTest::keyClicks(child<QLineEdit>(view.experienceSheet(), QStringLiteral("experienceRoleField")),
                         QStringLiteral("N"));
        view.experienceSheet()->saveButton()->click();
        verifyRows(list("B N H C E F G A")); // new entries start at sortOrder 0
        // Saved, the new row carries the entry's store identity.
        const ExperiencePtr added = view.displayedExperience().at(1);
        QVERIFY(!added->persistentModelID().isTemporary());
        QCOMPARE(section->rows().at(1)->objectName(),
                 QStringLiteral("experienceRow") + added->persistentModelID().description());
        // A whole new order (another program's, say): every row follows.
        QList<ExperiencePtr> reversed = view.displayedExperience();
        std::reverse(reversed.begin(), reversed.end());
        for (int i = 0; i < reversed.size(); ++i)
            reversed.at(i)->setSortOrder(i);
        resume->setExperienceItems(reversed);
        verifyRows(list("A G F E C H N B"));
        resume->setExperienceItems({});
        verifyRows(list(""));

        QList<EducationPtr> education = view.displayedEducation();
        education.at(0)->setSortOrder(5);
        resume->setEducationItems({education.at(0), education.at(2)});
        const QList<EducationOpenButton*> rows = schools->rows();
        QCOMPARE(rows.size(), 2);
        QCOMPARE(rows.at(0)->titleText(), QStringLiteral("D3"));
        QCOMPARE(rows.at(1)->titleText(), QStringLiteral("D1"));
    }

    void educationEntries() {
        auto resume = insertResume();
        ResumeEditorView view(resume, *m_services);
        view.show();
        ModelContext& context = m_services->context();
        auto* section = child<EducationSection>(&view, QStringLiteral("educationSection"));
        QVERIFY(section->rows().isEmpty());

        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("addEducationButton")),
                          Qt::LeftButton);
        EducationEditor* sheet = view.educationSheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->title(), QStringLiteral("Edit Education"));
        QTest::mouseClick(child<QAbstractButton>(sheet, QStringLiteral("floatingCloseButton")),
                          Qt::LeftButton);
        QVERIFY(resume->educationItems().isEmpty());
        QVERIFY(!view.pendingEducation());

        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("addEducationButton")),
                          Qt::LeftButton);
        sheet = view.educationSheet();
        QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("educationSchoolField")),
                         QStringLiteral("City College"));
        QTest::keyClicks(child<QLineEdit>(sheet, QStringLiteral("educationYearField")),
                         QStringLiteral("2019"));
        QTest::mouseClick(child<QAbstractButton>(sheet, QStringLiteral("saveEducationButton")),
                          Qt::LeftButton);
        QCOMPARE(resume->educationItems().size(), 1);
        QVERIFY(!context.hasChanges());
        const EducationPtr entry = resume->educationItems().first();
        const QString id = entry->persistentModelID().description();
        auto* open = child<EducationOpenButton>(&view, QStringLiteral("educationRow") + id);
        QCOMPARE(open->titleText(), QStringLiteral("New Degree"));
        QCOMPARE(open->accessibleName(), QStringLiteral("New Degree, City College"));
        QCOMPARE(open->accessibleDescription(), QStringLiteral("Opens this education entry"));
        QCOMPARE(view.focusWidget(), open); // back on the entry just saved

        QTest::mouseClick(open, Qt::LeftButton);
        QTest::keyClicks(child<QLineEdit>(view.educationSheet(), QStringLiteral("educationDegreeField")),
                         QStringLiteral("BSc"));
        QCOMPARE(open->titleText(), QStringLiteral("BSc"));
        view.educationSheet()->close();

        // Delete asks, removes the entry, and leaves the store to the next save.
        view.saveResume();
        const QDateTime stamped = resume->lastEdited();
        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("deleteEducationButton") + id),
                          Qt::LeftButton);
        QCOMPARE(view.deleteAlert()->text(), QStringLiteral("Delete Education?"));
        QTest::mouseClick(child<QAbstractButton>(view.deleteAlert(), QStringLiteral("alertDeleteButton")),
                          Qt::LeftButton);
        QVERIFY(resume->educationItems().isEmpty());
        QVERIFY(!view.educationToDelete());
        QCOMPARE(view.focusWidget(), child(&view, QStringLiteral("addEducationButton"))); // no row left
        QCOMPARE(resume->lastEdited(), stamped);
        QVERIFY(context.hasChanges());
    }

    void fontPicker() {
        auto resume = insertResume();
        ResumeEditorView view(resume, *m_services);
        view.show();
        auto* button = child<QAbstractButton>(&view, QStringLiteral("fontPickerButton"));
        QCOMPARE(button->text(), QStringLiteral("Helvetica Neue"));
        QCOMPARE(button->accessibleName(), QStringLiteral("Font style"));
        QTest::mouseClick(button, Qt::LeftButton);
        FontPickerView* picker = view.fontPicker();
        QVERIFY(picker && picker->isVisible());
        QCOMPARE(picker->rows().size(), 25);
        QCOMPARE(picker->rows().at(8)->accessibleName(), QStringLiteral("Helvetica Neue"));
        QCOMPARE(picker->rows().at(8)->objectName(), QStringLiteral("fontOptionHelveticaNeue"));
        for (int i = 0; i < 25; ++i) {
            QCOMPARE(picker->rows().at(i)->isSelectedFont(), i == 8);
            QCOMPARE(picker->rows().at(i)->accessibilityValue(),
                     i == 8 ? QStringLiteral("Selected") : QStringLiteral("Not selected"));
            QCOMPARE(picker->rows().at(i)->accessibleDescription(),
                     QStringLiteral("Applies this font to the resume"));
        }
        QVERIFY(child(picker, QStringLiteral("fontOptionOswald-Light")));
        QVERIFY(child(picker, QStringLiteral("fontOptionQuicksand-Regular")));

        // "Garamond" writes its font name; the picker stays open and the card follows.
        QTest::mouseClick(child<QAbstractButton>(picker, QStringLiteral("fontOptionEBGaramond12-Regular")),
                          Qt::LeftButton);
        QCOMPARE(resume->fontName(), QStringLiteral("EBGaramond12-Regular"));
        QVERIFY(picker->isVisible());
        QVERIFY(picker->row(QStringLiteral("EBGaramond12-Regular"))->isSelectedFont());
        QVERIFY(!picker->row(QStringLiteral("Helvetica Neue"))->isSelectedFont());
        QCOMPARE(button->text(), QStringLiteral("EBGaramond12-Regular"));
        QVERIFY(m_services->context().hasChanges()); // stored with the editor's next save
        // The button says the choice as the list names it; a name the list lacks, as it is.
        const auto spoken = [button] {
            return QAccessible::queryAccessibleInterface(button)->text(QAccessible::Value);
        };
        QCOMPARE(spoken(), QStringLiteral("Garamond"));
        QTest::mouseClick(child<QAbstractButton>(picker, QStringLiteral("fontOptionLato-Light")),
                          Qt::LeftButton);
        QCOMPARE(spoken(), QStringLiteral("Lato"));
        QVERIFY(QAccessible::queryAccessibleInterface(button)
                    ->text(QAccessible::Description)
                    .endsWith(QStringLiteral(". Lato")));
        resume->setFontName(QStringLiteral("Comic Neue"));
        QCOMPARE(spoken(), QStringLiteral("Comic Neue"));
        resume->setFontName(QStringLiteral("EBGaramond12-Regular"));

        // A value that names no font selects no row; reopening shows the current font.
        resume->setFontName(QStringLiteral("helvetica neue"));
        for (FontOptionRow* row : picker->rows())
            QVERIFY(!row->isSelectedFont());
        QTest::mouseClick(child<QAbstractButton>(picker, QStringLiteral("floatingCloseButton")),
                          Qt::LeftButton);
        QVERIFY(!view.fontPicker());
        resume->setFontName(QStringLiteral("Inter-Light"));
        view.openFontPicker();
        QVERIFY(view.fontPicker()->row(QStringLiteral("Inter-Light"))->isSelectedFont());
    }

    void helpSheets() {
        auto resume = insertResume({experience(QStringLiteral("A"), QStringLiteral("1"))});
        ResumeEditorView view(resume, *m_services);
        view.show();
        QTest::mouseClick(child<QAbstractButton>(&view, QStringLiteral("floatingHelpButton")),
                          Qt::LeftButton);
        QVERIFY(view.helpSheet());
        QCOMPARE(view.helpSheet()->title(), QStringLiteral("Editor Help"));
        QCOMPARE(headingFonts(view.helpSheet()), QList<QFont>{HelpSheetContainer::headlineFont()});
        QCOMPARE(helpTexts(view.helpSheet()),
                 (QStringList{QStringLiteral("EDITOR OVERVIEW"),
                              QStringLiteral("• Edit one résumé at a time"),
                              QStringLiteral("• Changes save automatically"),
                              QStringLiteral("SUMMARY"),
                              QStringLiteral("• Write a short professional summary"),
                              QStringLiteral("• Use AI tools to refine or rewrite it"),
                              QStringLiteral("COVER LETTER"),
                              QStringLiteral("• Enable ‘Include Cover Letter’ to add one"),
                              QStringLiteral("• Paste a job posting for context"),
                              QStringLiteral("• Generate with Apple Intelligence"),
                              QStringLiteral("ATS VERSION"),
                              QStringLiteral("• Optimize content for applicant tracking systems"),
                              QStringLiteral("• Export an ATS-friendly PDF layout"),
                              QStringLiteral("FONT STYLE"),
                              QStringLiteral("• Choose a typeface for your résumé"),
                              QStringLiteral("PORTFOLIO"),
                              QStringLiteral("• Add or remove images"),
                              QStringLiteral("• Edit captions and toggle orientation"),
                              QStringLiteral("• Drag to reorder images)"),
                              QStringLiteral("ACTIONS & STYLE"),
                              QStringLiteral("• Preview the template and access translation tools"),
                              QStringLiteral("• Export Creative or ATS PDF"),
                              QStringLiteral("• Customize shapes, colors, and background")}));
        view.helpSheet()->close();

        view.openExperience(resume->experienceItems().first());
        QTest::mouseClick(
            child<QAbstractButton>(view.experienceSheet(), QStringLiteral("floatingHelpButton")),
            Qt::LeftButton);
        HelpSheetContainer* help = view.experienceSheet()->helpSheet();
        QCOMPARE(help->title(), QStringLiteral("Experience Help"));
        QCOMPARE(headingFonts(help), QList<QFont>{HelpSheetContainer::headlineFont()});
        QCOMPARE(helpTexts(help),
                 (QStringList{
                     QStringLiteral("DETAILS"), QStringLiteral("• Describe your responsibilities and impact"),
                     QStringLiteral("• Write freely or refine using AI tools"), QStringLiteral("REORDERING"),
                     QStringLiteral("• Use ‘Reorder’ in the résumé to drag and arrange roles"),
                     QStringLiteral("SAVE"), QStringLiteral("• Tap Save to keep changes")}));
        help->close();
        view.experienceSheet()->close();

        view.addEducation();
        view.educationSheet()->openHelp();
        QCOMPARE(view.educationSheet()->helpSheet()->title(), QStringLiteral("Education Help"));
        QCOMPARE(headingFonts(view.educationSheet()->helpSheet()),
                 QList<QFont>{HelpSheetContainer::headlineFont()});
        QCOMPARE(helpTexts(view.educationSheet()->helpSheet()),
                 (QStringList{QStringLiteral("BASIC FIELDS"),
                              QStringLiteral("• Add or edit the school and degree"),
                              QStringLiteral("• Enter the graduation or expected completion year")}));
        view.educationSheet()->close();

        view.openFontPicker();
        QTest::mouseClick(child<QAbstractButton>(view.fontPicker(), QStringLiteral("floatingHelpButton")),
                          Qt::LeftButton);
        QCOMPARE(view.fontPicker()->helpSheet()->title(), QStringLiteral("Font Picker Help"));
        const QStringList font = helpTexts(view.fontPicker()->helpSheet());
        QCOMPARE(font.size(), 17);
        QCOMPARE(font.first(), QStringLiteral("FONT LIST"));
        QCOMPARE(font.at(3), QStringLiteral("• Your currently selected font shows a blue checkmark"));
        QCOMPARE(font.last(), QStringLiteral("• Tap the X button to close the font picker"));
        // Its five headings are set in the sheet's own font, as its bullets are.
        QCOMPARE(headingFonts(view.fontPicker()->helpSheet()),
                 QList<QFont>{namedFont(QStringLiteral("Oswald-Light"), 16)});
    }
};

QUILLORA_TEST_MAIN(ResumeEditorTest)
#include "test_resume_editor.moc"
