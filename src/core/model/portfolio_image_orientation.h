#pragma once

#include <QList>
#include <QString>

#include <optional>

namespace quillora {

enum class PortfolioImageOrientation { portrait, landscape };

inline const QList<PortfolioImageOrientation>& allPortfolioImageOrientations() {
    static const QList<PortfolioImageOrientation> cases{PortfolioImageOrientation::portrait,
                                                        PortfolioImageOrientation::landscape};
    return cases;
}

inline QString rawValue(PortfolioImageOrientation orientation) {
    return orientation == PortfolioImageOrientation::portrait ? QStringLiteral("portrait")
                                                              : QStringLiteral("landscape");
}

// Exact, case-sensitive match of a raw value; anything else gives no orientation.
inline std::optional<PortfolioImageOrientation> portfolioImageOrientationFromRawValue(const QString& raw) {
    if (raw == QLatin1String("portrait"))
        return PortfolioImageOrientation::portrait;
    if (raw == QLatin1String("landscape"))
        return PortfolioImageOrientation::landscape;
    return std::nullopt;
}

} // namespace quillora
