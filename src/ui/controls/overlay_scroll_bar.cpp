#include "controls/overlay_scroll_bar.h"

#include <QScrollArea>

#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QAbstractScrollArea>
#include <QEvent>
#include <QTimer>

#include <algorithm>

namespace quillora {

OverlayScrollBar::OverlayScrollBar(Appearance& appearance, QAbstractScrollArea* area)
    : QScrollBar(Qt::Vertical, area)
    , m_area(area)
    , m_hideTimer(new QTimer(this)) {
    m_hideTimer->setSingleShot(true);
    m_hideTimer->setInterval(lingerMs);
    connect(m_hideTimer, &QTimer::timeout, this, [this] {
        if (!m_pointerInside && !isSliderDown())
            hide();
    });
    setAttribute(Qt::WA_Hover);
    hide();
    QScrollBar* native = area->verticalScrollBar();
    area->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    connect(native, &QScrollBar::rangeChanged, this, &OverlayScrollBar::syncRange);
    connect(native, &QScrollBar::valueChanged, this, &QScrollBar::setValue);
    connect(native, &QScrollBar::valueChanged, this, &OverlayScrollBar::reveal);
    connect(this, &QScrollBar::valueChanged, native, &QScrollBar::setValue);
    const auto applyScheme = [this, &appearance] { styleSlimScrollBar(this, appearance.isLight()); };
    connect(&appearance, &Appearance::changed, this, applyScheme);
    applyScheme();
    area->installEventFilter(this);
    syncRange();
    place();
}

OverlayScrollBar::~OverlayScrollBar() = default;

void OverlayScrollBar::syncRange() {
    const QScrollBar* native = m_area->verticalScrollBar();
    setRange(native->minimum(), native->maximum());
    // The area sets its page step after its range; the visible height is that page.
    setPageStep(std::max(native->pageStep(), m_area->viewport()->height()));
    setSingleStep(native->singleStep());
    setValue(native->value());
    if (!canScroll())
        hide();
    raise();
}

bool OverlayScrollBar::canScroll() const {
    return maximum() > minimum();
}

void OverlayScrollBar::reveal() {
    if (!canScroll())
        return;
    show();
    raise();
    m_hideTimer->start();
}

void OverlayScrollBar::place() {
    setGeometry(m_area->width() - barWidth, 0, barWidth, m_area->height());
    raise();
}

bool OverlayScrollBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_area && (event->type() == QEvent::Resize || event->type() == QEvent::Show)) {
        syncRange();
        place();
    } else if (watched == m_area && event->type() == QEvent::Enter) {
        m_pointerInside = true;
        reveal();
    } else if (watched == m_area && event->type() == QEvent::Leave) {
        m_pointerInside = false;
        m_hideTimer->start();
    }
    return QScrollBar::eventFilter(watched, event);
}

void setUpTransparentScrollArea(Appearance& appearance, QScrollArea* scrollArea, QWidget* page) {
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    scrollArea->viewport()->setAutoFillBackground(false);
    scrollArea->setAttribute(Qt::WA_TranslucentBackground);
    scrollArea->setAutoFillBackground(false);
    scrollArea->setWidget(page);
    // The page shows the background behind it (setWidget turns filling on).
    page->setAutoFillBackground(false);
    new OverlayScrollBar(appearance, scrollArea);
}

} // namespace quillora
