#pragma once

#include "model/resume.h"

namespace quillora::test {

// A résumé with every text empty, no entries, no optionals, dated at the given time.
ResumePtr makeEmptyResume(const QString& title = QString(), const QDateTime& lastEdited = QDateTime());

// A résumé with every property set to a distinctive value, entries included.
ResumePtr makeFullResume();

} // namespace quillora::test
