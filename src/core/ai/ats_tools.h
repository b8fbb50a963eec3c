#pragma once

#include "ai/ats_rewrite_payload.h"
#include "model/ats_resume_snapshot.h"
#include "platform/result.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QStringList>

namespace quillora {

class Resume;

// The system prompts of the two ATS sessions: the analyzer's and the conservative rewrite's.
namespace ats_prompt {
extern const QString analyzerSystemPrompt;
extern const QString rewriteSystemPrompt;
} // namespace ats_prompt

// Texts are compared the way the ATS tools compare them: canonically equivalent sequences are
// equal (a precomposed "é" equals "e" + combining acute), letter case counts.
bool atsSameText(const QString& a, const QString& b);

// The résumé as the ATS tools send it: name, contact, "SUMMARY", "SKILLS" (only with skills),
// "EXPERIENCE" and "EDUCATION" blocks, fields as stored, the whole trimmed.
QString atsResumePlainText(const ATSResumeSnapshot& snapshot);

// The fingerprint of what an analysis would send: the trimmed posting and the résumé's plain
// text, hashed (stable within one run of the program, decimal text).
QString atsInputHash(const Resume& resume);

// The user message of an analysis, with the posting exactly as stored.
QString atsAnalysisPrompt(const Resume& resume);

// What a rewrite carries from the request to applying its answer: the prompt, the summary as
// it stood and each experience entry's details under its match key (for the change log).
struct ATSRewriteRequest final {
    QString prompt;
    QString summaryAtRequest;
    QHash<QString, QString> detailsAtRequest; // keyed by the normalised match key
};
ATSRewriteRequest makeATSRewriteRequest(const Resume& resume);

// The user's text for a failed ATS analysis or rewrite.
QString atsFailureMessage(const Error& error);

// role trimmed + "|||" + company trimmed; letter case kept.
QString experienceMatchKey(const QString& role, const QString& company);

// The summary to store: the proposal (trimmed) unless it is blank, grows the word count past
// max(words + 12, words × 1.35) or adds more than one sentence; else the stored one, trimmed.
QString conservativeSummary(const QString& stored, const QString& proposed);
// Pieces between white space; pieces between ".", "!" and "?" (a piece of spaces counts).
QStringList atsWordSplit(const QString& text);
QStringList atsSentenceSplit(const QString& text);

// The list without repeats, first occurrences kept in order; no trimming.
QStringList cleanSkillList(const QStringList& skills);
// Every item trimmed, blank ones dropped, then cleanSkillList.
QStringList trimmedSkillList(const QStringList& skills);

// What applying a rewrite changed in the résumé, besides the ATS version itself.
struct ATSRewriteChanges final {
    bool summaryReplaced = false;
    QStringList rewrittenRoles; // the entries whose details changed, by role
    qsizetype appliedSkills = 0;
    bool skillsSwitchedOn = false; // the skills were off before
    QStringList insertedKeywords;

    friend bool operator==(const ATSRewriteChanges&, const ATSRewriteChanges&) = default;
};

// Writes a rewrite into the live résumé: the guarded summary, the details of the entries the
// rewrite names (a blank proposal keeps the stored details), the applied skills when the
// proposal holds any, the inserted keywords, the time (`now`), the ATS version switched on
// and its plain text. Logs each step. Saves nothing. Returns what changed.
ATSRewriteChanges applyATSRewrite(Resume& resume, const ATSRewritePayload& payload,
                                  const QString& summaryAtRequest,
                                  const QHash<QString, QString>& detailsAtRequest,
                                  const QDateTime& now = QDateTime::currentDateTime());

} // namespace quillora
