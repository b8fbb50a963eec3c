#pragma once

#include <QScrollBar>

class QAbstractScrollArea;
class QScrollArea;
class QTimer;
class QWidget;

namespace quillora {

class Appearance;

// A thin vertical scroll bar laid over the trailing edge of a scroll area instead of beside it,
// so the page keeps its full width (as scroll indicators do). It mirrors the area's own vertical
// scroll bar, which stays hidden but keeps working for the wheel and the keyboard. It is shown
// only while there is something to scroll, and follows the colour scheme.
class OverlayScrollBar final : public QScrollBar {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(OverlayScrollBar)

public:
    static constexpr int barWidth = 10;
    static constexpr int lingerMs = 1200;

    OverlayScrollBar(Appearance& appearance, QAbstractScrollArea* area);
    ~OverlayScrollBar() override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void syncRange();
    void place();
    bool canScroll() const;
    void reveal();

    QAbstractScrollArea* m_area;
    QTimer* m_hideTimer;
    bool m_pointerInside = false;
};

// Makes `scrollArea` a frameless, see-through vertical scroller of `page` over whatever is drawn
// behind it, with the overlay scroll bar: the set-up every sheet and page of the app shares.
void setUpTransparentScrollArea(Appearance& appearance, QScrollArea* scrollArea, QWidget* page);

} // namespace quillora
