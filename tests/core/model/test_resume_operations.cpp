#include "model/resume_operations.h"
#include "support/resume_fixtures.h"
#include "support/stdout_capture.h"
#include "support/test_home.h"

#include <QGuiApplication>
#include <QTest>

using namespace quillora;

namespace {

ExperiencePtr experience(const QString& role, const QString& company, qint64 sortOrder,
                         const QString& start = {}, const QString& end = {}, const QString& details = {}) {
    return std::make_shared<Experience>(role, company, start, end, details, sortOrder);
}

QString textOf(const Resume& resume) {
    QString text;
    (void)test::printedBy([&] { text = formattedResumeText(resume); });
    return text;
}

} // namespace

class ResumeOperationsTest : public QObject {
    Q_OBJECT

private slots:
    void aNewResumeHasTheListsDefaults() {
        const QDateTime before = QDateTime::currentDateTimeUtc();
        const ResumePtr resume = makeNewResume();
        QCOMPARE(resume->title(), QStringLiteral("My Résumé"));
        QCOMPARE(resume->displaySummaryTitle(), QStringLiteral("Summary"));
        QCOMPARE(resume->titleExperience(), std::optional<QString>(QStringLiteral("Experience")));
        QCOMPARE(resume->titleEducation(), std::optional<QString>(QStringLiteral("Education")));
        QCOMPARE(resume->fontName(), QStringLiteral("Helvetica Neue"));
        QVERIFY(resume->fullName().isEmpty() && resume->summary().isEmpty());
        QVERIFY(resume->experienceItems().isEmpty() && resume->portfolioItems().isEmpty());
        QVERIFY(!resume->includeCoverLetter() && !resume->includeSkills() && !resume->includeATSVersion());
        QVERIFY(!resume->atsInsertedKeywords() && !resume->coverLetterLastGenerated());
        QVERIFY(!resume->morvessaRecordName());
        QCOMPARE(resume->templateID(), 0);
        QVERIFY(resume->lastEdited() >= before.addMSecs(-1));
        QCOMPARE(resume->lastEdited().timeSpec(), Qt::UTC);
        QVERIFY(resume->persistentModelID().isTemporary());
    }

    void plainTextOfAFullResume() {
        const ResumePtr resume = test::makeFullResume();
        QString text;
        const QStringList lines = test::printedBy([&] { text = formattedResumeText(*resume); });
        QCOMPARE(lines, QStringList{QStringLiteral(
                            "📄 formattedResumeText CALLED | includeSkills: true | appliedSkills: "
                            "[\"Figma\", \"Research\"]")});
        // The education title is set but empty, so its heading is an empty line.
        QCOMPARE(text, QStringLiteral("Zoë Ångström\n"
                                      "zoe@example.com\n+1 555 0100\n"
                                      "\n"
                                      "PROFILE\n"
                                      "Designer of calm, useful things. 日本語 العربية\n"
                                      "\n"
                                      "WORK\n"
                                      "Designer — Globex\n"
                                      "2015 – 2019\n"
                                      "Drew things.\n"
                                      "\n"
                                      "Lead Designer — Acme / Co\n"
                                      "2019 – Present\n"
                                      "Led a team of 6.\nShipped 3 apps.\n"
                                      "\n"
                                      "Skills\n"
                                      "• Figma\n"
                                      "• Research\n"
                                      "\n"
                                      "\n"
                                      "Université de Montréal, BFA\n"
                                      "2014\n"));
        QCOMPARE(QString::fromUtf16(kEntryHeaderSeparator).toUtf8().size(), 5);
    }

