#include "output/share_dialog.h"
#include "platform/appearance.h"
#include "support/test_home.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTest>
#include <QTimer>

using namespace quillora;

namespace {

QString writeFile(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QByteArray readFile(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// A stand-in for the desktop's opener at `path`: a shell script that notes the location it is
// given in `log`, runs `body` and exits with `status`.
QString writeOpener(const QString& path, const QString& log, const QString& body, int status) {
    writeFile(path, QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$1\" >> '%1'\n%2\nexit %3\n")
                        .arg(log, body)
                        .arg(status)
                        .toUtf8());
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return path;
}

// Every opener started has ended and its end has been handled (it goes once handled).
bool openersEnded() {
    return QCoreApplication::instance()->findChildren<QProcess*>(Qt::FindDirectChildrenOnly).isEmpty();
}

} // namespace

// The dialog that hands exported files to the desktop, with the desktop stood in.
class ShareDialogTest final : public QObject {
    Q_OBJECT

    Appearance m_appearance;
    QString m_openerLog = QDir::tempPath() + QStringLiteral("/opened.txt");
    QString m_opener = QDir::tempPath() + QStringLiteral("/opener");
    QString m_chosen;
    QStringList m_suggested;

    // What the stand-in opener was given, a location a line.
    QStringList opened() const {
        return QString::fromUtf8(readFile(m_openerLog)).split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    }

    ShareDialog::Desktop fakeDesktop() {
        ShareDialog::Desktop desktop;
        desktop.opener = m_opener;
        desktop.chooseSaveLocation = [this](QWidget*, const QString& suggested,
                                            std::function<void(const QString&)> chosen) {
            m_suggested << suggested;
            if (!m_chosen.isEmpty())
                chosen(m_chosen);
        };
        return desktop;
    }

private slots:
    void init() {
        QFile::remove(m_openerLog);
        writeOpener(m_opener, m_openerLog, {}, 0);
        m_suggested.clear();
        m_chosen.clear();
    }

    void keepsItsFilesInOrder() {
        const QString a = writeFile(QDir::tempPath() + QStringLiteral("/a.pdf"), "%PDF-a");
        const QString b = writeFile(QDir::tempPath() + QStringLiteral("/b.pdf"), "%PDF-b");
        QStringList files{b, a};
        ShareDialog dialog(files, m_appearance, nullptr, fakeDesktop());
        files.clear();
        QCOMPARE(dialog.items(), (QStringList{b, a}));
        QCOMPARE(dialog.currentFile(), b);
    }

    void opensCopiesAndShows() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/Résumé one.pdf"), "%PDF-1");
        ShareDialog dialog({pdf}, m_appearance, nullptr, fakeDesktop());
        dialog.button(QStringLiteral("shareOpenButton"))->click();
        QCOMPARE(dialog.statusText(), QStringLiteral("Opening “Résumé one.pdf”…"));
        QTRY_COMPARE(dialog.statusText(), QStringLiteral("Opened “Résumé one.pdf”."));
        QCOMPARE(opened(), QStringList{pdf});
        dialog.button(QStringLiteral("shareShowInFolderButton"))->click();
        QTRY_COMPARE(dialog.statusText(), ShareDialog::folderOpenedText(QDir::tempPath()));
        QCOMPARE(opened().last(), QDir::tempPath());
        dialog.button(QStringLiteral("shareCopyPathButton"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), pdf);

        QFile::remove(pdf);
        QFile::remove(m_openerLog);
        dialog.openFile();
        QVERIFY(opened().isEmpty());
        QVERIFY(dialog.statusText().contains(QStringLiteral("no longer there")));
    }

