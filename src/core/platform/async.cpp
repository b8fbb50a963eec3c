#include "platform/async.h"

#include "platform/log.h"

#include <QNetworkReply>
#include <QStringBuilder>

#include <memory>

namespace quillora {

ResultReceiver::ResultReceiver(QObject* screen, const QString& what)
    : m_screen(screen)
    , m_what(what) {}

ResultReceiver::ResultReceiver(QObject* screen, std::shared_ptr<const Deletable> resume, const QString& what)
    : m_screen(screen)
    , m_resume(resume)
    , m_hasResume(resume != nullptr)
    , m_what(what) {}

ResultReceiver ResultReceiver::forResume(std::shared_ptr<const Deletable> resume, QObject* screen,
                                         const QString& what) {
    ResultReceiver receiver(screen, std::move(resume), what);
    receiver.m_outlivesScreen = true;
    return receiver;
}

bool ResultReceiver::accepts() const {
    if (!m_outlivesScreen && !m_screen) {
        logLine(QStringLiteral("⏭️ ") % m_what %
                QStringLiteral(" result dropped: its screen was closed"));
        return false;
    }
    if (m_hasResume || m_outlivesScreen) {
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
    // A widget announces its destruction while guarded pointers to it still hold, and the abort
    // finishes the reply at once: remember that the screen is going so nothing reaches it.
    auto closing = std::make_shared<bool>(false);
    QObject* screen = receiver.outlivesScreen() ? nullptr : receiver.screen();
    if (screen) {
        QObject::connect(screen, &QObject::destroyed, reply, [reply, closing] {
            *closing = true;
            if (reply->isRunning())
                reply->abort();
        });
    }
    QObject::connect(reply, &QNetworkReply::finished, reply,
                     [reply, closing, receiver = std::move(receiver), handle = std::move(handle)] {
                         reply->deleteLater();
                         if (*closing) {
                             logLine(QStringLiteral("⏭️ ") % receiver.what() %
                                     QStringLiteral(" result dropped: its screen was closed"));
                             return;
                         }
                         if (receiver.accepts())
                             handle(*reply);
                     });
}

} // namespace quillora
