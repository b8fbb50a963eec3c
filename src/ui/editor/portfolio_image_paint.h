#pragma once

#include <QString>
#include <QtGlobal>

class QImage;
class QPainter;
class QRectF;

namespace quillora {

// What the picker's tiles and the reorder grid's cells share in drawing an image.

// The accessible name of an image: the prefix, then its caption when it has one.
QString portfolioImageLabel(const QString& prefix, const QString& caption);

// Draws the image scaled to fill rect (cropped to its aspect), clipped to a rounded rectangle.
void paintPortfolioImage(QPainter& painter, const QImage& image, const QRectF& rect, qreal radius);

// The grey rounded rectangle standing in for an image still decoding or missing.
void paintPortfolioPlaceholder(QPainter& painter, const QRectF& rect, qreal radius);

} // namespace quillora
