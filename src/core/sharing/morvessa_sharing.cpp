#include "sharing/morvessa_sharing.h"

#include "output/resume_export_snapshot.h"
#include "platform/async.h"

#include <QCoreApplication>

namespace quillora {

namespace {

const QString kPushWork = QStringLiteral("Recruiting network upload");
const QString kRemoveWork = QStringLiteral("Recruiting network removal");

// Delivery bound to the résumé alone, so that its record name is kept whatever the screen does.
ResultReceiver resumeReceiver(const ResumePtr& resume, const QString& what) {
    return ResultReceiver(QCoreApplication::instance(), resume, what);
}

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

QFuture<void> pushResumeToMorvessa(const MorvessaCloudService& service, QObject* screen,
                                   const ResumePtr& resume, const MorvessaPDFStyle& style,
                                   std::function<void(Result<QString>)> done) {
    // Everything the worker needs, read from the live résumé now.
    auto snapshot =
        std::make_shared<const ResumeExportSnapshot>(ResumeExportSnapshot::of(*resume, style.storeFilePath));
    const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*resume);
    auto work = [service, snapshot, payload, style]() -> Result<QString> {
        const Result<QString> pdf =
            ResumePDFGenerator::exportPDF(*snapshot, style.shape, style.theme, style.mode);
        if (!pdf)
            return Result<QString>::failure(ErrorKind::storage, pdf.error());
        const CloudResult<QString> uploaded = service.upload(payload, *pdf);
        if (!uploaded)
            return Result<QString>::failure(cloudError(uploaded.failure()));
        return uploaded.value();
    };
    ResultReceiver screenReceiver(screen, resume, kPushWork);
    std::weak_ptr<Resume> target = resume;
    return runInBackground(resumeReceiver(resume, kPushWork), std::move(work),
                           [target, screenReceiver, done = std::move(done)](Result<QString> result) {
                               if (const ResumePtr resume = target.lock(); resume && result)
                                   resume->setMorvessaRecordName(*result);
                               if (screenReceiver.accepts())
                                   done(std::move(result));
                           });
}

QFuture<void> removeResumeFromMorvessa(const MorvessaCloudService& service, QObject* screen,
                                       const ResumePtr& resume, std::function<void(Status)> done) {
    const std::optional<QString> recordName = resume->morvessaRecordName();
    ResultReceiver screenReceiver(screen, resume, kRemoveWork);
    if (!recordName) {
        deliverLater(screenReceiver, [done = std::move(done)] { done(success()); });
        return QtFuture::makeReadyFuture();
    }
    auto work = [service, name = *recordName]() -> Status {
        const CloudResult<Done> deleted = service.deleteRecord(name);
        if (!deleted)
            return Status::failure(cloudError(deleted.failure()));
        return success();
    };
    std::weak_ptr<Resume> target = resume;
    return runInBackground(
        resumeReceiver(resume, kRemoveWork), std::move(work),
        [target, name = *recordName, screenReceiver, done = std::move(done)](Status result) {
            const ResumePtr resume = target.lock();
            if (resume && result && resume->morvessaRecordName() == name)
                resume->setMorvessaRecordName(std::nullopt);
            if (screenReceiver.accepts())
                done(std::move(result));
        });
}

} // namespace quillora
