#pragma once

#include "ai/ai_model_session.h"
#include "model/resume.h"
#include "platform/result.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

namespace quillora {

// Asks the language model which professional skills a résumé's experience entries show and
// stores them in the résumé's suggestedSkills as "Skill Name: Short descriptor" entries. The
// request goes through one AI session, so it reaches OpenAI when a key is stored and the
// on-device model otherwise. Nothing is saved here: the caller saves.
class ResumeSkillSuggestionService final {
public:
    // The skill-extraction instructions of the session.
    static const QString systemPrompt;

    explicit ResumeSkillSuggestionService(AIServices services);

    const AIModelSession& session() const { return m_session; }

    // Sends the résumé's skill-extraction prompt and, when the answer arrives while the résumé
    // exists, writes the parsed list into suggestedSkills and stamps lastEdited; then
    // done(result), whether or not `screen` (which only shows the progress) is still open. A
    // failed request leaves the résumé untouched and passes the error on unchanged. Nothing
    // arrives for a deleted résumé.
    void suggestSkills(const ResumePtr& resume, QObject* screen, std::function<void(Status)> done) const;

    // Logs the raw answer, then stores the list parseSkillList makes of it (even when empty)
    // and the time `now`. Cannot fail.
    static void parseSkillResponse(const QString& answer, Resume& resume,
                                   const QDateTime& now = QDateTime::currentDateTime());

    // The entries of an answer: "Skills:"/"Skill:" removed in any letter case, tabs made
    // spaces, bullets removed, split at commas, semicolons and line feeds, pieces trimmed,
    // blanks and repeats dropped (cleanSkillList), each piece normalised (see normalizeSkillItem).
    static QStringList parseSkillList(const QString& answer);

    // One entry as "Name: descriptor": split at the first colon, or without a colon at the
    // first space; nothing for a single word or an entry with an empty side.
    static std::optional<QString> normalizeSkillItem(const QString& item);

private:
    AIModelSession m_session;
};

} // namespace quillora