    // An opener that finds nothing to open with complains and exits with an error; the dialog
    // says nothing opened and that Copy Path still works, for the file and for its folder. The
    // desktop's own opener is looked up on PATH; one that is not there fails the same way.
    void anOpenerThatFailsIsReportedAsAFailure() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/Résumé two.pdf"), "%PDF-2");
        const QString bin = QDir::tempPath() + QStringLiteral("/bin");
        QVERIFY(QDir().mkpath(bin));
        writeOpener(bin + QStringLiteral("/xdg-open"), m_openerLog,
                    QStringLiteral("echo \"xdg-open: no method available for opening '$1'\" >&2"), 3);
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", bin.toUtf8() + ':' + path);
        ShareDialog::Desktop desktop = ShareDialog::systemDesktop();
        desktop.chooseSaveLocation = fakeDesktop().chooseSaveLocation;
        QCOMPARE(desktop.opener, QStringLiteral("xdg-open"));
        ShareDialog dialog({pdf}, m_appearance, nullptr, desktop);
        dialog.button(QStringLiteral("shareOpenButton"))->click();
        QTRY_VERIFY(dialog.statusIsFailure());
        QCOMPARE(
            dialog.statusText(),
            QStringLiteral("Nothing on this computer could open “Résumé two.pdf”. Copy Path still works: "
                           "paste the path into the app you want to use."));
        dialog.button(QStringLiteral("shareShowInFolderButton"))->click();
        QVERIFY(!dialog.statusIsFailure());
        QTRY_VERIFY(dialog.statusIsFailure());
        QCOMPARE(dialog.statusText(), QStringLiteral("Nothing on this computer could open the folder “") +
                                          QDir::tempPath() +
                                          QStringLiteral("”. Copy Path still works: paste the path into your "
                                                         "file manager."));
        QCOMPARE(opened(), (QStringList{pdf, QDir::tempPath()}));
        qputenv("PATH", path);

