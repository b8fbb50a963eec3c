#include "controls/glass_capsule_button.h"

#include "controls/focus_ring.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>
#include <QStyle>
#include <QVariantAnimation>
#include <QtMath>

#include <cmath>

namespace quillora {

QColor GlassCapsuleButtonStyle::fill(bool light, bool pressed) {
    if (light)
        return QColor::fromRgbF(0, 0, 0, pressed ? 0.18f : 0.14f);
    return QColor::fromRgbF(1, 1, 1, pressed ? 0.25f : 0.18f);
}

QColor GlassCapsuleButtonStyle::outline(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.28f) : QColor::fromRgbF(1, 1, 1, 0.25f);
}

QColor GlassCapsuleButtonStyle::sheen(bool light) {
    return QColor::fromRgbF(1, 1, 1, light ? 0.35f : 0.18f);
}

QColor GlassCapsuleButtonStyle::foreground(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.85f) : QColor(255, 255, 255);
}

void GlassCapsuleButtonStyle::paintCapsule(QPainter& painter, const QRectF& rect, bool light, bool pressed) {
    if (rect.isEmpty())
        return;
    const qreal radius = std::min(rect.width(), rect.height()) / 2;
    QPainterPath capsule;
    capsule.addRoundedRect(rect, radius, radius);

    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillPath(capsule, fill(light, pressed));

    QPen pen(outline(light), 1.0, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(capsule, pen);

    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setColorAt(0, sheen(light));
    gradient.setColorAt(1, QColor(255, 255, 255, 0));
    painter.setCompositionMode(QPainter::CompositionMode_Overlay);
    painter.fillPath(capsule, gradient);
    painter.restore();
}

GlassCapsuleButton::GlassCapsuleButton(Appearance& appearance, QWidget* parent)
    : GlassCapsuleButton(appearance, QString(), parent) {}

GlassCapsuleButton::GlassCapsuleButton(Appearance& appearance, const QString& text, QWidget* parent)
    : QPushButton(text, parent)
    , m_appearance(&appearance)
    , m_pressAnimation(new QVariantAnimation(this)) {
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_Hover);
    setFont(systemFont(17));
    m_pressAnimation->setDuration(GlassCapsuleButtonStyle::pressAnimationMs);
    m_pressAnimation->setEasingCurve(QEasingCurve::OutQuad);
    connect(m_pressAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_scale = value.toDouble();
        update();
    });
    connect(this, &QAbstractButton::pressed, this, &GlassCapsuleButton::pressChanged);
    connect(this, &QAbstractButton::released, this, &GlassCapsuleButton::pressChanged);
    connect(m_appearance, &Appearance::changed, this, &GlassCapsuleButton::applyScheme);
    applyScheme();
}

GlassCapsuleButton::~GlassCapsuleButton() = default;

void GlassCapsuleButton::applyScheme() {
    const QColor foreground = GlassCapsuleButtonStyle::foreground(m_appearance->isLight());
    QPalette pal = palette();
    for (const auto role : {QPalette::ButtonText, QPalette::WindowText, QPalette::Text})
        pal.setColor(role, foreground);
    setPalette(pal);
    update();
}

void GlassCapsuleButton::pressChanged() {
    const bool pressed = isDown();
    if (pressed == m_drawnPressed)
        return;
    m_drawnPressed = pressed;
    const qreal target = pressed ? GlassCapsuleButtonStyle::pressedScale : 1.0;
    m_pressAnimation->stop();
    if (m_appearance->reduceMotion()) {
        m_scale = target;
        update();
        return;
    }
    m_pressAnimation->setStartValue(m_scale);
    m_pressAnimation->setEndValue(target);
    m_pressAnimation->start();
    update();
}

