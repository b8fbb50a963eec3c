#include "editor/skill_chip.h"

#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/glass_capsule_button.h"
#include "controls/one_line_field.h"
#include "controls/readable_text.h"
#include "controls/window_rules.h"
#include "editor/editor_controls.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QGraphicsDropShadowEffect>
#include <QGraphicsEffect>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPointer>
#include <QResizeEvent>
#include <QVBoxLayout>
#include <QVariantAnimation>

#include <algorithm>

namespace quillora {

namespace {

constexpr qreal subheadlinePoints = 15;
constexpr qreal captionPoints = 12;

QColor primaryColor(bool light) {
    return schemeColors::primaryLabel(light);
}

// Draws what it is set on faded and scaled about its centre by one progress value (0 gone,
// 1 in full); in full it draws the widget as is.
class ScaleFadeEffect final : public QGraphicsEffect {
public:
    // SwiftUI-like scale transitions start from a vanishingly small, never zero, size.
    static constexpr qreal smallestScale = 0.00001;

    explicit ScaleFadeEffect(QObject* parent)
        : QGraphicsEffect(parent) {}

    qreal progress() const { return m_progress; }
    void setProgress(qreal progress) {
        m_progress = std::clamp<qreal>(progress, 0, 1);
        update();
    }

protected:
    void draw(QPainter* painter) override {
        if (m_progress >= 1) {
            drawSource(painter);
            return;
        }
        if (m_progress <= 0)
            return;
        QPoint offset;
        const QPixmap pixmap = sourcePixmap(Qt::LogicalCoordinates, &offset, PadToEffectiveBoundingRect);
        const QPointF centre = sourceBoundingRect(Qt::LogicalCoordinates).center();
        const qreal scale = std::max(smallestScale, m_progress);
        painter->save();
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->setOpacity(painter->opacity() * m_progress);
        painter->translate(centre);
        painter->scale(scale, scale);
        painter->translate(-centre);
        painter->drawPixmap(offset, pixmap);
        painter->restore();
    }

private:
    qreal m_progress = 1;
};

// The card of the popup: the translucent panel with its outline.
class PopupCard final : public QWidget {
public:
    PopupCard(Appearance& appearance, QWidget* parent)
        : QWidget(parent)
        , m_appearance(&appearance) {}

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        const bool light = m_appearance->isLight();
        QPainterPath path;
        path.addRoundedRect(QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), 20, 20);
        // Over the dimmed backdrop the material is drawn a little denser so the card reads.
        painter.fillPath(path, withAlpha(schemeColors::sheetBackground(light), 0.94));
        painter.fillPath(path, schemeColors::ultraThinMaterial(light));
        const QColor outline = light ? QColor::fromRgbF(0, 0, 0, 0.225f) : QColor::fromRgbF(1, 1, 1, 0.25f);
        painter.setPen(QPen(outline, 1));
        painter.drawPath(path);
    }

private:
    Appearance* m_appearance;
};

} // namespace

// --- Chip -------------------------------------------------------------------------------------

SkillChip::SkillChip(const QString& skill, Appearance& appearance, QWidget* parent)
    : QWidget(parent)
    , m_skill(skill)
    , m_appearance(&appearance) {
    setObjectName(QStringLiteral("skillChip"));
    setAccessibleName(skill);
    auto* row = new QHBoxLayout(this);
    row->setContentsMargins(10, 6, 10, 6);
    row->setSpacing(6);
    m_label = new QLabel(skill, this);
    m_label->setTextFormat(Qt::PlainText);
    m_label->setFont(systemFont(subheadlinePoints));
    m_label->setAttribute(Qt::WA_TransparentForMouseEvents);
    row->addWidget(m_label);
    hideFromAccessibility(m_label); // the chip is read as the skill, once
    m_remove = new SymbolIconButton(
        appearance, QStringLiteral("xmark.circle.fill"),
        [](bool light) { return schemeColors::secondaryLabel(light); }, qRound(captionPoints + 3), this);
    m_remove->setObjectName(QStringLiteral("removeSkillButton"));
    // Named after its skill: a screen reader meets one such button per chip.
    m_remove->setAccessibleName(QStringLiteral("Remove skill ") + skill);
    m_remove->setAccessibleDescription(QStringLiteral("Deletes this suggested skill"));
    m_remove->setCursor(Qt::PointingHandCursor);
    row->addWidget(m_remove);
    connect(m_remove, &QAbstractButton::clicked, this, &SkillChip::removeRequested);
    connect(m_appearance, &Appearance::changed, this, &SkillChip::applyScheme);
    applyScheme();
}

