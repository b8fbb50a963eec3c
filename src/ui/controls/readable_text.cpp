#include "controls/readable_text.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"

#include <QLabel>

namespace quillora {

void makeReadable(QWidget* element, const QString& text, Appearance* appearance, qreal radius, int outset) {
    element->setAccessibleName(text);
    element->setFocusPolicy(Qt::StrongFocus);
    if (qobject_cast<QLabel*>(element) == nullptr)
        markAsAccessibleText(element);
    if (!hasFocusRing(element))
        addKeyFocusRing(element, appearance, radius, outset);
}

QLabel* makeReadable(QLabel* label, Appearance* appearance, qreal radius, int outset) {
    makeReadable(label, label->text(), appearance, radius, outset);
    return label;
}

void setReadableText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

} // namespace quillora
