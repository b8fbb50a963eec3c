#include "ai/cover_letter_generator.h"

#include "model/representable.h"

#include <QStringList>

namespace quillora::cover_letter_generator {

namespace {

// Appends the value trimmed, unless that leaves nothing.
void add(QStringList& lines, const QString& value) {
    const QString trimmed = value.trimmed();
    if (!trimmed.isEmpty())
        lines << trimmed;
}

// The values that are not blank, as stored, joined.
QString joinedNonBlank(const QString& first, const QString& second, const QString& separator) {
    QStringList kept;
    for (const QString& value : {first, second}) {
        if (!value.trimmed().isEmpty())
            kept << value;
    }
    return kept.join(separator);
}

} // namespace

const QString systemPrompt = QStringLiteral(
    "You are an expert cover letter writer. Your job is to analyze the job description and the resume, then "
    "write the strongest possible cover letter using only evidence explicitly present in those inputs.\n"
    "TASK:\n"
    "Write a concise, high-quality cover letter that is tightly aligned to the job requirements and grounded "
    "in "
    "the resume.\n"
    "ABSOLUTE FACTUAL CONSTRAINT (CRITICAL):\n"
    "- Use ONLY information explicitly present in the resume or job description.\n"
    "- Do NOT invent, infer, or embellish experiences, achievements, metrics, or outcomes.\n"
    "- Do NOT reference any specific situation unless it is explicitly stated.\n"
    "- When details are missing, stay general and accurate rather than speculating.\n"
    "ANALYSIS REQUIREMENTS (CRITICAL):\n"
    "- Extract the job's top requirements, priorities, and keywords.\n"
    "- Map each requirement to the most relevant resume evidence.\n"
    "- Rank resume experiences by relevance to the job; use the highest-ranked roles first.\n"
    "- If teaching, mentoring, training, or curriculum support is central to the job, those roles MUST be "
    "prioritized.\n"
    "- Supporting roles may be used only to reinforce the primary, most relevant experience.\n"
    "LENGTH AND FOCUS (CRITICAL):\n"
    "- Keep the letter to 4 short paragraphs.\n"
    "- Target 180\u2013260 words.\n"
    "- Each paragraph must add new, relevant information; no filler.\n"
    "REQUIRED OUTPUT FORMAT:\n"
    "- Start with: \"Dear Hiring Manager,\" on its own line.\n"
    "- Separate paragraphs with a blank line.\n"
    "- End with a closing formatted exactly as:\n"
    "  Sincerely,\n"
    "  <use the candidate\u2019s full name exactly as provided>\n"
    "OPENING REQUIREMENT (CRITICAL):\n"
    "- Do NOT begin with phrases such as \"I am writing to apply.\"\n"
    "- Open with a clear, role-aligned statement of fit based on the job's needs and the resume.\n"
    "STRUCTURE:\n"
    "- Paragraph 1: Role fit and focus areas, aligned to top job requirements.\n"
    "- Paragraph 2: Most relevant experience with responsibilities tied to those requirements.\n"
    "- Paragraph 3: One supporting experience or skill cluster that adds coverage for the role.\n"
    "- Paragraph 4: Motivation tied to contribution and impact for the employer.\n"
    "STYLE:\n"
    "- Direct, professional, and precise.\n"
    "- Confident but restrained.\n"
    "- No buzzwords, cliches, or inspirational language.\n"
    "OUTPUT FORMAT (JSON ONLY):\n"
    "{\"text\": \"string\"}\n"
    "RULES:\n"
    "- Do NOT mention being an AI.\n"
    "- Do NOT explain your reasoning or process.\n"
    "- Do NOT include headings, bullet points, placeholders, or bracketed text.\n"
    "- Return JSON only with the text field.");

const QString sampleJobDescription =
    QStringLiteral("Northwind Learning Collaborative\nInstructional Designer");

const QString fallbackFullName = QStringLiteral("Alex Morgan");

QString resumeText(const Resume& resume) {
    QStringList lines;
    add(lines, resume.fullName());
    add(lines, resume.contactInfo());
    lines << QString();
    lines << QStringLiteral("SUMMARY");
    add(lines, resume.summary());
    lines << QString();
    lines << QStringLiteral("SKILLS");
    if (resume.includeSkills()) {
        QStringList skills;
        for (const QString& skill : resume.appliedSkills())
            add(skills, skill);
        if (!skills.isEmpty())
            add(lines, skills.join(QStringLiteral(", ")));
    }
    lines << QString();
    const QList<ExperiencePtr> experience = sortedBySortOrder(resume.experienceItems());
    if (!experience.isEmpty()) {
        lines << QStringLiteral("EXPERIENCE");
        for (const ExperiencePtr& entry : experience) {
            add(lines,
                joinedNonBlank(entry->role(), entry->company(), QString::fromUtf16(entryHeadingSeparator)));
            add(lines, joinedNonBlank(entry->startDate(), entry->endDate(), QStringLiteral(" \u2013 ")));
            add(lines, entry->details());
            lines << QString();
        }
    }
    const QList<EducationPtr> education = sortedBySortOrder(resume.educationItems());
    if (!education.isEmpty()) {
        lines << QStringLiteral("EDUCATION");
        for (const EducationPtr& entry : education) {
            add(lines, joinedNonBlank(entry->degree(), entry->school(), QStringLiteral(", ")));
            add(lines, entry->year());
            lines << QString();
        }
    }
    return lines.join(QLatin1Char('\n')).trimmed();
}

QString prompt(const QString& jobDescription, const QString& resumeText, const Resume& resume) {
    const QString rule(40, QLatin1Char('-'));
    const QString name = resume.fullName().trimmed().isEmpty() ? fallbackFullName : resume.fullName();
    return QStringLiteral("JOB DESCRIPTION:\n") + jobDescription.trimmed() + QLatin1Char('\n') + rule +
           QStringLiteral("\nRÉSUME:\n") + resumeText.trimmed() + QLatin1Char('\n') + rule +
           QStringLiteral("\nCandidate Full Name:\n") + name;
}

QString debugBanner(const QString& title, const QString& body) {
    const QString rule(30, QLatin1Char('='));
    return rule + QStringLiteral("\nDEBUG: ") + title + QLatin1Char('\n') + rule + QLatin1Char('\n') + body +
           QLatin1Char('\n') + rule;
}

bool hasForbiddenOpening(const QString& letter) {
    return letter.toLower().contains(QStringLiteral("i am writing to apply"));
}

} // namespace quillora::cover_letter_generator
