#include "model/resume.h"
#include "output/apertium_translation_engine.h"
#include "output/plain_text_resume.h"
#include "output/resume_titles.h"
#include "output/resume_translation.h"
#include "output/translation_languages.h"
#include "store/model_container.h"
#include "support/fake_translation_engine.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

using namespace quillora;
using quillora::test::FakeTranslationEngine;

namespace {

ExperiencePtr experience(const QString& tag) {
    return std::make_shared<Experience>(tag + QStringLiteral(" role"), tag + QStringLiteral(" company"),
                                        tag + QStringLiteral(" start"), tag + QStringLiteral(" end"),
                                        tag + QStringLiteral(" details"), 0);
}

EducationPtr education(const QString& tag) {
    return std::make_shared<Education>(tag + QStringLiteral(" school"), tag + QStringLiteral(" degree"),
                                       tag + QStringLiteral(" year"), 0);
}

// A résumé in a store, with three experience entries (held in the order C, A, B whatever their
// sortOrder) and two education entries.
struct StoredResume {
    std::unique_ptr<ModelContainer> container;
    ResumePtr resume;
};

StoredResume storedResume(bool coverLetter) {
    StoredResume s;
    s.container = std::move(ModelContainer::inMemory()).value();
    s.container->mainContext().setAutosaveEnabled(false);
    s.resume = quillora::test::makeEmptyResume(QStringLiteral("Job title stays"));
    s.resume->setFullName(QStringLiteral("Jane Doe"));
    s.resume->setContactInfo(QStringLiteral("jane@example.com"));
    s.resume->setSummary(QStringLiteral("Engineer."));
    s.resume->setTitleExperience(QStringLiteral("Work"));
    auto c = experience(QStringLiteral("C"));
    c->setSortOrder(2);
    s.resume->setExperienceItems({c, experience(QStringLiteral("A")), experience(QStringLiteral("B"))});
    s.resume->setEducationItems({education(QStringLiteral("X")), education(QStringLiteral("Y"))});
    s.resume->setAppliedSkills({QStringLiteral("Go")});
    s.resume->setIncludeCoverLetter(coverLetter);
    s.resume->setCoverLetterText(QStringLiteral("Dear team"));
    s.resume->setCoverLetterJobPosting(QStringLiteral("Posting"));
    s.resume->setCoverLetterAIContext(QStringLiteral("AI context stays"));
    s.container->mainContext().insert(s.resume);
    [&] { QVERIFY(s.container->mainContext().save().ok()); }();
    return s;
}

QStringList expectedOrder(bool coverLetter) {
    QStringList order = {QStringLiteral("Jane Doe"),  QStringLiteral("jane@example.com"),
                         QStringLiteral("Engineer."), QStringLiteral("Summary"),
                         QStringLiteral("Work"),      QStringLiteral("Education")};
    for (const QString& tag : {u"C"_qs, u"A"_qs, u"B"_qs}) {
        for (const QString& field : {u" role"_qs, u" company"_qs, u" start"_qs, u" end"_qs, u" details"_qs})
            order.append(tag + field);
    }
    for (const QString& tag : {u"X"_qs, u"Y"_qs}) {
        for (const QString& field : {u" school"_qs, u" degree"_qs, u" year"_qs})
            order.append(tag + field);
    }
    if (coverLetter)
        order << QStringLiteral("Posting") << QStringLiteral("Dear team");
    return order;
}

// Runs to the end and returns the outcome.
ResumeTranslationRun::Outcome runToEnd(ResumeTranslationRun& run) {
    QSignalSpy finished(&run, &ResumeTranslationRun::finished);
    run.start();
    if (!finished.wait(20000))
        return ResumeTranslationRun::Outcome::dropped;
    return finished.first().first().value<ResumeTranslationRun::Outcome>();
}

} // namespace

