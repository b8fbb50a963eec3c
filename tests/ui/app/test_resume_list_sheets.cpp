// The list's sheets as they are shown: the cover-letter sheet, the background picker sheet and
// the key prompt.
#include "ai/cover_letter_generator_view.h"
#include "app/openai_key_prompt.h"
#include "app/resume_list_view.h"
#include "app/services.h"
#include "controls/gradient_picker.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"
#include "theme/themed_background.h"

#include <QDialog>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

#include <algorithm>

using namespace quillora;

namespace {

std::unique_ptr<ModelContainer> openStore() {
    const QString path = QDir::tempPath() + QStringLiteral("/sheets/default.store");
    QDir().mkpath(QFileInfo(path).absolutePath());
    auto container = ModelContainer::open(path);
    if (!container)
        qFatal("open failed: %s", qPrintable(container.error()));
    container.value()->mainContext().setAutosaveEnabled(false);
    return std::move(container).value();
}

// A key as long as the service's project keys.
const QString longKey =
    QStringLiteral("sk-proj-") + QString(156, QLatin1Char('x')).replace(7, 5, QStringLiteral("ZqR8T"));

bool whollyInside(const QWidget* widget, const QWidget* window) {
    const QRect area(widget->mapTo(window, QPoint(0, 0)), widget->size());
    return widget->isVisible() && window->rect().contains(area);
}

} // namespace

class ResumeListSheetsTest final : public QObject {
    Q_OBJECT

private slots:
    void coverLetterSheetWithoutResume() {
        Services services(openStore());
        ResumeListView list(services, UserInterfaceIdiom::other);
        QStringList texts;
        bool generator = true;
        list.setModalRunner([&](QDialog& sheet) {
            sheet.show();
            [&] { QVERIFY(QTest::qWaitForWindowExposed(&sheet)); }();
            generator = sheet.findChild<CoverLetterGeneratorView*>() != nullptr;
            for (const char* name : {"coverLetterNoResumeTitle", "coverLetterNoResumeMessage"}) {
                if (auto* label = sheet.findChild<QLabel*>(QString::fromLatin1(name));
                    label && label->isVisible())
                    texts << label->text();
            }
            auto* icon = sheet.findChild<QLabel*>(QStringLiteral("coverLetterNoResumeIcon"));
            if (icon && !icon->pixmap().isNull())
                texts << QStringLiteral("icon");
            return int(QDialog::Rejected);
        });
        const QStringList lines = test::printedBy([&] { list.openCoverLetterGenerator(); });
        QVERIFY(!generator);
        QCOMPARE(texts,
                 (QStringList{QStringLiteral("No résumé available"),
                              QStringLiteral("Please create a résumé before generating a cover letter."),
                              QStringLiteral("icon")}));
        // (QtTest's own warnings share standard output.)
        QCOMPARE(lines.filter(QStringLiteral("CoverLetterGenerator opened")),
                 QStringList{QStringLiteral("🚨 CoverLetterGenerator opened with NO resumes")});
    }

    void coverLetterSheetOpensForTheNewestResume() {
        Services services(openStore());
        auto older =
            test::makeEmptyResume(QStringLiteral("Older"), QDateTime::currentDateTimeUtc().addDays(-2));
        auto newer =
            test::makeEmptyResume(QStringLiteral("Newest CV"), QDateTime::currentDateTimeUtc().addSecs(-60));
        services.context().insert(older);
        services.context().insert(newer);
        QVERIFY(services.context().save().ok());
        ResumeListView list(services, UserInterfaceIdiom::other);
        QStringList seen;
        bool note = true;
        int shown = 0;
        list.setModalRunner([&](QDialog& sheet) {
            seen << sheet.objectName();
            note = sheet.findChild<QLabel*>(QStringLiteral("coverLetterNoResumeTitle")) != nullptr;
            if (sheet.findChild<CoverLetterGeneratorView*>()) {
                sheet.show();
                [&] { QVERIFY(QTest::qWaitForWindowExposed(&sheet)); }();
                ++shown;
            }
            return int(QDialog::Rejected);
        });
        const QStringList lines = test::printedBy([&] { list.openCoverLetterGenerator(); });
        QCOMPARE(seen, QStringList{QStringLiteral("coverLetterGeneratorSheet")});
        QVERIFY(!note);
        QCOMPARE(shown, 1);
        QCOMPARE(lines.filter(QStringLiteral("CoverLetterGenerator opened")),
                 QStringList{QStringLiteral("🟢 CoverLetterGenerator opened with resume: Newest CV")});
    }

