#pragma once

#include "model/resume.h"

#include <functional>

namespace quillora {

class Appearance;
class EditorSectionCard;

// "Font Style": the résumé's font name in the accent colour with a chevron; a click calls
// openPicker.
EditorSectionCard* makeFontStyleCard(const ResumePtr& resume, Appearance& appearance,
                                     std::function<void()> openPicker);

} // namespace quillora