class TranslationTest final : public QObject {
    Q_OBJECT

private slots:
    void fullRunSendsEveryFieldInOrderAndWritesItBack() {
        for (const bool coverLetter : {true, false}) {
            StoredResume s = storedResume(coverLetter);
            FakeTranslationEngine engine;
            ResumeTitles titles;
            titles.syncFrom(*s.resume);
            QSignalSpy saves(&s.container->mainContext(), &ModelContext::didSave);
            ResumeTranslationRun run(s.resume, engine.makeSession(QStringLiteral("en"), QStringLiteral("es")),
                                     &titles);
            QCOMPARE(runToEnd(run), ResumeTranslationRun::Outcome::translated);

            QCOMPARE(engine.requests(), expectedOrder(coverLetter));
            QCOMPARE(engine.requests().size(), ResumeTranslationRun::requestCount(*s.resume));
            QCOMPARE(engine.sessionCount(), 1);
            QCOMPARE(saves.count(), 1);
            QVERIFY(!s.container->mainContext().hasChanges());

            const auto es = [](const QString& text) {
                return FakeTranslationEngine::translated(u"es"_qs, text);
            };
            const Resume& r = *s.resume;
            QCOMPARE(r.fullName(), es(u"Jane Doe"_qs));
            QCOMPARE(r.contactInfo(), es(u"jane@example.com"_qs));
            QCOMPARE(r.summary(), es(u"Engineer."_qs));
            // An unset title is sent as its default word and holds the translation afterwards.
            QCOMPARE(r.titleSummary(), std::optional(es(u"Summary"_qs)));
            QCOMPARE(r.titleExperience(), std::optional(es(u"Work"_qs)));
            QCOMPARE(r.titleEducation(), std::optional(es(u"Education"_qs)));
            QCOMPARE(titles.summary(), es(u"Summary"_qs));
            QCOMPARE(titles.experience(), es(u"Work"_qs));
            QCOMPARE(titles.education(), es(u"Education"_qs));
            QCOMPARE(r.experienceItems().first()->details(), es(u"C details"_qs));
            QCOMPARE(r.experienceItems().last()->endDate(), es(u"B end"_qs));
            QCOMPARE(r.educationItems().last()->year(), es(u"Y year"_qs));
            QCOMPARE(r.coverLetterText(), coverLetter ? es(u"Dear team"_qs) : u"Dear team"_qs);
            QCOMPARE(r.coverLetterJobPosting(), coverLetter ? es(u"Posting"_qs) : u"Posting"_qs);
            // Never translated.
            QCOMPARE(r.title(), u"Job title stays"_qs);
            QCOMPARE(r.appliedSkills(), QStringList{u"Go"_qs});
            QCOMPARE(r.coverLetterAIContext(), u"AI context stays"_qs);
        }
    }

    void emptyResumeSendsSixRequestsAndEmptyTextsToo() {
        auto resume = quillora::test::makeEmptyResume();
        resume->setIncludeCoverLetter(true);
        FakeTranslationEngine engine;
        ResumeTranslationRun run(resume, engine.makeSession(u"en"_qs, u"fr"_qs), nullptr);
        QCOMPARE(runToEnd(run), ResumeTranslationRun::Outcome::translated);
        QCOMPARE(engine.requests(), (QStringList{QString(), QString(), QString(), u"Summary"_qs,
                                                 u"Experience"_qs, u"Education"_qs, QString(), QString()}));
    }

