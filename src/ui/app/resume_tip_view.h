#pragma once

#include <QPointer>
#include <QTimer>
#include <QVariantAnimation>
#include <QWidget>

class QAbstractButton;
class QGraphicsOpacityEffect;
class QLabel;
class QShortcut;

namespace quillora {

class Appearance;

class FrostedCard;
class TipTextWindow;

// The durations the tip card runs on, in milliseconds. Tests shorten them.
struct ResumeTipTiming final {
    int fadeInDuration = 3000;
    int scrollStartDelay = 5000;
    int fadeOutDuration = 5000;
    int fadeOutPause = 600;
    int scrollInterval = 20;
};

// The welcome card for a new user: "Welcome to Quillora" over a 220-point window in which the
// welcome text scrolls up by itself once, after which the card fades out and reports that it is
// done. Dragging the text hands it to the user: the card then stays until dismissed. A key moving
// the focus into the card hands it over while the focus stays there (its text scrolls with the
// arrow and page keys); once the focus moves on, the card fades out as it does when no one took it.
// The card never lies over the control that has the focus: it leaves at once when it would. The
// dismiss button and Escape end it at once. Every delayed step and the scroll timer belong to the card,
// so nothing fires once the card is gone. With reduce motion on, nothing animates or scrolls by
// itself.
//
// The view covers the area its owner gives it and takes clicks only on the card. The owner may
// ask for an inset around the card; it is kept where the card fits and shrinks where it does
// not, and where even the whole area is too short the text window gives up height, so the card
// stays inside the area with its dismiss button in view.
class ResumeTipView final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeTipView)

public:
    static constexpr qreal visibleTextHeight = 220;
    static constexpr qreal scrollStep = 0.3;

    explicit ResumeTipView(Appearance& appearance, QWidget* parent = nullptr, ResumeTipTiming timing = {});
    ~ResumeTipView() override;

    static QString welcomeText();
    static qreal tipCardMaxWidth(qreal width);
    static qreal tipHorizontalPadding(qreal width);
    // The text window never gets shorter than this, however short the area.
    static constexpr int minimumTextHeight = 72;
    // The margin a card keeps above and below in an area too short for it.
    static constexpr int shortAreaMargin = 12;

    // The inset the owner asks for on every edge (kept only where the card fits).
    void setPreferredInset(int inset);
    int preferredInset() const { return m_preferredInset; }
    // The height the card wants in an area of the given width (with the full text window).
    qreal fullCardHeight(qreal areaWidth) const;

    // While false the card is invisible (its timing runs all the same); turning it on fades the
    // card in over the fade-in duration.
    void setShowLogo(bool show);
    bool showLogo() const { return m_showLogo; }

    qreal scrollOffset() const { return m_scrollOffset; }
    qreal contentHeight() const { return m_contentHeight; }
    double tipOpacity() const { return m_tipOpacity; }
    bool userDisabledAutoScroll() const { return m_userDisabledAutoScroll; }
    bool hasStartedFadeOut() const { return m_hasStartedFadeOut; }
    bool isAutoScrolling() const { return m_autoScrollTimer != nullptr; }
    // The opacity the card is drawn with now (the fade-in times the fade-out).
    qreal visibleOpacity() const;
    QWidget* card() const;
    // True while the card has the room it asks for, inset included, and lies over the background
    // alone: it is then filled with the scheme's thin translucent material. In a shorter area, or
    // over content (an open editor), it is filled nearly opaque, so no text reads through.
    bool usesMaterial() const { return m_roomy && !m_coversContent; }
    // The owner says whether content with text lies beneath the card.
    void setCoversContent(bool covers);
    QAbstractButton* dismissButton() const { return m_dismiss; }
    TipTextWindow* textWindow() const { return m_text; }

    void startAutoScroll(qreal visibleHeight);
    void stopAutoScroll();
    void beginFadeOut();
    void dismissTip();
    // How the owner removes the card once it is done: it fades out with the default animation
    // and then deletes itself; at once under reduce motion or while it cannot be seen. It takes
    // no input and reports nothing meanwhile.
    void leave();
    bool isLeaving() const { return m_leaving; }
    const QVariantAnimation& leaveAnimation() const { return m_leaveAnimation; }

signals:
    // The tip is done (it faded out or was dismissed); the owner removes it.
    void dismissed();
    // The card's drawn opacity changed (see visibleOpacity()).
    void visibleOpacityChanged(qreal opacity);

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void startAutoScrollTimer(int interval, qreal step, qreal maxOffset);
    void autoScrollTick(qreal step, qreal maxOffset);
    void setContentHeight(qreal height);
    void setScrollOffset(qreal offset);
    void applyOpacity();
    void applyScheme();
    void applyFill();
    void layoutCard();
    // The user takes the card over: by a drag for good, by a key while the focus stays in it.
    void takeOver(bool byKey);
    // Whether the card, as drawn now, lies over `control` or its ring.
    bool covers(const QWidget* control) const;
    void focusMoved(QWidget* now);
    void stepAsideSoon();

    Appearance& m_appearance;
    ResumeTipTiming m_timing;
    bool m_showLogo = false;
    qreal m_logoLevel = 0;
    qreal m_scrollOffset = 0;
    qreal m_contentHeight = 0;
    double m_tipOpacity = 1.0;
    bool m_userDisabledAutoScroll = false;
    // The user's hold was a key's, which lasts while the focus stays in the card.
    bool m_heldByKey = false;
    int m_fadeRun = 0;
    bool m_stepAsidePending = false;
    bool m_hasStartedFadeOut = false;
    bool m_appeared = false;
    bool m_leaving = false;
    qreal m_leaveLevel = 1;
    int m_preferredInset = 0;
    bool m_roomy = true;
    bool m_coversContent = false;
    QPointer<QTimer> m_autoScrollTimer;
    QVariantAnimation m_logoAnimation;
    QVariantAnimation m_fadeAnimation;
    QVariantAnimation m_leaveAnimation;

    FrostedCard* m_card = nullptr;
    QGraphicsOpacityEffect* m_opacityEffect = nullptr;
    QLabel* m_title = nullptr;
    TipTextWindow* m_text = nullptr;
    QAbstractButton* m_dismiss = nullptr;
    QShortcut* m_escape = nullptr;
};

// The tip's text window: the welcome text, offset by the automatic scroll and movable by the
// user's drag or wheel. A drag of at least 10 points reports every change.
class TipTextWindow final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TipTextWindow)

public:
    explicit TipTextWindow(const QString& text, QWidget* parent = nullptr);

    // The visible height of the window (the tip's 220 points where there is room).
    void setWindowHeight(int height);

    void setAutoOffset(qreal offset);
    qreal userOffset() const { return m_userOffset; }
    void setTextColor(const QColor& color);
    // The text's height with its 8-point top padding at the current width.
    qreal measuredHeight() const { return m_measured; }

signals:
    void contentHeightChanged(qreal height);
    void dragChanged();
    // A key scrolled the text (it has the focus).
    void keyScrolled();

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void measure();
    void scrollBy(qreal delta);

    QString m_text;
    QColor m_color;
    qreal m_autoOffset = 0;
    qreal m_userOffset = 0;
    qreal m_measured = 0;
    bool m_pressed = false;
    bool m_dragging = false;
    QPointF m_pressPos;
    qreal m_pressUserOffset = 0;
};

} // namespace quillora
