#include "controls/focus_ring.h"

#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QWidget>

#include <algorithm>

namespace quillora {

void paintFocusRing(QPainter& painter, const QRectF& rect, qreal radius, bool light) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(1);
    painter.setBrush(Qt::NoBrush);
    const QRectF outer = rect.adjusted(1, 1, -1, -1);
    painter.setPen(QPen(focusRingColor(light), 2));
    painter.drawRoundedRect(outer, std::max<qreal>(radius - 1, 0), std::max<qreal>(radius - 1, 0));
    const QRectF inner = outer.adjusted(1.5, 1.5, -1.5, -1.5);
    painter.setPen(QPen(schemeColors::sheetBackground(light), 1));
    painter.drawRoundedRect(inner, std::max<qreal>(radius - 2.5, 0), std::max<qreal>(radius - 2.5, 0));
    painter.restore();
}

namespace {

// The scheme a control drawn in its palette's colours stands in: that of the nearest palette, from
// the control up, with a window colour of its own. A control drawn on what lies behind it (a style
// sheet's transparent background) has a clear window colour, which says nothing of the scheme.
bool paletteIsLight(const QWidget* control) {
    for (const QWidget* up = control; up != nullptr; up = up->parentWidget()) {
        const QColor window = up->palette().color(QPalette::Window);
        if (window.alpha() == 255 || up->isWindow())
            return window.lightnessF() >= 0.5;
    }
    return true;
}

// Lies over its control, takes no input and shows only while the control has focus.
class FocusRingOverlay final : public QWidget {
public:
    FocusRingOverlay(QWidget* control, Appearance* appearance, qreal radius, int inset = 0)
        : QWidget(control)
        , m_appearance(appearance)
        , m_radius(radius - inset)
        , m_inset(inset) {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        control->installEventFilter(this);
        follow(control);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::Resize:
        case QEvent::EnabledChange:
            follow(static_cast<QWidget*>(watched));
            break;
        default:
            break;
        }
        return QWidget::eventFilter(watched, event);
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const bool light = m_appearance != nullptr ? m_appearance->isLight() : paletteIsLight(parentWidget());
        paintFocusRing(painter, rect(), m_radius, light);
    }

private:
    void follow(QWidget* control) {
        setGeometry(control->rect().adjusted(m_inset, m_inset, -m_inset, -m_inset));
        setVisible(control->hasFocus());
        raise();
    }

    Appearance* m_appearance;
    qreal m_radius;
    int m_inset;
};

} // namespace

void addFocusRing(QWidget* control, Appearance& appearance, qreal radius, int inset) {
    new FocusRingOverlay(control, &appearance, radius, inset);
}

void addPaletteFocusRing(QWidget* control, qreal radius) {
    new FocusRingOverlay(control, nullptr, radius);
}

bool hasFocusRing(const QWidget* control) {
    return control->findChild<QWidget*>(QStringLiteral("focusRing"), Qt::FindDirectChildrenOnly) != nullptr;
}

} // namespace quillora
