#pragma once

#include "platform/result.h"

#include <QString>

#include <memory>

namespace quillora {

// One running app per data directory: an advisory lock on a file in the store directory, held
// for the life of the process. The system drops it when the process ends, however it ends, so
// a crash never leaves a stale lock behind. The file itself stays; it holds the owner's process id.
class InstanceLock final {
public:
    enum class Outcome {
        acquired,      // this process now owns the data directory
        heldByAnother, // another running process owns it
        unavailable,   // the lock file cannot be made (a read-only folder, for instance)
    };

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // The lock file's path for a store directory.
    static QString lockFilePath(const QString& storeDirectory);

    // Tries to take the lock without waiting. `lock` is set only when acquired; `error` says why
    // it was not.
    static Outcome tryAcquire(const QString& storeDirectory, std::unique_ptr<InstanceLock>& lock,
                              QString* error = nullptr);

private:
    explicit InstanceLock(int fd)
        : m_fd(fd) {}
    int m_fd = -1;
};

} // namespace quillora
