#include "editor/refinable_text_editor_factory.h"

#include "ai/ai_refinable_text_editor.h"

namespace quillora {

RefinableTextField makeRefinableTextEditor(Services& services, SeamlessStarMode mode, qreal minHeight,
                                           std::function<std::optional<QString>()> summaryContext,
                                           std::function<std::optional<QString>()> resumeContext,
                                           std::shared_ptr<const Record> resume, QWidget* parent) {
    auto* editor = new AIRefinableTextEditor(services, mode, parent);
    if (summaryContext)
        editor->setSummaryContextProvider(std::move(summaryContext));
    if (resumeContext)
        editor->setResumeContextProvider(std::move(resumeContext));
    editor->setResume(std::move(resume));
    // The host's minimum is the whole editor's; the text keeps its own height within it. It is
    // a floor under the editor's rows, never a height the rows are squeezed into.
    editor->setMinimumHostHeight(qRound(minHeight));
    return RefinableTextField{editor, editor->textEdit()};
}

} // namespace quillora
