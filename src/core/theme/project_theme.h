#pragma once

#include "platform/appearance.h"

#include <QColor>
#include <QLinearGradient>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QUuid>

#include <array>
#include <optional>

namespace quillora {

// The twenty background gradients, stored as the integers 0 to 19 (gN is N - 1).
enum class QuilloraGradientID {
    g1,
    g2,
    g3,
    g4,
    g5,
    g6,
    g7,
    g8,
    g9,
    g10,
    g11,
    g12,
    g13,
    g14,
    g15,
    g16,
    g17,
    g18,
    g19,
    g20,
};

inline constexpr int quilloraGradientCount = 20;

const QList<QuilloraGradientID>& allQuilloraGradientIDs();
int rawValue(QuilloraGradientID id);
// 0...19 gives a gradient; anything else, negative values included, gives none.
std::optional<QuilloraGradientID> quilloraGradientIDFromRawValue(int rawValue);
// What every reader of the stored setting shows: the stored gradient, or g4 when out of range.
QuilloraGradientID gradientIDOrDefault(int storedRawValue);

// A linear gradient of evenly spaced colours between two unit points (0...1 of the area).
struct LinearGradientSpec {
    QList<QColor> colors;
    QPointF startPoint;
    QPointF endPoint;

    // The same gradient laid over rect, ready to fill with.
    QLinearGradient toQGradient(const QRectF& rect) const;
};

// The unit points the gradients run between.
namespace unitPoint {
inline constexpr QPointF top{0.5, 0.0};
inline constexpr QPointF bottom{0.5, 1.0};
inline constexpr QPointF leading{0.0, 0.5};
inline constexpr QPointF trailing{1.0, 0.5};
inline constexpr QPointF topLeading{0.0, 0.0};
inline constexpr QPointF topTrailing{1.0, 0.0};
inline constexpr QPointF bottomLeading{0.0, 1.0};
inline constexpr QPointF bottomTrailing{1.0, 1.0};
} // namespace unitPoint

// One glowing orb of a background.
struct OrbSpec {
    QUuid id;
    QColor color;
    qreal size = 0; // diameter, as a fraction of the background's smaller side
    qreal blur = 0; // blur radius, as a fraction of the background's smaller side
    QSizeF offset;  // centre's displacement from the middle, in points of a 400-point square
    double opacity = 0;
};

// Everything a themed background draws for one gradient and colour scheme.
struct BackgroundStyle {
    LinearGradientSpec base;
    QList<OrbSpec> orbs;
    QColor hazeColor;
    double hazeAngle = 0;
    QColor beamColor;
    double beamAngle = 0;
    double speckleOpacity = 0;
    QColor speckleColor;
    bool isLightMode = true;
};

// The look of the app's backgrounds: orb arrangements, beam and haze angles, speckles and the
// light and dark variant of every gradient. A plain value; the standard one is built once.
struct QuilloraProjectTheme {
    QList<QList<QSizeF>> orbLayouts;
    QList<qreal> orbSizes;
    QList<qreal> orbBlurs;
    QList<double> beamAngles;
    QList<double> hazeAngles;
    QList<QPointF> specklePoints;
    QList<qreal> speckleSizes;
    std::array<LinearGradientSpec, quilloraGradientCount> lightGradients;
    std::array<LinearGradientSpec, quilloraGradientCount> darkGradients;

    const LinearGradientSpec& lightGradient(QuilloraGradientID id) const;
    const LinearGradientSpec& darkGradient(QuilloraGradientID id) const;

    // The background of one gradient in one scheme. Every call makes orbs with new ids.
    // Requires non-empty orbLayouts, orbSizes, orbBlurs, beamAngles and hazeAngles.
    BackgroundStyle gradientPalette(QuilloraGradientID id, ColorScheme scheme) const;
};

// The five scheme-independent colours of a gradient.
struct GradientPaletteColors {
    QList<QColor> orbColors;
    QColor beamColor;
    QColor hazeColor;
};
GradientPaletteColors paletteColors(QuilloraGradientID id);

QuilloraProjectTheme makeStandardProjectTheme();
// The standard theme, built on first use and shared for the life of the process.
const QuilloraProjectTheme& standardProjectTheme();

} // namespace quillora
