#include "model/resume_operations.h"

#include "platform/log.h"

#include <QUuid>

namespace quillora {

namespace {

// Empty once white space and line breaks are removed from both ends.
bool isBlank(const QString& value) {
    return value.trimmed().isEmpty();
}

QStringList nonBlank(std::initializer_list<QString> values) {
    QStringList kept;
    for (const QString& value : values) {
        if (!isBlank(value))
            kept.append(value);
    }
    return kept;
}

// A text as a double-quoted literal, with quotes, backslashes and control characters escaped.
QString quotedLiteral(const QString& text) {
    QString out = QStringLiteral("\"");
    for (const QChar c : text) {
        switch (c.unicode()) {
        case u'"':
            out += QStringLiteral("\\\"");
            break;
        case u'\\':
            out += QStringLiteral("\\\\");
            break;
        case u'\n':
            out += QStringLiteral("\\n");
            break;
        case u'\r':
            out += QStringLiteral("\\r");
            break;
        case u'\t':
            out += QStringLiteral("\\t");
            break;
        case u'\0':
            out += QStringLiteral("\\0");
            break;
        default:
            if (c.category() == QChar::Other_Control)
                out += QStringLiteral("\\u{%1}").arg(c.unicode(), 0, 16);
            else
                out += c;
        }
    }
    return out + QLatin1Char('"');
}

QString listLiteral(const QStringList& items) {
    QStringList quoted;
    quoted.reserve(items.size());
    for (const QString& item : items)
        quoted.append(quotedLiteral(item));
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

constexpr char kSkillInstruction[] =
    "You are an ATS résumé skill extraction engine.\n"
    "TASK:\n"
    "Extract true professional SKILLS from the experience below.\n"
    "IMPORTANT DEFINITIONS:\n"
    "- A SKILL is an ability, competency, or area of expertise\n"
    "- A SKILL is NOT a job title, role, position, or employer name\n"
    "- Do NOT use role names (e.g. Program Coordinator, Professor, Technician) as skills\n"
    "- Skills should be transferable across jobs\n"
    "For EACH skill:\n"
    "- Use a concise noun or noun phrase\n"
    "- Add a VERY SHORT description (2–5 words max)\n"
    "- Base the description ONLY on résumé evidence\n"
    "- Truncation is acceptable and encouraged\n"
    "OUTPUT RULES (VERY IMPORTANT):\n"
    "- Plain text ONLY\n"
    "- One skill per line\n"
    "- Format EXACTLY:\n"
    "  Skill name: short description\n"
    "- No bullet points\n"
    "- No numbering\n"
    "- No headings\n"
    "- No extra text\n"
    "GOOD EXAMPLES:\n"
    "Compliance assurance: Regulatory adherence\n"
    "Workflow management: Process coordination\n"
    "Inclusive teaching: Accessible instruction\n"
    "Course development: Curriculum design\n"
    "BAD EXAMPLES (DO NOT DO THIS):\n"
    "Clinical onboarding\n"
    "Program Coordinator\n"
    "Professor – New Media\n"
    "Behavior Technician\n"
    "EXPERIENCE:\n";

} // namespace

QString formattedResumeText(const Resume& resume) {
    const bool includeSkills = resume.includeSkills();
    const QStringList appliedSkills = resume.appliedSkills();
    logLine(QStringLiteral("📄 formattedResumeText CALLED | includeSkills: ") %
            (includeSkills ? QStringLiteral("true") : QStringLiteral("false")) %
            QStringLiteral(" | appliedSkills: ") % listLiteral(appliedSkills));

    QStringList lines;
    lines.append(resume.fullName());
    if (const QString contact = resume.contactInfo(); !isBlank(contact))
        lines.append(contact);
    lines.append(QString());

    if (const QString summary = resume.summary(); !isBlank(summary)) {
        lines.append(resume.titleSummary().value_or(QStringLiteral("Summary")).toUpper());
        lines.append(summary);
        lines.append(QString());
    }

    const QList<ExperiencePtr> experience = sortedBySortOrder(resume.experienceItems());
    if (!experience.isEmpty()) {
        lines.append(resume.titleExperience().value_or(QStringLiteral("Experience")).toUpper());
        for (const ExperiencePtr& entry : experience) {
            if (const QString header = nonBlank({entry->role(), entry->company()})
                                           .join(QString::fromUtf16(kEntryHeaderSeparator));
                !header.isEmpty())
                lines.append(header);
            if (const QString dates =
                    nonBlank({entry->startDate(), entry->endDate()}).join(QStringLiteral(" – "));
                !dates.isEmpty())
                lines.append(dates);
            if (const QString details = entry->details(); !isBlank(details))
                lines.append(details);
            lines.append(QString());
        }
    }

    if (includeSkills && !appliedSkills.isEmpty()) {
        lines.append(QStringLiteral("Skills"));
        for (const QString& skill : appliedSkills)
            lines.append(QStringLiteral("• ") + skill);
        lines.append(QString());
    }

    const QList<EducationPtr> education = sortedBySortOrder(resume.educationItems());
    if (!education.isEmpty()) {
        lines.append(resume.titleEducation().value_or(QStringLiteral("Education")).toUpper());
        for (const EducationPtr& entry : education) {
            if (const QString line = nonBlank({entry->school(), entry->degree()}).join(QStringLiteral(", "));
                !line.isEmpty())
                lines.append(line);
            if (const QString year = entry->year(); !isBlank(year))
                lines.append(year);
            lines.append(QString());
        }
    }

    return lines.join(QLatin1Char('\n'));
}

QString ATSResumeSnapshot::skillsText() const {
    QStringList kept;
    for (const QString& skill : skills) {
        const QString trimmed = skill.trimmed();
        if (!trimmed.isEmpty())
            kept.append(trimmed);
    }
    return kept.join(QLatin1Char('\n'));
}

ATSResumeSnapshot makeATSResumeSnapshot(const Resume& resume) {
    ATSResumeSnapshot snapshot;
    snapshot.fullName = resume.fullName();
    snapshot.contactInfo = resume.contactInfo();
    snapshot.summary = resume.summary();
    if (resume.includeSkills())
        snapshot.skills = resume.appliedSkills();
    snapshot.experience = sortedBySortOrder(resume.experienceItems());
    snapshot.education = sortedBySortOrder(resume.educationItems());
    return snapshot;
}

QString skillExtractionPrompt(const Resume& resume) {
    QStringList blocks;
    for (const ExperiencePtr& entry : sortedBySortOrder(resume.experienceItems())) {
        blocks.append(QStringLiteral("Role: ") % entry->role() % QStringLiteral("\nCompany: ") %
                      entry->company() % QStringLiteral("\nDetails: ") % entry->details());
    }
    return QString::fromUtf8(kSkillInstruction) + blocks.join(QStringLiteral("\n\n"));
}

ResumePtr duplicateResume(Resume& source) {
    QList<ExperiencePtr> experience;
    qint64 position = 0;
    for (const ExperiencePtr& entry : sortedBySortOrder(source.experienceItems())) {
        entry->setSortOrder(position++);
        experience.append(std::make_shared<Experience>(entry->role(), entry->company(), entry->startDate(),
                                                       entry->endDate(), entry->details(),
                                                       entry->sortOrder()));
    }

    QList<EducationPtr> education;
    position = 0;
    for (const EducationPtr& entry : sortedBySortOrder(source.educationItems())) {
        entry->setSortOrder(position++);
        education.append(
            std::make_shared<Education>(entry->school(), entry->degree(), entry->year(), entry->sortOrder()));
    }

    QList<PortfolioItemPtr> portfolio;
    for (const PortfolioItemPtr& item : sortedBySortOrder(source.portfolioItems())) {
        portfolio.append(std::make_shared<PortfolioItem>(
            QUuid::createUuid(), item->imageData(), item->caption(), item->sortOrder(), item->orientation()));
    }

    // The copy is a new résumé of its own: it is not on the recruiting network until it is
    // uploaded, so it never takes over the source's network record.
    return std::make_shared<Resume>(ResumeFields{
        .title = source.title() + QStringLiteral(" Copy"),
        .fullName = source.fullName(),
        .contactInfo = source.contactInfo(),
        .summary = source.summary(),
        .experienceItems = experience,
        .educationItems = education,
        .portfolioItems = portfolio,
        .titleSummary = source.titleSummary(),
        .titleExperience = source.titleExperience(),
        .titleEducation = source.titleEducation(),
        .includeCoverLetter = source.includeCoverLetter(),
        .coverLetterText = source.coverLetterText(),
        .coverLetterJobPosting = source.coverLetterJobPosting(),
        .coverLetterAIContext = source.coverLetterAIContext(),
        .coverLetterLastGenerated = source.coverLetterLastGenerated(),
        .includeATSVersion = source.includeATSVersion(),
        .atsJobPosting = source.atsJobPosting(),
        .atsGeneratedText = source.atsGeneratedText(),
        .atsInsertedKeywords = source.atsInsertedKeywords(),
        .atsLastGenerated = source.atsLastGenerated(),
        .fontName = source.fontName(),
        .templateID = source.templateID(),
        .lastEdited = QDateTime::currentDateTimeUtc(),
        .includeSkills = source.includeSkills(),
        .suggestedSkills = source.suggestedSkills(),
        .appliedSkills = source.appliedSkills(),
        .morvessaRecordName = std::nullopt,
    });
}

ResumePtr makeNewResume() {
    return std::make_shared<Resume>(ResumeFields{
        .title = QStringLiteral("My Résumé"),
        .titleSummary = QStringLiteral("Summary"),
        .titleExperience = QStringLiteral("Experience"),
        .titleEducation = QStringLiteral("Education"),
        .fontName = QStringLiteral("Helvetica Neue"),
        .lastEdited = QDateTime::currentDateTimeUtc(),
    });
}

} // namespace quillora
