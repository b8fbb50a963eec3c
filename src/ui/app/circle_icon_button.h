#pragma once

#include "app/resume_list_metrics.h"
#include "controls/focus_ring.h"
#include "controls/symbol_icon.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QAbstractButton>
#include <QIcon>
#include <QPainter>

#include <cmath>

namespace quillora {

// A round button of the bottom bar: a thin circle in the ink colour around a symbol.
class CircleIconButton final : public QAbstractButton {
public:
    CircleIconButton(const QString& systemName, QWidget* parent)
        : QAbstractButton(parent)
        , m_systemName(systemName) {
        setCursor(Qt::PointingHandCursor);
        setFocusPolicy(Qt::TabFocus);
    }

    void setAvailableWidth(qreal width) {
        m_t = cardScale(width);
        setFixedSize(QSize(int(std::ceil(diameter())) + 2, int(std::ceil(diameter())) + 2));
        update();
    }
    void setLight(bool light) {
        m_light = light;
        m_icon = symbolIcon(m_systemName, schemeColors::ink(light));
        update();
    }
    qreal diameter() const { return 42 + 12 * m_t; }
    qreal iconSize() const { return 18 + 6 * m_t; }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        const QRectF circle(QPointF(1, 1), QSizeF(diameter(), diameter()));
        if (isDown() || underMouse())
            p.setBrush(withAlpha(schemeColors::ink(m_light), isDown() ? 0.16 : 0.08));
        p.setPen(QPen(schemeColors::ink(m_light), 1));
        p.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
        if (hasFocus())
            paintFocusRing(p, circle.adjusted(1.5, 1.5, -1.5, -1.5), diameter() / 2 - 1.5, m_light);
        const qreal side = iconSize();
        m_icon.paint(&p, QRectF(circle.center() - QPointF(side / 2, side / 2), QSizeF(side, side)).toRect());
    }

private:
    QString m_systemName;
    QIcon m_icon;
    qreal m_t = 0;
    bool m_light = true;
};

} // namespace quillora
