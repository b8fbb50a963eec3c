#pragma once

// Counts the disk syncs SQLite asks for (each one a flush of a file to the disk), so that a
// benchmark can report how many syncs an operation costs beside how long it takes.
#include <sqlite3.h>

#include <QtGlobal>

#include <array>
#include <atomic>
#include <cstdlib>
#include <mutex>
#include <utility>

namespace quillora::bench {

class SyncCounter final {
public:
    // Puts the counting layer in as SQLite's default, over the one it had. Call once, before any
    // database is opened.
    static void install() {
        static const bool installed = [] {
            sqlite3_vfs* base = sqlite3_vfs_find(nullptr);
            if (!base)
                std::abort();
            static sqlite3_vfs counting = *base;
            counting.zName = "quillora-sync-counter";
            counting.pAppData = base;
            counting.xOpen = &open;
            return sqlite3_vfs_register(&counting, 1) == SQLITE_OK;
        }();
        if (!installed)
            std::abort();
    }

    // Syncs since the program started.
    static qint64 syncs() { return count().load(); }

private:
    static std::atomic<qint64>& count() {
        static std::atomic<qint64> value{0};
        return value;
    }

    // Each kind of file the base layer opens has its table of methods: a copy of it, with the
    // sync counted, stands in for it. Every other method keeps working on the base's file.
    struct Patched {
        const sqlite3_io_methods* original = nullptr;
        sqlite3_io_methods copy{};
    };
    static std::array<Patched, 16>& tables() {
        static std::array<Patched, 16> value{};
        return value;
    }

    static int sync(sqlite3_file* file, int flags) {
        ++count();
        for (const Patched& table : tables()) {
            if (&table.copy == file->pMethods)
                return table.original->xSync(file, flags);
        }
        return SQLITE_IOERR_FSYNC;
    }

    static const sqlite3_io_methods* patched(const sqlite3_io_methods* methods) {
        static std::mutex mutex; // files open on workers too
        const std::lock_guard lock(mutex);
        for (Patched& table : tables()) {
            if (table.original == methods)
                return &table.copy;
            if (!table.original) {
                table.original = methods;
                table.copy = *methods;
                table.copy.xSync = &sync;
                return &table.copy;
            }
        }
        return methods; // more kinds than room: not counted
    }

    static int open(sqlite3_vfs* vfs, sqlite3_filename name, sqlite3_file* file, int flags, int* outFlags) {
        auto* base = static_cast<sqlite3_vfs*>(vfs->pAppData);
        const int rc = base->xOpen(base, name, file, flags, outFlags);
        if (rc == SQLITE_OK && file->pMethods)
            file->pMethods = patched(file->pMethods);
        return rc;
    }
};

} // namespace quillora::bench