    void failureAtRequestNLeavesEarlierFieldsTranslatedAndSavesNothing() {
        StoredResume s = storedResume(true);
        FakeTranslationEngine engine;
        // Request 19 is the third experience entry's company... counted: 6 + 5 + 5 = 16 before
        // the third entry, whose role is 17, company 18, start 19.
        engine.failAtRequest(19);
        ResumeTitles titles;
        titles.syncFrom(*s.resume);
        QSignalSpy saves(&s.container->mainContext(), &ModelContext::didSave);
        ResumeTranslationRun run(s.resume, engine.makeSession(u"en"_qs, u"de"_qs), &titles);
        QSignalSpy finished(&run, &ResumeTranslationRun::finished);
        const QStringList lines = quillora::test::printedBy([&] {
            run.start();
            finished.wait(20000);
        });
        QCOMPARE(finished.count(), 1);
        QCOMPARE(finished.first().at(0).value<ResumeTranslationRun::Outcome>(),
                 ResumeTranslationRun::Outcome::failed);
        QCOMPARE(finished.first().at(1).toString(), FakeTranslationEngine::failureText());
        QVERIFY(lines.contains(u"❌ Translation failed: "_qs + FakeTranslationEngine::failureText()));
        QCOMPARE(engine.requests().size(), 19);
        QCOMPARE(saves.count(), 0);

        const auto de = [](const QString& text) { return FakeTranslationEngine::translated(u"de"_qs, text); };
        const auto entries = s.resume->experienceItems();
        QCOMPARE(s.resume->fullName(), de(u"Jane Doe"_qs));
        QCOMPARE(titles.education(), de(u"Education"_qs));
        QCOMPARE(entries.at(1)->details(), de(u"A details"_qs));
        QCOMPARE(entries.at(2)->company(), de(u"B company"_qs));
        QCOMPARE(entries.at(2)->startDate(), u"B start"_qs);
        QCOMPARE(s.resume->educationItems().first()->school(), u"X school"_qs);
        QCOMPARE(s.resume->coverLetterText(), u"Dear team"_qs);
        // The translated fields wait in the context for its next save.
        QVERIFY(s.container->mainContext().hasChanges());
    }

    void failureBeforeTheTitlesLeavesTheHeadingsAlone() {
        StoredResume s = storedResume(false);
        FakeTranslationEngine engine;
        engine.failAtRequest(1);
        ResumeTitles titles;
        titles.syncFrom(*s.resume);
        ResumeTranslationRun run(s.resume, engine.makeSession(u"en"_qs, u"fr"_qs), &titles);
        QCOMPARE(runToEnd(run), ResumeTranslationRun::Outcome::failed);
        QCOMPARE(s.resume->fullName(), u"Jane Doe"_qs);
        QCOMPARE(titles.experience(), u"Work"_qs);
        QCOMPARE(engine.requests().size(), 1);
    }

    void anEditMadeWhileItsFieldIsOutIsKept() {
        StoredResume s = storedResume(false);
        FakeTranslationEngine engine;
        engine.setHoldAnswers(true);
        ResumeTranslationRun run(s.resume, engine.makeSession(u"en"_qs, u"es"_qs), nullptr);
        QSignalSpy finished(&run, &ResumeTranslationRun::finished);
        run.start();
        QTRY_COMPARE(engine.heldCount(), 1);
        s.resume->setFullName(u"Jane Q. Doe"_qs);
        engine.release();
        QTRY_COMPARE(engine.heldCount(), 1);
        QCOMPARE(s.resume->fullName(), u"Jane Q. Doe"_qs);
        engine.setHoldAnswers(false);
        engine.release();
        QVERIFY(finished.wait(20000));
        QCOMPARE(s.resume->contactInfo(),
                 FakeTranslationEngine::translated(u"es"_qs, u"jane@example.com"_qs));
    }

    void aStoppedRunWritesNothingMore() {
        StoredResume s = storedResume(false);
        FakeTranslationEngine engine;
        engine.setHoldAnswers(true);
        auto run =
            std::make_unique<ResumeTranslationRun>(s.resume, engine.makeSession(u"en"_qs, u"es"_qs), nullptr);
        run->start();
        QTRY_COMPARE(engine.heldCount(), 1);
        engine.release();
        QTRY_COMPARE(engine.heldCount(), 1);
        run.reset();
        engine.release();
        QTest::qWait(50);
        QCOMPARE(s.resume->fullName(), FakeTranslationEngine::translated(u"es"_qs, u"Jane Doe"_qs));
        QCOMPARE(s.resume->contactInfo(), u"jane@example.com"_qs);
        QCOMPARE(engine.requests().size(), 2);
    }

