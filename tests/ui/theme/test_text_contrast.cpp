#include "controls/editor_section_card.h"
#include "controls/glass_capsule_button.h"
#include "platform/appearance.h"
#include "platform/settings.h"
#include "support/test_home.h"
#include "theme/hex_color.h"
#include "theme/project_theme.h"
#include "theme/scheme_colors.h"
#include "theme/themed_background.h"

#include <QApplication>
#include <QDir>
#include <QLabel>
#include <QPalette>
#include <QTest>
#include <QWidget>

#include <algorithm>
#include <cmath>
#include <utility>

using namespace quillora;

// The text colours the app chooses itself (secondary, placeholder and disabled text) reach
// the WCAG contrast of 4.5:1 against the backgrounds they are drawn on, in both schemes: the
// plain sheet, and a card's material over the themed background of every gradient.

namespace {

qreal channel(qreal c) {
    return c <= 0.04045 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

qreal luminance(const QColor& color) {
    return 0.2126 * channel(color.redF()) + 0.7152 * channel(color.greenF()) +
           0.0722 * channel(color.blueF());
}

// `top` laid over the opaque `bottom`.
QColor over(const QColor& top, const QColor& bottom) {
    const qreal a = top.alphaF();
    return QColor::fromRgbF(float(top.redF() * a + bottom.redF() * (1 - a)),
                            float(top.greenF() * a + bottom.greenF() * (1 - a)),
                            float(top.blueF() * a + bottom.blueF() * (1 - a)));
}

qreal contrast(const QColor& text, const QColor& background) {
    const qreal a = luminance(over(text, background));
    const qreal b = luminance(background);
    return (std::max(a, b) + 0.05) / (std::min(a, b) + 0.05);
}

// The card surface where it is hardest to read on: of the middle of the window (where cards
// sit), the colour that is lightest in the dark scheme and darkest in the light one, leaving out
// the brightest and darkest one in fifty pixels (film grain and speckles).
QColor hardestSurface(const QImage& backdrop, bool light, const QColor& material) {
    QList<std::pair<qreal, QColor>> surfaces; // by luminance
    const QRect middle = backdrop.rect().adjusted(backdrop.width() / 6, backdrop.height() / 8,
                                                  -backdrop.width() / 6, -backdrop.height() / 8);
    for (int y = middle.top(); y <= middle.bottom(); y += 3) {
        for (int x = middle.left(); x <= middle.right(); x += 3) {
            const QColor surface = over(material, QColor(backdrop.pixel(x, y)));
            surfaces.append({luminance(surface), surface});
        }
    }
    const qsizetype cut = surfaces.size() / 50;
    const auto at = surfaces.begin() + (light ? cut : surfaces.size() - 1 - cut);
    std::nth_element(surfaces.begin(), at, surfaces.end(),
                     [](const auto& a, const auto& b) { return a.first < b.first; });
    return at->second;
}

QColor hardestCardSurface(const QImage& backdrop, bool light) {
    return hardestSurface(backdrop, light, schemeColors::ultraThinMaterial(light));
}

struct TextColour {
    const char* name;
    QColor color;
};

QList<TextColour> chosenTextColours(Appearance& appearance, bool light) {
    QWidget probe;
    applySchemePalette(&probe, light);
    const QPalette palette = probe.palette();
    EditorSectionCard card(appearance, QStringLiteral("briefcase.fill"), QStringLiteral("Experience"),
                           QStringLiteral("Your roles, impact, and timeline"), Qt::black, nullptr);
    return {
        {"card subtitle", card.subtitleLabel()->palette().color(QPalette::WindowText)},
        {"secondary label", schemeColors::secondaryLabel(light)},
        {"placeholder", palette.color(QPalette::Active, QPalette::PlaceholderText)},
        {"disabled text", palette.color(QPalette::Disabled, QPalette::Text)},
        {"disabled window text", palette.color(QPalette::Disabled, QPalette::WindowText)},
        {"disabled button text", palette.color(QPalette::Disabled, QPalette::ButtonText)},
        {"error text", schemeColors::errorText(light)},
    };
}

} // namespace

class TextContrastTest : public QObject {
    Q_OBJECT

    Settings m_settings{QDir::tempPath() + QStringLiteral("/contrast.ini")};
    Appearance m_appearance;
    // The themed backgrounds by scheme and gradient, each drawn once for all the checks: drawing
    // them is most of the work, which a loaded machine makes long.
    QHash<QPair<bool, int>, QImage> m_backdrops;

