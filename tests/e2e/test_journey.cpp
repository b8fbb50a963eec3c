// The whole job as a user does it: the real app, started in this process over fresh folders, with
// the real store file, the translation engine and the other services behind it, driven by the
// controls' object names and the keyboard through one journey. Each step prints the longest time
// the UI thread was kept from its event loop (for the notes; nothing fails on it) and checks that
// nothing secret was printed.

#include "ai/openai_client.h"
#include "app/content_view.h"
#include "app/main_window.h"
#include "app/quillora_app.h"
#include "app/resume_card_list.h"
#include "app/resume_list_model.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "editor/editor_actions.h"
#include "editor/font_picker_view.h"
#include "editor/portfolio_card.h"
#include "editor/portfolio_rows.h"
#include "editor/resume_editor_view.h"
#include "output/resume_pdf_generator.h"
#include "output/resume_titles.h"
#include "output/share_dialog.h"
#include "output/template_classic.h"
#include "sharing/cloud_configuration.h"
#include "store/model_context.h"
#include "store/store_location.h"
#include "store/user_backup.h"
#include "support/cloud_test_database.h"
#include "support/loopback_http_server.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QDirIterator>
#include <QDrag>
#include <QDragEnterEvent>
#include <QElapsedTimer>
#include <QFile>
#include <QFileDialog>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>

#include <cstdio>
#include <fcntl.h>
#include <functional>
#include <unistd.h>

using namespace quillora;

namespace {

// ---------------------------------------------------------------------------------------------
// Measuring and watching

// Ticks on the UI thread every few milliseconds; the longest gap between two ticks, less the
// interval, is the longest time the event loop could not run.
class Heartbeat final {
public:
    static constexpr int intervalMs = 4;

    Heartbeat() {
        m_timer.setTimerType(Qt::PreciseTimer);
        m_timer.setInterval(intervalMs);
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            const qint64 gap = m_clock.restart();
            m_longest = std::max(m_longest, gap - intervalMs);
        });
    }
    void start() {
        m_longest = 0;
        m_clock.start();
        m_timer.start();
    }
    qint64 stop() {
        m_timer.stop();
        return m_longest;
    }

private:
    QTimer m_timer;
    QElapsedTimer m_clock;
    qint64 m_longest = 0;
};

// Sends standard output and standard error to one file while a step runs; finish() restores
// them, prints what was captured (so the log still shows it) and returns the lines.
class OutputCapture final {
public:
    OutputCapture()
        : m_path(QDir::tempPath() + QStringLiteral("/../journey-output.txt")) {
        std::fflush(stdout);
        std::fflush(stderr);
        m_savedOut = ::dup(STDOUT_FILENO);
        m_savedErr = ::dup(STDERR_FILENO);
        const int fd = ::open(QFile::encodeName(m_path).constData(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        ::dup2(fd, STDOUT_FILENO);
        ::dup2(fd, STDERR_FILENO);
        ::close(fd);
    }
    ~OutputCapture() { (void)finish(); }
    OutputCapture(const OutputCapture&) = delete;
    OutputCapture& operator=(const OutputCapture&) = delete;

    QStringList finish() {
        if (m_savedOut < 0)
            return m_lines;
        std::fflush(stdout);
        std::fflush(stderr);
        ::dup2(m_savedOut, STDOUT_FILENO);
        ::dup2(m_savedErr, STDERR_FILENO);
        ::close(m_savedOut);
        ::close(m_savedErr);
        m_savedOut = m_savedErr = -1;
        QFile file(m_path);
        if (file.open(QIODevice::ReadOnly)) {
            const QByteArray text = file.readAll();
            std::fwrite(text.constData(), 1, size_t(text.size()), stdout);
            std::fflush(stdout);
            m_lines = QString::fromUtf8(text).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
        }
        QFile::remove(m_path);
        return m_lines;
    }

private:
    QString m_path;
    int m_savedOut = -1;
    int m_savedErr = -1;
    QStringList m_lines;
};

// ---------------------------------------------------------------------------------------------
// Driving by name and keys

template <typename T = QWidget> T* named(const QObject* root, const QString& name) {
    return root ? root->findChild<T*>(name) : nullptr;
}

template <typename T = QWidget> T* anywhere(const QString& name) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (!top->isVisible())
            continue;
        if (top->objectName() == name)
            if (auto* self = qobject_cast<T*>(top))
                return self;
        if (T* found = top->findChild<T*>(name); found && found->isVisible())
            return found;
    }
    return nullptr;
}

// Lets the event loop run between key presses, as it does between a person's keystrokes.
void breathe() {
    QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

// A button the keyboard can reach, pressed with the space bar.
bool pressByKey(QAbstractButton* button) {
    if (!button || !button->isEnabled() || !(button->focusPolicy() & Qt::TabFocus))
        return false;
    button->setFocus(Qt::TabFocusReason);
    QTest::keyClick(button, Qt::Key_Space);
    breathe();
    return true;
}

// Keys for every character, one at a time, with the event loop running in between.
void typeText(QWidget* field, const QString& text) {
    field->setFocus(Qt::TabFocusReason);
    for (const QChar c : text) {
        if (c == QLatin1Char('\n'))
            QTest::keyClick(field, Qt::Key_Return);
        else
            QTest::keyClicks(field, QString(c));
        breathe();
    }
}

// Answers the next modal window named `window` by pressing its button `button` with the keyboard,
// once the window is up.
void answerModal(const QString& window, const QString& button) {
    auto* poll = new QTimer;
    poll->setInterval(10);
    QObject::connect(poll, &QTimer::timeout, poll, [poll, window, button] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || modal->objectName() != window)
            return;
        poll->stop();
        poll->deleteLater();
        QTimer::singleShot(0, modal, [modal, button] { pressByKey(named<QAbstractButton>(modal, button)); });
    });
    poll->start();
}

// ---------------------------------------------------------------------------------------------
// What the journey writes

struct Job {
    QString role, company, start, end, details;
};
struct School {
    QString school, degree, year;
};

const QString kTitle = QStringLiteral("Design Lead");
const QString kName = QStringLiteral("Ada Lindqvist");
const QString kContact = QStringLiteral("ada@example.com · +1 555 0100");
const QString kSummary = QStringLiteral("I design calm tools for busy teams.");
const QList<Job> kJobs{
    {QStringLiteral("Designer"), QStringLiteral("Acme"), QStringLiteral("2015"), QStringLiteral("2018"),
     QStringLiteral("I drew the new shop.")},
    {QStringLiteral("Senior Designer"), QStringLiteral("Globex"), QStringLiteral("2018"),
     QStringLiteral("2021"), QStringLiteral("I led the redesign of the app.")},
    {QStringLiteral("Design Lead"), QStringLiteral("Initech"), QStringLiteral("2021"), QStringLiteral("2024"),
     QStringLiteral("I run a team of five designers.")},
};
const QList<School> kSchools{
    {QStringLiteral("City College"), QStringLiteral("BA Design"), QStringLiteral("2014")},
    {QStringLiteral("Art Institute"), QStringLiteral("MA Interaction"), QStringLiteral("2016")},
};
const QString kFontOption = QStringLiteral("fontOptionLora-Regular");
const QString kFontName = QStringLiteral("Lora-Regular");