SkillChip::~SkillChip() = default;

QAbstractButton* SkillChip::removeButton() const {
    return m_remove;
}

QColor SkillChip::fill(bool light) {
    return light ? QColor::fromRgbF(0, 0, 0, 0.08f) : QColor::fromRgbF(1, 1, 1, 0.12f);
}

QColor SkillChip::outline(bool light) {
    return withAlpha(primaryColor(light), light ? 0.15 : 0.25);
}

void SkillChip::applyScheme() {
    QPalette pal = m_label->palette();
    pal.setColor(QPalette::WindowText, primaryColor(m_appearance->isLight()));
    m_label->setPalette(pal);
    update();
}

void SkillChip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool light = m_appearance->isLight();
    QPainterPath path;
    path.addRoundedRect(QRectF(rect()).adjusted(0.4, 0.4, -0.4, -0.4), cornerRadius, cornerRadius);
    painter.fillPath(path, fill(light));
    painter.setPen(QPen(outline(light), 0.8));
    painter.drawPath(path);
    // The chip is the face of the button that opens it.
    if (parentWidget() != nullptr && parentWidget()->hasFocus())
        paintFocusRing(painter, QRectF(rect()), cornerRadius, light);
}

// --- Popup ------------------------------------------------------------------------------------

SkillEditPopup::SkillEditPopup(const QString& skill, Appearance& appearance, QWidget* host)
    : QWidget(host)
    , m_skill(skill)
    , m_appearance(&appearance) {
    setObjectName(QStringLiteral("editSkillPopup"));
    setAccessibleName(QStringLiteral("Edit Skill"));
    setAttribute(Qt::WA_NoMousePropagation);
    // The keyboard stays in the card while it shows; the backdrop itself is no Tab stop.
    setFocusPolicy(Qt::ClickFocus);
    markAsModalOverlay(this);

    m_card = new PopupCard(appearance, this);
    m_card->setObjectName(QStringLiteral("editSkillCard"));
    auto* shadow = new QGraphicsDropShadowEffect(m_card);
    shadow->setBlurRadius(40);
    shadow->setOffset(0, 0);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.33f));
    m_card->setGraphicsEffect(shadow);
    auto* stack = new QVBoxLayout(m_card);
    stack->setContentsMargins(20, 20, 20, 20);
    stack->setSpacing(14);
    m_title = new QLabel(QStringLiteral("Edit Skill"), m_card);
    m_title->setObjectName(QStringLiteral("editSkillTitle"));
    markAsAccessibleHeading(m_title);
    m_title->setAlignment(Qt::AlignHCenter);
    m_title->setFont(systemFont(17, QFont::DemiBold));
    stack->addWidget(m_title);
    // The title stays a stop a screen reader reaches (Shift+Tab from the field).
    makeReadable(m_title, &appearance);
    m_field = makeOneLineField(m_card, skill);
    m_field->setObjectName(QStringLiteral("editSkillField"));
    m_field->setPlaceholderText(QStringLiteral("Skill: Descriptor"));
    m_field->setAccessibleName(QStringLiteral("Skill: Descriptor"));
    m_field->setFont(systemFont(15));
    m_field->setMinimumHeight(30);
    stack->addWidget(m_field);
    auto* buttons = new QHBoxLayout;
    buttons->setSpacing(12);
    m_cancel = new GlassCapsuleButton(appearance, QStringLiteral("Cancel"), m_card);
    m_cancel->setObjectName(QStringLiteral("cancelEditSkillButton"));
    m_cancel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    m_save = new GlassCapsuleButton(appearance, QStringLiteral("Save"), m_card);
    m_save->setObjectName(QStringLiteral("saveEditSkillButton"));
    m_save->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    QFont bold = m_save->font();
    bold.setWeight(QFont::DemiBold);
    m_save->setFont(bold);
    buttons->addWidget(m_cancel);
    buttons->addWidget(m_save);
    stack->addLayout(buttons);
    connect(m_cancel, &QPushButton::clicked, this, &SkillEditPopup::cancelled);
    connect(m_save, &QPushButton::clicked, this, &SkillEditPopup::skillEditSave);
    connect(m_field, &QLineEdit::returnPressed, this, &SkillEditPopup::skillEditSave);

    host->installEventFilter(this);
    setGeometry(host->rect());
    // It comes in faded and scaled up from its centre, unless motion is reduced.
    m_transition = new QVariantAnimation(this);
    m_transition->setDuration(200);
    m_transition->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_transition, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        if (auto* effect = static_cast<ScaleFadeEffect*>(m_scaleFade.data()))
            effect->setProgress(value.toReal());
    });
    connect(m_transition, &QVariantAnimation::finished, this, [this] {
        if (m_dismissed) {
            hide();
            deleteLater();
        } else {
            endTransition();
        }
    });
    if (!appearance.reduceMotion())
        runTransition(0.0, 1.0);
    connect(m_appearance, &Appearance::changed, this, &SkillEditPopup::applyScheme);
    applyScheme();
}

