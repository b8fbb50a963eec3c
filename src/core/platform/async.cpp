#include "platform/async.h"

#include "model/record.h"
#include "platform/log.h"

#include <QNetworkReply>

namespace quillora {

ResultReceiver::ResultReceiver(QObject* context, const QString& what)
    : m_context(context)
    , m_what(what) {}

ResultReceiver::ResultReceiver(QObject* context, std::shared_ptr<const Record> resume, const QString& what)
    : m_context(context)
    , m_resume(resume)
    , m_hasResume(resume != nullptr)
    , m_what(what) {}

bool ResultReceiver::accepts() const {
    if (!m_context) {
        logLine(QStringLiteral("⏭️ ") % m_what %
                QStringLiteral(" result dropped: its screen was closed"));
        return false;
    }
    if (m_hasResume) {
        const auto resume = m_resume.lock();
        if (!resume || resume->isDeleted()) {
            logLine(QStringLiteral("⏭️ ") % m_what %
                    QStringLiteral(" result dropped: its résumé was deleted"));
            return false;
        }
    }
    return true;
}

void async_detail::postToUiThread(std::function<void()> fn) {
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return; // the app is gone: nobody is left to receive anything
    QMetaObject::invokeMethod(app, std::move(fn), Qt::QueuedConnection);
}

void whenReplyFinished(QNetworkReply* reply, ResultReceiver receiver,
                       std::function<void(QNetworkReply& reply)> handle) {
    if (QObject* context = receiver.context()) {
        QObject::connect(context, &QObject::destroyed, reply, [reply] {
            if (reply->isRunning())
                reply->abort();
        });
    }
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, receiver = std::move(receiver), handle = std::move(handle)] {
                         reply->deleteLater();
                         if (receiver.accepts())
                             handle(*reply);
                     });
}

} // namespace quillora
