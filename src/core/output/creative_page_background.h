#pragma once

#include "output/background_theme.h"

#include <QColor>
#include <QList>

class QPainter;

namespace quillora {

// Paints the random, translucent decoration of one creative page straight onto the blank page:
// no base colour, no clip. Every call makes a fresh arrangement. The painter's state is left as
// it was found.
void drawCreativePageBackground(QPainter& painter, BackgroundShapeType shape, const QList<QColor>& palette,
                                qreal opacity, qreal pageWidth, qreal pageHeight);

} // namespace quillora
