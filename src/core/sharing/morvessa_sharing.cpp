#include "sharing/morvessa_sharing.h"

#include "editor/resume_save.h"
#include "output/resume_export_snapshot.h"
#include "platform/async.h"
#include "platform/log.h"
#include "sharing/morvessa_push_journal.h"
#include "store/model_context.h"

#include <QHash>
#include <QPointer>
#include <QPromise>
#include <QSet>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <vector>

namespace quillora {

namespace {

const QString kPushWork = QStringLiteral("Recruiting network upload");
const QString kRemoveWork = QStringLiteral("Recruiting network removal");

// The workers that talk to the recruiting network's database. They run on a pool of their own,
// which nothing waits for at exit: quitting stops them and waits a bounded time instead.
struct MorvessaWorkers final {
    QThreadPool pool;
    std::mutex mutex;
    std::condition_variable idle;
    int running = 0;                         // queued or running
    std::vector<std::shared_ptr<void>> held; // let go once none runs
    std::atomic<quint64> stops{0};           // how often stopMorvessaWork() was called
};

MorvessaWorkers& workers() {
    static MorvessaWorkers* const all = [] {
        auto* made = new MorvessaWorkers; // lives for the whole process
        made->pool.setMaxThreadCount(8);
        return made;
    }();
    return *all;
}

// One piece of that work, counted as running from when it is queued (on the UI thread) until its
// worker lets it go, once it no longer talks to the database.
class MorvessaJob final {
public:
    MorvessaJob()
        : m_stops(workers().stops.load()) {
        const std::lock_guard lock(workers().mutex);
        ++workers().running;
    }
    ~MorvessaJob() {
        std::vector<std::shared_ptr<void>> released; // let go outside the lock
        const std::lock_guard lock(workers().mutex);
        if (--workers().running == 0) {
            released.swap(workers().held);
            workers().idle.notify_all();
        }
    }
    MorvessaJob(const MorvessaJob&) = delete;
    MorvessaJob& operator=(const MorvessaJob&) = delete;

