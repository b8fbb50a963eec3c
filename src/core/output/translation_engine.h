#pragma once

#include "platform/result.h"

#include <QLocale>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

namespace quillora {

// Whether the machine can translate from one language into another.
enum class TranslationPairStatus {
    installed,   // a session for the pair is ready to translate
    supported,   // the pair exists but is not installed here
    unsupported, // nothing translates the pair
};

// One translation session from a source into a target language. Requests are answered one at a
// time, in the order they were made. A completion is always called later (never from inside
// translate()), on the session's thread, and never after the session is destroyed: destroying
// a session stops its work and drops what is pending.
class TranslationSession : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(TranslationSession)

public:
    using Completion = std::function<void(Result<QString>)>;

    ~TranslationSession() override;

    virtual void translate(const QString& text, Completion done) = 0;

protected:
    explicit TranslationSession(QObject* parent = nullptr);
};

// Machine translation between languages named by their ISO 639-1 codes ("en", "es").
class TranslationEngine {
public:
    TranslationEngine() = default;
    virtual ~TranslationEngine();
    TranslationEngine(const TranslationEngine&) = delete;
    TranslationEngine& operator=(const TranslationEngine&) = delete;

    // Cheap: answers from what is installed, without translating anything.
    virtual TranslationPairStatus pairStatus(const QString& source, const QString& target) const = 0;
    // A session for the pair. Its requests fail when the pair is not installed.
    virtual std::unique_ptr<TranslationSession> makeSession(const QString& source, const QString& target) = 0;
};

// The language the user works in, as an ISO 639-1 code: the locale's language, and "en" for
// the "C" and "POSIX" locales.
QString translationSourceLanguage(const QLocale& locale = QLocale::system());

} // namespace quillora
