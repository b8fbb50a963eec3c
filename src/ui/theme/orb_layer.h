#pragma once

#include "theme/project_theme.h"

#include <QImage>
#include <QLinearGradient>
#include <QRectF>

class QPainter;

namespace quillora {

// Blurs a premultiplied ARGB image in place with a Gaussian-like blur (three box passes each
// way) of roughly the given standard deviation in pixels; pixels outside count as transparent.
void blurImage(QImage& image, qreal radius);

// A blurred, opaque copy of image, blurred by about radius pixels of image, made at 1/shrink of
// its width and height (a blur this wide shows nothing a smaller copy lacks, at a fraction of the
// cost) and returned at that size. The blur fades towards transparent at the edges; the colours
// are divided by the alpha they keep there, so the edges keep their colour.
QImage blurredOpaqueCopy(const QImage& image, qreal radius, int shrink);

// A linear gradient from start to end with both points rotated by degrees about centre (the
// gradient drawn rotated, without the edges a rotated rectangle would leave).
QLinearGradient rotatedGradient(QPointF start, QPointF end, QPointF centre, qreal degrees);

// Draws the bottom layer of a themed background into rect: the base gradient, the blurred
// orbs and haze, the beam, the shade (light scheme only) and the theme's fixed speckle points.
// Everything is scaled to the smaller side of rect and clipped to it. The blurred parts are
// computed on a small offscreen image, so a call costs a few milliseconds whatever the size.
// An empty rect draws nothing.
void drawOrbBackgroundLayer(QPainter& painter, const QRectF& rect, const BackgroundStyle& style,
                            const QuilloraProjectTheme& theme);

// The orb layer alone as an image of size × devicePixelRatio pixels (the gradient picker's
// preview cards). A zero size gives a null image.
QImage renderOrbBackgroundLayer(const BackgroundStyle& style, const QuilloraProjectTheme& theme, QSize size,
                                qreal devicePixelRatio = 1.0);

} // namespace quillora
