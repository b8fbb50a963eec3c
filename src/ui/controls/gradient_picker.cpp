#include "controls/gradient_picker.h"

#include "controls/accessibility_traits.h"
#include "controls/floating_buttons.h"
#include "controls/focus_ring.h"
#include "controls/outcome.h"
#include "controls/window_placement.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "theme/orb_layer.h"
#include "theme/responsive_layout.h"
#include "theme/scheme_colors.h"
#include "theme/theme_controller.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QTimer>
#include <QVBoxLayout>
#include <QVariantAnimation>
#include <QWheelEvent>

namespace quillora {

namespace {

QColor mix(const QColor& from, const QColor& to, qreal amount) {
    const auto lerp = [amount](float a, float b) { return a + (b - a) * static_cast<float>(amount); };
    return QColor::fromRgbF(lerp(from.redF(), to.redF()), lerp(from.greenF(), to.greenF()),
                            lerp(from.blueF(), to.blueF()), lerp(from.alphaF(), to.alphaF()));
}

QColor black(float opacity) {
    return QColor::fromRgbF(0, 0, 0, opacity);
}

QColor white(float opacity) {
    return QColor::fromRgbF(1, 1, 1, opacity);
}

// Assistive technologies read a swatch as a button with a value and a selected state.
class SwatchAccessible final : public QAccessibleWidget {
public:
    explicit SwatchAccessible(QWidget* widget)
        : QAccessibleWidget(widget, QAccessible::Button) {}

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return swatch()->accessibilityValue();
        if (t == QAccessible::Description)
            return describedWithValue(QAccessibleWidget::text(t), swatch()->accessibilityValue());
        return QAccessibleWidget::text(t);
    }

    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.selectable = true;
        s.selected = swatch()->isSelectedSwatch();
        return s;
    }

    // Pressed, or given the focus, as every other button is.
    QStringList actionNames() const override {
        return QStringList{pressAction()} << QAccessibleWidget::actionNames();
    }

    void doAction(const QString& name) override {
        if (!widget()->isEnabled() || isBlockedByModal(widget()))
            return;
        if (name == pressAction()) {
            QTimer::singleShot(0, swatch(), &QAbstractButton::click);
        } else if (name == setFocusAction()) {
            widget()->window()->activateWindow();
            widget()->setFocus(Qt::OtherFocusReason);
        }
    }

private:
    GradientSwatchButton* swatch() const { return static_cast<GradientSwatchButton*>(widget()); }
};

QAccessibleInterface* swatchAccessibleFactory(const QString& key, QObject* object) {
    if (key == QLatin1StringView(GradientSwatchButton::staticMetaObject.className()) && object &&
        object->isWidgetType())
        return new SwatchAccessible(static_cast<QWidget*>(object));
    return nullptr;
}

// The row scrolls sideways under an ordinary mouse wheel too.
class HorizontalScrollArea final : public QScrollArea {
public:
    explicit HorizontalScrollArea(QWidget* parent)
        : QScrollArea(parent) {}

protected:
    void wheelEvent(QWheelEvent* event) override {
        const QPoint delta = event->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        QScrollBar* bar = horizontalScrollBar();
        bar->setValue(bar->value() - step * bar->singleStep() / 40);
        event->accept();
    }
};

} // namespace

GradientSwatchButton::GradientSwatchButton(QuilloraGradientID id, Appearance& appearance, QWidget* parent)
    : QAbstractButton(parent)
    , m_id(id)
    , m_appearance(&appearance)
    , m_selectionAnimation(new QVariantAnimation(this)) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(swatchAccessibleFactory);
        return true;
    }();
    Q_UNUSED(factoryInstalled);

    const QString n = QString::number(number());
    setObjectName(QStringLiteral("backgroundOption") + n);
    setAccessibleName(QStringLiteral("Background option %1").arg(number()));
    setAccessibleDescription(QStringLiteral("Applies this background theme"));
    setCursor(Qt::PointingHandCursor);
    setFocusPolicy(Qt::TabFocus);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);

    m_selectionAnimation->setDuration(selectionAnimationMs);
    m_selectionAnimation->setEasingCurve(QEasingCurve::InOutQuad);
    connect(m_selectionAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_selectionAmount = value.toDouble();
        update();
    });
}

