#include "ai/cover_letter_generator.h"
#include "ai/cover_letter_generator_view.h"
#include "controls/progress_spinner.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/fake_language_model.h"
#include "support/loopback_http_server.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QAccessible>
#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QLayout>
#include <QNetworkAccessManager>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;
using quillora::test::FakeLanguageModel;
using quillora::test::LoopbackHttpServer;

namespace {

QString letterJSON(const QString& text) {
    return QStringLiteral("{\"text\": \"") + text + QStringLiteral("\"}");
}

} // namespace

class CoverLetterGeneratorViewTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Settings> m_settings;
    std::shared_ptr<FakeLanguageModel> m_model;
    std::unique_ptr<LoopbackHttpServer> m_server;
    QNetworkAccessManager m_network;
    Appearance m_appearance;

    std::unique_ptr<CoverLetterGeneratorView> makeView(const ResumePtr& resume) {
        auto view = std::make_unique<CoverLetterGeneratorView>(
            resume, AIServices{m_settings.get(), &m_network, m_model, 5000}, m_appearance);
        view->resize(600, 900);
        view->show();
        return view;
    }

private slots:
    void init() {
        m_settings = std::make_unique<Settings>(QDir::temp().filePath(QStringLiteral("generator.ini")));
        m_settings->remove(Settings::openAIAPIKeyKey);
        m_model = std::make_shared<FakeLanguageModel>();
        m_server = std::make_unique<LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
    }
    void cleanup() { m_server.reset(); }

    void generatesALetterWithoutTouchingTheResume() {
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        resume->setFullName(QStringLiteral("Ada"));
        resume->setCoverLetterText(QStringLiteral("stored letter"));
        auto view = makeView(resume);
        QCOMPARE(view->resumePreview()->toPlainText(), QStringLiteral("Ada\n\nSUMMARY\n\nSKILLS"));
        QVERIFY(!view->resumePreview()->isEnabled());
        QCOMPARE(view->jobDescription(), cover_letter_generator::sampleJobDescription);
        QVERIFY(!view->progressIndicator()->isVisible());
        QVERIFY(!view->letterEditor()->isVisible());
        // The group titles are headings to a screen reader.
        QStringList headings;
        for (QLabel* label : view->findChildren<QLabel*>())
            if (QAccessible::queryAccessibleInterface(label)->role() == QAccessible::Heading)
                headings << label->text();
        headings.sort();
        QCOMPARE(headings, (QStringList{u"Generated Cover Letter"_qs, u"Job Description"_qs,
                                        u"Résumé (generated from your data)"_qs}));

        view->setJobDescription(QStringLiteral("  Teacher  "));
        m_model->enqueue(letterJSON(QStringLiteral("Dear Hiring Manager,\\n\\nI am writing to apply.")));
        test::StdoutCapture out;
        QTest::mouseClick(view->generateButton(), Qt::LeftButton);
        QVERIFY(view->isLoading());
        QVERIFY(view->progressIndicator()->isVisible());
        QVERIFY(view->generateButton()->isEnabled());
        QTRY_VERIFY(!view->isLoading());
        QCOMPARE(view->coverLetter()->text, QStringLiteral("Dear Hiring Manager,\n\nI am writing to apply."));
        QVERIFY(view->letterEditor()->isVisible());
        QCOMPARE(view->letterEditor()->toPlainText(), view->coverLetter()->text);
        const QStringList lines = out.lines();
        QVERIFY(lines.contains(QStringLiteral("🚀 GENERATE COVER LETTER BUTTON TAPPED")));
        QVERIFY(lines.contains(QStringLiteral("🚨 VALIDATION FAILURE: Forbidden opening detected")));
        QVERIFY(lines.contains(QStringLiteral("DEBUG: RUNTIME PROMPT SENT TO MODEL")));
        QCOMPARE(m_model->requests().at(0).schemaName, QStringLiteral("CoverLetter"));
        QCOMPARE(m_model->requests().at(0).instructions, cover_letter_generator::systemPrompt);
        QVERIFY(
            m_model->requests().at(0).prompt.startsWith(QStringLiteral("JOB DESCRIPTION:\nTeacher\n---")));
        QCOMPARE(resume->coverLetterText(), QStringLiteral("stored letter"));
        QVERIFY(!resume->coverLetterLastGenerated());

        // A failure clears the letter from the screen.
        m_model->enqueue(Error{ErrorKind::unavailable, QStringLiteral("no model"), 0, {}});
        view->generateCoverLetter();
        QVERIFY(view->letterEditor()->isVisible()); // the earlier letter stays while working
        QTRY_VERIFY(!view->isLoading());
        QVERIFY(!view->coverLetter());
        QVERIFY(!view->letterEditor()->isVisible());
    }

    // One centred column: the headings, the button and the progress indicator centred over the
    // full-width text areas, 24 points between every two elements that show.
    void columnIsCentredWithItsSpacing() {
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        auto view = makeView(resume);
        const auto heading = [&](const QString& text) -> QWidget* {
            for (QLabel* label : view->findChildren<QLabel*>())
                if (label->text() == text)
                    return label;
            return nullptr;
        };
        const auto frame = [&](QWidget* widget) {
            return QRect(widget->mapTo(view.get(), QPoint(0, 0)), widget->size());
        };
        const auto checkColumn = [&](const QList<QWidget*>& column) {
            const QRect area = frame(view->jobDescriptionEditor());
            for (qsizetype i = 0; i < column.size(); ++i) {
                QWidget* element = column.at(i);
                QVERIFY2(element && element->isVisible(), qPrintable(QString::number(i)));
                const QRect at = frame(element);
                QVERIFY2(std::abs(at.center().x() - area.center().x()) <= 1,
                         qPrintable(element->objectName()));
                if (i > 0)
                    QCOMPARE(at.top() - frame(column.at(i - 1)).bottom() - 1,
                             CoverLetterGeneratorView::elementSpacing);
            }
        };
        QWidget* jobHeading = heading(QStringLiteral("Job Description"));
        QWidget* resumeHeading = heading(QStringLiteral("Résumé (generated from your data)"));
        checkColumn({jobHeading, view->jobDescriptionEditor(), resumeHeading, view->resumePreview(),
                     view->generateButton()});
        // Headings stand centred, not at the leading edge; the areas take the width.
        QVERIFY(frame(jobHeading).left() > frame(view->jobDescriptionEditor()).left() + 40);
        QCOMPARE(frame(view->resumePreview()).width(), frame(view->jobDescriptionEditor()).width());

        m_model->enqueue(letterJSON(QStringLiteral("Dear Hiring Manager,")));
        view->generateCoverLetter();
        view->jobDescriptionEditor()->parentWidget()->layout()->activate(); // before the answer
        checkColumn(
            {resumeHeading, view->resumePreview(), view->generateButton(), view->progressIndicator()});
        QTRY_VERIFY(!view->isLoading());
        QApplication::processEvents();
        QWidget* divider = view->findChild<QWidget*>(QStringLiteral("generatedCoverLetterDivider"));
        checkColumn({view->resumePreview(), view->generateButton(), divider,
                     heading(QStringLiteral("Generated Cover Letter")), view->letterEditor()});
        QCOMPARE(frame(view->letterEditor()).width(), frame(view->jobDescriptionEditor()).width());
    }

    void onlyTheLatestRequestIsShown() {
        m_settings->setOpenAIAPIKey(QStringLiteral("sk-test"));
        auto resume = test::makeEmptyResume(QStringLiteral("CV"));
        auto view = makeView(resume);
        LoopbackHttpServer::Reply older = LoopbackHttpServer::completion(letterJSON(QStringLiteral("older")));
        older.delayMs = 400;
        m_server->enqueue(older);
        m_server->enqueue(LoopbackHttpServer::completion(letterJSON(QStringLiteral("newer"))));
        view->setJobDescription(QStringLiteral("first"));
        test::StdoutCapture log;
        const auto dropped = [&log] {
            return log.linesSoFar().count(
                QStringLiteral("⏭️ Cover letter result dropped: a newer request was made"));
        };
        view->generateCoverLetter();
        QTRY_COMPARE(m_server->requestCount(), 1);
        view->setJobDescription(QStringLiteral("second"));
        view->generateCoverLetter();
        QTRY_VERIFY(view->coverLetter().has_value());
        QCOMPARE(view->coverLetter()->text, QStringLiteral("newer"));
        QVERIFY(!view->isLoading());
        // The older answer arrives later and changes nothing.
        QTRY_COMPARE(dropped(), 1);
        QCOMPARE(m_server->requestCount(), 2);
        QVERIFY(view->coverLetter().has_value());
        QCOMPARE(view->coverLetter()->text, QStringLiteral("newer"));

        // An older request failing while a newer one runs clears nothing and keeps the indicator.
        LoopbackHttpServer::Reply failure = LoopbackHttpServer::completion(QStringLiteral("no"), 500);
        failure.delayMs = 150;
        m_server->enqueue(failure);
        LoopbackHttpServer::Reply success =
            LoopbackHttpServer::completion(letterJSON(QStringLiteral("last")));
        success.delayMs = 600;
        m_server->enqueue(success);
        QSignalSpy loading(view.get(), &CoverLetterGeneratorView::loadingChanged);
        view->generateCoverLetter();
        QTRY_COMPARE(m_server->requestCount(), 3);
        view->generateCoverLetter();
        QTRY_COMPARE(dropped(), 2);
        QTRY_VERIFY(!view->isLoading());
        QCOMPARE(loading.count(), 3); // on, on again, and off with the last answer only
        QVERIFY(view->coverLetter().has_value());
        QCOMPARE(view->coverLetter()->text, QStringLiteral("last"));
        m_settings->remove(Settings::openAIAPIKeyKey);
    }
};

QUILLORA_TEST_MAIN(CoverLetterGeneratorViewTest)
#include "test_cover_letter_generator_view.moc"
