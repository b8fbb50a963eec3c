#pragma once

#include <QString>

namespace quillora {

// Writes one diagnostic line to standard output (UTF-8) and flushes it.
void logLine(const QString& line);

// The most characters a log line quotes of a text from outside (an AI answer, say).
inline constexpr qsizetype kLogQuoteLimit = 2000;

// `text` as a log line quotes it: whole up to kLogQuoteLimit characters, otherwise its start and
// "… (<n> more characters)".
QString quotedForLog(const QString& text);

} // namespace quillora
