#include "platform/pretty_json_writer.h"

#include "platform/json_string.h"

#include <algorithm>
#include <cstring>

namespace quillora {

bool PrettyJsonWriter::finish() {
    flush();
    return !m_failed;
}

void PrettyJsonWriter::object(std::vector<Member> members) {
    std::erase_if(members, [](const Member& m) { return !m.second; });
    std::stable_sort(members.begin(), members.end(),
                     [](const Member& a, const Member& b) { return std::strcmp(a.first, b.first) < 0; });
    if (members.empty()) {
        m_out += "{}";
        return;
    }
    m_out += '{';
    ++m_depth;
    bool first = true;
    for (const Member& member : members) {
        if (!first)
            m_out += ',';
        first = false;
        newline();
        m_out += '"';
        m_out += member.first;
        m_out += "\" : ";
        member.second();
    }
    --m_depth;
    newline();
    m_out += '}';
}

void PrettyJsonWriter::utf8String(QByteArrayView utf8) {
    appendJsonString(m_out, utf8, JsonSlash::escaped);
}

void PrettyJsonWriter::base64String(const QByteArray& bytes) {
    static constexpr char alphabet[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    static constexpr qsizetype block = 3 * 1024; // input bytes encoded per step
    const auto* in = reinterpret_cast<const unsigned char*>(bytes.constData());
    const qsizetype size = bytes.size();
    m_out += '"';
    for (qsizetype from = 0; from < size; from += block) {
        const qsizetype to = std::min(size, from + block);
        const qsizetype start = m_out.size();
        m_out.resize(start + (to - from + 2) / 3 * 8); // room for every character escaped
        char* out = m_out.data() + start;
        const auto put = [&out](unsigned index) {
            const char c = alphabet[index];
            if (c == '/')
                *out++ = '\\';
            *out++ = c;
        };
        qsizetype i = from;
        for (; i + 3 <= to; i += 3) {
            const unsigned triple = unsigned(in[i]) << 16 | unsigned(in[i + 1]) << 8 | in[i + 2];
            put(triple >> 18);
            put((triple >> 12) & 63);
            put((triple >> 6) & 63);
            put(triple & 63);
        }
        if (const qsizetype rest = to - i; rest > 0) { // only in the last block
            const unsigned triple = unsigned(in[i]) << 16 | (rest == 2 ? unsigned(in[i + 1]) << 8 : 0U);
            put(triple >> 18);
            put((triple >> 12) & 63);
            if (rest == 2)
                put((triple >> 6) & 63);
            else
                *out++ = '=';
            *out++ = '=';
        }
        m_out.truncate(out - m_out.constData());
        flushIfFull();
    }
    m_out += '"';
}

void PrettyJsonWriter::newline() {
    flushIfFull();
    m_out += '\n';
    m_out.append(m_depth * 2, ' ');
}

void PrettyJsonWriter::flushIfFull() {
    if (m_device && m_out.size() >= (1 << 20))
        flush();
}

void PrettyJsonWriter::flush() {
    if (!m_device || m_out.isEmpty())
        return;
    const bool wanted = !pastLimit();
    m_handedOn += m_out.size();
    if (wanted && !m_failed && m_device->write(m_out) != m_out.size())
        m_failed = true;
    m_out.truncate(0); // keeps the buffer's memory for the next piece
}

} // namespace quillora
