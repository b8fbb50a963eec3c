#pragma once

#include <QString>

namespace quillora {

// Writes one diagnostic line to standard output (UTF-8) and flushes it.
void logLine(const QString& line);

} // namespace quillora
