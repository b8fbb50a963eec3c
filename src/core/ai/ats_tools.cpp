#include "ai/ats_tools.h"

#include "ai/openai_client.h"
#include "model/resume.h"
#include "model/resume_operations.h"
#include "platform/log.h"

#include <QHashFunctions>
#include <QSet>
#include <QStringBuilder>

#include <algorithm>
#include <cmath>

namespace quillora {

namespace ats_prompt {

const QString analyzerSystemPrompt = QStringLiteral(
    "You are an Applicant Tracking System (ATS) analyzer.\n"
    "TASK:\n"
    "Evaluate ATS compatibility of an entire résumé against a job description.\n"
    "OUTPUT FORMAT (JSON ONLY):\n"
    "{\n"
    "  \"overallScore\": number,\n"
    "  \"missingKeywords\": [string],\n"
    "  \"suggestions\": [string],\n"
    "  \"sectionFeedback\": [\n"
    "    {\n"
    "      \"section\": \"string\",\n"
    "      \"feedback\": {\n"
    "        \"score\": number,\n"
    "        \"missingKeywords\": [string],\n"
    "        \"suggestions\": [string]\n"
    "      }\n"
    "    }\n"
    "  ],\n"
    "  \"notes\": [string]\n"
    "}\n"
    "RULES:\n"
    "- Analyze the full résumé, not just the summary.\n"
    "- Base feedback on keyword alignment, clarity, and relevance to the target role.\n"
    "- Do not invent skills or experience.\n"
    "- Missing keywords may include important job terms that are not clearly evidenced in the résumé.\n"
    "- Suggestions must stay truthful and conservative.\n"
    "- Limit missingKeywords to the most important terms (max 10).\n"
    "- Limit suggestions to actionable improvements (max 6).\n"
    "- Include section feedback for Summary, Experience, Skills, and Education when present.\n"
    "- Return valid JSON only.");

const QString rewriteSystemPrompt = QStringLiteral(
    "You are an expert résumé writer specializing in Applicant Tracking Systems (ATS).\n"
    "TASK:\n"
    "Conservatively optimize a résumé for a target job description.\n"
    "GOALS:\n"
    "- Improve keyword alignment only when the keyword is already supported by the candidate's existing "
    "résumé.\n"
    "- Preserve factual accuracy, tone, and the original level of seniority.\n"
    "- Keep the summary concise and close to the original meaning.\n"
    "OUTPUT FORMAT (JSON ONLY):\n"
    "{\n"
    "  \"summary\": \"string\",\n"
    "  \"experience\": [\n"
    "    {\n"
    "      \"role\": \"string\",\n"
    "      \"company\": \"string\",\n"
    "      \"details\": \"string\"\n"
    "    }\n"
    "  ],\n"
    "  \"skills\": [\"string\"],\n"
    "  \"insertedKeywords\": [\n"
    "    {\n"
    "      \"keyword\": \"string\",\n"
    "      \"section\": \"string\"\n"
    "    }\n"
    "  ]\n"
    "}\n"
    "RULES:\n"
    "- Never invent tools, platforms, responsibilities, achievements, certifications, industries, or "
    "metrics.\n"
    "- Only add a keyword if it is already explicit in the résumé or is a direct, low-risk rephrasing of "
    "existing content.\n"
    "- If a keyword is unsupported, omit it.\n"
    "- Keep companies, dates, schools, and degrees unchanged.\n"
    "- The summary must remain concise, truthful, and close in meaning to the original.\n"
    "- If the original summary is already appropriate, return it unchanged.\n"
    "- Experience rewrites should improve clarity and ATS terminology without exaggeration.\n"
    "- Skills may include only existing skills or skills clearly evidenced by the résumé content.\n"
    "- Do not add duplicate skills.\n"
    "- Return valid JSON only with no markdown or commentary.");

} // namespace ats_prompt

namespace {

const QString enDashSeparator = QStringLiteral(" \u2013 ");

QString normalized(const QString& text) {
    return text.normalized(QString::NormalizationForm_C);
}

// The split rule shared by the word and sentence counts: pieces between separators, empty
// pieces left out.
template <typename IsSeparator> QStringList splitAt(const QString& text, IsSeparator isSeparator) {
    QStringList pieces;
    QString piece;
    for (const QChar c : text) {
        if (isSeparator(c)) {
            if (!piece.isEmpty())
                pieces.append(piece);
            piece.clear();
        } else {
            piece.append(c);
        }
    }
    if (!piece.isEmpty())
        pieces.append(piece);
    return pieces;
}

// Swift's way of printing a date: "2026-12-07 10:43:59 +0000".
QString logDate(const QDateTime& date) {
    return date.toUTC().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss")) + QStringLiteral(" +0000");
}

} // namespace

bool atsSameText(const QString& a, const QString& b) {
    return a == b || normalized(a) == normalized(b);
}

namespace {

// Whether two texts hold the same words in the same order: blanks at the ends, and how the words
// are spaced or broken into lines, do not count.
bool sameWords(const QString& a, const QString& b) {
    return a == b || atsWordSplit(normalized(a)) == atsWordSplit(normalized(b));
}

} // namespace

QString atsResumePlainText(const ATSResumeSnapshot& snapshot) {
    QString text = snapshot.fullName % QLatin1Char('\n') % snapshot.contactInfo % QStringLiteral("\n\n") %
                   QStringLiteral("SUMMARY\n") % snapshot.summary % QStringLiteral("\n\n");
    const QString skills = snapshot.skillsText();
    if (!skills.isEmpty())
        text += QStringLiteral("SKILLS\n") % skills % QStringLiteral("\n\n");
    text += QStringLiteral("EXPERIENCE\n");
    for (const ExperiencePtr& entry : snapshot.experience) {
        text += entry->role() % enDashSeparator % entry->company() % QLatin1Char('\n') % entry->startDate() %
                enDashSeparator % entry->endDate() % QLatin1Char('\n') % entry->details() %
                QStringLiteral("\n\n");
    }
    text += QStringLiteral("EDUCATION\n");
    for (const EducationPtr& entry : snapshot.education) {
        text += entry->degree() % QStringLiteral(", ") % entry->school() % enDashSeparator % entry->year() %
                QLatin1Char('\n');
    }
    return text.trimmed();
}

QString atsInputHash(const Resume& resume) {
    const QString key = resume.atsJobPosting().trimmed() % QStringLiteral("|||") %
                        atsResumePlainText(makeATSResumeSnapshot(resume));
    const size_t hash = qHash(normalized(key), QHashSeed::globalSeed());
    return QString::number(static_cast<qint64>(hash));
}

QString atsAnalysisPrompt(const Resume& resume) {
    return QStringLiteral("JOB POSTING:\n") % resume.atsJobPosting() %
           QStringLiteral("\n----------------------------\nCURRENT RÉSUMÉ:\n") %
           atsResumePlainText(makeATSResumeSnapshot(resume));
}

ATSRewriteRequest makeATSRewriteRequest(const Resume& resume) {
    ATSRewriteRequest request;
    request.summaryAtRequest = resume.summary();
    for (const ExperiencePtr& entry : resume.experienceItems()) {
        const QString key = normalized(experienceMatchKey(entry->role(), entry->company()));
        if (!request.detailsAtRequest.contains(key))
            request.detailsAtRequest.insert(key, entry->details());
    }
    request.prompt =
        QStringLiteral("JOB POSTING:\n") % resume.atsJobPosting() %
        QStringLiteral("\n----------------------------------------\nCURRENT RÉSUMÉ CONTENT:\n") %
        atsResumePlainText(makeATSResumeSnapshot(resume)) %
        QStringLiteral("\n----------------------------------------\nTASK:\nConservatively optimize "
                       "this résumé for ATS without changing facts.\nReturn ONLY valid JSON "
                       "matching the provided schema.");
    return request;
}

QString atsFailureMessage(const Error& error) {
    return openAIFailureMessage(error, QStringLiteral("ATS analysis failed. Please try again."));
}

QString experienceMatchKey(const QString& role, const QString& company) {
    return role.trimmed() % QStringLiteral("|||") % company.trimmed();
}

QStringList atsWordSplit(const QString& text) {
    return splitAt(text, [](QChar c) { return c.isSpace(); });
}

QStringList atsSentenceSplit(const QString& text) {
    return splitAt(text, [](QChar c) {
        return c == QLatin1Char('.') || c == QLatin1Char('!') || c == QLatin1Char('?');
    });
}

QString conservativeSummary(const QString& stored, const QString& proposed) {
    const QString o = stored.trimmed();
    const QString p = proposed.trimmed();
    if (p.isEmpty())
        return o;
    if (o.isEmpty())
        return p;
    const qsizetype ow = atsWordSplit(o).size();
    const qsizetype pw = atsWordSplit(p).size();
    const qsizetype os = std::max<qsizetype>(atsSentenceSplit(o).size(), 1);
    const qsizetype ps = atsSentenceSplit(p).size();
    const qsizetype limit =
        std::max<qsizetype>(ow + 12, static_cast<qsizetype>(std::trunc(static_cast<double>(ow) * 1.35)));
    if (pw > limit)
        return o;
    if (ps > os + 1)
        return o;
    return p;
}

QStringList cleanSkillList(const QStringList& skills) {
    QStringList kept;
    QSet<QString> seen;
    for (const QString& skill : skills) {
        const QString key = normalized(skill);
        if (seen.contains(key))
            continue;
        seen.insert(key);
        kept.append(skill);
    }
    return kept;
}

QStringList trimmedSkillList(const QStringList& skills) {
    QStringList trimmed;
    for (const QString& skill : skills) {
        const QString item = skill.trimmed();
        if (!item.isEmpty())
            trimmed.append(item);
    }
    return cleanSkillList(trimmed);
}

ATSRewriteChanges applyATSRewrite(Resume& resume, const ATSRewritePayload& payload,
                                  const QString& summaryAtRequest,
                                  const QHash<QString, QString>& detailsAtRequest, const QDateTime& now) {
    ATSRewriteChanges changes;
    const QString newSummary = conservativeSummary(summaryAtRequest, payload.summary);
    // A summary typed meanwhile gives way to the one the rewrite keeps: that is a change too. A
    // summary that only loses the blanks at its ends (a line break typed last) has not changed.
    changes.summaryReplaced = !sameWords(resume.summary(), newSummary);
    if (atsSameText(newSummary, summaryAtRequest))
        logLine(QStringLiteral("⚠️ SUMMARY UNCHANGED"));
    else
        logLine(QStringLiteral("✅ SUMMARY CHANGED BEFORE: ") % summaryAtRequest %
                QStringLiteral(" AFTER : ") % newSummary);
    resume.setSummary(newSummary);

    for (const ATSRewritePayload::ExperienceRewrite& rewrite : payload.experience) {
        const QString key = experienceMatchKey(rewrite.role, rewrite.company);
        ExperiencePtr found;
        for (const ExperiencePtr& entry : resume.experienceItems()) {
            if (atsSameText(experienceMatchKey(entry->role(), entry->company()), key)) {
                found = entry;
                break;
            }
        }
        if (!found) {
            logLine(QStringLiteral("ROLE: ") % rewrite.role % QStringLiteral(" | COMPANY: ") %
                    rewrite.company);
            continue;
        }
        const QString before = detailsAtRequest.value(normalized(key));
        const QString newDetails = rewrite.details.trimmed();
        // A blank proposal would erase the user's description: the entry keeps its details.
        if (newDetails.isEmpty() || atsSameText(before, newDetails)) {
            logLine(QStringLiteral("⚠️ EXPERIENCE UNCHANGED ROLE: ") % rewrite.role %
                    QStringLiteral(" COMPANY: ") % rewrite.company);
        } else {
            logLine(QStringLiteral("✅ EXPERIENCE UPDATED ROLE: ") % rewrite.role %
                    QStringLiteral(" COMPANY: ") % rewrite.company % QStringLiteral(" BEFORE: ") % before %
                    QStringLiteral(" AFTER : ") % newDetails);
        }
        if (!newDetails.isEmpty() && found->details() != newDetails) {
            if (!sameWords(found->details(), newDetails))
                changes.rewrittenRoles.append(found->role());
            found->setDetails(newDetails);
        }
    }

    const QStringList skills = trimmedSkillList(payload.skills);
    if (!skills.isEmpty()) {
        changes.appliedSkills = skills.size();
        changes.skillsSwitchedOn = !resume.includeSkills();
        resume.setAppliedSkills(skills);
        resume.setIncludeSkills(true);
    }

    QStringList keywords;
    for (const ATSRewritePayload::InsertedKeyword& inserted : payload.insertedKeywords)
        keywords.append(inserted.keyword % QStringLiteral(" (") % inserted.section % QLatin1Char(')'));
    changes.insertedKeywords = cleanSkillList(keywords);
    resume.setAtsInsertedKeywords(changes.insertedKeywords);

    resume.setAtsLastGenerated(now);
    resume.setIncludeATSVersion(true);
    resume.setAtsGeneratedText(formattedResumeText(resume));
    logLine(QStringLiteral("📌 ATS APPLIED AT: ") % logDate(resume.atsLastGenerated().value_or(now)));
    return changes;
}

} // namespace quillora
