#include "output/creative_page_decorations.h"

#include "output/pdf_text.h"
#include "theme/font_resolver.h"

#include <QPainter>

namespace quillora {

qreal verticalScriptNameFontSize(qreal available) {
    const qreal s = 0.22 * available;
    return s <= 48 ? 36 : 0.75 * std::min<qreal>(96, s);
}

void drawVerticalScriptName(QPainter& painter, const QString& name, qreal pageHeight, qreal bottomMargin,
                            qreal top, qreal margin, qreal columnWidth, qreal columnGap) {
    if (name.isEmpty())
        return;
    const qreal available = (pageHeight - bottomMargin) - top;
    const qreal size = verticalScriptNameFontSize(available);
    const QString script = QStringLiteral("SnellRoundhand");
    QFont font;
    if (FontResolver::isResolved(script)) {
        font = FontResolver::font(script, size);
    } else {
        font = FontResolver::font(FontResolver::fallbackFamily(), size);
        font.setWeight(QFont::Normal);
    }
    font = pdfTextFont(font);

    const PdfTextBlock text(name, font, 0, painter.device(), Qt::AlignLeft, false);
    const qreal w = text.naturalWidth();
    const qreal h = text.height();
    const qreal cx = margin + columnWidth + columnGap + columnWidth / 2;
    const qreal cy = top + 0.46 * available;

    painter.save();
    painter.translate(cx, cy);
    painter.rotate(-90);

    // The soft shadow is painted as outlines, so the name is extracted from the page only once:
    // a faint halo for the blur under a slightly darker core. It falls 1.5 points right and down
    // on the page, which is (-1.5, 1.5) in the turned coordinates.
    const QPainterPath shadow = text.outline(-w / 2 - 1.5, -h / 2 + 1.5);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 16), 3.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shadow);
    painter.setPen(QPen(QColor(0, 0, 0, 24), 1.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(shadow);
    painter.fillPath(shadow, QColor(0, 0, 0, 40));

    painter.setPen(QColor::fromRgbF(0, 0, 0, 0.22f));
    text.draw(painter, -w / 2, -h / 2);
    painter.restore();
}

QRectF aspectFitRect(const QSizeF& imageSize, const QRectF& rect) {
    if (imageSize.width() <= 0 || imageSize.height() <= 0 || rect.height() <= 0)
        return {};
    const qreal imageAspect = imageSize.width() / imageSize.height();
    const qreal rectAspect = rect.width() / rect.height();
    if (imageAspect > rectAspect) {
        const qreal h = rect.width() / imageAspect;
        return {rect.x(), rect.y() + (rect.height() - h) / 2, rect.width(), h};
    }
    const qreal w = rect.height() * imageAspect;
    return {rect.x() + (rect.width() - w) / 2, rect.y(), w, rect.height()};
}

void drawImageAspectFit(QPainter& painter, const QImage& image, const QColor& backgroundColor,
                        const QRectF& rect) {
    painter.fillRect(rect, backgroundColor);
    const QRectF target = aspectFitRect(QSizeF(image.size()), rect);
    if (target.isEmpty())
        return;
    painter.drawImage(target, image);
}

} // namespace quillora
