#pragma once

#include "store/instance_lock.h"
#include "store/model_container.h"

#include <functional>
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

// Why start-up stopped without a store to show.
enum class StartupRefusal {
    none,
    storeUnusable, // the store or its folders cannot be opened (fatalError says why)
    storeReadOnly, // the store cannot be written (its file, its folder, a full disk): it is not opened at all
    anotherInstance, // another running Quillora owns this data directory
    quitByUser,      // the user chose to quit rather than start over an empty store file
};

// The answer to a store file that exists but holds nothing at all.
enum class EmptyStoreChoice {
    startEmpty, // keep the empty file aside under a new name and start with a new store
    quit,       // change nothing and end the program
};
// Asked with the store file's path and the Backups folder's path before anything is written.
using EmptyStoreQuestion = std::function<EmptyStoreChoice(const QString& storeFile, const QString& backups)>;

// The app's store, opened as start-up does it.
struct AppStore final {
    // Held while the app runs: one app per data directory. Declared first, released last.
    std::unique_ptr<InstanceLock> lock;
    // Absent only when the in-memory preview store could not be made, or start-up was refused.
    std::unique_ptr<ModelContainer> container;
    StartupRefusal refusal = StartupRefusal::none;
    // Set whenever start-up was refused: what happened, naming the file. For storeUnusable and
    // storeReadOnly the app ends with "SwiftData ModelContainer failed: " and this text.
    QString fatalError;
};

// Preview: an in-memory store with the sample résumé. Otherwise, before anything is written:
// the data directory's lock (refused when another instance holds it), then a look at the store
// file: an empty one is put to `askAboutEmptyStore` (no question: quit), an unreadable or
// unwritable one is refused untouched. Then the launch preflight, the store directory once more,
// the store file, and the listing of the data directory.
AppStore openAppStore(const EmptyStoreQuestion& askAboutEmptyStore = {});

} // namespace quillora
