#pragma once

#include "editor/portfolio_rows.h"

#include <QHash>
#include <QImage>
#include <QObject>
#include <QSet>
#include <QThreadPool>
#include <QUuid>

namespace quillora {

// Thumbnails of the portfolio's images, decoded once on a worker at a bounded size and kept
// by id for as long as the card lives. The full-size image is never held.
class PortfolioThumbnails final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PortfolioThumbnails)

public:
    explicit PortfolioThumbnails(QObject* parent = nullptr);
    ~PortfolioThumbnails() override;

    enum class State { pending, ready, noImage };
    // The row's thumbnail state; asks for a decode the first time a row is seen.
    State state(const LocalPickerPortfolioItem& row);
    // The thumbnail (null until ready, or for bytes that are no image).
    QImage thumbnail(const QUuid& id) const { return m_images.value(id); }
    // Forgets the thumbnails of ids no longer shown.
    void keepOnly(const QSet<QUuid>& ids);
    // Waits for the decodes under way (tests, benchmarks).
    void waitForDecodes();

    // The shorter side of a thumbnail, in pixels: enough to fill a picker tile and a grid cell.
    static constexpr int shortSidePoints = 360;

signals:
    void thumbnailReady(const QUuid& id);

private:
    QHash<QUuid, QImage> m_images;
    QSet<QUuid> m_pending;
    QSet<QUuid> m_failed;
    QThreadPool m_pool;
};

} // namespace quillora
