#include "controls/toggle_switch.h"

#include "controls/focus_ring.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QPainter>

namespace quillora {

namespace {
constexpr int gap = 12;
}

ToggleSwitch::ToggleSwitch(const QString& title, Appearance& appearance, QWidget* parent)
    : QCheckBox(title, parent)
    , m_appearance(&appearance) {
    setAccessibleName(title);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

ToggleSwitch::~ToggleSwitch() = default;

QSize ToggleSwitch::sizeHint() const {
    const QFontMetrics metrics(font());
    return {metrics.horizontalAdvance(text()) + gap + trackWidth,
            std::max(trackHeight, metrics.height()) + 6};
}

QSize ToggleSwitch::minimumSizeHint() const {
    return {trackWidth + gap + 40, sizeHint().height()};
}

bool ToggleSwitch::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void ToggleSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool light = m_appearance->isLight();
    const QRectF track(width() - trackWidth - 2, (height() - trackHeight) / 2.0, trackWidth, trackHeight);
    const QRect textArea(0, 0, std::max(0, width() - trackWidth - gap), height());
    painter.setPen(schemeColors::primaryLabel(light));
    painter.setFont(font());
    painter.drawText(textArea, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine,
                     fontMetrics().elidedText(text(), Qt::ElideRight, textArea.width()));
    const QColor off = light ? QColor(0, 0, 0, 40) : QColor(255, 255, 255, 56);
    painter.setPen(Qt::NoPen);
    painter.setBrush(isChecked() ? accentColor(light) : off);
    painter.drawRoundedRect(track, trackHeight / 2.0, trackHeight / 2.0);
    const qreal knob = trackHeight - 4;
    const qreal x = isChecked() ? track.right() - knob - 2 : track.left() + 2;
    painter.setBrush(QColor(0, 0, 0, 30));
    painter.drawEllipse(QRectF(x, track.top() + 2.6, knob, knob));
    painter.setBrush(Qt::white);
    painter.drawEllipse(QRectF(x, track.top() + 2, knob, knob));
    if (hasFocus())
        paintFocusRing(painter, track.adjusted(-2, -2, 2, 2), trackHeight / 2.0 + 2, light);
}

} // namespace quillora
