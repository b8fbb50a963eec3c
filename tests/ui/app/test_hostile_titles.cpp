#include "app/plain_text_labels.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "editor/resume_editor_view.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QMessageBox>
#include <QTest>

using namespace quillora;

namespace {

// Markup that a rich-text label would render: an image read from disk and bold text.
const QString hostileTitle = QStringLiteral("<img src=\"file:///etc/hosts\"><b>bold</b> & <i>CV</i>");

// The labels showing `text`, each with how it renders it.
QList<QLabel*> labelsShowing(const QWidget& root, const QString& text) {
    QList<QLabel*> found;
    for (QLabel* label : root.findChildren<QLabel*>()) {
        if (label->text().contains(text))
            found << label;
    }
    return found;
}

} // namespace

class HostileTitlesTest : public QObject {
    Q_OBJECT

private slots:
    void titlesAreShownAsPlainText() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/titles.conf"));
        ResumePtr resume = test::makeEmptyResume(hostileTitle);
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());

        ResumeEditorView detail(resume, *services);
        const QList<QLabel*> shown = labelsShowing(detail, hostileTitle);
        QCOMPARE(shown.size(), 1);
        QCOMPARE(shown.first()->textFormat(), Qt::PlainText);

        // The delete alert quotes the title.
        ResumeListView list(*services, UserInterfaceIdiom::other);
        QList<Qt::TextFormat> formats;
        list.setModalRunner([&](QDialog& dialog) {
            for (QLabel* label : labelsShowing(dialog, hostileTitle))
                formats << label->textFormat();
            return int(QDialog::Rejected);
        });
        list.requestDeletion(resume);
        QCOMPARE(formats, QList<Qt::TextFormat>{Qt::PlainText});
    }

    void everyLabelOfTheAppIsPlainText() {
        // Any screen's label, however it was made, once the app's guard is in place.
        showLabelsAsPlainText(*qApp);
        QWidget screen;
        auto* label = new QLabel(hostileTitle, &screen);
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Title"), hostileTitle, QMessageBox::Ok,
                        &screen);
        box.setInformativeText(hostileTitle);
        screen.show();
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&screen));
        QCOMPARE(label->textFormat(), Qt::PlainText);
        const QList<QLabel*> inBox = labelsShowing(box, hostileTitle);
        QCOMPARE(inBox.size(), 2);
        for (QLabel* shown : inBox)
            QCOMPARE(shown->textFormat(), Qt::PlainText);
    }
};

QUILLORA_TEST_MAIN(HostileTitlesTest)
#include "test_hostile_titles.moc"
