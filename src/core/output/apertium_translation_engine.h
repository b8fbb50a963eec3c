#pragma once

#include "output/translation_engine.h"

#include <QStringList>

#include <optional>

namespace quillora {

// Translation through Apertium's language pairs as Debian installs them. A pair is installed
// when its mode file (the pipeline description, e.g. "eng-spa.mode") exists and every program
// it names can be found; supported when Debian packages the pair but it is not installed here;
// unsupported otherwise. A session runs the mode's pipeline once, as a chain of processes in
// null-flush mode, and sends every request through it; no shell is involved.
class ApertiumTranslationEngine final : public TranslationEngine {
public:
    // The folder Debian's pair packages install their modes into.
    static QString defaultModesDirectory();

    explicit ApertiumTranslationEngine(QString modesDirectory = defaultModesDirectory());
    ~ApertiumTranslationEngine() override;

    TranslationPairStatus pairStatus(const QString& source, const QString& target) const override;
    std::unique_ptr<TranslationSession> makeSession(const QString& source, const QString& target) override;

    // The mode file of an installed pair, or an empty string.
    QString modeFile(const QString& source, const QString& target) const;

private:
    QString m_modesDirectory;
};

// One program of a pipeline and its arguments.
struct ApertiumStage final {
    QString program;
    QStringList arguments;
    bool operator==(const ApertiumStage&) const = default;
};

// The pipeline a mode file describes, set up to answer every request as soon as its closing
// null character arrives, with unknown words left unmarked. Nothing when the text is not a
// pipeline of programs.
std::optional<QList<ApertiumStage>> parseApertiumMode(const QString& modeText);

// Plain text turned into Apertium's stream format, ready to be sent as one request (the
// closing null character included).
QByteArray apertiumRequest(const QString& text);

// A pipeline's answer back to plain text: escapes undone, protected characters restored,
// unknown-word marks ("*", "#", "@") dropped and the spacing the pipeline adds around words
// and punctuation tidied where the source had none of it.
QString apertiumAnswerText(const QString& answer, const QString& source);

// The ISO 639-3 code Apertium names a language by ("es" gives "spa").
QString apertiumLanguageCode(const QString& iso639_1);

// Whether Debian 12 packages an Apertium pair between the two languages (ISO 639-1 codes).
bool debianPackagesApertiumPair(const QString& source, const QString& target);

} // namespace quillora