    void aDeletedResumeIsDropped() {
        StoredResume s = storedResume(false);
        FakeTranslationEngine engine;
        engine.setHoldAnswers(true);
        ResumeTranslationRun run(s.resume, engine.makeSession(u"en"_qs, u"es"_qs), nullptr);
        QSignalSpy finished(&run, &ResumeTranslationRun::finished);
        run.start();
        QTRY_COMPARE(engine.heldCount(), 1);
        s.container->mainContext().deleteRecord(s.resume);
        QVERIFY(s.container->mainContext().save().ok());
        engine.release();
        QTRY_COMPARE(finished.count(), 1);
        QCOMPARE(finished.first().first().value<ResumeTranslationRun::Outcome>(),
                 ResumeTranslationRun::Outcome::dropped);
        QCOMPARE(s.resume->fullName(), u"Jane Doe"_qs);
    }

    void plainTextFollowsThePreviewByteForByte() {
        StoredResume s = storedResume(true);
        s.resume->setIncludeSkills(true);
        s.resume->setAppliedSkills({u"Go"_qs, u"SQL"_qs});
        s.resume->experienceItems().at(1)->setStartDate(QString());
        s.resume->experienceItems().at(1)->setEndDate(QString());
        ResumeTitles titles;
        titles.syncFrom(*s.resume);
        const QString expected =
            QStringLiteral("Jane Doe\njane@example.com\n\nSummary\nEngineer.\n\nWork\n"
                           "C role \u2013 C company\nC start \u2013 C end\nC details\n\n"
                           "A role \u2013 A company\n \u2013 \nA details\n\n"
                           "B role \u2013 B company\nB start \u2013 B end\nB details\n\n"
                           "Skills\n\u2022 Go\n\u2022 SQL\n\n"
                           "Education\nX degree, X school \u2014 X year\nY degree, Y school \u2014 Y year\n\n"
                           "Cover Letter\nDear team");
        QCOMPARE(buildPlainTextResume(*s.resume, titles).toUtf8(), expected.toUtf8());

        // Only a name: the name and three line feeds. Skills and a letter that are switched off
        // are left out; a letter of spaces counts.
        auto bare = quillora::test::makeEmptyResume();
        bare->setFullName(u"Ann"_qs);
        bare->setAppliedSkills({u"Go"_qs});
        bare->setCoverLetterText(u"Letter"_qs);
        ResumeTitles defaults;
        QCOMPARE(buildPlainTextResume(*bare, defaults), u"Ann\n\n\n"_qs);
        bare->setIncludeCoverLetter(true);
        bare->setCoverLetterText(u"  "_qs);
        bare->setSummary(u" "_qs);
        QCOMPARE(buildPlainTextResume(*bare, defaults), u"Ann\n\n\nSummary\n \n\nCover Letter\n  "_qs);
    }

