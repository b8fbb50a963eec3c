#include "app/empty_resume_view.h"

#include "app/frosted_card.h"
#include "platform/appearance.h"
#include "theme/themed_background.h"

#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QVBoxLayout>

namespace quillora {

namespace {

// A page with a folded corner and text lines, drawn in the ink colour.
class DocumentIcon final : public QWidget {
public:
    explicit DocumentIcon(QWidget* parent) : QWidget(parent) { setFixedSize(48, 56); }
    void setColor(const QColor& color)
    {
        m_color = color;
        update();
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(QPen(m_color, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        const qreal w = width() - 8, h = height() - 4, x = 4, y = 2, fold = 12;
        QPainterPath page;
        page.moveTo(x, y + 4);
        page.quadTo(x, y, x + 4, y);
        page.lineTo(x + w - fold, y);
        page.lineTo(x + w, y + fold);
        page.lineTo(x + w, y + h - 4);
        page.quadTo(x + w, y + h, x + w - 4, y + h);
        page.lineTo(x + 4, y + h);
        page.quadTo(x, y + h, x, y + h - 4);
        page.closeSubpath();
        p.drawPath(page);
        p.drawLine(QPointF(x + w - fold, y), QPointF(x + w - fold, y + fold));
        p.drawLine(QPointF(x + w - fold, y + fold), QPointF(x + w, y + fold));
        for (int i = 0; i < 4; ++i) {
            const qreal ly = y + 20 + i * 8;
            p.drawLine(QPointF(x + 9, ly), QPointF(x + w - (i == 3 ? 18 : 9), ly));
        }
    }

private:
    QColor m_color;
};

} // namespace

ThemedEmptyResumeView::ThemedEmptyResumeView(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("emptyResumeView"));
    auto* background = new ThemedBackground(this);
    background->setOrbScale(1.15);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto* centre = new QVBoxLayout(background);
    auto* card = new FrostedCard(24, background);
    card->setObjectName(QStringLiteral("emptyResumeCard"));
    card->setAccessibleName(
        QStringLiteral("Select a résumé. Add or choose a résumé from the left to begin editing."));
    centre->addWidget(card, 0, Qt::AlignCenter);

    auto* stack = new QVBoxLayout(card);
    stack->setContentsMargins(30, 30, 30, 30);
    stack->setSpacing(18);
    auto* icon = new DocumentIcon(card);
    stack->addWidget(icon, 0, Qt::AlignHCenter);
    auto* title = new QLabel(QStringLiteral("Select a Résumé"), card);
    title->setObjectName(QStringLiteral("emptyResumeTitle"));
    QFont titleFont = title->font();
    titleFont.setPixelSize(22);
    titleFont.setWeight(QFont::DemiBold);
    title->setFont(titleFont);
    title->setAlignment(Qt::AlignCenter);
    auto* message = new QLabel(QStringLiteral("Add or choose a résumé from the left to begin editing."), card);
    message->setObjectName(QStringLiteral("emptyResumeMessage"));
    QFont bodyFont = message->font();
    bodyFont.setPixelSize(17);
    message->setFont(bodyFont);
    message->setAlignment(Qt::AlignCenter);
    message->setWordWrap(true);
    stack->addWidget(title);
    stack->addWidget(message);

    const auto applyScheme = [=] {
        const bool light = Appearance::shared().isLight();
        card->setLightScheme(light);
        card->setStroke(light ? QColor::fromRgbF(0, 0, 0, 0.9f * 0.35f) : QColor::fromRgbF(1, 1, 1, 0.25f));
        icon->setColor(withAlpha(primaryInk(light), 0.9));
        title->setStyleSheet(QStringLiteral("color: %1;").arg(primaryInk(light).name(QColor::HexArgb)));
        const QColor body = light ? withAlpha(secondaryInk(true), 0.9) : secondaryInk(false);
        message->setStyleSheet(QStringLiteral("color: %1;").arg(body.name(QColor::HexArgb)));
    };
    applyScheme();
    connect(&Appearance::shared(), &Appearance::changed, this, applyScheme);
}

} // namespace quillora
