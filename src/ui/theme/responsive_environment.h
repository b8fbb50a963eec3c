#pragma once

#include "theme/responsive_layout.h"

#include <QEvent>

class QWidget;

namespace quillora {

// Hands the responsive width from the screen that measures it to the widgets inside it. The
// measuring screen sets the layout on its content widget; a widget reads the layout of its
// nearest ancestor (itself included) that has one, or the default width of 800.
void setResponsiveLayout(QWidget* scope, QuilloraResponsiveLayout layout);
QuilloraResponsiveLayout responsiveLayout(const QWidget* widget);

// Sent to the scope and every widget below it when the scope's layout changes. Widgets that
// read the layout re-read it on this event and when their parent changes.
QEvent::Type responsiveLayoutChangeEvent();

} // namespace quillora
