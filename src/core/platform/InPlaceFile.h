#pragma once
// Rewrites an existing regular file through its own inode, for targets that a
// rename would change (other links, another owner, a folder the writer may
// not change). The old text survives a failure: the room for the new text is
// reserved before a byte is overwritten where the file system can reserve
// it, and the old bytes are kept and put back if any later step fails or the
// write is abandoned.

#include "platform/KeptBytes.h"

#include <string>
#include <string_view>
#include <sys/types.h>

namespace zentory::platform {

class InPlaceFile {
public:
    // Takes `fd`, open for writing at `target` in `folder` (and for reading
    // when `readable`; without it the old bytes cannot be kept).
    InPlaceFile(int fd, std::string target, std::string folder, bool readable);
    // Puts the old text back unless commit() succeeded.
    ~InPlaceFile();
    InPlaceFile(const InPlaceFile&) = delete;
    InPlaceFile& operator=(const InPlaceFile&) = delete;

    // Throws FileError naming the target; the old text is then back in place.
    void write(std::string_view bytes);
    // Writes what is held, cuts the file to the new length and waits for the
    // data to reach the disk. Throws FileError as write() does.
    void commit();

private:
    void flush();
    void reserve(off_t end);
    void keepOldBytes(off_t end);
    void writeAt(std::string_view bytes, off_t offset);
    void restore() noexcept;
    void abandon() noexcept;

    int m_fd;
    std::string m_target;
    bool m_readable;
    bool m_canReserve = true;
    bool m_changed = false; // the file's bytes or length may differ from the old ones
    off_t m_oldSize = 0;
    off_t m_written = 0;
    std::string m_pending; // new bytes not yet written
    KeptBytes m_oldBytes;  // the old file from its start, as far as it was read
};

} // namespace zentory::platform
