#include "editor/refinable_text_editor_factory.h"

#include "editor/editor_text_area.h"

namespace quillora {

RefinableTextField makeRefinableTextEditor(RefinableTextMode /*mode*/, qreal minHeight,
                                           std::function<std::optional<QString>()> /*summaryContext*/,
                                           std::function<std::optional<QString>()> /*resumeContext*/,
                                           QWidget* parent) {
    auto* area = new EditorTextArea(minHeight, parent);
    return RefinableTextField{area, area};
}

} // namespace quillora
