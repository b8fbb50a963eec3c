#include "ai/ai_refinable_text_editor.h"
#include "ai/resume_ai_view_model.h"
#include "controls/glass_capsule_button.h"
#include "controls/sparkle_button_label.h"
#include "model/resume_operations.h"
#include "platform/appearance.h"
#include "support/ai_backends_fixture.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPointer>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;
using quillora::test::AIBackendsFixture;
using quillora::test::LoopbackHttpServer;

namespace {

const QString threeSentences = QStringLiteral("Led the team. Built the tool. Shipped it on time.");

QString paragraphJSON(const QString& paragraph) {
    return QStringLiteral("{\"paragraph\": \"") + paragraph + QStringLiteral("\"}");
}

} // namespace

class AIRefinableTextEditorTest : public QObject, private AIBackendsFixture {
    Q_OBJECT

private slots:
    void init() { initAIBackends(QStringLiteral("ai-editor.ini")); }
    void cleanup() { cleanupAIBackends(); }

    void identifiersAndLabelsFollowModeAndBackend() {
        m_model->available = false;
        auto summary = makeEditor(SeamlessStarMode::summary);
        QCOMPARE(summary->textEdit()->objectName(), QStringLiteral("summaryAITextEditor"));
        QCOMPARE(summary->textEdit()->accessibleName(), QStringLiteral("Summary"));
        // The backend shown above the text is heard with it.
        QCOMPARE(summary->textEdit()->accessibleDescription(),
                 QStringLiteral("Enter text and optionally refine it with AI. AI Backend: None available"));
        QCOMPARE(summary->refineButton()->objectName(), QStringLiteral("refineSummaryButton"));
        QCOMPARE(summary->refineButton()->accessibleDescription(),
                 QStringLiteral("Refines the current text using AI"));
        QCOMPARE(backendLabel(*summary), QStringLiteral("None available"));
        QCOMPARE(buttonTitle(*summary), QStringLiteral("STAR with Apple AI"));
        QVERIFY(summary->refineButton()->isEnabled());

        auto experience = makeEditor(SeamlessStarMode::experience);
        QCOMPARE(experience->textEdit()->objectName(), QStringLiteral("experienceAITextEditor"));
        QCOMPARE(experience->textEdit()->accessibleName(), QStringLiteral("Experience details"));
        QCOMPARE(experience->refineButton()->objectName(), QStringLiteral("refineExperienceButton"));

        // Unavailable: the tap says so and changes nothing else.
        experience->setText(QStringLiteral("Kept the lights on."));
        QTest::mouseClick(experience->refineButton(), Qt::LeftButton);
        QCOMPARE(message(*experience), QStringLiteral("Apple Intelligence is unavailable on this device."));
        QCOMPARE(experience->text(), QStringLiteral("Kept the lights on."));
        QVERIFY(!experience->viewModel()->isBusy());

        m_model->available = true;
        QCOMPARE(backendLabel(*makeEditor(SeamlessStarMode::summary)), QStringLiteral("Apple On-Device"));

        // A key stored or removed later shows at once, in the label and the button.
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        QCOMPARE(backendLabel(*experience), QStringLiteral("OpenAI"));
        QCOMPARE(buttonTitle(*experience), QStringLiteral("STAR with OpenAI"));
        m_settings->setOpenAIAPIKey(QString());
        QCOMPARE(backendLabel(*experience), QStringLiteral("Apple On-Device"));
        QCOMPARE(buttonTitle(*experience), QStringLiteral("STAR with Apple AI"));
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        m_server->enqueue(LoopbackHttpServer::completion(paragraphJSON(threeSentences)));
        QTest::mouseClick(experience->refineButton(), Qt::LeftButton);
        QCOMPARE(backendLabel(*experience), QStringLiteral("OpenAI"));
        QCOMPARE(buttonTitle(*experience), QStringLiteral("STAR with OpenAI"));
        QTRY_COMPARE(experience->text(), threeSentences);
    }

