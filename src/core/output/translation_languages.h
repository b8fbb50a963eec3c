#pragma once

#include "output/translation_engine.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QUuid>

namespace quillora {

// One language the preview translates into.
struct LanguageOption final {
    QUuid id;     // new for every table built, so it lasts as long as one screen
    QString code; // ISO 639-1, also the key of the availability map
    QString name; // English name shown in the menu
    QString flag; // a flag emoji shown before the name
};

// The nine target languages in menu order, with fresh identities.
QList<LanguageOption> makeLanguageOptions();

// Status by language code. A code without an entry has not been checked yet.
using LanguageAvailability = QHash<QString, TranslationPairStatus>;

// The status of every language for translating from source, in table order.
LanguageAvailability checkLanguageAvailability(const TranslationEngine& engine, const QString& source,
                                               const QList<LanguageOption>& languages);

// How the menu treats a language: a missing entry counts as supported.
TranslationPairStatus menuStatus(const LanguageAvailability& availability, const QString& code);
// Only unsupported languages cannot be chosen.
bool isLanguageChoosable(const LanguageAvailability& availability, const QString& code);
// A selection survives a check only when its language is installed.
bool keepsSelection(const LanguageAvailability& availability, const QString& code);

} // namespace quillora
