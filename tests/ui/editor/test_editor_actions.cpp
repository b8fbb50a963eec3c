#include "app/services.h"
#include "editor/actions_style_card.h"
#include "editor/editor_actions.h"
#include "editor/preparing_pdf_overlay.h"
#include "editor/resume_editor_view.h"
#include "help/bullet_row.h"
#include "help/help_sheet_container.h"
#include "output/share_dialog.h"
#include "output/template_classic.h"
#include "sharing/cloud_configuration.h"
#include "store/model_context.h"
#include "support/cloud_test_database.h"
#include "support/fake_cloud_database.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QScopeGuard>
#include <QSemaphore>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QThreadPool>

using namespace quillora;

namespace {

template <typename T = QWidget> T* child(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (!found)
        qWarning("no child named %s", qPrintable(name));
    return found;
}

QByteArray head(const QString& path, int bytes = 5) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.read(bytes) : QByteArray();
}

QString pdfText(const QString& path) {
    QProcess process;
    process.start(QStringLiteral("pdftotext"), {QStringLiteral("-layout"), path, QStringLiteral("-")});
    process.waitForFinished(30000);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QStringList bullets(const HelpSheetContainer* sheet) {
    QStringList out;
    for (const QWidget* element : sheet->contentElements())
        if (const auto* row = qobject_cast<const BulletRow*>(element))
            out << row->text();
    return out;
}

// The exports' folders in the temporary folder.
QStringList exportFolders() {
    return QDir(QDir::tempPath()).entryList({QStringLiteral("quillora-export-*")}, QDir::Dirs | QDir::Hidden);
}

// Waits until the worker pool is idle and queued deliveries have run.
void settle() {
    QThreadPool::globalInstance()->waitForDone();
    for (int i = 0; i < 3; ++i)
        QCoreApplication::processEvents();
}

} // namespace

// The "Actions & Style" card of the editor: previews, PDF exports with the share dialog, the
// page-background pickers, and pushing to and removing from the recruiting network.
class EditorActionsTest final : public QObject {
    Q_OBJECT

    std::unique_ptr<Services> m_services;
    std::unique_ptr<ResumeEditorView> m_editor;
    ResumePtr m_resume;
    test::CloudTestDatabase m_db;

    void openEditor(const ResumePtr& resume) {
        m_resume = resume;
        m_services->context().insert(resume);
        QVERIFY(m_services->context().save().ok());
        m_editor = std::make_unique<ResumeEditorView>(resume, *m_services);
        m_editor->resize(900, 800);
        m_editor->show();
    }
    EditorActions& actions() { return m_editor->actions(); }
    QAbstractButton* button(const QString& name) { return child<QAbstractButton>(m_editor.get(), name); }

private slots:
    void initTestCase() { QDir().mkpath(QDir::tempPath()); }
    void init() {
        QFile::remove(QDir::tempPath() + QStringLiteral("/actions.ini"));
        m_services = Services::forTesting(QDir::tempPath() + QStringLiteral("/actions.ini"));
    }
    void cleanup() {
        qunsetenv(kCloudDatabaseVariable);
        m_editor.reset();
        settle();
        m_resume.reset();
        m_services.reset();
    }

    void metricsFollowTheWidth_data() {
        QTest::addColumn<qreal>("width");
        QTest::addColumn<QList<qreal>>("expected");
        QTest::newRow("narrow") << 300.0 << QList<qreal>{17, 15, 54.4, 34, 16};
        QTest::newRow("help at its largest") << 1400.0
                                             << QList<qreal>{17 + 6 * 1025.0 / 1065, 15 + 7 * 1025.0 / 1065,
                                                             3.2 * (17 + 7 * 1025.0 / 1065), 46, 22};
        QTest::newRow("wide") << 2000.0 << QList<qreal>{23, 22, 76.8, 46, 22};
    }
    void metricsFollowTheWidth() {
        QFETCH(qreal, width);
        QFETCH(QList<qreal>, expected);
        const auto m = ActionsStyleContent::metricsForWidth(width);
        const QList<qreal> got{m.iconSize, m.labelSize, m.pickerTitleWidth, m.helpCircleSize,
                               m.helpGlyphSize};
        for (int i = 0; i < got.size(); ++i)
            QVERIFY2(qAbs(got[i] - expected[i]) < 1e-9, qPrintable(QString::number(got[i])));
    }

