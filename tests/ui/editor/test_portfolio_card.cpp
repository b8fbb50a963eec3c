#include "app/resume_list_model.h"
#include "app/services.h"
#include "controls/accessibility_traits.h"
#include "controls/layout_move_animation.h"
#include "editor/portfolio_card.h"
#include "editor/resume_editor_view.h"
#include "store/model_container.h"
#include "store/store_location.h"
#include "store/user_backup.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/store_fixtures.h"
#include "support/test_home.h"

#include <QAbstractButton>
#include <QAccessible>
#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QDrag>
#include <QDragEnterEvent>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QParallelAnimationGroup>
#include <QPropertyAnimation>
#include <QSignalSpy>
#include <QTest>

#include <sys/stat.h>

using namespace quillora;

namespace {

template <typename T = QWidget> T* child(const QObject* root, const QString& name) {
    T* found = root->findChild<T*>(name);
    if (!found)
        qWarning("no child named %s", qPrintable(name));
    return found;
}

// Runs a drag as a pointer would: over each cell named, then a drop on the last.
struct DragPath {
    QList<QWidget*> over;
    QString carried = {};

    void operator()(QDrag& drag) {
        carried = drag.mimeData()->text();
        for (QWidget* cell : std::as_const(over)) {
            QDragEnterEvent enter(QPoint(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton,
                                  Qt::NoModifier);
            QCoreApplication::sendEvent(cell, &enter);
        }
        if (!over.isEmpty()) {
            QDropEvent drop(QPointF(5, 5), Qt::MoveAction, drag.mimeData(), Qt::LeftButton, Qt::NoModifier);
            QCoreApplication::sendEvent(over.last(), &drop);
        }
    }
};

void dragCell(QWidget* cell) {
    QTest::mousePress(cell, Qt::LeftButton, {}, QPoint(20, 10));
    QTest::mouseMove(cell, QPoint(20, 40));
    QTest::mouseRelease(cell, Qt::LeftButton, {}, QPoint(20, 40));
}

// Three portrait images, red, green and blue, in that order.
QList<PortfolioItemPtr> threeColouredItems() {
    QList<PortfolioItemPtr> items;
    for (const auto color : {Qt::red, Qt::green, Qt::blue})
        items << std::make_shared<PortfolioItem>(QUuid::createUuid(),
                                                 quillora::test::encodedImage(color, "PNG"), QString(),
                                                 items.size(), PortfolioImageOrientation::portrait);
    return items;
}

QStringList captionsOf(const PortfolioRows& rows) {
    QStringList out;
    for (const auto& row : rows)
        out << row.caption;
    return out;
}

} // namespace

class PortfolioCardTest : public QObject {
    Q_OBJECT

private slots:
    void imagesPickedReorderedCaptionedAndRemovedSurviveARestartAndTheBackup() {
        const QString path = QDir::tempPath() + QStringLiteral("/portfolio.store");
        const QByteArray png = quillora::test::encodedImage(Qt::red, "PNG");
        const QByteArray jpeg = quillora::test::encodedImage(Qt::blue, "JPEG", QSize(80, 120));
        const QByteArray png2 = quillora::test::encodedImage(Qt::green, "PNG", QSize(30, 30));
        const QStringList picked{
            quillora::test::writeTempFile(QStringLiteral("a.png"), png),
            quillora::test::writeTempFile(QStringLiteral("b.jpg"), jpeg),
            quillora::test::writeTempFile(QStringLiteral("notes.txt"), "just some text, no image"),
            quillora::test::writeTempFile(QStringLiteral("c.png"), png2),
            QDir::tempPath() + QStringLiteral("/pipe.png"),
            QDir::tempPath() + QStringLiteral("/zero.jpg")};
        // Picked with the photos: a pipe no one writes to and a link to an endless device.
        QVERIFY(::mkfifo(QFile::encodeName(picked.at(4)).constData(), 0600) == 0);
        QVERIFY(QFile::link(QStringLiteral("/dev/zero"), picked.at(5)));
        {
            auto services = quillora::test::openStoreServices(path);
            auto resume = test::makeEmptyResume(QStringLiteral("Folio"));
            services->context().insert(resume);
            QVERIFY(services->context().save().ok());

            ResumeEditorView editor(resume, *services);
            editor.resize(900, 2400);
            editor.show();
            QVERIFY(QTest::qWaitForWindowExposed(&editor));
            auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
            QVERIFY(card);
            QVERIFY(!card->isReorderSectionShown());

            // The file dialog stands in: it answers with the picked paths at once.
            card->picker()->setFileChooser(
                [picked](QWidget*, std::function<void(const QStringList&)> done) { done(picked); });
            QSignalSpy added(card, &PortfolioCard::imagesAdded);
            QTest::mouseClick(child<QAbstractButton>(&editor, QStringLiteral("addPortfolioImageButton")),
                              Qt::LeftButton);
            QVERIFY(added.wait(20000));
            QCOMPARE(card->pickerItems().size(), 3);
            QCOMPARE(card->pickerItems().at(0).imageData, png); // bytes unchanged
            QCOMPARE(card->pickerItems().at(1).imageData, jpeg);
            QCOMPARE(card->pickerItems().at(2).imageData, png2);
            QCOMPARE(card->skippedFiles(), (QStringList{picked.at(2), picked.at(4), picked.at(5)}));
            QCOMPARE(child<QLabel>(card, QStringLiteral("portfolioSkippedNotice"))->text(),
                     QStringLiteral("3 files were not added: they are not images Quillora can read."));
            QCOMPARE(resume->portfolioItems().size(), 3);
            QVERIFY(card->isReorderSectionShown());

            card->thumbnails().waitForDecodes();
            QCOMPARE(card->picker()->tiles().size(), 3);
            const QUuid a = card->pickerItems().at(0).id;
            const QUuid b = card->pickerItems().at(1).id;
            const QUuid c = card->pickerItems().at(2).id;
            QVERIFY(!card->thumbnails().thumbnail(b).isNull());

            // Drag A over C, drop: B, C, A.
            auto* cellA = child(card, QStringLiteral("portfolioReorderItem") + portfolioIdText(a));
            auto* cellC = child(card, QStringLiteral("portfolioReorderItem") + portfolioIdText(c));
            DragPath drag{{cellC}};
            card->setDragRunner(std::ref(drag));
            dragCell(cellA);
            QCOMPARE(drag.carried, portfolioIdText(a));
            QCOMPARE(card->pickerItems().at(0).id, b);
            QCOMPARE(card->pickerItems().at(1).id, c);
            QCOMPARE(card->pickerItems().at(2).id, a);
            QVERIFY(!card->draggedPortfolioItem());
            QCOMPARE(card->reorderCells().first()->objectName(),
                     QStringLiteral("portfolioReorderItem") + portfolioIdText(b));

            // Captions typed into the fields, an orientation turned.
            card->setCaptionsExpanded(true);
            QTest::keyClicks(
                child<QLineEdit>(card, QStringLiteral("portfolioCaptionField") + portfolioIdText(b)),
                QStringLiteral("Bridge"));
            QTest::keyClicks(
                child<QLineEdit>(card, QStringLiteral("portfolioCaptionField") + portfolioIdText(a)),
                QStringLiteral("Atrium"));
            QTest::mouseClick(
                child<QAbstractButton>(card, QStringLiteral("togglePortfolioOrientationButton") +
                                                 portfolioIdText(a)),
                Qt::LeftButton);
            QCOMPARE(
                child(card, QStringLiteral("portfolioReorderItem") + portfolioIdText(a))->accessibleName(),
                QStringLiteral("Portfolio item 3, Atrium"));
            QCOMPARE(child(card, QStringLiteral("portfolioImage") + portfolioIdText(a))->accessibleName(),
                     QStringLiteral("Portfolio image, Atrium"));
            QCOMPARE(captionsOf(loadPortfolioPickerItems(*resume)),
                     (QStringList{QStringLiteral("Bridge"), QString(), QStringLiteral("Atrium")}));

            // Remove C through its thumbnail's button.
            QTest::mouseClick(child<QAbstractButton>(card, QStringLiteral("removePortfolioImageButton") +
                                                               portfolioIdText(c)),
                              Qt::LeftButton);
            QCOMPARE(captionsOf(card->pickerItems()),
                     (QStringList{QStringLiteral("Bridge"), QStringLiteral("Atrium")}));
            // Leaving the editor saves what it holds.
            editor.hide();
        }
        {
            auto services = quillora::test::openStoreServices(path);
            const ResumePtr resume = services->context().fetchResumes()->first();
            // The editor opened again reads the stored images on a worker, then shows the same order.
            {
                ResumeEditorView editor(resume, *services);
                auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
                QSignalSpy loaded(card, &PortfolioCard::loaded);
                editor.show();
                QVERIFY(card->isLoading());
                QVERIFY(!card->picker()->addButton()->isEnabled());
                card->addImageFiles({QDir::tempPath() + QStringLiteral("/a.png")}); // ignored while loading
                QVERIFY(loaded.wait(20000));
                QVERIFY(!card->isLoading());
                QCOMPARE(captionsOf(card->pickerItems()),
                         (QStringList{QStringLiteral("Bridge"), QStringLiteral("Atrium")}));
                QCOMPARE(card->pickerItems().at(0).imageData, std::optional<QByteArray>(jpeg));
                QCOMPARE(resume->portfolioItems().size(), 2);
            }

            const QList<PortfolioItemPtr> items = sortedBySortOrder(resume->portfolioItems());
            QCOMPARE(items.size(), 2);
            QCOMPARE(items.at(0)->caption(), QStringLiteral("Bridge"));
            QCOMPARE(items.at(0)->imageData(), std::optional<QByteArray>(jpeg));
            QCOMPARE(items.at(0)->orientation(), PortfolioImageOrientation::portrait);
            QCOMPARE(items.at(1)->caption(), QStringLiteral("Atrium"));
            QCOMPARE(items.at(1)->imageData(), std::optional<QByteArray>(png));
            QCOMPARE(items.at(1)->orientation(), PortfolioImageOrientation::landscape);

            writeUserBackup(services->context(), QStringLiteral("background"));
            QFile backup(QDir(backupsDirectoryURL()).filePath(QStringLiteral("latest-resume-backup.json")));
            QVERIFY(backup.open(QIODevice::ReadOnly));
            const QJsonArray portfolio = QJsonDocument::fromJson(backup.readAll())
                                             .object()
                                             .value(u"resumes")
                                             .toArray()
                                             .first()
                                             .toObject()
                                             .value(u"portfolioItems")
                                             .toArray();
            QCOMPARE(portfolio.size(), 2);
            QCOMPARE(portfolio.at(0).toObject().value(u"caption").toString(), QStringLiteral("Bridge"));
            QCOMPARE(QByteArray::fromBase64(
                         portfolio.at(0).toObject().value(u"imageDataBase64").toString().toLatin1()),
                     jpeg);
            QCOMPARE(portfolio.at(1).toObject().value(u"caption").toString(), QStringLiteral("Atrium"));
            QCOMPARE(portfolio.at(1).toObject().value(u"orientation").toString(),
                     QStringLiteral("landscape"));
            QCOMPARE(QByteArray::fromBase64(
                         portfolio.at(1).toObject().value(u"imageDataBase64").toString().toLatin1()),
                     png);
        }
    }

