#include "ai/json_text.h"

#include "platform/json_string.h"

namespace quillora {

QByteArray jsonQuoted(const QString& text) {
    const QByteArray utf8 = text.toUtf8();
    QByteArray out;
    out.reserve(utf8.size() + 2);
    appendJsonString(out, utf8, JsonSlash::asIs);
    return out;
}

} // namespace quillora
