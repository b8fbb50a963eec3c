#pragma once

#include <QColor>
#include <QList>
#include <QString>

#include <optional>

namespace quillora {

// The pattern painted behind a creative PDF page. Stored by its raw value (the case name).
enum class BackgroundShapeType {
    circles,
    squares,
    triangles,
    stars,
    hearts,
    blobs,
    confetti,
    verticalLines,
    horizontalLines,
    diagonalStripes,
    dotGrid,
    gradientBands,
};

// The palette of a creative PDF page's background. Stored by its raw value (the case name).
enum class BackgroundColorTheme {
    pastel,
    neon,
    warm,
    cool,
    midnight,
    cyberpunk,
    desert,
    tropical,
    blueprint
};

const QList<BackgroundShapeType>& allBackgroundShapeTypes();
QString rawValue(BackgroundShapeType shape);
QString displayName(BackgroundShapeType shape);
// Exact, case-sensitive; anything else gives no shape.
std::optional<BackgroundShapeType> backgroundShapeTypeFromRawValue(const QString& raw);

const QList<BackgroundColorTheme>& allBackgroundColorThemes();
QString rawValue(BackgroundColorTheme theme);
QString displayName(BackgroundColorTheme theme);
std::optional<BackgroundColorTheme> backgroundColorThemeFromRawValue(const QString& raw);
// A new list on every call; every colour is opaque.
QList<QColor> palette(BackgroundColorTheme theme);
// The alpha the page background paints its shapes with.
qreal shapeOpacity(BackgroundColorTheme theme);

} // namespace quillora
