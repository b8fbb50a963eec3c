#pragma once

#include <QString>

#include <functional>
#include <optional>

class QPlainTextEdit;
class QWidget;

namespace quillora {

// What the text is: an experience entry's details or the résumé's summary.
enum class RefinableTextMode { experience, summary };

// The long texts the writing tools can rewrite (the summary, an experience entry's details).
// widget goes into the layout; textEdit holds the text and is what the caller binds.
struct RefinableTextField final {
    QWidget* widget = nullptr;
    QPlainTextEdit* textEdit = nullptr;
};

// The one place that decides which text editor the editor's rewritable texts use. The
// contexts are read when a rewrite is asked for, so they follow the latest edits.
RefinableTextField makeRefinableTextEditor(RefinableTextMode mode, qreal minHeight,
                                           std::function<std::optional<QString>()> summaryContext,
                                           std::function<std::optional<QString>()> resumeContext,
                                           QWidget* parent);

} // namespace quillora
