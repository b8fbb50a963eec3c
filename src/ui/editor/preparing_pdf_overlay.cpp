#include "editor/preparing_pdf_overlay.h"

#include "controls/accessibility_traits.h"

#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>

namespace quillora {

namespace {
constexpr int kBoxPadding = 20;
constexpr int kBoxSpacing = 12;
constexpr qreal kBoxRadius = 16;
constexpr int kSpinnerSide = 22;
} // namespace

BusySpinner::BusySpinner(int side, QWidget* parent)
    : QWidget(parent) {
    setFixedSize(side, side);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_timer.setInterval(50);
    connect(&m_timer, &QTimer::timeout, this, [this] {
        m_angle = (m_angle + 30) % 360;
        update();
    });
}

BusySpinner::~BusySpinner() = default;

void BusySpinner::setColor(const QColor& color) {
    m_color = color;
    update();
}

void BusySpinner::showEvent(QShowEvent*) {
    m_timer.start();
}

void BusySpinner::hideEvent(QHideEvent*) {
    m_timer.stop();
}

void BusySpinner::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPen pen(m_color, std::max(2.0, width() / 9.0));
    pen.setCapStyle(Qt::RoundCap);
    painter.setPen(pen);
    const qreal inset = pen.widthF();
    painter.drawArc(QRectF(rect()).adjusted(inset, inset, -inset, -inset), -m_angle * 16, 270 * 16);
}

PreparingPDFOverlay::PreparingPDFOverlay(Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_appearance(&appearance)
    , m_spinner(new BusySpinner(kSpinnerSide, this))
    , m_label(new QLabel(QStringLiteral("Preparing PDF…"), this)) {
    setObjectName(QStringLiteral("preparingPDFOverlay"));
    setAccessibleName(QStringLiteral("Preparing PDF"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFont(systemFont(16));
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    // One element, read as changing often; the spinner and the text are not read apart.
    combineAccessibleChildren(this, QStringLiteral("Preparing PDF"));
    markAsUpdatingFrequently(this);
    connect(&appearance, &Appearance::changed, this, &PreparingPDFOverlay::applyScheme);
    applyScheme();
    hide();
}

PreparingPDFOverlay::~PreparingPDFOverlay() = default;

void PreparingPDFOverlay::applyScheme() {
    const bool light = m_appearance->isLight();
    m_spinner->setColor(schemeColors::secondaryLabel(light));
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, schemeColors::primaryLabel(light));
    m_label->setPalette(pal);
    update();
}

QRect PreparingPDFOverlay::boxRect() const {
    const QSize text = m_label->sizeHint();
    const int w = std::max(text.width(), kSpinnerSide) + 2 * kBoxPadding;
    const int h = kSpinnerSide + kBoxSpacing + text.height() + 2 * kBoxPadding;
    return QRect((width() - w) / 2, (height() - h) / 2, w, h);
}

void PreparingPDFOverlay::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    const QRect box = boxRect();
    m_spinner->move(box.center().x() - kSpinnerSide / 2, box.top() + kBoxPadding);
    const QSize text = m_label->sizeHint();
    m_label->setGeometry(box.center().x() - text.width() / 2,
                         box.top() + kBoxPadding + kSpinnerSide + kBoxSpacing, text.width(), text.height());
}

void PreparingPDFOverlay::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.fillRect(rect(), QColor(0, 0, 0, qRound(255 * 0.25)));
    QPainterPath box;
    box.addRoundedRect(QRectF(boxRect()), kBoxRadius, kBoxRadius);
    painter.fillPath(box, schemeColors::ultraThinMaterial(m_appearance->isLight()));
}

} // namespace quillora