GradientSwatchButton::~GradientSwatchButton() = default;

QString GradientSwatchButton::accessibilityValue() const {
    return m_selected ? QStringLiteral("Selected") : QStringLiteral("Not selected");
}

void GradientSwatchButton::setSelectedSwatch(bool selected) {
    if (m_selected == selected)
        return;
    m_selected = selected;
    const qreal target = selected ? 1.0 : 0.0;
    m_selectionAnimation->stop();
    if (m_appearance->reduceMotion() || !isVisible()) {
        m_selectionAmount = target;
        update();
    } else {
        m_selectionAnimation->setStartValue(m_selectionAmount);
        m_selectionAnimation->setEndValue(target);
        m_selectionAnimation->start();
    }
    QAccessibleValueChangeEvent event(this, accessibilityValue());
    QAccessible::updateAccessibility(&event);
    QAccessibleEvent description(this, QAccessible::DescriptionChanged);
    QAccessible::updateAccessibility(&description);
}

void GradientSwatchButton::setCardSize(QSizeF size) {
    if (size == m_cardSize)
        return;
    m_cardSize = size;
    m_preview = QImage();
    setFixedSize(sizeHint());
    update();
}

QSize GradientSwatchButton::sizeHint() const {
    return QSize(qCeil(m_cardSize.width()), qCeil(m_cardSize.height()) + badgeSpacing + badgeSide);
}

const QImage& GradientSwatchButton::preview() {
    const bool light = m_appearance->isLight();
    const qreal ratio = devicePixelRatioF();
    const QSize size = m_cardSize.toSize();
    if (m_preview.isNull() || m_previewLight != light ||
        !qFuzzyCompare(m_preview.devicePixelRatio(), ratio)) {
        const QuilloraProjectTheme& theme = standardProjectTheme();
        const BackgroundStyle style =
            theme.gradientPalette(m_id, light ? ColorScheme::light : ColorScheme::dark);
        m_preview = renderOrbBackgroundLayer(style, theme, size, ratio);
        m_previewLight = light;
    }
    return m_preview;
}

void GradientSwatchButton::paintEvent(QPaintEvent*) {
    const bool light = m_appearance->isLight();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);

    const qreal x = (width() - m_cardSize.width()) / 2;
    const QRectF card(x, 0, m_cardSize.width(), m_cardSize.height());
    QPainterPath rounded;
    rounded.addRoundedRect(card, cornerRadius, cornerRadius);
    painter.save();
    painter.setClipPath(rounded);
    painter.drawImage(card, preview());
    painter.restore();

    const QColor selectedOutline = light ? black(0.45f) : white(1.0f);
    QPen outline(mix(white(0.25f), selectedOutline, m_selectionAmount), 1.0);
    painter.strokePath(rounded, outline);
    if (hasFocus())
        paintFocusRing(painter, card.adjusted(1, 1, -1, -1), cornerRadius - 1, light);

    const QRectF badge(width() / 2.0 - badgeSide / 2.0, card.bottom() + badgeSpacing, badgeSide, badgeSide);
    const QColor circle = mix(black(0.22f), light ? black(0.55f) : white(0.25f), m_selectionAmount);
    const QColor text =
        mix(light ? white(0.45f) : white(0.55f), light ? white(0.85f) : white(1.0f), m_selectionAmount);
    painter.setPen(Qt::NoPen);
    painter.setBrush(circle);
    painter.drawEllipse(badge);
    painter.setPen(text);
    painter.setFont(systemFont(12, QFont::Bold));
    painter.drawText(badge, Qt::AlignCenter, QString::number(number()));
}

QuilloraGradientPicker::Metrics QuilloraGradientPicker::metricsForWidth(qreal width) {
    const qreal t = responsiveScale(width, responsiveSpanCommon);
    const qreal s = responsiveScale(width, responsiveSpanSwatches);
    return Metrics{QSizeF(148 + 42 * s, 112 + 30 * s), 16 + 28 * t, 12 + 8 * t};
}

