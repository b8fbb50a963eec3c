#include "sharing/morvessa_sharing.h"

#include "editor/resume_save.h"
#include "output/resume_export_snapshot.h"
#include "platform/async.h"

#include <QPointer>

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

QFuture<void> pushResumeToMorvessa(const MorvessaCloudService& service, QObject* screen,
                                   const ResumePtr& resume, const MorvessaPDFStyle& style,
                                   std::function<void()> pdfReady,
                                   std::function<void(Result<QString>)> done) {
    // Everything the worker needs, read from the live résumé now.
    auto snapshot =
        std::make_shared<const ResumeExportSnapshot>(ResumeExportSnapshot::of(*resume, style.storeFilePath));
    const MorvessaResumePayload payload = MorvessaCloudService::makePayload(*resume);
    // Called by the worker once the PDF is written; reaches the screen only while it is open.
    auto notifyPDFReady = std::make_shared<std::function<void()>>(
        [open = QPointer<QObject>(screen), pdfReady = std::move(pdfReady)] {
            if (open && pdfReady)
                pdfReady();
        });
    auto work = [service, snapshot, payload, style, notifyPDFReady]() -> Result<QString> {
        const Result<QString> pdf =
            ResumePDFGenerator::exportPDF(*snapshot, style.shape, style.theme, style.mode);
        if (!pdf)
            return Result<QString>::failure(ErrorKind::storage, pdf.error());
        async_detail::postToUiThread([notifyPDFReady] { (*notifyPDFReady)(); });
        const CloudResult<QString> uploaded = service.upload(payload, *pdf);
        if (!uploaded)
            return Result<QString>::failure(cloudError(uploaded.failure()));
        return uploaded.value();
    };
    const ResultReceiver receiver = ResultReceiver::forResume(resume, screen, kPushWork);
    std::weak_ptr<Resume> target = resume;
    return runInBackground(receiver, std::move(work),
                           [target, receiver, done = std::move(done)](Result<QString> result) {
                               const ResumePtr resume = target.lock();
                               if (resume && result)
                                   resume->setMorvessaRecordName(*result);
                               if (receiver.screen())
                                   done(std::move(result));
                               else if (resume && result)
                                   saveResume(*resume);
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

} // namespace quillora
