#include "theme/scheme_colors.h"

#include "theme/font_resolver.h"

#include <QApplication>
#include <QPalette>
#include <QScreen>
#include <QScrollBar>
#include <QWidget>

namespace quillora {

namespace schemeColors {

QColor sheetBackground(bool light) {
    return light ? QColor(255, 255, 255) : QColor(28, 28, 30);
}

QColor primaryLabel(bool light) {
    return light ? QColor(0, 0, 0) : QColor(255, 255, 255);
}

QColor secondaryLabel(bool light) {
    // Strong enough for 4.5:1 on a card over the lightest (or darkest) themed background.
    return light ? QColor(0, 0, 0, 179) : QColor(235, 235, 245, 179);
}

QColor disabledLabel(bool light) {
    return light ? QColor(0, 0, 0, 161) : QColor(255, 255, 255, 143);
}

QColor errorText(bool light) {
    return light ? QColor(0x8C, 0x0C, 0x08) : QColor(0xFF, 0x86, 0x80);
}

QColor ultraThinMaterial(bool light) {
    return light ? QColor(255, 255, 255, 110) : QColor(24, 24, 28, 120);
}

QColor ink(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(255, 255, 255);
}

QColor softInk(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.55f) : QColor::fromRgbF(1, 1, 1, 0.65f);
}

} // namespace schemeColors

QColor blended(const QColor& under, const QColor& over, qreal amount) {
    const auto mix = [amount](float a, float b) { return a + (b - a) * float(amount); };
    return QColor::fromRgbF(mix(under.redF(), over.redF()), mix(under.greenF(), over.greenF()),
                            mix(under.blueF(), over.blueF()));
}

void applySchemePalette(QWidget* widget, bool light) {
    QPalette palette = widget->palette();
    const QColor background = schemeColors::sheetBackground(light);
    const QColor text = schemeColors::primaryLabel(light);
    // Plain push buttons take the scheme's fill too, so their text stays readable even where the
    // desktop's palette is of the other scheme.
    const QColor button = blended(background, text, light ? 0.06 : 0.16);
    for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled}) {
        palette.setColor(group, QPalette::Button, button);
        palette.setColor(group, QPalette::Light, blended(button, text, 0.08));
        palette.setColor(group, QPalette::Midlight, blended(button, text, 0.04));
        palette.setColor(group, QPalette::Mid, blended(button, background, 0.5));
        palette.setColor(group, QPalette::Dark, blended(background, text, 0.3));
    }
    for (const auto group : {QPalette::Active, QPalette::Inactive}) {
        palette.setColor(group, QPalette::Window, background);
        palette.setColor(group, QPalette::Base, background);
        palette.setColor(group, QPalette::WindowText, text);
        palette.setColor(group, QPalette::Text, text);
        palette.setColor(group, QPalette::ButtonText, text);
        palette.setColor(group, QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
    }
    palette.setColor(QPalette::Disabled, QPalette::Window, background);
    palette.setColor(QPalette::Disabled, QPalette::Base, background);
    for (const auto role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText, QPalette::PlaceholderText})
        palette.setColor(QPalette::Disabled, role, schemeColors::disabledLabel(light));
    widget->setPalette(palette);
}

void styleSlimScrollBar(QScrollBar* bar, bool light) {
    const QString handle =
        light ? QStringLiteral("rgba(0, 0, 0, 0.28)") : QStringLiteral("rgba(255, 255, 255, 0.32)");
    if (bar->orientation() == Qt::Horizontal) {
        bar->setStyleSheet(
            QStringLiteral(
                "QScrollBar:horizontal { background: transparent; height: 8px; margin: 0 12px 1px 12px; }"
                "QScrollBar::handle:horizontal { background: %1; border-radius: 3px; min-width: 32px; }"
                "QScrollBar::add-line:horizontal, QScrollBar::sub-line:horizontal { width: 0; }"
                "QScrollBar::add-page:horizontal, QScrollBar::sub-page:horizontal { background: none; }")
                .arg(handle));
        return;
    }
    bar->setStyleSheet(
        QStringLiteral(
            "QScrollBar:vertical { background: transparent; width: 10px; margin: 14px 3px 14px 0; }"
            "QScrollBar::handle:vertical { background: %1; border-radius: 3px; min-height: 32px; }"
            "QScrollBar::add-line:vertical, QScrollBar::sub-line:vertical { height: 0; }"
            "QScrollBar::add-page:vertical, QScrollBar::sub-page:vertical { background: none; }")
            .arg(handle));
}

void setFontPoints(QFont& font, qreal points) {
    qreal dpi = 96.0;
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        dpi = screen->logicalDotsPerInchY();
    font.setPointSizeF(points * 72.0 / dpi);
}

QFont systemFont(qreal points, QFont::Weight weight) {
    QFont font = QApplication::font();
    setFontPoints(font, points);
    font.setWeight(weight);
    return font;
}

QFont namedFont(const QString& fontName, qreal points) {
    QFont font = FontResolver::font(fontName, points);
    setFontPoints(font, points);
    return font;
}

QFont namedFont(const QString& fontName, qreal points, QFont::Weight weight) {
    QFont font = FontResolver::font(fontName, points, weight);
    setFontPoints(font, points);
    return font;
}

QColor withAlpha(QColor color, qreal factor) {
    color.setAlphaF(float(color.alphaF() * factor));
    return color;
}

} // namespace quillora
