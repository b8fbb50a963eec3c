#include "app/resume_tip_view.h"

#include "controls/opacity_transition.h"

#include "app/list_shared_controls.h"
#include "controls/accessibility_traits.h"
#include "controls/focus_ring.h"
#include "controls/frosted_card.h"
#include "controls/readable_text.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGraphicsOpacityEffect>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QShortcut>
#include <QTextLayout>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace quillora {

namespace {

QFont bodyFont() {
    QFont font;
    font.setPixelSize(17);
    return font;
}

// Lays the text out for a width and calls `line` with each line and its top.
template <typename Visit> qreal layOut(const QString& text, const QFont& font, qreal width, Visit&& line) {
    const QFontMetricsF metrics(font);
    qreal y = 0;
    const QStringList paragraphs = text.split(QLatin1Char('\n'));
    for (const QString& paragraph : paragraphs) {
        if (paragraph.isEmpty()) {
            y += metrics.lineSpacing();
            continue;
        }
        QTextLayout layout(paragraph, font);
        layout.beginLayout();
        for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
            l.setLineWidth(width);
            l.setPosition(QPointF(0, y));
            y += l.height();
        }
        layout.endLayout();
        line(layout);
    }
    return y;
}

} // namespace

// ---- the text window ----

TipTextWindow::TipTextWindow(const QString& text, QWidget* parent)
    : QWidget(parent)
    , m_text(text) {
    setFixedHeight(int(ResumeTipView::visibleTextHeight));
    setAttribute(Qt::WA_TranslucentBackground);
    setAccessibleName(text);
    setFont(bodyFont());
}

void TipTextWindow::setWindowHeight(int height) {
    if (height == this->height())
        return;
    setFixedHeight(height);
    scrollBy(0);
}

void TipTextWindow::setAutoOffset(qreal offset) {
    m_autoOffset = offset;
    update();
}

void TipTextWindow::setTextColor(const QColor& color) {
    m_color = color;
    update();
}

void TipTextWindow::measure() {
    const qreal height = layOut(m_text, font(), width(), [](const QTextLayout&) {}) + 8;
    if (!qFuzzyCompare(height, m_measured)) {
        m_measured = height;
        emit contentHeightChanged(height);
    }
}

void TipTextWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (width() > 0)
        measure();
}

void TipTextWindow::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setClipRect(rect());
    painter.setPen(m_color);
    painter.setFont(font());
    const QPointF origin(0, 8 + m_autoOffset + m_userOffset);
    layOut(m_text, font(), width(), [&](const QTextLayout& layout) { layout.draw(&painter, origin); });
}

void TipTextWindow::scrollBy(qreal delta) {
    const qreal lowest = std::min<qreal>(0, height() - m_measured);
    m_userOffset = std::clamp(m_userOffset + delta, lowest, 0.0);
    update();
}

void TipTextWindow::mousePressEvent(QMouseEvent* event) {
    m_pressed = event->button() == Qt::LeftButton;
    m_dragging = false;
    m_pressPos = event->position();
    m_pressUserOffset = m_userOffset;
}

void TipTextWindow::mouseMoveEvent(QMouseEvent* event) {
    if (!m_pressed)
        return;
    const QPointF moved = event->position() - m_pressPos;
    if (!m_dragging && std::hypot(moved.x(), moved.y()) < 10)
        return;
    m_dragging = true;
    emit dragChanged();
    scrollBy(m_pressUserOffset + moved.y() - m_userOffset);
}

void TipTextWindow::mouseReleaseEvent(QMouseEvent*) {
    m_pressed = false;
    m_dragging = false;
}

void TipTextWindow::keyPressEvent(QKeyEvent* event) {
    // The keys that scroll a page scroll the text, by a wheel's notch or by the window's height.
    const qreal page = std::max<qreal>(height() - 40, 40);
    const qreal whole = std::max<qreal>(m_measured, height());
    qreal delta = 0;
    switch (event->key()) {
    case Qt::Key_Up:
        delta = 40;
        break;
    case Qt::Key_Down:
        delta = -40;
        break;
    case Qt::Key_PageUp:
        delta = page;
        break;
    case Qt::Key_PageDown:
        delta = -page;
        break;
    case Qt::Key_Home:
        delta = whole;
        break;
    case Qt::Key_End:
        delta = -whole;
        break;
    default:
        QWidget::keyPressEvent(event);
        return;
    }
    emit keyScrolled();
    scrollBy(delta);
    event->accept();
}

