#include "controls/floating_buttons.h"

#include "controls/focus_ring.h"
#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "theme/orb_layer.h"
#include "theme/scheme_colors.h"

#include <QDialog>
#include <QEvent>
#include <QPaintEngine>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QRadialGradient>

namespace quillora {

FloatingSymbolButton::FloatingSymbolButton(Appearance& appearance, QWidget* host, QString symbol,
                                           Corner corner, int sideMargin, int topMargin)
    : QAbstractButton(host)
    , m_symbol(std::move(symbol))
    , m_corner(corner)
    , m_sideMargin(sideMargin)
    , m_topMargin(topMargin)
    , m_appearance(&appearance) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setFixedSize(sizeHint());
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    if (host)
        host->installEventFilter(this);
    place();
    show();
}

FloatingSymbolButton::~FloatingSymbolButton() = default;

QSize FloatingSymbolButton::sizeHint() const {
    return QSize(glyphSide + 2 * shadowMargin, glyphSide + 2 * shadowMargin);
}

QRect FloatingSymbolButton::glyphFrame() const {
    return geometry().adjusted(shadowMargin, shadowMargin, -shadowMargin, -shadowMargin);
}

void FloatingSymbolButton::place() {
    const QWidget* host = parentWidget();
    if (!host)
        return;
    const int x = m_corner == Corner::topTrailing ? host->width() - m_sideMargin - glyphSide - shadowMargin
                                                  : m_sideMargin - shadowMargin;
    move(x, m_topMargin - shadowMargin);
    raise();
}

bool FloatingSymbolButton::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget()) {
        switch (event->type()) {
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::LayoutRequest:
        case QEvent::ChildAdded:
            place();
            break;
        default:
            break;
        }
    }
    return QAbstractButton::eventFilter(watched, event);
}

void FloatingSymbolButton::grabBackdrop(const QPainter& painter, const QRectF& disc) {
    m_backdrop = QImage();
    // Widgets are drawn back to front into one surface, so when this button's turn comes the
    // surface under it already holds what lies behind. Only a surface in memory can be read.
    const QPaintEngine* engine = painter.paintEngine();
    const QPaintDevice* device = engine ? engine->paintDevice() : nullptr;
    const QTransform toSurface = painter.deviceTransform();
    if (!device || toSurface.type() > QTransform::TxScale)
        return;
    const qreal blur = backdropBlurRadius;
    const QRectF wanted = disc.adjusted(-blur, -blur, blur, blur);
    QRect area = toSurface.mapRect(wanted).toAlignedRect();
    QImage grabbed;
    if (device->devType() == QInternal::Image) {
        const auto* surface = static_cast<const QImage*>(device);
        area &= surface->rect();
        if (!area.isEmpty())
            grabbed = surface->copy(area);
    } else if (device->devType() == QInternal::Pixmap) {
        const auto* surface = static_cast<const QPixmap*>(device);
        area &= surface->rect();
        if (!area.isEmpty())
            grabbed = surface->copy(area).toImage();
    }
    if (grabbed.isNull())
        return;
    // Blurred at half the resolution, which a blur this wide cannot show, at a quarter of the
    // cost.
    m_backdrop = blurredOpaqueCopy(grabbed, blur * std::abs(toSurface.m11()), 2);
    m_backdropRect = toSurface.inverted().mapRect(QRectF(area));
}

void FloatingSymbolButton::paintEvent(QPaintEvent* event) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF disc = QRectF(rect()).adjusted(shadowMargin, shadowMargin, -shadowMargin, -shadowMargin);
    const qreal radius = disc.width() / 2;

    // What lies behind can be read only while the whole button is redrawn: outside a partial
    // redraw the surface still holds the button's own last drawing. A partial redraw keeps the
    // last blur and asks for a whole redraw once.
    if ((visibleRegion() - event->region()).isEmpty()) {
        m_wholeRedrawAsked = false;
        grabBackdrop(painter, disc);
    } else if (!m_wholeRedrawAsked) {
        m_wholeRedrawAsked = true;
        update();
    }

    // Soft shadow of black at a third around the disc.
    QRadialGradient shadow(disc.center(), radius + shadowMargin);
    const qreal inner = radius / (radius + shadowMargin);
    shadow.setColorAt(0, QColor::fromRgbF(0, 0, 0, 0.33f));
    shadow.setColorAt(inner * 0.92, QColor::fromRgbF(0, 0, 0, 0.33f));
    shadow.setColorAt(1, Qt::transparent);
    painter.setPen(Qt::NoPen);
    painter.setBrush(shadow);
    painter.drawEllipse(disc.center(), radius + shadowMargin, radius + shadowMargin);

    // The disc: what lies behind, blurred, under the translucent material; a little denser
    // while pressed.
    QPainterPath circle;
    circle.addEllipse(disc);
    painter.setClipPath(circle);
    if (!m_backdrop.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(m_backdropRect, m_backdrop);
    }
    QColor material = schemeColors::ultraThinMaterial(light);
    if (isDown())
        material.setAlphaF(std::min(1.0f, material.alphaF() + 0.3f));
    painter.fillRect(disc, material);
    QColor glyph = schemeColors::secondaryLabel(light);
    if (isDown())
        glyph = schemeColors::primaryLabel(light);
    paintSymbol(painter, disc, m_symbol, glyph);
    if (hasFocus()) {
        painter.setClipping(false);
        paintFocusRing(painter, disc, disc.width() / 2, light);
    }
}

FloatingCloseButton::FloatingCloseButton(Appearance& appearance, QWidget* host, bool usePadding)
    : FloatingSymbolButton(appearance, host, QStringLiteral("xmark.circle.fill"), Corner::topTrailing,
                           usePadding ? cornerMargin : 0, usePadding ? cornerMargin : 0) {
    setObjectName(QStringLiteral("floatingCloseButton"));
    setAccessibleName(QStringLiteral("Close"));
    setAccessibleDescription(QStringLiteral("Closes this screen"));
    setToolTip(QStringLiteral("Close"));
    connect(this, &QAbstractButton::clicked, this, &FloatingCloseButton::dismiss);
}

FloatingCloseButton::~FloatingCloseButton() = default;

void FloatingCloseButton::dismiss() {
    QWidget* top = window();
    if (auto* dialog = qobject_cast<QDialog*>(top))
        dialog->reject();
    else if (top)
        top->close();
}

FloatingHelpButton::FloatingHelpButton(Appearance& appearance, QWidget* host)
    : FloatingSymbolButton(appearance, host, QStringLiteral("questionmark.circle.fill"), Corner::topLeading,
                           cornerMargin, cornerMargin) {
    setObjectName(QStringLiteral("floatingHelpButton"));
    setAccessibleName(QStringLiteral("Help"));
    setAccessibleDescription(QStringLiteral("Shows help for this screen"));
    setToolTip(QStringLiteral("Help"));
    connect(this, &QAbstractButton::clicked, this, [this] {
        setPresented(true);
        emit helpRequested();
    });
}

FloatingHelpButton::~FloatingHelpButton() = default;

void FloatingHelpButton::setPresented(bool presented) {
    if (m_presented == presented)
        return;
    m_presented = presented;
    emit presentedChanged(presented);
}

} // namespace quillora
