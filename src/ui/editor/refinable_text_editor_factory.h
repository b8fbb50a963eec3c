#pragma once

#include "ai/seamless_star_formatter.h"
#include "model/record.h"

#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QPlainTextEdit;
class QWidget;

namespace quillora {

class Services;

// The long texts the writing tools can rewrite (the summary, an experience entry's details).
// widget goes into the layout; textEdit holds the text and is what the caller binds.
struct RefinableTextField final {
    QWidget* widget = nullptr;
    QPlainTextEdit* textEdit = nullptr;
};

// The one place that decides which text editor the editor's rewritable texts use. The
// contexts are read when a rewrite is asked for, so they follow the latest edits; a rewrite
// that ends after `resume` was deleted is dropped.
RefinableTextField makeRefinableTextEditor(Services& services, SeamlessStarMode mode, qreal minHeight,
                                           std::function<std::optional<QString>()> summaryContext,
                                           std::function<std::optional<QString>()> resumeContext,
                                           std::shared_ptr<const Record> resume, QWidget* parent);

} // namespace quillora