void TipTextWindow::wheelEvent(QWheelEvent* event) {
    scrollBy(event->angleDelta().y() / 120.0 * 40);
    event->accept();
}

// ---- the card ----

QString ResumeTipView::welcomeText() {
    return QStringLiteral(
        "Welcome to Quillora, your personal résumé builder made for creative minds.\n\n"
        "To get started, tap the plus button in the top right to create a new résumé. As soon as it appears, "
        "tap it to jump right into editing.\n\n"
        "Need a little guidance? Look for the help button in the top left of each screen. It gives you quick "
        "tips based on exactly where you are in the app.\n\n"
        "Want to change the vibe? Use the bottom left button to switch between different background styles "
        "and make the experience your own.\n\n"
        "Thank you for using Quillora! ❤️");
}

qreal ResumeTipView::tipCardMaxWidth(qreal width) {
    const qreal t = (width - 375) / 1425;
    return t <= 0 ? 520 : 520 + 460 * std::min<qreal>(t, 1);
}

qreal ResumeTipView::tipHorizontalPadding(qreal width) {
    const qreal u = (width - 375) / 1065;
    return u <= 0 ? 28 : 28 + 28 * std::min<qreal>(u, 1);
}

ResumeTipView::ResumeTipView(Appearance& appearance, QWidget* parent, ResumeTipTiming timing)
    : QWidget(parent)
    , m_appearance(appearance)
    , m_timing(timing) {
    setObjectName(QStringLiteral("resumeTipView"));
    setAttribute(Qt::WA_TranslucentBackground);

    m_card = new FrostedCard(22, this);
    m_card->setObjectName(QStringLiteral("resumeTipCard"));
    m_opacityEffect = new QGraphicsOpacityEffect(m_card);
    m_card->setGraphicsEffect(m_opacityEffect);

    auto* layout = new QVBoxLayout(m_card);
    layout->setContentsMargins(22, 22 + 18, 22, 22);
    layout->setSpacing(18);
    m_title = new QLabel(QStringLiteral("Welcome to Quillora"), m_card);
    m_title->setObjectName(QStringLiteral("resumeTipTitle"));
    m_title->setAlignment(Qt::AlignCenter);
    m_title->setWordWrap(true);
    QFont titleFont = m_title->font();
    titleFont.setPixelSize(22);
    titleFont.setBold(true);
    m_title->setFont(titleFont);
    layout->addWidget(m_title);
    m_text = new TipTextWindow(welcomeText(), m_card);
    m_text->setObjectName(QStringLiteral("resumeTipText"));
    layout->addWidget(m_text);
    connect(m_text, &TipTextWindow::contentHeightChanged, this, &ResumeTipView::setContentHeight);
    connect(m_text, &TipTextWindow::dragChanged, this, [this] { takeOver(false); });
    connect(m_text, &TipTextWindow::keyScrolled, this, [this] { takeOver(true); });

    auto* dismiss = new QToolButton(m_card);
    dismiss->setObjectName(QStringLiteral("dismissResumeTipButton"));
    dismiss->setAccessibleName(QStringLiteral("Dismiss welcome message"));
    dismiss->setAccessibleDescription(QStringLiteral("Closes the onboarding tip"));
    dismiss->setAutoRaise(true);
    dismiss->setIconSize(QSize(26, 26));
    dismiss->setCursor(Qt::PointingHandCursor);
    dismiss->setStyleSheet(QStringLiteral("QToolButton { border: none; background: transparent; }"));
    connect(dismiss, &QToolButton::clicked, this, &ResumeTipView::dismissTip);
    addFocusRing(dismiss, m_appearance, 15);
    m_dismiss = dismiss;
    // The title and the message are stops a screen reader reads, each once.
    makeReadable(m_title, &m_appearance);
    makeReadable(m_text, welcomeText(), &m_appearance);
    // A user who moves the focus into the card by a key is reading it: it stays.
    for (QWidget* stop : std::initializer_list<QWidget*>{m_title, m_text, m_dismiss})
        stop->installEventFilter(this);

    // Escape dismisses the card while it can be seen (and leaves the key to others otherwise).
    m_escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    m_escape->setContext(Qt::WindowShortcut);
    connect(m_escape, &QShortcut::activated, this, &ResumeTipView::dismissTip);

    m_logoAnimation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_logoAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_logoLevel = value.toReal();
        applyOpacity();
    });
    m_fadeAnimation.setEasingCurve(QEasingCurve::InOutQuad);
    connect(&m_fadeAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_tipOpacity = value.toDouble();
        applyOpacity();
    });

    m_leaveAnimation.setDuration(defaultAnimationMs);
    m_leaveAnimation.setEasingCurve(defaultAnimationEasing);
    m_leaveAnimation.setStartValue(1.0);
    m_leaveAnimation.setEndValue(0.0);
    connect(&m_leaveAnimation, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        m_leaveLevel = value.toReal();
        applyOpacity();
    });
    connect(&m_leaveAnimation, &QVariantAnimation::finished, this, [this] {
        hide();
        deleteLater();
    });

    applyScheme();
    applyOpacity();
    connect(&m_appearance, &Appearance::changed, this, &ResumeTipView::applyScheme);
    connect(qApp, &QApplication::focusChanged, this, [this](QWidget*, QWidget* now) { focusMoved(now); });
}

