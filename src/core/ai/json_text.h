#pragma once

#include <QByteArray>
#include <QString>

namespace quillora {

// JSON written by hand where member order matters (QJsonObject sorts its keys).

// The text as a JSON string literal in UTF-8, quotes included: `"`, `\` and control characters
// escaped, everything else (also non-ASCII) written as it is.
QByteArray jsonQuoted(const QString& text);

} // namespace quillora
