#pragma once

#include "ai/ai_model_session.h"
#include "ai/seamless_star_formatter.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

namespace quillora {

class Record;

enum class AIBackend { openAI, appleOnDevice, unavailable };

// The state behind one STAR-refinable text field: which backend serves it (OpenAI when a key
// is stored, else the on-device model when there is one, else none), whether a refinement
// runs, the last refined paragraph and the one message to show. It never fails: every outcome
// ends as refinedText or errorMessage, with isBusy cleared. One per editor; results for an
// editor that is gone are dropped with it.
class ResumeAIViewModel final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeAIViewModel)

public:
    explicit ResumeAIViewModel(AIServices services, QObject* parent = nullptr);
    ~ResumeAIViewModel() override;

    QString refinedText() const { return m_refinedText; }
    std::optional<QString> errorMessage() const { return m_errorMessage; }
    bool isBusy() const { return m_busy; }
    AIBackend backend() const { return m_backend; }
    const SeamlessStarFormatterService& formatter() const { return m_formatter; }

    // The résumé whose text is refined (held weakly): a result that arrives after it was
    // deleted is dropped.
    void setResume(const std::shared_ptr<const Record>& resume) {
        m_resume = resume;
        m_hasResume = resume != nullptr;
    }

    // The backend rule: a stored key → openAI; else an available on-device model →
    // appleOnDevice; else unavailable.
    AIBackend resolveBackend() const;

    // Refines `text` (sent untrimmed). Blank text with a blank résumé context only sets "Please
    // enter some experience text first."; a call while busy does nothing. Otherwise the backend
    // is resolved again and the outcome published. done(produced) runs when this call ends,
    // with the paragraph this call produced, or an empty text when it produced none (an
    // early return, a failure, an empty answer). It is not called once the view model is gone.
    void refine(const QString& text, const std::optional<QString>& summaryContext,
                const std::optional<QString>& resumeContext, SeamlessStarMode mode,
                std::function<void(const QString& produced)> done = {});

    // The answer stripped of numbers, percent signs and the words "percent" and "percentage"
    // when the source holds no digit; unchanged otherwise.
    static QString scrubUnsupportedNumbers(const QString& answer, const QString& source);
    // The user's message for a failed OpenAI request.
    static QString openAIErrorMessage(const Error& error);

signals:
    void refinedTextChanged();
    void errorMessageChanged();
    void busyChanged(bool busy);
    void backendChanged(AIBackend backend);

private:
    void handleAnswer(AIBackend backend, const QString& answer, const QString& text, SeamlessStarMode mode);
    void setRefinedText(const QString& text);
    void setErrorMessage(const std::optional<QString>& message);
    void setBusy(bool busy);
    void setBackend(AIBackend backend);

    AIServices m_services;
    std::weak_ptr<const Record> m_resume;
    bool m_hasResume = false;
    QString m_refinedText;
    std::optional<QString> m_errorMessage;
    bool m_busy = false;
    AIBackend m_backend = AIBackend::unavailable;
    SeamlessStarFormatterService m_formatter;
};

} // namespace quillora