    void editorOutlineIsAHairline() {
        for (const bool light : {true, false}) {
            m_appearance.setLightOverride(light);
            QWidget host;
            host.setAutoFillBackground(true);
            QPalette pal = host.palette();
            pal.setColor(QPalette::Window, light ? Qt::white : Qt::black);
            host.setPalette(pal);
            auto* editor =
                new AIRefinableTextEditor(services(), m_appearance, SeamlessStarMode::summary, &host);
            host.resize(440, 420);
            editor->setGeometry(10, 10, 420, 400);
            host.show();
            QVERIFY(QTest::qWaitForWindowExposed(&host));
            const QImage image = host.grab().toImage();
            QPlainTextEdit* edit = editor->textEdit();
            const QPoint origin = edit->mapTo(&host, QPoint(0, edit->height() / 2));
            // The ink the outline leaves across the edge: 0.8 points of 22 % black (or white).
            const int inside = qGray(image.pixel(origin + QPoint(6, 0)));
            int ink = 0;
            for (int dx = -1; dx <= 2; ++dx)
                ink += qAbs(qGray(image.pixel(origin + QPoint(dx, 0))) - inside);
            QString seen;
            for (int dx = -2; dx <= 6; ++dx)
                seen += QString::number(qGray(image.pixel(origin + QPoint(dx, 0)))) + u' ';
            QVERIFY2(ink >= 38 && ink <= 51, qPrintable(QString::number(ink) + u' ' + seen));
        }
        m_appearance.setLightOverride(std::nullopt);
    }

    void busyWhileRunningThenTheAnswerReplacesTheText() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        LoopbackHttpServer::Reply slow =
            LoopbackHttpServer::completion(paragraphJSON(QStringLiteral("A sharp summary.")));
        slow.delayMs = 300;
        m_server->enqueue(slow);

        // A blank summary still goes out when the résumé context is not blank.
        auto editor = makeEditor(SeamlessStarMode::summary);
        editor->setResumeContextProvider(
            [] { return std::optional<QString>(QStringLiteral("EXPERIENCE\nBaker")); });
        QSignalSpy edited(editor.get(), &AIRefinableTextEditor::textEdited);
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QVERIFY(editor->viewModel()->isBusy());
        QVERIFY(!editor->refineButton()->isEnabled());
        QVERIFY(buttonLabel(*editor)->isBusy());
        QVERIFY(message(*editor).isEmpty());

        // Typing goes on meanwhile; the answer then replaces it, as one undoable edit.
        editor->textEdit()->insertPlainText(QStringLiteral("typed"));
        QTRY_COMPARE(editor->text(), QStringLiteral("A sharp summary."));
        QVERIFY(editor->refineButton()->isEnabled());
        QVERIFY(!buttonLabel(*editor)->isBusy());
        QCOMPARE(edited.last().first().toString(), QStringLiteral("A sharp summary."));
        editor->textEdit()->undo();
        QCOMPARE(editor->text(), QStringLiteral("typed"));

