#pragma once

#include <QAbstractButton>
#include <QImage>
#include <QPointer>

namespace quillora {

class Appearance;

// A small round symbol button that floats over a corner of its host widget: a translucent disc
// with a soft shadow and the symbol in the secondary label colour. What lies behind the disc shows
// through it, blurred and tinted. It is a child of the host, takes no room from the host's layout
// and follows the host's size.
class FloatingSymbolButton : public QAbstractButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingSymbolButton)

public:
    // The symbol's round frame, and the shadow drawn around it.
    static constexpr int glyphSide = 30;
    static constexpr int shadowMargin = 3;
    // Distance of the symbol's frame from the corner's edges when padded.
    static constexpr int cornerMargin = 16;
    // How far from its side a padded button's host keeps content that scrolls under the corner,
    // so nothing is ever left beneath the button.
    static constexpr int contentClearance = cornerMargin + glyphSide + 8;
    // How far what lies behind the disc is blurred.
    static constexpr int backdropBlurRadius = 5;

    ~FloatingSymbolButton() override;

    QString symbolName() const { return m_symbol; }
    // The symbol's frame in the host's coordinates.
    QRect glyphFrame() const;
    QSize sizeHint() const override;

protected:
    enum class Corner { topLeading, topTrailing };
    FloatingSymbolButton(Appearance& appearance, QWidget* host, QString symbol, Corner corner,
                         int leadingOrTrailingMargin, int topMargin);

    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();
    // Takes what has already been drawn behind `disc` from the surface being painted, blurred,
    // into m_backdrop. Does nothing where the surface cannot be read.
    void grabBackdrop(const QPainter& painter, const QRectF& disc);

    QString m_symbol;
    Corner m_corner;
    int m_sideMargin;
    int m_topMargin;
    Appearance* m_appearance;
    // The last blur of what lies behind, and where it goes in the button's coordinates.
    QImage m_backdrop;
    QRectF m_backdropRect;
    bool m_wholeRedrawAsked = false;
};

// The close button in the top trailing corner: closes the window it sits in. In a dialog (a
// sheet) that is a rejection, as Escape gives.
class FloatingCloseButton final : public FloatingSymbolButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingCloseButton)

public:
    // Places the button over host; usePadding keeps it 16 points in from the corner, otherwise
    // its frame touches the top and trailing edges.
    FloatingCloseButton(Appearance& appearance, QWidget* host, bool usePadding = true);
    ~FloatingCloseButton() override;

    void dismiss();
};

// The help button in the top leading corner: asks its screen to show the screen's help. It only
// ever asks to show the help, never to hide it.
class FloatingHelpButton final : public FloatingSymbolButton {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(FloatingHelpButton)

public:
    FloatingHelpButton(Appearance& appearance, QWidget* host);
    ~FloatingHelpButton() override;

    // The screen's help flag: set by a press, cleared by the screen when its help closes.
    bool isPresented() const { return m_presented; }
    void setPresented(bool presented);

signals:
    // A press: the screen should show its help (emitted even when it already shows).
    void helpRequested();
    void presentedChanged(bool presented);

private:
    bool m_presented = false;
};

} // namespace quillora
