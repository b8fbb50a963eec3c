#include "platform/json_string.h"

namespace quillora {

void appendJsonString(QByteArray& out, QByteArrayView utf8, JsonSlash slash) {
    static constexpr char hex[] = "0123456789abcdef";
    const bool escapeSlash = slash == JsonSlash::escaped;
    out += '"';
    const char* data = utf8.data();
    const qsizetype size = utf8.size();
    // Runs of characters that need no escape are copied in one go.
    qsizetype runStart = 0;
    for (qsizetype i = 0; i < size; ++i) {
        const auto c = static_cast<unsigned char>(data[i]);
        if (c >= 0x20 && c != '"' && c != '\\' && (c != '/' || !escapeSlash))
            continue;
        out.append(data + runStart, i - runStart);
        runStart = i + 1;
        switch (c) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '/':
            out += "\\/";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        case '\b':
            out += "\\b";
            break;
        case '\f':
            out += "\\f";
            break;
        default: {
            const char escape[] = {'\\', 'u', '0', '0', hex[c >> 4], hex[c & 0xf]};
            out.append(escape, sizeof escape);
        }
        }
    }
    out.append(data + runStart, size - runStart);
    out += '"';
}

} // namespace quillora
