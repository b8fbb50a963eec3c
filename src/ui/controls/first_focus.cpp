#include "controls/first_focus.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QAbstractSlider>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace quillora {

bool isFocusableControl(const QWidget* widget) {
    if (qobject_cast<const QAbstractButton*>(widget) || qobject_cast<const QLineEdit*>(widget) ||
        qobject_cast<const QAbstractItemView*>(widget) || qobject_cast<const QPlainTextEdit*>(widget) ||
        qobject_cast<const QTextEdit*>(widget) || qobject_cast<const QAbstractSlider*>(widget) ||
        qobject_cast<const QAbstractSpinBox*>(widget) || qobject_cast<const QComboBox*>(widget))
        return true;
    return !widget->accessibleName().isEmpty();
}

} // namespace quillora
