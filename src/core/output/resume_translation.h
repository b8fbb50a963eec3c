#pragma once

#include "model/resume.h"
#include "output/translation_engine.h"
#include "platform/async.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace quillora {

class ResumeTitles;

// Translates a résumé in place, one field at a time, through one session: each field's text is
// read, sent, and its translation written back into the same field before the next is sent.
// The order is: name, contact, summary, the three section titles (the default word for an
// unset one), then the section headings, every experience entry (role, company, start, end,
// details) and every education entry (school, degree, year) in the order the résumé holds
// them, and the cover letter's job posting and text when the cover letter is included. The
// résumé's context is saved once, after the last field.
//
// The first failure ends the run: later fields are not sent and nothing is saved, while the
// fields already written keep their translation. A field whose text changed while its request
// was out keeps the new text. Destroying the run stops it at once; nothing is written after.
// A run over a résumé that is deleted, or no longer held by anyone, ends as dropped.
class ResumeTranslationRun final : public QObject {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(ResumeTranslationRun)

public:
    enum class Outcome {
        translated,
        failed,
        dropped, // the résumé was deleted during the run
    };
    Q_ENUM(Outcome)

    // What the user is told when a run fails, whatever failed.
    static QString failureMessage();

    // titles may be null; the run owns the session.
    ResumeTranslationRun(ResumePtr resume, std::unique_ptr<TranslationSession> session, ResumeTitles* titles,
                         QObject* parent = nullptr);
    ~ResumeTranslationRun() override;

    // Starts the run; finished() follows later, once.
    void start();
    bool isRunning() const { return m_running; }

    // Requests a run over this résumé sends.
    static int requestCount(const Resume& resume);

signals:
    // error is the failure's own description (empty unless failed).
    void finished(quillora::ResumeTranslationRun::Outcome outcome, const QString& error);

private:
    struct Step {
        std::function<QString()> read; // a field to translate ...
        std::function<void(const QString&)> write;
        std::function<void()> action; // ... or a step without a request
    };

    void appendResumeSteps();
    void appendEntrySteps();
    void appendCoverLetterSteps();
    void runNext();
    void onTranslated(qsizetype index, const QString& sent, const Result<QString>& result);
    void finish(Outcome outcome, const QString& error = QString());

    ResumePtr liveResume() const;

    std::weak_ptr<Resume> m_resume;
    ResultReceiver m_receiver;
    std::unique_ptr<TranslationSession> m_session;
    QPointer<ResumeTitles> m_titles;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    bool m_running = false;
};

} // namespace quillora
