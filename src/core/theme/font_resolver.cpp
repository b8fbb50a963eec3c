#include "theme/font_resolver.h"

namespace quillora {

// Placeholder until the full table lands: every name maps to the generic sans face.
void FontResolver::registerAppFonts() {}

QString FontResolver::resolveFamily(const QString&) { return fallbackFamily(); }

QFont FontResolver::font(const QString& fontName, qreal pointSize)
{
    QFont f(resolveFamily(fontName));
    f.setPointSizeF(pointSize);
    return f;
}

bool FontResolver::isResolved(const QString&) { return false; }

QString FontResolver::fallbackFamily() { return QStringLiteral("DejaVu Sans"); }

} // namespace quillora
