#include "editor/editor_text_area.h"

#include "controls/focus_ring.h"
#include "controls/paragraph_directions.h"
#include "platform/appearance.h"
#include "theme/responsive_environment.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"

#include <QAbstractTextDocumentLayout>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QScrollBar>

#include <algorithm>
#include <cmath>

namespace quillora {

qreal EditorTextArea::fontSizeForWidth(qreal width) {
    return 16 + 4 * responsiveScale(width, responsiveSpanCommon);
}

EditorTextArea::EditorTextArea(Appearance& appearance, qreal minHeight, QWidget* parent)
    : QPlainTextEdit(parent)
    , m_minHeight(minHeight)
    , m_appearance(&appearance) {
    followParagraphDirections(*this);
    setFrameShape(QFrame::NoFrame);
    setViewportMargins(padding, padding, padding, padding);
    viewport()->setAutoFillBackground(false);
    setAutoFillBackground(false);
    setAttribute(Qt::WA_TranslucentBackground);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    // The box grows with its text, so the editor's page scrolls rather than the box.
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setTabChangesFocus(true);
    document()->setDocumentMargin(0);
    connect(m_appearance, &Appearance::changed, this, &EditorTextArea::refresh);
    connect(document()->documentLayout(), &QAbstractTextDocumentLayout::documentSizeChanged, this,
            &EditorTextArea::fitToText);
    refresh();
}

EditorTextArea::~EditorTextArea() = default;

void EditorTextArea::refresh() {
    const bool light = m_appearance->isLight();
    setFont(systemFont(fontSizeForWidth(responsiveLayout(this).width)));
    QPalette pal = palette();
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        pal.setColor(group, QPalette::Text, schemeColors::ink(light));
        pal.setColor(group, QPalette::Base, Qt::transparent);
        pal.setColor(group, QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
    }
    setPalette(pal);
    fitToText();
    update();
}

void EditorTextArea::fitToText() {
    updateGeometry();
}

QSize EditorTextArea::sizeHint() const {
    const qreal lineHeight = fontMetrics().lineSpacing();
    const int lines = std::max(1, document()->lineCount());
    // Wrapped lines count too: the layout's height is in lines for a plain text document.
    const qreal docLines = std::max<qreal>(lines, document()->documentLayout()->documentSize().height());
    const int textHeight = int(std::ceil(docLines * lineHeight));
    const int height = std::max(int(std::ceil(m_minHeight)), textHeight + 2 * padding + 4);
    return QSize(200, height);
}

QSize EditorTextArea::minimumSizeHint() const {
    return QSize(80, sizeHint().height());
}

bool EditorTextArea::event(QEvent* event) {
    if (event->type() == responsiveLayoutChangeEvent() || event->type() == QEvent::ParentChange)
        refresh();
    if (event->type() == QEvent::Paint) {
        // The rounded box is drawn on the frame around the padded text.
        const bool light = m_appearance->isLight();
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const QRectF box = QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5);
        QPainterPath path;
        path.addRoundedRect(box, cornerRadius, cornerRadius);
        painter.fillPath(path, light ? QColor::fromRgbF(0, 0, 0, 0.05f) : QColor::fromRgbF(1, 1, 1, 0.12f));
        QPen pen(light ? QColor::fromRgbF(0, 0, 0, 0.225f) : QColor::fromRgbF(1, 1, 1, 0.18f), 1.0,
                 Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
        pen.setMiterLimit(10);
        painter.strokePath(path, pen);
        // A text box shows the keyboard's place with the ring, not only with its caret.
        if (hasFocus())
            paintFocusRing(painter, QRectF(rect()), cornerRadius, light);
        return true;
    }
    if (event->type() == QEvent::FocusIn || event->type() == QEvent::FocusOut)
        update();
    return QPlainTextEdit::event(event);
}

} // namespace quillora
