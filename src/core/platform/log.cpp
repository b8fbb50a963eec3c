#include "platform/log.h"

#include <cstdio>

namespace quillora {

void logLine(const QString& line) {
    const QByteArray utf8 = line.toUtf8();
    std::fwrite(utf8.constData(), 1, size_t(utf8.size()), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

QString quotedForLog(const QString& text) {
    if (text.size() <= kLogQuoteLimit)
        return text;
    // Never cut between the two halves of a surrogate pair.
    qsizetype end = kLogQuoteLimit;
    if (text.at(end - 1).isHighSurrogate())
        --end;
    return text.left(end) + QStringLiteral("… (") + QString::number(text.size() - end) +
           QStringLiteral(" more characters)");
}

} // namespace quillora
