#include "app/frosted_card.h"

#include <QPainter>
#include <QPainterPath>

namespace quillora {

FrostedCard::FrostedCard(qreal cornerRadius, QWidget* parent) : QWidget(parent), m_radius(cornerRadius)
{
    setAttribute(Qt::WA_TranslucentBackground);
}

void FrostedCard::setStroke(const QColor& color, qreal width)
{
    m_stroke = color;
    m_strokeWidth = width;
    update();
}

void FrostedCard::setLightScheme(bool light)
{
    m_light = light;
    update();
}

void FrostedCard::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(m_strokeWidth / 2, m_strokeWidth / 2, -m_strokeWidth / 2,
                                               -m_strokeWidth / 2);
    QPainterPath path;
    path.addRoundedRect(box, m_radius, m_radius);
    // A thin frosted material: a light veil in the light scheme, a dark one otherwise.
    painter.fillPath(path, m_light ? QColor(255, 255, 255, 120) : QColor(28, 28, 34, 130));
    if (m_stroke.isValid() && m_strokeWidth > 0) {
        painter.setPen(QPen(m_stroke, m_strokeWidth));
        painter.drawPath(path);
    }
}

QColor withAlpha(QColor color, qreal factor)
{
    color.setAlphaF(float(color.alphaF() * factor));
    return color;
}

QColor primaryInk(bool light) { return light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white); }

QColor secondaryInk(bool light)
{
    return light ? QColor::fromRgbF(0, 0, 0, 0.55f) : QColor::fromRgbF(1, 1, 1, 0.65f);
}

} // namespace quillora