    void backgroundPickerSheetShowsTheThemeBehindTheRow() {
        Services services(openStore());
        ResumeListView list(services, UserInterfaceIdiom::other);
        list.resize(1024, 640);
        QDialog* seen = nullptr;
        list.setModalRunner([&](QDialog& sheet) {
            seen = &sheet;
            sheet.show();
            [&] { QVERIFY(QTest::qWaitForWindowExposed(&sheet)); }();
            auto* picker = qobject_cast<QuilloraGradientPicker*>(&sheet);
            [&] {
                QVERIFY(picker);
                QCOMPARE(sheet.height(), 250);
                QCOMPARE(sheet.minimumHeight(), 250);
                QCOMPARE(sheet.maximumHeight(), 250);
                auto* background = qobject_cast<ThemedBackground*>(picker->backdrop());
                QVERIFY(background);
                QCOMPARE(background->parentWidget(), &sheet);
                QCOMPARE(background->geometry(), sheet.rect());
                QCOMPARE(sheet.children().indexOf(background), 0); // behind everything else
                // Cards and badges stay whole in the one height, also in a wide sheet.
                for (int width : {720, 1600}) {
                    sheet.resize(width, sheet.height());
                    QApplication::processEvents();
                    QCOMPARE(background->geometry(), sheet.rect());
                    GradientSwatchButton* swatch = picker->swatches().first();
                    const QRect area(swatch->mapTo(&sheet, QPoint(0, 0)), swatch->size());
                    QVERIFY2(area.top() >= 0 && area.bottom() < sheet.height(),
                             qPrintable(QStringLiteral("width %1: swatch %2..%3")
                                            .arg(width)
                                            .arg(area.top())
                                            .arg(area.bottom())));
                    QVERIFY(swatch->height() >= swatch->sizeHint().height());
                }
            }();
            return int(QDialog::Rejected);
        });
        list.openBackgroundPicker();
        QVERIFY(seen);
    }

    void keyPromptIsOnePlainLineWithSaveFirstAndFitsSmallAndLargeWindows() {
        for (const QSize window : {QSize(640, 360), QSize(2560, 1440)}) {
            QWidget host;
            host.resize(window);
            OpenAIKeyPrompt prompt(longKey, &host);
            prompt.show();
            QVERIFY(QTest::qWaitForWindowExposed(&prompt));
            QLineEdit* field = prompt.field();
            QCOMPARE(field->objectName(), QStringLiteral("openAIKeyField"));
            QCOMPARE(field->text(), longKey);
            QCOMPARE(field->placeholderText(), QStringLiteral("sk-..."));
            QCOMPARE(field->echoMode(), QLineEdit::Normal);
            QVERIFY(prompt.width() <= window.width());
            QVERIFY(prompt.height() <= window.height());
            // The width follows the window within its limits; the key scrolls inside one line.
            QCOMPARE(field->width() + prompt.layout()->contentsMargins().left() +
                         prompt.layout()->contentsMargins().right(),
                     std::clamp(window.width() - 2 * OpenAIKeyPrompt::windowMargin,
                                OpenAIKeyPrompt::minimumWidth, OpenAIKeyPrompt::maximumWidth));
            QVERIFY(field->fontMetrics().horizontalAdvance(longKey) > field->width());
            QVERIFY(whollyInside(field, &prompt));
            // Save, then Cancel, both whole.
            auto* save = prompt.findChild<QPushButton*>(QStringLiteral("openAIKeySaveButton"));
            auto* cancel = prompt.findChild<QPushButton*>(QStringLiteral("openAIKeyCancelButton"));
            QVERIFY(whollyInside(save, &prompt));
            QVERIFY(whollyInside(cancel, &prompt));
            QCOMPARE(save->text(), QStringLiteral("Save"));
            QCOMPARE(cancel->text(), QStringLiteral("Cancel"));
            QVERIFY(save->x() + save->width() <= cancel->x());
            QVERIFY(save->width() >= save->sizeHint().width());
            QVERIFY(cancel->width() >= cancel->sizeHint().width());
        }
    }

    void returnInTheKeyFieldSaves() {
        QWidget host;
        host.resize(800, 600);
        OpenAIKeyPrompt prompt(QString(), &host);
        prompt.show();
        QVERIFY(QTest::qWaitForWindowExposed(&prompt));
        QLineEdit* field = prompt.field();
        field->setFocus();
        QTest::keyClicks(field, QStringLiteral("sk-typed"));
        QCOMPARE(field->text(), QStringLiteral("sk-typed"));
        QTest::keyClick(field, Qt::Key_Return);
        QCOMPARE(prompt.result(), int(QDialog::Accepted));
        QCOMPARE(field->text(), QStringLiteral("sk-typed"));
    }
};

QUILLORA_TEST_MAIN(ResumeListSheetsTest)
#include "test_resume_list_sheets.moc"
