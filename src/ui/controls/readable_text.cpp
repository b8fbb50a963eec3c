#include "controls/readable_text.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/readable_text_accessible.h"

#include <QApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QTextBoundaryFinder>

#include <algorithm>

namespace quillora {

void makeReadable(QWidget* element, const QString& text, Appearance* appearance, qreal radius, int outset) {
    element->setAccessibleName(text);
    element->setFocusPolicy(Qt::StrongFocus);
    if (qobject_cast<QLabel*>(element) == nullptr)
        markAsAccessibleText(element);
    if (!hasFocusRing(element))
        addKeyFocusRing(element, appearance, radius, outset);
}

QLabel* makeReadable(QLabel* label, Appearance* appearance, qreal radius, int outset) {
    makeReadable(label, label->text(), appearance, radius, outset);
    return label;
}

void setReadableText(QLabel* label, const QString& text) {
    label->setText(text);
    label->setAccessibleName(text);
}

namespace {

bool showsText(const QWidget* element) {
    const auto* label = qobject_cast<const QLabel*>(element);
    return !(label != nullptr ? label->text() : element->accessibleName()).trimmed().isEmpty() &&
           element->isVisibleTo(element->window());
}

} // namespace

ReadableDocument::ReadableDocument(QWidget* page, Appearance* appearance)
    : QObject(page)
    , m_page(page)
    , m_appearance(appearance) {
    page->installEventFilter(this);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
}

ReadableDocument::~ReadableDocument() = default;

void ReadableDocument::setTexts(const QList<QWidget*>& texts, int focusAt) {
    m_texts = texts;
    m_places.clear();
    m_stop = -1;
    for (int i = 0; i < m_texts.size(); ++i) {
        QWidget* text = m_texts.at(i);
        text->setFocusPolicy(Qt::ClickFocus);
        m_places.insert(text, i);
        markAsDocumentText(text, this);
    }
    if (m_texts.isEmpty())
        return;
    const auto first = std::find_if(m_texts.cbegin(), m_texts.cend(), showsText);
    setStop(first == m_texts.cend() ? 0 : int(first - m_texts.cbegin()));
    if (focusAt >= 0) {
        setStop(std::min(focusAt, int(m_texts.size()) - 1));
        stop()->setFocus(Qt::OtherFocusReason);
    }
}

QWidget* ReadableDocument::stop() const {
    return m_stop >= 0 && m_stop < m_texts.size() ? m_texts.at(m_stop) : nullptr;
}

int ReadableDocument::focusedIndex() const {
    QWidget* focus = QApplication::focusWidget();
    return focus != nullptr && m_page->isAncestorOf(focus) ? int(m_texts.indexOf(focus)) : -1;
}

QWidget* ReadableDocument::readOnFrom(const QWidget* text, int step) const {
    const auto place = m_places.constFind(text);
    if (place == m_places.cend())
        return nullptr;
    for (int index = *place + step; index >= 0 && index < m_texts.size(); index += step)
        if (showsText(m_texts.at(index)))
            return m_texts.at(index);
    return nullptr;
}

void ReadableDocument::setStop(int index) {
    if (index == m_stop)
        return;
    if (QWidget* before = stop())
        before->setFocusPolicy(Qt::ClickFocus);
    m_stop = index;
    QWidget* now = stop();
    if (now == nullptr)
        return;
    now->setFocusPolicy(Qt::StrongFocus);
    // Rings are made as the texts are reached, not for every text of a long page.
    if (!hasFocusRing(now))
        addKeyFocusRing(now, m_appearance, 8, 4);
}

void ReadableDocument::focusMoved(QWidget* now) {
    // A click on a text, or the arrows, make it the stop Tab comes back to.
    if (now == nullptr || !m_page->isAncestorOf(now) || now == stop())
        return;
    if (const qsizetype index = m_texts.indexOf(now); index >= 0)
        setStop(int(index));
}

bool ReadableDocument::moveTo(int index, int step) {
    // Texts with nothing to read (an empty name) are passed over.
    for (; index >= 0 && index < m_texts.size(); index += step) {
        if (showsText(m_texts.at(index))) {
            setStop(index);
            // The text is read from its start.
            setDocumentTextCaret(m_texts.at(index), 0, true);
            m_texts.at(index)->setFocus(Qt::OtherFocusReason);
            return true;
        }
    }
    return false;
}

void ReadableDocument::moveCaret(QWidget* text, int step, bool byWord) {
    const auto* label = qobject_cast<const QLabel*>(text);
    const QString shown = label != nullptr ? label->text() : text->accessibleName();
    // The arrows go the way the text runs: Right goes back in a right-to-left text.
    if (shown.isRightToLeft())
        step = -step;
    int caret = documentTextCaret(text);
    if (!byWord) {
        caret += step;
    } else {
        // To the start of the next word, or of this one or the one before.
        QTextBoundaryFinder words(QTextBoundaryFinder::Word, shown);
        words.setPosition(caret);
        for (;;) {
            const qsizetype at = step > 0 ? words.toNextBoundary() : words.toPreviousBoundary();
            if (at < 0) {
                caret = step > 0 ? int(shown.size()) : 0;
                break;
            }
            if (words.boundaryReasons() & QTextBoundaryFinder::StartOfItem) {
                caret = int(at);
                break;
            }
        }
    }
    setDocumentTextCaret(text, caret);
}

bool ReadableDocument::eventFilter(QObject* watched, QEvent* event) {
    // The keys a focused text leaves come up to the page.
    if (watched != m_page || event->type() != QEvent::KeyPress)
        return QObject::eventFilter(watched, event);
    const int at = focusedIndex();
    if (at < 0)
        return false;
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers modifiers = key->modifiers() & ~Qt::KeypadModifier;
    if (modifiers != Qt::NoModifier && modifiers != Qt::ControlModifier)
        return false;
    QWidget* text = m_texts.at(at);
    switch (key->key()) {
    case Qt::Key_Left:
    case Qt::Key_Right:
        moveCaret(text, key->key() == Qt::Key_Right ? 1 : -1, modifiers == Qt::ControlModifier);
        break;
    case Qt::Key_Up:
        if (!moveTo(at - 1, -1))
            announceToScreenReader(text, QStringLiteral("Top of the document."));
        break;
    case Qt::Key_Down:
        if (!moveTo(at + 1, 1))
            announceToScreenReader(text, QStringLiteral("End of the document."));
        break;
    case Qt::Key_Home:
        moveTo(0, 1);
        break;
    case Qt::Key_End:
        moveTo(int(m_texts.size()) - 1, -1);
        break;
    default:
        return false;
    }
    // At either end the focus stays where it is, and the page stays too.
    event->accept();
    return true;
}

} // namespace quillora
