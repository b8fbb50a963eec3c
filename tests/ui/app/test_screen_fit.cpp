#include "app/about_window.h"
#include "app/main_window.h"
#include "app/services.h"
#include "controls/gradient_picker.h"
#include "controls/window_placement.h"
#include "editor/entry_editors.h"
#include "editor/font_picker_view.h"
#include "editor/morvessa_sheets.h"
#include "help/help_sheet_container.h"
#include "help/help_window.h"
#include "help/picker_help_sheet.h"
#include "model/education.h"
#include "model/experience.h"
#include "output/share_dialog.h"
#include "output/template_classic.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QApplication>
#include <QProcess>
#include <QScreen>
#include <QScrollArea>
#include <QTest>

using namespace quillora;

// Every window and sheet on the small screens of laptops and netbooks: it opens no larger than
// the screen's available area, and its Save, Close and Cancel buttons are wholly in view. The
// program runs once per screen size (the first run starts the others).

namespace {

const char* const screenVariable = "QUILLORA_TEST_SCREEN";

QSize screenUnderTest() {
    const QByteArray wanted = qgetenv(screenVariable);
    const QList<QByteArray> parts = wanted.split('x');
    if (parts.size() == 2)
        return QSize(parts.at(0).toInt(), parts.at(1).toInt());
    return QSize(1024, 640);
}

QString describe(const QWidget* window) {
    const QRect frame = window->frameGeometry();
    const QRect available = window->screen()->availableGeometry();
    return QStringLiteral("%1: frame %2,%3 %4x%5 on %6x%7")
        .arg(window->objectName())
        .arg(frame.x())
        .arg(frame.y())
        .arg(frame.width())
        .arg(frame.height())
        .arg(available.width())
        .arg(available.height());
}

// The window lies within the available area, and each named control is shown in full: not cut
// by the window's edge nor by a scroll area around it.
bool fitsWithControlsInView(QWidget* window, const QStringList& controls, QString* why) {
    if (!QTest::qWaitForWindowExposed(window)) {
        *why = window->objectName() + QStringLiteral(" not shown");
        return false;
    }
    QApplication::processEvents();
    const QRect available = window->screen()->availableGeometry();
    if (!available.contains(window->frameGeometry())) {
        *why = describe(window);
        return false;
    }
    for (const QString& name : controls) {
        const QWidget* control = window->findChild<QWidget*>(name);
        if (control == nullptr || !control->isVisible()) {
            *why = describe(window) + QStringLiteral(": no visible ") + name;
            return false;
        }
        if (control->visibleRegion().boundingRect() != control->rect()) {
            *why = describe(window) + QStringLiteral(": ") + name + QStringLiteral(" cut off");
            return false;
        }
    }
    return true;
}

} // namespace

class ScreenFitTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;
    std::unique_ptr<MainWindow> m_window;

