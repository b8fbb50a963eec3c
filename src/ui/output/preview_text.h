#pragma once

#include <QLabel>
#include <QList>
#include <QTextDocument>

#include <utility>

namespace quillora {

// A wrapped text of the preview. It wraps between words, and inside a word only where the word
// alone is wider than the column (a long web address, say), so the page never grows wider than
// its window. The text itself is never changed: what is selected and copied is the text as
// given, line breaks of the wrap left out.
//
// It lays its text out in one document of its own, which answers both for its height at a width
// and for painting at the width it has: the column asks for the height at the width it then
// gives, so painting costs no further layout. Heights are remembered for the last few widths
// asked, so one changed field lays out only its own text, not every text of the preview.
//
// Each paragraph is laid out in its own reading direction, a right-to-left one aligned to the
// right, as the PDF lays it out: that of its first strong character, or, for a paragraph with
// none (a line of dates), that of the paragraph before it, the first one that of the text before
// this one (setContextDirection()).
//
// The text can be selected with the mouse (a drag, or a double click for a word), copied with
// the platform's copy keys or the context menu, and all of it selected with the select-all keys.
class PreviewText final : public QLabel {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(PreviewText)

public:
    explicit PreviewText(const QString& text, QWidget* parent = nullptr);
    ~PreviewText() override;

    // Shows a new text (rather than QLabel::setText, which would make the label a document it
    // never uses).
    void showText(const QString& text);

    // The direction of the text before this one, which a first paragraph with no strong
    // character follows (left to right unless set).
    void setContextDirection(Qt::LayoutDirection direction);
    Qt::LayoutDirection contextDirection() const { return m_contextDirection; }
    // The direction this text hands on to the text after it (directionAfter()): that of its last
    // paragraph with a strong character, `context` when it has none. Found once per text.
    Qt::LayoutDirection handedOnDirection(Qt::LayoutDirection context) const;

    // As narrow as its widest character, one line tall: a word wider than the column wraps.
    QSize minimumSizeHint() const override;
    QSize sizeHint() const override;
    int heightForWidth(int width) const override;

    // The selection, as the characters of the text it covers.
    QString selection() const;
    void selectAll();
    void copySelection() const;

protected:
    bool event(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    // The document, holding the current text and laid out `width` wide (the text's own width).
    QTextDocument& documentAt(int textWidth) const;
    int textWidthFor(int width) const;
    int positionAt(const QPoint& point) const;
    void forget() const;
    void forgetIfTextChanged() const;

    mutable QTextDocument m_document;
    mutable QString m_text;
    Qt::LayoutDirection m_contextDirection = Qt::LeftToRight;
    mutable QString m_handedOnText; // the text the direction below was found for
    mutable Qt::LayoutDirection m_handedOn = Qt::LayoutDirectionAuto;
    mutable bool m_textSet = false;
    mutable QList<std::pair<int, int>> m_heights;
    // The selection's ends, in characters of the text; the same where nothing is selected.
    mutable int m_anchor = 0;
    mutable int m_position = 0;
    bool m_dragging = false;
};

} // namespace quillora