    // Alt with an arrow on a focused grid cell or on a thumbnail's remove button, and the Move
    // actions, move an image one place and save as a drag does; the ends do nothing. Removing a
    // focused image leaves the focus in the row, and a caption set by a screen reader is stored.
    void imagesMoveByKeysAndActionsAndKeepTheFocus() {
        const QString path = QDir::tempPath() + QStringLiteral("/moves.store");
        QFile::remove(path);
        QList<QUuid> ids;
        {
            auto services = quillora::test::openStoreServices(path);
            auto resume = test::makeEmptyResume(QStringLiteral("Moves"));
            const QList<PortfolioItemPtr> items = threeColouredItems();
            for (const auto& item : items)
                ids << item->id();
            resume->setPortfolioItems(items);
            services->context().insert(resume);
            QVERIFY(services->context().save().ok());
            ResumeEditorView editor(resume, *services);
            editor.resize(700, 900);
            editor.show();
            QVERIFY(QTest::qWaitForWindowActive(&editor));
            auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
            QTRY_COMPARE(card->reorderCells().size(), 3);
            card->thumbnails().waitForDecodes();
            QTRY_COMPARE(card->picker()->tiles().size(), 3);
            const auto order = [card] {
                QList<QUuid> out;
                for (const LocalPickerPortfolioItem& row : card->pickerItems())
                    out << row.id;
                return out;
            };
            QSignalSpy saves(&services->context(), &ModelContext::didSave);

            PortfolioReorderCell* first = card->reorderCells().first();
            first->setFocus(Qt::TabFocusReason);
            QTest::keyClick(first, Qt::Key_Left, Qt::AltModifier);
            QTest::keyClick(first, Qt::Key_Up, Qt::AltModifier);
            QCOMPARE(saves.count(), 0);
            QTest::keyClick(first, Qt::Key_Right, Qt::AltModifier);
            QCOMPARE(order(), (QList<QUuid>{ids[1], ids[0], ids[2]}));
            QCOMPARE(saves.count(), 1);
            QVERIFY(first->hasFocus());
            QTest::keyClick(first, Qt::Key_Down, Qt::AltModifier);
            QCOMPARE(order(), (QList<QUuid>{ids[1], ids[2], ids[0]}));

            QAccessibleActionInterface* tile =
                QAccessible::queryAccessibleInterface(card->picker()->tiles().at(2))->actionInterface();
            QCOMPARE(tile->actionNames().mid(0, 2), (QStringList{moveUpAction(), moveDownAction()}));
            tile->doAction(moveDownAction());
            QCOMPARE(saves.count(), 2);
            tile->doAction(moveUpAction());
            QCOMPARE(order(), (QList<QUuid>{ids[1], ids[0], ids[2]}));

            QAbstractButton* remove = card->picker()->tiles().at(2)->removeButton();
            remove->setFocus(Qt::TabFocusReason);
            QTest::keyClick(remove, Qt::Key_Left, Qt::AltModifier);
            QCOMPARE(order(), (QList<QUuid>{ids[1], ids[2], ids[0]}));
            QCOMPARE(saves.count(), 4);
            QVERIFY(remove->hasFocus());

            // The focused image removed: the focus goes to the one now in its place, else the one
            // before it.
            QTest::keyClick(remove, Qt::Key_Space);
            QCOMPARE(order(), (QList<QUuid>{ids[1], ids[0]}));
            QCOMPARE(QApplication::focusWidget(), card->picker()->tiles().at(1)->removeButton());
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Space);
            QCOMPARE(QApplication::focusWidget(), card->picker()->tiles().at(0)->removeButton());

            card->setCaptionsExpanded(true);
            QAccessible::queryAccessibleInterface(
                child<QLineEdit>(card, QStringLiteral("portfolioCaptionField") + portfolioIdText(ids[1])))
                ->setText(QAccessible::Value, QStringLiteral("Said"));
            QCOMPARE(captionsOf(card->pickerItems()), QStringList{QStringLiteral("Said")});
            editor.hide();
        }
        auto reopened = quillora::test::openStoreServices(path);
        const QList<PortfolioItemPtr> stored = reopened->context().fetchResumes()->first()->portfolioItems();
        QCOMPARE(stored.size(), 1);
        QCOMPARE(stored.first()->id(), ids[1]);
        QCOMPARE(stored.first()->caption(), QStringLiteral("Said"));
    }