private slots:
    void initTestCase() {
        m_services = std::make_unique<Services>(std::move(ModelContainer::inMemory()).value());
        m_services->appearance().setReduceMotionOverride(true);
        QCOMPARE(QGuiApplication::primaryScreen()->availableGeometry().size(), screenUnderTest());
    }

    void theMainWindowFitsWithItsAddButtonInView() {
        m_window = std::make_unique<MainWindow>(*m_services);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
        const QRect available = m_window->screen()->availableGeometry();
        QVERIFY2(m_window->frameGeometry().width() <= available.width() &&
                     m_window->frameGeometry().height() <= available.height(),
                 qPrintable(describe(m_window.get())));
        m_window->move(available.topLeft());
        QString why;
        QVERIFY2(fitsWithControlsInView(m_window.get(), {QStringLiteral("addResumeButton")}, &why),
                 qPrintable(why));
    }

    void entrySheetsKeepSaveAndCloseInView() {
        QVERIFY(m_window);
        ResumePtr resume = test::makeFullResume();
        auto experience = std::make_shared<Experience>(QStringLiteral("Engineer"), QStringLiteral("Acme"),
                                                       QStringLiteral("2020"), QStringLiteral("2022"),
                                                       QStringLiteral("Built things."), 0);
        ExperienceEditor experienceSheet(experience, *m_services, resume, m_window.get());
        experienceSheet.open();
        QString why;
        QVERIFY2(fitsWithControlsInView(&experienceSheet,
                                        {QStringLiteral("saveExperienceButton"),
                                         QStringLiteral("floatingCloseButton"),
                                         QStringLiteral("experienceRoleField")},
                                        &why),
                 qPrintable(why));
        // Where the screen has room, the sheet keeps its own size.
        const QSize room = experienceSheet.screen()->availableGeometry().size();
        if (room.height() >= 760 + 60)
            QCOMPARE(experienceSheet.size(), QSize(620, 760));
        experienceSheet.close();

        auto education = std::make_shared<Education>(QStringLiteral("State University"),
                                                     QStringLiteral("BSc"), QStringLiteral("2019"), 0);
        EducationEditor educationSheet(education, *m_services, m_window.get());
        educationSheet.open();
        QVERIFY2(fitsWithControlsInView(&educationSheet, {QStringLiteral("saveEducationButton")}, &why),
                 qPrintable(why));
        QCOMPARE(educationSheet.size(), QSize(560, 420));
    }

    void thePreviewAndThePickersFit() {
        QVERIFY(m_window);
        auto* preview = TemplateClassic::present(m_window.get(), test::makeFullResume(), *m_services);
        QString why;
        QVERIFY2(
            fitsWithControlsInView(
                preview, {QStringLiteral("templateCloseButton"), QStringLiteral("templateHelpButton")}, &why),
            qPrintable(why));
        // The page scrolls in a viewport wholly inside the window, so its end can be reached.
        const auto* page = preview->findChild<QScrollArea*>();
        QVERIFY(page);
        QCOMPARE(page->viewport()->visibleRegion().boundingRect(), page->viewport()->rect());
        preview->close();

        FontPickerView fonts(*m_services, QStringLiteral("Oswald-Light"), m_window.get());
        fonts.open();
        QVERIFY2(fitsWithControlsInView(&fonts, {QStringLiteral("floatingCloseButton")}, &why),
                 qPrintable(why));
        fonts.close();

        QuilloraGradientPicker gradients(m_services->themeController(), m_services->appearance(),
                                         m_window.get());
        gradients.open();
        QVERIFY2(fitsWithControlsInView(&gradients, {QStringLiteral("floatingCloseButton")}, &why),
                 qPrintable(why));
        gradients.close();
    }

    void helpSheetsAndTheMorvessaChecklistFit() {
        QVERIFY(m_window);
        auto* help = makeWhyMorvessaSheet(m_services->appearance(), m_window.get());
        help->open();
        QString why;
        QVERIFY2(fitsWithControlsInView(help, {QStringLiteral("floatingCloseButton")}, &why),
                 qPrintable(why));
        help->close();

        // The longest confirmation: every item of the checklist missing.
        const QStringList missing{QStringLiteral("Name"),     QStringLiteral("Email"),
                                  QStringLiteral("Phone"),    QStringLiteral("Summary"),
                                  QStringLiteral("Skills"),   QStringLiteral("Experience"),
                                  QStringLiteral("Education")};
        auto* confirm = makeMorvessaConfirmSheet(
            m_services->appearance(), false, missing, [] {}, m_window.get());
        confirm->open();
        QVERIFY2(fitsWithControlsInView(confirm,
                                        {QStringLiteral("morvessaCancelButton"),
                                         QStringLiteral("morvessaConfirmButton"),
                                         QStringLiteral("floatingCloseButton")},
                                        &why),
                 qPrintable(why));
        confirm->close();

        PickerHelpSheetView picker(m_services->appearance(), QStringLiteral("Shapes"),
                                   QStringLiteral("Pick a shape."), m_window.get());
        picker.open();
        QVERIFY2(fitsWithControlsInView(&picker, {QStringLiteral("floatingCloseButton")}, &why),
                 qPrintable(why));
    }

    void theShareDialogAndTheAppWindowsFit() {
        QVERIFY(m_window);
        ShareDialog share({QDir::tempPath() + QStringLiteral("/Resume.pdf")}, m_services->appearance(),
                          m_window.get());
        share.open();
        QString why;
        QVERIFY2(fitsWithControlsInView(&share, {QStringLiteral("shareCloseButton")}, &why), qPrintable(why));
        share.close();

        // About and Help are fixed at their own size, or at the screen's available area where
        // that is smaller; resizing them has no effect either way.
        const std::pair<QWidget*, QSize> fixedWindows[] = {{new AboutWindow(*m_services), QSize(760, 620)},
                                                           {new HelpWindow(*m_services), QSize(860, 700)}};
        for (const auto& [window, own] : fixedWindows) {
            window->setAttribute(Qt::WA_DeleteOnClose);
            const QSize room = availableContentSize(window); // the frame as expected before showing
            window->move(window->screen()->availableGeometry().topLeft());
            window->show();
            QVERIFY2(fitsWithControlsInView(window, {}, &why), qPrintable(why));
            QCOMPARE(window->size(), own.boundedTo(room));
            if (screenUnderTest() == QSize(1920, 1080))
                QCOMPARE(window->size(), own);
            QCOMPARE(window->minimumSize(), window->maximumSize());
            const QSize fitted = window->size();
            window->resize(fitted / 2);
            QCOMPARE(window->size(), fitted);
            window->resize(fitted + QSize(200, 200));
            QCOMPARE(window->size(), fitted);
            window->close();
        }
    }

    void otherScreenSizes() {
        if (qEnvironmentVariableIsSet(screenVariable))
            QSKIP("runs from the first run only");
        for (const char* size : {"1280x720", "1366x768", "1920x1080"}) {
            QProcess run;
            QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
            environment.insert(QString::fromLatin1(screenVariable), QString::fromLatin1(size));
            run.setProcessEnvironment(environment);
            run.setProcessChannelMode(QProcess::MergedChannels);
            run.start(QCoreApplication::applicationFilePath(), {});
            QVERIFY(run.waitForFinished(240000));
            QVERIFY2(
                run.exitStatus() == QProcess::NormalExit && run.exitCode() == 0,
                qPrintable(QString::fromLatin1(size) + QLatin1Char('\n') + QString::fromUtf8(run.readAll())));
        }
    }

    void cleanupTestCase() { m_window.reset(); }
};

int main(int argc, char* argv[]) {
    quillora::test::IsolatedHome home;
    qputenv("QT_QPA_PLATFORM",
            quillora::test::offscreenPlatform(home.root(), {QRect(QPoint(0, 0), screenUnderTest())}));
    QApplication app(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quillora"));
    QApplication::setApplicationName(QStringLiteral("Quillora"));
    app.setAttribute(Qt::AA_Use96Dpi, true);
    ScreenFitTest test;
    QTEST_SET_MAIN_SOURCE_PATH
    return QTest::qExec(&test, argc, argv);
}

#include "test_screen_fit.moc"
