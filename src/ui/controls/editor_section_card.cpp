#include "controls/editor_section_card.h"

#include "controls/accessibility_traits.h"
#include "controls/frosted_card.h"
#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "theme/responsive_environment.h"
#include "theme/scheme_colors.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace quillora {

// The header's symbol in a circle of the accent at 18 %; the symbol takes the text colour.
class SectionCardBadge final : public QWidget {
public:
    explicit SectionCardBadge(QWidget* parent)
        : QWidget(parent) {}

    void set(const QString& symbol, const QColor& accent, qreal iconSize, qreal padding) {
        m_symbol = symbol;
        m_accent = accent;
        m_iconSize = iconSize;
        const int side = qRound(iconSize + 2 * padding);
        setFixedSize(side, side);
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QColor circle = m_accent;
        circle.setAlphaF(circle.alphaF() * 0.18f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(circle);
        painter.drawEllipse(QRectF(rect()));
        const QRectF glyph(QRectF(rect()).center() - QPointF(m_iconSize / 2, m_iconSize / 2),
                           QSizeF(m_iconSize, m_iconSize));
        paintSymbol(painter, glyph, m_symbol, palette().color(QPalette::WindowText));
    }

private:
    QString m_symbol;
    QColor m_accent;
    qreal m_iconSize = 18;
};

EditorSectionCard::Metrics EditorSectionCard::metricsForWidth(qreal width) {
    const qreal t = responsiveScale(width, responsiveSpanCommon);
    return Metrics{16 + 8 * t, 18 + 6 * t, 10 + 4 * t, 17 + 7 * t, 12 + 3 * t};
}

EditorSectionCard::EditorSectionCard(Appearance& appearance, const QString& icon, const QString& title,
                                     const std::optional<QString>& subtitle, const QColor& accent,
                                     QWidget* content, QWidget* parent)
    : QWidget(parent)
    , m_icon(icon)
    , m_title(title)
    , m_subtitle(subtitle)
    , m_accent(accent)
    , m_appearance(&appearance)
    , m_stack(new QVBoxLayout(this))
    , m_header(new QWidget(this))
    , m_badge(new SectionCardBadge(m_header))
    , m_titleLabel(new QLabel(title, m_header)) {
    setAccessibleName(title);
    m_stack->setSpacing(stackSpacing);

    auto* header = new QHBoxLayout(m_header);
    header->setContentsMargins(0, 0, 0, 0);
    header->setSpacing(headerSpacing);
    header->addWidget(m_badge, 0, Qt::AlignVCenter);
    hideFromAccessibility(m_badge);

    auto* titleBlock = new QVBoxLayout;
    titleBlock->setSpacing(2);
    titleBlock->setContentsMargins(0, 0, 0, 0);
    m_titleLabel->setTextFormat(Qt::PlainText);
    markAsAccessibleHeading(m_titleLabel);
    m_titleLabel->setWordWrap(true);
    m_titleLabel->setAccessibleName(title);
    titleBlock->addWidget(m_titleLabel);
    if (m_subtitle) {
        m_subtitleLabel = new QLabel(*m_subtitle, m_header);
        m_subtitleLabel->setTextFormat(Qt::PlainText);
        m_subtitleLabel->setWordWrap(true);
        titleBlock->addWidget(m_subtitleLabel);
    }
    header->addLayout(titleBlock, 1);
    m_stack->addWidget(m_header);

    connect(m_appearance, &Appearance::changed, this, &EditorSectionCard::refresh);
    setContent(content);
    refresh();
}

EditorSectionCard::~EditorSectionCard() = default;

void EditorSectionCard::setAccent(const QColor& accent) {
    m_accent = accent;
    refresh();
}

void EditorSectionCard::setContent(QWidget* content) {
    if (m_content == content)
        return;
    delete m_content;
    m_content = content;
    if (content) {
        content->setParent(this);
        m_stack->addWidget(content);
        content->show();
    }
}

bool EditorSectionCard::event(QEvent* event) {
    if (event->type() == responsiveLayoutChangeEvent() || event->type() == QEvent::ParentChange)
        refresh();
    return QWidget::event(event);
}

void EditorSectionCard::refresh() {
    const bool light = m_appearance->isLight();
    m_metrics = metricsForWidth(responsiveLayout(this).width);
    const int padding = qRound(m_metrics.panelPadding);
    m_stack->setContentsMargins(padding, padding, padding, padding);
    m_badge->set(m_icon, m_accent, m_metrics.iconSize, m_metrics.iconPadding);
    m_titleLabel->setFont(systemFont(m_metrics.titleSize, QFont::DemiBold));
    if (m_subtitleLabel) {
        m_subtitleLabel->setFont(systemFont(m_metrics.subtitleSize));
        // The secondary label colour itself: faded further, it would not reach 4.5:1 on a card
        // over the brighter backgrounds.
        const QColor color = schemeColors::secondaryLabel(light);
        QPalette pal = m_subtitleLabel->palette();
        pal.setColor(QPalette::WindowText, color);
        m_subtitleLabel->setPalette(pal);
    }
    update();
}

void EditorSectionCard::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(0.4, 0.4, -0.4, -0.4);
    QPainterPath path;
    path.addRoundedRect(panel, cornerRadius, cornerRadius);
    // The material: the scheme's translucent tint over the background behind, blurred.
    paintFrostedMaterial(painter, *this, path, schemeColors::ultraThinMaterial(light));
    QColor outline = m_accent;
    outline.setAlphaF(outline.alphaF() * (light ? 0.45f : 0.25f));
    QPen pen(outline, 0.8, Qt::SolidLine, Qt::FlatCap, Qt::MiterJoin);
    pen.setMiterLimit(10);
    painter.strokePath(path, pen);
}

} // namespace quillora
