#include "output/resume_translation.h"

#include "output/resume_titles.h"
#include "platform/log.h"
#include "store/model_context.h"

namespace quillora {

QString ResumeTranslationRun::failureMessage() {
    return QStringLiteral("The language needs to be downloaded on to your device from Settings > Apps > "
                          "Translate > Languages.");
}

ResumeTranslationRun::ResumeTranslationRun(ResumePtr resume, std::unique_ptr<TranslationSession> session,
                                           ResumeTitles* titles, QObject* parent)
    : QObject(parent)
    , m_resume(resume)
    , m_receiver(this, resume, QStringLiteral("Translation"))
    , m_session(std::move(session))
    , m_titles(titles) {}

ResumeTranslationRun::~ResumeTranslationRun() = default;

ResumePtr ResumeTranslationRun::liveResume() const {
    ResumePtr resume = m_resume.lock();
    return resume && !resume->isDeleted() ? resume : nullptr;
}

int ResumeTranslationRun::requestCount(const Resume& resume) {
    return 6 + 5 * int(resume.experienceItems().size()) + 3 * int(resume.educationItems().size()) +
           (resume.includeCoverLetter() ? 2 : 0);
}

void ResumeTranslationRun::start() {
    if (m_running)
        return;
    m_running = true;
    m_steps.clear();
    m_next = 0;
    if (liveResume())
        appendResumeSteps();
    // Answered later, like every request, so finished() never comes from inside start().
    QMetaObject::invokeMethod(this, &ResumeTranslationRun::runNext, Qt::QueuedConnection);
}

// Steps run only while the résumé lives (runNext checks before each one), so they may hold it
// by plain pointer.
void ResumeTranslationRun::appendResumeSteps() {
    Resume* r = liveResume().get();
    auto field = [this](std::function<QString()> read, std::function<void(const QString&)> write) {
        m_steps.append(Step{std::move(read), std::move(write), {}});
    };
    field([r] { return r->fullName(); }, [r](const QString& v) { r->setFullName(v); });
    field([r] { return r->contactInfo(); }, [r](const QString& v) { r->setContactInfo(v); });
    field([r] { return r->summary(); }, [r](const QString& v) { r->setSummary(v); });
    field([r] { return r->displaySummaryTitle(); }, [r](const QString& v) { r->setTitleSummary(v); });
    field([r] { return r->displayExperienceTitle(); }, [r](const QString& v) { r->setTitleExperience(v); });
    field([r] { return r->displayEducationTitle(); }, [r](const QString& v) { r->setTitleEducation(v); });
    m_steps.append(Step{{}, {}, [this, r] {
                            if (m_titles)
                                m_titles->syncFrom(*r);
                            appendEntrySteps();
                        }});
}

void ResumeTranslationRun::appendEntrySteps() {
    auto field = [this](std::function<QString()> read, std::function<void(const QString&)> write) {
        m_steps.append(Step{std::move(read), std::move(write), {}});
    };
    // Each list is read once, here; entries are held, so a removed one is still written safely.
    for (const ExperiencePtr& e : liveResume()->experienceItems()) {
        field([e] { return e->role(); }, [e](const QString& v) { e->setRole(v); });
        field([e] { return e->company(); }, [e](const QString& v) { e->setCompany(v); });
        field([e] { return e->startDate(); }, [e](const QString& v) { e->setStartDate(v); });
        field([e] { return e->endDate(); }, [e](const QString& v) { e->setEndDate(v); });
        field([e] { return e->details(); }, [e](const QString& v) { e->setDetails(v); });
    }
    m_steps.append(Step{
        {}, {}, [this] {
            for (const EducationPtr& e : liveResume()->educationItems()) {
                m_steps.append(
                    Step{[e] { return e->school(); }, [e](const QString& v) { e->setSchool(v); }, {}});
                m_steps.append(
                    Step{[e] { return e->degree(); }, [e](const QString& v) { e->setDegree(v); }, {}});
                m_steps.append(Step{[e] { return e->year(); }, [e](const QString& v) { e->setYear(v); }, {}});
            }
            appendCoverLetterSteps();
        }});
}

void ResumeTranslationRun::appendCoverLetterSteps() {
    Resume* r = liveResume().get();
    if (r->includeCoverLetter()) {
        m_steps.append(Step{[r] { return r->coverLetterJobPosting(); },
                            [r](const QString& v) { r->setCoverLetterJobPosting(v); },
                            {}});
        m_steps.append(Step{
            [r] { return r->coverLetterText(); }, [r](const QString& v) { r->setCoverLetterText(v); }, {}});
    }
}

void ResumeTranslationRun::runNext() {
    while (m_next < m_steps.size()) {
        if (!liveResume()) {
            finish(Outcome::dropped);
            return;
        }
        const qsizetype index = m_next++;
        // Copies: an action may append steps.
        const Step step = m_steps.at(index);
        if (step.action) {
            step.action();
            continue;
        }
        const QString sent = step.read();
        m_session->translate(
            sent, [this, index, sent](const Result<QString>& result) { onTranslated(index, sent, result); });
        return;
    }
    const ResumePtr resume = liveResume();
    if (!resume) {
        finish(Outcome::dropped);
        return;
    }
    if (ModelContext* context = resume->modelContext()) {
        const Status saved = context->save();
        if (!saved) {
            finish(Outcome::failed, saved.error());
            return;
        }
    }
    finish(Outcome::translated);
}

void ResumeTranslationRun::onTranslated(qsizetype index, const QString& sent, const Result<QString>& result) {
    if (!result) {
        finish(Outcome::failed, result.error());
        return;
    }
    // Written only while the run and its résumé are still there.
    if (!m_receiver.accepts()) {
        finish(Outcome::dropped);
        return;
    }
    const Step& step = m_steps.at(index);
    // A field edited while its translation was out keeps the edit.
    if (step.read() == sent)
        step.write(*result);
    else
        logLine(QStringLiteral("ℹ️ Translation not written: the field changed while it was translated"));
    runNext();
}

void ResumeTranslationRun::finish(Outcome outcome, const QString& error) {
    m_running = false;
    // This may run inside one of the session's own callbacks: it goes once that is over.
    if (m_session)
        m_session.release()->deleteLater();
    if (outcome == Outcome::failed)
        logLine(QStringLiteral("❌ Translation failed: ") + error);
    emit finished(outcome, error);
}

} // namespace quillora
