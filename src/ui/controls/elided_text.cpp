#include "controls/elided_text.h"

#include <QFontMetricsF>
#include <QScreen>

#include <algorithm>

namespace quillora {

QString elidedLine(const QFontMetricsF& metrics, const QString& text, qreal width) {
    // No character that shows is narrower than a pixel, so a line shows at most about as many
    // characters as it is wide.
    const qsizetype limit = qsizetype(std::clamp<qreal>(width, 0, 1 << 20)) + 2;
    if (text.size() <= limit)
        return metrics.elidedText(text, Qt::ElideRight, width);
    QString head = text.left(limit);
    if (head.back().isHighSurrogate())
        head.chop(1);
    // The ellipsis says that more follows, also where the beginning fits whole (characters of no
    // width).
    return metrics.elidedText(head + QChar(0x2026), Qt::ElideRight, width);
}

ElidedLabel::ElidedLabel(QWidget* parent)
    : QLabel(parent) {
    setTextFormat(Qt::PlainText);
    setWordWrap(false);
}

ElidedLabel::~ElidedLabel() = default;

void ElidedLabel::setFullText(const QString& text) {
    if (text == m_fullText && !text.isEmpty())
        return;
    m_fullText = text;
    showFitting();
}

QSize ElidedLabel::minimumSizeHint() const {
    // Narrow enough for the window to shrink; the text is cut to what it is given.
    const QSize hint = QLabel::minimumSizeHint();
    const QMargins margins = contentsMargins();
    return {std::min(hint.width(), margins.left() + margins.right() + fontMetrics().height()), hint.height()};
}

void ElidedLabel::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    showFitting();
}

void ElidedLabel::showEvent(QShowEvent* event) {
    QLabel::showEvent(event);
    showFitting();
}

void ElidedLabel::showFitting() {
    // Until it is shown and laid out, its width is nobody's: as much as a screen holds.
    const qreal width = isVisible() ? contentsRect().width() : screen()->availableGeometry().width();
    const QString shown = elidedLine(QFontMetricsF(font()), m_fullText, width);
    if (shown != text())
        setText(shown);
}

} // namespace quillora
