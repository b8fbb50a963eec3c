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
#include <QtConcurrent/QtConcurrentRun>

namespace quillora {

namespace {

const QString kPushWork = QStringLiteral("Recruiting network upload");
const QString kRemoveWork = QStringLiteral("Recruiting network removal");

} // namespace

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
    (void)QtConcurrent::run([service, recordName] {
        if (service.deleteRecord(recordName))
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
    auto work = [service, snapshot, payload, style, recordName, notifyPDFReady]() -> PushOutcome {
        const Result<QString> pdf =
            ResumePDFGenerator::exportPDF(*snapshot, style.shape, style.theme, style.mode);
        if (!pdf)
            return {Result<QString>::failure(ErrorKind::storage, pdf.error())};
        async_detail::postToUiThread([notifyPDFReady] { (*notifyPDFReady)(); });
        bool mayRemain = false;
        const CloudResult<QString> uploaded = service.upload(payload, *pdf, recordName, &mayRemain);
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
    auto finishShared = std::make_shared<decltype(finish)>(std::move(finish));
    return QtConcurrent::run([work = std::move(work), finishShared]() mutable {
        auto outcome = std::make_shared<PushOutcome>(work());
        async_detail::postToUiThread([finishShared, outcome] { (*finishShared)(std::move(*outcome)); });
    });
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
    auto work = [service, name = *recordName]() -> Status {
        const CloudResult<Done> deleted = service.deleteRecord(name);
        if (!deleted)
            return Status::failure(cloudError(deleted.failure()));
        return success();
    };
    std::weak_ptr<Resume> target = resume;
    return runInBackground(receiver, std::move(work),
                           [target, name = *recordName, receiver, done = std::move(done)](Status result) {
                               const ResumePtr resume = target.lock();
                               const bool cleared = resume && result && resume->morvessaRecordName() == name;
                               if (cleared)
                                   resume->setMorvessaRecordName(std::nullopt);
                               if (receiver.screen())
                                   done(std::move(result));
                               else if (cleared)
                                   saveResume(*resume);
                           });
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
    auto work = [service, names, held, deadline](QPromise<void>& promise) {
        const std::function<bool()> stopped = [&promise] { return promise.isCanceled(); };
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
    return QtConcurrent::run([work = std::move(work), open](QPromise<void>& promise) {
        auto outcome = std::make_shared<std::pair<States, qsizetype>>(work(promise));
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
