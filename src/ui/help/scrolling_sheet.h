#pragma once

#include <QString>

class QDialog;
class QScrollArea;
class QWidget;

namespace quillora {

class Appearance;

// Makes `sheet` a modal sheet titled `title` whose whole area is `scrollArea`, scrolling `page`
// vertically over the sheet's own background, with the thin overlay scroll bar.
void setUpScrollingSheet(Appearance& appearance, QDialog* sheet, const QString& title,
                         QScrollArea* scrollArea, QWidget* page);

} // namespace quillora
