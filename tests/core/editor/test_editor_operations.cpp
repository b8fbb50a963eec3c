#include "editor/entry_order.h"
#include "editor/font_catalog.h"
#include "editor/resume_editor_text.h"
#include "editor/resume_save.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QTest>

using namespace quillora;

namespace {

ExperiencePtr entry(const QString& role, qint64 sortOrder = 0) {
    return std::make_shared<Experience>(role, QString(), QString(), QString(), QString(), sortOrder);
}

QStringList roles(const QList<ExperiencePtr>& entries) {
    QStringList out;
    for (const auto& e : entries)
        out << e->role();
    return out;
}

QList<qint64> orders(const QList<ExperiencePtr>& entries) {
    QList<qint64> out;
    for (const auto& e : entries)
        out << e->sortOrder();
    return out;
}

} // namespace

class EditorOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void movesUseTheStableDisplayOrder() {
        // Three new entries share sortOrder 0: the display order is the stored order, and a
        // move must take the entry shown at `from`, not whichever an unstable sort puts there.
        const QList<ExperiencePtr> fresh{entry(QStringLiteral("A")), entry(QStringLiteral("B")),
                                         entry(QStringLiteral("C"))};
        auto moved = movedEntries(fresh, 0, 2);
        QVERIFY(moved);
        QCOMPARE(roles(*moved), (QStringList{QStringLiteral("B"), QStringLiteral("C"), QStringLiteral("A")}));
        QCOMPARE(orders(*moved), (QList<qint64>{0, 1, 2}));

        // After a move a newly added entry (sortOrder 0) sorts right after the first one.
        QList<ExperiencePtr> stored = *moved;
        stored.append(entry(QStringLiteral("D")));
        QCOMPARE(roles(sortedBySortOrder(stored)), (QStringList{QStringLiteral("B"), QStringLiteral("D"),
                                                                QStringLiteral("C"), QStringLiteral("A")}));

