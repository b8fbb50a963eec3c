#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>

#include <functional>
#include <limits>
#include <utility>
#include <vector>

namespace quillora {

// Writes pretty-printed JSON by hand, for documents whose exact bytes matter: two-space
// indentation, "key" : value, the keys of every object in ascending byte order, every "/"
// written as "\/". The same calls always give the same bytes.
class PrettyJsonWriter final {
public:
    // The text goes to `out`. With a device, it is handed to the device in pieces of about a
    // megabyte as it is made, so a large document never has to be held in memory whole.
    explicit PrettyJsonWriter(QByteArray& out, QIODevice* device = nullptr)
        : m_out(out)
        , m_device(device) {}

    // Hands what is left to the device; false when any write to it failed.
    bool finish();

    // How many bytes the document has so far, handed on or not.
    qint64 size() const { return m_handedOn + m_out.size(); }
    // Once the document grows past `bytes`, nothing more is handed to the device (the text made
    // is only counted), so a document too large to keep fills neither the disk nor the memory.
    void handOnAtMost(qint64 bytes) { m_limit = bytes; }
    bool pastLimit() const { return size() > m_limit; }

    // A key and the call that writes its value; members whose call is empty are left out.
    using Member = std::pair<const char*, std::function<void()>>;

    void object(std::vector<Member> members);

    template <typename Item, typename WriteItem> void array(const QList<Item>& items, WriteItem writeItem) {
        if (items.isEmpty()) {
            m_out += "[]";
            return;
        }
        m_out += '[';
        ++m_depth;
        bool first = true;
        for (const Item& item : items) {
            if (!first)
                m_out += ',';
            first = false;
            newline();
            writeItem(item);
        }
        --m_depth;
        newline();
        m_out += ']';
    }

    // An array whose items come one at a time: `next()` gives the next item, or nothing after
    // the last, so the items are never all held at once.
    template <typename NextItem, typename WriteItem> void streamedArray(NextItem next, WriteItem writeItem) {
        auto item = next();
        if (!item) {
            m_out += "[]";
            return;
        }
        m_out += '[';
        ++m_depth;
        for (bool first = true; item; item = next(), first = false) {
            if (!first)
                m_out += ',';
            newline();
            writeItem(*item);
        }
        --m_depth;
        newline();
        m_out += ']';
    }

    void string(const QString& text) { utf8String(text.toUtf8()); }
    void utf8String(QByteArrayView utf8);
    void strings(const QStringList& list) {
        array(list, [this](const QString& s) { string(s); });
    }
    // Standard padded Base64 as a JSON string, written straight into the document with every
    // "/" escaped, so large images are neither copied nor scanned a second time.
    void base64String(const QByteArray& bytes);
    void boolean(bool value) { m_out += value ? "true" : "false"; }
    void integer(qint64 value) { m_out += QByteArray::number(value); }

private:
    void newline();
    void flushIfFull();
    void flush();

    QByteArray& m_out;
    QIODevice* m_device = nullptr;
    bool m_failed = false;
    int m_depth = 0;
    qint64 m_handedOn = 0;
    qint64 m_limit = std::numeric_limits<qint64>::max();
};

} // namespace quillora