    void reorderGridCellsSpringToTheirPlaces() {
        // The spring: from rest to rest with a slight overshoot on the way.
        const QEasingCurve spring = springEasingCurve();
        QCOMPARE(spring.valueForProgress(0), 0.0);
        QCOMPARE(spring.valueForProgress(1), 1.0);
        qreal peak = 0;
        for (int i = 0; i <= 100; ++i)
            peak = std::max(peak, spring.valueForProgress(i / 100.0));
        QVERIFY2(peak > 1.005 && peak < 1.05, qPrintable(QString::number(peak)));
        QVERIFY(qAbs(spring.valueForProgress(0.95) - 1) < 0.002);

        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/q.ini"));
        services->context().setAutosaveEnabled(false);
        auto resume = test::makeEmptyResume(QStringLiteral("Grid"));
        const QList<PortfolioItemPtr> items = threeColouredItems();
        resume->setPortfolioItems(items);
        services->context().insert(resume);
        QVERIFY(services->context().save().ok());
        ResumeEditorView editor(resume, *services);
        editor.resize(700, 900);
        editor.show();
        QVERIFY(QTest::qWaitForWindowExposed(&editor));
        auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
        QTRY_COMPARE(card->reorderCells().size(), 3);
        const QParallelAnimationGroup& moves = card->cellMoves().group();

        for (const bool reduceMotion : {false, true}) {
            services->appearance().setReduceMotionOverride(reduceMotion);
            QList<QPoint> places;
            for (PortfolioReorderCell* cell : card->reorderCells())
                places << cell->pos();
            // The first cell dragged over the last: all three change places.
            DragPath drag{{card->reorderCells().last()}};
            card->setDragRunner(std::ref(drag));
            dragCell(card->reorderCells().first());
            if (reduceMotion) {
                QCOMPARE(moves.state(), QAbstractAnimation::Stopped);
            } else {
                QCOMPARE(moves.state(), QAbstractAnimation::Running);
                QCOMPARE(moves.animationCount(), 3);
                for (int i = 0; i < moves.animationCount(); ++i) {
                    auto* slide = qobject_cast<QPropertyAnimation*>(moves.animationAt(i));
                    QCOMPARE(slide->duration(), springDurationMs);
                    QCOMPARE(slide->easingCurve().valueForProgress(0.5), spring.valueForProgress(0.5));
                }
                QTRY_COMPARE(moves.state(), QAbstractAnimation::Stopped);
            }
            // Every cell ends in the place of its new position.
            const auto now = [&] {
                QList<QPoint> out;
                for (PortfolioReorderCell* cell : card->reorderCells())
                    out << cell->pos();
                return out;
            };
            QTRY_COMPARE(now(), places);
        }
        services->appearance().setReduceMotionOverride(std::nullopt);
        editor.setAttribute(Qt::WA_DontShowOnScreen);
    }

