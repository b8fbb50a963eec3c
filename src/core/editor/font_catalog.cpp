#include "editor/font_catalog.h"

namespace quillora {

const QList<FontOption>& fontPickerFonts() {
    static const QList<FontOption> fonts{
        {QStringLiteral("Avenir Next"), QStringLiteral("Avenir Next")},
        {QStringLiteral("Bitter"), QStringLiteral("Bitter-Regular")},
        {QStringLiteral("Charis"), QStringLiteral("CharisSILR")},
        {QStringLiteral("Courier New"), QStringLiteral("Courier New")},
        {QStringLiteral("Crimson"), QStringLiteral("Crimson-Roman")},
        {QStringLiteral("Futura"), QStringLiteral("Futura")},
        {QStringLiteral("Garamond"), QStringLiteral("EBGaramond12-Regular")},
        {QStringLiteral("Georgia"), QStringLiteral("Georgia")},
        {QStringLiteral("Helvetica Neue"), QStringLiteral("Helvetica Neue")},
        {QStringLiteral("Inter"), QStringLiteral("Inter-Light")},
        {QStringLiteral("Lato"), QStringLiteral("Lato-Light")},
        {QStringLiteral("LibreBaskerville"), QStringLiteral("LibreBaskerville-Regular")},
        {QStringLiteral("Lora"), QStringLiteral("Lora-Regular")},
        {QStringLiteral("Merriweather"), QStringLiteral("Merriweather-Light")},
        {QStringLiteral("Montserrat"), QStringLiteral("Montserrat-Light")},
        {QStringLiteral("NunitoSans"), QStringLiteral("NunitoSans-Light")},
        {QStringLiteral("OpenSans"), QStringLiteral("OpenSans-Light")},
        {QStringLiteral("Oswald Light"), QStringLiteral("Oswald-Light")},
        {QStringLiteral("Poppins"), QStringLiteral("Poppins-Light")},
        {QStringLiteral("PTF"), QStringLiteral("PTF55F")},
        {QStringLiteral("Quicksand Regular"), QStringLiteral("Quicksand-Regular")},
        {QStringLiteral("Roboto"), QStringLiteral("Roboto-Light")},
        {QStringLiteral("Rubik"), QStringLiteral("Rubik-Light")},
        {QStringLiteral("SourceSansPro"), QStringLiteral("SourceSansPro-Light")},
        {QStringLiteral("WorkSans"), QStringLiteral("WorkSans-Light")},
    };
    return fonts;
}

QString fontLabel(const QString& fontName) {
    for (const FontOption& option : fontPickerFonts())
        if (option.fontName == fontName)
            return option.label;
    return fontName;
}

QString fontOptionIdentifier(const QString& fontName) {
    QString compact = fontName;
    compact.remove(QLatin1Char(' '));
    return QStringLiteral("fontOption") + compact;
}

} // namespace quillora
