#pragma once

#include <QColor>
#include <QIcon>
#include <QList>
#include <QString>
#include <QStringList>

class QAbstractButton;
class QDialog;
class QWidget;

namespace quillora {

// The shared controls the résumé list and the tip card use: help sheets, the background picker
// sheet, the glass capsule button look, the floating close button and symbol icons by name.
// Every screen of the list reaches them only through these functions.

// One titled group of a help sheet: a header and its bullet rows.
struct HelpGroup final {
    QString header;
    QStringList bullets;
};

// A modal help sheet titled `title`: the groups in order, then `footer` (may be null), with a
// floating close button. The sheet takes ownership of the footer.
QDialog* makeHelpSheet(const QString& title, const QList<HelpGroup>& groups, QWidget* footer, QWidget* parent);

// A modal sheet with the background picker over the themed background; choosing a gradient
// stores it and closes the sheet.
QDialog* makeGradientPickerSheet(QWidget* parent);

// Gives a button the capsule look of the action buttons.
void applyGlassCapsuleButtonStyle(QAbstractButton* button);

// Adds the round close button ("xmark.circle.fill", "Close") to the top-trailing corner of a
// sheet; it closes the sheet.
QAbstractButton* addFloatingCloseButton(QDialog* sheet);

// A symbol drawn in `color` by its system name: "questionmark", "paintbrush.pointed.fill",
// "plus", "doc.on.doc", "trash", "xmark.circle.fill". Unknown names give an empty icon.
QIcon symbolIcon(const QString& systemName, const QColor& color);

} // namespace quillora