// The plain text of the preview's copy, built here from the rules of the copy itself: name,
// contact, summary, experience in the order held, skills, education, cover letter.
QString expectedPlainText(const Resume& r, const QString& summaryTitle, const QString& experienceTitle,
                          const QString& educationTitle) {
    const QString dash = QStringLiteral(" \u2013 ");
    QString text = r.fullName() + u'\n' + r.contactInfo() + QStringLiteral("\n\n");
    if (!r.summary().isEmpty())
        text += summaryTitle + u'\n' + r.summary() + QStringLiteral("\n\n");
    if (!r.experienceItems().isEmpty()) {
        text += experienceTitle + u'\n';
        for (const ExperiencePtr& e : r.experienceItems())
            text += e->role() + dash + e->company() + u'\n' + e->startDate() + dash + e->endDate() + u'\n' +
                    e->details() + QStringLiteral("\n\n");
    }
    if (r.includeSkills() && !r.appliedSkills().isEmpty()) {
        text += QStringLiteral("Skills\n");
        for (const QString& skill : r.appliedSkills())
            text += QStringLiteral("\u2022 ") + skill + u'\n';
        text += u'\n';
    }
    if (!r.educationItems().isEmpty()) {
        text += educationTitle + u'\n';
        for (const EducationPtr& e : r.educationItems())
            text += e->degree() + QStringLiteral(", ") + e->school() + QStringLiteral(" \u2014 ") +
                    e->year() + u'\n';
        text += u'\n';
    }
    if (r.includeCoverLetter() && !r.coverLetterText().isEmpty())
        text += QStringLiteral("Cover Letter\n") + r.coverLetterText();
    return text;
}

QString pdfText(const QString& path) {
    QProcess run;
    run.start(QStringLiteral("pdftotext"),
              {QStringLiteral("-enc"), QStringLiteral("UTF-8"), path, QStringLiteral("-")});
    run.waitForFinished(60000);
    // Lines joined by spaces, runs of white space as one: a field may wrap onto two lines.
    return QString::fromUtf8(run.readAllStandardOutput()).simplified();
}

int pdfImageCount(const QString& path) {
    QProcess run;
    run.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), path});
    run.waitForFinished(60000);
    const QStringList lines = QString::fromUtf8(run.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    int images = 0;
    for (const QString& line : lines.mid(2)) // two heading lines
        if (line.simplified().split(u' ').value(2) == QLatin1String("image"))
            ++images;
    return images;
}

// The first of `texts` that `haystack` does not hold after the one before it; empty when all
// are there in order.
QString firstOutOfOrder(const QString& haystack, const QStringList& texts) {
    qsizetype from = 0;
    for (const QString& text : texts) {
        const qsizetype at = haystack.indexOf(text.simplified(), from);
        if (at < 0)
            return text;
        from = at + text.simplified().size();
    }
    return QString();
}

QStringList roles(const QList<ExperiencePtr>& entries) {
    QStringList out;
    for (const ExperiencePtr& e : entries)
        out << e->role();
    return out;
}

QStringList schools(const QList<EducationPtr>& entries) {
    QStringList out;
    for (const EducationPtr& e : entries)
        out << e->school();
    return out;
}

// Every file below `folder`, relative to it.
QStringList filesBelow(const QString& folder) {
    QStringList out;
    QDirIterator it(folder, QDir::Files | QDir::Hidden | QDir::System, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << QDir(folder).relativeFilePath(it.next());
    out.sort();
    return out;
}

} // namespace

class JourneyTest : public QObject {
    Q_OBJECT

    std::unique_ptr<QuilloraSession> m_app;
    Heartbeat m_heartbeat;
    QElapsedTimer m_stepClock;
    std::unique_ptr<OutputCapture> m_capture;
    QList<std::pair<QString, qint64>> m_blocked;
    const QString m_apiKey = QStringLiteral("sk-journey-0123456789abcdefSECRET");

    // What the journey expects the résumé to hold after step 2, in order.
    QStringList m_expectedRoles;
    QStringList m_expectedSchools;
    QString m_translatedSummary;
    std::optional<QString> m_translatedExperienceTitle;
    QStringList m_expectedCompanies; // as shown after the translation
    QStringList m_expectedCaptions;  // portfolio captions in order
    QStringList m_pdfs;              // the two exported files
    std::unique_ptr<test::CloudTestDatabase> m_cloud;
    std::unique_ptr<test::LoopbackHttpServer> m_server; // stands in for OpenAI
    QStringList m_expectedSkills;

    MainWindow& window() const { return m_app->window(); }
    ContentView& content() const { return *window().contentView(); }
    ResumeListView& list() const { return *content().resumeList(); }
    ModelContext& store() const { return m_app->services().context(); }
    ResumeEditorView* editor() const { return qobject_cast<ResumeEditorView*>(content().detailWidget()); }
    EditorActions* actions() const { return editor() ? editor()->findChild<EditorActions*>() : nullptr; }
    PortfolioCard* portfolio() const {
        return editor() ? qobject_cast<PortfolioCard*>(editor()->sectionWidget(EditorSection::portfolio))
                        : nullptr;
    }

    QList<ResumePtr> listed() const {
        QList<ResumePtr> out;
        for (int row = 0; row < list().model()->rowCount(); ++row)
            out << list().model()->resumeAt(row);
        return out;
    }

    void startApp() {
        int code = -1;
        m_app = QuilloraSession::start([](QMessageBox&) { return int(QMessageBox::Cancel); }, &code);
        QVERIFY2(m_app, "the app did not start");
        QVERIFY(window().contentView());
        QVERIFY(QTest::qWaitForWindowExposed(&window()));
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
    }

