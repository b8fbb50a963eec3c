#pragma once

#include "store/model_container.h"

#include <memory>

namespace quillora {

// True exactly when XCODE_RUNNING_FOR_PREVIEWS is "1": the app then runs on an in-memory store
// seeded with a sample résumé and touches no file under the data directory.
bool isRunningForPreviews();

// Inserts the sample résumé into a context that holds none, and saves.
void seedPreviewResume(ModelContext& context);

// Logs the entries of the data directory, in the order the file system gives them.
void logApplicationSupportListing();

// Creates an empty, owner-only store file where there is none yet, so that the store and the
// files SQLite keeps beside it are private whatever the umask.
Status createStoreFileIfMissing();

// The app's store, opened as start-up does it.
struct AppStore final {
    // Absent only when the in-memory preview store could not be made.
    std::unique_ptr<ModelContainer> container;
    // Set when the persistent store directory or file cannot be opened: the app must end with
    // "SwiftData ModelContainer failed: " and this text.
    QString fatalError;
};

// Preview: an in-memory store with the sample résumé. Otherwise: the launch preflight, the store
// directory once more, the store file, then the listing of the data directory.
AppStore openAppStore();

} // namespace quillora