    void cardFillsTheLastPlace() {
        openEditor(test::makeFullResume());
        QWidget* card = m_editor->sectionWidget(EditorSection::actionsAndStyle);
        QVERIFY(card);
        QCOMPARE(card->objectName(), QStringLiteral("actionsStyleCard"));
        for (const char* name :
             {"previewTranslationButton", "exportCreativePDFButton", "exportATSPDFButton",
              "backgroundShapePicker", "backgroundColorPicker", "morvessaActionButton", "morvessaHelpButton"})
            QVERIFY2(card->findChild<QWidget*>(QLatin1String(name)), name);
        QCOMPARE(button(QStringLiteral("exportATSPDFButton"))->accessibleDescription(),
                 QStringLiteral("Exports the ATS-optimized resume as a PDF"));
    }

    // Both layouts are made on a worker, shown in the share dialog, and the overlay comes and goes.
    void exportsBothLayouts() {
        ResumePtr resume = test::makeFullResume();
        resume->setIncludeATSVersion(false);
        openEditor(resume);
        QSignalSpy finished(&actions(), &EditorActions::exportFinished);

        test::StdoutCapture capture;
        button(QStringLiteral("exportCreativePDFButton"))->click();
        QVERIFY(actions().isPreparingPDF());
        QVERIFY(actions().preparingOverlay()->isVisible());
        QVERIFY(actions().preparingOverlay()->testAttribute(Qt::WA_TransparentForMouseEvents));
        QVERIFY(finished.wait(60000));
        const QStringList lines = capture.lines();
        const QString creative = finished.at(0).at(0).toString();
        QVERIFY(!actions().isPreparingPDF());
        QVERIFY(!actions().preparingOverlay()->isVisible());
        QCOMPARE(head(creative), QByteArray("%PDF-"));
        QVERIFY(creative.startsWith(QDir::tempPath()));
        QVERIFY(lines.contains(QStringLiteral("[Portfolio DEBUG] pre-export save succeeded")));
        QVERIFY(lines.contains(QStringLiteral("🟡 Shape: circles Theme: pastel")));
        QVERIFY(lines.contains(QStringLiteral("✅ PDF SUCCESS: ") + QUrl::fromLocalFile(creative).toString()));
        QVERIFY(actions().exportedPDF());
        QCOMPARE(actions().exportedPDF()->path, creative);
        const QUuid firstId = actions().exportedPDF()->id;
        QVERIFY(actions().shareDialog());
        QCOMPARE(actions().shareDialog()->items(), QStringList{creative});
        const QString creativeText = pdfText(creative);

        button(QStringLiteral("exportATSPDFButton"))->click();
        QVERIFY(resume->includeATSVersion());
        QVERIFY(!m_services->context().hasChanges()); // saved before the export
        QVERIFY(finished.wait(60000));
        const QString ats = finished.at(1).at(0).toString();
        QCOMPARE(head(ats), QByteArray("%PDF-"));
        QVERIFY(actions().exportedPDF()->id != firstId);
        QCOMPARE(actions().shareDialog()->items(), QStringList{ats});
        QVERIFY(pdfText(ats) != creativeText); // the plain layout, not the designed one
        // Each export is a file of its own under the title's name; the newer takes the older's place.
        QCOMPARE(QFileInfo(ats).fileName(), QStringLiteral("Design Résumé.pdf"));
        QCOMPARE(QFileInfo(creative).fileName(), QFileInfo(ats).fileName());
        QVERIFY(ats != creative);
        QVERIFY(!QFileInfo::exists(QFileInfo(creative).absolutePath()));

        // Closing the dialog forgets the record.
        actions().shareDialog()->close();
        QVERIFY(!actions().exportedPDF());
    }

    void previewAndExportsTakeTurns() {
        openEditor(test::makeFullResume());
        QSignalSpy finished(&actions(), &EditorActions::exportFinished);
        button(QStringLiteral("exportCreativePDFButton"))->click();
        QVERIFY(finished.wait(60000));
        QVERIFY(actions().exportedPDF());
        button(QStringLiteral("previewTranslationButton"))->click();
        QVERIFY(!actions().exportedPDF());
        QVERIFY(!actions().shareDialog());
        QPointer<TemplateClassic> preview = actions().templatePreview();
        QVERIFY(preview);
        button(QStringLiteral("exportATSPDFButton"))->click();
        QTRY_VERIFY(!preview);
        QVERIFY(finished.wait(60000));
    }