    // The themed background of gradient `id` in the scheme, as a window of 720 by 560 shows it.
    QImage backdrop(bool light, QuilloraGradientID id) {
        const QPair<bool, int> key{light, rawValue(id)};
        if (const auto drawn = m_backdrops.constFind(key); drawn != m_backdrops.cend())
            return *drawn;
        m_appearance.setLightOverride(light);
        m_settings.setSelectedGradientID(rawValue(id));
        ThemedBackground background(m_settings, m_appearance);
        background.resize(720, 560);
        return m_backdrops[key] = background.grab().toImage().convertToFormat(QImage::Format_RGB32);
    }

    // The plain sheet and, for every gradient, the card surface hardest to read on.
    QList<QPair<QString, QColor>> surfaces(bool light) {
        m_appearance.setLightOverride(light);
        QList<QPair<QString, QColor>> backgrounds{
            {QStringLiteral("sheet"), schemeColors::sheetBackground(light)}};
        for (const QuilloraGradientID id : allQuilloraGradientIDs())
            backgrounds.append({QStringLiteral("card on gradient %1").arg(rawValue(id)),
                                hardestCardSurface(backdrop(light, id), light)});
        return backgrounds;
    }

private slots:
    void secondaryPlaceholderAndDisabledTextReadOnSheetsAndCards() {
        QStringList failures;
        for (const bool light : {true, false}) {
            const QList<QPair<QString, QColor>> backgrounds = surfaces(light);
            for (const TextColour& text : chosenTextColours(m_appearance, light)) {
                for (const auto& [where, background] : std::as_const(backgrounds)) {
                    const qreal ratio = contrast(text.color, background);
                    if (ratio < 4.5)
                        failures << QStringLiteral("%1 %2 on %3 (%4): %5:1")
                                        .arg(light ? QStringLiteral("light") : QStringLiteral("dark"),
                                             QString::fromLatin1(text.name), where, background.name())
                                        .arg(ratio, 0, 'f', 2);
                }
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }

    // The focus ring's accent line against what lies around a control, and against the fills of
    // the controls it is drawn on (a glass capsule, the preview's accent button).
    void theFocusRingStandsOutAroundAndOnControls() {
        QStringList failures;
        for (const bool light : {true, false}) {
            QList<QPair<QString, QColor>> backgrounds = surfaces(light);
            const QColor sheet = schemeColors::sheetBackground(light);
            backgrounds.append(
                {QStringLiteral("glass capsule"), over(GlassCapsuleButtonStyle::fill(light, false), sheet)});
            backgrounds.append(
                {QStringLiteral("accent button"), over(withAlpha(accentColor(light), 0.18), sheet)});
            // The bare gradient around the list's round buttons, where no card lies.
            for (const QuilloraGradientID id : allQuilloraGradientIDs())
                backgrounds.append({QStringLiteral("bare gradient %1").arg(rawValue(id)),
                                    hardestSurface(backdrop(light, id), light, Qt::transparent)});
            // A plain dialog's buttons (Delete, Cancel, OK) in the scheme's palette.
            QWidget dialog;
            applySchemePalette(&dialog, light);
            backgrounds.append(
                {QStringLiteral("plain dialog button"), dialog.palette().color(QPalette::Button)});
            backgrounds.append({QStringLiteral("plain dialog"), dialog.palette().color(QPalette::Window)});
            for (const auto& [where, background] : std::as_const(backgrounds)) {
                const qreal ratio = contrast(focusRingColor(light), background);
                if (ratio < 3)
                    failures << QStringLiteral("%1 ring on %2: %3:1")
                                    .arg(light ? QStringLiteral("light") : QStringLiteral("dark"), where)
                                    .arg(ratio, 0, 'f', 2);
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }

    // The trash icons of the experience and education rows, a symbol a user must find: at least
    // 3:1 against every card they sit on.
    void theTrashIconsStandOutOnTheCards() {
        QStringList failures;
        for (const bool light : {true, false}) {
            for (const auto& [where, background] : surfaces(light)) {
                const qreal ratio = contrast(destructiveIconColor(light), background);
                if (ratio < 3)
                    failures << QStringLiteral("%1 trash on %2 (%3): %4:1")
                                    .arg(light ? QStringLiteral("light") : QStringLiteral("dark"), where,
                                         background.name())
                                    .arg(ratio, 0, 'f', 2);
            }
        }
        QVERIFY2(failures.isEmpty(), qPrintable(failures.join(QLatin1Char('\n'))));
    }

    void theRatioIsTheOneOfTheGuidelines() {
        QCOMPARE(qRound(contrast(Qt::black, Qt::white) * 10), 210);
        QCOMPARE(qRound(contrast(QColor(0x76, 0x76, 0x76), Qt::white) * 100), 454);
        // Half-transparent black over white is mid grey.
        QCOMPARE(over(QColor(0, 0, 0, 128), Qt::white).red(), 127);
    }
};

QUILLORA_TEST_MAIN(TextContrastTest)

#include "test_text_contrast.moc"
