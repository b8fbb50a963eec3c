#include "editor/editor_controls.h"

#include "controls/focus_ring.h"
#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "theme/hex_color.h"
#include "theme/scheme_colors.h"

#include <QLineEdit>
#include <QPainter>

namespace quillora {

QColor cardInk(bool light) {
    return schemeColors::ink(light);
}

EditorDivider::EditorDivider(Appearance& appearance, std::function<QColor(bool light)> color, QWidget* parent)
    : QWidget(parent)
    , m_color(std::move(color))
    , m_appearance(&appearance) {
    setFixedHeight(1);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

EditorDivider::~EditorDivider() = default;

void EditorDivider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), m_color(m_appearance->isLight()));
}

SymbolTextButton::SymbolTextButton(Appearance& appearance, const QString& symbol, const QString& title,
                                   QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_titleColor(cardInk)
    , m_appearance(&appearance) {
    setText(title);
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFont(systemFont(16));
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
    // Its title and symbol reach its edges (a row that fills the card's width): the ring stands
    // clear of them, in the room around the button.
    addFocusRing(this, appearance, 6, -4);
}

SymbolTextButton::~SymbolTextButton() = default;

void SymbolTextButton::setSymbol(const QString& symbol) {
    m_symbol = symbol;
    update();
}

void SymbolTextButton::setSymbolSide(SymbolSide side) {
    m_side = side;
    update();
}

void SymbolTextButton::setColors(std::function<QColor(bool)> title, std::function<QColor(bool)> symbol) {
    m_titleColor = std::move(title);
    m_symbolColor = std::move(symbol);
    update();
}

void SymbolTextButton::setFillsWidth(bool fills) {
    m_fillsWidth = fills;
    setSizePolicy(fills ? QSizePolicy::Expanding : QSizePolicy::Preferred, QSizePolicy::Fixed);
    updateGeometry();
}

void SymbolTextButton::setTitleFont(const QFont& font) {
    setFont(font);
    updateGeometry();
}

QSize SymbolTextButton::sizeHint() const {
    const QFontMetrics fm(font());
    const int spacing = 6;
    const int width = fm.horizontalAdvance(text()) + (m_symbol.isEmpty() ? 0 : m_symbolSide + spacing) + 12;
    return QSize(width, std::max(fm.height(), m_symbolSide) + 8);
}

QSize SymbolTextButton::minimumSizeHint() const {
    return QSize(m_symbolSide + 8, sizeHint().height());
}

void SymbolTextButton::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal opacity = isDown() ? 0.6 : (isEnabled() ? 1.0 : 0.4);
    painter.setOpacity(opacity);
    const QColor titleColor = m_titleColor(light);
    const QColor symbolColor = m_symbolColor ? m_symbolColor(light) : titleColor;
    const QFontMetrics fm(font());
    const int spacing = 6;
    const QRect area = rect().adjusted(2, 0, -2, 0);
    const int symbolY = (height() - m_symbolSide) / 2;
    QRect textRect = area;
    if (!m_symbol.isEmpty()) {
        QRectF symbolRect;
        if (m_side == SymbolSide::leading) {
            symbolRect = QRectF(area.left(), symbolY, m_symbolSide, m_symbolSide);
            textRect.setLeft(area.left() + m_symbolSide + spacing);
        } else {
            const int textWidth =
                std::min(fm.horizontalAdvance(text()), area.width() - m_symbolSide - spacing);
            const int x = m_fillsWidth ? area.right() - m_symbolSide : area.left() + textWidth + spacing;
            symbolRect = QRectF(x, symbolY, m_symbolSide, m_symbolSide);
            textRect.setRight(int(symbolRect.left()) - spacing);
        }
        paintSymbol(painter, symbolRect, m_symbol, symbolColor);
    }
    painter.setPen(titleColor);
    painter.setFont(font());
    painter.drawText(textRect, Qt::AlignVCenter | Qt::AlignLeft,
                     fm.elidedText(text(), Qt::ElideRight, textRect.width()));
}

SymbolIconButton::SymbolIconButton(Appearance& appearance, const QString& symbol,
                                   std::function<QColor(bool)> color, int side, QWidget* parent)
    : QAbstractButton(parent)
    , m_symbol(symbol)
    , m_color(std::move(color))
    , m_side(side)
    , m_appearance(&appearance) {
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::StrongFocus);
    setFixedSize(sizeHint());
    connect(m_appearance, &Appearance::changed, this, qOverload<>(&QWidget::update));
}

SymbolIconButton::~SymbolIconButton() = default;

QSize SymbolIconButton::sizeHint() const {
    // A comfortable target around the symbol.
    return QSize(m_side + 16, m_side + 16);
}

void SymbolIconButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setOpacity(isDown() ? 0.6 : 1.0);
    const QColor color = m_color(m_appearance->isLight());
    const QRectF glyph(QRectF(rect()).center() - QPointF(m_side / 2.0, m_side / 2.0), QSizeF(m_side, m_side));
    paintSymbol(painter, glyph, m_symbol, color);
    if (hasFocus())
        paintFocusRing(painter, QRectF(rect()), 6, m_appearance->isLight());
}

void styleInlineField(QLineEdit* field, qreal points, Appearance& appearance) {
    field->setFrame(false);
    field->setFont(systemFont(points));
    const auto apply = [field, &appearance] {
        const bool light = appearance.isLight();
        const QColor ink = cardInk(light);
        field->setStyleSheet(
            QStringLiteral("QLineEdit { background: transparent; border: none; padding: 6px 0; "
                           "color: rgba(%1, %2, %3, %4); }")
                .arg(ink.red())
                .arg(ink.green())
                .arg(ink.blue())
                .arg(ink.alphaF()));
        QPalette pal = field->palette();
        for (const auto group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
            pal.setColor(group, QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
        field->setPalette(pal);
    };
    apply();
    QObject::connect(&appearance, &Appearance::changed, field, apply);
}

} // namespace quillora