QuilloraGradientPicker::QuilloraGradientPicker(QuilloraThemeController& controller, Appearance& appearance,
                                               QWidget* parent)
    : QDialog(parent)
    , m_controller(&controller)
    , m_appearance(&appearance)
    , m_titleLabel(new QLabel(QStringLiteral("Choose Background"), this))
    , m_scrollArea(new HorizontalScrollArea(this))
    , m_row(new QWidget)
    , m_scrollAnimation(nullptr) {
    setObjectName(QStringLiteral("gradientPicker"));
    setWindowTitle(QStringLiteral("Choose Background"));
    setModal(true);
    setAutoFillBackground(false);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    m_titleLabel->setAlignment(Qt::AlignCenter);
    m_titleLabel->setFont(systemFont(17, QFont::DemiBold));
    m_titleLabel->setFixedHeight(62);
    layout->addWidget(m_titleLabel);

    m_scrollArea->setObjectName(QStringLiteral("gradientPickerRow"));
    m_scrollArea->setFocusPolicy(Qt::NoFocus); // the swatches take focus, one by one
    m_scrollArea->setFrameShape(QFrame::NoFrame);
    m_scrollArea->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_scrollArea->setWidgetResizable(true);
    m_scrollArea->viewport()->setAutoFillBackground(false);
    m_row->setAutoFillBackground(false);
    auto* row = new QHBoxLayout(m_row);
    row->setSpacing(swatchSpacing);
    for (const QuilloraGradientID id : allQuilloraGradientIDs()) {
        auto* swatch = new GradientSwatchButton(id, *m_appearance, m_row);
        connect(swatch, &QAbstractButton::clicked, this, [this, id] { choose(id); });
        row->addWidget(swatch, 0, Qt::AlignVCenter);
        m_swatches.append(swatch);
    }
    row->addStretch(1);
    m_scrollArea->setWidget(m_row);
    m_row->setAutoFillBackground(false); // setWidget() turned it on; the sheet's backdrop shows through
    layout->addWidget(m_scrollArea, 1);

    m_scrollAnimation = new QPropertyAnimation(m_scrollArea->horizontalScrollBar(), "value", this);
    m_scrollAnimation->setDuration(scrollAnimationMs);
    m_scrollAnimation->setEasingCurve(QEasingCurve::OutCubic);

    new FloatingCloseButton(appearance, this, true);

    connect(m_controller, &QuilloraThemeController::changed, this, [this](const QString& key) {
        if (key == Settings::selectedGradientIDKey)
            refreshSelection();
    });
    connect(m_appearance, &Appearance::changed, this, &QuilloraGradientPicker::applyScheme);

    m_shownSelection = selectedID();
    for (GradientSwatchButton* swatch : std::as_const(m_swatches))
        swatch->setSelectedSwatch(swatch->gradientID() == m_shownSelection);
    applyScheme();
    fitToAvailableGeometry(this, QSize(720, 320));
    applyMetrics();
}

QuilloraGradientPicker::~QuilloraGradientPicker() = default;

QuilloraGradientID QuilloraGradientPicker::selectedID() const {
    return gradientIDOrDefault(m_controller->storedGradientID());
}

GradientSwatchButton* QuilloraGradientPicker::swatch(QuilloraGradientID id) const {
    return m_swatches.value(rawValue(id), nullptr);
}

void QuilloraGradientPicker::applyScheme() {
    applySchemePalette(this, m_appearance->isLight());
    update();
}

void QuilloraGradientPicker::setBackdrop(QWidget* backdrop) {
    delete m_backdrop;
    m_backdrop = backdrop;
    if (m_backdrop) {
        m_backdrop->setParent(this);
        m_backdrop->setAttribute(Qt::WA_TransparentForMouseEvents);
        m_backdrop->setGeometry(rect());
        m_backdrop->lower();
        m_backdrop->show();
    }
    update();
}

