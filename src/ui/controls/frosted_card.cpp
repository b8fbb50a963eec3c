#include "controls/frosted_card.h"

#include "theme/scheme_colors.h"

#include <QPainter>
#include <QPainterPath>

namespace quillora {

FrostedCard::FrostedCard(qreal cornerRadius, QWidget* parent)
    : QWidget(parent)
    , m_radius(cornerRadius) {
    setAttribute(Qt::WA_TranslucentBackground);
}

void FrostedCard::setLightScheme(bool light) {
    m_light = light;
    update();
}

void FrostedCard::setFill(std::optional<QColor> fill) {
    m_fill = fill;
    update();
}

void FrostedCard::setStroke(const QColor& color, qreal width) {
    m_stroke = color;
    m_strokeWidth = width;
    update();
}

void FrostedCard::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal inset = m_strokeWidth / 2;
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), m_radius, m_radius);
    painter.fillPath(path, m_fill.value_or(schemeColors::ultraThinMaterial(m_light)));
    if (m_stroke.isValid() && m_strokeWidth > 0) {
        QPen pen(m_stroke, m_strokeWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(path, pen);
    }
}

} // namespace quillora
