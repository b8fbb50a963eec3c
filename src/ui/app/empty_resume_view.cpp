#include "app/empty_resume_view.h"
#include "app/services.h"

#include "controls/accessibility_traits.h"
#include "controls/frosted_card.h"
#include "controls/symbol_icon.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QVBoxLayout>

#include <algorithm>

namespace quillora {

namespace {

// The "doc.text" symbol at 48 points, light weight, in the ink colour.
class DocumentIcon final : public QWidget {
public:
    explicit DocumentIcon(QWidget* parent)
        : QWidget(parent) {
        setFixedSize(48, 48);
    }
    void setColor(const QColor& color) {
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        paintSymbol(p, QRectF(rect()), QStringLiteral("doc.text"), m_color);
    }

private:
    QColor m_color;
};

} // namespace

ThemedEmptyResumeView::ThemedEmptyResumeView(Services& services, QWidget* parent)
    : QWidget(parent) {
    setObjectName(QStringLiteral("emptyResumeView"));
    Appearance& appearance = services.appearance();
    auto* background = new ThemedBackground(services.settings(), appearance, this);
    background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto* centre = new QVBoxLayout(background);
    auto* card = new FrostedCard(24, background);
    card->setObjectName(QStringLiteral("emptyResumeCard"));
    centre->addWidget(card, 0, Qt::AlignCenter);
    m_card = card;

    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(30, 30, 30, 30);
    stack->setSpacing(18);
    auto* icon = new DocumentIcon(card);
    stack->addWidget(icon, 0, Qt::AlignHCenter);
    hideFromAccessibility(icon);
    auto* title = new QLabel(QStringLiteral("Select a Résumé"), card);
    title->setObjectName(QStringLiteral("emptyResumeTitle"));
    markAsAccessibleHeading(title);
    QFont titleFont = title->font();
    titleFont.setPixelSize(22);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto* message =
        new QLabel(QStringLiteral("Add or choose a résumé from the left to begin editing."), card);
    message->setObjectName(QStringLiteral("emptyResumeMessage"));
    QFont bodyFont = message->font();
    bodyFont.setPixelSize(17);
    message->setFont(bodyFont);
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    stack->addWidget(title);
    stack->addWidget(message);
    // One element: the icon, the title and the message are read as its label only.
    combineAccessibleChildren(
        card, QStringLiteral("Select a résumé. Add or choose a résumé from the left to begin editing."));

    const auto applyScheme = [=, &appearance] {
        const bool light = appearance.isLight();
        card->setLightScheme(light);
        card->setStroke(light ? QColor::fromRgbF(0, 0, 0, 0.9f * 0.35f) : QColor::fromRgbF(1, 1, 1, 0.25f));
        icon->setColor(withAlpha(schemeColors::ink(light), 0.9));
        title->setStyleSheet(
            QStringLiteral("color: %1;").arg(schemeColors::ink(light).name(QColor::HexArgb)));
        const QColor body =
            light ? withAlpha(schemeColors::softInk(true), 0.9) : schemeColors::softInk(false);
        message->setStyleSheet(QStringLiteral("color: %1;").arg(body.name(QColor::HexArgb)));
    };
    applyScheme();
    connect(&appearance, &Appearance::changed, this, applyScheme);
}

void ThemedEmptyResumeView::setCoveredBy(qreal opacity) {
    const qreal shown = std::clamp(1.0 - opacity, 0.0, 1.0);
    if (m_cardOpacity == nullptr) {
        if (qFuzzyCompare(shown, 1.0))
            return;
        m_cardOpacity = new QGraphicsOpacityEffect(m_card);
        m_card->setGraphicsEffect(m_cardOpacity);
    }
    m_cardOpacity->setOpacity(shown);
    m_card->setVisible(shown > 0);
}

} // namespace quillora
