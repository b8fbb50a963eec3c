#include "controls/hairline_splitter.h"

#include <QPaintEvent>
#include <QPainter>
#include <QSplitterHandle>

namespace quillora {

namespace {

class HairlineHandle final : public QSplitterHandle {
public:
    HairlineHandle(Qt::Orientation orientation, HairlineSplitter* parent)
        : QSplitterHandle(orientation, parent)
        , m_splitter(parent) {}

protected:
    void paintEvent(QPaintEvent* event) override {
        // The splitter widens the handle's grab area with contents margins and masks the rest,
        // so only the contents rectangle (the line) is drawn.
        QPainter painter(this);
        painter.fillRect(contentsRect().intersected(event->rect()), m_splitter->lineColor());
    }

private:
    HairlineSplitter* m_splitter;
};

} // namespace

HairlineSplitter::HairlineSplitter(Qt::Orientation orientation, QWidget* parent)
    : QSplitter(orientation, parent) {
    setHandleWidth(1);
}

void HairlineSplitter::setLineColor(const QColor& color) {
    if (color == m_lineColor)
        return;
    m_lineColor = color;
    for (int i = 0; i < count(); ++i) {
        if (QSplitterHandle* h = handle(i))
            h->update();
    }
}

QSplitterHandle* HairlineSplitter::createHandle() {
    return new HairlineHandle(orientation(), this);
}

} // namespace quillora
