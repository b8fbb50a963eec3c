#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

#include "controls/symbol_icon.h"

class QAbstractButton;
class QDialog;
class QWidget;

namespace quillora {
class Appearance;
class QuilloraThemeController;
} // namespace quillora

namespace quillora {

// The sheets the résumé list opens, built from the shared controls.

// One titled group of a help sheet: a header and its bullet rows.
struct HelpGroup final {
    QString header;
    QStringList bullets;
};

// A modal help sheet titled `title`: the groups in order, then `footer` (may be null), with a
// floating close button. The sheet takes ownership of the footer.
QDialog* makeHelpSheet(Appearance& appearance, const QString& title, const QList<HelpGroup>& groups,
                       QWidget* footer, QWidget* parent);

// The background picker sheet's one height.
inline constexpr int gradientPickerSheetHeight = 250;

// A modal sheet, gradientPickerSheetHeight high, with the background picker over the themed
// background; choosing a gradient stores it and closes the sheet.
QDialog* makeGradientPickerSheet(QuilloraThemeController& controller, Appearance& appearance,
                                 QWidget* parent);

// Adds the round close button ("xmark.circle.fill", "Close") to the top-trailing corner of a
// sheet; it closes the sheet.
QAbstractButton* addFloatingCloseButton(Appearance& appearance, QDialog* sheet);

} // namespace quillora
