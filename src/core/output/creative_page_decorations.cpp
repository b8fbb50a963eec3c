#include "output/creative_page_decorations.h"

#include "output/pdf_text.h"
#include "output/pdf_text_writer.h"
#include "theme/font_resolver.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>

namespace quillora {

qreal verticalScriptNameFontSize(qreal available) {
    const qreal s = 0.22 * available;
    return s <= 48 ? 36 : 0.75 * std::min<qreal>(96, s);
}

void drawVerticalScriptName(QPainter& painter, const QString& name, qreal pageHeight, qreal bottomMargin,
                            qreal top, qreal margin, qreal columnWidth, qreal columnGap,
                            bool rightToLeftPage) {
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
    // pdftotext reads a page whose text is mostly right to left from its right side: the name, set
    // down the right column, before every block of the left column that reaches as low as the
    // name's top, and after those above it. It takes each line of a paragraph for a block of its
    // own, so the name could part a paragraph. A blank from the name's end up to the column's top,
    // read there as a right-to-left mark (by other readers as a space), makes the name reach the
    // top, so it is read whole, before the column. It starts a quarter of an em past the name, so
    // that the mark is a word of its own.
    PdfTextWriter* writer = PdfTextWriter::of(painter.device());
    const qreal start = w / 2 + size / 4;
    const qreal reach = (cy - top) - start;
    if (writer && rightToLeftPage && reach > 1) {
        // A space of the face the name starts in, which the page already holds.
        const QRawFont face = text.firstFace();
        const QList<quint32> blank = face.glyphIndexesForString(QStringLiteral(" "));
        if (blank.size() == 1 && blank.constFirst() != 0) {
            const QPointF at(start, -h / 2 + face.ascent());
            QGlyphRun run;
            run.setRawFont(face);
            run.setGlyphIndexes(blank);
            run.setPositions({at});
            painter.drawGlyphRun(QPointF(), run);
            writer->addBridgedText(at, 1, QString(QChar(0x200F)), reach, true, false, false, false);
        }
    }
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
