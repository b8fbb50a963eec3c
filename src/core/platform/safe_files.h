#pragma once

#include "platform/result.h"

#include <QIODevice>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

// Files and folders the app creates: owner-only whatever the umask, written atomically, and never
// written through a link that someone planted at the name.
namespace quillora::files {

// The system's text for an error number ("No space left on device", "File too large").
QString systemErrorText(int error);

// Creates the folder and any missing parents; every folder made here is 0700. Folders that
// already exist are left as they are; a file in the way is an error naming the path.
Status makePrivateDirectoryPath(const QString& path);

// True when something at `path` (a file, a folder or a link) belongs to another user: it may be
// neither replaced nor written into.
bool heldByAnotherUser(const QString& path);

// The temporary directory every file the app writes outside its own folders goes to: $TMPDIR, or
// /tmp when that is unset or empty, as an absolute path without links. An error that names it when
// it is not an absolute path, does not exist, is not a folder or cannot be written into: nothing
// then falls back on another folder (the working directory least of all).
Result<QString> temporaryFolder();

// A new folder of ours in the temporary directory, named `prefix` and six random letters or digits,
// made exclusively and owner-only. For what would go to a shared name that another user holds.
Result<QString> makePrivateTemporaryFolder(const QString& prefix);

// The same, held as in use for as long as this process runs: every folder made so holds a link
// (".lock") to one lock file that the process keeps locked, so removeAbandonedTemporaryFolders()
// of any process leaves it alone until this one ends, however it ends.
Result<QString> makeHeldTemporaryFolder(const QString& prefix);
// Removes a folder that makeHeldTemporaryFolder() made once nothing but its lock is left in it.
void removeHeldTemporaryFolderIfEmpty(const QString& folder);
// Removes, with what they hold, the folders that makeHeldTemporaryFolder(`prefix`) made in
// processes that have ended: only folders directly in the temporary directory, with that name
// form, this user's, neither links nor changed within the last minute (one may be being made),
// and whose lock no running process holds. In them only this user's files and links go (a link
// is removed, never followed); a folder with anything else in it stays. Returns how many folders
// were removed.
int removeAbandonedTemporaryFolders(const QString& prefix);

// Copies a regular file to a new file (0600) that must not exist yet; a link or anything else
// at the destination is an error, never followed. A failed copy leaves no destination behind.
Status copyFilePrivately(const QString& source, const QString& destination);

// Writes a file in place of `targetPath` all at once or not at all. The bytes go into a new
// owner-only temporary file beside the target (short fixed-length name, created exclusively,
// links never followed), which commit() flushes to disk and renames over the target. A link at
// the target is replaced, not its destination; a target that belongs to another user, or is a
// folder, is an error that leaves it alone.
class AtomicFileWriter final {
public:
    // `flushed`: commit() waits until the bytes are on disk, for files that hold the user's data.
    // `cached`: for copies the app can make again (an export in the temporary folder), left to the
    // system's cache; still all or nothing, and never through a link.
    enum class Durability { flushed, cached };

    explicit AtomicFileWriter(QString targetPath, Durability durability = Durability::flushed);
    ~AtomicFileWriter(); // discards the temporary file unless committed
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    Status open();
    // Where to write between open() and commit().
    QIODevice* device() { return &m_file; }
    // The error number of the first write through device() that the system refused, or 0; commit()
    // then fails with its text ("No space left on device").
    int writeError() const { return m_file.firstError; }
    Status commit();
    void cancel();

    QString targetPath() const { return m_target; }

private:
    Status failure(const QString& cause) const;

    // Writes straight to the descriptor and keeps the first error, which QFile would forget at
    // the next successful call.
    class Device final : public QIODevice {
    public:
        int fd = -1;
        int firstError = 0;
        bool seek(qint64 position) override;

    protected:
        qint64 readData(char*, qint64) override { return -1; }
        qint64 writeData(const char* data, qint64 size) override;
    };

    QString m_target;
    Durability m_durability;
    QString m_temporary;
    Device m_file;
    int m_fd = -1;
};

// A file the app reads back (a list of its own, a backup it wrote), opened so that nothing found
// at the name can mislead or hold it: a link there is not followed, a pipe, device or folder is
// looked at but never opened, and the file is opened without waiting on a writer and checked
// again once open, in case it was swapped meanwhile. With `onlyOurs`, a file that belongs to
// another user is refused too. Closed when this goes.
class ReadOnlyFile final {
public:
    enum class Owner { anyone, onlyOurs };

    explicit ReadOnlyFile(const QString& path, Owner owner = Owner::anyone);
    ~ReadOnlyFile();
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;

    bool isOpen() const { return m_fd >= 0; }
    // Why it is not open: ENOENT when nothing is there, ELOOP for a link, EINVAL for anything
    // that is not a regular file, EPERM for another user's file, or the system's error.
    int error() const { return m_error; }
    // Its size when it was opened.
    qint64 size() const { return m_size; }
    // The open descriptor, for fstat and the like; -1 when not open.
    int descriptor() const { return m_fd; }
    // Up to `length` bytes from `offset`, fewer at the end of the file; nullopt when reading fails.
    std::optional<QByteArray> read(qint64 offset, qsizetype length) const;
    // Why it is not open, in words, for a log line.
    QString errorText() const;

private:
    int m_fd = -1;
    int m_error = 0;
    qint64 m_size = 0;
};

// Whether a file name is one of a caller's own short-lived files (given a name from a folder).
using LeftoverName = std::function<bool(const char* name)>;

// Removes what AtomicFileWriter left behind in `folder` when a process ended in the middle of a
// write: files named ".quillora-" and six letters or digits, or named as `isLeftover` accepts,
// regular files of this user's that no writer holds (a writer locks its file until it is
// renamed; a reader that needs a file to stay locks it too) and that have not changed for a
// minute. Nothing else is touched; a folder that cannot be read, or is a link, is skipped.
// Returns how many files were removed.
int removeLeftoverTemporaryFiles(const QString& folder, const LeftoverName& isLeftover = {});

// The same in every private folder that makePrivateTemporaryFolder(`prefix`) made in the temporary
// directory and a process left behind: only folders of this user's with that name form are
// entered, and one is removed when it is empty and has not changed for a minute. Returns how
// many files and folders were removed.
int removeLeftoverPrivateTemporaryFolders(const QString& prefix, const LeftoverName& isLeftover = {});

// Writes all of `bytes` with an AtomicFileWriter.
Status writeFileAtomically(const QString& path, const QByteArray& bytes);

} // namespace quillora::files
