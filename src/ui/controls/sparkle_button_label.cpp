#include "controls/sparkle_button_label.h"

#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"

#include <QPainter>
#include <QTimer>
#include <QVariantAnimation>

#include <algorithm>
#include <cmath>

namespace quillora {

SparkleButtonLabel::SparkleButtonLabel(Appearance& appearance, const QString& title, bool isBusy,
                                       QWidget* parent)
    : QWidget(parent)
    , m_title(title)
    , m_appearance(&appearance)
    , m_timer(new QTimer(this))
    , m_turn(new QVariantAnimation(this)) {
    setAccessibleName(title);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    m_timer->setInterval(turnMs);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &SparkleButtonLabel::turn);
    m_turn->setDuration(turnMs);
    m_turn->setEasingCurve(QEasingCurve::Linear);
    connect(m_turn, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_displayed = value.toDouble();
        update();
    });
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    setBusy(isBusy);
}

SparkleButtonLabel::~SparkleButtonLabel() = default;

void SparkleButtonLabel::setTitle(const QString& title) {
    if (m_title == title)
        return;
    m_title = title;
    setAccessibleName(title);
    updateGeometry();
    update();
}

void SparkleButtonLabel::setBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    if (busy)
        startSpinning();
    else
        stopSpinning();
}

void SparkleButtonLabel::startSpinning() {
    // The motion setting is read once per busy period.
    m_reduceMotion = m_appearance->reduceMotion();
    turn();
    m_timer->start();
}

void SparkleButtonLabel::stopSpinning() {
    // The turn under way runs to its end, so the sparkle rests upright.
    m_timer->stop();
}

void SparkleButtonLabel::turn() {
    m_rotation += 360;
    m_turn->stop();
    if (m_reduceMotion) {
        m_displayed = m_rotation;
        update();
        return;
    }
    m_turn->setStartValue(m_displayed);
    m_turn->setEndValue(m_rotation);
    m_turn->start();
}

void SparkleButtonLabel::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (m_busy && !m_timer->isActive())
        startSpinning();
}

void SparkleButtonLabel::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    m_timer->stop();
}

int SparkleButtonLabel::iconSide() const {
    return qRound(QFontMetricsF(font()).height() * 0.95);
}

QSize SparkleButtonLabel::sizeHint() const {
    // Measured as the title is drawn (fractional advances, rounded up), so a label given its
    // size hint never has to shrink or cut its title.
    const QFontMetricsF metrics(font());
    return QSize(iconSide() + spacing + int(std::ceil(metrics.horizontalAdvance(m_title))),
                 std::max(int(std::ceil(metrics.height())), iconSide()));
}

QSize SparkleButtonLabel::minimumSizeHint() const {
    return QSize(iconSide(), std::max(QFontMetrics(font()).height(), iconSide()));
}

void SparkleButtonLabel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const int side = iconSide();
    const qreal room = std::max(0, width() - side - spacing);

    // Shrink the title down to 85 % before cutting it short.
    QFont titleFont = font();
    QFontMetricsF metrics(titleFont);
    qreal textWidth = metrics.horizontalAdvance(m_title);
    if (textWidth > room && textWidth > 0) {
        const qreal factor = std::max(minimumScaleFactor, room / textWidth);
        if (font().pointSizeF() > 0)
            titleFont.setPointSizeF(font().pointSizeF() * factor);
        else
            titleFont.setPixelSize(std::max(1, int(std::floor(font().pixelSize() * factor))));
        metrics = QFontMetricsF(titleFont);
        textWidth = metrics.horizontalAdvance(m_title);
    }
    const QString shown = metrics.elidedText(m_title, Qt::ElideRight, room);
    textWidth = std::min(room, metrics.horizontalAdvance(shown));

    const qreal total = side + spacing + textWidth;
    const qreal left = std::max(0.0, (width() - total) / 2);
    const QRectF iconRect(left, (height() - side) / 2.0, side, side);

    painter.save();
    painter.translate(iconRect.center());
    painter.rotate(m_displayed);
    painter.translate(-iconRect.center());
    paintSymbol(painter, iconRect, QStringLiteral("sparkles"), accentColor(m_appearance->isLight()));
    painter.restore();

    painter.setFont(titleFont);
    painter.setPen(palette().color(foregroundRole()));
    painter.drawText(QRectF(left + side + spacing, 0, textWidth + 1, height()),
                     Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace quillora
