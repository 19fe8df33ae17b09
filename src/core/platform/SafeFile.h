#pragma once
// The one way the program rewrites a file (the exported list, config.ini): the
// old text never gives way to a failed or abandoned write, and the file a
// person chose stays that file.
//  - A missing target, or a regular file with one link whose owner, group and
//    mode a new file can take exactly, in a folder that lets the writer
//    create and rename: the bytes go to a temporary file beside it (a short
//    name of fixed length), renamed over the target once all is written.
//  - Any other regular file (more links, another owner, a sticky or read-only
//    folder, extended attributes): rewritten through its own inode, the new
//    length reserved first and the old bytes put back if a step fails.
//  - A name of an open descriptor (/dev/stdout, /dev/fd/N, /proc/PID/fd/N:
//    a link on the proc file system) or a special file (FIFO, socket,
//    terminal, device): written through as it is, never truncated or
//    replaced; the program's own descriptor is used where it is one, so its
//    offset and append mode hold.
// A symbolic link keeps pointing at the file it names, which is the one written.
// A caught interruption (platform/Interruption.h) ends a write as a failure does.

#include "platform/Interruption.h"

#include <memory>
#include <string>
#include <string_view>
#include <sys/stat.h>

namespace zentory::platform {

class InPlaceFile;

class SafeFile {
public:
    // Opens the way to the target. `durable` asks for the new text to reach
    // the disk before it replaces the old one. Throws FileError naming
    // `target`, or its folder when that refuses a new file.
    explicit SafeFile(std::string target, bool durable = false);
    ~SafeFile();
    SafeFile(const SafeFile&) = delete;
    SafeFile& operator=(const SafeFile&) = delete;

    // Appends bytes as they are. Throws FileError naming the target.
    void write(std::string_view bytes);
    // Puts the new content in place. Throws FileError naming the target.
    void commit();

    const std::string& target() const { return m_target; }

private:
    void openWrittenThrough(const std::string& path, bool descriptorName);
    void openInPlace(const std::string& folder);
    bool openReplacement(const std::string& folder, mode_t mode, const struct stat* old);
    void discard() noexcept;

    InterruptionGuard m_guard; // first made, last gone: holds a signal off while it lives
    std::string m_target;      // as the caller named it, for messages
    std::string m_finalPath;   // the target with symbolic links followed
    std::string m_tempPath;    // set while a replacement is being written
    std::unique_ptr<InPlaceFile> m_inPlace;
    int m_fd = -1; // the temporary file or the file written through
    bool m_durable = false;
};

} // namespace zentory::platform
