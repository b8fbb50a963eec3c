#include "output/language_menu_style.h"

#include "controls/focus_ring.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QPainter>
#include <QStyleOptionMenuItem>

namespace quillora {

LanguageMenuStyle::LanguageMenuStyle(Appearance& appearance, QObject* parent)
    : m_appearance(appearance) {
    setParent(parent);
}

void LanguageMenuStyle::drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                                    const QWidget* widget) const {
    const auto* item = qstyleoption_cast<const QStyleOptionMenuItem*>(option);
    if (element != CE_MenuItem || !item || item->menuItemType == QStyleOptionMenuItem::Separator) {
        QProxyStyle::drawControl(element, option, painter, widget);
        return;
    }
    QStyleOptionMenuItem row(*item);
    const QColor ink = schemeColors::ink(m_appearance.isLight());
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        for (const auto role : {QPalette::Text, QPalette::ButtonText, QPalette::WindowText})
            row.palette.setColor(group, role, ink);
    }
    const bool available = item->state & State_Enabled;
    // The row the keyboard is on, also one that cannot be chosen: the shared ring, not faded.
    const bool current = (item->state & State_Selected) != 0;
    painter->save();
    if (!available) {
        // Drawn as a row that can be chosen, then faded as a whole.
        row.state |= State_Enabled;
        row.state &= ~State_Selected;
        painter->setOpacity(painter->opacity() * unavailableOpacity);
    }
    QProxyStyle::drawControl(element, &row, painter, widget);
    painter->restore();
    if (current)
        paintFocusRing(*painter, QRectF(item->rect).adjusted(2, 0, -2, 0), 6, m_appearance.isLight());
}

} // namespace quillora
