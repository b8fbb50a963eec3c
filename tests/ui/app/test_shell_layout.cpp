#include "app/content_view.h"
#include "app/main_window.h"
#include "app/resume_card_list.h"
#include "app/resume_list_view.h"
#include "app/resume_tip_view.h"
#include "app/services.h"
#include "platform/appearance.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTest>

using namespace quillora;

namespace {

QRect rectIn(const QWidget* widget, const QWidget* window) {
    return QRect(widget->mapTo(window, QPoint(0, 0)), widget->size());
}

QString describe(const QRect& r) {
    return QStringLiteral("(%1,%2 %3x%4)").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height());
}

} // namespace

class ShellLayoutTest : public QObject {
    Q_OBJECT

private slots:
    void nothingOverlapsFromTheMinimumTo2560x1440_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<bool>("pad");
        QTest::addColumn<int>("resumes");
        const QList<QSize> sizes{MainWindow::minimumWindowSize,
                                 {683, 384},
                                 {700, 500},
                                 {1180, 520},
                                 {1180, 780},
                                 {1440, 900},
                                 {2560, 1440}};
        for (const QSize& size : sizes) {
            for (bool pad : {true, false}) {
                for (int resumes : {0, 6}) {
                    const QString name = QStringLiteral("%1x%2 %3 %4")
                                             .arg(size.width())
                                             .arg(size.height())
                                             .arg(pad ? QStringLiteral("sidebar") : QStringLiteral("list"))
                                             .arg(resumes);
                    QTest::newRow(qPrintable(name)) << size << pad << resumes;
                }
            }
        }
    }

    void nothingOverlapsFromTheMinimumTo2560x1440() {
        QFETCH(QSize, size);
        QFETCH(bool, pad);
        QFETCH(int, resumes);
        Services services(std::move(ModelContainer::inMemory()).value());
        services.appearance().setReduceMotionOverride(true);
        for (int i = 0; i < resumes; ++i)
            services.context().insert(test::makeEmptyResume(QStringLiteral("Résumé %1").arg(i)));
        QVERIFY(services.context().save().ok());
        MainWindow window(services, pad ? UserInterfaceIdiom::pad : UserInterfaceIdiom::other);
        window.resize(size);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(window.size(), size);
        QApplication::processEvents();

        const QWidget* central = window.centralWidget();
        const QRect inside = rectIn(central, &window);
        ResumeListView* list = window.contentView()->resumeList();
        const QWidget* header = list->findChild<QWidget*>(QStringLiteral("resumeListLogo"));
        const QRect listRect = rectIn(list->listView(), &window);
        QList<QPair<QString, QRect>> parts;
        if (header->isVisible())
            parts.append({QStringLiteral("header"), rectIn(header, &window)});
        parts.append({QStringLiteral("list"), listRect});
        for (const char* name : {"resumeListHelpButton", "resumeListBackgroundButton", "addResumeButton"}) {
            const auto* button = list->findChild<QAbstractButton*>(QString::fromLatin1(name));
            QVERIFY(button->isVisible());
            parts.append({QString::fromLatin1(name), rectIn(button, &window)});
        }
        // The tip, where one shows: the detail column's (sidebar) or the list's over an empty list.
        ResumeTipView* tip = pad ? window.contentView()->tipView() : list->tipView();
        if (!pad && resumes == 0)
            QVERIFY(tip);
        if (tip) {
            const QRect card = rectIn(tip->card(), &window);
            const QRect dismiss = rectIn(tip->dismissButton(), &window);
            QVERIFY2(inside.contains(card), qPrintable(describe(card) + describe(inside)));
            QVERIFY2(card.contains(dismiss), qPrintable(describe(dismiss) + describe(card)));
            if (!pad) // over the empty list, not over the logo or the bar
                parts.removeAt(parts.indexOf(QPair<QString, QRect>{QStringLiteral("list"), listRect}));
            parts.append({QStringLiteral("tip"), card});
        }

        for (qsizetype i = 0; i < parts.size(); ++i) {
            QVERIFY2(inside.contains(parts.at(i).second),
                     qPrintable(parts.at(i).first + describe(parts.at(i).second) + describe(inside)));
            for (qsizetype j = i + 1; j < parts.size(); ++j) {
                QVERIFY2(!parts.at(i).second.intersects(parts.at(j).second),
                         qPrintable(parts.at(i).first + describe(parts.at(i).second) + QStringLiteral(" / ") +
                                    parts.at(j).first + describe(parts.at(j).second)));
            }
        }
        // At least two cards always fit.
        if (resumes > 0) {
            const int row = list->listView()->sizeHintForRow(0);
            QVERIFY2(list->listView()->viewport()->height() >= 2 * row,
                     qPrintable(QString::number(list->listView()->viewport()->height())));
        }
    }

    void theWindowKeepsItsMinimumSize() {
        Services services(std::move(ModelContainer::inMemory()).value());
        MainWindow window(services);
        window.resize(300, 200);
        QCOMPARE(window.size(), MainWindow::minimumWindowSize);
        QVERIFY(window.minimumSizeHint().width() <= MainWindow::minimumWindowSize.width());
        QVERIFY(window.minimumSizeHint().height() <= MainWindow::minimumWindowSize.height());
    }
};

QUILLORA_TEST_MAIN(ShellLayoutTest)
#include "test_shell_layout.moc"
