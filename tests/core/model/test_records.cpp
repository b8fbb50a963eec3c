#include "model/resume.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTest>

using namespace quillora;

class RecordsTest : public QObject {
    Q_OBJECT

private slots:
    void displayTitlesFallBackOnlyWhenAbsent() {
        auto resume = test::makeEmptyResume();
        QCOMPARE(resume->displaySummaryTitle(), QStringLiteral("Summary"));
        QCOMPARE(resume->displayExperienceTitle(), QStringLiteral("Experience"));
        QCOMPARE(resume->displayEducationTitle(), QStringLiteral("Education"));

        resume->setTitleSummary(QString());
        resume->setTitleEducation(QStringLiteral("  "));
        resume->setTitleExperience(QStringLiteral("Work"));
        QCOMPARE(resume->displaySummaryTitle(), QString());
        QCOMPARE(resume->displayEducationTitle(), QStringLiteral("  "));
        QCOMPARE(resume->displayExperienceTitle(), QStringLiteral("Work"));

        const ResumeRepresentable& view = *resume;
        QCOMPARE(view.displayEducationTitle(), QStringLiteral("  "));
        resume->setTitleEducation(std::nullopt);
        QCOMPARE(view.displayEducationTitle(), QStringLiteral("Education"));
    }

    void newResumeReadsBackWhatItWasGiven() {
        auto resume = test::makeEmptyResume(QStringLiteral("T"));
        QVERIFY(resume->experienceItems().isEmpty());
        QVERIFY(resume->experience().isEmpty());
        QVERIFY(!resume->titleSummary());
        QVERIFY(!resume->coverLetterLastGenerated());
        QVERIFY(!resume->atsInsertedKeywords());
        QVERIFY(!resume->morvessaRecordName());
        QCOMPARE(resume->title(), QStringLiteral("T"));

        auto full = test::makeFullResume();
        QCOMPARE(full->atsInsertedKeywords().value(),
                 (QStringList{QStringLiteral("Figma"), QStringLiteral("UX")}));
        QCOMPARE(full->morvessaRecordName().value(), QStringLiteral("REC-42"));
        QCOMPARE(full->titleEducation().value(), QString());
        QCOMPARE(full->templateID(), 7);
    }

    void orientationRawValuesAreExact() {
        QCOMPARE(rawValue(PortfolioImageOrientation::portrait), QStringLiteral("portrait"));
        QCOMPARE(rawValue(PortfolioImageOrientation::landscape), QStringLiteral("landscape"));
        QCOMPARE(allPortfolioImageOrientations().first(), PortfolioImageOrientation::portrait);
        QVERIFY(portfolioImageOrientationFromRawValue(QStringLiteral("landscape")).has_value());
        QVERIFY(!portfolioImageOrientationFromRawValue(QStringLiteral("Portrait")));
        QVERIFY(!portfolioImageOrientationFromRawValue(QStringLiteral("portrait ")));
        QVERIFY(!portfolioImageOrientationFromRawValue(QString()));
    }

    void everyChangeIsAnnouncedOnceAndTouchesNothingElse() {
        auto resume = test::makeFullResume();
        const QDateTime edited = resume->lastEdited();
        QSignalSpy spy(resume.get(), &Resume::changed);
        QSignalSpy generic(resume.get(), &Record::propertyChanged);
        resume->setSummary(QStringLiteral("New"));
        resume->setSummary(QStringLiteral("New")); // the same value: no notice
        resume->setAppliedSkills({QStringLiteral("Go")});
        resume->setExperienceItems({});
        QCOMPARE(spy.count(), 3);
        QCOMPARE(spy.at(0).at(0).value<Resume::Property>(), Resume::Summary);
        QCOMPARE(spy.at(1).at(0).value<Resume::Property>(), Resume::AppliedSkills);
        QCOMPARE(spy.at(2).at(0).value<Resume::Property>(), Resume::ExperienceItems);
        QCOMPARE(generic.count(), 3);
        QCOMPARE(generic.at(0).at(0).toInt(), int(Resume::Summary));
        QCOMPARE(resume->lastEdited(), edited);

        auto item = resume->portfolioItems().first();
        QSignalSpy itemSpy(item.get(), &PortfolioItem::changed);
        item->setOrientation(PortfolioImageOrientation::portrait);
        QCOMPARE(itemSpy.count(), 1);
        QCOMPARE(itemSpy.first().first().value<PortfolioItem::Property>(), PortfolioItem::Orientation);
    }

