#pragma once

#include "model/representable.h"
#include "output/background_theme.h"

#include <QColor>
#include <QFont>
#include <QList>
#include <QSizeF>

class QPainter;
class QPdfWriter;

namespace quillora {

// Where the flow stands on the current page.
struct ResumeLayoutState {
    qreal currentY = 0;
    int columnIndex = 0;
    qreal columnTop = 0;
    bool secondColumnUsed = false;
};

// Everything one export hands to the page layout; built once per export.
struct ResumeRenderContext {
    const ResumeRepresentable* resume = nullptr;
    bool isATS = false;
    BackgroundShapeType shape = BackgroundShapeType::circles;
    QList<QColor> palette;
    qreal shapeOpacity = 0.25;

    QSizeF pageSize{612, 792};
    qreal margin = 60;
    qreal columnWidth = 232;
    qreal columnGap = 28;
    qreal bottomMargin = 60;
    qreal coverLetterSideInset = 90;

    QFont nameFont;
    QFont sectionTitleFont;
    QFont contactFont; // contact, company and date lines
    QFont bodyFont;    // summary, details, skills and the cover letter
    QFont semiboldFont;

    QList<const ExperienceRepresentable*> experience; // sorted by sortOrder
    QList<const EducationRepresentable*> education;   // sorted by sortOrder

    ResumeLayoutState state;
};

// Resolution at which portfolio images are embedded, in pixels per inch of the printed size.
inline constexpr qreal kPortfolioImagePpi = 300;

// Draws every page of the résumé. The painter is active on writer with its first page begun.
void drawResumePages(QPdfWriter& writer, QPainter& painter, ResumeRenderContext& context);

} // namespace quillora
