#pragma once

#include "platform/deletable.h"

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

// Where the result of long work goes. A task names the screen it updates and, when its outcome
// is written into a résumé, that résumé:
// - work for a screen (a PDF to share, an analysis shown in a card) is delivered only while its
//   screen is open and, when one is named, its résumé still exists;
// - work for a résumé (an AI answer stored in it, a record name) is delivered while the résumé
//   exists, whether or not the screen that asked is still open: a closed screen receives
//   nothing, but the résumé still does. The delivery then updates the screen only through
//   screen(), which is null once the screen has closed.
// A result that cannot be delivered is dropped with a log line "⏭️ <what> result dropped: …".
// Make it on the UI thread; the screen lives there too.
class ResultReceiver final {
public:
    // Screen work; `what` names the work in the log line, for example "PDF export".
    ResultReceiver(QObject* screen, const QString& what);
    ResultReceiver(QObject* screen, std::shared_ptr<const Deletable> resume, const QString& what);

    // Résumé work: written into `resume`; `screen` (may be null) shows its progress.
    static ResultReceiver forResume(std::shared_ptr<const Deletable> resume, QObject* screen,
                                    const QString& what);

    // True while a result may be delivered; otherwise logs why it is dropped. UI thread only.
    bool accepts() const;
    // The screen while it is open; null once it has closed (or when none was named).
    QObject* screen() const { return m_screen.data(); }
    // True for résumé work, which the closing of its screen does not stop.
    bool outlivesScreen() const { return m_outlivesScreen; }
    QString what() const { return m_what; }

private:
    QPointer<QObject> m_screen;
    std::weak_ptr<const Deletable> m_resume;
    bool m_hasResume = false;
    bool m_outlivesScreen = false;
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
// deleted afterwards either way. Screen work is aborted when its screen is destroyed first
// (the abort then logs the dropped result); résumé work runs on to its end.
void whenReplyFinished(QNetworkReply* reply, ResultReceiver receiver,
                       std::function<void(QNetworkReply& reply)> handle);

} // namespace quillora