        ShareDialog::Desktop missing = fakeDesktop();
        missing.opener = QDir::tempPath() + QStringLiteral("/no-such-opener");
        ShareDialog alone({pdf}, m_appearance, nullptr, missing);
        alone.openFile();
        QTRY_COMPARE(alone.statusText(), ShareDialog::openFailedText(pdf));
        QVERIFY(alone.statusIsFailure());
    }

    // An outcome that wraps onto several lines (a deep folder) grows the dialog: the buttons and
    // the whole text stay in view.
    void aLongOutcomeKeepsTheButtonsWhole() {
        const QString folder =
            QDir::tempPath() +
            QStringLiteral("/a-rather-long-folder-name/for-the-exported-files/of-this-week");
        QVERIFY(QDir().mkpath(folder));
        const QString pdf = writeFile(folder + QStringLiteral("/Résumé.pdf"), "%PDF-long");
        ShareDialog::Desktop missing = fakeDesktop();
        missing.opener = QDir::tempPath() + QStringLiteral("/no-such-opener");
        ShareDialog dialog({pdf}, m_appearance, nullptr, missing);
        dialog.show();
        QVERIFY(QTest::qWaitForWindowExposed(&dialog));
        const int heightBefore = dialog.height();
        dialog.showInFolder();
        QTRY_VERIFY(dialog.statusIsFailure());
        QApplication::processEvents();
        QVERIFY(dialog.height() > heightBefore);
        const auto* status = dialog.findChild<QLabel*>(QStringLiteral("shareDialogStatus"));
        QVERIFY(status->height() >= status->heightForWidth(status->width()));
        for (const char* name : {"shareOpenButton", "shareShowInFolderButton", "shareCloseButton"}) {
            QPushButton* button = dialog.button(QLatin1String(name));
            QVERIFY2(button->height() >= button->sizeHint().height(), name);
        }
    }

    // The opener runs while the dialog goes on answering; an opener still running after the
    // grace is running what it opened. A late result never replaces a newer outcome.
    void theOpenerNeverHoldsTheDialog() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/slow.pdf"), "%PDF-slow");
        // Long enough that a dialog waiting for it could not be mistaken for a busy machine.
        writeOpener(m_opener, m_openerLog, QStringLiteral("sleep 4"), 4);
        ShareDialog dialog({pdf}, m_appearance, nullptr, fakeDesktop());
        QElapsedTimer clock;
        clock.start();
        dialog.openFile();
        QVERIFY(clock.elapsed() < 3000);
        bool ticked = false;
        QTimer::singleShot(50, &dialog, [&] { ticked = true; });
        QTRY_VERIFY(ticked);
        QCOMPARE(dialog.statusText(), ShareDialog::openingText(QStringLiteral("slow.pdf")));
        QTRY_COMPARE(dialog.statusText(), ShareDialog::openFailedText(pdf));

        // Still running at the grace: opened (as openers that wait for their application do).
        writeOpener(m_opener, m_openerLog, QStringLiteral("sleep 3"), 0);
        ShareDialog::Desktop patient = fakeDesktop();
        patient.openerGrace = std::chrono::milliseconds(200);
        ShareDialog waiting({pdf}, m_appearance, nullptr, patient);
        waiting.openFile();
        QTRY_COMPARE_WITH_TIMEOUT(waiting.statusText(), ShareDialog::openedText(pdf), 20000);

        // A success arriving after another action said something leaves that in place.
        writeOpener(m_opener, m_openerLog, QStringLiteral("sleep 0.3"), 0);
        ShareDialog later({pdf}, m_appearance, nullptr, fakeDesktop());
        later.openFile();
        later.copyPath();
        QTRY_VERIFY(openersEnded());
        QCOMPARE(later.statusText(), QStringLiteral("Copied “") + pdf + QStringLiteral("”."));
    }

    // An opener counted as opened at the grace that fails afterwards: the failure replaces
    // "Opened", also for the folder, and is said; one that ends well leaves "Opened" alone.
    void aFailureAfterTheGraceReplacesOpened() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/late.pdf"), "%PDF-late");
        writeOpener(m_opener, m_openerLog, QStringLiteral("sleep 0.8"), 3);
        ShareDialog::Desktop patient = fakeDesktop();
        patient.openerGrace = std::chrono::milliseconds(200);
        ShareDialog dialog({pdf}, m_appearance, nullptr, patient);
        dialog.show();
        dialog.openFile();
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), ShareDialog::openedText(pdf), 20000);
        QVERIFY(!dialog.statusIsFailure());
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), ShareDialog::openFailedText(pdf), 20000);
        QVERIFY(dialog.statusIsFailure());
        const auto said = [&dialog] {
            auto* note = dialog.findChild<QWidget*>(QStringLiteral("screenReaderAnnouncement"));
            return note ? QAccessible::queryAccessibleInterface(note)->text(QAccessible::Name) : QString();
        };
        QCOMPARE(said(), ShareDialog::openFailedText(pdf));
        const QString folder = QFileInfo(pdf).absolutePath();
        dialog.showInFolder();
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), ShareDialog::folderOpenedText(folder), 20000);
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), ShareDialog::folderOpenFailedText(folder), 20000);

        writeOpener(m_opener, m_openerLog, QStringLiteral("sleep 0.8"), 0);
        dialog.openFile();
        QTRY_COMPARE_WITH_TIMEOUT(dialog.statusText(), ShareDialog::openedText(pdf), 20000);
        QTRY_VERIFY(openersEnded());
        QCOMPARE(dialog.statusText(), ShareDialog::openedText(pdf));
        QVERIFY(!dialog.statusIsFailure());
    }

    void savesACopyWithoutFollowingALink() {
        const QByteArray bytes = QByteArray("%PDF-1.7\n") + QByteArray(200000, 'x');
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/copy-me.pdf"), bytes);
        const QString victim = writeFile(QDir::tempPath() + QStringLiteral("/victim.txt"), "keep");
        const QString target = QDir::tempPath() + QStringLiteral("/saved.pdf");
        QVERIFY(QFile::link(victim, target));
        m_chosen = target;
        ShareDialog dialog({pdf}, m_appearance, nullptr, fakeDesktop());
        dialog.button(QStringLiteral("shareSaveCopyButton"))->click();
        QCOMPARE(m_suggested.size(), 1);
        QVERIFY(m_suggested.first().endsWith(QStringLiteral("/copy-me.pdf")));
        QCOMPARE(readFile(target), bytes);
        QVERIFY(!QFileInfo(target).isSymLink());
        QCOMPARE(readFile(victim), QByteArray("keep"));
        QVERIFY(dialog.statusText().startsWith(QStringLiteral("Saved a copy")));

        // A folder that cannot be written keeps the source and says why.
        QVERIFY(!dialog.saveCopyTo(QDir::tempPath() + QStringLiteral("/no/such/folder/x.pdf")));
        QVERIFY(dialog.statusText().startsWith(QStringLiteral("The copy could not be saved: ")));
        QCOMPARE(readFile(pdf), bytes);
    }

    void cancellingTheSaveWritesNothing() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/c.pdf"), "%PDF-c");
        ShareDialog dialog({pdf}, m_appearance, nullptr, fakeDesktop());
        const QStringList before = QDir::temp().entryList(QDir::Files);
        dialog.saveCopy();
        QCOMPARE(QDir::temp().entryList(QDir::Files), before);
        QVERIFY(dialog.statusText().isEmpty());
    }

    void followsTheAppsLookInBothSchemes() {
        const QString file = writeFile(QDir::tempPath() + QStringLiteral("/look.pdf"), "%PDF-look");
        for (const bool light : {true, false}) {
            m_appearance.setLightOverride(light);
            ShareDialog dialog({file}, m_appearance, nullptr, fakeDesktop());
            dialog.show();
            QVERIFY(QTest::qWaitForWindowExposed(&dialog));
            const QImage shot = dialog.grab().toImage();
            // The page is dark in the dark scheme and light in the light one, corner to corner.
            for (const QPoint at : {QPoint(3, 3), QPoint(shot.width() - 4, shot.height() - 4),
                                    QPoint(shot.width() / 2, shot.height() - 6)}) {
                const qreal lightness = QColor(shot.pixel(at)).lightnessF();
                QVERIFY2(light ? lightness > 0.6 : lightness < 0.4,
                         qPrintable(QStringLiteral("%1 scheme, %2,%3: %4")
                                        .arg(light ? QStringLiteral("light") : QStringLiteral("dark"))
                                        .arg(at.x())
                                        .arg(at.y())
                                        .arg(lightness)));
            }
            // The list of files and the title read in the scheme's ink.
            const auto* title = dialog.findChild<QLabel*>(QStringLiteral("shareDialogTitle"));
            QCOMPARE(title->palette().color(QPalette::WindowText).lightnessF() > 0.5, !light);
            const auto* list = dialog.findChild<QListWidget*>(QStringLiteral("shareDialogFiles"));
            QCOMPARE(list->palette().color(QPalette::Text).lightnessF() > 0.5, !light);
            // The selected file row, as drawn, stays of the scheme: no glaring highlight under
            // light text in the dark.
            const QRect row = list->visualItemRect(list->item(0));
            const QPoint inRow = list->viewport()->mapTo(&dialog, QPoint(row.right() - 4, row.center().y()));
            const qreal rowLightness = QColor(shot.pixel(inRow)).lightnessF();
            QVERIFY2(light ? rowLightness > 0.6 : rowLightness < 0.4,
                     qPrintable(QString::number(rowLightness)));
            // Plain buttons take the scheme's fill, whatever the desktop's palette.
            const auto* open = dialog.button(QStringLiteral("shareOpenButton"));
            QCOMPARE(open->palette().color(QPalette::Button).lightnessF() > 0.5, light);
        }
        m_appearance.setLightOverride(std::nullopt);
    }

    void closeButtonCloses() {
        const QString pdf = writeFile(QDir::tempPath() + QStringLiteral("/d.pdf"), "%PDF-d");
        ShareDialog dialog({pdf}, m_appearance, nullptr, fakeDesktop());
        dialog.open();
        QVERIFY(dialog.isVisible());
        dialog.button(QStringLiteral("shareCloseButton"))->click();
        QVERIFY(!dialog.isVisible());
    }
};

QUILLORA_TEST_MAIN(ShareDialogTest)
#include "test_share_dialog.moc"
