#include "output/resume_translation.h"

#include "output/resume_titles.h"
#include "platform/log.h"
#include "store/model_context.h"

#include <QCoreApplication>

#include <type_traits>

namespace quillora {

QString ResumeTranslationRun::failureMessage() {
    return QStringLiteral("The language needs to be downloaded on to your device from Settings > Apps > "
                          "Translate > Languages.");
}

ResumeTranslationRun::ResumeTranslationRun(ResumePtr resume, std::unique_ptr<TranslationSession> session,
                                           ResumeTitles* titles, QObject* parent)
    : QObject(parent)
    , m_resume(resume)
    , m_context(resume ? resume->modelContext() : nullptr)
    , m_receiver(ResultReceiver::forResume(resume, nullptr, QStringLiteral("Translation")))
    , m_session(std::move(session))
    , m_titles(titles) {}

ResumeTranslationRun::~ResumeTranslationRun() {
    // Stopped half-way: what was written becomes ordinary unsaved changes.
    if (m_running && m_context)
        m_context->releaseHeldBack(this);
}

ResumeTranslationRun* ResumeTranslationRun::launch(ResumePtr resume,
                                                   std::unique_ptr<TranslationSession> session,
                                                   const QString& target, ResumeTitles* titles) {
    QObject* owner = resume->modelContext();
    if (!owner)
        owner = QCoreApplication::instance();
    auto* run = new ResumeTranslationRun(std::move(resume), std::move(session), titles, owner);
    run->m_target = target;
    connect(run, &ResumeTranslationRun::finished, run, &QObject::deleteLater);
    run->start();
    return run;
}

ResumeTranslationRun* ResumeTranslationRun::runningFor(const Resume& resume) {
    QObject* owner = resume.modelContext();
    if (!owner)
        owner = QCoreApplication::instance();
    if (!owner)
        return nullptr;
    const auto runs = owner->findChildren<ResumeTranslationRun*>(Qt::FindDirectChildrenOnly);
    for (ResumeTranslationRun* run : runs) {
        if (run->isRunning() && run->m_resume.lock().get() == &resume)
            return run;
    }
    return nullptr;
}

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

// A field of a record: its property index, how it is read for sending and how its translation
// is written. An entry is held by its steps, so one removed meanwhile is still written safely;
// the résumé is not (runNext checks that it lives before each step).
template <typename R>
void ResumeTranslationRun::appendField(QList<Step>& steps, const std::shared_ptr<R>& record, int property,
                                       QString (R::*read)() const, void (R::*write)(const QString&)) {
    std::shared_ptr<R> held;
    if constexpr (!std::is_same_v<R, Resume>)
        held = record;
    R* r = record.get();
    steps.append({[r, held, read] { return (r->*read)(); },
                  [r, held, write](const QString& v) { (r->*write)(v); },
                  {},
                  record,
                  property});
}

// Steps run only while the résumé lives (runNext checks before each one), so they may hold it
// by plain pointer.
void ResumeTranslationRun::appendResumeSteps() {
    const ResumePtr resume = liveResume();
    Resume* r = resume.get();
    appendField(m_steps, resume, Resume::FullName, &Resume::fullName, &Resume::setFullName);
    appendField(m_steps, resume, Resume::ContactInfo, &Resume::contactInfo, &Resume::setContactInfo);
    appendField(m_steps, resume, Resume::Summary, &Resume::summary, &Resume::setSummary);
    const auto title = [&](int property, QString (Resume::*read)() const,
                           void (Resume::*write)(const std::optional<QString>&)) {
        m_steps.append({[r, read] { return (r->*read)(); },
                        [r, write](const QString& v) { (r->*write)(v); },
                        {},
                        resume,
                        property});
    };
    title(Resume::TitleSummary, &Resume::displaySummaryTitle, &Resume::setTitleSummary);
    title(Resume::TitleExperience, &Resume::displayExperienceTitle, &Resume::setTitleExperience);
    title(Resume::TitleEducation, &Resume::displayEducationTitle, &Resume::setTitleEducation);
    m_steps.append(Step{{},
                        {},
                        [this, r] {
                            if (m_titles)
                                m_titles->syncFrom(*r);
                            appendEntrySteps();
                        },
                        {},
                        -1});
}

void ResumeTranslationRun::appendEntrySteps() {
    // Each list is read once, here; entries are held, so a removed one is still written safely.
    for (const ExperiencePtr& e : liveResume()->experienceItems()) {
        appendField(m_steps, e, Experience::Role, &Experience::role, &Experience::setRole);
        appendField(m_steps, e, Experience::Company, &Experience::company, &Experience::setCompany);
        appendField(m_steps, e, Experience::StartDate, &Experience::startDate, &Experience::setStartDate);
        appendField(m_steps, e, Experience::EndDate, &Experience::endDate, &Experience::setEndDate);
        appendField(m_steps, e, Experience::Details, &Experience::details, &Experience::setDetails);
    }
    m_steps.append(
        Step{{},
             {},
             [this] {
                 for (const EducationPtr& e : liveResume()->educationItems()) {
                     appendField(m_steps, e, Education::School, &Education::school, &Education::setSchool);
                     appendField(m_steps, e, Education::Degree, &Education::degree, &Education::setDegree);
                     appendField(m_steps, e, Education::Year, &Education::year, &Education::setYear);
                 }
                 appendCoverLetterSteps();
             },
             {},
             -1});
}

void ResumeTranslationRun::appendCoverLetterSteps() {
    const ResumePtr resume = liveResume();
    if (resume->includeCoverLetter()) {
        appendField(m_steps, resume, Resume::CoverLetterJobPosting, &Resume::coverLetterJobPosting,
                    &Resume::setCoverLetterJobPosting);
        appendField(m_steps, resume, Resume::CoverLetterText, &Resume::coverLetterText,
                    &Resume::setCoverLetterText);
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
        // The whole translation goes into the store with this one save.
        context->releaseHeldBack(this);
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
    if (step.read() == sent) {
        const std::shared_ptr<Record> record = step.record.lock();
        if (m_context && record)
            m_context->writeHeldBack(this, record, step.property, [&] { step.write(*result); });
        else
            step.write(*result);
    } else
        logLine(QStringLiteral("ℹ️ Translation not written: the field changed while it was translated"));
    runNext();
}

void ResumeTranslationRun::finish(Outcome outcome, const QString& error) {
    m_running = false;
    // After a failure the fields written so far stay translated; the next save stores them.
    if (m_context)
        m_context->releaseHeldBack(this);
    // This may run inside one of the session's own callbacks: it goes once that is over.
    if (m_session)
        m_session.release()->deleteLater();
    if (outcome == Outcome::failed)
        logLine(QStringLiteral("❌ Translation failed: ") + error);
    emit finished(outcome, error);
}

} // namespace quillora
