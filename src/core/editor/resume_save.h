#pragma once

#include "model/resume.h"

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quillora {

class ModelContext;

// The editor's one save routine: stamps lastEdited, logs the portfolio it is about to save,
// saves the context and logs the outcome. A failure is only logged; the changes stay pending
// for the next save.
void saveResume(Resume& resume, ModelContext& context,
                const QDateTime& now = QDateTime::currentDateTimeUtc());
// The same routine for work that finishes after its editor has closed: through the context the
// résumé is in (nothing happens for a résumé in none, or deleted).
void saveResume(Resume& resume);

// The captions of the résumé's portfolio entries, in the order the résumé holds them, as the
// save log writes them: ["a", "b"], with quotes, backslashes and line breaks escaped.
QString portfolioCaptionsForLog(const Resume& resume);

// Texts as the portfolio log lines print a list of them: ["a", "b"], escaped the same way.
QString quotedListForLog(const QStringList& texts);

} // namespace quillora
