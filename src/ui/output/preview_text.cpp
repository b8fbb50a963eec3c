#include "output/preview_text.h"

#include "output/text_direction.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QTextBlock>
#include <QTextCursor>
#include <QtMath>

#include <algorithm>

namespace quillora {

PreviewText::PreviewText(const QString& text, QWidget* parent)
    : QLabel(parent) {
    // The label only keeps the text, its font and colours and what a screen reader hears; the
    // wrapping, the painting and the selection are done here.
    setTextInteractionFlags(Qt::NoTextInteraction);
    setTextFormat(Qt::PlainText);
    showText(text);
    setFocusPolicy(Qt::ClickFocus);
    setCursor(Qt::IBeamCursor);
    m_document.setUndoRedoEnabled(false);
    m_document.setDocumentMargin(0);
    m_document.setDefaultFont(font());
}

PreviewText::~PreviewText() = default;

namespace {

// A label that takes focus makes a text document of its own for its text when the text is set
// and when it is polished, which this one never uses: both happen without its focus policy, and a
// preview of thousands of texts holds one document per text instead of two.
class WithoutFocusPolicy final {
public:
    explicit WithoutFocusPolicy(QWidget& widget)
        : m_widget(widget)
        , m_policy(widget.focusPolicy()) {
        widget.setFocusPolicy(Qt::NoFocus);
    }
    ~WithoutFocusPolicy() { m_widget.setFocusPolicy(m_policy); }
    WithoutFocusPolicy(const WithoutFocusPolicy&) = delete;
    WithoutFocusPolicy& operator=(const WithoutFocusPolicy&) = delete;

private:
    QWidget& m_widget;
    Qt::FocusPolicy m_policy;
};

} // namespace

void PreviewText::showText(const QString& text) {
    const WithoutFocusPolicy unfocusable(*this);
    setText(text);
}

void PreviewText::setContextDirection(Qt::LayoutDirection direction) {
    if (direction == m_contextDirection)
        return;
    m_contextDirection = direction;
    forget();
    update();
}

Qt::LayoutDirection PreviewText::handedOnDirection(Qt::LayoutDirection context) const {
    // The text kept here holds on to its characters, so a text at the same place is the same.
    const QString current = text();
    if (current.constData() != m_handedOnText.constData() || current.size() != m_handedOnText.size()) {
        m_handedOnText = current;
        m_handedOn = directionAfter(current, Qt::LayoutDirectionAuto);
    }
    return m_handedOn == Qt::LayoutDirectionAuto ? context : m_handedOn;
}

bool PreviewText::event(QEvent* event) {
    if (event->type() == QEvent::Polish) {
        const WithoutFocusPolicy unfocusable(*this);
        return QLabel::event(event);
    }
    return QLabel::event(event);
}

QSize PreviewText::minimumSizeHint() const {
    const QMargins margins = contentsMargins();
    const QFontMetrics metrics = fontMetrics();
    return QSize(metrics.maxWidth() + margins.left() + margins.right() + 2 * margin(),
                 metrics.height() + margins.top() + margins.bottom() + 2 * margin());
}

QSize PreviewText::sizeHint() const {
    return minimumSizeHint();
}

int PreviewText::textWidthFor(int width) const {
    const QMargins margins = contentsMargins();
    return std::max(width - 2 * margin() - margins.left() - margins.right(), 0);
}

QTextDocument& PreviewText::documentAt(int textWidth) const {
    forgetIfTextChanged();
    if (!m_textSet) {
        QTextOption option = m_document.defaultTextOption();
        option.setAlignment(alignment());
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        m_document.setDefaultTextOption(option);
        m_document.setDefaultFont(font());
        m_document.setPlainText(m_text);
        // A paragraph Qt would set left to right for want of a strong character follows the one
        // before it.
        Qt::LayoutDirection direction = m_contextDirection;
        for (QTextBlock block = m_document.begin(); block.isValid(); block = block.next()) {
            direction = textDirection(block.text(), direction);
            if (block.textDirection() != direction) {
                QTextBlockFormat format = block.blockFormat();
                format.setLayoutDirection(direction);
                QTextCursor(block).setBlockFormat(format);
            }
        }
        m_textSet = true;
    }
    if (m_document.textWidth() != textWidth)
        m_document.setTextWidth(textWidth);
    return m_document;
}

int PreviewText::heightForWidth(int width) const {
    forgetIfTextChanged();
    for (const auto& [w, h] : m_heights) {
        if (w == width)
            return h;
    }
    const QMargins margins = contentsMargins();
    const int height = qCeil(documentAt(textWidthFor(width)).size().height()) + 2 * margin() + margins.top() +
                       margins.bottom();
    if (m_heights.size() >= 4)
        m_heights.removeFirst();
    m_heights.append({width, height});
    return height;
}

void PreviewText::forget() const {
    m_heights.clear();
    m_textSet = false;
}

void PreviewText::forgetIfTextChanged() const {
    if (m_text != text()) {
        m_text = text();
        m_anchor = m_position = 0;
        forget();
    }
}

void PreviewText::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange || event->type() == QEvent::StyleChange ||
        event->type() == QEvent::ContentsRectChange)
        forget();
    QLabel::changeEvent(event);
}

