#include "support/loopback_http_server.h"

#include "ai/json_text.h"

#include <httplib.h>

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
    std::deque<Reply> queue;
    Reply defaultReply;
    QList<Request> requests;
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
        if (reply.delayMs > 0)
            state->wake.wait_for(lock, std::chrono::milliseconds(reply.delayMs),
                                 [state] { return state->stopping; });
        lock.unlock();
        out.status = reply.status;
        out.set_content(reply.body.toStdString(), reply.contentType.toStdString());
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
