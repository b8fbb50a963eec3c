#pragma once

#include "model/resume.h"

#include <QString>
#include <QStringList>

namespace quillora {

// Placed between role and company in the plain text the summary's writing tools get as context.
inline constexpr char16_t kPlainTextRoleCompanySeparator[] = u" \u2014 ";

// The résumé as plain text for the writing tools: name and contact, then the EXPERIENCE,
// EDUCATION and SKILLS blocks with the entries in display order, trimmed as a whole.
QString plainTextResume(const Resume& resume);

// True while the résumé is uploaded to the recruiting network (an empty record name counts).
bool isSharedToMorvessa(const Resume& resume);

// What the résumé still lacks before it may be uploaded, in a fixed order; empty when ready.
QStringList missingMorvessaRequirements(const Resume& resume);

} // namespace quillora
