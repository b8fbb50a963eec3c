#include "support/loopback_http_server.h"

#include "ai/json_text.h"

#include <httplib.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

namespace quillora::test {

struct LoopbackHttpServer::State {
    httplib::Server server;
    std::thread thread;
    int port = 0;

    std::mutex mutex;
    std::condition_variable wake;
    bool stopping = false;
    int releases = 0; // held replies let go and not yet sent
    std::deque<Reply> queue;
    Reply defaultReply;
    QList<Request> requests;
    std::atomic<qint64> bytesSent = 0;
};

LoopbackHttpServer::LoopbackHttpServer()
    : m_state(std::make_unique<State>()) {
    State* state = m_state.get();
    state->defaultReply = completion(QStringLiteral("ok"));
    const auto handle = [state](const httplib::Request& in, httplib::Response& out) {
        Request request;
        request.method = QByteArray::fromStdString(in.method);
        request.path = QByteArray::fromStdString(in.path);
        for (const auto& [name, value] : in.headers)
            request.headers.insert(QByteArray::fromStdString(name).toLower(),
                                   QByteArray::fromStdString(value));
        request.body = QByteArray::fromStdString(in.body);

        std::unique_lock lock(state->mutex);
        state->requests.append(request);
        Reply reply = state->defaultReply;
        if (!state->queue.empty()) {
            reply = state->queue.front();
            state->queue.pop_front();
        }
        if (reply.neverAnswer) {
            state->wake.wait(lock, [state] { return state->stopping; });
            return;
        }
        if (reply.held) {
            state->wake.wait(lock, [state] { return state->stopping || state->releases > 0; });
            if (state->stopping)
                return;
            --state->releases;
        }
        if (reply.delayMs > 0)
            state->wake.wait_for(lock, std::chrono::milliseconds(reply.delayMs),
                                 [state] { return state->stopping; });
        lock.unlock();
        out.status = reply.status;
        if (reply.trickleMs > 0) {
            auto body = std::make_shared<QByteArray>(reply.body);
            const int pause = reply.trickleMs;
            out.set_content_provider(size_t(body->size()), reply.contentType.toStdString(),
                                     [state, body, pause](size_t offset, size_t, httplib::DataSink& sink) {
                                         if (!sink.write(body->constData() + offset, 1))
                                             return false;
                                         ++state->bytesSent;
                                         std::unique_lock wait(state->mutex);
                                         return !state->wake.wait_for(wait, std::chrono::milliseconds(pause),
                                                                      [state] { return state->stopping; });
                                     });
            return;
        }
        if (reply.body.size() <= 1024 * 1024) {
            state->bytesSent += reply.body.size();
            out.set_content(reply.body.toStdString(), reply.contentType.toStdString());
            return;
        }
        auto body = std::make_shared<QByteArray>(reply.body);
        // Pieces of 64 KiB, so a peer that stops reading stops the sender.
        const auto send = [state, body](size_t offset, httplib::DataSink& sink) {
            if (offset >= size_t(body->size())) {
                sink.done();
                return true;
            }
            const size_t piece = std::min<size_t>(size_t(body->size()) - offset, 64 * 1024);
            if (!sink.write(body->constData() + offset, piece))
                return false;
            state->bytesSent += qint64(piece);
            return true;
        };
        if (reply.chunked)
            out.set_chunked_content_provider(reply.contentType.toStdString(), send);
        else
            out.set_content_provider(
                size_t(body->size()), reply.contentType.toStdString(),
                [send](size_t offset, size_t, httplib::DataSink& sink) { return send(offset, sink); });
    };
    state->server.Post(".*", handle);
    state->server.Get(".*", handle);
    state->server.set_keep_alive_timeout(1);
    state->server.set_tcp_nodelay(true);
    state->port = state->server.bind_to_any_port("127.0.0.1");
    state->thread = std::thread([state] { state->server.listen_after_bind(); });
    // stop() only stops a server that has begun listening.
    while (!state->server.is_running())
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
}

LoopbackHttpServer::~LoopbackHttpServer() {
    {
        std::lock_guard lock(m_state->mutex);
        m_state->stopping = true;
    }
    m_state->wake.notify_all();
    m_state->server.stop();
    if (m_state->thread.joinable())
        m_state->thread.join();
}

QString LoopbackHttpServer::baseURL() const {
    return QStringLiteral("http://127.0.0.1:") + QString::number(m_state->port);
}

int LoopbackHttpServer::port() const {
    return m_state->port;
}

void LoopbackHttpServer::enqueue(Reply reply) {
    std::lock_guard lock(m_state->mutex);
    m_state->queue.push_back(std::move(reply));
}

void LoopbackHttpServer::release() {
    {
        std::lock_guard lock(m_state->mutex);
        ++m_state->releases;
    }
    m_state->wake.notify_all();
}

void LoopbackHttpServer::setDefaultReply(Reply reply) {
    std::lock_guard lock(m_state->mutex);
    m_state->defaultReply = std::move(reply);
}

LoopbackHttpServer::Reply LoopbackHttpServer::completion(const QString& content, int status) {
    Reply reply;
    reply.status = status;
    reply.body =
        QByteArrayLiteral("{\"id\":\"chatcmpl-1\",\"object\":\"chat.completion\",\"choices\":[{\"index\":0,"
                          "\"message\":{\"role\":\"assistant\",\"content\":") +
        jsonQuoted(content) + QByteArrayLiteral("},\"finish_reason\":\"stop\"}]}");
    return reply;
}

LoopbackHttpServer::Reply LoopbackHttpServer::silence() {
    Reply reply;
    reply.neverAnswer = true;
    return reply;
}

qint64 LoopbackHttpServer::bytesSent() const {
    return m_state->bytesSent;
}

QList<LoopbackHttpServer::Request> LoopbackHttpServer::requests() const {
    std::lock_guard lock(m_state->mutex);
    return m_state->requests;
}

int LoopbackHttpServer::requestCount() const {
    std::lock_guard lock(m_state->mutex);
    return static_cast<int>(m_state->requests.size());
}

void LoopbackHttpServer::clearRequests() {
    std::lock_guard lock(m_state->mutex);
    m_state->requests.clear();
}

} // namespace quillora::test
