#pragma once

#include "platform/appearance.h"

#include <QLinearGradient>
#include <QRadialGradient>
#include <QRectF>
#include <QSizeF>

class QPainter;

namespace quillora {

// The overlays a themed background lays over its orb layer. They depend only on the area and,
// for the wash, on the colour scheme.

// Top to bottom: white 0.35 to 0.08 in the light scheme, black 0.35 to 0.65 otherwise.
QLinearGradient backgroundWashGradient(ColorScheme scheme, const QRectF& rect);
// The sheen: leading to trailing, white 0.35, clear, white 0.18, turned by 18 degrees.
QLinearGradient highlightGradient(const QRectF& rect);
// Centred, clear within 80 points, black 0.35 from 440 points out.
QRadialGradient vignetteGradient(const QRectF& rect);

// Film grain, hairlines and speckles: random marks in white, drawn with the system random
// generator over the given size (points). Each call draws new positions.
void drawGrainLayer(QPainter& painter, QSizeF size);
void drawHairlineLayer(QPainter& painter, QSizeF size);
void drawSpeckleLayer(QPainter& painter, QSizeF size);

} // namespace quillora
