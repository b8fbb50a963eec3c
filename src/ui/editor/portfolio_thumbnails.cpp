#include "editor/portfolio_thumbnails.h"

#include "editor/portfolio_images.h"
#include "platform/async.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cmath>

namespace quillora {

PortfolioThumbnails::PortfolioThumbnails(QObject* parent)
    : QObject(parent) {
    // Two decodes at a time: quick enough, and only two large images are ever being read.
    m_pool.setMaxThreadCount(2);
}

PortfolioThumbnails::~PortfolioThumbnails() {
    m_pool.clear();
    m_pool.waitForDone();
}

PortfolioThumbnails::State PortfolioThumbnails::state(const LocalPickerPortfolioItem& row) {
    if (m_images.contains(row.id))
        return State::ready;
    if (!row.imageData || m_failed.contains(row.id))
        return State::noImage;
    if (!m_pending.contains(row.id)) {
        m_pending.insert(row.id);
        const QByteArray bytes = *row.imageData;
        const qreal ratio = qGuiApp ? qGuiApp->devicePixelRatio() : 1.0;
        const int side = int(std::ceil(shortSidePoints * ratio));
        const QUuid id = row.id;
        runInBackground(
            ResultReceiver(this, QStringLiteral("Portfolio thumbnail")),
            [bytes, side] { return decodePortfolioThumbnail(bytes, side); },
            [this, id](QImage image) {
                if (!m_pending.remove(id))
                    return; // forgotten meanwhile
                if (image.isNull())
                    m_failed.insert(id);
                else
                    m_images.insert(id, image);
                emit thumbnailReady(id);
            },
            &m_pool);
    }
    return State::pending;
}

void PortfolioThumbnails::keepOnly(const QSet<QUuid>& ids) {
    for (auto it = m_images.begin(); it != m_images.end();)
        it = ids.contains(it.key()) ? std::next(it) : m_images.erase(it);
    for (auto it = m_pending.begin(); it != m_pending.end();)
        it = ids.contains(*it) ? std::next(it) : m_pending.erase(it);
    for (auto it = m_failed.begin(); it != m_failed.end();)
        it = ids.contains(*it) ? std::next(it) : m_failed.erase(it);
}

void PortfolioThumbnails::waitForDecodes() {
    m_pool.waitForDone();
    QCoreApplication::sendPostedEvents();
}

} // namespace quillora