    // Opens the résumé at `row` of the list with the keyboard.
    void openRow(int row) {
        ResumeCardList* cards = list().listView();
        cards->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cards, Qt::Key_Home);
        for (int i = 0; i < row; ++i)
            QTest::keyClick(cards, Qt::Key_Down);
        QTest::keyClick(cards, Qt::Key_Return);
        QTRY_VERIFY(editor() && editor()->resume() == listed().value(row));
    }

    // Fills an entry sheet's fields by name and saves it with its button.
    void fillSheet(QWidget* sheet, const QList<std::pair<QString, QString>>& fields, const QString& save) {
        QVERIFY(sheet);
        for (const auto& [name, value] : fields) {
            QWidget* field = named(sheet, name);
            QVERIFY2(field, qPrintable(name));
            typeText(field, value);
        }
        QVERIFY2(pressByKey(named<QAbstractButton>(sheet, save)), qPrintable(save));
    }

    // Answers modal windows in turn: each entry waits until the active modal window has its name,
    // then acts on it (by keys).
    void runModalScript(QList<std::pair<QString, std::function<bool(QWidget*)>>> script) {
        auto* poll = new QTimer(this);
        poll->setInterval(20);
        auto remaining = std::make_shared<decltype(script)>(std::move(script));
        connect(poll, &QTimer::timeout, poll, [poll, remaining] {
            if (remaining->isEmpty()) {
                poll->stop();
                poll->deleteLater();
                return;
            }
            QWidget* modal = QApplication::activeModalWidget();
            if (!modal || modal->objectName() != remaining->first().first)
                return;
            const auto action = remaining->takeFirst().second;
            poll->stop(); // the action may open the next modal window and run its loop
            QTimer::singleShot(0, modal, [poll, action, modal] {
                poll->start();
                action(modal);
            });
        });
        poll->start();
    }

