#include "theme/project_theme.h"

#include "theme/hex_color.h"

namespace quillora {

namespace {

struct GradientRow {
    const char* stops[4];
    QPointF startPoint;
    QPointF endPoint;
};

// Light and dark variant of each gradient, in id order.
const GradientRow gradientRows[quilloraGradientCount][2] = {
    {{{"#FFF1E6", "#FFD7BA", "#FF9F7A", "#FF6B6B"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#1B0B0B", "#3B0A14", "#6B1F1A", "#9A3412"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#E6F7FF", "#C7EEFF", "#A0D8FF", "#5DA9FF"}, unitPoint::top, unitPoint::bottom},
     {{"#06131F", "#0A2638", "#0F3D56", "#1E5B8A"}, unitPoint::top, unitPoint::bottom}},
    {{{"#FFE8F3", "#FFC8E8", "#D5B4FF", "#A78BFA"}, unitPoint::leading, unitPoint::trailing},
     {{"#12061B", "#2A0F3C", "#3B1F5C", "#5B2A86"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#E8FFF7", "#B9F5D8", "#6EE7B7", "#34D399"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#061912", "#0A2E1F", "#0F3D2A", "#1F6F3F"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#FFF9DB", "#FFE7A3", "#FFD166", "#FCA311"}, unitPoint::leading, unitPoint::trailing},
     {{"#1A1208", "#3A2A12", "#5C3D12", "#8A5A14"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#FFEDE1", "#FFC6A8", "#FF8FAB", "#FF5C8A"}, unitPoint::top, unitPoint::bottom},
     {{"#1A0710", "#3B0F1E", "#5A1A2B", "#7A2240"}, unitPoint::top, unitPoint::bottom}},
    {{{"#E6FFFA", "#B2F7EF", "#6EE7E0", "#38BDF8"}, unitPoint::leading, unitPoint::trailing},
     {{"#041C24", "#0A2F3A", "#0F4C5C", "#0E7490"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#F7F7F9", "#E5E7EB", "#C7CAD1", "#9CA3AF"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#0B0D12", "#111827", "#1F2937", "#374151"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#FFF4D1", "#FFD28D", "#FF9F1C", "#FF6B35"}, unitPoint::leading, unitPoint::trailing},
     {{"#1A0E05", "#3B1F0C", "#6B2A0F", "#9A3412"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#F5FBFF", "#E0F2FE", "#BAE6FD", "#93C5FD"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#0B1120", "#111827", "#1F2937", "#22324A"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#FDF6E3", "#FCE7C4", "#F7C59F", "#EFA86A"}, unitPoint::leading, unitPoint::trailing},
     {{"#1A120B", "#3A2616", "#5A3A25", "#7A4A2E"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#EEF6FF", "#C7E7FF", "#B7B2FF", "#F3A6FF"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#070B1A", "#121A3A", "#2A1D5C", "#3B1E6D"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#E9FFFA", "#BFF7E6", "#8BD3FF", "#9F7AEA"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#04171B", "#0B2B2F", "#123B4A", "#2A2E8A"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#FFF1E6", "#FFD9C2", "#FFB7A5", "#FCA5A5"}, unitPoint::leading, unitPoint::trailing},
     {{"#1F0A0F", "#3B0F1E", "#5A1232", "#7A1F3D"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#F3E8FF", "#D8B4FE", "#A78BFA", "#7C3AED"}, unitPoint::top, unitPoint::bottom},
     {{"#0D0817", "#1F1630", "#3B1A5A", "#4C1D95"}, unitPoint::top, unitPoint::bottom}},
    {{{"#FFF3C4", "#FFD89A", "#FFB86B", "#FF8C42"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#20130A", "#3B1F0F", "#5C2F12", "#8A4A1A"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
    {{{"#EFF8FF", "#B6E0FF", "#78B1FB", "#3B82F6"}, unitPoint::leading, unitPoint::trailing},
     {{"#081424", "#0B1E3A", "#102C57", "#1E3A8A"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#E6F7FF", "#E4DAFF", "#D6BCFA", "#F9A8D4"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#0B0A1A", "#1B1030", "#331763", "#4C1D95"}, unitPoint::bottomLeading, unitPoint::topTrailing}},
    {{{"#FFE4E6", "#FFC2D1", "#FF9FB2", "#C44536"}, unitPoint::leading, unitPoint::trailing},
     {{"#1A070A", "#3B0B12", "#5A101C", "#7A1B2C"}, unitPoint::leading, unitPoint::trailing}},
    {{{"#F0FDF4", "#CFFAE2", "#86EFAC", "#22C55E"}, unitPoint::topLeading, unitPoint::bottomTrailing},
     {{"#04130B", "#0A2216", "#0F3A22", "#14532D"}, unitPoint::topLeading, unitPoint::bottomTrailing}},
};

// Three orb colours, the beam colour and the haze colour of each gradient, in id order.
const char* const paletteRows[quilloraGradientCount][5] = {
    {"#FFE1B5", "#FF8FAB", "#FFD166", "#FFE8D6", "#FFB4A2"},
    {"#BDE7FF", "#7CC4FF", "#5DA9FF", "#D1FAFF", "#9CCFFF"},
    {"#FFD1F0", "#C4B5FD", "#F472B6", "#FFE4FA", "#D8B4FE"},
    {"#B7F7DE", "#6EE7B7", "#99F6E4", "#E0FFF7", "#7EE8C8"},
    {"#FFE7A3", "#FFB703", "#FFD166", "#FFF3BF", "#FFC971"},
    {"#FFC6A8", "#FF8FAB", "#FF5C8A", "#FFE0D0", "#FF9FB2"},
    {"#A7F3D0", "#67E8F9", "#38BDF8", "#D1FAFF", "#7DD3FC"},
    {"#E5E7EB", "#9CA3AF", "#F9FAFB", "#FFFFFF", "#D1D5DB"},
    {"#FFD28D", "#FF9F1C", "#FF6B35", "#FFE5B4", "#FFB347"},
    {"#BAE6FD", "#7CC4FF", "#93C5FD", "#F0F9FF", "#A5D8FF"},
    {"#FCE7C4", "#F7C59F", "#F59E0B", "#FFF1D6", "#F0B97A"},
    {"#C7E7FF", "#B7B2FF", "#F3A6FF", "#EEF6FF", "#C4B5FD"},
    {"#BFF7E6", "#8BD3FF", "#9F7AEA", "#E9FFFA", "#A5D8FF"},
    {"#FFD9C2", "#FFB7A5", "#FCA5A5", "#FFE8D6", "#FFB4A2"},
    {"#D8B4FE", "#A78BFA", "#7C3AED", "#F3E8FF", "#C4B5FD"},
    {"#FFD89A", "#FFB86B", "#FF8C42", "#FFE7C2", "#FFB36B"},
    {"#B6E0FF", "#7DB9FB", "#3B82F6", "#E0F2FF", "#93C5FD"},
    {"#BAE6FD", "#D6BCFA", "#F9A8D4", "#FCE7F3", "#E9D5FF"},
    {"#FFC2D1", "#FF9FB2", "#C44536", "#FFE4E6", "#FF9FB2"},
    {"#CFFAE2", "#86EFAC", "#22C55E", "#E7FBEF", "#86EFAC"},
};

QColor hex(const char* text) {
    return colorFromHex(QString::fromLatin1(text));
}

LinearGradientSpec makeGradient(const GradientRow& row) {
    LinearGradientSpec gradient;
    for (const char* stop : row.stops)
        gradient.colors.append(hex(stop));
    gradient.startPoint = row.startPoint;
    gradient.endPoint = row.endPoint;
    return gradient;
}

template <typename T> const T& cyclic(const QList<T>& list, qsizetype index) {
    return list.at(index % list.size());
}

OrbSpec makeOrbSpec(qsizetype index, const QColor& color, QSizeF offset, const QuilloraProjectTheme& theme,
                    bool isLight) {
    OrbSpec orb;
    orb.id = QUuid::createUuid();
    orb.color = color;
    orb.size = cyclic(theme.orbSizes, index);
    orb.blur = cyclic(theme.orbBlurs, index);
    orb.offset = offset;
    orb.opacity = isLight ? 0.45 : 0.35;
    return orb;
}

} // namespace

const QList<QuilloraGradientID>& allQuilloraGradientIDs() {
    static const QList<QuilloraGradientID> ids = [] {
        QList<QuilloraGradientID> list;
        for (int raw = 0; raw < quilloraGradientCount; ++raw)
            list.append(static_cast<QuilloraGradientID>(raw));
        return list;
    }();
    return ids;
}

int rawValue(QuilloraGradientID id) {
    return static_cast<int>(id);
}

std::optional<QuilloraGradientID> quilloraGradientIDFromRawValue(int raw) {
    if (static_cast<unsigned>(raw) >= static_cast<unsigned>(quilloraGradientCount))
        return std::nullopt;
    return static_cast<QuilloraGradientID>(raw);
}

QuilloraGradientID gradientIDOrDefault(int storedRawValue) {
    return quilloraGradientIDFromRawValue(storedRawValue).value_or(QuilloraGradientID::g4);
}

QLinearGradient LinearGradientSpec::toQGradient(const QRectF& rect) const {
    const auto at = [&rect](QPointF unit) {
        return QPointF(rect.left() + unit.x() * rect.width(), rect.top() + unit.y() * rect.height());
    };
    QLinearGradient gradient(at(startPoint), at(endPoint));
    const qsizetype count = colors.size();
    for (qsizetype i = 0; i < count; ++i)
        gradient.setColorAt(count == 1 ? 0.0 : static_cast<qreal>(i) / static_cast<qreal>(count - 1),
                            colors.at(i));
    return gradient;
}

const LinearGradientSpec& QuilloraProjectTheme::lightGradient(QuilloraGradientID id) const {
    return lightGradients.at(static_cast<std::size_t>(rawValue(id)));
}

const LinearGradientSpec& QuilloraProjectTheme::darkGradient(QuilloraGradientID id) const {
    return darkGradients.at(static_cast<std::size_t>(rawValue(id)));
}

GradientPaletteColors paletteColors(QuilloraGradientID id) {
    const auto& row = paletteRows[rawValue(id)];
    return {{hex(row[0]), hex(row[1]), hex(row[2])}, hex(row[3]), hex(row[4])};
}

BackgroundStyle QuilloraProjectTheme::gradientPalette(QuilloraGradientID id, ColorScheme scheme) const {
    const bool isLight = scheme == ColorScheme::light;
    const int raw = rawValue(id);
    const GradientPaletteColors palette = paletteColors(id);
    const QList<QSizeF>& layout = cyclic(orbLayouts, raw);

    BackgroundStyle style;
    style.base = isLight ? lightGradient(id) : darkGradient(id);
    const qsizetype orbCount = qMin(palette.orbColors.size(), layout.size());
    for (qsizetype i = 0; i < orbCount; ++i)
        style.orbs.append(makeOrbSpec(i, palette.orbColors.at(i), layout.at(i), *this, isLight));
    style.hazeColor = palette.hazeColor;
    style.hazeAngle = cyclic(hazeAngles, raw);
    style.beamColor = palette.beamColor;
    style.beamAngle = cyclic(beamAngles, raw);
    if (id == QuilloraGradientID::g8)
        style.speckleOpacity = isLight ? 0.14 : 0.10;
    else
        style.speckleOpacity = isLight ? 0.18 : 0.12;
    style.speckleColor = isLight ? QColor(Qt::white) : QColor::fromRgbF(1, 1, 1, 0.75f);
    style.isLightMode = isLight;
    return style;
}

QuilloraProjectTheme makeStandardProjectTheme() {
    QuilloraProjectTheme theme;
    theme.orbLayouts = {
        {{-200, -160}, {180, -40}, {20, 190}},
        {{-220, -40}, {160, 170}, {40, -200}},
        {{-140, 190}, {200, -120}, {-20, -200}},
        {{-240, 120}, {160, -160}, {60, 200}},
    };
    theme.orbSizes = {0.7, 0.55, 0.45};
    theme.orbBlurs = {0.14, 0.18, 0.2};
    theme.beamAngles = {18, -14, 28, -22};
    theme.hazeAngles = {12, -10, 24, -18};
    theme.specklePoints = {
        {0.08, 0.12}, {0.18, 0.28}, {0.32, 0.18}, {0.44, 0.12}, {0.58, 0.22}, {0.72, 0.18},
        {0.86, 0.1},  {0.12, 0.42}, {0.26, 0.54}, {0.4, 0.48},  {0.56, 0.46}, {0.68, 0.6},
        {0.82, 0.52}, {0.92, 0.42}, {0.16, 0.7},  {0.3, 0.78},  {0.48, 0.7},  {0.62, 0.78},
        {0.76, 0.72}, {0.9, 0.68},  {0.12, 0.9},  {0.34, 0.92}, {0.56, 0.88}, {0.8, 0.92},
    };
    theme.speckleSizes = {1.2, 1.6, 2.0, 2.4, 1.4, 2.2};
    for (int raw = 0; raw < quilloraGradientCount; ++raw) {
        const auto index = static_cast<std::size_t>(raw);
        theme.lightGradients.at(index) = makeGradient(gradientRows[raw][0]);
        theme.darkGradients.at(index) = makeGradient(gradientRows[raw][1]);
    }
    return theme;
}

const QuilloraProjectTheme& standardProjectTheme() {
    static const QuilloraProjectTheme theme = makeStandardProjectTheme();
    return theme;
}

} // namespace quillora
