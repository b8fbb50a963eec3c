#include "support/test_home.h"
#include "theme/hex_color.h"
#include "theme/project_theme.h"

#include <QGuiApplication>
#include <QSet>
#include <QTest>

#include <limits>
#include <optional>

using namespace quillora;

namespace {

struct GradientRow {
    int raw;
    bool light;
    QList<const char*> stops; // an empty text is a stop the theme chooses
    QPointF start;
    QPointF end;
};

// The fixed gradient stops of the theme.
const QList<GradientRow> gradientRows = {
    {0, true, {"#FFF1E6", "#FFD7BA", "#FF9F7A", "#FF6B6B"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {0,
     false,
     {"#1B0B0B", "#3B0A14", "#6B1F1A", "#9A3412"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {1, true, {"#E6F7FF", "#C7EEFF", "#A0D8FF", "#5DA9FF"}, unitPoint::top, unitPoint::bottom},
    {1, false, {"#06131F", "", "#0F3D56", "#1E5B8A"}, unitPoint::top, unitPoint::bottom},
    {2, true, {"#FFE8F3", "#FFC8E8", "#D5B4FF", "#A78BFA"}, unitPoint::leading, unitPoint::trailing},
    {2, false, {"#12061B", "#2A0F3C", "#3B1F5C", "#5B2A86"}, unitPoint::leading, unitPoint::trailing},
    {3, true, {"#E8FFF7", "#B9F5D8", "#6EE7B7", "#34D399"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {3,
     false,
     {"#061912", "#0A2E1F", "#0F3D2A", "#1F6F3F"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {4, true, {"#FFF9DB", "#FFE7A3", "#FFD166", "#FCA311"}, unitPoint::leading, unitPoint::trailing},
    {4, false, {"#1A1208", "#3A2A12", "", ""}, unitPoint::leading, unitPoint::trailing},
    {5, true, {"#FFEDE1", "#FFC6A8", "#FF8FAB", "#FF5C8A"}, unitPoint::top, unitPoint::bottom},
    {5, false, {"", "#3B0F1E", "#5A1A2B", "#7A2240"}, unitPoint::top, unitPoint::bottom},
    {6, true, {"#E6FFFA", "#B2F7EF", "#6EE7E0", "#38BDF8"}, unitPoint::leading, unitPoint::trailing},
    {6, false, {"#041C24", "#0A2F3A", "#0F4C5C", "#0E7490"}, unitPoint::leading, unitPoint::trailing},
    {7, true, {"#F7F7F9", "#E5E7EB", "#C7CAD1", "#9CA3AF"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {7,
     false,
     {"#0B0D12", "#111827", "#1F2937", "#374151"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {8, true, {"#FFF4D1", "#FFD28D", "#FF9F1C", "#FF6B35"}, unitPoint::leading, unitPoint::trailing},
    {8, false, {"#1A0E05", "#3B1F0C", "", "#9A3412"}, unitPoint::leading, unitPoint::trailing},
    {9, true, {"#F5FBFF", "", "", ""}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {9,
     false,
     {"#0B1120", "#111827", "#1F2937", "#22324A"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {10, true, {"#FDF6E3", "#FCE7C4", "#F7C59F", ""}, unitPoint::leading, unitPoint::trailing},
    {10, false, {"#1A120B", "", "#5A3A25", "#7A4A2E"}, unitPoint::leading, unitPoint::trailing},
    {11, true, {"", "", "#B7B2FF", "#F3A6FF"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {11,
     false,
     {"#070B1A", "#121A3A", "#2A1D5C", "#3B1E6D"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {12, true, {"", "#BFF7E6", "#8BD3FF", "#9F7AEA"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {12,
     false,
     {"#04171B", "#0B2B2F", "#123B4A", "#2A2E8A"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {13, true, {"#FFF1E6", "#FFD9C2", "#FFB7A5", "#FCA5A5"}, unitPoint::leading, unitPoint::trailing},
    {13, false, {"#1F0A0F", "#3B0F1E", "#5A1232", "#7A1F3D"}, unitPoint::leading, unitPoint::trailing},
    {14, true, {"", "#D8B4FE", "#A78BFA", "#7C3AED"}, unitPoint::top, unitPoint::bottom},
    {14, false, {"", "#1F1630", "#3B1A5A", "#4C1D95"}, unitPoint::top, unitPoint::bottom},
    {15,
     true,
     {"#FFF3C4", "#FFD89A", "#FFB86B", "#FF8C42"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {15, false, {"#20130A", "#3B1F0F", "", ""}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {16, true, {"", "#B6E0FF", "", "#3B82F6"}, unitPoint::leading, unitPoint::trailing},
    {16, false, {"#081424", "#0B1E3A", "#102C57", "#1E3A8A"}, unitPoint::leading, unitPoint::trailing},
    {17, true, {"#E6F7FF", "", "#D6BCFA", "#F9A8D4"}, unitPoint::topLeading, unitPoint::bottomTrailing},
    {17, false, {"#0B0A1A", "#1B1030", "", "#4C1D95"}, unitPoint::bottomLeading, unitPoint::topTrailing},
    {18, true, {"#FFE4E6", "#FFC2D1", "#FF9FB2", "#C44536"}, unitPoint::leading, unitPoint::trailing},
    {18, false, {"#1A070A", "#3B0B12", "#5A101C", "#7A1B2C"}, unitPoint::leading, unitPoint::trailing},
    {19,
     true,
     {"#F0FDF4", "#CFFAE2", "#86EFAC", "#22C55E"},
     unitPoint::topLeading,
     unitPoint::bottomTrailing},
    {19, false, {"#04130B", "#0A2216", "", "#14532D"}, unitPoint::topLeading, unitPoint::bottomTrailing},
};

struct PaletteRow {
    int raw;
    QList<const char*> colors; // three orbs, beam, haze; an empty text is a colour the theme chooses
};

const QList<PaletteRow> paletteRows = {
    {0, {"#FFE1B5", "#FF8FAB", "#FFD166", "#FFE8D6", "#FFB4A2"}},
    {1, {"", "#7CC4FF", "", "#D1FAFF", ""}},
    {2, {"#FFD1F0", "#C4B5FD", "#F472B6", "#FFE4FA", "#D8B4FE"}},
    {3, {"#B7F7DE", "#6EE7B7", "#99F6E4", "#E0FFF7", "#7EE8C8"}},
    {4, {"#FFE7A3", "#FFB703", "#FFD166", "#FFF3BF", "#FFC971"}},
    {5, {"#FFC6A8", "#FF8FAB", "#FF5C8A", "#FFE0D0", "#FF9FB2"}},
    {6, {"#A7F3D0", "#67E8F9", "#38BDF8", "#D1FAFF", "#7DD3FC"}},
    {7, {"#E5E7EB", "#9CA3AF", "#F9FAFB", "#FFFFFF", "#D1D5DB"}},
    {8, {"#FFD28D", "#FF9F1C", "#FF6B35", "#FFE5B4", "#FFB347"}},
    {9, {"", "#7CC4FF", "", "#F0F9FF", "#A5D8FF"}},
    {10, {"#FCE7C4", "#F7C59F", "#F59E0B", "#FFF1D6", "#F0B97A"}},
    {11, {"#C7E7FF", "#B7B2FF", "#F3A6FF", "", "#C4B5FD"}},
    {12, {"#BFF7E6", "#8BD3FF", "#9F7AEA", "#E9FFFA", "#A5D8FF"}},
    {13, {"#FFD9C2", "#FFB7A5", "#FCA5A5", "#FFE8D6", "#FFB4A2"}},
    {14, {"#D8B4FE", "#A78BFA", "#7C3AED", "", ""}},
    {15, {"#FFD89A", "#FFB86B", "#FF8C42", "#FFE7C2", "#FFB36B"}},
    {16, {"#B6E0FF", "", "#3B82F6", "", ""}},
    {17, {"", "#D6BCFA", "#F9A8D4", "", "#E9D5FF"}},
    {18, {"#FFC2D1", "#FF9FB2", "#C44536", "#FFE4E6", "#FF9FB2"}},
    {19, {"#CFFAE2", "#86EFAC", "#22C55E", "#E7FBEF", "#86EFAC"}},
};

const QList<QList<QSizeF>> layouts = {
    {{-200, -160}, {180, -40}, {20, 190}},
    {{-220, -40}, {160, 170}, {40, -200}},
    {{-140, 190}, {200, -120}, {-20, -200}},
    {{-240, 120}, {160, -160}, {60, 200}},
};

// A fixed colour of the table, or nothing where the theme chooses.
std::optional<QColor> fixed(const char* hex) {
    if (*hex == '\0')
        return std::nullopt;
    return colorFromHex(QString::fromLatin1(hex));
}

bool isOpaqueColor(const QColor& color) {
    return color.isValid() && color.alpha() == 255;
}

} // namespace

class ProjectThemeTest : public QObject {
    Q_OBJECT

private slots:
    void gradientIDsRoundTripTheirRawValues() {
        QCOMPARE(allQuilloraGradientIDs().size(), 20);
        QCOMPARE(allQuilloraGradientIDs().first(), QuilloraGradientID::g1);
        QCOMPARE(allQuilloraGradientIDs().last(), QuilloraGradientID::g20);
        for (int raw = 0; raw < 20; ++raw) {
            QCOMPARE(rawValue(allQuilloraGradientIDs().at(raw)), raw);
            QCOMPARE(quilloraGradientIDFromRawValue(raw), allQuilloraGradientIDs().at(raw));
        }
        for (int raw : {20, -1, 25, 1000, std::numeric_limits<int>::min(), std::numeric_limits<int>::max()}) {
            QVERIFY(!quilloraGradientIDFromRawValue(raw));
            QCOMPARE(gradientIDOrDefault(raw), QuilloraGradientID::g4);
        }
        QCOMPARE(gradientIDOrDefault(0), QuilloraGradientID::g1);
        QCOMPARE(gradientIDOrDefault(19), QuilloraGradientID::g20);
    }

    void everyGradientHasItsStopsAndDirection() {
        const QuilloraProjectTheme& theme = standardProjectTheme();
        QCOMPARE(gradientRows.size(), 40);
        for (const GradientRow& row : gradientRows) {
            const auto id = allQuilloraGradientIDs().at(row.raw);
            const LinearGradientSpec& gradient = row.light ? theme.lightGradient(id) : theme.darkGradient(id);
            const QByteArray where =
                QByteArray("g" + QByteArray::number(row.raw + 1) + (row.light ? " light" : " dark"));
            QVERIFY2(gradient.colors.size() == 4, where.constData());
            for (int i = 0; i < 4; ++i) {
                QVERIFY2(isOpaqueColor(gradient.colors.at(i)), where.constData());
                if (const auto stop = fixed(row.stops.at(i)))
                    QVERIFY2(gradient.colors.at(i) == *stop,
                             QByteArray(where + " stop " + QByteArray::number(i)).constData());
            }
            QVERIFY2(gradient.startPoint == row.start && gradient.endPoint == row.end, where.constData());
        }
    }

    void gradientStopsAreEvenlySpaced() {
        const LinearGradientSpec& gradient = standardProjectTheme().lightGradient(QuilloraGradientID::g1);
        const QLinearGradient laid = gradient.toQGradient(QRectF(10, 20, 200, 100));
        QCOMPARE(laid.start(), QPointF(10, 20));
        QCOMPARE(laid.finalStop(), QPointF(210, 120));
        const QGradientStops stops = laid.stops();
        QCOMPARE(stops.size(), 4);
        QCOMPARE(stops.at(1).first, 1.0 / 3.0);
        QCOMPARE(stops.at(3).first, 1.0);
        QCOMPARE(stops.at(2).second, colorFromHex(QStringLiteral("#FF9F7A")));
    }

    void stylesFollowTheGradientAndScheme_data() {
        QTest::addColumn<int>("raw");
        QTest::addColumn<bool>("light");
        for (int raw = 0; raw < 20; ++raw) {
            for (bool light : {true, false})
                QTest::addRow("g%d %s", raw + 1, light ? "light" : "dark") << raw << light;
        }
    }

    void stylesFollowTheGradientAndScheme() {
        QFETCH(int, raw);
        QFETCH(bool, light);
        const QuilloraProjectTheme& theme = standardProjectTheme();
        const auto id = allQuilloraGradientIDs().at(raw);
        const BackgroundStyle style =
            theme.gradientPalette(id, light ? ColorScheme::light : ColorScheme::dark);

        QCOMPARE(style.isLightMode, light);
        const LinearGradientSpec& expectedBase = light ? theme.lightGradient(id) : theme.darkGradient(id);
        QCOMPARE(style.base.colors, expectedBase.colors);
        QCOMPARE(style.base.startPoint, expectedBase.startPoint);

        const double beamAngles[] = {18, -14, 28, -22};
        const double hazeAngles[] = {12, -10, 24, -18};
        QCOMPARE(style.beamAngle, beamAngles[raw % 4]);
        QCOMPARE(style.hazeAngle, hazeAngles[raw % 4]);

        const bool isG8 = id == QuilloraGradientID::g8;
        QCOMPARE(style.speckleOpacity, isG8 ? (light ? 0.14 : 0.10) : (light ? 0.18 : 0.12));
        QCOMPARE(style.speckleColor.rgb(), QColor(Qt::white).rgb());
        if (light)
            QCOMPARE(style.speckleColor.alpha(), 255);
        else
            QVERIFY(qAbs(style.speckleColor.alphaF() - 0.75f) < 1e-4f);

        const PaletteRow& palette = paletteRows.at(raw);
        QCOMPARE(palette.raw, raw);
        QCOMPARE(style.orbs.size(), 3);
        const qreal sizes[] = {0.7, 0.55, 0.45};
        const qreal blurs[] = {0.14, 0.18, 0.2};
        for (int i = 0; i < 3; ++i) {
            const OrbSpec& orb = style.orbs.at(i);
            QCOMPARE(orb.size, sizes[i]);
            QCOMPARE(orb.blur, blurs[i]);
            QCOMPARE(orb.offset, layouts.at(raw % 4).at(i));
            QCOMPARE(orb.opacity, light ? 0.45 : 0.35);
            QVERIFY(isOpaqueColor(orb.color));
            if (const auto color = fixed(palette.colors.at(i)))
                QCOMPARE(orb.color, *color);
        }
        QVERIFY(isOpaqueColor(style.beamColor) && isOpaqueColor(style.hazeColor));
        if (const auto beam = fixed(palette.colors.at(3)))
            QCOMPARE(style.beamColor, *beam);
        if (const auto haze = fixed(palette.colors.at(4)))
            QCOMPARE(style.hazeColor, *haze);
    }

    void paletteRepeatsWhereItShould() {
        const auto g1 = paletteColors(QuilloraGradientID::g1);
        const auto g14 = paletteColors(QuilloraGradientID::g14);
        QCOMPARE(g14.beamColor, g1.beamColor);
        QCOMPARE(g14.hazeColor, g1.hazeColor);
        for (auto id : {QuilloraGradientID::g19, QuilloraGradientID::g20}) {
            const auto colors = paletteColors(id);
            QCOMPARE(colors.hazeColor, colors.orbColors.at(1));
        }
        // Every colour of every gradient is fixed: the scheme only picks the variant.
        for (QuilloraGradientID id : allQuilloraGradientIDs()) {
            const auto a = standardProjectTheme().gradientPalette(id, ColorScheme::light);
            const auto b = standardProjectTheme().gradientPalette(id, ColorScheme::dark);
            QCOMPARE(a.beamColor, b.beamColor);
            QCOMPARE(a.orbs.at(2).color, b.orbs.at(2).color);
        }
    }

    void themeConstants() {
        const QuilloraProjectTheme& theme = standardProjectTheme();
        QCOMPARE(theme.orbLayouts, layouts);
        QCOMPARE(theme.specklePoints.size(), 24);
        QCOMPARE(theme.specklePoints.first(), QPointF(0.08, 0.12));
        QCOMPARE(theme.specklePoints.at(6), QPointF(0.86, 0.1));
        QCOMPARE(theme.specklePoints.last(), QPointF(0.8, 0.92));
        QCOMPARE(theme.speckleSizes, (QList<qreal>{1.2, 1.6, 2.0, 2.4, 1.4, 2.2}));
        QCOMPARE(&standardProjectTheme(), &theme);
    }

    void everyResolutionMakesNewOrbs() {
        const auto first = standardProjectTheme().gradientPalette(QuilloraGradientID::g3, ColorScheme::dark);
        const auto second = standardProjectTheme().gradientPalette(QuilloraGradientID::g3, ColorScheme::dark);
        QSet<QUuid> ids;
        for (int i = 0; i < 3; ++i) {
            QCOMPARE(first.orbs.at(i).color, second.orbs.at(i).color);
            QCOMPARE(first.orbs.at(i).offset, second.orbs.at(i).offset);
            ids << first.orbs.at(i).id << second.orbs.at(i).id;
        }
        QCOMPARE(ids.size(), 6);
        QVERIFY(!ids.contains(QUuid()));
    }

    void shortLayoutsMakeFewerOrbs() {
        QuilloraProjectTheme theme = makeStandardProjectTheme();
        theme.orbLayouts = {{{10, 20}, {30, 40}}};
        theme.orbSizes = {0.5};
        const auto style = theme.gradientPalette(QuilloraGradientID::g2, ColorScheme::light);
        QCOMPARE(style.orbs.size(), 2);
        QCOMPARE(style.orbs.at(1).offset, QSizeF(30, 40));
        QCOMPARE(style.orbs.at(1).size, 0.5);
        QCOMPARE(style.orbs.at(1).blur, 0.18);
    }
};

QUILLORA_TEST_MAIN(ProjectThemeTest)
#include "test_project_theme.moc"