    // A stored value that names no case is shown and used as the default but never rewritten.
    void unknownStoredStyleFallsBack() {
        m_services->settings().setBackgroundShapeRaw(QStringLiteral("spirals"));
        m_services->settings().setColorThemeRaw(QStringLiteral("Neon"));
        openEditor(test::makeFullResume());
        auto* shapes = child<QComboBox>(m_editor.get(), QStringLiteral("backgroundShapePicker"));
        auto* colors = child<QComboBox>(m_editor.get(), QStringLiteral("backgroundColorPicker"));
        QCOMPARE(shapes->currentText(), QStringLiteral("Circles"));
        QCOMPARE(colors->currentText(), QStringLiteral("Pastel"));
        QCOMPARE(shapes->count(), 12);
        QCOMPARE(colors->count(), 9);

        QSignalSpy finished(&actions(), &EditorActions::exportFinished);
        test::StdoutCapture capture;
        actions().exportCreativePDF();
        QVERIFY(finished.wait(60000));
        QVERIFY(capture.lines().contains(QStringLiteral("🟡 Shape: circles Theme: pastel")));
        QCOMPARE(m_services->settings().backgroundShapeRaw(), QStringLiteral("spirals"));
        QCOMPARE(m_services->settings().colorThemeRaw(), QStringLiteral("Neon"));

        const int dotGrid = shapes->findText(QStringLiteral("Dot Grid"));
        QVERIFY(dotGrid >= 0);
        shapes->setCurrentIndex(dotGrid);
        emit shapes->activated(dotGrid);
        QCOMPARE(m_services->settings().backgroundShapeRaw(), QStringLiteral("dotGrid"));
        QCOMPARE(actions().backgroundShape(), BackgroundShapeType::dotGrid);
        // Written elsewhere, the choice shows here too.
        m_services->settings().setColorThemeRaw(QStringLiteral("midnight"));
        QCOMPARE(colors->currentText(), QStringLiteral("Midnight"));
    }

    // Results for a closed editor are dropped without harm, and their PDFs go.
    void exportForAClosedEditorIsDropped() {
        const QStringList before = exportFolders();
        openEditor(test::makeFullResume());
        actions().exportCreativePDF();
        m_editor.reset();
        settle();
        QCOMPARE(exportFolders(), before);
    }

    // A PDF made for a résumé deleted meanwhile goes; the newest export of a résumé stays once its
    // editor has closed (its path may have been copied) and goes when the résumé is deleted.
    void exportForADeletedResumeIsDropped() {
        const QStringList before = exportFolders();
        openEditor(test::makeFullResume());
        QSignalSpy finished(&actions(), &EditorActions::exportFinished);
        actions().exportCreativePDF();
        m_services->context().deleteRecord(m_resume);
        QVERIFY(m_services->context().save().ok());
        settle();
        QCOMPARE(finished.count(), 0);
        QVERIFY(!actions().shareDialog());
        QVERIFY(!actions().isPreparingPDF());
        QCOMPARE(exportFolders(), before);

        m_editor.reset();
        openEditor(test::makeFullResume());
        QSignalSpy exported(&actions(), &EditorActions::exportFinished);
        actions().exportATSPDF();
        QVERIFY(exported.wait(60000));
        const QString path = exported.at(0).at(0).toString();
        m_editor.reset();
        settle();
        QVERIFY(QFileInfo::exists(path));
        m_services->context().deleteRecord(m_resume);
        QVERIFY(!QFileInfo::exists(QFileInfo(path).absolutePath()));
        QCOMPARE(exportFolders(), before);
    }

