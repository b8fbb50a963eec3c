#include "editor/resume_editor_text.h"

#include "editor/entry_order.h"

namespace quillora {

namespace {

bool isBlank(const QString& text) {
    return text.trimmed().isEmpty();
}

// The non-blank values, untrimmed, joined; the result trimmed.
QString joinNonBlank(std::initializer_list<QString> values, const QString& separator) {
    QStringList kept;
    for (const QString& value : values) {
        if (!isBlank(value))
            kept << value;
    }
    return kept.join(separator).trimmed();
}

} // namespace

QString plainTextResume(const Resume& resume) {
    QStringList lines;
    if (!isBlank(resume.fullName()))
        lines << resume.fullName().trimmed();
    if (!isBlank(resume.contactInfo()))
        lines << resume.contactInfo().trimmed();
    lines << QString();

    const auto addBlock = [&lines](const QString& heading, const auto& fill) {
        const qsizetype start = lines.size();
        fill();
        if (lines.size() > start)
            lines.insert(start, heading);
    };

    addBlock(QStringLiteral("EXPERIENCE"), [&] {
        for (const ExperiencePtr& entry : sortedBySortOrder(resume.experienceItems())) {
            const QString header = joinNonBlank({entry->role(), entry->company()},
                                                QString::fromUtf16(kPlainTextRoleCompanySeparator));
            if (!header.isEmpty())
                lines << header;
            const QString dates =
                joinNonBlank({entry->startDate(), entry->endDate()}, QStringLiteral(" \u2013 "));
            if (!dates.isEmpty())
                lines << dates;
            if (!isBlank(entry->details()))
                lines << entry->details().trimmed();
            lines << QString();
        }
    });
    addBlock(QStringLiteral("EDUCATION"), [&] {
        for (const EducationPtr& entry : sortedBySortOrder(resume.educationItems())) {
            const QString header = joinNonBlank({entry->degree(), entry->school()}, QStringLiteral(", "));
            if (!header.isEmpty())
                lines << header;
            if (!isBlank(entry->year()))
                lines << entry->year().trimmed();
            lines << QString();
        }
    });
    addBlock(QStringLiteral("SKILLS"), [&] {
        if (resume.includeSkills()) {
            QStringList skills;
            for (const QString& skill : resume.appliedSkills()) {
                if (!isBlank(skill))
                    skills << skill.trimmed();
            }
            if (!skills.isEmpty())
                lines << skills.join(QStringLiteral(", "));
        }
        lines << QString();
    });
    return lines.join(QLatin1Char('\n')).trimmed();
}

bool isSharedToMorvessa(const Resume& resume) {
    return resume.morvessaRecordName().has_value();
}

QStringList missingMorvessaRequirements(const Resume& resume) {
    QStringList missing;
    if (isBlank(resume.title()))
        missing << QStringLiteral("Resume title");
    if (isBlank(resume.fullName()))
        missing << QStringLiteral("Full name");
    if (isBlank(resume.contactInfo()))
        missing << QStringLiteral("Contact information");
    if (isBlank(resume.summary()))
        missing << QStringLiteral("Professional summary");
    bool hasCompleteEntry = false;
    for (const ExperiencePtr& entry : resume.experienceItems()) {
        if (!isBlank(entry->role()) && !isBlank(entry->company()) && !isBlank(entry->details())) {
            hasCompleteEntry = true;
            break;
        }
    }
    if (!hasCompleteEntry)
        missing << QStringLiteral("At least one experience entry with role, company, and details");
    return missing;
}

} // namespace quillora
