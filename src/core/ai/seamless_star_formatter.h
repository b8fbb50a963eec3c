#pragma once

#include "ai/ai_model_session.h"
#include "ai/seamless_star_result.h"

#include <QString>

#include <functional>
#include <optional>

namespace quillora {

enum class SeamlessStarMode { experience, summary };

// The STAR system prompt, and the pieces of the formatter's user prompts.
namespace star_prompt {
extern const QString systemPrompt;
extern const QString summaryInstruction;
extern const QString experienceInstruction;
extern const QString rulesBlock;
extern const QString retryInstruction;
extern const QString summarySeparator;
extern const QString contextSeparator;
extern const QString closingQuotes;
} // namespace star_prompt

// The number of sentences: pieces between ".", "!" and "?" that are not blank once trimmed.
int starSentenceSplit(const QString& text);
// The comparison form: lower case, runs of white space as one blank, trimmed.
QString starNormalize(const QString& text);

// Rewrites résumé text as one seamless paragraph through its AI session: in experience mode
// following the STAR pattern, in summary mode as a short professional summary. In experience
// mode an answer of fewer than three sentences, or one that is the input again once both are
// normalised, is asked for once more with a stricter prompt; that second answer is returned
// whatever it holds. Errors pass through unchanged and end the call (no retry on errors).
class SeamlessStarFormatterService final {
public:
    explicit SeamlessStarFormatterService(AIModelSession session);

    const AIModelSession& session() const { return m_session; }

    // The first prompt: the mode's instruction, the rules, then the text, the summary context
    // and the résumé context, each in triple quotes under its heading.
    static QString firstPrompt(const QString& text, const std::optional<QString>& summaryContext,
                               const std::optional<QString>& resumeContext, SeamlessStarMode mode);
    // The retry prompt: the retry instruction and the same three sources.
    static QString retryPrompt(const QString& text, const std::optional<QString>& summaryContext,
                               const std::optional<QString>& resumeContext);
    // True when an experience answer must be asked for again.
    static bool needsRetry(const QString& answer, const QString& text);

    // done(paragraph or error) runs from the event loop, only while the receiver accepts it.
    void starFormat(const QString& text, const std::optional<QString>& summaryContext,
                    const std::optional<QString>& resumeContext, SeamlessStarMode mode,
                    ResultReceiver receiver, std::function<void(Result<QString>)> done) const;

private:
    AIModelSession m_session;
};

} // namespace quillora
