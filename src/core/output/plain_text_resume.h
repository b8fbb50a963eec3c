#pragma once

#include <QString>

namespace quillora {

class Resume;
class ResumeTitles;

// The résumé as the preview's plain text, in the preview's section order, with the headings the
// preview shows. Entries come in the order the résumé holds them; nothing is trimmed.
QString buildPlainTextResume(const Resume& resume, const ResumeTitles& titles);

// Between an education entry's school and its year.
inline constexpr char16_t schoolYearSeparator[] = u" \u2014 ";

} // namespace quillora
