#include "editor/resume_save.h"

#include "platform/log.h"
#include "store/model_context.h"

#include <QStringList>

namespace quillora {

namespace {

QString escapedCaption(const QString& caption) {
    QString out;
    out.reserve(caption.size() + 2);
    for (const QChar c : caption) {
        if (c == QLatin1Char('"'))
            out += QStringLiteral("\\\"");
        else if (c == QLatin1Char('\\'))
            out += QStringLiteral("\\\\");
        else if (c == QLatin1Char('\n'))
            out += QStringLiteral("\\n");
        else if (c == QLatin1Char('\r'))
            out += QStringLiteral("\\r");
        else
            out += c;
    }
    return out;
}

} // namespace

QString quotedListForLog(const QStringList& texts) {
    QStringList quoted;
    quoted.reserve(texts.size());
    for (const QString& text : texts)
        quoted << QLatin1Char('"') + escapedCaption(text) + QLatin1Char('"');
    return QLatin1Char('[') + quoted.join(QStringLiteral(", ")) + QLatin1Char(']');
}

QString portfolioCaptionsForLog(const Resume& resume) {
    QStringList captions;
    for (const PortfolioItemPtr& item : resume.portfolioItems())
        captions << item->caption();
    return quotedListForLog(captions);
}

void saveResume(Resume& resume, ModelContext& context, const QDateTime& now) {
    resume.setLastEdited(now);
    logLine(QStringLiteral("[Portfolio DEBUG] attempting save; items=") +
            QString::number(resume.portfolioItems().size()) + QStringLiteral("; captions=") +
            portfolioCaptionsForLog(resume));
    if (const Status status = context.save(); status)
        logLine(QStringLiteral("[Portfolio DEBUG] save succeeded"));
    else
        logLine(QStringLiteral("[Portfolio DEBUG] save failed: ") + status.error());
}

void saveResume(Resume& resume) {
    if (ModelContext* context = resume.modelContext(); context && !resume.isDeleted())
        saveResume(resume, *context);
}

} // namespace quillora