SkillEditPopup::~SkillEditPopup() = default;

qreal SkillEditPopup::transitionProgress() const {
    if (const auto* effect = static_cast<const ScaleFadeEffect*>(m_scaleFade.data()))
        return effect->progress();
    return m_dismissed ? 0.0 : 1.0;
}

void SkillEditPopup::runTransition(qreal from, qreal to) {
    // Drawn through the transition's effect while it runs; the card's shadow, an effect of its
    // own, rests meanwhile (effects inside effects are not drawn).
    if (!m_scaleFade) {
        auto* effect = new ScaleFadeEffect(this);
        m_scaleFade = effect;
        setGraphicsEffect(effect);
    }
    static_cast<ScaleFadeEffect*>(m_scaleFade.data())->setProgress(from);
    if (QGraphicsEffect* shadow = m_card->graphicsEffect())
        shadow->setEnabled(false);
    m_transition->stop();
    m_transition->setStartValue(from);
    m_transition->setEndValue(to);
    m_transition->start();
}

void SkillEditPopup::endTransition() {
    setGraphicsEffect(nullptr);
    if (QGraphicsEffect* shadow = m_card->graphicsEffect())
        shadow->setEnabled(true);
}

void SkillEditPopup::dismiss() {
    if (m_dismissed)
        return;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    parentWidget()->removeEventFilter(this);
    const qreal from = transitionProgress();
    m_dismissed = true;
    if (m_appearance->reduceMotion() || !isVisible() || from <= 0) {
        m_transition->stop();
        hide();
        deleteLater();
        return;
    }
    runTransition(from, 0.0);
}

QString SkillEditPopup::text() const {
    return m_field->text();
}

void SkillEditPopup::skillEditSave() {
    emit saved(m_field->text().trimmed());
}

void SkillEditPopup::applyScheme() {
    const bool light = m_appearance->isLight();
    QPalette pal = m_title->palette();
    pal.setColor(QPalette::WindowText, primaryColor(light));
    m_title->setPalette(pal);
    QPalette fieldPalette = m_field->palette();
    fieldPalette.setColor(QPalette::Base, light ? QColor(255, 255, 255) : QColor(0x2C, 0x2C, 0x2E));
    fieldPalette.setColor(QPalette::Text, primaryColor(light));
    fieldPalette.setColor(QPalette::PlaceholderText, schemeColors::secondaryLabel(light));
    m_field->setPalette(fieldPalette);
    update();
}

bool SkillEditPopup::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        setGeometry(parentWidget()->rect());
    return QWidget::eventFilter(watched, event);
}

void SkillEditPopup::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        emit cancelled();
        return;
    }
    QWidget::keyPressEvent(event);
}

void SkillEditPopup::mousePressEvent(QMouseEvent* event) {
    // Only the backdrop gets here: the card and its controls take their own clicks.
    if (!m_card->geometry().contains(event->position().toPoint()))
        emit cancelled();
    event->accept();
}

void SkillEditPopup::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeCard();
}

void SkillEditPopup::placeCard() {
    const int cardWidth = std::max(0, std::min(maximumCardWidth, width() - 40));
    const int cardHeight = m_card->layout()->heightForWidth(cardWidth) > 0
                               ? m_card->layout()->heightForWidth(cardWidth)
                               : m_card->sizeHint().height();
    m_card->setGeometry((width() - cardWidth) / 2, (height() - cardHeight) / 2, cardWidth, cardHeight);
}

void SkillEditPopup::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), QColor::fromRgbF(0, 0, 0, 0.35f));
}

} // namespace quillora
