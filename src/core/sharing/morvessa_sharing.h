#pragma once

#include "model/resume.h"
#include "output/background_theme.h"
#include "output/resume_pdf_generator.h"
#include "platform/result.h"
#include "sharing/morvessa_cloud_service.h"

#include <QFuture>
#include <QObject>

#include <chrono>
#include <functional>
#include <memory>

namespace quillora {

class ModelContext;

// The look of the PDF that travels with a shared résumé.
struct MorvessaPDFStyle final {
    BackgroundShapeType shape = BackgroundShapeType::circles;
    BackgroundColorTheme theme = BackgroundColorTheme::pastel;
    ResumeLayoutMode mode = ResumeLayoutMode::creative;
    // The store the résumé lives in (empty for an in-memory store): images still only there are
    // read by the worker rather than on the UI thread.
    QString storeFilePath;
};

// The work behind the editor's push and remove actions; the editor keeps its buttons, busy
// flag and messages. Both read the résumé now (on the UI thread), do the slow part on a
// worker (rendering the PDF, talking to the database) and come back on the UI thread.
//
// The outcome is the résumé's: its record name is kept right, and saved, as long as the résumé
// exists, even when the screen that asked has closed meanwhile. While `screen` is open, `done`
// is called after a success instead of the closing save and saves through the screen's own
// routine; once it has closed, the résumé is saved here. Failures carry the user's message as their text, and
// a kind: accountStatus (code: the account status), cloud (code: the database's error code), storage (the PDF
// could not be written) or general.

// Renders the résumé's PDF into a file of the push's own (removed once the upload ends) and
// publishes exactly that under a new record name, which is given to the
// résumé (morvessaRecordName) and saved with it before anything is published: every record a
// push publishes is one the app can remove, even when the app is killed meanwhile. A failed push
// clears the name again, unless the record may be there after all; a push whose résumé was
// deleted, or no longer holds the name, takes down what it published. `done` gets the name.
// `pdfReady` is called (on the UI thread, while the screen is open) once the PDF exists and the
// upload starts.
QFuture<void> pushResumeToMorvessa(const MorvessaCloudService& service, QObject* screen,
                                   const ResumePtr& resume, const MorvessaPDFStyle& style,
                                   std::function<void()> pdfReady, std::function<void(Result<QString>)> done);

// Settles the pushes an earlier run did not see to their end (it was killed meanwhile). A
// record whose name a résumé of `context` holds stays when it was published, and the résumé's
// name is cleared when it was not; a record that no résumé holds is taken down. The database is
// asked on a worker, over one connection, for `timeLimit` at most in all; cancelling the future
// (as quitting does) ends the run within a moment. A name not settled in the run is tried again
// at the next start. What was settled is applied on the UI thread, with one write of the list.
QFuture<void> settleInterruptedMorvessaPushes(const MorvessaCloudService& service, ModelContext& context,
                                              std::chrono::milliseconds timeLimit = std::chrono::seconds(30));

// Deletes the record named by the résumé's morvessaRecordName and clears the name. A résumé
// that is not shared succeeds at once. The name is in the list of pushes in progress while the
// removal runs, and stays there when its answer was lost, for the next start to settle.
QFuture<void> removeResumeFromMorvessa(const MorvessaCloudService& service, QObject* screen,
                                       const ResumePtr& resume, std::function<void(Status)> done);

// Pushes, removals and the settling talk to the database on workers that quitting does not wait
// for without end. stopMorvessaWork() makes every call of the work begun so far give up within a
// moment (none begins a connection any more) and drops the outcomes it has not applied yet: a push
// or removal cut short stays in the list of pushes in progress, and the next start settles it
// against what the database holds. Work begun later runs as usual.
void stopMorvessaWork();
// Waits until no worker talks to the database any more, `limit` at most; true when none does. A
// worker may still be held up where nothing can stop it (a host name the resolver never answers).
bool waitForMorvessaWork(std::chrono::milliseconds limit);
// Keeps `held` (the instance lock) until no worker talks to the database any more, so that no
// other start settles what a worker may still change; lets it go at once when none does.
void holdWhileMorvessaWorkRuns(std::shared_ptr<void> held);

// A cloud failure as the app's error: the user's message and its kind.
Error cloudError(const CloudFailure& failure);

} // namespace quillora