private slots:
    void initTestCase() {
        prepareQuilloraApplication(*qApp);
        QDir().mkpath(QDir::tempPath());
        m_server = std::make_unique<test::LoopbackHttpServer>();
        qputenv(OpenAIClient::baseURLVariable, m_server->baseURL().toUtf8());
        // The recruiting network's database: one of the journey's own in the run's cluster (other
        // tests reshape the shared one meanwhile).
        test::CloudTestDatabase shared;
        QString problem;
        if (shared.open(&problem)) {
            const QString own = QStringLiteral("quillora_journey");
            shared.exec(QStringLiteral("DROP DATABASE IF EXISTS ") + own);
            QCOMPARE(shared.exec(QStringLiteral("CREATE DATABASE ") + own), QString());
            const QByteArray sharedName = qgetenv("PGDATABASE");
            qputenv("PGDATABASE", own.toUtf8());
            m_cloud = std::make_unique<test::CloudTestDatabase>();
            QVERIFY(m_cloud->open(&problem));
            qputenv(kCloudDatabaseVariable, test::CloudTestDatabase::connectionString().toUtf8());
            qputenv("PGDATABASE", sharedName);
        } else if (test::CloudTestDatabase::required()) {
            QFAIL(qPrintable(QStringLiteral("No test database: ") + problem));
        }
    }

    void init() {
        m_stepClock.start();
        m_capture = std::make_unique<OutputCapture>();
        m_heartbeat.start();
    }

    void cleanup() {
        const qint64 blocked = m_heartbeat.stop();
        const QStringList printed = m_capture->finish();
        m_capture.reset();
        const QString step = QString::fromLatin1(QTest::currentTestFunction());
        m_blocked.append({step, blocked});
        std::printf("⏱ %s: longest UI-thread block %lld ms (budget 100 ms); step took %lld ms\n",
                    qPrintable(step), static_cast<long long>(blocked),
                    static_cast<long long>(m_stepClock.elapsed()));
        std::fflush(stdout);
        for (const QString& line : printed) {
            QVERIFY2(!line.contains(m_apiKey), qPrintable(QStringLiteral("key printed: ") + line));
            QVERIFY2(!line.contains(QLatin1String("Authorization"), Qt::CaseInsensitive),
                     qPrintable(QStringLiteral("header printed: ") + line));
            QVERIFY2(!line.contains(QLatin1String("Bearer "), Qt::CaseInsensitive),
                     qPrintable(QStringLiteral("header printed: ") + line));
        }
    }

    void cleanupTestCase() {
        m_app.reset();
        std::printf("⏱ Longest UI-thread block per step (budget 100 ms):\n");
        for (const auto& [step, ms] : std::as_const(m_blocked))
            std::printf("⏱   %-40s %5lld ms%s\n", qPrintable(step), static_cast<long long>(ms),
                        ms > 100 ? "  (over budget)" : "");
        std::fflush(stdout);
    }

    // 1. An empty store: the welcome tip; a new résumé from the bar; opened from the list.
    void step1_startEmptyAddAndOpen() {
        startApp();
        QVERIFY(QFileInfo(storeFileURL()).isFile());
        QVERIFY(listed().isEmpty());
        QTRY_VERIFY(content().tipView() && content().tipView()->isVisible());
        // Once the card has faded in (an unseen card takes no focus).
        QTRY_VERIFY(content().tipView()->visibleOpacity() > 0);
        QVERIFY(pressByKey(
            named<QAbstractButton>(content().tipView(), QStringLiteral("dismissResumeTipButton"))));
        QTRY_VERIFY(!content().tipView());

        QVERIFY(pressByKey(named<QAbstractButton>(&list(), QStringLiteral("addResumeButton"))));
        QTRY_COMPARE(listed().size(), 1);
        openRow(0);
        QVERIFY(!store().hasChanges());
    }

    // 2. Basic information and summary, three jobs and two schools, a job moved by drag, a font.
    void step2_fillTheResume() {
        QVERIFY(editor());
        ResumeEditorView& view = *editor();
        const ResumePtr resume = view.resume();
        const QDateTime before = resume->lastEdited();

        auto* title = named<QLineEdit>(&view, QStringLiteral("resumeTitleField"));
        QVERIFY(title);
        title->setFocus(Qt::TabFocusReason);
        QTest::keyClick(title, Qt::Key_A, Qt::ControlModifier);
        typeText(title, kTitle);
        typeText(named(&view, QStringLiteral("resumeFullNameField")), kName);
        typeText(named(&view, QStringLiteral("resumeContactInfoField")), kContact);
        typeText(named(&view, QStringLiteral("summaryAITextEditor")), kSummary);
        QCOMPARE(resume->title(), kTitle);
        QCOMPARE(resume->fullName(), kName);
        QCOMPARE(resume->contactInfo(), kContact);
        QCOMPARE(resume->summary(), kSummary);
        QCOMPARE(named<QLabel>(&view, QStringLiteral("editorNavigationTitle"))->text(), kName);

        for (const Job& job : kJobs) {
            QVERIFY(pressByKey(named<QAbstractButton>(&view, QStringLiteral("addExperienceButton"))));
            QTRY_VERIFY(view.experienceSheet());
            fillSheet(reinterpret_cast<QWidget*>(view.experienceSheet()),
                      {{QStringLiteral("experienceRoleField"), job.role},
                       {QStringLiteral("experienceCompanyField"), job.company},
                       {QStringLiteral("experienceStartDateField"), job.start},
                       {QStringLiteral("experienceEndDateField"), job.end},
                       {QStringLiteral("experienceAITextEditor"), job.details}},
                      QStringLiteral("saveExperienceButton"));
            QTRY_VERIFY(!view.experienceSheet());
        }
        for (const School& school : kSchools) {
            QVERIFY(pressByKey(named<QAbstractButton>(&view, QStringLiteral("addEducationButton"))));
            QTRY_VERIFY(view.educationSheet());
            fillSheet(reinterpret_cast<QWidget*>(view.educationSheet()),
                      {{QStringLiteral("educationSchoolField"), school.school},
                       {QStringLiteral("educationDegreeField"), school.degree},
                       {QStringLiteral("educationYearField"), school.year}},
                      QStringLiteral("saveEducationButton"));
            QTRY_VERIFY(!view.educationSheet());
        }
        QCOMPARE(roles(view.displayedExperience()),
                 (QStringList{kJobs[0].role, kJobs[1].role, kJobs[2].role}));
        QCOMPARE(schools(view.displayedEducation()), (QStringList{kSchools[0].school, kSchools[1].school}));

        // The newest job is dragged to the top: the pointer takes its row and passes over the
        // rows above it, dropping on the first.
        const auto rowOf = [&view](const ExperiencePtr& e) {
            return named(&view, QStringLiteral("experienceRow") + e->persistentModelID().description());
        };
        const QList<ExperiencePtr> shown = view.displayedExperience();
        QWidget* dragged = rowOf(shown[2]);
        QList<QWidget*> over{rowOf(shown[1]), rowOf(shown[0])};
        QVERIFY(dragged && over[0] && over[1]);
        view.setDragRunner([over](QDrag& drag) {
            for (QWidget* row : over) {
                QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                                      Qt::NoModifier);
                QCoreApplication::sendEvent(row, &enter);
            }
            QDropEvent drop(QPointF(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(over.last(), &drop);
        });
        QTest::mousePress(dragged, Qt::LeftButton, {}, QPoint(20, 10));
        QTest::mouseMove(dragged, QPoint(20, 10 + 2 * QApplication::startDragDistance()));
        QTest::mouseRelease(dragged, Qt::LeftButton, {}, QPoint(20, 40));
        m_expectedRoles = QStringList{kJobs[2].role, kJobs[0].role, kJobs[1].role};
        QTRY_COMPARE(roles(view.displayedExperience()), m_expectedRoles);
        m_expectedSchools = QStringList{kSchools[0].school, kSchools[1].school};

        // A font from the picker, by keys.
        QVERIFY(pressByKey(named<QAbstractButton>(&view, QStringLiteral("fontPickerButton"))));
        QTRY_VERIFY(view.fontPicker());
        QVERIFY(
            pressByKey(named<QAbstractButton>(reinterpret_cast<QWidget*>(view.fontPicker()), kFontOption)));
        QTRY_COMPARE(resume->fontName(), kFontName);
        if (view.fontPicker())
            QVERIFY(pressByKey(named<QAbstractButton>(reinterpret_cast<QWidget*>(view.fontPicker()),
                                                      QStringLiteral("floatingCloseButton"))));
        QTRY_VERIFY(!view.fontPicker());

        // A new résumé carries the three section titles as its own custom titles; no screen
        // edits them, the translation in step 6 rewrites them.
        QCOMPARE(resume->titleSummary(), std::optional<QString>(QStringLiteral("Summary")));
        QCOMPARE(resume->titleExperience(), std::optional<QString>(QStringLiteral("Experience")));
        QCOMPARE(resume->titleEducation(), std::optional<QString>(QStringLiteral("Education")));
        view.saveResume();
        QVERIFY(!store().hasChanges());
        QVERIFY(resume->lastEdited() > before);
    }

    // 3. Two pictures from the file dialog, captioned, the second dragged before the first.
    void step3_portfolio() {
        QVERIFY(editor() && portfolio());
        PortfolioCard& card = *portfolio();
        const ResumePtr resume = editor()->resume();
        // Two pictures in a folder of the user's (not the temporary folder).
        const QString pictures = QDir::cleanPath(QDir::tempPath() + QStringLiteral("/../pictures"));
        QVERIFY(QDir().mkpath(pictures));
        const QByteArray png = quillora::test::encodedImage(QColor(200, 40, 40), "PNG", QSize(120, 80));
        const QByteArray jpeg = quillora::test::encodedImage(QColor(40, 40, 200), "JPEG", QSize(80, 120));
        for (const auto& [name, bytes] :
             {std::pair{QStringLiteral("studio.png"), png}, std::pair{QStringLiteral("poster.jpg"), jpeg}}) {
            QFile file(pictures + u'/' + name);
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(bytes);
        }

        // The file dialog, by keys: the folder, then both names.
        QVERIFY(pressByKey(named<QAbstractButton>(&card, QStringLiteral("addPortfolioImageButton"))));
        QFileDialog* dialog = nullptr;
        QTRY_VERIFY((dialog = anywhere<QFileDialog>(QStringLiteral("portfolioFileDialog"))));
        auto* fileName = named<QLineEdit>(dialog, QStringLiteral("fileNameEdit"));
        QVERIFY(fileName);
        typeText(fileName, pictures);
        QTest::keyClick(fileName, Qt::Key_Return);
        QTRY_COMPARE(QDir(dialog->directory()).canonicalPath(), QDir(pictures).canonicalPath());
        fileName->clear();
        typeText(fileName, QStringLiteral("\"studio.png\" \"poster.jpg\""));
        QTest::keyClick(fileName, Qt::Key_Return);
        QTRY_COMPARE(card.pickerItems().size(), 2);
        QTRY_COMPARE(resume->portfolioItems().size(), 2);
        QCOMPARE(card.pickerItems().at(0).imageData, std::optional<QByteArray>(png));
        QCOMPARE(card.pickerItems().at(1).imageData, std::optional<QByteArray>(jpeg));
        const QUuid studio = card.pickerItems().at(0).id;
        const QUuid poster = card.pickerItems().at(1).id;

        // Captions, by keys.
        QVERIFY(pressByKey(named<QAbstractButton>(&card, QStringLiteral("editCaptionsDisclosure"))));
        for (const auto& [id, caption] : {std::pair{studio, QStringLiteral("Studio shelf")},
                                          std::pair{poster, QStringLiteral("Festival poster")}}) {
            QWidget* field = nullptr;
            QTRY_VERIFY(
                (field = named(&card, QStringLiteral("portfolioCaptionField") + portfolioIdText(id))) &&
                field->isVisible());
            typeText(field, caption);
        }

        // The poster dragged before the studio picture in the grid.
        QWidget* posterCell = named(&card, QStringLiteral("portfolioReorderItem") + portfolioIdText(poster));
        QWidget* studioCell = named(&card, QStringLiteral("portfolioReorderItem") + portfolioIdText(studio));
        QVERIFY(posterCell && studioCell);
        card.setDragRunner([studioCell](QDrag& drag) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(studioCell, &enter);
            QDropEvent drop(QPointF(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(studioCell, &drop);
        });
        QTest::mousePress(posterCell, Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseMove(posterCell, QPoint(20, 20 + 2 * QApplication::startDragDistance()));
        QTest::mouseRelease(posterCell, Qt::LeftButton, {}, QPoint(20, 40));
        QTRY_COMPARE(card.pickerItems().at(0).id, poster);
        m_expectedCaptions = QStringList{QStringLiteral("Festival poster"), QStringLiteral("Studio shelf")};
        QStringList captions;
        for (const auto& row : card.pickerItems())
            captions << row.caption;
        QCOMPARE(captions, m_expectedCaptions);
        QTRY_VERIFY(!store().hasChanges());
    }

    // 4. AI tools: the key entered in the list's help, skill suggestions from the OpenAI stand-in,
    // one chip edited, one removed, two applied.
    void step4_aiTools() {
        QVERIFY(editor());
        const ResumePtr resume = editor()->resume();

        // The key: help sheet, its key button, the prompt; each window answered by keys once up.
        runModalScript(
            {{QStringLiteral("helpSheet"),
              [](QWidget* sheet) {
                  return pressByKey(named<QAbstractButton>(sheet, QStringLiteral("openAIKeyActionButton")));
              }},
             {QStringLiteral("openAIKeyPrompt"),
              [this](QWidget* prompt) {
                  auto* field = named<QLineEdit>(prompt, QStringLiteral("openAIKeyField"));
                  if (!field)
                      return false;
                  typeText(field, m_apiKey);
                  return pressByKey(named<QAbstractButton>(prompt, QStringLiteral("openAIKeySaveButton")));
              }},
             {QStringLiteral("helpSheet"), [](QWidget* sheet) {
                  QTest::keyClick(sheet, Qt::Key_Escape);
                  return true;
              }}});
        QVERIFY(pressByKey(named<QAbstractButton>(&list(), QStringLiteral("resumeListHelpButton"))));
        QTRY_VERIFY(!QApplication::activeModalWidget());
        QCOMPARE(m_app->services().settings().openAIAPIKey(), m_apiKey);

        // Skills: switched on, suggested by the stand-in server, one edited, one removed, applied.
        auto* toggle = named<QAbstractButton>(editor(), QStringLiteral("includeSkillsToggle"));
        QVERIFY(toggle);
        if (!resume->includeSkills())
            QVERIFY(pressByKey(toggle));
        QTRY_VERIFY(resume->includeSkills());
        m_server->enqueue(test::LoopbackHttpServer::completion(
            QStringLiteral("Skills: Design: Figma, Research: Interviews, Leadership: Mentoring")));
        auto* generate = named<QAbstractButton>(editor(), QStringLiteral("generateSkillsButton"));
        QTRY_VERIFY(generate && generate->isEnabled());
        QVERIFY(pressByKey(generate));
        QTRY_COMPARE(resume->suggestedSkills().size(), 3);
        QCOMPARE(m_server->requestCount(), 1);
        QCOMPARE(m_server->requests().first().headers.value("authorization"), "Bearer " + m_apiKey.toUtf8());

        QAbstractButton* research = nullptr;
        QTRY_VERIFY((research = named<QAbstractButton>(
                         editor(), QStringLiteral("suggestedSkillButtonResearch:Interviews"))));
        QVERIFY(pressByKey(research));
        QWidget* popup = nullptr;
        QTRY_VERIFY((popup = anywhere(QStringLiteral("editSkillPopup"))));
        auto* skillField = named<QLineEdit>(popup, QStringLiteral("editSkillField"));
        QVERIFY(skillField);
        skillField->setFocus(Qt::TabFocusReason);
        QTest::keyClick(skillField, Qt::Key_A, Qt::ControlModifier);
        typeText(skillField, QStringLiteral("Research: Usability testing"));
        QVERIFY(pressByKey(named<QAbstractButton>(popup, QStringLiteral("saveEditSkillButton"))));
        QTRY_VERIFY(!anywhere(QStringLiteral("editSkillPopup")));
        QAbstractButton* leadership = nullptr;
        QTRY_VERIFY((leadership = named<QAbstractButton>(
                         editor(), QStringLiteral("suggestedSkillButtonLeadership:Mentoring"))));
        QVERIFY(pressByKey(named<QAbstractButton>(leadership, QStringLiteral("removeSkillButton"))));
        QTRY_COMPARE(resume->suggestedSkills().size(), 2);
        QVERIFY(pressByKey(named<QAbstractButton>(editor(), QStringLiteral("applySkillsButton"))));
        QTRY_COMPARE(resume->appliedSkills(), (QStringList{QStringLiteral("Design: Figma"),
                                                           QStringLiteral("Research: Usability testing")}));
        m_expectedSkills = resume->appliedSkills();
        QTRY_VERIFY(!store().hasChanges());

        // A cover letter for a posting, written by the stand-in.
        const QString letter = QStringLiteral(
            "Dear Hiring Manager,\n\nI would like to lead your design team.\n\nSincerely,\nAda");
        if (!resume->includeCoverLetter())
            QVERIFY(pressByKey(named<QAbstractButton>(editor(), QStringLiteral("includeCoverLetterToggle"))));
        QTRY_VERIFY(resume->includeCoverLetter());
        QWidget* posting = nullptr;
        QTRY_VERIFY((posting = named(editor(), QStringLiteral("coverLetterJobPostingEditor"))) &&
                    posting->isVisible());
        typeText(posting, QStringLiteral("Design lead for a calm product team."));
        m_server->enqueue(test::LoopbackHttpServer::completion(letter));
        QVERIFY(pressByKey(
            named<QAbstractButton>(editor(), QStringLiteral("generateCoverLetterFromEditorButton"))));
        QTRY_COMPARE(resume->coverLetterText(), letter);
        QCOMPARE(m_server->requestCount(), 2);

        // The ATS analysis, then the rewrite, which applies itself to the résumé.
        if (!resume->includeATSVersion())
            QVERIFY(pressByKey(named<QAbstractButton>(editor(), QStringLiteral("includeATSVersionToggle"))));
        QTRY_VERIFY(resume->includeATSVersion());
        QWidget* atsPosting = nullptr;
        QTRY_VERIFY((atsPosting = named(editor(), QStringLiteral("atsJobPostingEditor"))) &&
                    atsPosting->isVisible());
        typeText(atsPosting, QStringLiteral("Design lead: design systems, Figma, user research."));
        m_server->enqueue(test::LoopbackHttpServer::completion(QStringLiteral(
            "{\"overallScore\": 74, \"missingKeywords\": [\"Design systems\"], \"suggestions\": [\"Name the "
            "design system you built.\"], \"sectionFeedback\": [{\"section\": \"Summary\", \"feedback\": "
            "{\"score\": 80, \"missingKeywords\": [], \"suggestions\": []}}], \"notes\": [\"Clear "
            "profile.\"]}")));
        auto* analyze = named<QAbstractButton>(editor(), QStringLiteral("analyzeATSButton"));
        QTRY_VERIFY(analyze && analyze->isEnabled());
        QVERIFY(pressByKey(analyze));
        QTRY_VERIFY(anywhere(QStringLiteral("atsAnalysisSummaryCard")));
        QCOMPARE(m_server->requestCount(), 3);
        const QString rewritten = QStringLiteral("I design calm tools and design systems for busy teams.");
        m_server->enqueue(test::LoopbackHttpServer::completion(
            QStringLiteral("{\"summary\": \"") + rewritten +
            QStringLiteral("\", \"experience\": [{\"role\": \"Design Lead\", \"company\": \"Initech\", "
                           "\"details\": \"I run a team of five designers and our design system.\"}], "
                           "\"skills\": [\"Figma\", \"Design systems\"], \"insertedKeywords\": "
                           "[{\"keyword\": \"design systems\", \"section\": \"Summary\"}]}")));
        auto* rewrite = named<QAbstractButton>(editor(), QStringLiteral("generateATSButton"));
        QTRY_VERIFY(rewrite && rewrite->isEnabled());
        QVERIFY(pressByKey(rewrite));
        QTRY_COMPARE(resume->summary(), rewritten);
        QCOMPARE(m_server->requestCount(), 4);
        QVERIFY(!resume->atsGeneratedText().isEmpty());
        m_expectedSkills = resume->appliedSkills();
        QVERIFY(m_expectedSkills.contains(QStringLiteral("Figma")));
        // The STAR refinement of one experience, in its sheet, opened from its row by keys.
        ExperiencePtr acme;
        for (const ExperiencePtr& e : editor()->displayedExperience())
            if (e->role() == kJobs[0].role)
                acme = e;
        QVERIFY(acme);
        auto* row =
            named(editor(), QStringLiteral("experienceRow") + acme->persistentModelID().description());
        QVERIFY(row);
        row->setFocus(Qt::TabFocusReason);
        QTest::keyClick(row, Qt::Key_Return);
        QTRY_VERIFY(editor()->experienceSheet());
        auto* sheet = reinterpret_cast<QWidget*>(editor()->experienceSheet());
        const QString star =
            QStringLiteral("I redrew the shop. Sales grew a third. The design still runs today.");
        m_server->enqueue(test::LoopbackHttpServer::completion(QStringLiteral("{\"paragraph\": \"") + star +
                                                               QStringLiteral("\"}")));
        QVERIFY(pressByKey(named<QAbstractButton>(sheet, QStringLiteral("refineExperienceButton"))));
        QTRY_COMPARE(named<QPlainTextEdit>(sheet, QStringLiteral("experienceAITextEditor"))->toPlainText(),
                     star);
        QVERIFY(pressByKey(named<QAbstractButton>(sheet, QStringLiteral("saveExperienceButton"))));
        QTRY_VERIFY(!editor()->experienceSheet());
        QCOMPARE(acme->details(), star);
        QCOMPARE(m_server->requestCount(), 5);
        for (const auto& request : m_server->requests())
            QCOMPARE(request.headers.value("authorization"), "Bearer " + m_apiKey.toUtf8());
        QTRY_VERIFY(!store().hasChanges());
    }

    // 5. Both layouts exported; every field's text in each, in order; the pictures; the share dialog.
    void step5_exportAndShare() {
        QVERIFY(actions());
        EditorActions& act = *actions();
        const ResumePtr resume = editor()->resume();
        // Each block's fields in order: the header, the experience, the letter, each school (the
        // creative layout may set a school in the second column, read before the first).
        QList<QStringList> blocks{{kName, kContact, resume->summary()}, {}, {resume->coverLetterText()}};
        for (const ExperiencePtr& e : editor()->displayedExperience())
            blocks[1] << e->role() << e->company() << e->details();
        for (const EducationPtr& e : editor()->displayedEducation())
            blocks << QStringList{e->degree(), e->school(), e->year()};

        for (const QString& button :
             {QStringLiteral("exportCreativePDFButton"), QStringLiteral("exportATSPDFButton")}) {
            QSignalSpy finished(&act, &EditorActions::exportFinished);
            QVERIFY2(pressByKey(named<QAbstractButton>(editor(), button)), qPrintable(button));
            QTRY_VERIFY_WITH_TIMEOUT(finished.count() == 1, 60000);
            const QString pdf = finished.first().first().toString();
            QVERIFY2(!pdf.isEmpty(), qPrintable(button));
            m_pdfs << pdf;
            const QString text = pdfText(pdf);
            QString missing;
            for (const QStringList& block : std::as_const(blocks))
                if (missing.isEmpty())
                    missing = firstOutOfOrder(text, block);
            QVERIFY2(missing.isEmpty(), qPrintable(button + QStringLiteral(": not found in order: ") +
                                                   missing + QStringLiteral("\n") + text));
            for (const QString& skill : std::as_const(m_expectedSkills))
                QVERIFY2(text.contains(skill), qPrintable(button + QStringLiteral(": no skill ") + skill));
            if (button == QStringLiteral("exportCreativePDFButton")) {
                QVERIFY2(firstOutOfOrder(text, m_expectedCaptions).isEmpty(), qPrintable(text));
                QCOMPARE(pdfImageCount(pdf), 2);
            }
            // The share dialog offers the file; closed with its button.
            QTRY_VERIFY(act.shareDialog() && act.shareDialog()->isVisible());
            QCOMPARE(act.shareDialog()->items(), QStringList{pdf});
            QVERIFY(
                pressByKey(named<QAbstractButton>(act.shareDialog(), QStringLiteral("shareCloseButton"))));
            QTRY_VERIFY(!act.shareDialog());
        }
        QVERIFY(resume->includeATSVersion());
        QTRY_VERIFY(!store().hasChanges());
    }

    // 6. The preview: its copy is the plain text byte for byte; Spanish through Apertium.
    void step6_previewCopyTranslate() {
        QVERIFY(editor());
        const ResumePtr resume = editor()->resume();
        QVERIFY(pressByKey(named<QAbstractButton>(editor(), QStringLiteral("previewTranslationButton"))));
        TemplateClassic* preview = nullptr;
        QTRY_VERIFY((preview = actions()->templatePreview()));
        QTRY_VERIFY(preview->isVisible());

        auto* copy = named<QAbstractButton>(preview, QStringLiteral("copyResumeButton"));
        QVERIFY(pressByKey(copy));
        QVERIFY(preview->didCopyToClipboard());
        const QString expected = expectedPlainText(*resume, QStringLiteral("Summary"),
                                                   QStringLiteral("Experience"), QStringLiteral("Education"));
        QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(), expected.toUtf8());

        // Spanish from the menu, by keys; Apertium must say it can.
        QTRY_VERIFY_WITH_TIMEOUT(preview->languageAvailability().value(QStringLiteral("es")) ==
                                     TranslationPairStatus::installed,
                                 20000);
        QVERIFY(pressByKey(named<QAbstractButton>(preview, QStringLiteral("templateLanguageMenu"))));
        QMenu* menu = preview->languageMenu();
        QTRY_VERIFY(menu->isVisible());
        for (int i = 0; i < menu->actions().size() + 1; ++i) {
            if (menu->activeAction() && menu->activeAction()->data().toString() == QStringLiteral("es"))
                break;
            QTest::keyClick(menu, Qt::Key_Down);
        }
        QVERIFY(menu->activeAction() && menu->activeAction()->data().toString() == QStringLiteral("es"));
        QTest::keyClick(menu, Qt::Key_Return);
        QTRY_COMPARE(preview->selectedLanguage()->code, QStringLiteral("es"));
        const QString englishSummary = resume->summary();
        const QString englishDetails = resume->experienceItems().first()->details();
        auto* translate = named<QAbstractButton>(preview, QStringLiteral("translateResumeButton"));
        QTRY_VERIFY(translate->isEnabled());
        QVERIFY(pressByKey(translate));
        QTRY_VERIFY_WITH_TIMEOUT(!preview->translatingLanguage().has_value(), 120000);
        QVERIFY2(!preview->showTranslationError(), qPrintable(preview->translationErrorMessage()));
        QVERIFY(resume->summary() != englishSummary);
        QVERIFY(resume->experienceItems().first()->details() != englishDetails);
        QCOMPARE(resume->fullName(), kName);
        QVERIFY(resume->titleExperience().has_value());
        m_translatedSummary = resume->summary();
        m_translatedExperienceTitle = resume->titleExperience();
        for (const ExperiencePtr& e : editor()->displayedExperience())
            m_expectedCompanies << e->company();
        QVERIFY(m_translatedExperienceTitle != std::optional<QString>(QStringLiteral("Experience")));
        std::printf("  translated summary: %s\n  experience title: %s\n", qPrintable(resume->summary()),
                    qPrintable(*resume->titleExperience()));

        // The copy follows the translation.
        QVERIFY(pressByKey(copy));
        QCOMPARE(QGuiApplication::clipboard()->text().toUtf8(),
                 expectedPlainText(*resume, preview->titles().summary(), preview->titles().experience(),
                                   preview->titles().education())
                     .toUtf8());

        QVERIFY(pressByKey(named<QAbstractButton>(preview, QStringLiteral("templateCloseButton"))));
        QTRY_VERIFY(!anywhere(QStringLiteral("templateClassic")));
        QTRY_VERIFY(!store().hasChanges());
    }

    // 7. The recruiting network.
    void step7_pushAndRemove() {
        if (!m_cloud)
            QSKIP("No test database (run ./test.sh, which starts one).");
        QVERIFY(actions());
        EditorActions& act = *actions();
        const ResumePtr resume = editor()->resume();
        auto* share = named<QAbstractButton>(editor(), QStringLiteral("morvessaActionButton"));
        QVERIFY(share);
        const QString rows = QStringLiteral(
            "SELECT \"fullName\", length(\"pdf\"), convert_from(\"json\", 'UTF8') FROM \"QuilloraResume\" "
            "WHERE \"recordName\" = '%1'");

        QSignalSpy done(&act, &EditorActions::morvessaFinished);
        int doneCount = 0;
        QVERIFY(pressByKey(share));
        QTRY_VERIFY(act.morvessaConfirmSheet());
        QVERIFY(pressByKey(named<QAbstractButton>(reinterpret_cast<QWidget*>(act.morvessaConfirmSheet()),
                                                  QStringLiteral("morvessaConfirmButton"))));
        ++doneCount;
        QTRY_VERIFY_WITH_TIMEOUT(done.count() == doneCount, 60000);
        QCOMPARE(act.morvessaAlertMessage(), QStringLiteral("Resume pushed to Morvessa."));
        QTRY_VERIFY(act.morvessaAlert());
        QVERIFY(pressByKey(named<QAbstractButton>(act.morvessaAlert(), QStringLiteral("alertOKButton"))));
        const std::optional<QString> record = resume->morvessaRecordName();
        QVERIFY(record && !record->isEmpty());
        const auto found = m_cloud->rows(rows.arg(*record));
        QCOMPARE(found.size(), 1);
        QCOMPARE(QString::fromUtf8(found[0][0]), resume->fullName());
        QVERIFY(found[0][1].toInt() > 1000); // the PDF
        const QJsonObject json = QJsonDocument::fromJson(found[0][2]).object();
        QVERIFY2(!json.isEmpty(), found[0][2].constData()); // the JSON
        QVERIFY(QString::fromUtf8(found[0][2]).contains(resume->summary()));

        QVERIFY(pressByKey(share));
        QTRY_VERIFY(act.morvessaConfirmSheet());
        QVERIFY(pressByKey(named<QAbstractButton>(reinterpret_cast<QWidget*>(act.morvessaConfirmSheet()),
                                                  QStringLiteral("morvessaConfirmButton"))));
        ++doneCount;
        QTRY_VERIFY_WITH_TIMEOUT(done.count() == doneCount, 60000);
        QCOMPARE(act.morvessaAlertMessage(), QStringLiteral("Resume removed from Morvessa."));
        QTRY_VERIFY(act.morvessaAlert());
        QVERIFY(pressByKey(named<QAbstractButton>(act.morvessaAlert(), QStringLiteral("alertOKButton"))));
        QVERIFY(!resume->morvessaRecordName());
        QCOMPARE(m_cloud->rows(rows.arg(*record)).size(), 0);
        QTRY_VERIFY(!store().hasChanges());
    }

    // 8. Duplicate from the list with Ctrl+D; the copy deleted with Delete and the confirmation.
    void step8_duplicateAndDelete() {
        QCOMPARE(listed().size(), 1);
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        const ResumePtr original = listed().first();
        ResumeCardList* cards = list().listView();
        cards->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cards, Qt::Key_Home);
        QTest::keyClick(cards, Qt::Key_D, Qt::ControlModifier);
        QTRY_COMPARE(listed().size(), 2);
        const ResumePtr copy = listed().first();
        QCOMPARE(copy->title(), kTitle + QStringLiteral(" Copy"));
        QCOMPARE(roles(copy->experienceItems()), roles(original->experienceItems()));

        // To the copy with the arrow keys (leaving the translated original stamps it, so it may
        // move above the copy meanwhile).
        cards->setFocus(Qt::TabFocusReason);
        QTest::keyClick(cards, Qt::Key_Home);
        for (int i = 0; i < 2 && list().model()->resumeAt(cards->currentIndex().row()) != copy; ++i) {
            QTest::keyClick(cards, Qt::Key_Down);
            QTest::qWait(20);
        }
        QTRY_COMPARE(content().selectedResume(), copy);
        QCOMPARE(list().model()->resumeAt(cards->currentIndex().row()), copy);
        answerModal(QStringLiteral("deleteResumeAlert"), QStringLiteral("confirmDeleteResumeButton"));
        QTest::keyClick(cards, Qt::Key_Delete);
        QTRY_COMPARE(listed().size(), 1);
        QCOMPARE(listed().first(), original);
        QTRY_VERIFY(!store().hasChanges());
    }

    // 9. Quit with Ctrl+Q; start again on the same folders: everything is there, and in the backup.
    void step9_quitAndStartAgain() {
        QApplication::setActiveWindow(&window());
        QVERIFY(QTest::qWaitForWindowActive(&window()));
        QTimer::singleShot(0, &window(), [this] {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : &window(), Qt::Key_Q, Qt::ControlModifier);
        });
        // Should Ctrl+Q not quit, the loop ends anyway and the step fails.
        bool quitByKey = true;
        QTimer::singleShot(10000, &window(), [&quitByKey] {
            quitByKey = false;
            QApplication::exit(2);
        });
        const int code = m_app->exec();
        QVERIFY2(quitByKey, "Ctrl+Q did not quit the app");
        QCOMPARE(code, 0);
        m_app.reset();

        startApp();
        QCOMPARE(listed().size(), 1);
        const ResumePtr resume = listed().first();
        QCOMPARE(resume->title(), kTitle);
        QCOMPARE(resume->fullName(), kName);
        QCOMPARE(resume->contactInfo(), kContact);
        QCOMPARE(resume->summary(), m_translatedSummary);
        QCOMPARE(resume->titleExperience(), m_translatedExperienceTitle);
        QCOMPARE(resume->fontName(), kFontName);
        QCOMPARE(resume->appliedSkills(), m_expectedSkills);
        QCOMPARE(resume->experienceItems().size(), 3);
        QCOMPARE(resume->educationItems().size(), 2);
        openRow(0);
        QStringList shownCompanies;
        for (const ExperiencePtr& e : editor()->displayedExperience())
            shownCompanies << e->company();
        QCOMPARE(shownCompanies, m_expectedCompanies);
        QStringList shownYears;
        for (const EducationPtr& e : editor()->displayedEducation())
            shownYears << e->year();
        QCOMPARE(shownYears, (QStringList{kSchools[0].year, kSchools[1].year}));

        // The backup written on quitting holds the same résumé.
        QFile latest(backupsDirectoryURL() + QStringLiteral("/latest-resume-backup.json"));
        QVERIFY(latest.open(QIODevice::ReadOnly));
        const QJsonObject backup = QJsonDocument::fromJson(latest.readAll()).object();
        const QJsonArray resumes = backup.value(QStringLiteral("resumes")).toArray();
        QCOMPARE(resumes.size(), 1);
        const QJsonObject saved = resumes.first().toObject();
        QCOMPARE(saved.value(QStringLiteral("title")).toString(), kTitle);
        QCOMPARE(saved.value(QStringLiteral("fullName")).toString(), kName);
        QCOMPARE(saved.value(QStringLiteral("summary")).toString(), m_translatedSummary);
        QCOMPARE(saved.value(QStringLiteral("fontName")).toString(), kFontName);
        QCOMPARE(saved.value(QStringLiteral("experienceItems")).toArray().size(), 3);
        QCOMPARE(saved.value(QStringLiteral("educationItems")).toArray().size(), 2);
        QStringList backupCompanies;
        for (const QJsonValue& e : saved.value(QStringLiteral("experienceItems")).toArray())
            backupCompanies << e.toObject().value(QStringLiteral("company")).toString();
        backupCompanies.sort();
        QStringList expectedCompanies = m_expectedCompanies;
        expectedCompanies.sort();
        QCOMPARE(backupCompanies, expectedCompanies);

        // Nothing is left in the temporary folder but the newest export: each export is a file
        // of its own under the résumé's title, in a folder of its own, and the ATS export took
        // the creative one's place.
        QCOMPARE(m_pdfs.size(), 2);
        const QString newest = QDir(QDir::tempPath()).relativeFilePath(m_pdfs.last());
        QCOMPARE(QFileInfo(newest).fileName(), kTitle + QStringLiteral(".pdf"));
        QVERIFY(newest.startsWith(ResumePDFGenerator::privateFolderPrefix()));
        // Beside it only its folder's link to the running app's lock.
        QCOMPARE(filesBelow(QDir::tempPath()),
                 QStringList({QFileInfo(newest).path() + QStringLiteral("/.lock"), newest}));

        // The portfolio came back in its order, with its captions.
        QStringList captions;
        QList<PortfolioItemPtr> items = resume->portfolioItems();
        std::stable_sort(items.begin(), items.end(),
                         [](const PortfolioItemPtr& a, const PortfolioItemPtr& b) {
                             return a->sortOrder() < b->sortOrder();
                         });
        for (const PortfolioItemPtr& item : items)
            captions << item->caption();
        QCOMPARE(captions, m_expectedCaptions);
        QCOMPARE(saved.value(QStringLiteral("portfolioItems")).toArray().size(), 2);
    }
};

QUILLORA_TEST_MAIN(JourneyTest)
#include "test_journey.moc"
