#include "controls/focus_ring.h"

#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QFocusEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QScrollArea>
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

// Where a text stop's ring goes round, in the control's own coordinates: a centred (or trailing)
// label's line as it is aligned in the label, with `room` beside it where the label has it, at the
// label's full height, so a centred version line in a wide label is framed, not the empty room on
// either side of it. Any other control, a label read from the leading edge (framed whole, as the
// rows of a list are) or a rich text, whole.
QRect framedPart(const QWidget* control, int room) {
    const auto* label = qobject_cast<const QLabel*>(control);
    if (label == nullptr || label->text().isEmpty() || label->textFormat() == Qt::RichText ||
        (label->textFormat() == Qt::AutoText && Qt::mightBeRichText(label->text())) ||
        (label->alignment() & (Qt::AlignHCenter | Qt::AlignRight | Qt::AlignTrailing)) == 0)
        return control->rect();
    const int margin = label->margin();
    const QRect contents = label->contentsRect().adjusted(margin, margin, -margin, -margin);
    const int flags = int(label->alignment()) | (label->wordWrap() ? Qt::TextWordWrap : 0);
    const QRect text = label->fontMetrics().boundingRect(contents, flags, label->text());
    const QRect framed(text.left() - room, 0, text.width() + 2 * room, control->height());
    return framed.isEmpty() ? control->rect() : framed & control->rect();
}

constexpr const char* keyUseProperty = "_quillora_keyUsed";
constexpr const char* ringProperty = "_quillora_focusRing";

// Lies over its control, takes no input and shows only while the control has focus. A ring set
// outside its control lies over the nearest container around it with room for it.
class FocusRingOverlay final : public QWidget {
public:
    FocusRingOverlay(QWidget* control, Appearance* appearance, qreal radius, int inset = 0,
                     bool afterKey = false)
        : QWidget(inset < 0 && control->parentWidget() != nullptr ? control->parentWidget() : control)
        , m_control(control)
        , m_appearance(appearance)
        , m_radius(radius - inset)
        , m_inset(inset)
        , m_afterKey(afterKey) {
        setObjectName(QStringLiteral("focusRing"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        control->setProperty(ringProperty, true);
        control->installEventFilter(this);
        // Set outside, it may outlive its control.
        connect(control, &QObject::destroyed, this, &QObject::deleteLater);
        follow();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        switch (event->type()) {
        case QEvent::FocusIn:
            if (m_control->hasFocus()) {
                const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
                if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason)
                    noteKeyUse(m_control->window());
                else if (reason == Qt::MouseFocusReason)
                    forgetKeyUse(m_control->window());
            }
            follow();
            break;
        case QEvent::KeyPress:
        case QEvent::ShortcutOverride:
            // A key that finds the focus here shows where it is.
            if (m_afterKey && !isVisible() && m_control->hasFocus()) {
                noteKeyUse(m_control->window());
                follow();
            }
            break;
        case QEvent::ParentChange:
            // A ring set outside a control made before its container lies over the container.
            if (m_inset < 0 && parentWidget() == m_control && m_control->parentWidget() != nullptr) {
                setParent(m_control->parentWidget());
                follow();
            }
            break;
        case QEvent::FocusOut:
        case QEvent::Resize:
        case QEvent::Move:
        case QEvent::EnabledChange:
            follow();
            break;
        default:
            break;
        }
        Q_UNUSED(watched);
        return false;
    }

    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        if (m_control == nullptr)
            return;
        const bool light = m_appearance != nullptr ? m_appearance->isLight() : paletteIsLight(m_control);
        paintFocusRing(painter, rect(), m_radius, light);
    }

private:
    void follow() {
        const bool shows =
            m_control != nullptr && m_control->hasFocus() && (!m_afterKey || keyUsedIn(m_control->window()));
        if (!shows) {
            hide();
            return;
        }
        if (m_inset >= 0) {
            setGeometry(m_control->rect().adjusted(m_inset, m_inset, -m_inset, -m_inset));
        } else {
            // Outside the control, in the room its container leaves around it; the first container
            // up with room on every side takes the ring, else the nearest one keeps it on its edges.
            const int out = -m_inset;
            QWidget* host = m_control->parentWidget();
            if (host == nullptr) {
                hide();
                return;
            }
            const QRect part = framedPart(m_control, out);
            for (QWidget* up = host; up != nullptr && !up->isWindow(); up = up->parentWidget()) {
                const QRect wanted(m_control->mapTo(up, part.topLeft()), part.size());
                if (up->rect().contains(wanted.adjusted(-out, -out, out, out))) {
                    host = up;
                    break;
                }
                if (qobject_cast<QScrollArea*>(up->parentWidget()) != nullptr)
                    break; // a scrolling page's view: the page is as far as the ring goes
            }
            if (host != parentWidget())
                setParent(host);
            const QRect at(m_control->mapTo(host, part.topLeft()), part.size());
            setGeometry(at.adjusted(-out, -out, out, out) & host->rect());
        }
        show();
        raise();
    }

    QPointer<QWidget> m_control;
    Appearance* m_appearance;
    qreal m_radius;
    int m_inset;
    bool m_afterKey;
};

} // namespace

void addFocusRing(QWidget* control, Appearance& appearance, qreal radius, int inset) {
    new FocusRingOverlay(control, &appearance, radius, inset);
}

void addPaletteFocusRing(QWidget* control, qreal radius) {
    new FocusRingOverlay(control, nullptr, radius);
}

void paintsOwnFocusRing(QWidget* control) {
    control->setProperty(ringProperty, true);
}

bool hasFocusRing(const QWidget* control) {
    return control->property(ringProperty).toBool();
}

void addKeyFocusRing(QWidget* control, Appearance* appearance, qreal radius, int outset) {
    new FocusRingOverlay(control, appearance, radius, -std::max(outset, 0), true);
}

void noteKeyUse(QWidget* window) {
    if (window != nullptr)
        window->setProperty(keyUseProperty, true);
}

void forgetKeyUse(QWidget* window) {
    if (window != nullptr)
        window->setProperty(keyUseProperty, QVariant());
}

bool keyUsedIn(const QWidget* window) {
    return window != nullptr && window->property(keyUseProperty).toBool();
}

} // namespace quillora
