#pragma once

#include <QList>
#include <QString>

namespace quillora {

// One typeface the user can choose for a résumé: what the picker shows, and the name stored
// in the résumé's fontName.
struct FontOption final {
    QString label;
    QString fontName;
};

// The picker's 25 typefaces, in the order shown.
const QList<FontOption>& fontPickerFonts();

// What the picker calls a font name ("Lato" for "Lato-Light"); a name it does not list, as it is.
QString fontLabel(const QString& fontName);

// The accessibility identifier of a font's row: "fontOption" and the font name without spaces.
QString fontOptionIdentifier(const QString& fontName);

} // namespace quillora