    void languagesAndAvailability() {
        const auto first = makeLanguageOptions();
        const auto second = makeLanguageOptions();
        QStringList codes;
        for (const auto& l : first)
            codes << l.code;
        QCOMPARE(codes, (QStringList{u"ar"_qs, u"zh"_qs, u"de"_qs, u"hi"_qs, u"it"_qs, u"ja"_qs, u"pt"_qs,
                                     u"fr"_qs, u"es"_qs}));
        QCOMPARE(first.last().name, u"Spanish"_qs);
        QVERIFY(first.first().id != second.first().id);
        for (const auto& l : first)
            QCOMPARE(l.flag.size(), 4); // two regional indicators, two UTF-16 units each

        FakeTranslationEngine engine;
        engine.setStatus(u"es"_qs, TranslationPairStatus::installed);
        engine.setStatus(u"fr"_qs, TranslationPairStatus::supported);
        const auto map = checkLanguageAvailability(engine, u"en"_qs, first);
        QCOMPARE(map.size(), 9);
        QCOMPARE(engine.statusQueries().first(), std::make_pair(u"en"_qs, u"ar"_qs));
        QVERIFY(isLanguageChoosable(map, u"fr"_qs));
        QVERIFY(!isLanguageChoosable(map, u"de"_qs));
        QVERIFY(isLanguageChoosable({}, u"de"_qs));
        QVERIFY(keepsSelection(map, u"es"_qs));
        QVERIFY(!keepsSelection(map, u"fr"_qs));
        QVERIFY(!keepsSelection({}, u"es"_qs));

        QCOMPARE(translationSourceLanguage(QLocale::c()), u"en"_qs);
        QCOMPARE(translationSourceLanguage(QLocale(u"POSIX"_qs)), u"en"_qs);
        QCOMPARE(translationSourceLanguage(QLocale(u"de_DE"_qs)), u"de"_qs);
        QCOMPARE(translationSourceLanguage(QLocale(u"es_MX"_qs)), u"es"_qs);
    }

    void apertiumStreamFormat() {
        const QString mode =
            u"lt-proc '/d/eng-spa.automorf.bin' | apertium-tagger -g $2 '/d/x.prob' | "
            u"apertium-wblank-attach | lt-proc $1 \"/d/gen bin\" | lt-proc -z -p /d/p.bin"_qs;
        const auto pipeline = parseApertiumMode(mode);
        QVERIFY(pipeline);
        QCOMPARE(*pipeline, (QList<ApertiumStage>{
                                {u"lt-proc"_qs, {u"-z"_qs, u"/d/eng-spa.automorf.bin"_qs}},
                                {u"apertium-tagger"_qs, {u"-z"_qs, u"-g"_qs, u"/d/x.prob"_qs}},
                                {u"lt-proc"_qs, {u"-z"_qs, u"-n"_qs, u"/d/gen bin"_qs}},
                                {u"lt-proc"_qs, {u"-z"_qs, u"-p"_qs, u"/d/p.bin"_qs}},
                            }));
        QVERIFY(!parseApertiumMode(u"lt-proc x > out"_qs));
        QVERIFY(!parseApertiumMode(u"lt-proc 'x"_qs));
        QVERIFY(!parseApertiumMode(QString()));

        QCOMPARE(apertiumRequest(u"C# 5*3 a/b [x] @me\nnext"_qs),
                 QByteArray("C[#] 5[*]3 a\\/b \\[x\\] \\@me[\n]next[]") + '\0');
        // Marks go; escaped and protected characters come back as they were.
        QCOMPARE(apertiumAnswerText(u"Él *goed al #storeses @bien C[#] \\@me 5[*]3[\n]línea[]"_qs,
                                    u"He goed to the storeses well C# @me 5*3\nline"_qs),
                 u"Él goed al storeses bien C# @me 5*3\nlínea"_qs);
        // Spacing the pipeline adds is tidied unless the source had it.
        QCOMPARE(apertiumAnswerText(u"Hola Mundo,  soy sénior .[]"_qs, u"Hello world, I am senior."_qs),
                 u"Hola Mundo, soy sénior."_qs);
        QCOMPARE(apertiumAnswerText(u"  a  b ?[]"_qs, u"  a  b ?"_qs), u"  a  b ?"_qs);
        QCOMPARE(apertiumAnswerText(u" Soy uno[\n] Soy dos []"_qs, u"I am one\nI am two"_qs),
                 u"Soy uno\nSoy dos"_qs);

        QCOMPARE(apertiumLanguageCode(u"es"_qs), u"spa"_qs);
        QCOMPARE(apertiumLanguageCode(u"zh"_qs), u"zho"_qs);
        QVERIFY(debianPackagesApertiumPair(u"es"_qs, u"fr"_qs));
        QVERIFY(!debianPackagesApertiumPair(u"en"_qs, u"ja"_qs));
    }