void PreviewText::paintEvent(QPaintEvent* event) {
    QFrame::paintEvent(event);
    const int textWidth = textWidthFor(width());
    QTextDocument& document = documentAt(textWidth);
    QPainter painter(this);
    const QRect inner = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    painter.translate(inner.topLeft());
    QAbstractTextDocumentLayout::PaintContext context;
    context.palette = palette();
    context.palette.setColor(QPalette::Text, palette().color(foregroundRole()));
    context.clip = QRectF(event->rect().translated(-inner.topLeft()));
    const int from = std::min(m_anchor, m_position);
    const int to = std::max(m_anchor, m_position);
    if (to > from && to <= m_text.size()) {
        QAbstractTextDocumentLayout::Selection selection;
        selection.cursor = QTextCursor(&document);
        selection.cursor.setPosition(from);
        selection.cursor.setPosition(to, QTextCursor::KeepAnchor);
        selection.format.setBackground(palette().brush(QPalette::Highlight));
        selection.format.setForeground(palette().brush(QPalette::HighlightedText));
        context.selections.append(selection);
    }
    document.documentLayout()->draw(&painter, context);
}

int PreviewText::positionAt(const QPoint& point) const {
    const QRect inner = contentsRect().adjusted(margin(), margin(), -margin(), -margin());
    QTextDocument& document = documentAt(textWidthFor(width()));
    const int position = document.documentLayout()->hitTest(QPointF(point - inner.topLeft()), Qt::FuzzyHit);
    return std::clamp(position, 0, int(m_text.size()));
}

QString PreviewText::selection() const {
    forgetIfTextChanged();
    const int from = std::clamp(std::min(m_anchor, m_position), 0, int(m_text.size()));
    const int to = std::clamp(std::max(m_anchor, m_position), 0, int(m_text.size()));
    // The characters as given: the document would hand paragraph separators back.
    return m_text.mid(from, to - from);
}

void PreviewText::selectAll() {
    forgetIfTextChanged();
    m_anchor = 0;
    m_position = int(m_text.size());
    update();
}

void PreviewText::copySelection() const {
    const QString selected = selection();
    if (!selected.isEmpty())
        QGuiApplication::clipboard()->setText(selected);
}

void PreviewText::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mousePressEvent(event);
        return;
    }
    const int position = positionAt(event->position().toPoint());
    if (!(event->modifiers() & Qt::ShiftModifier))
        m_anchor = position;
    m_position = position;
    m_dragging = true;
    update();
}

void PreviewText::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton)) {
        QLabel::mouseMoveEvent(event);
        return;
    }
    m_position = positionAt(event->position().toPoint());
    update();
}

void PreviewText::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !m_dragging) {
        QLabel::mouseReleaseEvent(event);
        return;
    }
    m_dragging = false;
    // Where the desktop has a selection clipboard, the selection goes there, as in other texts.
    QClipboard* clipboard = QGuiApplication::clipboard();
    const QString selected = selection();
    if (!selected.isEmpty() && clipboard->supportsSelection())
        clipboard->setText(selected, QClipboard::Selection);
}

void PreviewText::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        QLabel::mouseDoubleClickEvent(event);
        return;
    }
    QTextCursor word(&documentAt(textWidthFor(width())));
    word.setPosition(positionAt(event->position().toPoint()));
    word.select(QTextCursor::WordUnderCursor);
    m_anchor = word.anchor();
    m_position = word.position();
    m_dragging = true;
    update();
}

void PreviewText::keyPressEvent(QKeyEvent* event) {
    if (event == QKeySequence::Copy) {
        copySelection();
        event->accept();
    } else if (event == QKeySequence::SelectAll) {
        selectAll();
        event->accept();
    } else {
        QLabel::keyPressEvent(event);
    }
}

void PreviewText::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    QAction* copy = menu.addAction(QStringLiteral("&Copy"), this, &PreviewText::copySelection);
    copy->setShortcut(QKeySequence::Copy);
    copy->setEnabled(!selection().isEmpty());
    QAction* all = menu.addAction(QStringLiteral("Select All"), this, &PreviewText::selectAll);
    all->setShortcut(QKeySequence::SelectAll);
    all->setEnabled(!text().isEmpty());
    menu.exec(event->globalPos());
}

} // namespace quillora
