#include "app/list_shared_controls.h"

#include "app/frosted_card.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/font_resolver.h"
#include "theme/project_theme.h"
#include "theme/themed_background.h"

#include <QDialog>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollArea>
#include <QToolButton>
#include <QVBoxLayout>

namespace quillora {

namespace {

QString colorCss(const QColor& color) { return color.name(QColor::HexArgb); }

QLabel* inkLabel(const QString& text, bool primary, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    label->setTextFormat(Qt::PlainText);
    const bool light = Appearance::shared().isLight();
    label->setStyleSheet(QStringLiteral("color: %1;").arg(colorCss(primary ? primaryInk(light) : secondaryInk(light))));
    return label;
}

} // namespace

QDialog* makeHelpSheet(const QString& title, const QList<HelpGroup>& groups, QWidget* footer, QWidget* parent)
{
    auto* sheet = new QDialog(parent);
    sheet->setObjectName(QStringLiteral("helpSheet"));
    sheet->setWindowTitle(title);
    sheet->setModal(true);
    sheet->resize(640, 760);
    auto* outer = new QVBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* background = new ThemedBackground(sheet);
    background->setOrbScale(1.15);
    outer->addWidget(background);
    auto* layout = new QVBoxLayout(background);
    layout->setContentsMargins(24, 20, 24, 20);

    auto* heading = inkLabel(title, true, background);
    QFont headingFont = heading->font();
    headingFont.setPixelSize(28);
    headingFont.setBold(true);
    heading->setFont(headingFont);
    layout->addWidget(heading);

    auto* scroll = new QScrollArea(background);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidgetResizable(true);
    scroll->setStyleSheet(QStringLiteral("QScrollArea, QScrollArea > QWidget > QWidget { background: transparent; }"));
    auto* content = new QWidget(scroll);
    auto* rows = new QVBoxLayout(content);
    rows->setSpacing(8);
    const QFont bulletFont = FontResolver::font(QStringLiteral("Oswald-Light"), 18 * 0.75);
    for (const HelpGroup& group : groups) {
        auto* header = inkLabel(group.header, true, content);
        QFont headerFont = header->font();
        headerFont.setPixelSize(17);
        headerFont.setWeight(QFont::DemiBold);
        header->setFont(headerFont);
        header->setContentsMargins(0, 14, 0, 2);
        rows->addWidget(header);
        for (const QString& text : group.bullets) {
            auto* row = new QWidget(content);
            row->setAccessibleName(text);
            auto* line = new QHBoxLayout(row);
            line->setContentsMargins(0, 0, 0, 0);
            line->setSpacing(10);
            auto* bullet = inkLabel(QStringLiteral("•"), false, row);
            bullet->setAccessibleName(QString());
            QFont bf = bullet->font();
            bf.setPixelSize(17);
            bullet->setFont(bf);
            auto* label = inkLabel(text, false, row);
            QFont f = bulletFont;
            f.setPixelSize(18);
            label->setFont(f);
            line->addWidget(bullet, 0, Qt::AlignTop);
            line->addWidget(label, 1, Qt::AlignTop);
            rows->addWidget(row);
        }
    }
    if (footer != nullptr) {
        footer->setParent(content);
        rows->addSpacing(16);
        rows->addWidget(footer);
    }
    rows->addStretch(1);
    scroll->setWidget(content);
    layout->addWidget(scroll, 1);
    addFloatingCloseButton(sheet);
    return sheet;
}

QDialog* makeGradientPickerSheet(QWidget* parent)
{
    auto* sheet = new QDialog(parent);
    sheet->setObjectName(QStringLiteral("gradientPickerSheet"));
    sheet->setWindowTitle(QStringLiteral("Choose background"));
    sheet->setModal(true);
    sheet->resize(560, 250);
    auto* outer = new QVBoxLayout(sheet);
    outer->setContentsMargins(0, 0, 0, 0);
    auto* background = new ThemedBackground(sheet);
    background->setOrbScale(1.15);
    outer->addWidget(background);
    auto* grid = new QGridLayout(background);
    grid->setContentsMargins(24, 48, 24, 24);
    const QuilloraProjectTheme& theme = standardProjectTheme();
    const ColorScheme scheme = Appearance::shared().colorScheme();
    for (QuilloraGradientID id : allQuilloraGradientIDs()) {
        auto* swatch = new QPushButton(background);
        const int raw = rawValue(id);
        swatch->setObjectName(QStringLiteral("gradientSwatch%1").arg(raw + 1));
        swatch->setAccessibleName(QStringLiteral("Gradient %1").arg(raw + 1));
        swatch->setFixedSize(40, 40);
        const QList<QColor> colors = scheme == ColorScheme::light ? theme.lightGradient(id).colors
                                                                  : theme.darkGradient(id).colors;
        swatch->setStyleSheet(QStringLiteral("QPushButton { border-radius: 20px; border: 1px solid #80FFFFFF;"
                                             " background: qlineargradient(x1:0, y1:0, x2:1, y2:1,"
                                             " stop:0 %1, stop:1 %2); }")
                                  .arg(colors.value(0).name(), colors.value(colors.size() - 1).name()));
        QObject::connect(swatch, &QPushButton::clicked, sheet, [sheet, raw] {
            Settings::shared().setSelectedGradientID(raw);
            sheet->accept();
        });
        grid->addWidget(swatch, raw / 10, raw % 10);
    }
    addFloatingCloseButton(sheet);
    return sheet;
}

void applyGlassCapsuleButtonStyle(QAbstractButton* button)
{
    const bool light = Appearance::shared().isLight();
    QFont font = button->font();
    font.setPixelSize(15);
    font.setWeight(QFont::DemiBold);
    button->setFont(font);
    button->setCursor(Qt::PointingHandCursor);
    button->setStyleSheet(QStringLiteral("QPushButton { color: %1; background: %2; border: 1px solid %3;"
                                         " border-radius: 18px; padding: 8px 22px; min-height: 20px; }"
                                         "QPushButton:pressed { background: %4; }")
                              .arg(colorCss(primaryInk(light)),
                                   colorCss(light ? QColor(255, 255, 255, 150) : QColor(255, 255, 255, 40)),
                                   colorCss(withAlpha(primaryInk(light), 0.25)),
                                   colorCss(light ? QColor(255, 255, 255, 220) : QColor(255, 255, 255, 70))));
}

QAbstractButton* addFloatingCloseButton(QDialog* sheet)
{
    auto* button = new QToolButton(sheet);
    button->setObjectName(QStringLiteral("floatingCloseButton"));
    button->setAccessibleName(QStringLiteral("Close"));
    button->setAccessibleDescription(QStringLiteral("Closes this screen"));
    button->setAutoRaise(true);
    button->setIcon(symbolIcon(QStringLiteral("xmark.circle.fill"), primaryInk(Appearance::shared().isLight())));
    button->setIconSize(QSize(28, 28));
    button->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    button->setCursor(Qt::PointingHandCursor);
    QObject::connect(button, &QToolButton::clicked, sheet, &QDialog::reject);
    // Kept in the top-trailing corner as the sheet resizes.
    class Corner final : public QObject {
    public:
        Corner(QDialog* sheet, QToolButton* button) : QObject(button), m_sheet(sheet), m_button(button)
        {
            sheet->installEventFilter(this);
            place();
        }
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            if (watched == m_sheet && (event->type() == QEvent::Resize || event->type() == QEvent::Show))
                place();
            return false;
        }

    private:
        void place()
        {
            m_button->adjustSize();
            m_button->move(m_sheet->width() - m_button->width() - 12, 12);
            m_button->raise();
        }
        QDialog* m_sheet;
        QToolButton* m_button;
    };
    new Corner(sheet, button);
    return button;
}

