#pragma once

#include <QPlainTextEdit>

namespace quillora {

class Appearance;

// The editor's themed multi-line text field for long free text: a lightly tinted rounded box
// with a thin outline, its type growing from 16 to 20 points with the editor's width. Every
// keystroke goes straight to whatever the text is bound to. Each paragraph stands in its own
// reading direction (followParagraphDirections()).
class EditorTextArea : public QPlainTextEdit {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(EditorTextArea)

public:
    static constexpr qreal cornerRadius = 14;
    static constexpr int padding = 12;

    EditorTextArea(Appearance& appearance, qreal minHeight, QWidget* parent = nullptr);
    ~EditorTextArea() override;

    // The font size for the editor's content width.
    static qreal fontSizeForWidth(qreal width);
    qreal minHeight() const { return m_minHeight; }

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    bool event(QEvent* event) override;

private:
    void refresh();
    void fitToText();

    qreal m_minHeight;
    Appearance* m_appearance;
};

} // namespace quillora