ResumeTipView::~ResumeTipView() = default;

QWidget* ResumeTipView::card() const {
    return m_card;
}

qreal ResumeTipView::visibleOpacity() const {
    return m_logoLevel * m_tipOpacity * m_leaveLevel;
}

void ResumeTipView::applyScheme() {
    const bool light = m_appearance.isLight();
    m_card->setLightScheme(light);
    applyFill();
    m_card->setStroke(withAlpha(schemeColors::ink(light), 0.25));
    m_title->setStyleSheet(QStringLiteral("color: %1;").arg(schemeColors::ink(light).name(QColor::HexArgb)));
    m_text->setTextColor(withAlpha(schemeColors::softInk(light), 0.95));
    m_dismiss->setIcon(symbolIcon(QStringLiteral("xmark.circle.fill"), schemeColors::ink(light)));
}

void ResumeTipView::applyFill() {
    const bool light = m_appearance.isLight();
    if (usesMaterial()) {
        m_card->setFill(std::nullopt);
        return;
    }
    // Nearly opaque: without a blur, text beneath (the placeholder's, the editor's) would read through.
    m_card->setFill(light ? QColor(246, 248, 250, 250) : QColor(30, 32, 38, 248));
}

void ResumeTipView::setCoversContent(bool covers) {
    if (covers == m_coversContent)
        return;
    m_coversContent = covers;
    applyFill();
}

void ResumeTipView::applyOpacity() {
    const qreal before = m_opacityEffect->opacity();
    m_opacityEffect->setOpacity(visibleOpacity());
    // A card faded out, or fading out, takes no Escape and is no Tab stop: focus on it would
    // be invisible.
    const bool reachable = visibleOpacity() > 0 && !m_leaving;
    m_escape->setEnabled(reachable);
    for (QWidget* stop : std::initializer_list<QWidget*>{m_title, m_text, m_dismiss}) {
        stop->setFocusPolicy(reachable ? Qt::StrongFocus : Qt::NoFocus);
        if (!reachable && stop->hasFocus())
            stop->clearFocus();
    }
    layoutCard();
    if (!qFuzzyCompare(before, m_opacityEffect->opacity()))
        emit visibleOpacityChanged(m_opacityEffect->opacity());
}

void ResumeTipView::setPreferredInset(int inset) {
    if (inset == m_preferredInset)
        return;
    m_preferredInset = inset;
    layoutCard();
}

void ResumeTipView::setShowLogo(bool show) {
    if (show == m_showLogo)
        return;
    m_showLogo = show;
    m_logoAnimation.stop();
    const qreal target = show ? 1.0 : 0.0;
    if (m_appearance.reduceMotion() || m_timing.fadeInDuration <= 0) {
        m_logoLevel = target;
        applyOpacity();
        return;
    }
    m_logoAnimation.setStartValue(m_logoLevel);
    m_logoAnimation.setEndValue(target);
    m_logoAnimation.setDuration(m_timing.fadeInDuration);
    m_logoAnimation.start();
}

void ResumeTipView::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    layoutCard();
    stepAsideSoon();
    if (m_appeared)
        return;
    m_appeared = true;
    // The visible height is the text window's: 220 points wherever the card has room.
    QTimer::singleShot(m_timing.fadeInDuration, this, [this] { startAutoScroll(m_text->height()); });
}

void ResumeTipView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    layoutCard();
    stepAsideSoon();
}