    void keyedBackingDataMatchesTypedAccess() {
        auto resume = test::makeFullResume();
        QCOMPARE(resume->valueForKey(QStringLiteral("title")).toString(), resume->title());
        resume->setValueForKey(QStringLiteral("fullName"), QStringLiteral("Ana"));
        QCOMPARE(resume->fullName(), QStringLiteral("Ana"));
        QVERIFY(!resume->valueForKey(QStringLiteral("noSuchKey")).isValid());
    }

    void identityIsTheRecordNotItsFields() {
        auto a = std::make_shared<Experience>(QStringLiteral("R"), QStringLiteral("C"), QString(), QString(),
                                              QString(), 0);
        auto b = std::make_shared<Experience>(QStringLiteral("R"), QStringLiteral("C"), QString(), QString(),
                                              QString(), 0);
        QVERIFY(a != b);
        QVERIFY(!(a->persistentModelID() == b->persistentModelID()));
        QVERIFY(a->persistentModelID() == a->persistentModelID());
        QVERIFY(qHash(a->persistentModelID()) != qHash(b->persistentModelID()));
        QVERIFY(a->persistentModelID().isTemporary());
        QVERIFY(a->persistentModelID().description().startsWith(
            QStringLiteral("PersistentIdentifier(Experience/")));
    }

    void stableSortKeepsStoredOrderForTies() {
        auto a = std::make_shared<Education>(QStringLiteral("A"), QString(), QString(), 2);
        auto b = std::make_shared<Education>(QStringLiteral("B"), QString(), QString(), 0);
        auto c = std::make_shared<Education>(QStringLiteral("C"), QString(), QString(), 2);
        auto resume = test::makeEmptyResume();
        resume->setEducationItems({a, b, c});

        // Views keep the stored order; sorting is the reader's job.
        const auto views = resume->education();
        QCOMPARE(views.size(), 3);
        QCOMPARE(views.at(0)->school(), QStringLiteral("A"));
        const auto sorted = sortedBySortOrder(views);
        QCOMPARE(sorted.at(0)->school(), QStringLiteral("B"));
        QCOMPARE(sorted.at(1)->school(), QStringLiteral("A"));
        QCOMPARE(sorted.at(2)->school(), QStringLiteral("C"));

        // A view reads through to its record.
        a->setSchool(QStringLiteral("A2"));
        QCOMPARE(views.at(0)->school(), QStringLiteral("A2"));
    }

    void schemaListsPropertiesInDeclarationOrder() {
        const auto& props = Resume::schemaMetadata();
        QCOMPARE(props.size(), 27);
        QCOMPARE(props.first().name, QStringLiteral("title"));
        QCOMPARE(props.at(4).name, QStringLiteral("experienceItems"));
        QCOMPARE(props.at(22).name, QStringLiteral("lastEdited"));
        QCOMPARE(props.last().name, QStringLiteral("morvessaRecordName"));
        for (const auto& p : props) {
            QVERIFY(!p.defaultValue.isValid());
            QVERIFY(p.attribute.isEmpty());
        }
        const auto& item = PortfolioItem::schemaMetadata();
        QCOMPARE(item.size(), 5);
        QCOMPARE(item.first().attribute, QStringLiteral("unique"));
        QCOMPARE(Experience::schemaMetadata().size(), 6);
        QCOMPARE(Education::schemaMetadata().size(), 4);
    }
};

QUILLORA_TEST_MAIN(RecordsTest)
#include "test_records.moc"
