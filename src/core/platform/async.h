#pragma once

#include <QCoreApplication>
#include <QFuture>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <functional>
#include <memory>
#include <type_traits>
#include <utility>

class QNetworkReply;

namespace quillora {

class Record;

// Where the result of long work goes: the object that asked for it (usually its screen) and,
// when the result writes into one, the résumé. A result is delivered only while the object
// lives and the résumé is neither deleted nor gone; otherwise it is dropped with a log line
// "⏭️ <what> result dropped: …". Make it on the UI thread; the object lives there too.
class ResultReceiver final {
public:
    // `what` names the work in the log line, for example "PDF export".
    ResultReceiver(QObject* context, const QString& what);
    ResultReceiver(QObject* context, std::shared_ptr<const Record> resume, const QString& what);

    // True while a result may be delivered; otherwise logs why it is dropped. UI thread only.
    bool accepts() const;
    QObject* context() const { return m_context.data(); }
    QString what() const { return m_what; }

private:
    QPointer<QObject> m_context;
    std::weak_ptr<const Record> m_resume;
    bool m_hasResume = false;
    QString m_what;
};

namespace async_detail {
// Queues fn on the UI thread. Safe from any thread.
void postToUiThread(std::function<void()> fn);
} // namespace async_detail

// Calls deliver() on the UI thread, later (never from inside this call), if the receiver still
// accepts then. Safe to call from any thread; use it to hand a worker's result back.
template <typename Deliver> void deliverLater(ResultReceiver receiver, Deliver&& deliver) {
    auto state = std::make_shared<std::pair<ResultReceiver, std::decay_t<Deliver>>>(
        std::move(receiver), std::forward<Deliver>(deliver));
    async_detail::postToUiThread([state] {
        if (state->first.accepts())
            state->second();
    });
}

// Runs work() on a worker of `pool` (the global pool by default), then calls
// deliver(result) — or deliver() when work returns nothing — on the UI thread if the receiver
// still accepts. The work must not touch live records: give it a snapshot taken beforehand.
// The future finishes when the work does (the delivery may still be queued then).
template <typename Work, typename Deliver>
QFuture<void> runInBackground(ResultReceiver receiver, Work work, Deliver deliver,
                              QThreadPool* pool = QThreadPool::globalInstance()) {
    using Value = std::invoke_result_t<Work&>;
    auto target =
        std::make_shared<std::pair<ResultReceiver, Deliver>>(std::move(receiver), std::move(deliver));
    return QtConcurrent::run(pool, [target, work = std::move(work)]() mutable {
        if constexpr (std::is_void_v<Value>) {
            work();
            async_detail::postToUiThread([target] {
                if (target->first.accepts())
                    target->second();
            });
        } else {
            auto value = std::make_shared<Value>(work());
            async_detail::postToUiThread([target, value] {
                if (target->first.accepts())
                    target->second(std::move(*value));
            });
        }
    });
}

// Calls handle(reply) when the reply finishes, if the receiver still accepts; the reply is
// deleted afterwards either way. The request is aborted when the receiver's object is
// destroyed first (the abort then logs the dropped result).
void whenReplyFinished(QNetworkReply* reply, ResultReceiver receiver,
                       std::function<void(QNetworkReply& reply)> handle);

} // namespace quillora