namespace {

// The card's width in an area: the inset stays where the narrowest card (520 points and its
// padding) still fits beside it, and shrinks where it does not.
qreal cardWidthIn(qreal areaWidth, int preferredInset) {
    const qreal narrowest = ResumeTipView::tipCardMaxWidth(0) + 2 * ResumeTipView::tipHorizontalPadding(0);
    const qreal insetX = std::clamp((areaWidth - narrowest) / 2, 0.0, qreal(preferredInset));
    const qreal available = areaWidth - 2 * insetX;
    const qreal padding = ResumeTipView::tipHorizontalPadding(available);
    return std::min(ResumeTipView::tipCardMaxWidth(available), std::max<qreal>(0, available - 2 * padding));
}

} // namespace

qreal ResumeTipView::fullCardHeight(qreal areaWidth) const {
    const int forWidth = m_card->heightForWidth(int(cardWidthIn(areaWidth, m_preferredInset)));
    const qreal height = forWidth > 0 ? forWidth : m_card->sizeHint().height();
    return height - m_text->height() + visibleTextHeight;
}

void ResumeTipView::layoutCard() {
    const qreal cardWidth = cardWidthIn(width(), m_preferredInset);

    // The card's height with the full text window; the text window gives up what the area lacks.
    m_text->setWindowHeight(int(visibleTextHeight));
    const auto cardHeightNow = [&] {
        const int forWidth = m_card->heightForWidth(int(cardWidth));
        return qreal(forWidth > 0 ? forWidth : m_card->sizeHint().height());
    };
    qreal cardHeight = cardHeightNow();
    const bool roomy = cardHeight + 2 * std::max(m_preferredInset, shortAreaMargin) <= height();
    if (roomy != m_roomy) {
        m_roomy = roomy;
        applyFill();
    }
    // Where the card does not fit, it keeps a small margin above and below.
    const qreal room = height() - 2 * shortAreaMargin;
    if (cardHeight > room) {
        const int text = std::max(minimumTextHeight, int(visibleTextHeight - std::ceil(cardHeight - room)));
        m_text->setWindowHeight(text);
        cardHeight = cardHeightNow();
    }
    // Fully faded out, the card rests at 96 % of its size.
    const qreal scale = m_tipOpacity == 0.0 ? 0.96 : 1.0;
    const QSizeF size(cardWidth * scale, cardHeight * scale);
    // Centred, which keeps as much of the inset above and below as the area allows; a card
    // taller than the area keeps its top (and its dismiss button) in view.
    const QPointF topLeft((width() - size.width()) / 2, std::max<qreal>(0, (height() - size.height()) / 2));
    m_card->setGeometry(QRectF(topLeft, size).toRect());
    m_dismiss->adjustSize();
    m_dismiss->move(m_card->width() - m_dismiss->width() - 12, 12);
    m_dismiss->raise();
    // Only the card takes clicks; what lies beside it stays usable.
    setMask(m_card->geometry());
}

void ResumeTipView::setContentHeight(qreal height) {
    m_contentHeight = height;
}

void ResumeTipView::setScrollOffset(qreal offset) {
    m_scrollOffset = offset;
    m_text->setAutoOffset(offset);
}

void ResumeTipView::startAutoScroll(qreal visibleHeight) {
    if (m_appearance.reduceMotion() || m_autoScrollTimer || m_userDisabledAutoScroll || m_contentHeight <= 0)
        return;
    const qreal maxOffset = m_contentHeight - visibleHeight;
    QTimer::singleShot(m_timing.fadeInDuration + m_timing.scrollStartDelay, this, [this, maxOffset] {
        if (maxOffset <= 0)
            beginFadeOut();
        else
            startAutoScrollTimer(m_timing.scrollInterval, scrollStep, maxOffset);
    });
}

void ResumeTipView::startAutoScrollTimer(int interval, qreal step, qreal maxOffset) {
    // A scroll asked for before the fade began (a late timer on a busy machine) starts no more.
    if (m_autoScrollTimer || m_userDisabledAutoScroll || m_hasStartedFadeOut)
        return;
    auto* timer = new QTimer(this);
    timer->setInterval(interval);
    connect(timer, &QTimer::timeout, this, [this, step, maxOffset] { autoScrollTick(step, maxOffset); });
    m_autoScrollTimer = timer;
    timer->start();
}

