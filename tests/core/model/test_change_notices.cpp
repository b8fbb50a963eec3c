#include "model/property_binding.h"
#include "model/resume.h"
#include "store/model_container.h"
#include "support/resume_fixtures.h"
#include "support/test_home.h"

#include <QSignalSpy>
#include <QTest>

using namespace quillora;

namespace {

std::unique_ptr<ModelContainer> memoryStore() {
    auto store = std::move(ModelContainer::inMemory()).value();
    store->mainContext().setAutosaveEnabled(false);
    return store;
}

} // namespace

class ChangeNoticesTest : public QObject {
    Q_OBJECT

private slots:
    void writesOfTheHeldValueAnnounceNothing() {
        auto resume = test::makeFullResume();
        QSignalSpy spy(resume.get(), &Record::propertyChanged);
        resume->setTitle(resume->title());
        resume->setTitleSummary(resume->titleSummary());
        resume->setIncludeSkills(resume->includeSkills());
        resume->setTemplateID(resume->templateID());
        resume->setAppliedSkills(resume->appliedSkills());
        resume->setLastEdited(resume->lastEdited());
        resume->setAtsInsertedKeywords(resume->atsInsertedKeywords());
        resume->setExperienceItems(resume->experienceItems());
        auto item = resume->portfolioItems().first();
        QSignalSpy itemSpy(item.get(), &Record::propertyChanged);
        item->setImageData(item->imageData());
        item->setCaption(item->caption());
        QCOMPARE(spy.count(), 0);
        QCOMPARE(itemSpy.count(), 0);

        // An absent optional and an empty text are different values.
        QCOMPARE(resume->titleEducation(), std::optional<QString>(QString()));
        resume->setTitleEducation(QString());
        QCOMPARE(spy.count(), 0);
        resume->setTitleEducation(std::nullopt);
        QCOMPARE(spy.count(), 1);
        resume->setTitleEducation(QString());
        QCOMPARE(spy.count(), 2);
        item->setImageData(std::nullopt);
        QCOMPARE(itemSpy.count(), 1);
    }

    void theContextAnnouncesResumeAndEntryChanges() {
        auto store = memoryStore();
        ModelContext& context = store->mainContext();
        auto resume = test::makeFullResume();
        context.insert(resume);
        QSignalSpy resumes(&context, &ModelContext::resumeChanged);
        QSignalSpy entries(&context, &ModelContext::entryChanged);

        // Before the first save, and after it.
        auto job = resume->experienceItems().first();
        job->setRole(QStringLiteral("Principal"));
        QVERIFY(context.save().ok());
        resume->educationItems().first()->setYear(QStringLiteral("2015"));
        resume->setFullName(QStringLiteral("Zoë A."));
        resume->setFullName(QStringLiteral("Zoë A."));
        QCOMPARE(entries.count(), 2);
        QCOMPARE(entries.at(0).at(0).value<Resume*>(), resume.get());
        QCOMPARE(entries.at(0).at(1).value<Record*>(), job.get());
        QCOMPARE(entries.at(0).at(2).toInt(), int(Experience::Role));
        QCOMPARE(entries.at(1).at(2).toInt(), int(Education::Year));
        QCOMPARE(resumes.count(), 1);
        QCOMPARE(resumes.first().at(1).value<Resume::Property>(), Resume::FullName);

        // A new entry is announced as soon as its résumé holds it; one it let go is not.
        auto added = std::make_shared<Experience>(QStringLiteral("Intern"), QString(), QString(), QString(),
                                                  QString(), 2);
        resume->setExperienceItems({job, added});
        added->setCompany(QStringLiteral("Initech"));
        QCOMPARE(entries.count(), 3);
        QCOMPARE(entries.last().at(1).value<Record*>(), added.get());
        resume->setExperienceItems({added});
        job->setRole(QStringLiteral("Gone"));
        QCOMPARE(entries.count(), 3);

        // A deleted résumé announces nothing more.
        context.deleteRecord(resume);
        added->setRole(QStringLiteral("After"));
        resume->setSummary(QStringLiteral("After"));
        QCOMPARE(entries.count(), 3);
        QCOMPARE(resumes.count(), 3); // the two list changes above
    }

    void aBindingShowsOtherWritesButNeverEchoesItsOwn() {
        auto resume = test::makeFullResume();
        QObject field;
        QStringList shown;
        auto* binding = new PropertyBinding(resume, Resume::FullName, &field,
                                            [&](const QVariant& value) { shown << value.toString(); });
        QCOMPARE(shown, QStringList{QStringLiteral("Zoë Ångström")});

        binding->write(QStringLiteral("Zoë"));
        QCOMPARE(resume->fullName(), QStringLiteral("Zoë"));
        QCOMPARE(shown.size(), 1); // the field already shows what it wrote

        resume->setFullName(QStringLiteral("Ana"));
        resume->setSummary(QStringLiteral("other property"));
        QCOMPARE(shown, (QStringList{QStringLiteral("Zoë Ångström"), QStringLiteral("Ana")}));

        // The binding ends with its field.
        QPointer<PropertyBinding> guard(binding);
        delete field.children().first();
        QVERIFY(!guard);
        resume->setFullName(QStringLiteral("Bo"));
        QCOMPARE(shown.size(), 2);
    }
};

QUILLORA_TEST_MAIN(ChangeNoticesTest)
#include "test_change_notices.moc"
