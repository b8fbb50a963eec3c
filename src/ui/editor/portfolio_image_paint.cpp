#include "editor/portfolio_image_paint.h"

#include <QImage>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>

namespace quillora {

QString portfolioImageLabel(const QString& prefix, const QString& caption) {
    return caption.isEmpty() ? prefix : prefix + QStringLiteral(", ") + caption;
}

void paintPortfolioImage(QPainter& painter, const QImage& image, const QRectF& rect, qreal radius) {
    QPainterPath clip;
    clip.addRoundedRect(rect, radius, radius);
    painter.save();
    painter.setClipPath(clip);
    const qreal scale = std::max(rect.width() / image.width(), rect.height() / image.height());
    const QSizeF shown(rect.width() / scale, rect.height() / scale);
    const QRectF source(QPointF((image.width() - shown.width()) / 2, (image.height() - shown.height()) / 2),
                        shown);
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    painter.drawImage(rect, image, source);
    painter.restore();
}

void paintPortfolioPlaceholder(QPainter& painter, const QRectF& rect, qreal radius) {
    QPainterPath shape;
    shape.addRoundedRect(rect, radius, radius);
    painter.fillPath(shape, QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.2f));
}

} // namespace quillora