    void plainTextEdgeCases() {
        ResumePtr r = test::makeEmptyResume();
        r->setFullName(QStringLiteral("Jane Doe"));
        r->setContactInfo(QStringLiteral(" \n\t"));
        r->setAppliedSkills({QStringLiteral("Go")}); // skills switched off: left out
        QCOMPARE(textOf(*r), QStringLiteral("Jane Doe\n"));

        r = test::makeEmptyResume();
        r->setContactInfo(QStringLiteral("  mail  "));
        r->setSummary(QStringLiteral(" \u00A0 "));
        r->setTitleSummary(QStringLiteral("About"));
        r->setIncludeSkills(true); // but no applied skills
        QCOMPARE(textOf(*r), QStringLiteral("\n  mail  \n"));

        r = test::makeEmptyResume();
        r->setSummary(QStringLiteral("S"));
        r->setTitleSummary(QStringLiteral("Straße"));
        r->setTitleExperience(QStringLiteral("Work History"));
        r->setExperienceItems(
            {experience(QStringLiteral("  "), QStringLiteral("Globex"), 2, {}, QStringLiteral("2020")),
             experience(QStringLiteral("Lead"), {}, 1), experience({}, {}, 3)});
        r->setEducationItems(
            {std::make_shared<Education>(QString(), QStringLiteral("MSc"), QStringLiteral(" "), 0)});
        QCOMPARE(textOf(*r), QStringLiteral("\n\nSTRASSE\nS\n\n"
                                            "WORK HISTORY\nLead\n\nGlobex\n2020\n\n\n"
                                            "EDUCATION\nMSc\n"));

        r = test::makeEmptyResume();
        r->setTitleExperience(QString());
        r->setExperienceItems({experience(QStringLiteral("Dev"), QStringLiteral("Initech"), 0,
                                          QStringLiteral("2001"), QStringLiteral(" "))});
        QCOMPARE(textOf(*r), QStringLiteral("\n\n\nDev — Initech\n2001\n"));
    }

    void diagnosticLineEscapesSkills() {
        ResumePtr r = test::makeEmptyResume();
        r->setAppliedSkills({QStringLiteral("C\"++\\"), QStringLiteral("a\nb")});
        QCOMPARE(test::printedBy([&] { (void)formattedResumeText(*r); }),
                 QStringList{QStringLiteral("📄 formattedResumeText CALLED | includeSkills: false | "
                                            "appliedSkills: [\"C\\\"++\\\\\", \"a\\nb\"]")});
    }

    void skillPromptIsTheInstructionAndOneBlockPerEntry() {
        ResumePtr r = test::makeEmptyResume();
        const QString instruction = skillExtractionPrompt(*r);
        QCOMPARE(instruction.toUtf8().size(), 1071);
        QVERIFY(instruction.startsWith(
            QStringLiteral("You are an ATS résumé skill extraction engine.\nTASK:\n")));
        QVERIFY(instruction.contains(QStringLiteral("\n  Skill name: short description\n")));
        QVERIFY(instruction.contains(QStringLiteral("\nProfessor – New Media\n")));
        QVERIFY(instruction.endsWith(QStringLiteral("\nBehavior Technician\nEXPERIENCE:\n")));

        r->setExperienceItems(
            {experience(QStringLiteral("C"), QStringLiteral("Co C"), 2, QStringLiteral("2001"), {},
                        QStringLiteral("did\nthings")),
             experience(QStringLiteral("A"), QString(), 0),
             experience(QStringLiteral(" B "), QStringLiteral("Co B"), 1, {}, {}, QStringLiteral("x "))});
        QCOMPARE(skillExtractionPrompt(*r),
                 instruction + QStringLiteral("Role: A\nCompany: \nDetails: \n\n"
                                              "Role:  B \nCompany: Co B\nDetails: x \n\n"
                                              "Role: C\nCompany: Co C\nDetails: did\nthings"));
    }

    void atsSnapshotSharesSortedEntries() {
        ResumePtr r = test::makeFullResume();
        ATSResumeSnapshot snapshot = makeATSResumeSnapshot(*r);
        QCOMPARE(snapshot.fullName, r->fullName());
        QCOMPARE(snapshot.contactInfo, r->contactInfo());
        QCOMPARE(snapshot.summary, r->summary());
        QCOMPARE(snapshot.skills, r->appliedSkills());
        QCOMPARE(snapshot.experience.size(), 2);
        QCOMPARE(snapshot.experience.at(0), r->experienceItems().at(1)); // sortOrder 0 first
        QCOMPARE(snapshot.experience.at(1), r->experienceItems().at(0));
        QCOMPARE(snapshot.education, r->educationItems());
        r->experienceItems().at(1)->setDetails(QStringLiteral("changed later"));
        QCOMPARE(snapshot.experience.at(0)->details(), QStringLiteral("changed later"));

        r->setIncludeSkills(false);
        r->setContactInfo(QStringLiteral("  "));
        snapshot = makeATSResumeSnapshot(*r);
        QVERIFY(snapshot.skills.isEmpty());
        QCOMPARE(snapshot.contactInfo, QStringLiteral("  "));
        QVERIFY(makeATSResumeSnapshot(*test::makeEmptyResume()).experience.isEmpty());
    }

