#pragma once

#include "model/resume.h"
#include "platform/result.h"

#include <QString>

namespace quillora {

// What the editor's own AI actions (the cover letter card, the skill suggestions) need beyond
// the AI session.

// The text shown when an AI request started from the editor fails: with a stored OpenAI key
// and an error of the OpenAI exchange, that case's text (never the server's own message);
// otherwise the caller's fallback.
QString editorAIErrorMessage(const Error& error, const QString& fallback, bool hasOpenAIKey);

// A suggested skill as it is applied: trimmed; without a colon, every two spaces become ": "
// (so "Swift  iOS apps" gives "Swift: iOS apps").
QString normalizedSkill(const QString& skill);

// The instructions of the editor's cover-letter session.
extern const QString editorCoverLetterSystemPrompt;
// The name the letter is signed with when the résumé has none.
extern const QString coverLetterFallbackName;

// One experience entry as the cover-letter input lists it: role, " — ", company, a line
// break, details; nothing trimmed.
QString experienceLinesForCoverLetter(const Experience& entry);

// What the editor sends for a cover letter: the job posting as stored, the experience entries
// and the education in display order, and the candidate's name, between rules of 40 hyphens.
QString editorCoverLetterInput(const Resume& resume);

} // namespace quillora
