#pragma once

#include "app/content_view.h"

#include <QImage>
#include <QSvgRenderer>
#include <QVariantAnimation>
#include <QWidget>

namespace quillora {

class Appearance;

// The intro over the main window: the hand mark and the word mark settle on black, the word mark
// glows, and three seconds later the whole overlay fades out. It never takes clicks. The marks
// stand centred over the window on the pad idiom (the desktop's); on other idioms they stand in
// the window less its bottom 200 points, so they sit higher.
class IntroLogoOverlay final : public QWidget {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(IntroLogoOverlay)

public:
    IntroLogoOverlay(Appearance& appearance, QWidget* parent,
                     UserInterfaceIdiom idiom = UserInterfaceIdiom::pad);

    // The room kept free below the marks on idioms other than pad.
    static constexpr qreal otherIdiomBottomInset = 200;
    qreal bottomInset() const { return m_idiom == UserInterfaceIdiom::pad ? 0 : otherIdiomBottomInset; }

    // Shows the logos (animated unless reduce motion is on) and schedules the fade 3.0 s later.
    // While the desktop has not yet said whether it wants less motion, the start waits for its
    // answer, at most desktopAnswerWaitMs, on black.
    void startIntroLogoFade();
    static constexpr int desktopAnswerWaitMs = 300;
    bool isWaitingForDesktop() const { return m_waitingForDesktop; }
    void finishIntroLogoFade();

    bool isShown() const { return m_show; }
    bool isFadedOut() const { return m_fadeOut; }
    bool isGlowing() const { return m_glow; }
    // How far the hand mark is still blurred: 20 points while hidden, none once it has settled.
    qreal handBlurRadius() const { return 20 * (1 - m_handProgress); }
    QVariantAnimation& handAnimation() { return m_handAnimation; }
    // The word mark's glow swings in and out, each way over 1.5 s ease-in-out; its radius and
    // its opacity grow from nothing to 35 points and 0.7.
    static constexpr qreal glowFullRadius = 35;
    static constexpr int glowSwingMs = 1500;
    QVariantAnimation& glowAnimation() { return m_glowAnimation; }
    qreal glowRadius() const { return glowFullRadius * m_glowLevel; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // The word mark's glow: the mark in white, blurred by the radius, with room around it for
    // the fullest blur.
    const QImage& wordGlow(QSizeF wordSize, qreal devicePixelRatio, int radius);

    Appearance& m_appearance;
    UserInterfaceIdiom m_idiom;
    QSvgRenderer m_hand;
    QSvgRenderer m_word;
    void beginIntro();

    bool m_waitingForDesktop = false;
    bool m_show = false;
    bool m_glow = false;
    bool m_fadeOut = false;
    qreal m_handProgress = 0; // 0 hidden … 1 settled
    qreal m_wordProgress = 0;
    qreal m_glowLevel = 0;
    qreal m_opacity = 1;
    QVariantAnimation m_handAnimation;
    QVariantAnimation m_wordAnimation;
    QVariantAnimation m_glowAnimation;
    QVariantAnimation m_fadeAnimation;
    QImage m_wordGlow;
    int m_wordGlowRadius = -1;
};

} // namespace quillora