void QuilloraGradientPicker::applyMetrics() {
    m_metrics = metricsForWidth(width());
    // In a sheet of fixed height the cards shrink, keeping their shape, so that cards and badges
    // stay whole.
    const qreal room = height() - m_titleLabel->height() - 2 * m_metrics.verticalPadding -
                       GradientSwatchButton::badgeSpacing - GradientSwatchButton::badgeSide;
    if (maximumHeight() < QWIDGETSIZE_MAX && room > 0 && m_metrics.swatch.height() > room)
        m_metrics.swatch *= room / m_metrics.swatch.height();
    auto* row = static_cast<QHBoxLayout*>(m_row->layout());
    const int side = qRound(m_metrics.sidePadding);
    const int vertical = qRound(m_metrics.verticalPadding);
    row->setContentsMargins(side, vertical, side, vertical);
    for (GradientSwatchButton* swatch : std::as_const(m_swatches))
        swatch->setCardSize(m_metrics.swatch);
    m_scrollArea->setMinimumHeight(m_swatches.first()->sizeHint().height() + 2 * vertical);
}

void QuilloraGradientPicker::refreshSelection() {
    const QuilloraGradientID selected = selectedID();
    for (GradientSwatchButton* swatch : std::as_const(m_swatches))
        swatch->setSelectedSwatch(swatch->gradientID() == selected);
    if (selected != m_shownSelection) {
        m_shownSelection = selected;
        if (isVisible())
            scrollToSwatch(selected);
    }
}

void QuilloraGradientPicker::scrollToSwatch(QuilloraGradientID id) {
    GradientSwatchButton* target = swatch(id);
    if (!target)
        return;
    m_row->layout()->activate();
    QScrollBar* bar = m_scrollArea->horizontalScrollBar();
    const int centre = target->geometry().center().x() - m_scrollArea->viewport()->width() / 2;
    const int value = std::clamp(centre, bar->minimum(), bar->maximum());
    m_scrollAnimation->stop();
    if (m_appearance->reduceMotion() || !isVisible()) {
        bar->setValue(value);
        return;
    }
    m_scrollAnimation->setStartValue(bar->value());
    m_scrollAnimation->setEndValue(value);
    m_scrollAnimation->start();
}

void QuilloraGradientPicker::choose(QuilloraGradientID id) {
    // Stores the choice; the settings announce it to every screen bound to the key, even when
    // the same gradient is chosen again. (The haptic tap has no counterpart on the desktop.)
    m_controller->selectGradient(id);
    emit gradientChosen(id);
    scrollToSwatch(id);
    accept();
    // Confirmed in the window the sheet goes back to, as the other choices are.
    if (const GradientSwatchButton* chosen = swatch(id))
        announceOutcome(parentWidget() != nullptr ? parentWidget() : this,
                        chosen->accessibleName() + QStringLiteral(" selected."));
}

void QuilloraGradientPicker::keyPressEvent(QKeyEvent* event) {
    // Home and End go to the first and the last choice, as the arrows go to the next one.
    const bool home = event->key() == Qt::Key_Home;
    if ((home || event->key() == Qt::Key_End) && event->modifiers() == Qt::NoModifier &&
        m_swatches.contains(focusWidget())) {
        m_swatches.at(home ? 0 : m_swatches.size() - 1)->setFocus(Qt::OtherFocusReason);
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void QuilloraGradientPicker::resizeEvent(QResizeEvent* event) {
    QDialog::resizeEvent(event);
    if (m_backdrop)
        m_backdrop->setGeometry(rect());
    applyMetrics();
}

void QuilloraGradientPicker::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Once the row has its final geometry: bring the selected swatch (read then) to the middle.
    QTimer::singleShot(0, this, [this] { scrollToSwatch(selectedID()); });
}

void QuilloraGradientPicker::paintEvent(QPaintEvent*) {
    if (m_backdrop)
        return;
    QPainter painter(this);
    painter.fillRect(rect(), schemeColors::sheetBackground(m_appearance->isLight()));
}

} // namespace quillora
