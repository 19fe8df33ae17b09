#pragma once
// Rewrites an existing regular file through its own inode, for targets that a
// rename would change (other links, another owner, a folder the writer may
// not change). All or nothing, short of SIGKILL and power loss:
//  - one writer at a time: the file is locked from the open to the last step,
//    and a second writer waits a while, then gives up naming the file;
//  - the whole new text is held aside before the first old byte is
//    overwritten, so a failed or abandoned export changes nothing;
//  - the room for it is reserved and the whole old text is kept first; then,
//    with the program's signals held off, it is written and flushed while the
//    file still holds every block it had, and only then cut to its length
//    (and flushed again). On any failure the old text and length are put
//    back; where even that fails, a copy of the old text is left in a file of
//    its own, named in the message.
// A file that may be written but not read cannot have its old bytes kept: it
// is rewritten only once its new length is reserved and within the size limit,
// so that nothing short of a failing disk stops the rewrite halfway.

#include "platform/write/Spool.h"

#include <chrono>
#include <cstdint>
#include <string>
#include <string_view>

namespace zentory::platform {

class InPlaceFile {
public:
    // Takes `file`, open for writing at `target` in `folder` (and for reading
    // when `readable`), locks it, and closes it when it goes. Throws FileError naming the target
    // when another program (a writer, or a reader with a shared lock) holds the file locked longer
    // than the wait allows.
    InPlaceFile(FileHandle file, std::string target, std::string folder, bool readable);
    // Leaves the file as it was unless commit() succeeded.
    ~InPlaceFile();
    InPlaceFile(const InPlaceFile&) = delete;
    InPlaceFile& operator=(const InPlaceFile&) = delete;

    // Holds `bytes` aside. Throws FileError naming the target.
    void write(std::string_view bytes);
    // Holds aside the first `count` bytes of the open `file`.
    void writeFrom(FileHandle file, std::int64_t count);
    // Puts the new text in place as described above. Throws FileError naming
    // the target; the old text is then back in place.
    void commit();

    // How long a second writer waits for the lock.
    static constexpr int kLockWaitSeconds = 10;
    // The wait in force: kLockWaitSeconds unless a test has set another for
    // the rest of the process (and the processes it forks).
    static std::chrono::milliseconds lockWait();
    static void setLockWait(std::chrono::milliseconds wait);

private:
    // The steps each system does its own way (InPlaceFile_posix.cpp, _win32.cpp).
    // One try at an exclusive lock: who holds the file when another program
    // does; throws FileError on any other failure.
    enum class Lock { Taken, HeldByWriter, HeldByReader };
    Lock tryLock();
    // The file's length now. Throws FileError.
    std::int64_t currentSize() const;
    // Throws FileError (EFBIG) when `end` is beyond the process's size limit.
    void checkSizeLimit(std::int64_t end) const;
    // Room for `end` bytes before the first old byte changes. Throws FileError.
    void reserve(std::int64_t end);
    // Each returns 0 or the errno of the failure.
    int cutTo(std::int64_t end) noexcept;
    int flushToDisk() noexcept;
    // Lets go of the file and its lock; closeCommitted() throws FileError
    // ("close") when the last step of a finished rewrite fails.
    void close() noexcept;
    void closeCommitted();

    // cutTo() and flushToDisk(), each a step that a test can make fail.
    int cut(std::int64_t end) noexcept;
    int flush() noexcept;
    void setAside(int err);
    void lock();
    void overwrite();
    int putBack() noexcept;
    [[noreturn]] void restore(int err);

    FileHandle m_file;
    std::string m_target;
    bool m_readable;
    std::int64_t m_oldSize = 0;
    Spool m_text;     // the new text
    Spool m_oldBytes; // the whole old text
};

} // namespace zentory::platform
