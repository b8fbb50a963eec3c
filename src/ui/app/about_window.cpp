#include "app/about_window.h"
#include "app/services.h"

#include "controls/focus_ring.h"
#include "controls/frosted_card.h"
#include "controls/readable_text.h"
#include "controls/window_placement.h"
#include "platform/appearance.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include "quillora_version.h"

#include <QDesktopServices>
#include <QGraphicsDropShadowEffect>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QSvgRenderer>
#include <QUrl>
#include <QVBoxLayout>

namespace quillora {

namespace {

constexpr int kWindowWidth = 760;
constexpr int kWindowHeight = 620;

QString textOr(const QVariant& value, const QString& fallback) {
    return value.metaType().id() == QMetaType::QString ? value.toString() : fallback;
}

QFont roundedFont(qreal size, QFont::Weight weight) {
    QFont font;
    font.setPixelSize(qRound(size));
    font.setWeight(weight);
    return font;
}

// The app logo, fitted into a square and clipped to a rounded square with a hairline rim.
class LogoView final : public QWidget {
public:
    explicit LogoView(QWidget* parent)
        : QWidget(parent)
        , m_svg(QStringLiteral(":/app/logo.svg")) {
        setFixedSize(162, 162);
    }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.setRenderHint(QPainter::Antialiasing);
        QPainterPath clip;
        clip.addRoundedRect(QRectF(rect()), 38, 38);
        p.setClipPath(clip);
        m_svg.render(&p, QRectF(rect()));
        p.setClipping(false);
        p.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.14f), 1.2));
        p.drawPath(clip);
    }

private:
    QSvgRenderer m_svg;
};

} // namespace

QString aboutVersionLine(const QVariant& shortVersion, const QVariant& buildNumber) {
    return QStringLiteral("Version ") + textOr(shortVersion, QStringLiteral("1.0")) + QStringLiteral(" (") +
           textOr(buildNumber, QStringLiteral("1")) + QLatin1Char(')');
}

QString aboutVersionLine() {
    const QString version = QStringLiteral(QUILLORA_VERSION_STRING);
    const QString build = QStringLiteral(QUILLORA_BUILD_STRING);
    return aboutVersionLine(version.isEmpty() ? QVariant() : QVariant(version),
                            build.isEmpty() ? QVariant() : QVariant(build));
}

QString quilloraWebsiteAddress() {
    return QStringLiteral("https://quillora.app");
}

bool AboutWindow::openWebsite(const QString& address) {
    const QUrl url(address, QUrl::StrictMode);
    if (!url.isValid() || url.scheme().isEmpty())
        return false;
    QDesktopServices::openUrl(url);
    return true;
}

AboutWindow::AboutWindow(Services& services, QWidget* parent)
    : QWidget(parent, Qt::Window) {
    Appearance& appearance = services.appearance();
    setWindowTitle(QStringLiteral("About Quillora"));
    fitToAvailableGeometry(this, QSize(kWindowWidth, kWindowHeight), WindowSizing::fixed);
    closeOnEscapeAndCloseKeys(this);

    auto* background = new ThemedBackground(services.settings(), appearance, this);
    background->setOrbScale(1.0);
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->addWidget(background);

    auto* backgroundLayout = new QVBoxLayout(background);
    backgroundLayout->setContentsMargins(32, 32, 32, 32);
    auto* card = new FrostedCard(28, background);
    card->setObjectName(QStringLiteral("aboutCard"));
    card->setFixedSize(680, 540);
    backgroundLayout->addWidget(card, 0, Qt::AlignCenter);
    auto* shadow = new QGraphicsDropShadowEffect(card);
    shadow->setColor(QColor::fromRgbF(0, 0, 0, 0.25f));
    shadow->setBlurRadius(60);
    shadow->setOffset(0, 18);
    card->setGraphicsEffect(shadow);

    auto* column = new QVBoxLayout(card);
    column->setContentsMargins(48, 36, 48, 34);
    column->setSpacing(24);
    column->addStretch(1);
    auto* logo = new LogoView(card);
    logo->setObjectName(QStringLiteral("aboutLogo"));
    // A soft shadow of radius 24, 14 points down (the effect's blur radius is twice that).
    auto* logoShadow = new QGraphicsDropShadowEffect(logo);
    logoShadow->setColor(QColor::fromRgbF(0, 0, 0, 0.28f));
    logoShadow->setBlurRadius(48);
    logoShadow->setOffset(0, 14);
    logo->setGraphicsEffect(logoShadow);
    column->addWidget(logo, 0, Qt::AlignHCenter);

    auto* titleBlock = new QVBoxLayout();
    titleBlock->setSpacing(10);
    auto* name = new QLabel(QStringLiteral("Quillora"), card);
    name->setObjectName(QStringLiteral("aboutName"));
    name->setFont(roundedFont(40, QFont::Bold));
    name->setAlignment(Qt::AlignCenter);
    auto* version = new QLabel(aboutVersionLine(), card);
    version->setObjectName(QStringLiteral("aboutVersion"));
    version->setFont(roundedFont(18, QFont::DemiBold));
    version->setAlignment(Qt::AlignCenter);
    auto* tagline =
        new QLabel(QStringLiteral("Creative resume building for expressive professionals."), card);
    tagline->setObjectName(QStringLiteral("aboutTagline"));
    tagline->setFont(roundedFont(16, QFont::Medium));
    tagline->setAlignment(Qt::AlignCenter);
    tagline->setWordWrap(true);
    tagline->setContentsMargins(0, 8, 0, 0);
    titleBlock->addWidget(name);
    titleBlock->addWidget(version);
    titleBlock->addWidget(tagline);
    // The window opens on its name; Tab reads the version and the tagline on to the button.
    for (QLabel* text : {name, version, tagline})
        makeReadable(text, &appearance);
    column->addLayout(titleBlock);

    auto* button = new QPushButton(QStringLiteral("Open Website"), card);
    button->setObjectName(QStringLiteral("openWebsiteButton"));
    button->setCursor(Qt::PointingHandCursor);
    button->setMinimumHeight(40);
    button->setFont(roundedFont(17, QFont::DemiBold));
    connect(button, &QPushButton::clicked, this, [] { openWebsite(); });
    addFocusRing(button, appearance, 10);
    column->addWidget(button, 0, Qt::AlignHCenter);
    column->addStretch(1);

    const auto applyScheme = [=, &appearance] {
        const bool light = appearance.isLight();
        card->setLightScheme(light);
        card->setStroke(withAlpha(light ? QColor::fromRgbF(0, 0, 0, 0.9f) : QColor(Qt::white), 0.14));
        const auto colour = [](QLabel* label, const QColor& c) {
            label->setStyleSheet(
                QStringLiteral("color: %1; background: transparent;").arg(c.name(QColor::HexArgb)));
        };
        colour(name, schemeColors::ink(light));
        colour(version, withAlpha(schemeColors::ink(light), 0.76));
        colour(tagline, withAlpha(schemeColors::softInk(light), 0.82));
        const QColor tint =
            light ? withAlpha(QColor::fromRgbF(0, 0, 0, 0.9f), 0.16) : QColor::fromRgbF(1, 1, 1, 0.18f);
        button->setStyleSheet(
            QStringLiteral("QPushButton { background: %1; color: %2; border: none; border-radius: 10px;"
                           " padding: 8px 22px; }")
                .arg(tint.name(QColor::HexArgb), schemeColors::ink(light).name(QColor::HexArgb)));
    };
    applyScheme();
    connect(&appearance, &Appearance::changed, this, applyScheme);
}

} // namespace quillora