        const auto requests = m_server->requests();
        QCOMPARE(requests.size(), 1);
        QVERIFY(requests[0].body.contains(
            "USER SUMMARY (if provided):\\n\\\"\\\"\\\"\\\"\\\"\\\"\\nRESUME CONTEXT"));
        QVERIFY(requests[0].body.contains("EXPERIENCE\\nBaker"));
    }

    void onlyWhatThisRefinementProducedIsWrittenBack() {
        auto editor = makeEditor(SeamlessStarMode::experience);
        m_model->enqueue(paragraphJSON(threeSentences));
        editor->setText(QStringLiteral("did stuff"));
        QSignalSpy edited(editor.get(), &AIRefinableTextEditor::textEdited);
        QVERIFY(edited.isEmpty());
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QTRY_COMPARE(editor->text(), threeSentences);

        // Cleared details: the empty-input message, and the earlier paragraph is not put back.
        editor->textEdit()->clear();
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QCOMPARE(message(*editor), QStringLiteral("Please enter some experience text first."));
        QTest::qWait(50);
        QCOMPARE(editor->text(), QString());

        // A failure keeps the user's text and shows the backend's message.
        editor->setText(QStringLiteral("did more stuff"));
        m_model->enqueue(Error{ErrorKind::general, QStringLiteral("model crashed"), 0, {}});
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QTRY_COMPARE(message(*editor), QStringLiteral("Apple Intelligence failed. Please try again."));
        QCOMPARE(editor->text(), QStringLiteral("did more stuff"));
        QVERIFY(editor->refineButton()->isEnabled());
    }

    void anAnswerAfterTheEditorClosedIsDropped() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        LoopbackHttpServer::Reply slow = LoopbackHttpServer::completion(paragraphJSON(threeSentences));
        slow.delayMs = 300;
        m_server->enqueue(slow);
        auto editor = makeEditor(SeamlessStarMode::summary);
        editor->setText(QStringLiteral("draft"));
        QString written = editor->text();
        connect(editor.get(), &AIRefinableTextEditor::textEdited, this,
                [&](const QString& text) { written = text; });
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QTRY_COMPARE(m_server->requestCount(), 1);
        test::StdoutCapture log;
        editor.reset();
        QTRY_VERIFY(log.linesSoFar().join(u'\n').contains(QStringLiteral("STAR refinement result dropped")));
        QCOMPARE(written, QStringLiteral("draft"));
    }

    void anAnswerForADeletedResumeIsDropped() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        LoopbackHttpServer::Reply slow = LoopbackHttpServer::completion(paragraphJSON(threeSentences));
        slow.delayMs = 300;
        m_server->enqueue(slow);
        auto editor = makeEditor(SeamlessStarMode::experience);
        ResumePtr resume = makeNewResume();
        editor->setResume(resume);
        editor->setText(QStringLiteral("draft"));
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        QTRY_COMPARE(m_server->requestCount(), 1);
        resume.reset();
        QTRY_VERIFY(!editor->viewModel()->isBusy());
        QVERIFY(editor->refineButton()->isEnabled());
        QCOMPARE(editor->text(), QStringLiteral("draft"));
    }

    void openAIAnswerEqualToTheInputIsFlaggedAndStillWritten() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-editor"));
        // Equal to the input: a retry, whose answer (the input again) is published with the note.
        m_server->enqueue(LoopbackHttpServer::completion(paragraphJSON(threeSentences)));
        m_server->enqueue(LoopbackHttpServer::completion(paragraphJSON(threeSentences)));
        auto editor = makeEditor(SeamlessStarMode::experience);
        editor->show();
        QVERIFY(QTest::qWaitForWindowActive(editor.get()));
        editor->setText(threeSentences + QStringLiteral("\n"));
        QTest::mouseClick(editor->refineButton(), Qt::LeftButton);
        const QString unchanged =
            QStringLiteral("OpenAI returned the original text. Add detail or try again.");
        QTRY_COMPARE(message(*editor), unchanged);
        QCOMPARE(editor->text(), threeSentences);
        QCOMPARE(m_server->requestCount(), 2);
        // What is said is the message shown, not a rewrite.
        QTRY_COMPARE(said(*editor), QStringList{unchanged});
    }

private:
    std::unique_ptr<AIRefinableTextEditor> makeEditor(SeamlessStarMode mode) {
        return std::make_unique<AIRefinableTextEditor>(services(), m_appearance, mode);
    }
    static QString backendLabel(const AIRefinableTextEditor& editor) {
        const QString prefix = editor.mode() == SeamlessStarMode::summary ? QStringLiteral("summary")
                                                                          : QStringLiteral("experience");
        return editor.findChild<QLabel*>(prefix + QStringLiteral("AIBackendLabel"))->text();
    }
    static QString message(const AIRefinableTextEditor& editor) {
        const QString prefix = editor.mode() == SeamlessStarMode::summary ? QStringLiteral("summary")
                                                                          : QStringLiteral("experience");
        const QLabel* label = editor.findChild<QLabel*>(prefix + QStringLiteral("AIMessage"));
        return label->isHidden() ? QString() : label->text();
    }
    static SparkleButtonLabel* buttonLabel(const AIRefinableTextEditor& editor) {
        return qobject_cast<SparkleButtonLabel*>(editor.refineButton()->labelWidget());
    }
    // The notes a screen reader is reading out in the editor's window.
    static QStringList said(const AIRefinableTextEditor& editor) {
        QStringList notes;
        for (const QWidget* note : editor.findChildren<QWidget*>(QStringLiteral("screenReaderAnnouncement")))
            notes << note->property("_quillora_accessibleAnnouncement").toString();
        return notes;
    }
    static QString buttonTitle(const AIRefinableTextEditor& editor) { return buttonLabel(editor)->title(); }

    Appearance m_appearance;
};

QUILLORA_TEST_MAIN(AIRefinableTextEditorTest)
#include "test_ai_refinable_text_editor.moc"
