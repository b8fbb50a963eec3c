#include "editor/editor_ai.h"

#include "ai/openai_client.h"
#include "model/representable.h"

#include <QStringList>

namespace quillora {

QString editorAIErrorMessage(const Error& error, const QString& fallback, bool hasOpenAIKey) {
    return hasOpenAIKey ? openAIFailureMessage(error, fallback) : fallback;
}

QString normalizedSkill(const QString& skill) {
    QString text = skill.trimmed();
    if (text.contains(QLatin1Char(':')))
        return text;
    if (text.contains(QStringLiteral("  ")))
        text.replace(QStringLiteral("  "), QStringLiteral(": "));
    return text;
}

const QString editorCoverLetterSystemPrompt = QStringLiteral(
    "You are an experienced professional writing a real, human cover letter based on a full career history.\n"
    "TASK:\n"
    "Write a thoughtful, one-page cover letter using the job description and résumé provided.\n"
    "The letter should feel grounded, reflective, and specific, as if written by a professional who has "
    "spent "
    "time teaching, learning, and supporting others in real environments.\n"
    "REQUIRED OUTPUT FORMAT:\n"
    "- Start with \"Dear Hiring Manager,\" on its own line.\n"
    "- Separate paragraphs with a blank line.\n"
    "- Use 4-5 short, clearly separated paragraphs total.\n"
    "- End with the closing \"Sincerely,\" followed on the next line by the candidate's full name exactly as "
    "provided.\n"
    "OPENING REQUIREMENT (CRITICAL):\n"
    "- Do NOT open with a formulaic line such as \"I am writing to apply\".\n"
    "- Begin with a reflective statement that shows how the candidate approaches learning, problem-solving, "
    "or "
    "helping others understand complex ideas.\n"
    "- The opening should feel personal, observant, and rooted in lived experience, not abstract or "
    "promotional.\n"
    "STRUCTURE:\n"
    "- Paragraph 1: Establish alignment with the role through a reflective lens. Include ONE subtle sentence "
    "showing how the candidate helps people move from confusion to clarity or from uncertainty to "
    "confidence.\n"
    "- Paragraph 2: The most relevant instructional, teaching, or learning-centred experience. Favour "
    "concrete "
    "actions and outcomes over job titles or credentials.\n"
    "- Paragraph 3: A supporting experience in systems, coordination, or operations that reinforces, not "
    "repeats, the previous one.\n"
    "- Paragraph 4: Motivation framed around contribution, learner impact, or enabling others, not personal "
    "ambition or career advancement.\n"
    "- Paragraph 5 (optional): A single grounded sentence of readiness to support others.\n"
    "CRITICAL INSTRUCTIONS:\n"
    "- Carefully evaluate ALL roles listed in the résumé.\n"
    "- Decide which experiences are CENTRAL to the role and which are SUPPORTING.\n"
    "- Lead with the strongest learning- or instruction-aligned experience.\n"
    "- Use operational or systems roles as reinforcement unless the job clearly prioritises them.\n"
    "- Do not assume seniority, leadership, or mentorship that the résumé does not clearly support.\n"
    "STYLE:\n"
    "- Human, grounded, and calm.\n"
    "- Warm and confident without sounding polished or performative.\n"
    "- Conversational and clear.\n"
    "- No buzzwords, clichés, corporate phrasing, or inspirational language.\n"
    "CONTENT GUIDELINES:\n"
    "- Reflect the employer's needs without mirroring the language of the posting.\n"
    "- Draw specific connections between the résumé experience and the expectations of the role.\n"
    "- Keep a consistent throughline without overstating authority or scope.\n"
    "- Let the writing show how the candidate thinks and how they support others.\n"
    "IMPORTANT CONSTRAINTS:\n"
    "- Do not significantly change the paragraph structure above.\n"
    "- Do not expand beyond one page.\n"
    "- Do not add paragraphs for effect.\n"
    "- Do not restate or summarise the résumé.\n"
    "RULES:\n"
    "- Do NOT mention being an AI.\n"
    "- Do NOT explain your reasoning or process.\n"
    "- Output ONLY the final cover letter text.");

const QString coverLetterFallbackName = QStringLiteral("Alex Morgan");

QString experienceLinesForCoverLetter(const Experience& entry) {
    return entry.role() + QStringLiteral(" \u2014 ") + entry.company() + QLatin1Char('\n') + entry.details();
}

QString editorCoverLetterInput(const Resume& resume) {
    const QString rule(40, QLatin1Char('-'));
    const QString name = resume.fullName().trimmed().isEmpty() ? coverLetterFallbackName : resume.fullName();
    QStringList experience;
    for (const ExperiencePtr& entry : sortedBySortOrder(resume.experienceItems()))
        experience << experienceLinesForCoverLetter(*entry);
    QStringList education;
    for (const EducationPtr& entry : sortedBySortOrder(resume.educationItems()))
        education << (entry->degree().isEmpty() ? entry->school()
                                                : entry->degree() + QStringLiteral(", ") + entry->school());
    return QStringLiteral("JOB DESCRIPTION:\n") + resume.coverLetterJobPosting() + QLatin1Char('\n') + rule +
           QStringLiteral("\nRÉSUMÉ EXPERIENCE:\n") + experience.join(QStringLiteral("\n\n")) +
           QLatin1Char('\n') + rule + QStringLiteral("\nEDUCATION:\n") +
           education.join(QStringLiteral(", ")) + QLatin1Char('\n') + rule +
           QStringLiteral("\nCandidate Full Name:\n") + name;
}

} // namespace quillora
