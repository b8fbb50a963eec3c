#include "app/list_shared_controls.h"

#include "controls/floating_buttons.h"
#include "controls/gradient_picker.h"
#include "help/help_sheet_container.h"
#include "theme/theme_controller.h"
#include "theme/themed_background.h"

namespace quillora {

QDialog* makeHelpSheet(Appearance& appearance, const QString& title, const QList<HelpGroup>& groups,
                       QWidget* footer, QWidget* parent) {
    auto* sheet = new HelpSheetContainer(appearance, title, parent);
    sheet->setObjectName(QStringLiteral("helpSheet"));
    for (const HelpGroup& group : groups) {
        sheet->addHeading(group.header, HelpSheetContainer::headlineFont());
        for (const QString& bullet : group.bullets)
            sheet->addBulletRow(bullet);
    }
    if (footer != nullptr)
        sheet->addContent(footer);
    return sheet;
}

QDialog* makeGradientPickerSheet(QuilloraThemeController& controller, Appearance& appearance,
                                 QWidget* parent) {
    auto* picker = new QuilloraGradientPicker(controller, appearance, parent);
    picker->setObjectName(QStringLiteral("gradientPickerSheet"));
    auto* background = new ThemedBackground(controller.settings(), appearance);
    background->setObjectName(QStringLiteral("gradientPickerBackground"));
    background->setOrbScale(1.15);
    picker->setBackdrop(background);
    picker->setFixedHeight(gradientPickerSheetHeight);
    picker->resize(720, gradientPickerSheetHeight);
    return picker;
}

QAbstractButton* addFloatingCloseButton(Appearance& appearance, QDialog* sheet) {
    return new FloatingCloseButton(appearance, sheet);
}

} // namespace quillora
