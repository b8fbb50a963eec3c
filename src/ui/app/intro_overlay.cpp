#include "app/intro_overlay.h"

#include "platform/appearance.h"
#include "theme/orb_layer.h"

#include <QPainter>
#include <QTimer>

namespace quillora {

namespace {

void animate(QVariantAnimation& animation, int durationMs, int delayMs, QEasingCurve curve) {
    animation.setStartValue(0.0);
    animation.setEndValue(1.0);
    animation.setDuration(durationMs);
    animation.setEasingCurve(curve);
    if (delayMs > 0)
        QTimer::singleShot(delayMs, &animation, [&animation] { animation.start(); });
    else
        animation.start();
}

} // namespace

IntroLogoOverlay::IntroLogoOverlay(Appearance& appearance, QWidget* parent, UserInterfaceIdiom idiom)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_idiom(idiom)
    , m_hand(QStringLiteral(":/app/hand_mark.svg"))
    , m_word(QStringLiteral(":/app/word_mark.svg")) {
    setObjectName(QStringLiteral("introLogoOverlay"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    const auto bind = [this](QVariantAnimation& animation, qreal& target) {
        connect(&animation, &QVariantAnimation::valueChanged, this, [this, &target](const QVariant& v) {
            target = v.toReal();
            update();
        });
    };
    bind(m_handAnimation, m_handProgress);
    bind(m_wordAnimation, m_wordProgress);
    bind(m_glowAnimation, m_glowLevel);
    // In and out again, for as long as the overlay can be seen.
    m_glowAnimation.setStartValue(0.0);
    m_glowAnimation.setEndValue(1.0);
    m_glowAnimation.setDuration(glowSwingMs);
    m_glowAnimation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_glowAnimation, &QVariantAnimation::finished, this, [this] {
        if (!m_glow || m_opacity <= 0)
            return;
        m_glowAnimation.setDirection(m_glowAnimation.direction() == QAbstractAnimation::Forward
                                         ? QAbstractAnimation::Backward
                                         : QAbstractAnimation::Forward);
        m_glowAnimation.start();
    });
    connect(&m_fadeAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
        m_opacity = 1.0 - v.toReal();
        update();
    });
    connect(&m_fadeAnimation, &QVariantAnimation::finished, this, &QWidget::hide);
}

void IntroLogoOverlay::startIntroLogoFade() {
    if (m_waitingForDesktop)
        return;
    if (!m_show && !m_appearance.isMotionSettled()) {
        // Whichever comes first, the answer or the time limit, starts the intro once.
        m_waitingForDesktop = true;
        auto* guard = new QObject(this);
        const auto begin = [this, guard] {
            if (!m_waitingForDesktop)
                return;
            guard->deleteLater();
            m_waitingForDesktop = false;
            beginIntro();
        };
        connect(&m_appearance, &Appearance::motionSettled, guard, begin);
        QTimer::singleShot(desktopAnswerWaitMs, guard, begin);
        return;
    }
    beginIntro();
}

void IntroLogoOverlay::beginIntro() {
    const bool reduceMotion = m_appearance.reduceMotion();
    if (!m_show) {
        m_show = true;
        if (reduceMotion) {
            m_handProgress = m_wordProgress = 1;
        } else {
            animate(m_handAnimation, 1400, 0, QEasingCurve::OutCubic);
            animate(m_wordAnimation, 1400, 600, QEasingCurve::OutCubic);
        }
    }
    m_glow = !reduceMotion;
    if (m_glow && m_glowAnimation.state() != QAbstractAnimation::Running) {
        QTimer::singleShot(1200, this, [this] {
            if (m_glow && !m_fadeOut && m_glowAnimation.state() != QAbstractAnimation::Running) {
                m_glowAnimation.setDirection(QAbstractAnimation::Forward);
                m_glowAnimation.start();
            }
        });
    } else if (!m_glow) {
        m_glowAnimation.stop();
        m_glowLevel = 0;
    }
    update();
    QTimer::singleShot(3000, this, &IntroLogoOverlay::finishIntroLogoFade);
}

void IntroLogoOverlay::finishIntroLogoFade() {
    if (m_fadeOut)
        return;
    m_fadeOut = true;
    if (m_appearance.reduceMotion()) {
        m_opacity = 0;
        hide();
        return;
    }
    m_fadeAnimation.setStartValue(0.0);
    m_fadeAnimation.setEndValue(1.0);
    m_fadeAnimation.setDuration(2000);
    m_fadeAnimation.setEasingCurve(QEasingCurve::OutCubic);
    m_fadeAnimation.start();
}

const QImage& IntroLogoOverlay::wordGlow(QSizeF wordSize, qreal devicePixelRatio, int radius) {
    if (!m_wordGlow.isNull() && m_wordGlowRadius == radius &&
        qFuzzyCompare(m_wordGlow.devicePixelRatio(), devicePixelRatio))
        return m_wordGlow;
    constexpr qreal room = glowFullRadius;
    const QSizeF size = wordSize + QSizeF(2 * room, 2 * room);
    QImage image((size * devicePixelRatio).toSize(), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(devicePixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter painter(&image);
        painter.setRenderHint(QPainter::Antialiasing);
        m_word.render(&painter, QRectF(QPointF(room, room), wordSize));
        // Whatever the artwork's colours, the glow is white where the mark is.
        painter.setCompositionMode(QPainter::CompositionMode_SourceIn);
        painter.fillRect(QRectF(QPointF(0, 0), size), Qt::white);
    }
    // A shadow's radius spreads about twice the blur's standard deviation.
    blurImage(image, radius / 2.0 * devicePixelRatio);
    m_wordGlow = image;
    m_wordGlowRadius = radius;
    return m_wordGlow;
}

void IntroLogoOverlay::paintEvent(QPaintEvent*) {
    if (m_opacity <= 0)
        return;
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setOpacity(m_opacity);
    p.fillRect(rect(), Qt::black);

    const QSizeF handSize(260, 260.0 * 220 / 260);
    const QSizeF wordSize(200, 200.0 * 96 / 400);
    const qreal total = handSize.height() + wordSize.height();
    // The two marks are centred in the window less the bottom inset.
    const QPointF centre(width() / 2.0, (height() - bottomInset()) / 2.0);
    const qreal top = centre.y() - total / 2;

    // Hand mark: from 1.25× size, 40 points higher, faded and blurred, to rest.
    {
        const qreal t = m_handProgress;
        const qreal scale = 1.25 - 0.25 * t;
        const qreal dy = -40 * (1 - t);
        p.save();
        p.setOpacity(m_opacity * t);
        const QPointF c(centre.x(), top + handSize.height() / 2 + dy);
        p.translate(c);
        p.scale(scale, scale);
        const QRectF box(QPointF(-handSize.width() / 2, -handSize.height() / 2), handSize);
        const qreal blur = handBlurRadius();
        if (blur < 0.25) {
            m_hand.render(&p, box);
        } else {
            // Blurred as it comes in: the mark drawn into an image with room for the blur.
            const qreal dpr = devicePixelRatioF();
            const qreal room = 2 * blur;
            const QRectF area = box.adjusted(-room, -room, room, room);
            QImage image((area.size() * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
            image.setDevicePixelRatio(dpr);
            image.fill(Qt::transparent);
            {
                QPainter ip(&image);
                ip.setRenderHint(QPainter::Antialiasing);
                m_hand.render(&ip, QRectF(QPointF(room, room), handSize));
            }
            blurImage(image, blur / 2 * dpr);
            p.drawImage(area, image);
        }
        p.restore();
    }
    // Word mark: rises 60 points into place and glows.
    {
        const qreal t = m_wordProgress;
        const QRectF box(QPointF(centre.x() - wordSize.width() / 2, top + handSize.height() + 60 * (1 - t)),
                         wordSize);
        p.save();
        const int radius = qRound(glowRadius());
        if (radius > 0) {
            // A white shadow centred on the mark, its radius and opacity growing together.
            const QImage& glow = wordGlow(wordSize, devicePixelRatioF(), radius);
            const QSizeF glowSize = QSizeF(glow.size()) / glow.devicePixelRatio();
            p.setOpacity(m_opacity * t * 0.7 * m_glowLevel);
            p.drawImage(QRectF(QPointF(box.center().x() - glowSize.width() / 2,
                                       box.center().y() - glowSize.height() / 2),
                               glowSize),
                        glow);
        }
        p.setOpacity(m_opacity * t);
        m_word.render(&p, box);
        p.restore();
    }
}

} // namespace quillora
