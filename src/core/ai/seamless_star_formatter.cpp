#include "ai/seamless_star_formatter.h"

#include <QRegularExpression>

namespace quillora {

namespace star_prompt {

const QString systemPrompt =
    QStringLiteral("You are an expert professional resume writer.\n"
                   "Convert raw experience descriptions into ONE seamless STAR-style paragraph.\n"
                   "STAR REQUIREMENTS (IMPLICIT, NO LABELS):\n"
                   "- Situation: 1 sentence of context (role, team, or project).\n"
                   "- Task: 1 sentence stating the goal or responsibility.\n"
                   "- Action: 1-2 sentences describing specific actions, methods, or skills.\n"
                   "- Result: 1 sentence with a clear outcome or impact grounded in the text.\n"
                   "QUALITY RULES (CRITICAL):\n"
                   "- Do NOT add anything that is not explicitly in the input context.\n"
                   "- Do NOT invent metrics, scale, duration, or scope.\n"
                   "- Only use numbers if they appear verbatim in the input.\n"
                   "- Preserve all key facts and intent from the original text.\n"
                   "- Use strong, precise resume verbs; avoid fluff.\n"
                   "- Keep it professional, direct, and concise.\n"
                   "- Use implied first person.\n"
                   "- Output must be ONE paragraph only, 3-5 sentences total.\n"
                   "- Never return an empty response.\n"
                   "OUTPUT FORMAT (JSON ONLY):\n"
                   "{\"paragraph\": \"string\"}");

const QString summaryInstruction =
    QStringLiteral("Rewrite the following summary into a concise professional summary.\n"
                   "Keep it to 2-4 sentences, max 120 words.\n"
                   "Use 1-2 short paragraphs only if needed.");

const QString experienceInstruction =
    QStringLiteral("Rewrite the following experience into one seamless STAR paragraph.\n"
                   "Make sure the sentence flow clearly covers: Situation, Task, Action, Result.\n"
                   "Use 3-5 sentences total in a single paragraph.\n"
                   "End with a grounded outcome tied to the original text.\n"
                   "If the input is brief, expand into a full STAR paragraph using only stated facts.\n"
                   "Do not return an empty response.");

const QString rulesBlock =
    QStringLiteral("\nIMPORTANT:\n"
                   "- You are NOT allowed to add numbers, percentages, or measurements\n"
                   "  unless they appear verbatim in the original text below.\n"
                   "- If no numbers are present, the output MUST contain zero numbers.\n"
                   "- Use the user's summary and resume context as sources of truth when provided.\n"
                   "- If the original text is empty, use the resume context as the primary source.\n"
                   "ORIGINAL TEXT:\n"
                   "\"\"\"");

const QString retryInstruction = QStringLiteral(
    "The previous output was too short or too similar to the input. Rewrite into 3-5 sentences.\n"
    "It must clearly include Situation, Task, Action, and Result.\n"
    "Do not copy the original wording. Do not add any new facts.\n"
    "ORIGINAL TEXT:\n"
    "\"\"\"");

const QString summarySeparator = QStringLiteral("\"\"\"\nUSER SUMMARY (if provided):\n\"\"\"");
const QString contextSeparator = QStringLiteral("\"\"\"\nRESUME CONTEXT (if provided):\n\"\"\"");
const QString closingQuotes = QStringLiteral("\"\"\"");

} // namespace star_prompt

int starSentenceSplit(const QString& text) {
    int count = 0;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == u'.' || text[i] == u'!' || text[i] == u'?') {
            if (!QStringView(text).mid(start, i - start).trimmed().isEmpty())
                ++count;
            start = i + 1;
        }
    }
    return count;
}

QString starNormalize(const QString& text) {
    static const QRegularExpression whitespace(QStringLiteral("\\s+"),
                                               QRegularExpression::UseUnicodePropertiesOption);
    QString normalized = text.toLower();
    normalized.replace(whitespace, QStringLiteral(" "));
    return normalized.trimmed();
}

SeamlessStarFormatterService::SeamlessStarFormatterService(AIModelSession session)
    : m_session(std::move(session)) {}

QString SeamlessStarFormatterService::firstPrompt(const QString& text,
                                                  const std::optional<QString>& summaryContext,
                                                  const std::optional<QString>& resumeContext,
                                                  SeamlessStarMode mode) {
    const QString& instruction = mode == SeamlessStarMode::summary ? star_prompt::summaryInstruction
                                                                   : star_prompt::experienceInstruction;
    return instruction % star_prompt::rulesBlock % text % star_prompt::summarySeparator %
           summaryContext.value_or(QString()) % star_prompt::contextSeparator %
           resumeContext.value_or(QString()) % star_prompt::closingQuotes;
}

QString SeamlessStarFormatterService::retryPrompt(const QString& text,
                                                  const std::optional<QString>& summaryContext,
                                                  const std::optional<QString>& resumeContext) {
    return star_prompt::retryInstruction % text % star_prompt::summarySeparator %
           summaryContext.value_or(QString()) % star_prompt::contextSeparator %
           resumeContext.value_or(QString()) % star_prompt::closingQuotes;
}

bool SeamlessStarFormatterService::needsRetry(const QString& answer, const QString& text) {
    return starSentenceSplit(answer) < 3 || starNormalize(answer).normalized(QString::NormalizationForm_C) ==
                                                starNormalize(text).normalized(QString::NormalizationForm_C);
}

void SeamlessStarFormatterService::starFormat(const QString& text,
                                              const std::optional<QString>& summaryContext,
                                              const std::optional<QString>& resumeContext,
                                              SeamlessStarMode mode, ResultReceiver receiver,
                                              std::function<void(Result<QString>)> done) const {
    const AIModelSession session = m_session;
    session.generate<SeamlessStarResult>(
        firstPrompt(text, summaryContext, resumeContext, mode), receiver,
        [=, done = std::move(done)](Result<SeamlessStarResult> first) mutable {
            if (!first)
                return done(first.errorInfo());
            if (mode == SeamlessStarMode::summary || !needsRetry(first->paragraph, text))
                return done(first->paragraph);
            session.generate<SeamlessStarResult>(retryPrompt(text, summaryContext, resumeContext), receiver,
                                                 [done = std::move(done)](Result<SeamlessStarResult> second) {
                                                     if (!second)
                                                         return done(second.errorInfo());
                                                     done(second->paragraph);
                                                 });
        });
}

} // namespace quillora
