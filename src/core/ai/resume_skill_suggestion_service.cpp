#include "ai/resume_skill_suggestion_service.h"

#include "ai/ats_tools.h"
#include "model/resume_operations.h"
#include "platform/log.h"

namespace quillora {

namespace {

// Splits once at the first separator that ends a non-empty piece: empty pieces are left out
// and do not use up the one split (":a:b" gives "a" and "b", "a:" gives only "a").
QStringList splitOnceOmittingEmpty(const QString& text, QChar separator) {
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text.at(i) != separator)
            continue;
        if (i > start) {
            pieces << text.mid(start, i - start);
            start = i + 1;
            break;
        }
        start = i + 1;
    }
    if (start < text.size())
        pieces << text.mid(start);
    return pieces;
}

QString trimmedOf(const QString& text, const QString& characters) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && characters.contains(text.at(begin)))
        ++begin;
    while (end > begin && characters.contains(text.at(end - 1)))
        --end;
    return text.mid(begin, end - begin);
}

std::optional<QString> joinedPair(const QStringList& pieces) {
    if (pieces.size() != 2)
        return std::nullopt;
    const QString name = pieces.at(0).trimmed();
    const QString descriptor = pieces.at(1).trimmed();
    if (name.isEmpty() || descriptor.isEmpty())
        return std::nullopt;
    return name + QStringLiteral(": ") + descriptor;
}

} // namespace

const QString ResumeSkillSuggestionService::systemPrompt = QStringLiteral(
    "You are an ATS resume skill extraction engine.\n"
    "TASK:\n"
    "Extract all real, relevant professional skills implied or stated in the resume experience provided.\n"
    "SCOPE:\n"
    "- Include tools, technologies, frameworks, platforms, methodologies, domain knowledge, and workflows.\n"
    "- Use evidence from titles, responsibilities, and accomplishments; infer only when strongly supported.\n"
    "- Do NOT invent skills not grounded in the resume content.\n"
    "FORMAT (STRICT):\n"
    "- Output ONLY a comma-separated list.\n"
    "- Each item MUST be in this exact format:\n"
    "  Skill Name: Short descriptor\n"
    "- Skill Name = 1-3 words.\n"
    "- Short descriptor = 1-3 words describing context or specialization.\n"
    "- Colon is REQUIRED between them.\n"
    "QUALITY RULES:\n"
    "- Prefer specific skills over generic ones (e.g., \"SwiftUI\" over \"App Development\").\n"
    "- Merge duplicates; keep the most specific phrasing.\n"
    "- Avoid soft skills unless explicitly described with evidence.\n"
    "- Aim for 12-20 skills when possible.\n"
    "- No bullet points, explanations, or headings.");

ResumeSkillSuggestionService::ResumeSkillSuggestionService(AIServices services)
    : m_session(systemPrompt, std::move(services)) {}

void ResumeSkillSuggestionService::suggestSkills(const ResumePtr& resume, QObject* screen,
                                                 std::function<void(Status)> done) const {
    const std::weak_ptr<Resume> weak = resume;
    m_session.respondText(skillExtractionPrompt(*resume),
                          ResultReceiver::forResume(resume, screen, QStringLiteral("Skill suggestion")),
                          [weak, done = std::move(done)](Result<QString> answer) {
                              const ResumePtr target = weak.lock();
                              if (!target)
                                  return;
                              if (!answer) {
                                  done(answer.errorInfo());
                                  return;
                              }
                              parseSkillResponse(answer.value(), *target);
                              done(Done{});
                          });
}

void ResumeSkillSuggestionService::parseSkillResponse(const QString& answer, Resume& resume,
                                                      const QDateTime& now) {
    logLine(QStringLiteral("🧠 Raw AI skill response:\n") + quotedForLog(answer));
    resume.setSuggestedSkills(parseSkillList(answer));
    resume.setLastEdited(now);
}

QStringList ResumeSkillSuggestionService::parseSkillList(const QString& answer) {
    QString text = answer;
    text.remove(QStringLiteral("Skills:"), Qt::CaseInsensitive);
    text.remove(QStringLiteral("Skill:"), Qt::CaseInsensitive);
    text.replace(QLatin1Char('\t'), QLatin1Char(' '));
    text.remove(QChar(0x2022));
    QStringList pieces;
    qsizetype start = 0;
    for (qsizetype i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text.at(i) == u',' || text.at(i) == u';' || text.at(i) == u'\n') {
            const QString piece = text.mid(start, i - start).trimmed();
            if (!piece.isEmpty())
                pieces << piece;
            start = i + 1;
        }
    }
    QStringList skills;
    for (const QString& piece : cleanSkillList(pieces)) {
        if (std::optional<QString> skill = normalizeSkillItem(piece))
            skills << *skill;
    }
    return skills;
}

std::optional<QString> ResumeSkillSuggestionService::normalizeSkillItem(const QString& item) {
    const QString entry = trimmedOf(item, QStringLiteral("-\u2022")).trimmed();
    if (entry.isEmpty())
        return std::nullopt;
    if (entry.contains(QLatin1Char(':')))
        return joinedPair(splitOnceOmittingEmpty(entry, QLatin1Char(':')));
    return joinedPair(splitOnceOmittingEmpty(entry, QLatin1Char(' ')));
}

} // namespace quillora