    // True once quitting began after the job was made: its calls give up and its outcome is dropped.
    std::function<bool()> stopped() const {
        return [stops = m_stops] { return workers().stops.load() != stops; };
    }

private:
    quint64 m_stops;
};

// Runs `work` on the database workers and hands its outcome to `finish` on the UI thread, unless
// quitting began meanwhile: the outcome is then dropped, and what the job listed stays listed for
// the next start to settle against what the database holds by then.
template <typename Work, typename Finish>
QFuture<void> runMorvessaJob(std::shared_ptr<const MorvessaJob> job, Work work, Finish finish) {
    const std::function<bool()> stopped = job->stopped();
    auto finishShared = std::make_shared<Finish>(std::move(finish));
    return QtConcurrent::run(&workers().pool, [job, stopped, work = std::move(work), finishShared]() mutable {
        auto outcome = std::make_shared<decltype(work())>(work());
        job.reset();
        if (stopped())
            return;
        async_detail::postToUiThread([stopped, finishShared, outcome] {
            if (!stopped())
                (*finishShared)(std::move(*outcome));
        });
    });
}

} // namespace

void stopMorvessaWork() {
    ++workers().stops;
}

bool waitForMorvessaWork(std::chrono::milliseconds limit) {
    std::unique_lock lock(workers().mutex);
    return workers().idle.wait_for(lock, limit, [] { return workers().running == 0; });
}

void holdWhileMorvessaWorkRuns(std::shared_ptr<void> held) {
    const std::lock_guard lock(workers().mutex);
    if (workers().running > 0)
        workers().held.push_back(std::move(held));
}

Error cloudError(const CloudFailure& failure) {
    Error error;
    error.text = localizedDescription(failure);
    if (const auto* mapped = std::get_if<QuilloraCloudKitError>(&failure)) {
        if (const auto* unavailable = mapped->as<QuilloraCloudKitError::Unavailable>()) {
            error.kind = ErrorKind::accountStatus;
            error.code = unavailable->status;
        } else if (mapped->as<QuilloraCloudKitError::PermissionFailure>()) {
            error.kind = ErrorKind::cloud;
            error.code = CKError::permissionFailure;
        } else if (const auto* ck = mapped->as<CKError>()) {
            error.kind = ErrorKind::cloud;
            error.code = ck->code;
        }
    } else if (const auto* ck = std::get_if<CKError>(&failure)) {
        error.kind = ErrorKind::cloud;
        error.code = ck->code;
    }
    return error;
}

namespace {

// What a push's worker reports: the record name or the failure, and whether a record may be
// in the database although the push failed.
struct PushOutcome final {
    Result<QString> result;
    bool mayRemain = false;
};

// Takes down a record that no résumé will hold, on a worker; its name leaves the list of pushes
// in progress once it is gone, and stays there for the next start to try again otherwise.
void withdrawOrphanedRecord(const MorvessaCloudService& service, const QString& recordName) {
    auto job = std::make_shared<const MorvessaJob>();
    (void)QtConcurrent::run(&workers().pool, [job, service, recordName]() mutable {
        const bool gone = bool(service.stoppedBy(job->stopped()).deleteRecord(recordName));
        job.reset();
        if (gone)
            async_detail::postToUiThread([recordName] { morvessaPushJournal::remove({recordName}); });
    });
}

// Gives the résumé the name it is about to be published under, in the store as well, before
// anything is published; on failure nothing is to be published.
Status noteRecordName(Resume& resume, const QString& recordName) {
    if (const Status noted = morvessaPushJournal::add(recordName); !noted)
        return Status::failure(QStringLiteral("The list of pushes in progress could not be saved: ") +
                               noted.error());
    resume.setMorvessaRecordName(recordName);
    if (ModelContext* context = resume.modelContext()) {
        if (const Status saved = context->save(); !saved) {
            resume.setMorvessaRecordName(std::nullopt);
            morvessaPushJournal::remove({recordName});
            return Status::failure(QStringLiteral("The résumé could not be saved: ") + saved.error());
        }
    }
    return success();
}

} // namespace

QFuture<void> pushResumeToMorvessa(const MorvessaCloudService& service, QObject* screen,
                                   const ResumePtr& resume, const MorvessaPDFStyle& style,
                                   std::function<void()> pdfReady,
                                   std::function<void(Result<QString>)> done) {
    // Everything the worker needs, read from the live résumé now.
    auto snapshot =
        std::make_shared<const ResumeExportSnapshot>(ResumeExportSnapshot::of(*resume, style.storeFilePath));
    const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*resume);
    const ResultReceiver receiver = ResultReceiver::forResume(resume, screen, kPushWork);
    const QString recordName = MorvessaCloudService::newRecordName();
    if (const Status noted = noteRecordName(*resume, recordName); !noted) {
        deliverLater(receiver, [receiver, done = std::move(done), error = noted.errorInfo()] {
            if (receiver.screen())
                done(Result<QString>::failure(error));
        });
        return QtFuture::makeReadyFuture();
    }
    // Called by the worker once the PDF is written; reaches the screen only while it is open.
    auto notifyPDFReady = std::make_shared<std::function<void()>>(
        [open = QPointer<QObject>(screen), pdfReady = std::move(pdfReady)] {
            if (open && pdfReady)
                pdfReady();
        });
    auto job = std::make_shared<const MorvessaJob>();
    const std::function<bool()> stopped = job->stopped();
    auto work = [service = service.stoppedBy(stopped), snapshot, payload, style, recordName,
                 notifyPDFReady]() -> PushOutcome {
        const Result<QString> pdf =
            ResumePDFGenerator::exportPDF(*snapshot, style.shape, style.theme, style.mode);
        if (!pdf)
            return {Result<QString>::failure(ErrorKind::storage, pdf.error())};
        async_detail::postToUiThread([notifyPDFReady] { (*notifyPDFReady)(); });
        bool mayRemain = false;
        // The PDF is this push's own file, in a folder no other export or push writes to, so what
        // is published is what was rendered here for this résumé; it goes once published.
        const CloudResult<QString> uploaded = service.upload(payload, *pdf, recordName, &mayRemain);
        ResumePDFGenerator::removeExport(*pdf);
        if (!uploaded)
            return {Result<QString>::failure(cloudError(uploaded.failure())), mayRemain};
        return {uploaded.value()};
    };
    // Delivered whether or not the résumé still exists: what was published for a résumé that is
    // gone, or that no longer holds the name (removed meanwhile), is taken down again.
    std::weak_ptr<Resume> target = resume;
    auto finish = [service, target, receiver, recordName, done = std::move(done)](PushOutcome outcome) {
        const ResumePtr resume = target.lock();
        const bool exists = resume && !resume->isDeleted();
        const bool holdsName = exists && resume->morvessaRecordName() == recordName;
        if (!holdsName) {
            if (outcome.result || outcome.mayRemain) {
                logLine(QStringLiteral("🗑️ Withdrawing a record whose résumé no longer holds it: ") +
                        recordName);
                withdrawOrphanedRecord(service, recordName);
            } else {
                morvessaPushJournal::remove({recordName});
            }
        } else if (outcome.result) {
            morvessaPushJournal::remove({recordName});
        } else if (!outcome.mayRemain) {
            // Nothing was published: the résumé is not shared.
            morvessaPushJournal::remove({recordName});
            resume->setMorvessaRecordName(std::nullopt);
            if (ModelContext* context = resume->modelContext()) {
                if (const Status saved = context->save(); !saved)
                    logLine(QStringLiteral("❌ Morvessa push failure could not be saved: ") + saved.error());
            }
        }
        // A record that may be there keeps its name on the résumé, which can then remove it; the
        // next start checks it.
        if (!exists) {
            logLine(QStringLiteral("⏭️ ") + kPushWork +
                    QStringLiteral(" result dropped: its résumé was deleted"));
            return;
        }
        if (receiver.screen())
            done(std::move(outcome.result));
        else if (holdsName && outcome.result)
            saveResume(*resume);
    };
    return runMorvessaJob(std::move(job), std::move(work), std::move(finish));
}

