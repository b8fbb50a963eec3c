#include "help/scrolling_sheet.h"

#include "controls/overlay_scroll_bar.h"

#include <QDialog>
#include <QScrollArea>
#include <QVBoxLayout>

namespace quillora {

void setUpScrollingSheet(Appearance& appearance, QDialog* sheet, const QString& title,
                         QScrollArea* scrollArea, QWidget* page) {
    sheet->setWindowTitle(title);
    sheet->setModal(true);
    sheet->setAccessibleName(title);

    auto* layout = new QVBoxLayout(sheet);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scrollArea);
    scrollArea->setFrameShape(QFrame::NoFrame);
    scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    scrollArea->setWidgetResizable(true);
    scrollArea->viewport()->setAutoFillBackground(false);
    page->setAutoFillBackground(false);
    scrollArea->setWidget(page);
    new OverlayScrollBar(appearance, scrollArea);
}

} // namespace quillora