    // Opening a résumé only shows it: with or without images nothing is saved or stamped, so it
    // keeps its place in the list. The first caption typed then saves and stamps.
    void cardShowsItsPiecesByCountAndOpeningSavesNothing() {
        auto services = Services::forTesting(QDir::tempPath() + QStringLiteral("/q.ini"));
        services->context().setAutosaveEnabled(false);
        const QDateTime old(QDate(2024, 1, 1), QTime(9, 0), Qt::UTC);
        auto empty = test::makeEmptyResume(QStringLiteral("Empty"), old.addDays(1));
        auto one = test::makeEmptyResume(QStringLiteral("One"), old);
        one->setPortfolioItems({std::make_shared<PortfolioItem>(
            QUuid::createUuid(), quillora::test::encodedImage(Qt::red, "PNG"), QString(), 0,
            PortfolioImageOrientation::portrait)});
        services->context().insert(empty);
        services->context().insert(one);
        QVERIFY(services->context().save().ok());
        ResumeListModel list(services->context());
        QCOMPARE(list.resumeAt(1), one);

        {
            ResumeEditorView editor(empty, *services);
            editor.show();
            auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
            QVERIFY(card->pickerItems().isEmpty());
            QVERIFY(!card->isReorderSectionShown());
            QVERIFY(!card->captionsExpanded());
            QCOMPARE(empty->lastEdited(), old.addDays(1));
            editor.setAttribute(Qt::WA_DontShowOnScreen);
        }
        {
            test::StdoutCapture out;
            ResumeEditorView editor(one, *services);
            editor.show();
            auto* card = qobject_cast<PortfolioCard*>(editor.sectionWidget(EditorSection::portfolio));
            QCOMPARE(card->pickerItems().size(), 1);
            QVERIFY(!card->isReorderSectionShown()); // one image: still no grid
            QCOMPARE(one->lastEdited(), old);
            QCOMPARE(list.resumeAt(1), one);
            QVERIFY(!services->context().hasChanges());
            QVERIFY(!out.lines().join(u'\n').contains(QStringLiteral("save succeeded")));

            card->setCaptionsExpanded(true);
            const QStringList typed = test::printedBy([&] {
                QTest::keyClicks(child<QLineEdit>(card, QStringLiteral("portfolioCaptionField") +
                                                            portfolioIdText(card->pickerItems().at(0).id)),
                                 QStringLiteral("R"));
            });
            QVERIFY(one->lastEdited() > old);
            QCOMPARE(list.resumeAt(0), one);
            QVERIFY(typed.contains(
                QStringLiteral("[Portfolio DEBUG] attempting save; items=1; captions=[\"R\"]")));
            QVERIFY(typed.contains(QStringLiteral("[Portfolio DEBUG] save succeeded")));

            // Bytes that are no image: kept, no thumbnail in the row, grey in the grid.
            PortfolioRows rows = card->pickerItems();
            rows.append({QUuid::createUuid(), QByteArray("not an image"), QString(),
                         PortfolioImageOrientation::portrait});
            card->setPickerItems(rows);
            card->thumbnails().waitForDecodes();
            QCOMPARE(card->picker()->tiles().size(), 1);
            QCOMPARE(card->reorderCells().size(), 2);
            QCOMPARE(card->reorderCells().at(1)->accessibleName(), QStringLiteral("Portfolio item 2"));
            QCOMPARE(card->picker()->tiles().at(0)->accessibleName(), QStringLiteral("Portfolio image, R"));
            QCOMPARE(card->picker()->tiles().at(0)->removeButton()->accessibleName(),
                     QStringLiteral("Remove portfolio image 1"));

            // The orientation button tells its state.
            auto* toggle = child<QAbstractButton>(card, QStringLiteral("togglePortfolioOrientationButton") +
                                                            portfolioIdText(rows.at(0).id));
            QCOMPARE(toggle->accessibleName(), QStringLiteral("Toggle image orientation for image 1"));
            card->togglePortfolioOrientation(0);
            QCOMPARE(card->pickerItems().at(0).orientation, PortfolioImageOrientation::landscape);
            card->togglePortfolioOrientation(0);
            QCOMPARE(card->pickerItems().at(0).orientation, PortfolioImageOrientation::portrait);
            // A position the list no longer has does nothing.
            card->updatePortfolioCaption(7, QStringLiteral("x"));
            card->togglePortfolioOrientation(-1);
            QCOMPARE(card->pickerItems().size(), 2);
        }
    }
};

QUILLORA_TEST_MAIN(PortfolioCardTest)
#include "test_portfolio_card.moc"