QFuture<void> removeResumeFromMorvessa(const MorvessaCloudService& service, QObject* screen,
                                       const ResumePtr& resume, std::function<void(Status)> done) {
    const std::optional<QString> recordName = resume->morvessaRecordName();
    const ResultReceiver receiver = ResultReceiver::forResume(resume, screen, kRemoveWork);
    if (!recordName) {
        deliverLater(receiver, [receiver, done = std::move(done)] {
            if (receiver.screen())
                done(success());
        });
        return QtFuture::makeReadyFuture();
    }
    // Listed while it runs, as a push is: a removal that quitting cuts short, or whose answer was
    // lost, is settled at the next start against what the database holds.
    const QString name = *recordName;
    const bool listedBefore = morvessaPushJournal::names().contains(name);
    if (!listedBefore) {
        if (const Status noted = morvessaPushJournal::add(name); !noted) {
            deliverLater(receiver, [receiver, done = std::move(done), error = noted.error()] {
                if (receiver.screen())
                    done(Status::failure(
                        QStringLiteral("The list of pushes in progress could not be saved: ") + error));
            });
            return QtFuture::makeReadyFuture();
        }
    }
    auto job = std::make_shared<const MorvessaJob>();
    const std::function<bool()> stopped = job->stopped();
    std::weak_ptr<Resume> target = resume;
    auto finish = [target, name, listedBefore, receiver, done = std::move(done)](CloudResult<Done> deleted) {
        const ResumePtr resume = target.lock();
        const bool exists = resume && !resume->isDeleted();
        const Status result = deleted ? success() : Status::failure(cloudError(deleted.failure()));
        const bool cleared = exists && deleted && resume->morvessaRecordName() == name;
        if (cleared)
            resume->setMorvessaRecordName(std::nullopt);
        if (exists && receiver.screen())
            done(result);
        else if (cleared)
            saveResume(*resume);
        else if (!exists)
            logLine(QStringLiteral("⏭️ ") + kRemoveWork +
                    QStringLiteral(" result dropped: its résumé was deleted"));
        // A record still there for a résumé that is gone stays listed: the next start removes it.
        const bool answerLost = !result && result.errorInfo().is(ErrorKind::cloud) &&
                                result.errorInfo().code == CKError::networkFailure;
        if (result || (exists && !listedBefore && !answerLost))
            morvessaPushJournal::remove({name});
    };
    return runMorvessaJob(
        std::move(job), [service = service.stoppedBy(stopped), name] { return service.deleteRecord(name); },
        std::move(finish));
}

