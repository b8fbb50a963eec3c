#pragma once

#include <QList>

class QBoxLayout;
class QWidget;

namespace quillora {

// Brings a box layout holding only widgets into the order given. The beginning and the end that
// already stand in place are left alone, and a stretch that only turned round by one (a row moved
// up or down, however far) is one widget taken out and put back: an insertion, a removal or a
// move costs what changed, not the length of the list. Widgets no longer listed are taken out of
// the layout, neither hidden nor deleted; new ones are added (their parent becomes the layout's).
void arrangeInOrder(QBoxLayout& layout, const QList<QWidget*>& widgets);

} // namespace quillora
