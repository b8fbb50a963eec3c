#pragma once

#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QPainter>
#include <QWidget>

namespace quillora {

// Holds the list and, on idioms other than pad, draws the rounded outline around it.
class ListFrame final : public QWidget {
public:
    ListFrame(bool outlined, QWidget* parent)
        : QWidget(parent)
        , m_outlined(outlined) {}
    void setLight(bool light) {
        m_light = light;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        if (!m_outlined)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(withAlpha(schemeColors::ink(m_light), m_light ? 0.45 : 0.3), 1.2, Qt::SolidLine,
                      Qt::FlatCap, Qt::MiterJoin));
        p.drawRoundedRect(QRectF(rect()).adjusted(0.6, 0.6, -0.6, -0.6), 16, 16);
    }

private:
    bool m_outlined;
    bool m_light = true;
};

} // namespace quillora
