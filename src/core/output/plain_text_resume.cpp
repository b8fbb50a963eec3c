#include "output/plain_text_resume.h"

#include "model/resume.h"
#include "output/resume_titles.h"

namespace quillora {

QString buildPlainTextResume(const Resume& resume, const ResumeTitles& titles) {
    const QString enDash = QStringLiteral(" \u2013 ");
    QString text;
    text += resume.fullName() + u'\n';
    text += resume.contactInfo() + QStringLiteral("\n\n");
    if (!resume.summary().isEmpty())
        text += titles.summary() + u'\n' + resume.summary() + QStringLiteral("\n\n");
    const auto experience = resume.experienceItems();
    if (!experience.isEmpty()) {
        text += titles.experience() + u'\n';
        for (const ExperiencePtr& entry : experience) {
            text += entry->role() + enDash + entry->company() + u'\n';
            text += entry->startDate() + enDash + entry->endDate() + u'\n';
            text += entry->details() + QStringLiteral("\n\n");
        }
    }
    const QStringList skills = resume.appliedSkills();
    if (resume.includeSkills() && !skills.isEmpty()) {
        text += QStringLiteral("Skills\n");
        for (const QString& skill : skills)
            text += QStringLiteral("\u2022 ") + skill + u'\n';
        text += u'\n';
    }
    const auto education = resume.educationItems();
    if (!education.isEmpty()) {
        text += titles.education() + u'\n';
        for (const EducationPtr& entry : education) {
            text += entry->degree() + QStringLiteral(", ") + entry->school() +
                    QString::fromUtf16(schoolYearSeparator) + entry->year() + u'\n';
        }
        text += u'\n';
    }
    if (resume.includeCoverLetter() && !resume.coverLetterText().isEmpty())
        text += QStringLiteral("Cover Letter\n") + resume.coverLetterText();
    return text;
}

} // namespace quillora
