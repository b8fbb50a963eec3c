#include "output/translation_engine.h"

namespace quillora {

TranslationSession::TranslationSession(QObject* parent)
    : QObject(parent) {}

TranslationSession::~TranslationSession() = default;

TranslationEngine::~TranslationEngine() = default;

QString translationSourceLanguage(const QLocale& locale) {
    if (locale.language() == QLocale::C || locale.language() == QLocale::AnyLanguage)
        return QStringLiteral("en");
    const QString code = QLocale::languageToCode(locale.language(), QLocale::ISO639Part1);
    return code.isEmpty() ? QStringLiteral("en") : code;
}

} // namespace quillora
