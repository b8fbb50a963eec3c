#include "output/pdf_text.h"

#include <QGlyphRun>
#include <QPainter>
#include <QRawFont>
#include <QTextOption>

namespace quillora {

PdfTextBlock::PdfTextBlock(const QString& text, const QFont& font, qreal width, QPaintDevice* device,
                           Qt::Alignment alignment, bool wrap) {
    QString normalised = text;
    normalised.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    normalised.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    normalised.replace(QChar::LineSeparator, QLatin1Char('\n'));
    normalised.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));

    QTextOption option(alignment);
    option.setWrapMode(wrap ? QTextOption::WrapAtWordBoundaryOrAnywhere : QTextOption::NoWrap);
    option.setUseDesignMetrics(true);

    const QStringList paragraphs = normalised.split(QLatin1Char('\n'));
    m_layouts.reserve(size_t(paragraphs.size()));
    for (const QString& paragraph : paragraphs) {
        auto layout = std::make_unique<QTextLayout>(paragraph, font, device);
        layout->setTextOption(option);
        layout->setCacheEnabled(true);
        layout->beginLayout();
        qreal y = 0;
        for (;;) {
            QTextLine line = layout->createLine();
            if (!line.isValid())
                break;
            line.setLeadingIncluded(true);
            line.setLineWidth(wrap ? width : 1e6);
            line.setPosition(QPointF(0, y));
            y += line.height();
            m_lines.append({layout.get(), line.lineNumber(), line.height()});
            m_height += line.height();
        }
        layout->endLayout();
        m_layouts.push_back(std::move(layout));
    }
}

qreal PdfTextBlock::lineHeight(int line) const {
    return m_lines.at(line).height;
}

qreal PdfTextBlock::naturalWidth() const {
    qreal w = 0;
    for (const auto& l : m_lines)
        w = std::max(w, l.layout->lineAt(l.index).naturalTextWidth());
    return w;
}

qreal PdfTextBlock::drawLines(QPainter& painter, qreal x, qreal top, int first, int end) const {
    qreal y = top;
    for (int i = first; i < end && i < lineCount(); ++i) {
        const Line& l = m_lines.at(i);
        const QTextLine line = l.layout->lineAt(l.index);
        line.draw(&painter, QPointF(x, y - line.y()));
        y += l.height;
    }
    return y - top;
}

QPainterPath PdfTextBlock::outline(qreal x, qreal top) const {
    QPainterPath path;
    qreal y = top;
    for (const Line& l : m_lines) {
        const QTextLine line = l.layout->lineAt(l.index);
        const QPointF offset(x, y - line.y());
        for (const QGlyphRun& run : line.glyphRuns()) {
            const QRawFont font = run.rawFont();
            const QList<quint32> glyphs = run.glyphIndexes();
            const QList<QPointF> positions = run.positions();
            for (qsizetype i = 0; i < glyphs.size(); ++i)
                path.addPath(font.pathForGlyph(glyphs.at(i)).translated(positions.at(i) + offset));
        }
        y += l.height;
    }
    return path;
}

QFont pdfTextFont(QFont font) {
    // Text that needs no complex shaping (Latin, Greek, Cyrillic, …) is set glyph by glyph, so
    // "ffi" stays three letters; scripts that need shaping (Arabic, Devanagari, …) keep it.
    font.setStyleStrategy(QFont::StyleStrategy(font.styleStrategy() | QFont::PreferNoShaping));
    font.setHintingPreference(QFont::PreferNoHinting);
    font.setKerning(true);
    return font;
}

} // namespace quillora
