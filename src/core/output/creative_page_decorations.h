#pragma once

#include <QColor>
#include <QImage>
#include <QRectF>
#include <QString>

class QPainter;

namespace quillora {

// Font size of the vertical name for the free height it may use: 36 up to about 218 points of
// free space, growing to at most 72.
qreal verticalScriptNameFontSize(qreal available);

// Writes the name large and faint, reading upwards, centred in the free space of the second
// column (from top down to the bottom margin). Nothing is clipped. `rightToLeftPage`: most of the
// page's text is right to left, which readers read from the right.
void drawVerticalScriptName(QPainter& painter, const QString& name, qreal pageHeight, qreal bottomMargin,
                            qreal top, qreal margin, qreal columnWidth, qreal columnGap,
                            bool rightToLeftPage);

// Where an image of the given size is drawn inside rect: scaled to fit whole, centred, proportions
// kept. Empty when the image has no area.
QRectF aspectFitRect(const QSizeF& imageSize, const QRectF& rect);

// Fills rect with backgroundColor, then draws the whole image into it at aspectFitRect.
void drawImageAspectFit(QPainter& painter, const QImage& image, const QColor& backgroundColor,
                        const QRectF& rect);

} // namespace quillora
