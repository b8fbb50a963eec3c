#pragma once

#include "model/ats_resume_snapshot.h"
#include "model/resume.h"

#include <QString>

namespace quillora {

// Placed between role and company in an experience entry's header line of the plain text.
inline constexpr char16_t kEntryHeaderSeparator[] = u" \u2014 ";

// The résumé as one plain-text document: name and contact, then summary, experience, skills
// and education, one item per line, ending with one line feed. Prints one diagnostic line.
QString formattedResumeText(const Resume& resume);

// The fields the ATS tools work on; the entry lists are the résumé's own records, sorted.
ATSResumeSnapshot makeATSResumeSnapshot(const Resume& resume);

// The request that asks a language model for the skills shown by the experience entries.
QString skillExtractionPrompt(const Resume& resume);

// A new résumé as the list creates it: titled "My Résumé", the default section titles, the
// font "Helvetica Neue", everything else empty, lastEdited now. Not inserted anywhere.
ResumePtr makeNewResume();

// A deep copy titled "<title> Copy" with new entry records, new portfolio ids, lastEdited now
// and no recruiting-network record. The copy is not inserted anywhere. The source's
// experience and education entries are renumbered 0, 1, 2, ... in their sorted order.
ResumePtr duplicateResume(Resume& source);

} // namespace quillora