    // Without a temporary folder to write to, an export and a push fail and say why; nothing is
    // written anywhere else, the working directory least of all.
    void aMissingTemporaryFolderIsSaid() {
        auto cloud = std::make_shared<test::FakeCloud>();
        openEditor(test::makeFullResume());
        m_resume->setMorvessaRecordName(std::nullopt);
        actions().setCloudService(
            MorvessaCloudService([cloud] { return std::make_unique<test::FakeCloudDatabase>(cloud); }));
        QTemporaryDir working;
        QVERIFY(working.isValid());
        const QString previousDirectory = QDir::currentPath();
        const QByteArray previous = qgetenv("TMPDIR");
        const QString missing = QDir::tempPath() + QStringLiteral("/gone");
        const auto restore = qScopeGuard([&] {
            qputenv("TMPDIR", previous);
            QDir::setCurrent(previousDirectory);
        });
        QVERIFY(QDir::setCurrent(working.path()));
        qputenv("TMPDIR", QFile::encodeName(missing));
        const QString said =
            QStringLiteral("The temporary folder “%1” (TMPDIR) does not exist.").arg(missing);

        QSignalSpy exported(&actions(), &EditorActions::exportFinished);
        test::StdoutCapture capture;
        actions().exportCreativePDF();
        QVERIFY(exported.wait(60000));
        QCOMPARE(exported.at(0).at(0).toString(), QString());
        QVERIFY(capture.lines().contains(QStringLiteral("❌ PDF Export Failed: ") + said));

        QSignalSpy done(&actions(), &EditorActions::morvessaFinished);
        actions().pushToMorvessa();
        QVERIFY(done.wait(60000));
        QCOMPARE(actions().morvessaAlertMessage(), QStringLiteral("PDF export failed: ") + said);
        QVERIFY(!m_resume->morvessaRecordName());
        QCOMPARE(QDir(working.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList());
        QVERIFY(!QFileInfo::exists(missing));
    }

    void incompleteResumeIsRefused() {
        ResumePtr resume = test::makeEmptyResume();
        resume->setFullName(QStringLiteral("Ada Lovelace"));
        resume->setContactInfo(QStringLiteral("ada@example.com"));
        resume->setSummary(QStringLiteral("Engines."));
        resume->setExperienceItems(
            {std::make_shared<Experience>(QStringLiteral("Analyst"), QStringLiteral("Babbage"), QString(),
                                          QString(), QStringLiteral("   "), 0)});
        openEditor(resume);
        QCOMPARE(button(QStringLiteral("morvessaActionButton"))->text(), QStringLiteral("Push to Morvessa"));
        button(QStringLiteral("morvessaActionButton"))->click();
        HelpSheetContainer* sheet = actions().morvessaConfirmSheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->title(), QStringLiteral("Share With Morvessa"));
        const QStringList missing{
            QStringLiteral("Resume title"),
            QStringLiteral("At least one experience entry with role, company, and details")};
        QCOMPARE(bullets(sheet), missing);
        QVERIFY(!child<QPushButton>(sheet, QStringLiteral("morvessaConfirmButton"))->isEnabled());
        child<QPushButton>(sheet, QStringLiteral("morvessaCancelButton"))->click();
        QTRY_VERIFY(!actions().morvessaConfirmSheet());

        actions().pushToMorvessa();
        QVERIFY(!actions().isPushingToMorvessa());
        QVERIFY(actions().morvessaAlert());
        QCOMPARE(actions().morvessaAlert()->windowTitle(), QStringLiteral("Morvessa"));
        QCOMPARE(
            actions().morvessaAlertMessage(),
            QStringLiteral("Complete these items before uploading: Resume title, At least one experience "
                           "entry with role, company, and details."));
        QCOMPARE(actions().morvessaAlert()->informativeText(), actions().morvessaAlertMessage());

        button(QStringLiteral("morvessaHelpButton"))->click();
        QVERIFY(actions().morvessaHelpSheet());
        QCOMPARE(actions().morvessaHelpSheet()->title(), QStringLiteral("Why Morvessa?"));
        QVERIFY(!child<QPushButton>(actions().morvessaHelpSheet(), QStringLiteral("getMorvessaLink"))
                     ->isEnabled());
    }

    void removeWithoutARecordSaysSo() {
        openEditor(test::makeFullResume());
        m_resume->setMorvessaRecordName(std::nullopt);
        actions().removeFromMorvessa();
        QCOMPARE(actions().morvessaAlertMessage(), QStringLiteral("No Morvessa resume found to remove."));
    }

