#include "output/translation_languages.h"

namespace quillora {

QList<LanguageOption> makeLanguageOptions() {
    struct Row {
        const char* code;
        const char* name;
        const char16_t* flag;
    };
    static const Row rows[] = {
        {"ar", "Arabic", u"\U0001F1F8\U0001F1E6"},     // Saudi Arabia
        {"zh", "Chinese", u"\U0001F1E8\U0001F1F3"},    // China
        {"de", "German", u"\U0001F1E9\U0001F1EA"},     // Germany
        {"hi", "Hindi", u"\U0001F1EE\U0001F1F3"},      // India
        {"it", "Italian", u"\U0001F1EE\U0001F1F9"},    // Italy
        {"ja", "Japanese", u"\U0001F1EF\U0001F1F5"},   // Japan
        {"pt", "Portuguese", u"\U0001F1E7\U0001F1F7"}, // Brazil
        {"fr", "French", u"\U0001F1EB\U0001F1F7"},     // France
        {"es", "Spanish", u"\U0001F1EA\U0001F1F8"},    // Spain
    };
    QList<LanguageOption> options;
    for (const Row& row : rows) {
        options.append(LanguageOption{QUuid::createUuid(), QString::fromLatin1(row.code),
                                      QString::fromLatin1(row.name), QString::fromUtf16(row.flag)});
    }
    return options;
}

LanguageAvailability checkLanguageAvailability(const TranslationEngine& engine, const QString& source,
                                               const QList<LanguageOption>& languages) {
    LanguageAvailability availability;
    for (const LanguageOption& language : languages)
        availability.insert(language.code, engine.pairStatus(source, language.code));
    return availability;
}

TranslationPairStatus menuStatus(const LanguageAvailability& availability, const QString& code) {
    return availability.value(code, TranslationPairStatus::supported);
}

bool isLanguageChoosable(const LanguageAvailability& availability, const QString& code) {
    return menuStatus(availability, code) != TranslationPairStatus::unsupported;
}

bool keepsSelection(const LanguageAvailability& availability, const QString& code) {
    const auto it = availability.constFind(code);
    return it != availability.constEnd() && *it == TranslationPairStatus::installed;
}

} // namespace quillora
