#include "theme/overlay_scroll_bar.h"

#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QAbstractScrollArea>
#include <QEvent>

namespace quillora {

OverlayScrollBar::OverlayScrollBar(QAbstractScrollArea* area) : QScrollBar(Qt::Vertical, area), m_area(area)
{
    QScrollBar* native = area->verticalScrollBar();
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(native, &QScrollBar::rangeChanged, this, &OverlayScrollBar::syncRange);
    connect(native, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(this, &QScrollBar::valueChanged, native, &QScrollBar::setValue);
    const auto applyScheme = [this] { styleSlimScrollBar(this, Appearance::shared().isLight()); };
    connect(&Appearance::shared(), &Appearance::changed, this, applyScheme);
    applyScheme();
    area->installEventFilter(this);
    syncRange();
    place();
}

OverlayScrollBar::~OverlayScrollBar() = default;

void OverlayScrollBar::syncRange()
{
    const QScrollBar* native = m_area->verticalScrollBar();
    setRange(native->minimum(), native->maximum());
    setPageStep(native->pageStep());
    setSingleStep(native->singleStep());
    setValue(native->value());
    setVisible(native->maximum() > native->minimum());
    raise();
}

void OverlayScrollBar::place()
{
    setGeometry(m_area->width() - barWidth, 0, barWidth, m_area->height());
    raise();
}

bool OverlayScrollBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
        place();
    return QScrollBar::eventFilter(watched, event);
}

} // namespace quillora
