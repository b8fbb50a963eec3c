#include "output/background_theme.h"

namespace quillora {

namespace {

QColor rgb(double r, double g, double b) {
    return QColor::fromRgbF(float(r), float(g), float(b), 1.0f);
}

} // namespace

const QList<BackgroundShapeType>& allBackgroundShapeTypes() {
    using S = BackgroundShapeType;
    static const QList<S> all{S::circles,         S::squares,         S::triangles, S::stars,
                              S::hearts,          S::blobs,           S::confetti,  S::verticalLines,
                              S::horizontalLines, S::diagonalStripes, S::dotGrid,   S::gradientBands};
    return all;
}

QString rawValue(BackgroundShapeType shape) {
    static const char* const names[] = {"circles",         "squares",         "triangles", "stars",
                                        "hearts",          "blobs",           "confetti",  "verticalLines",
                                        "horizontalLines", "diagonalStripes", "dotGrid",   "gradientBands"};
    return QString::fromLatin1(names[int(shape)]);
}

QString displayName(BackgroundShapeType shape) {
    static const char* const labels[] = {"Circles",          "Squares",
                                         "Triangles",        "Stars",
                                         "Hearts",           "Blobs",
                                         "Confetti",         "Vertical Lines",
                                         "Horizontal Lines", "Diagonal Stripes",
                                         "Dot Grid",         "Gradient Bands"};
    return QString::fromLatin1(labels[int(shape)]);
}

std::optional<BackgroundShapeType> backgroundShapeTypeFromRawValue(const QString& raw) {
    for (BackgroundShapeType shape : allBackgroundShapeTypes()) {
        if (rawValue(shape) == raw)
            return shape;
    }
    return std::nullopt;
}

const QList<BackgroundColorTheme>& allBackgroundColorThemes() {
    using T = BackgroundColorTheme;
    static const QList<T> all{T::pastel,    T::neon,   T::warm,     T::cool,     T::midnight,
                              T::cyberpunk, T::desert, T::tropical, T::blueprint};
    return all;
}

QString rawValue(BackgroundColorTheme theme) {
    static const char* const names[] = {"pastel",    "neon",   "warm",     "cool",     "midnight",
                                        "cyberpunk", "desert", "tropical", "blueprint"};
    return QString::fromLatin1(names[int(theme)]);
}

QString displayName(BackgroundColorTheme theme) {
    const QString raw = rawValue(theme);
    return raw.left(1).toUpper() + raw.mid(1);
}

std::optional<BackgroundColorTheme> backgroundColorThemeFromRawValue(const QString& raw) {
    for (BackgroundColorTheme theme : allBackgroundColorThemes()) {
        if (rawValue(theme) == raw)
            return theme;
    }
    return std::nullopt;
}

QList<QColor> palette(BackgroundColorTheme theme) {
    switch (theme) {
    case BackgroundColorTheme::pastel:
        return {rgb(1.0, 0.84, 0.84), rgb(0.84, 0.92, 1.0), rgb(0.9, 1.0, 0.88), rgb(0.96, 0.88, 1.0)};
    case BackgroundColorTheme::neon:
        // Saturated pink, green, yellow, cyan and purple, like the usual system colours.
        return {QColor(255, 45, 85), QColor(52, 199, 89), QColor(255, 204, 0), QColor(50, 173, 230),
                QColor(175, 82, 222)};
    case BackgroundColorTheme::warm:
        return {rgb(0.9, 0.45, 0.34), rgb(0.95, 0.7, 0.38), rgb(0.8, 0.36, 0.24)};
    case BackgroundColorTheme::cool:
        return {rgb(0.3, 0.58, 0.82), rgb(0.45, 0.68, 0.78), rgb(0.35, 0.5, 0.65)};
    case BackgroundColorTheme::midnight:
        return {rgb(0.1, 0.12, 0.18), rgb(0.18, 0.2, 0.3), rgb(0.14, 0.1, 0.2)};
    case BackgroundColorTheme::cyberpunk:
        return {rgb(0.95, 0.2, 0.6), rgb(0.2, 0.9, 0.8), rgb(0.1, 0.1, 0.1)};
    case BackgroundColorTheme::desert:
        return {rgb(0.76, 0.6, 0.44), rgb(0.9, 0.8, 0.6), rgb(0.6, 0.42, 0.24)};
    case BackgroundColorTheme::tropical:
        return {rgb(0.1, 0.75, 0.6), rgb(0.98, 0.6, 0.15), rgb(0.0, 0.55, 0.85)};
    case BackgroundColorTheme::blueprint:
        return {rgb(0.1, 0.22, 0.45), rgb(0.18, 0.4, 0.65), rgb(0.8, 0.92, 1.0)};
    }
    return {};
}

qreal shapeOpacity(BackgroundColorTheme theme) {
    switch (theme) {
    case BackgroundColorTheme::pastel:
        return 0.25;
    case BackgroundColorTheme::neon:
        return 0.16;
    case BackgroundColorTheme::warm:
    case BackgroundColorTheme::cool:
    case BackgroundColorTheme::desert:
        return 0.12;
    case BackgroundColorTheme::midnight:
    case BackgroundColorTheme::blueprint:
        return 0.10;
    case BackgroundColorTheme::cyberpunk:
        return 0.14;
    case BackgroundColorTheme::tropical:
        return 0.15;
    }
    return 0.25;
}

} // namespace quillora