QFuture<void> settleInterruptedMorvessaPushes(const MorvessaCloudService& service, ModelContext& context,
                                              std::chrono::milliseconds timeLimit) {
    const QStringList names = morvessaPushJournal::names();
    if (names.isEmpty())
        return QtFuture::makeReadyFuture();
    QSet<QString> held;
    if (const auto resumes = context.fetchResumes()) {
        const QSet<QString> listed(names.cbegin(), names.cend());
        for (const ResumePtr& resume : *resumes) {
            if (const auto name = resume->morvessaRecordName(); name && listed.contains(*name))
                held.insert(*name);
        }
    }
    enum class State { published, absent, unknown };
    using States = QList<std::pair<QString, State>>;
    const auto deadline = std::chrono::steady_clock::now() + timeLimit;
    // One connection for the whole run, which ends at the deadline or as soon as the future is
    // cancelled (the app quits); the names it did not reach stay listed for the next start.
    auto job = std::make_shared<const MorvessaJob>();
    auto work = [service, names, held, deadline, quitting = job->stopped()](QPromise<void>& promise) {
        const std::function<bool()> stopped = [&promise, &quitting] {
            return promise.isCanceled() || quitting();
        };
        MorvessaCloudService::Session session = service.session(deadline, stopped);
        States states;
        for (const QString& name : names) {
            if (stopped() || std::chrono::steady_clock::now() >= deadline || !session.usable())
                break;
            State state = State::unknown;
            if (held.contains(name)) {
                if (const CloudResult<bool> exists = session.recordExists(name))
                    state = exists.value() ? State::published : State::absent;
            } else if (session.deleteRecord(name)) {
                state = State::absent;
            }
            states.append({name, state});
        }
        return std::make_pair(states, names.size() - states.size());
    };
    QPointer<ModelContext> open = &context;
    return QtConcurrent::run(&workers().pool, [job, work = std::move(work),
                                               open](QPromise<void>& promise) mutable {
        auto outcome = std::make_shared<std::pair<States, qsizetype>>(work(promise));
        job.reset();
        async_detail::postToUiThread([outcome, open] {
            if (!open)
                return; // the store has closed: the names stay for the next start
            const auto& [states, notReached] = *outcome;
            QHash<QString, QList<ResumePtr>> holders;
            if (const auto resumes = open->fetchResumes()) {
                for (const ResumePtr& resume : *resumes) {
                    if (const auto name = resume->morvessaRecordName())
                        holders[*name].append(resume);
                }
            }
            QStringList settled;
            bool cleared = false;
            for (const auto& [name, state] : states) {
                if (state == State::unknown) {
                    logLine(
                        QStringLiteral("⚠️ An interrupted push to Morvessa could not be checked; it is "
                                       "checked again at the next start: ") +
                        name);
                    continue;
                }
                if (state == State::absent) {
                    // Published by nothing: a résumé that still holds the name is not shared.
                    for (const ResumePtr& resume : holders.value(name)) {
                        if (resume->morvessaRecordName() == name) {
                            resume->setMorvessaRecordName(std::nullopt);
                            cleared = true;
                        }
                    }
                }
                logLine((state == State::published
                             ? QStringLiteral("☁️ Interrupted push to Morvessa was published: ")
                             : QStringLiteral(
                                   "🗑️ Interrupted push to Morvessa settled, no record of it left: ")) +
                        name);
                settled << name;
            }
            if (notReached > 0)
                logLine(
                    QStringLiteral("⚠️ %1 interrupted push(es) to Morvessa were not checked in this run; "
                                   "they are checked again at the next start")
                        .arg(notReached));
            morvessaPushJournal::remove(settled);
            if (cleared) {
                if (const Status saved = open->save(); !saved)
                    logLine(QStringLiteral("❌ Morvessa push settlement could not be saved: ") +
                            saved.error());
            }
        });
    });
}

} // namespace quillora