    // Push and removal against the test run's database: the name is stored and cleared, and the
    // buttons are disabled meanwhile.
    void pushAndRemoveAgainstTheDatabase() {
        QUILLORA_REQUIRE_CLOUD_DATABASE(m_db);
        // A database of its own: other tests of the run reshape the shared one meanwhile.
        const QByteArray ownName("quillora_editor_actions");
        m_db.exec(QStringLiteral("DROP DATABASE IF EXISTS ") + QLatin1String(ownName));
        QCOMPARE(m_db.exec(QStringLiteral("CREATE DATABASE ") + QLatin1String(ownName)), QString());
        const QByteArray sharedName = qgetenv("PGDATABASE");
        qputenv("PGDATABASE", ownName);
        test::CloudTestDatabase own;
        QUILLORA_REQUIRE_CLOUD_DATABASE(own);
        qputenv(kCloudDatabaseVariable, test::CloudTestDatabase::connectionString().toUtf8());
        qputenv("PGDATABASE", sharedName);
        ResumePtr resume = test::makeFullResume();
        resume->setMorvessaRecordName(std::nullopt);
        openEditor(resume);
        QSignalSpy done(&actions(), &EditorActions::morvessaFinished);
        auto* share = button(QStringLiteral("morvessaActionButton"));

        share->click();
        HelpSheetContainer* sheet = actions().morvessaConfirmSheet();
        QVERIFY(sheet);
        QVERIFY(bullets(sheet).isEmpty());
        child<QPushButton>(sheet, QStringLiteral("morvessaConfirmButton"))->click();
        QVERIFY(actions().isPushingToMorvessa());
        QVERIFY(!share->isEnabled());
        QCOMPARE(share->text(), QStringLiteral("Pushing to Morvessa..."));
        QVERIFY(button(QStringLiteral("morvessaHelpButton"))->isEnabled());
        actions().pushToMorvessa(); // a second tap starts nothing
        QVERIFY(done.wait(60000));
        QCOMPARE(done.count(), 1);
        QCOMPARE(actions().morvessaAlertMessage(), QStringLiteral("Resume pushed to Morvessa."));
        const std::optional<QString> name = resume->morvessaRecordName();
        QVERIFY(name && !name->isEmpty());
        QVERIFY(!m_services->context().hasChanges());
        const QString named =
            QStringLiteral("SELECT count(*) FROM \"QuilloraResume\" WHERE \"recordName\" = '%1'");
        QCOMPARE(own.rows(named.arg(*name)).value(0).value(0).toInt(), 1);
        QVERIFY(share->isEnabled());
        QCOMPARE(share->text(), QStringLiteral("Remove from Morvessa"));

        share->click();
        sheet = actions().morvessaConfirmSheet();
        QVERIFY(sheet);
        QCOMPARE(sheet->title(), QStringLiteral("Remove From Morvessa"));
        child<QPushButton>(sheet, QStringLiteral("morvessaConfirmButton"))->click();
        QCOMPARE(share->text(), QStringLiteral("Removing from Morvessa..."));
        QVERIFY(done.wait(60000));
        QCOMPARE(actions().morvessaAlertMessage(), QStringLiteral("Resume removed from Morvessa."));
        QVERIFY(!resume->morvessaRecordName());
        QVERIFY(!m_services->context().hasChanges());
        QCOMPARE(own.rows(named.arg(*name)).value(0).value(0).toInt(), 0);
        QCOMPARE(share->text(), QStringLiteral("Push to Morvessa"));
    }

    // "Preparing PDF…" goes once the PDF exists; the push button stays busy until the upload
    // ends.
    void thePDFOverlayEndsBeforeTheUpload() {
        auto cloud = std::make_shared<test::FakeCloud>();
        QSemaphore uploading;
        QSemaphore release;
        cloud->beforeSave = [&] {
            uploading.release();
            release.acquire();
        };
        openEditor(test::makeFullResume());
        m_resume->setMorvessaRecordName(std::nullopt);
        actions().setCloudService(
            MorvessaCloudService([cloud] { return std::make_unique<test::FakeCloudDatabase>(cloud); }));
        QSignalSpy done(&actions(), &EditorActions::morvessaFinished);
        actions().pushToMorvessa();
        QVERIFY(actions().preparingOverlay()->isVisible());
        QTRY_VERIFY(uploading.available() == 1);
        QTRY_VERIFY(!actions().preparingOverlay()->isVisible());
        QVERIFY(actions().isPushingToMorvessa());
        // The résumé holds its record name from the start; the button still says what runs.
        QVERIFY(m_resume->morvessaRecordName());
        QCOMPARE(button(QStringLiteral("morvessaActionButton"))->text(),
                 QStringLiteral("Pushing to Morvessa..."));
        release.release();
        QVERIFY(done.wait(20000));
        QVERIFY(!actions().isPushingToMorvessa());
        QVERIFY(!actions().preparingOverlay()->isVisible());
        QCOMPARE(actions().morvessaAlertMessage(), QStringLiteral("Resume pushed to Morvessa."));
    }

    void unreachableNetworkReportsThePushFailure() {
        openEditor(test::makeFullResume());
        m_resume->setMorvessaRecordName(std::nullopt);
        qputenv(kCloudDatabaseVariable, "host=127.0.0.1 port=1 dbname=none connect_timeout=2");
        QSignalSpy done(&actions(), &EditorActions::morvessaFinished);
        actions().pushToMorvessa();
        QVERIFY(done.wait(60000));
        QVERIFY2(actions().morvessaAlertMessage().startsWith(QStringLiteral("Push failed: ")),
                 qPrintable(actions().morvessaAlertMessage()));
        QVERIFY(!m_resume->morvessaRecordName()); // the name it was to have is cleared, and saved
        QVERIFY(!m_services->context().hasChanges());
        QVERIFY(!actions().isPushingToMorvessa());
        QCOMPARE(button(QStringLiteral("morvessaActionButton"))->text(), QStringLiteral("Push to Morvessa"));
    }
};

QUILLORA_TEST_MAIN(EditorActionsTest)
#include "test_editor_actions.moc"
