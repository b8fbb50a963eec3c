#include "editor/font_style_card.h"

#include "controls/accessibility_traits.h"
#include "controls/editor_section_card.h"
#include "editor/editor_controls.h"
#include "editor/font_catalog.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

namespace quillora {

EditorSectionCard* makeFontStyleCard(const ResumePtr& resume, Appearance& appearance,
                                     std::function<void()> openPicker) {
    auto* button = new SymbolTextButton(appearance, QStringLiteral("chevron.right"), resume->fontName());
    button->setObjectName(QStringLiteral("fontPickerButton"));
    button->setAccessibleName(QStringLiteral("Font style"));
    button->setAccessibleDescription(QStringLiteral("Opens the font picker"));
    button->setSymbolSide(SymbolTextButton::SymbolSide::trailing);
    button->setFillsWidth(true);
    button->setSymbolSize(13);
    button->setColors([](bool light) { return accentColor(light); },
                      [](bool light) { return schemeColors::secondaryLabel(light); });
    button->setContentsMargins(0, 4, 0, 4);
    // Read as the picker's list names the font, the choice the user heard there.
    setAccessibleValue(button, fontLabel(resume->fontName()));
    Resume* r = resume.get();
    QObject::connect(r, &Resume::changed, button, [button, r](Resume::Property property) {
        if (property == Resume::FontName) {
            button->setText(r->fontName());
            setAccessibleValue(button, fontLabel(r->fontName()));
            button->update();
        }
    });
    QObject::connect(button, &QAbstractButton::clicked, button, [openPicker] { openPicker(); });

    auto* card = new EditorSectionCard(
        appearance, QStringLiteral("textformat.size"), QStringLiteral("Font Style"),
        QStringLiteral("Pick a typeface that matches your vibe"), cardInk(appearance.isLight()), button);
    card->setObjectName(QStringLiteral("fontStyleCard"));
    QObject::connect(&appearance, &Appearance::changed, card,
                     [card, &appearance] { card->setAccent(cardInk(appearance.isLight())); });
    return card;
}

} // namespace quillora
