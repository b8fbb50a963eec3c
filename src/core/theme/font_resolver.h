#pragma once

#include <QFont>
#include <QString>
#include <QStringList>

#include <optional>

namespace quillora {

// Maps the font names a résumé or a screen asks for ("Avenir Next", "Oswald-Light", …) to a face
// that is really installed or embedded, so the chosen look shows on screen and in PDFs.
// Safe to call from any thread once the app's fonts are registered (registerAppFonts()).
//
// A name is a family ("Helvetica Neue", "Open Sans") or a PostScript-style name whose trailing
// "-Style" parts give the weight and slant ("Inter-Light", "Helvetica-BoldOblique",
// "Lato-Light-Semibold": the last weight wins). Families the machine lacks map to the nearest
// open face (Arimo for Helvetica Neue, Cousine for Courier New, …). Every resolved family
// falls back to packaged faces for Chinese, Japanese, Devanagari, Thaana, Arabic and Hebrew text;
// for Chinese, Japanese and Devanagari first to the copies the build derives from them, which draw
// the same glyphs and whose text a PDF reader extracts exactly as typed (no Kangxi radical in
// place of an ideograph, no precomposed nukta letter in place of the letter and nukta typed), and
// for Thaana to the derived copy Qt sets it in (it takes the packaged face for no Thaana text).
// The derived copies are large (some 90 MB) and are read only once a text needs them
// (fontForText()).
class FontResolver final {
public:
    // Registers the fonts the app embeds and the script fallbacks. Called once at start-up (and by
    // tests) after the QGuiApplication exists; idempotent and thread-safe.
    static void registerAppFonts();

    // The family name to use for fontName; falls back to a generic sans face.
    static QString resolveFamily(const QString& fontName);
    // A font of that family at the given point size; a weight or style the name implies
    // ("Oswald-Light", "Helvetica-Bold") is applied.
    static QFont font(const QString& fontName, qreal pointSize);
    // As above with an explicit weight instead of the one the name implies, e.g. the semibold
    // headlines of a résumé set in "Inter-Light".
    static QFont font(const QString& fontName, qreal pointSize, QFont::Weight weight);
    // True when fontName resolved to something other than the generic fallback.
    static bool isResolved(const QString& fontName);
    // The generic fallback family.
    static QString fallbackFamily();

    // The weight and slant a name's style suffixes imply; nullopt when the name has none
    // (weight then defaults to normal).
    struct Style {
        QString baseName; // the name without its style suffixes
        std::optional<QFont::Weight> weight;
        bool italic = false;
    };
    static Style parseStyle(const QString& fontName);

    // Families registered from the fonts embedded in the app (empty when none were fetched).
    static QStringList embeddedFamilies();
    // The families a resolved family falls back to for scripts it does not cover.
    static QStringList scriptFallbacks(const QString& family);
    // The font to set `text` in where it must read back exactly (a PDF): `font` itself while the
    // face it names first has every character of the text; otherwise `font` (made by font())
    // falling back to the derived script faces, which are registered the first time a text needs
    // them (for a text whose missing characters are all Devanagari or Thaana, only those ones).
    // Thread-safe; a text of the face's own characters never opens the derived faces.
    static QFont fontForText(const QFont& font, const QString& text);
    // Registers the derived script faces now if fontForText() would for this text. Registering
    // drops the fonts Qt has loaded so far, so a renderer calls this before it lays out anything.
    static void prepareForText(const QFont& font, const QString& text);
};

} // namespace quillora