QIcon symbolIcon(const QString& systemName, const QColor& color)
{
    constexpr int side = 96;
    QPixmap pixmap(side, side);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    const qreal s = side;
    QPen pen(color, s * 0.085, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    p.setPen(pen);
    p.setBrush(Qt::NoBrush);

    if (systemName == QLatin1String("plus")) {
        p.drawLine(QPointF(s / 2, s * 0.18), QPointF(s / 2, s * 0.82));
        p.drawLine(QPointF(s * 0.18, s / 2), QPointF(s * 0.82, s / 2));
    } else if (systemName == QLatin1String("questionmark")) {
        QPainterPath path;
        path.moveTo(s * 0.32, s * 0.34);
        path.cubicTo(s * 0.32, s * 0.12, s * 0.70, s * 0.10, s * 0.70, s * 0.33);
        path.cubicTo(s * 0.70, s * 0.48, s * 0.50, s * 0.50, s * 0.50, s * 0.64);
        p.drawPath(path);
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(s * 0.50, s * 0.83), s * 0.06, s * 0.06);
    } else if (systemName == QLatin1String("paintbrush.pointed.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.save();
        p.translate(s / 2, s / 2);
        p.rotate(45);
        p.drawRoundedRect(QRectF(-s * 0.07, -s * 0.46, s * 0.14, s * 0.44), s * 0.05, s * 0.05); // handle
        p.drawRect(QRectF(-s * 0.11, -s * 0.04, s * 0.22, s * 0.10));                           // ferrule
        QPainterPath tip;
        tip.moveTo(-s * 0.13, s * 0.08);
        tip.lineTo(s * 0.13, s * 0.08);
        tip.quadTo(s * 0.12, s * 0.34, 0, s * 0.46);
        tip.quadTo(-s * 0.12, s * 0.34, -s * 0.13, s * 0.08);
        p.drawPath(tip);
        p.restore();
    } else if (systemName == QLatin1String("doc.on.doc")) {
        pen.setWidthF(s * 0.07);
        p.setPen(pen);
        p.drawRoundedRect(QRectF(s * 0.16, s * 0.10, s * 0.46, s * 0.58), s * 0.08, s * 0.08);
        p.setBrush(Qt::transparent);
        QPainterPath front;
        front.addRoundedRect(QRectF(s * 0.38, s * 0.32, s * 0.46, s * 0.58), s * 0.08, s * 0.08);
        p.save();
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        p.fillPath(front, Qt::transparent);
        p.restore();
        p.drawPath(front);
    } else if (systemName == QLatin1String("trash")) {
        pen.setWidthF(s * 0.07);
        p.setPen(pen);
        p.drawLine(QPointF(s * 0.16, s * 0.24), QPointF(s * 0.84, s * 0.24));
        p.drawLine(QPointF(s * 0.40, s * 0.12), QPointF(s * 0.60, s * 0.12));
        QPainterPath bin;
        bin.moveTo(s * 0.24, s * 0.24);
        bin.lineTo(s * 0.29, s * 0.88);
        bin.lineTo(s * 0.71, s * 0.88);
        bin.lineTo(s * 0.76, s * 0.24);
        p.drawPath(bin);
        p.drawLine(QPointF(s * 0.42, s * 0.38), QPointF(s * 0.43, s * 0.74));
        p.drawLine(QPointF(s * 0.58, s * 0.38), QPointF(s * 0.57, s * 0.74));
    } else if (systemName == QLatin1String("xmark.circle.fill")) {
        p.setPen(Qt::NoPen);
        p.setBrush(color);
        p.drawEllipse(QPointF(s / 2, s / 2), s * 0.46, s * 0.46);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        QPen cut(Qt::black, s * 0.08, Qt::SolidLine, Qt::RoundCap);
        p.setPen(cut);
        p.drawLine(QPointF(s * 0.35, s * 0.35), QPointF(s * 0.65, s * 0.65));
        p.drawLine(QPointF(s * 0.65, s * 0.35), QPointF(s * 0.35, s * 0.65));
    } else {
        return {};
    }
    p.end();
    return QIcon(pixmap);
}

} // namespace quillora
