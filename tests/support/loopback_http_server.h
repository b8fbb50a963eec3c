#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QString>

#include <functional>
#include <memory>

namespace quillora::test {

// An HTTP server on 127.0.0.1 (a free port) running on threads of its own, standing in for
// the OpenAI service or a local model server. It records every request and answers with the
// queued replies in order, then with the default reply. A reply may come late or never (until
// the server is destroyed).
class LoopbackHttpServer final {
public:
    struct Request {
        QByteArray method;
        QByteArray path;
        QMap<QByteArray, QByteArray> headers; // names in lower case
        QByteArray body;
    };

    struct Reply {
        int status = 200;
        QByteArray body;
        QByteArray contentType = "application/json";
        int delayMs = 0;
        bool neverAnswer = false;
        // When set, it waits until release() lets it go (or the server is destroyed).
        bool held = false;
        // When set, the body is sent one byte at a time this far apart, after the headers.
        int trickleMs = 0;
        // A body over 1 MiB goes out in pieces, with its length announced unless this is set.
        bool chunked = false;
    };

    LoopbackHttpServer();
    ~LoopbackHttpServer();
    LoopbackHttpServer(const LoopbackHttpServer&) = delete;
    LoopbackHttpServer& operator=(const LoopbackHttpServer&) = delete;

    // "http://127.0.0.1:<port>"
    QString baseURL() const;
    int port() const;

    void enqueue(Reply reply);
    void setDefaultReply(Reply reply);
    // Lets the oldest held reply waiting, or the next one to come, go out.
    void release();
    // A chat-completion reply whose first choice says `content`.
    static Reply completion(const QString& content, int status = 200);
    // A request that is never answered.
    static Reply silence();

    // How many body bytes the server has handed to the connection so far, over all replies.
    qint64 bytesSent() const;

    QList<Request> requests() const;
    int requestCount() const;
    void clearRequests();

private:
    struct State;
    std::unique_ptr<State> m_state;
};

} // namespace quillora::test