    void duplicateCopiesDeeplyAndRenumbersTheSource() {
        ResumePtr source = test::makeFullResume();
        source->setExperienceItems({experience(QStringLiteral("five"), {}, 5),
                                    experience(QStringLiteral("two"), {}, 2),
                                    experience(QStringLiteral("nine"), {}, 9)});
        source->setEducationItems(
            {std::make_shared<Education>(QStringLiteral("first"), QString(), QString(), 0),
             std::make_shared<Education>(QStringLiteral("second"), QString(), QString(), 0)});
        source->portfolioItems().at(1)->setSortOrder(7);
        source->portfolioItems().at(0)->setSortOrder(3);

        const QDateTime before = QDateTime::currentDateTimeUtc().addSecs(-1);
        const ResumePtr copy = duplicateResume(*source);

        QCOMPARE(copy->title(), QStringLiteral("Design Résumé Copy"));
        QVERIFY(copy->lastEdited() >= before && copy->lastEdited() <= QDateTime::currentDateTimeUtc());
        QCOMPARE(copy->coverLetterLastGenerated(), source->coverLetterLastGenerated());
        QCOMPARE(copy->atsLastGenerated(), source->atsLastGenerated());
        QCOMPARE(copy->atsInsertedKeywords(), source->atsInsertedKeywords());
        QCOMPARE(copy->titleEducation(), source->titleEducation());
        QCOMPARE(copy->appliedSkills(), source->appliedSkills());
        QCOMPARE(copy->suggestedSkills(), source->suggestedSkills());
        QCOMPARE(copy->templateID(), source->templateID());
        QCOMPARE(copy->fontName(), source->fontName());
        QVERIFY(!copy->morvessaRecordName().has_value()); // a copy starts off the recruiting network
        QCOMPARE(source->morvessaRecordName(), std::optional<QString>(QStringLiteral("REC-42")));

        QCOMPARE(source->experienceItems().at(0)->sortOrder(), 1);
        QCOMPARE(source->experienceItems().at(1)->sortOrder(), 0);
        QCOMPARE(source->experienceItems().at(2)->sortOrder(), 2);
        QStringList roles;
        for (const auto& e : copy->experienceItems()) {
            roles << QStringLiteral("%1:%2").arg(e->role()).arg(e->sortOrder());
            QVERIFY(!source->experienceItems().contains(e));
        }
        QCOMPARE(roles,
                 (QStringList{QStringLiteral("two:0"), QStringLiteral("five:1"), QStringLiteral("nine:2")}));
        QCOMPARE(source->educationItems().at(0)->sortOrder(), 0);
        QCOMPARE(source->educationItems().at(1)->sortOrder(), 1);
        QCOMPARE(copy->educationItems().at(1)->school(), QStringLiteral("second"));

        const auto items = copy->portfolioItems();
        QCOMPARE(items.size(), 2);
        QCOMPARE(items.at(0)->sortOrder(), 3);
        QCOMPARE(items.at(1)->sortOrder(), 7);
        QCOMPARE(source->portfolioItems().at(0)->sortOrder(), 3);
        for (int i = 0; i < 2; ++i) {
            const auto& original = source->portfolioItems().at(i);
            QVERIFY(items.at(i)->id() != original->id());
            QVERIFY(!items.at(i)->id().isNull());
            QCOMPARE(items.at(i)->imageData(), original->imageData());
            QCOMPARE(items.at(i)->caption(), original->caption());
            QCOMPARE(items.at(i)->orientation(), original->orientation());
        }

        QCOMPARE(duplicateResume(*copy)->title(), QStringLiteral("Design Résumé Copy Copy"));
        const ResumePtr untitled = duplicateResume(*test::makeEmptyResume());
        QCOMPARE(untitled->title(), QStringLiteral(" Copy"));
        QVERIFY(untitled->experienceItems().isEmpty() && untitled->portfolioItems().isEmpty());
    }
};

QUILLORA_TEST_MAIN(ResumeOperationsTest)
#include "test_resume_operations.moc"
