#pragma once

#include "app/resume_list_metrics.h"
#include "theme/scheme_colors.h"

#include <QEasingCurve>
#include <QImage>
#include <QPainter>
#include <QSvgRenderer>
#include <QVariantAnimation>
#include <QWidget>

#include <algorithm>
#include <cmath>

namespace quillora {

// The hand mark over the word mark, in the ink colour, revealed by a fade.
class LogoHeader final : public QWidget {
public:
    LogoHeader(bool pad, QWidget* parent)
        : QWidget(parent)
        , m_pad(pad)
        , m_hand(QStringLiteral(":/app/hand_mark.svg"))
        , m_word(QStringLiteral(":/app/word_mark.svg")) {
        setObjectName(QStringLiteral("resumeListLogo"));
        setAttribute(Qt::WA_TransparentForMouseEvents);
        m_fade.setEasingCurve(QEasingCurve::InOutQuad);
        connect(&m_fade, &QVariantAnimation::valueChanged, this, [this](const QVariant& v) {
            m_level = v.toReal();
            update();
        });
        setSizePolicy(QSizePolicy::Preferred, QSizePolicy::Fixed);
    }

    void setAvailableWidth(qreal width) {
        m_width = width;
        applyHeight();
    }

    // The header's full height at the current width.
    qreal naturalHeight() const { return topPadding() + handSize().height() + 5 + wordSize().height() + 20; }

    // Shrinks the whole header (logo and paddings) about its top centre; 1 is full size.
    void setScale(qreal scale) {
        if (qFuzzyCompare(scale, m_scale))
            return;
        m_scale = scale;
        applyHeight();
    }
    qreal scale() const { return m_scale; }

    void setLight(bool light) {
        m_light = light;
        update();
    }

    void reveal(bool animated) {
        if (!animated) {
            m_fade.stop();
            m_level = 1;
            update();
            return;
        }
        m_fade.setStartValue(m_level);
        m_fade.setEndValue(1.0);
        m_fade.setDuration(2000);
        m_fade.start();
    }

    qreal level() const { return m_level; }

protected:
    void paintEvent(QPaintEvent*) override {
        if (m_level <= 0)
            return;
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setRenderHint(QPainter::SmoothPixmapTransform);
        p.setOpacity(m_level);
        p.translate(width() / 2.0, 0);
        p.scale(m_scale, m_scale);
        p.translate(-width() / 2.0, 0);
        const qreal top = topPadding();
        const QSizeF hand = handSize();
        const QSizeF word = wordSize();
        p.drawImage(QPointF((width() - hand.width()) / 2, top), tinted(m_hand, hand));
        p.drawImage(QPointF((width() - word.width()) / 2, top + hand.height() + 5), tinted(m_word, word));
    }

private:
    void applyHeight() {
        setFixedHeight(int(std::ceil(naturalHeight() * m_scale)));
        update();
    }
    qreal topPadding() const {
        return m_pad ? std::max<qreal>(40, 28 + 36 * responsiveScale(m_width, 1065)) : 0;
    }
    QSizeF handSize() const {
        const qreal w = 170 + 70 * cardScale(m_width);
        return {w, w * m_hand.defaultSize().height() / std::max(1, m_hand.defaultSize().width())};
    }
    QSizeF wordSize() const {
        const qreal w = 140 + 50 * cardScale(m_width);
        return {w, w * m_word.defaultSize().height() / std::max(1, m_word.defaultSize().width())};
    }
    QImage tinted(QSvgRenderer& renderer, QSizeF size) const {
        const qreal dpr = devicePixelRatioF();
        QImage image((size * dpr).toSize(), QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(dpr);
        image.fill(Qt::transparent);
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        renderer.render(&p, QRectF(QPointF(0, 0), size));
        p.setCompositionMode(QPainter::CompositionMode_SourceIn);
        p.fillRect(QRectF(QPointF(0, 0), size), schemeColors::ink(m_light));
        return image;
    }

    bool m_pad;
    qreal m_width = 800;
    qreal m_scale = 1;
    bool m_light = true;
    qreal m_level = 0;
    QSvgRenderer m_hand;
    QSvgRenderer m_word;
    QVariantAnimation m_fade;
};

} // namespace quillora
