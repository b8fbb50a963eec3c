#include "controls/frosted_card.h"

#include "controls/editor_section_card.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {

const ThemedBackground* backgroundRightBehind(const QWidget& panel) {
    for (const QWidget* w = panel.parentWidget(); w; w = w->parentWidget()) {
        if (const auto* background = qobject_cast<const ThemedBackground*>(w))
            return background;
        const bool frosted = qobject_cast<const FrostedCard*>(w) || qobject_cast<const EditorSectionCard*>(w);
        if (frosted || w->autoFillBackground() || w->testAttribute(Qt::WA_OpaquePaintEvent) || w->isWindow())
            return nullptr;
    }
    return nullptr;
}

} // namespace

void paintFrostedMaterial(QPainter& painter, const QWidget& panel, const QPainterPath& shape,
                          const QColor& tint) {
    const ThemedBackground* background = backgroundRightBehind(panel);
    const QImage frosted = background ? background->frostedBackdrop(tint) : QImage();
    if (frosted.isNull()) {
        painter.fillPath(shape, tint);
        return;
    }
    // The backdrop covers the background widget: scaled to its size in points (a plain copy
    // unless a resize is under way), then placed where the panel lies in it.
    const QPointF offset = panel.mapTo(background, QPoint(0, 0));
    QBrush brush(frosted);
    brush.setTransform(QTransform::fromScale(qreal(background->width()) / frosted.width(),
                                             qreal(background->height()) / frosted.height()) *
                       QTransform::fromTranslate(-offset.x(), -offset.y()));
    painter.fillPath(shape, brush);
}

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
    if (m_fill)
        painter.fillPath(path, *m_fill);
    else
        paintFrostedMaterial(painter, *this, path, schemeColors::ultraThinMaterial(m_light));
    if (m_stroke.isValid() && m_strokeWidth > 0) {
        QPen pen(m_stroke, m_strokeWidth, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(path, pen);
    }
}

} // namespace quillora