        // Onto the lower neighbour swaps; the last position appends.
        QCOMPARE(roles(*movedEntries(stored, 0, 1)), (QStringList{QStringLiteral("D"), QStringLiteral("B"),
                                                                  QStringLiteral("C"), QStringLiteral("A")}));
        QCOMPARE(roles(*movedEntries(stored, 0, 3)), (QStringList{QStringLiteral("B"), QStringLiteral("C"),
                                                                  QStringLiteral("A"), QStringLiteral("D")}));
    }

    void staleOrInvalidPositionsMoveNothing() {
        const QList<ExperiencePtr> entries{entry(QStringLiteral("A"), 5), entry(QStringLiteral("B"), 9)};
        for (const auto& [from, to] : {std::pair{-1, 0}, {2, 0}, {0, 2}, {0, -1}, {7, 1}})
            QVERIFY(!movedEntries(entries, from, to));
        QCOMPARE(orders(entries), (QList<qint64>{5, 9})); // untouched
        QVERIFY(!movedEntries(QList<ExperiencePtr>{}, 0, 0));
    }

    void dropPositionsFollowTheShownList() {
        const auto a = entry(QStringLiteral("A")), b = entry(QStringLiteral("B")),
                   c = entry(QStringLiteral("C"));
        const QList<ExperiencePtr> shown{a, b, c};
        QCOMPARE(dropMovePositions(shown, a, c), std::make_optional(std::pair{0, 2}));
        QVERIFY(!dropMovePositions(shown, ExperiencePtr(), c));            // nothing dragged
        QVERIFY(!dropMovePositions(shown, a, a));                          // its own row
        QVERIFY(!dropMovePositions(shown, entry(QStringLiteral("X")), a)); // not in the list
        QVERIFY(!dropMovePositions(shown, a, entry(QStringLiteral("Y"))));
    }

    void withoutEntryRemovesTheFirstWithThatIdentity() {
        const auto a = entry(QStringLiteral("A")), b = entry(QStringLiteral("B"));
        QCOMPARE(roles(*withoutEntry(QList<ExperiencePtr>{a, b, a}, *a)),
                 (QStringList{QStringLiteral("B"), QStringLiteral("A")}));
        QVERIFY(!withoutEntry(QList<ExperiencePtr>{b}, *a));
    }

    void plainTextOfTheEdgeCases() {
        auto empty = test::makeEmptyResume();
        QCOMPARE(plainTextResume(*empty), QStringLiteral("SKILLS"));

        auto education = test::makeEmptyResume();
        education->setEducationItems({std::make_shared<Education>(
            QStringLiteral("City College"), QStringLiteral("BSc"), QStringLiteral("2019"), 0)});
        QCOMPARE(plainTextResume(*education), QStringLiteral("EDUCATION\nBSc, City College\n2019\n\nSKILLS"));

        auto designer = test::makeEmptyResume();
        designer->setFullName(QStringLiteral("  Ann  "));
        designer->setExperienceItems(
            {std::make_shared<Experience>(QStringLiteral("Designer"), QStringLiteral(" "),
                                          QStringLiteral("2020"), QString(), QString(), 0),
             entry(QString())});
        designer->setIncludeSkills(true);
        designer->setAppliedSkills({QStringLiteral("  Figma"), QString(), QStringLiteral("Sketch")});
        QCOMPARE(plainTextResume(*designer),
                 QStringLiteral("Ann\n\nEXPERIENCE\nDesigner\n2020\n\n\nSKILLS\nFigma, Sketch"));

        auto full = test::makeFullResume(); // entries stored out of sortOrder
        QVERIFY(plainTextResume(*full).startsWith(QStringLiteral(
            "Zoë Ångström\nzoe@example.com\n+1 555 0100\n\nEXPERIENCE\nDesigner \u2014 Globex\n")));
    }

    void uploadReadinessList() {
        auto resume = test::makeEmptyResume(QStringLiteral("  "));
        QCOMPARE(
            missingMorvessaRequirements(*resume),
            (QStringList{QStringLiteral("Resume title"), QStringLiteral("Full name"),
                         QStringLiteral("Contact information"), QStringLiteral("Professional summary"),
                         QStringLiteral("At least one experience entry with role, company, and details")}));
        resume->setExperienceItems({std::make_shared<Experience>(
            QStringLiteral("R"), QStringLiteral("C"), QString(), QString(), QStringLiteral(" \n"), 0)});
        QVERIFY(missingMorvessaRequirements(*resume).contains(
            QStringLiteral("At least one experience entry with role, company, and details")));
        QVERIFY(missingMorvessaRequirements(*test::makeFullResume()).isEmpty());
        QVERIFY(!isSharedToMorvessa(*resume));
        resume->setMorvessaRecordName(QString());
        QVERIFY(isSharedToMorvessa(*resume));
    }

    void saveStampsLogsAndKeepsFailuresPending() {
        auto container = ModelContainer::inMemory();
        QVERIFY(container);
        ModelContext& context = (*container)->mainContext();
        context.setAutosaveEnabled(false);
        auto resume = test::makeFullResume();
        resume->portfolioItems().first()->setCaption(QStringLiteral("Say \"hi\"\\\nnow"));
        context.insert(resume);
        const QDateTime now(QDate(2026, 1, 2), QTime(3, 4, 5), Qt::UTC);
        {
            test::StdoutCapture capture;
            saveResume(*resume, context, now);
            QCOMPARE(
                capture.lines(),
                (QStringList{QStringLiteral("[Portfolio DEBUG] attempting save; items=2; captions=[\"Say "
                                            "\\\"hi\\\"\\\\\\nnow\", \"Sketch\"]"),
                             QStringLiteral("[Portfolio DEBUG] save succeeded")}));
        }
        QCOMPARE(resume->lastEdited(), now);
        QVERIFY(!context.hasChanges());

        auto empty = test::makeEmptyResume();
        context.insert(empty);
        test::StdoutCapture capture;
        saveResume(*empty, context, now);
        QCOMPARE(capture.lines().first(),
                 QStringLiteral("[Portfolio DEBUG] attempting save; items=0; captions=[]"));
    }

    void fontTable() {
        const auto& fonts = fontPickerFonts();
        QCOMPARE(fonts.size(), 25);
        QCOMPARE(fonts.at(8).label, QStringLiteral("Helvetica Neue"));
        QCOMPARE(fonts.at(6).fontName, QStringLiteral("EBGaramond12-Regular"));
        QCOMPARE(fontOptionIdentifier(QStringLiteral("Helvetica Neue")),
                 QStringLiteral("fontOptionHelveticaNeue"));
        QCOMPARE(fontOptionIdentifier(QStringLiteral("Oswald-Light")),
                 QStringLiteral("fontOptionOswald-Light"));
        QSet<QString> labels;
        for (const auto& f : fonts)
            labels.insert(f.label);
        QCOMPARE(labels.size(), 25);
    }
};

QUILLORA_TEST_MAIN(EditorOperationsTest)
#include "test_editor_operations.moc"
