#pragma once

#include "model/resume.h"

namespace quillora::test {

// A résumé with every text empty, no entries, no optionals, dated at the given time.
ResumePtr makeEmptyResume(const QString& title = QString(), const QDateTime& lastEdited = QDateTime());

// A résumé with every property set to a distinctive value, entries included.
ResumePtr makeFullResume();

// The texts a translation sends, in its order: name, contact, summary, the three section titles
// (the default word for an unset one), each experience and education entry's fields, and the
// cover letter's posting and text when it is included.
QStringList translatableTexts(const Resume& resume);

} // namespace quillora::test
