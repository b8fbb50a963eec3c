#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

namespace quillora {

// Maps the font names a résumé or a screen asks for ("Avenir Next", "Oswald-Light", …) to a face
// that is really installed or embedded, so the chosen look shows on screen and in PDFs.
// Safe to call from any thread once the app's fonts are registered (registerAppFonts()).
class FontResolver final {
public:
    // Registers the fonts the app embeds. Called once at start-up (and by tests); idempotent.
    static void registerAppFonts();

    // The family name to use for fontName; falls back to a generic sans face.
    static QString resolveFamily(const QString& fontName);
    // A font of that family at the given point size; a weight or style the name implies
    // ("Oswald-Light", "Helvetica-Bold") is applied.
    static QFont font(const QString& fontName, qreal pointSize);
    // True when fontName resolved to something other than the generic fallback.
    static bool isResolved(const QString& fontName);
    // The generic fallback family.
    static QString fallbackFamily();
};

} // namespace quillora
