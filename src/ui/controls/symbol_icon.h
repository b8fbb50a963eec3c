#pragma once

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QPixmap>
#include <QSize>
#include <QString>
#include <QStringList>

class QPainter;
class QRectF;

namespace quillora {

// The app's symbol icons, looked up by the names the screens use ("xmark.circle.fill",
// "sparkles", "briefcase.fill", …) and drawn in one colour. Each symbol is a square drawing
// whose ink takes the colour and whose cut-outs stay transparent.

// True when a drawing exists for the name.
bool hasSymbol(const QString& name);
// Every symbol name, sorted.
QStringList symbolNames();

// The symbol tinted to color, size × devicePixelRatio pixels. An unknown name or an empty
// size gives a null image.
QImage symbolImage(const QString& name, const QColor& color, QSize size, qreal devicePixelRatio = 1.0);
QPixmap symbolPixmap(const QString& name, const QColor& color, int side, qreal devicePixelRatio = 1.0);
// Draws the symbol into rect (kept square and centred) at the painter's resolution.
void paintSymbol(QPainter& painter, const QRectF& rect, const QString& name, const QColor& color);
// An icon that renders the symbol sharply at any size; disabled icons are drawn at 40 %
// opacity. An unknown name gives a null icon.
QIcon symbolIcon(const QString& name, const QColor& color);

} // namespace quillora
