#include "controls/progress_spinner.h"

#include "controls/accessibility_traits.h"

#include <QPainter>

namespace quillora {

ProgressSpinner::ProgressSpinner(int side, QWidget* parent)
    : QWidget(parent) {
    setFixedSize(side, side);
    setAccessibleName(QStringLiteral("In progress"));
    markAsUpdatingFrequently(this);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

ProgressSpinner::~ProgressSpinner() = default;

void ProgressSpinner::setColor(const QColor& color) {
    m_color = color;
    update();
}

void ProgressSpinner::showEvent(QShowEvent*) {
    m_timer.start();
}

void ProgressSpinner::hideEvent(QHideEvent*) {
    m_timer.stop();
}

void ProgressSpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_color, 2);
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    painter.drawArc(QRectF(rect()).adjusted(2, 2, -2, -2), -m_angle * 16, 270 * 16);
}

} // namespace quillora
