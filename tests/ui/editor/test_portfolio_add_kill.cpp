#include "app/services.h"
#include "editor/portfolio_card.h"
#include "editor/resume_editor_view.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <csignal>
#include <unistd.h>

using namespace quillora;

namespace {

const QList<QColor> colors{Qt::red, Qt::green, Qt::blue, Qt::yellow, Qt::cyan};

QString storePath() {
    return QDir::tempPath() + QStringLiteral("/killed-portfolio/default.store");
}

} // namespace

class PortfolioAddKillTest : public QObject {
    Q_OBJECT

private slots:
    // Child side: opens the editor on the stored résumé, adds the picked images and kills itself
    // at once after the given save of the add (so what that save wrote is all that survives).
    void addUntilKilled() {
        const QString store = qEnvironmentVariable("QUILLORA_CHILD_STORE");
        if (store.isEmpty())
            QSKIP("runs only as the child of aKillDuringAnAddLeavesTheImagesInOrder");
        const int killAtSave = qEnvironmentVariableIntValue("QUILLORA_KILL_AT_SAVE");
        auto services = quillora::test::openStoreServices(store);
        const ResumePtr resume = services->context().fetchResumes()->first();
        ResumeEditorView editor(resume, *services);
        auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
        QSignalSpy loaded(card, &PortfolioCard::loaded);
        editor.show();
        QVERIFY(loaded.wait(20000));
        int saves = 0;
        connect(&services->context(), &ModelContext::didSave, this, [&] {
            if (++saves == killAtSave)
                ::raise(SIGKILL);
        });
        card->addImageFiles(qEnvironmentVariable("QUILLORA_PICKED").split(QLatin1Char(',')));
        QTest::qWait(120000); // killed long before, however busy the machine
        QFAIL("not killed");
    }

    // An add writes the new images and then their order in two saves; a kill after the first
    // must not leave a new image in front of the old ones.
    void aKillDuringAnAddLeavesTheImagesInOrder() {
        for (int i = 0; i < colors.size(); ++i) {
            QFile file(QDir::tempPath() + QStringLiteral("/image-%1.png").arg(i));
            QVERIFY(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
            file.write(quillora::test::encodedImage(colors.at(i), "PNG", QSize(24, 16)));
        }
        struct Case {
            int stored;     // images already in the portfolio
            int added;      // images picked at once
            int killAtSave; // the save of the add after which the app dies
        };
        for (const Case& run : {Case{2, 1, 1}, Case{3, 1, 1}, Case{2, 2, 1}, Case{2, 2, 2}}) {
            QDir(QFileInfo(storePath()).absolutePath()).removeRecursively();
            QVERIFY(QDir().mkpath(QFileInfo(storePath()).absolutePath()));
            {
                auto services = quillora::test::openStoreServices(storePath());
                auto resume = test::makeEmptyResume(QStringLiteral("Folio"));
                QList<PortfolioItemPtr> items;
                for (int i = 0; i < run.stored; ++i)
                    items << std::make_shared<PortfolioItem>(
                        QUuid::createUuid(), quillora::test::encodedImage(colors.at(i), "PNG", QSize(24, 16)),
                        QStringLiteral("old %1").arg(i), i, PortfolioImageOrientation::portrait);
                resume->setPortfolioItems(items);
                services->context().insert(resume);
                QVERIFY(services->context().save().ok());
            }
            QStringList picked;
            for (int i = run.stored; i < run.stored + run.added; ++i)
                picked << QDir::tempPath() + QStringLiteral("/image-%1.png").arg(i);

            QProcess child;
            QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
            env.insert(QStringLiteral("QUILLORA_CHILD_STORE"), storePath());
            env.insert(QStringLiteral("QUILLORA_KILL_AT_SAVE"), QString::number(run.killAtSave));
            env.insert(QStringLiteral("QUILLORA_PICKED"), picked.join(QLatin1Char(',')));
            child.setProcessEnvironment(env);
            child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("addUntilKilled")});
            QVERIFY(child.waitForStarted());
            QVERIFY(child.waitForFinished(180000));
            QCOMPARE(child.exitStatus(), QProcess::CrashExit);

            // Whatever the kill left: the images in the order they were picked, old ones first.
            auto services = quillora::test::openStoreServices(storePath());
            const ResumePtr resume = services->context().fetchResumes()->first();
            const QList<PortfolioItemPtr> items = sortedBySortOrder(resume->portfolioItems());
            QVERIFY(items.size() > run.stored);
            for (int i = 0; i < items.size(); ++i)
                QVERIFY2(items.at(i)->imageData() ==
                             quillora::test::encodedImage(colors.at(i), "PNG", QSize(24, 16)),
                         qPrintable(QStringLiteral("%1 stored, %2 added, killed after save %3: image %4 is "
                                                   "out of place")
                                        .arg(run.stored)
                                        .arg(run.added)
                                        .arg(run.killAtSave)
                                        .arg(i)));
        }
    }
};

QUILLORA_TEST_MAIN(PortfolioAddKillTest)
#include "test_portfolio_add_kill.moc"
