#pragma once

#include "model/resume.h"
#include "output/translation_engine.h"
#include "platform/async.h"

#include <QObject>
#include <QPointer>

#include <functional>
#include <memory>

namespace quillora {

class ModelContext;
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
// fields already written keep their translation (the next save stores them). A field whose text
// changed while its request was out keeps the new text. A run over a résumé that is deleted, or
// no longer held by anyone, ends as dropped.
//
// A run stores all of its fields or none: each translation is written into its field at once,
// so every screen shows it, but the résumé's context holds it back from every other save (the
// autosave, an editor's save, the save made when the app quits or goes to the background, all
// of which store the text the field held before the run) until the run's own save. A user's
// later edit of a translated field is saved as usual. Destroying a running run stops it;
// nothing is written after, and what it wrote becomes ordinary unsaved changes.
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

    // Starts a run into `target` that belongs to the résumé's context (to the application for a
    // résumé in none) rather than to the screen that asked for it: closing that screen does not
    // stop it. It deletes itself after finished().
    static ResumeTranslationRun* launch(ResumePtr resume, std::unique_ptr<TranslationSession> session,
                                        const QString& target, ResumeTitles* titles);
    // The launched run going on over this résumé, if any.
    static ResumeTranslationRun* runningFor(const Resume& resume);

    // Starts the run; finished() follows later, once.
    void start();
    bool isRunning() const { return m_running; }
    // The target language's code (as given to launch()).
    QString target() const { return m_target; }
    // The section headings the run updates once the titles are translated; may be null.
    void setTitles(ResumeTitles* titles) { m_titles = titles; }

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
        std::weak_ptr<Record> record; // the field's record and property
        int property = -1;
    };

    template <typename R>
    static void appendField(QList<Step>& steps, const std::shared_ptr<R>& record, int property,
                            QString (R::*read)() const, void (R::*write)(const QString&));
    void appendResumeSteps();
    void appendEntrySteps();
    void appendCoverLetterSteps();
    void runNext();
    void onTranslated(qsizetype index, const QString& sent, const Result<QString>& result);
    void finish(Outcome outcome, const QString& error = QString());

    ResumePtr liveResume() const;

    std::weak_ptr<Resume> m_resume;
    QPointer<ModelContext> m_context;
    QString m_target;
    ResultReceiver m_receiver;
    std::unique_ptr<TranslationSession> m_session;
    QPointer<ResumeTitles> m_titles;
    QList<Step> m_steps;
    qsizetype m_next = 0;
    bool m_running = false;
};

} // namespace quillora
