#include "support/resume_fixtures.h"

namespace quillora::test {

ResumePtr makeEmptyResume(const QString& title, const QDateTime& lastEdited) {
    const QDateTime when =
        lastEdited.isValid() ? lastEdited : QDateTime(QDate(2025, 1, 1), QTime(12, 0), Qt::UTC);
    return std::make_shared<Resume>(ResumeFields{.title = title, .lastEdited = when});
}

ResumePtr makeFullResume() {
    const auto utc = [](int y, int mo, int d, int h, int mi, int s, int ms) {
        return QDateTime(QDate(y, mo, d), QTime(h, mi, s, ms), Qt::UTC);
    };
    QList<ExperiencePtr> experience{
        std::make_shared<Experience>(QStringLiteral("Lead Designer"), QStringLiteral("Acme / Co"),
                                     QStringLiteral("2019"), QStringLiteral("Present"),
                                     QStringLiteral("Led a team of 6.\nShipped 3 apps."), 1),
        std::make_shared<Experience>(QStringLiteral("Designer"), QStringLiteral("Globex"),
                                     QStringLiteral("2015"), QStringLiteral("2019"),
                                     QStringLiteral("Drew things."), 0),
    };
    QList<EducationPtr> education{
        std::make_shared<Education>(QStringLiteral("Université de Montréal"), QStringLiteral("BFA"),
                                    QStringLiteral("2014"), 0),
    };
    QList<PortfolioItemPtr> portfolio{
        std::make_shared<PortfolioItem>(QUuid(QStringLiteral("{6F9619FF-8B86-D011-B42D-00C04FC964FF}")),
                                        QByteArray("\x89PNG\r\n\x1a\n", 8), QStringLiteral("Poster"), 0,
                                        PortfolioImageOrientation::landscape),
        std::make_shared<PortfolioItem>(QUuid(QStringLiteral("{1B4E28BA-2FA1-11D2-883F-0016D3CCA427}")),
                                        std::nullopt, QStringLiteral("Sketch"), 1,
                                        PortfolioImageOrientation::portrait),
    };
    return std::make_shared<Resume>(
        QStringLiteral("Design Résumé"), QStringLiteral("Zoë Ångström"),
        QStringLiteral("zoe@example.com\n+1 555 0100"),
        QStringLiteral("Designer of calm, useful things. 日本語 العربية"), experience, education, portfolio,
        QStringLiteral("Profile"), QStringLiteral("Work"), QString(), true, QStringLiteral("Dear team,"),
        QStringLiteral("Senior designer wanted"), QStringLiteral("Keep it short"),
        utc(2025, 3, 4, 5, 6, 7, 890), true, QStringLiteral("ATS posting"), QStringLiteral("ATS text"),
        QStringList{QStringLiteral("Figma"), QStringLiteral("UX")}, utc(2025, 3, 5, 1, 2, 3, 4),
        QStringLiteral("Avenir Next"), 7, utc(2025, 6, 7, 8, 9, 10, 11), true,
        QStringList{QStringLiteral("Sketch"), QStringLiteral("Prototyping")},
        QStringList{QStringLiteral("Figma"), QStringLiteral("Research")}, QStringLiteral("REC-42"));
}

QStringList translatableTexts(const Resume& resume) {
    QStringList texts{resume.fullName(),
                      resume.contactInfo(),
                      resume.summary(),
                      resume.displaySummaryTitle(),
                      resume.displayExperienceTitle(),
                      resume.displayEducationTitle()};
    for (const ExperiencePtr& e : resume.experienceItems())
        texts << e->role() << e->company() << e->startDate() << e->endDate() << e->details();
    for (const EducationPtr& e : resume.educationItems())
        texts << e->school() << e->degree() << e->year();
    if (resume.includeCoverLetter())
        texts << resume.coverLetterJobPosting() << resume.coverLetterText();
    return texts;
}

} // namespace quillora::test
