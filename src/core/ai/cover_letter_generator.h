#pragma once

#include "model/resume.h"

#include <QString>

namespace quillora {

// The texts of the cover-letter generator screen, kept apart from the screen so that they can
// be read and checked on their own.
namespace cover_letter_generator {

// The instructions of the generator's session (they ask for {"text": "…"}).
extern const QString systemPrompt;
// The job description the screen starts with.
extern const QString sampleJobDescription;
// The name the letter is signed with when the résumé has none.
extern const QString fallbackFullName;
// Between role and company in the résumé text.
inline constexpr char16_t entryHeadingSeparator[] = u" \u2014 ";

// The résumé as the generator shows and sends it: name and contact, SUMMARY, SKILLS, then
// EXPERIENCE and EDUCATION when there are entries, in display order; trimmed as a whole.
QString resumeText(const Resume& resume);

// The request: the trimmed job description, the trimmed résumé text and the candidate's name
// (as stored, or the fallback when blank), between rules of 40 hyphens.
QString prompt(const QString& jobDescription, const QString& resumeText, const Resume& resume);

// A framed block: a rule of 30 "=", "DEBUG: <title>", a rule, the body, a rule.
QString debugBanner(const QString& title, const QString& body);

// True when the letter opens the way the instructions forbid ("i am writing to apply",
// anywhere, in any letter case).
bool hasForbiddenOpening(const QString& letter);

} // namespace cover_letter_generator

} // namespace quillora
