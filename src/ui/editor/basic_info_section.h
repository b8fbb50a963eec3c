#pragma once

#include "model/resume.h"

namespace quillora {

class Appearance;
class EditorSectionCard;
class Services;

// "Basic Info": the title, full name and contact fields of the résumé.
EditorSectionCard* makeBasicInfoCard(const ResumePtr& resume, Appearance& appearance);

// "Summary": the résumé's summary in the rewritable text editor, with the résumé as context.
EditorSectionCard* makeSummaryCard(const ResumePtr& resume, Services& services);

} // namespace quillora
