#include "output/share_dialog.h"
#include "platform/appearance.h"
#include "support/test_home.h"

#include <QClipboard>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTest>

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

} // namespace

// The dialog that hands exported files to the desktop, with the desktop stood in.
class ShareDialogTest final : public QObject {
    Q_OBJECT

    Appearance m_appearance;
    QList<QUrl> m_opened;
    bool m_openSucceeds = true;
    QString m_chosen;
    QStringList m_suggested;

    ShareDialog::Desktop fakeDesktop() {
        ShareDialog::Desktop desktop;
        desktop.openUrl = [this](const QUrl& url) {
            m_opened << url;
            return m_openSucceeds;
        };
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
        m_opened.clear();
        m_suggested.clear();
        m_chosen.clear();
        m_openSucceeds = true;
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
        QCOMPARE(m_opened, QList<QUrl>{QUrl::fromLocalFile(pdf)});
        dialog.button(QStringLiteral("shareShowInFolderButton"))->click();
        QCOMPARE(m_opened.last(), QUrl::fromLocalFile(QDir::tempPath()));
        dialog.button(QStringLiteral("shareCopyPathButton"))->click();
        QCOMPARE(QGuiApplication::clipboard()->text(), pdf);

        m_openSucceeds = false;
        dialog.openFile();
        QVERIFY(dialog.statusText().startsWith(QStringLiteral("No application could open")));
        QFile::remove(pdf);
        m_opened.clear();
        dialog.openFile();
        QVERIFY(m_opened.isEmpty());
        QVERIFY(dialog.statusText().contains(QStringLiteral("no longer there")));
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
