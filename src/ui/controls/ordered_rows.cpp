#include "controls/ordered_rows.h"

#include <QBoxLayout>
#include <QWidget>

namespace quillora {

namespace {

QWidget* widgetAt(const QBoxLayout& layout, int index) {
    return layout.itemAt(index)->widget();
}

void takeOut(QBoxLayout& layout, int index) {
    QLayoutItem* item = layout.takeAt(index);
    // Out of every layout now: without the mark, putting it back does not search the whole
    // layout for it first.
    if (QWidget* widget = item->widget())
        widget->setAttribute(Qt::WA_LaidOut, false);
    delete item;
}

} // namespace

void arrangeInOrder(QBoxLayout& layout, const QList<QWidget*>& widgets) {
    const int had = layout.count();
    const int wanted = int(widgets.size());
    int begin = 0;
    while (begin < had && begin < wanted && widgetAt(layout, begin) == widgets.at(begin))
        ++begin;
    int end = 0; // items in place at the end
    while (end < had - begin && end < wanted - begin &&
           widgetAt(layout, had - 1 - end) == widgets.at(wanted - 1 - end))
        ++end;
    const int oldCount = had - begin - end;
    const int newCount = wanted - begin - end;
    if (oldCount == 0 && newCount == 0)
        return;
    if (oldCount == newCount && oldCount > 1) {
        // Turned round by one: the first went to the end, or the last to the beginning.
        const int last = begin + oldCount - 1;
        bool down = widgetAt(layout, begin) == widgets.at(last);
        bool up = widgetAt(layout, last) == widgets.at(begin);
        for (int i = 0; i < oldCount - 1 && (down || up); ++i) {
            down = down && widgetAt(layout, begin + 1 + i) == widgets.at(begin + i);
            up = up && widgetAt(layout, begin + i) == widgets.at(begin + 1 + i);
        }
        if (down || up) {
            const int from = down ? begin : last;
            QWidget* moving = widgetAt(layout, from);
            takeOut(layout, from);
            layout.insertWidget(down ? last : begin, moving);
            return;
        }
    }
    for (int i = begin + oldCount - 1; i >= begin; --i)
        takeOut(layout, i);
    for (int i = 0; i < newCount; ++i)
        layout.insertWidget(begin + i, widgets.at(begin + i));
}

} // namespace quillora
