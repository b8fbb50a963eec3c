#include "ai/resume_ai_view_model.h"

#include "model/record.h"
#include "platform/settings.h"

#include <QRegularExpression>

namespace quillora {

namespace {

struct BackendMessages {
    QString empty;
    QString unchanged;
};

BackendMessages messagesFor(AIBackend backend) {
    if (backend == AIBackend::openAI)
        return {QStringLiteral("OpenAI returned an empty response. Please try again."),
                QStringLiteral("OpenAI returned the original text. Add detail or try again.")};
    return {QStringLiteral("Apple Intelligence returned an empty response. Please try again."),
            QStringLiteral("Apple Intelligence returned the original text. Add detail or try again.")};
}

} // namespace

ResumeAIViewModel::ResumeAIViewModel(AIServices services, QObject* parent)
    : QObject(parent)
    , m_services(std::move(services))
    , m_formatter(AIModelSession(star_prompt::systemPrompt, m_services)) {
    m_backend = resolveBackend();
    // Adding or removing the OpenAI key shows at once in every editor that is open.
    if (m_services.settings)
        connect(m_services.settings, &Settings::changed, this, [this](const QString& key) {
            if (key == Settings::openAIAPIKeyKey)
                setBackend(resolveBackend());
        });
}

ResumeAIViewModel::~ResumeAIViewModel() = default;

AIBackend ResumeAIViewModel::resolveBackend() const {
    if (OpenAIClient::storedAPIKey(*m_services.settings))
        return AIBackend::openAI;
    if (m_services.onDeviceModel && m_services.onDeviceModel->isAvailable())
        return AIBackend::appleOnDevice;
    return AIBackend::unavailable;
}

void ResumeAIViewModel::refine(const QString& text, const std::optional<QString>& summaryContext,
                               const std::optional<QString>& resumeContext, SeamlessStarMode mode,
                               std::function<void(const QString& produced)> done) {
    const auto finish = [](const std::function<void(const QString&)>& callback, const QString& produced) {
        if (callback)
            callback(produced);
    };
    if (text.trimmed().isEmpty() && resumeContext.value_or(QString()).trimmed().isEmpty()) {
        setErrorMessage(QStringLiteral("Please enter some experience text first."));
        return finish(done, {});
    }
    if (m_busy)
        return finish(done, {});
    const std::shared_ptr<const Record> resume = m_resume.lock();
    if (m_hasResume && !resume)
        return finish(done, {}); // its résumé is gone: nothing to refine for

    setBusy(true);
    setErrorMessage(std::nullopt);
    setRefinedText(QString());

    const AIBackend backend = resolveBackend();
    setBackend(backend);
    if (backend == AIBackend::unavailable) {
        setErrorMessage(QStringLiteral("Apple Intelligence is unavailable on this device."));
        setBusy(false);
        return finish(done, {});
    }

    // The answer comes back only while this view model lives; one for a résumé deleted
    // meanwhile is dropped here, so that the busy flag is still cleared.
    const ResultReceiver forResume(this, resume, QStringLiteral("STAR refinement"));
    m_formatter.starFormat(
        text, summaryContext, resumeContext, mode, ResultReceiver(this, QStringLiteral("STAR refinement")),
        [this, backend, text, mode, done = std::move(done), finish, forResume](Result<QString> answer) {
            if (!forResume.accepts()) {
                setBusy(false);
                return;
            }
            if (answer) {
                handleAnswer(backend, answer.value(), text, mode);
            } else {
                setErrorMessage(backend == AIBackend::openAI
                                    ? openAIErrorMessage(answer.errorInfo())
                                    : QStringLiteral("Apple Intelligence failed. Please try again."));
                setBusy(false);
            }
            finish(done, m_refinedText);
        });
}

void ResumeAIViewModel::handleAnswer(AIBackend backend, const QString& answer, const QString& text,
                                     SeamlessStarMode mode) {
    const BackendMessages messages = messagesFor(backend);
    const QString trimmedAnswer = answer.trimmed();
    const QString trimmedText = text.trimmed();
    if (trimmedAnswer.isEmpty()) {
        setErrorMessage(messages.empty);
        setBusy(false);
        return;
    }
    const QString scrubbed = scrubUnsupportedNumbers(trimmedAnswer, trimmedText);
    if (mode == SeamlessStarMode::experience && trimmedAnswer.normalized(QString::NormalizationForm_C) ==
                                                    trimmedText.normalized(QString::NormalizationForm_C))
        setErrorMessage(messages.unchanged);
    setRefinedText(scrubbed);
    setBusy(false);
}

QString ResumeAIViewModel::scrubUnsupportedNumbers(const QString& answer, const QString& source) {
    static const QRegularExpression digit(QStringLiteral("\\d"),
                                          QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression number(QStringLiteral("\\d+(?:\\.\\d+)?%?"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression percent(QStringLiteral("\\bpercent\\b"),
                                            QRegularExpression::CaseInsensitiveOption |
                                                QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression percentage(QStringLiteral("\\bpercentage\\b"),
                                               QRegularExpression::CaseInsensitiveOption |
                                                   QRegularExpression::UseUnicodePropertiesOption);
    static const QRegularExpression blanks(QStringLiteral("\\s{2,}"),
                                           QRegularExpression::UseUnicodePropertiesOption);
    if (source.contains(digit))
        return answer;
    QString result = answer;
    result.remove(number);
    result.remove(percent);
    result.remove(percentage);
    result.replace(blanks, QStringLiteral(" "));
    result = result.trimmed();
    result.replace(QStringLiteral(" ,"), QStringLiteral(","));
    result.replace(QStringLiteral(" ."), QStringLiteral("."));
    result.replace(QStringLiteral(" %"), QStringLiteral("%"));
    return result;
}

QString ResumeAIViewModel::openAIErrorMessage(const Error& error) {
    return openAIFailureMessage(error, QStringLiteral("OpenAI failed. Please try again."));
}

void ResumeAIViewModel::setRefinedText(const QString& text) {
    if (m_refinedText == text)
        return;
    m_refinedText = text;
    emit refinedTextChanged();
}

void ResumeAIViewModel::setErrorMessage(const std::optional<QString>& message) {
    if (m_errorMessage == message)
        return;
    m_errorMessage = message;
    emit errorMessageChanged();
}

void ResumeAIViewModel::setBusy(bool busy) {
    if (m_busy == busy)
        return;
    m_busy = busy;
    emit busyChanged(busy);
}

void ResumeAIViewModel::setBackend(AIBackend backend) {
    if (m_backend == backend)
        return;
    m_backend = backend;
    emit backendChanged(backend);
}

} // namespace quillora