void GlassCapsuleButton::setLabelWidget(QWidget* label) {
    if (m_label == label)
        return;
    delete m_label;
    m_label = label;
    if (!m_layout) {
        m_layout = new QHBoxLayout(this);
        m_layout->setContentsMargins(qRound(GlassCapsuleButtonStyle::horizontalPadding),
                                     qRound(GlassCapsuleButtonStyle::verticalPadding),
                                     qRound(GlassCapsuleButtonStyle::horizontalPadding),
                                     qRound(GlassCapsuleButtonStyle::verticalPadding));
    }
    if (m_label) {
        m_label->setParent(this);
        m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_layout->addWidget(m_label);
        m_label->show();
    }
    updateGeometry();
    update();
}

QSize GlassCapsuleButton::sizeHint() const {
    const int padW = qRound(2 * GlassCapsuleButtonStyle::horizontalPadding);
    const int padH = qRound(2 * GlassCapsuleButtonStyle::verticalPadding);
    if (m_label) {
        const QSize label = m_label->sizeHint().expandedTo(QSize(0, 0));
        return QSize(label.width() + padW, label.height() + padH);
    }
    // Measured as the text is drawn (fractional advances, rounded up), so the text always fits.
    const QFontMetricsF metrics(font());
    QSize content(int(std::ceil(metrics.horizontalAdvance(text()))),
                  text().isEmpty() ? 0 : int(std::ceil(metrics.height())));
    if (!icon().isNull()) {
        content.rwidth() +=
            iconSize().width() + (text().isEmpty() ? 0 : GlassCapsuleButtonStyle::iconSpacing);
        content.setHeight(std::max(content.height(), iconSize().height()));
    }
    return QSize(content.width() + padW, content.height() + padH);
}

bool GlassCapsuleButton::event(QEvent* event) {
    // The label widget asked for another size (a new title, say): the button's own size changes
    // with it, also while the button is hidden, so its layout never keeps a stale, cut-short size.
    if (event->type() == QEvent::LayoutRequest && m_label)
        updateGeometry();
    return QPushButton::event(event);
}

QSize GlassCapsuleButton::minimumSizeHint() const {
    return sizeHint();
}

void GlassCapsuleButton::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF centre = QRectF(rect()).center();
    painter.translate(centre);
    painter.scale(m_scale, m_scale);
    painter.translate(-centre);
    const QRectF capsule = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
    GlassCapsuleButtonStyle::paintCapsule(painter, capsule, light, isDown());

    if (hasFocus())
        paintFocusRing(painter, capsule, capsule.height() / 2, light);
    if (m_label)
        return;

    QColor foreground = GlassCapsuleButtonStyle::foreground(light);
    if (!isEnabled())
        foreground.setAlphaF(foreground.alphaF() * 0.5f);
    const QRectF content = QRectF(rect()).adjusted(
        GlassCapsuleButtonStyle::horizontalPadding, GlassCapsuleButtonStyle::verticalPadding,
        -GlassCapsuleButtonStyle::horizontalPadding, -GlassCapsuleButtonStyle::verticalPadding);
    const QFontMetricsF metrics(font());
    // The label is never elided: the button's minimum size holds it whole.
    const QString shown = text();
    qreal textWidth = metrics.horizontalAdvance(shown);
    qreal x = content.center().x() - textWidth / 2;
    if (!icon().isNull()) {
        const QSize is = iconSize();
        const qreal total =
            is.width() + (shown.isEmpty() ? 0 : GlassCapsuleButtonStyle::iconSpacing) + textWidth;
        x = content.center().x() - total / 2;
        icon().paint(&painter, QRect(qRound(x), qRound(content.center().y() - is.height() / 2.0), is.width(),
                                     is.height()));
        x += is.width() + (shown.isEmpty() ? 0 : GlassCapsuleButtonStyle::iconSpacing);
    }
    painter.setPen(foreground);
    painter.setFont(font());
    painter.drawText(QRectF(x, content.top(), textWidth + 1, content.height()),
                     Qt::AlignLeft | Qt::AlignVCenter, shown);
}

} // namespace quillora