void ResumeTipView::autoScrollTick(qreal step, qreal maxOffset) {
    if (m_userDisabledAutoScroll) {
        stopAutoScroll();
        return;
    }
    setScrollOffset(m_scrollOffset - step);
    if (std::abs(m_scrollOffset) < maxOffset)
        return;
    setScrollOffset(-maxOffset);
    delete m_autoScrollTimer.data();
    QTimer::singleShot(m_timing.fadeOutPause, this, &ResumeTipView::beginFadeOut);
}

void ResumeTipView::beginFadeOut() {
    if (m_hasStartedFadeOut || m_userDisabledAutoScroll)
        return;
    m_hasStartedFadeOut = true;
    if (m_appearance.reduceMotion() || m_timing.fadeOutDuration <= 0) {
        m_tipOpacity = 0;
        applyOpacity();
    } else {
        m_fadeAnimation.setStartValue(m_tipOpacity);
        m_fadeAnimation.setEndValue(0.0);
        m_fadeAnimation.setDuration(m_timing.fadeOutDuration);
        m_fadeAnimation.start();
    }
    QTimer::singleShot(m_timing.fadeOutDuration, this, [this, run = m_fadeRun] {
        if (!m_userDisabledAutoScroll && !m_leaving && run == m_fadeRun)
            emit dismissed();
    });
}

void ResumeTipView::stopAutoScroll() {
    m_userDisabledAutoScroll = true;
    ++m_fadeRun; // an earlier fade's end finds the card taken back
    delete m_autoScrollTimer.data();
    m_fadeAnimation.stop();
    setScrollOffset(0);
    m_tipOpacity = 1.0;
    m_hasStartedFadeOut = false;
    applyOpacity();
}

bool ResumeTipView::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::FocusIn && !m_leaving) {
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason == Qt::TabFocusReason || reason == Qt::BacktabFocusReason ||
            reason == Qt::ShortcutFocusReason)
            takeOver(true);
    }
    return QWidget::eventFilter(watched, event);
}

void ResumeTipView::takeOver(bool byKey) {
    // A drag keeps the card for good; a key keeps it only while the focus is in it. A card a drag
    // took already stays the drag's.
    if (!byKey)
        m_heldByKey = false;
    else if (!m_userDisabledAutoScroll)
        m_heldByKey = true;
    stopAutoScroll();
}

bool ResumeTipView::covers(const QWidget* control) const {
    if (control == nullptr || m_leaving || !isVisible() || visibleOpacity() <= 0 || isAncestorOf(control) ||
        control->window() != window() || !control->isVisible())
        return false;
    const QWidget* top = window();
    const QRect card(m_card->mapTo(top, QPoint(0, 0)), m_card->size());
    // With the room its ring takes around it.
    constexpr int ring = 4;
    const QRect at(control->mapTo(top, QPoint(0, 0)), control->size());
    return card.intersects(at.adjusted(-ring, -ring, ring, ring));
}

void ResumeTipView::focusMoved(QWidget* now) {
    // The focus gone to another window (a menu, a dialog) comes back; nothing is decided then.
    if (m_leaving || now == nullptr || now->window() != window() || isAncestorOf(now))
        return;
    // The reader has moved on from the card: it goes on as it does for one who never took it,
    // fading out and leaving.
    if (m_heldByKey) {
        m_heldByKey = false;
        m_userDisabledAutoScroll = false;
        beginFadeOut();
    }
    // Wherever the card is in its run, it never lies over the control a key or a click put the
    // focus on: it leaves at once.
    if (covers(now))
        dismissTip();
}

void ResumeTipView::stepAsideSoon() {
    if (m_stepAsidePending)
        return;
    m_stepAsidePending = true;
    // Once the owner's layout is done: the card may have come over the focused control.
    QTimer::singleShot(0, this, [this] {
        m_stepAsidePending = false;
        if (covers(QApplication::focusWidget()))
            dismissTip();
    });
}

void ResumeTipView::dismissTip() {
    if (!m_leaving)
        emit dismissed();
}

void ResumeTipView::leave() {
    if (m_leaving)
        return;
    m_leaving = true;
    setAttribute(Qt::WA_TransparentForMouseEvents);
    m_escape->setEnabled(false);
    if (m_appearance.reduceMotion() || !isVisible() || visibleOpacity() <= 0) {
        hide();
        deleteLater();
        return;
    }
    m_leaveAnimation.start();
}

} // namespace quillora