    void apertiumPairStatus() {
        QTemporaryDir modes;
        QFile file(modes.filePath(u"eng-spa.mode"_qs));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("cat");
        file.close();
        QFile broken(modes.filePath(u"eng-cat.mode"_qs));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no-such-apertium-program x");
        broken.close();
        ApertiumTranslationEngine engine(modes.path());
        QCOMPARE(engine.pairStatus(u"en"_qs, u"es"_qs), TranslationPairStatus::installed);
        // A mode whose programs are missing is not installed; Debian has the pair.
        QCOMPARE(engine.pairStatus(u"en"_qs, u"ca"_qs), TranslationPairStatus::supported);
        QCOMPARE(engine.pairStatus(u"es"_qs, u"en"_qs), TranslationPairStatus::supported);
        QCOMPARE(engine.pairStatus(u"en"_qs, u"ja"_qs), TranslationPairStatus::unsupported);

        // A session for a pair that is not installed fails its requests, later.
        auto session = engine.makeSession(u"en"_qs, u"fr"_qs);
        std::optional<Result<QString>> answer;
        session->translate(u"Hello"_qs, [&](const Result<QString>& r) { answer = r; });
        QVERIFY(!answer);
        QTRY_VERIFY(answer);
        QVERIFY(!answer->ok());

        // A pipeline that stops fails the request in flight instead of leaving it waiting.
        auto stopping = engine.makeSession(u"en"_qs, u"es"_qs);
        answer.reset();
        stopping->translate(u"Hello"_qs, [&](const Result<QString>& r) { answer = r; });
        QTRY_VERIFY(answer);
        QVERIFY(!answer->ok());
        QVERIFY(answer->error().contains(u"cat"_qs));
    }

    void realEnglishToSpanishTranslation() {
        ApertiumTranslationEngine engine;
        QCOMPARE(engine.pairStatus(u"en"_qs, u"es"_qs), TranslationPairStatus::installed);
        auto resume = quillora::test::makeEmptyResume();
        resume->setFullName(u"Jane Doe"_qs);
        resume->setContactInfo(u"jane@example.com | London, UK"_qs);
        resume->setSummary(u"I am a senior software engineer.\nI like C# and Zorblax."_qs);
        resume->setExperienceItems(
            {std::make_shared<Experience>(u"Senior Engineer"_qs, u"Acme"_qs, u"2020"_qs, u"Present"_qs,
                                          u"Managed a team of five developers."_qs, 0)});
        resume->setEducationItems(
            {std::make_shared<Education>(u"University of Oxford"_qs, u"Computer Science"_qs, u"2015"_qs, 0)});
        ResumeTitles titles;
        ResumeTranslationRun run(resume, engine.makeSession(u"en"_qs, u"es"_qs), &titles);
        QCOMPARE(runToEnd(run), ResumeTranslationRun::Outcome::translated);
        QCOMPARE(resume->fullName(), u"Jane Doe"_qs);
        QCOMPARE(resume->contactInfo(), u"jane@example.com | Londres, Reino Unido"_qs);
        QCOMPARE(resume->summary(), u"Soy un ingeniero de software sénior.\nMe gusta C# y Zorblax."_qs);
        QCOMPARE(titles.summary(), u"Resumen"_qs);
        QCOMPARE(titles.experience(), u"Experiencia"_qs);
        QCOMPARE(titles.education(), u"Educación"_qs);
        const auto job = resume->experienceItems().first();
        QCOMPARE(job->role(), u"Ingeniero sénior"_qs);
        QCOMPARE(job->endDate(), u"Presente"_qs);
        QVERIFY(job->details().startsWith(u"Dirigido un equipo de cinco"_qs));
        QCOMPARE(resume->educationItems().first()->school(), u"Universidad de Oxford"_qs);
    }
};

QUILLORA_TEST_MAIN(TranslationTest)
#include "test_translation.moc"
