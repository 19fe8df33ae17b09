#pragma once
// The one way the program rewrites a file (the exported list, config.ini): the
// old text never gives way to a failed or abandoned write, the file a person
// chose stays that file, and no other user can turn the write elsewhere.
//
// The name is always resolved by the kernel, opened as a shell's `>` opens it
// (but never truncated), so that the kernel's protections of shared folders
// (fs.protected_symlinks, protected_regular, protected_fifos) apply; what the
// name leads to is then learnt from the open descriptor.
//  - Nothing at the name: the text goes to an unnamed file in its folder,
//    given the name once all is written (a short temporary name where the file
//    system has no unnamed files).
//  - A regular file with one link, no extended attributes and no file flags a
//    new file would lack, in a folder that lets the writer rename, and whose
//    owner, group and mode a new file can take exactly: the same, renamed over
//    it. Through a symbolic link only when the link and the file's folder are
//    the writer's own.
//  - Any other regular file: rewritten through its own inode (InPlaceFile);
//    so is one whose name a rename cannot take (a file mounted over it).
//  - A name of an open descriptor (/dev/stdout, /dev/fd/N) or a special file
//    (FIFO, socket, terminal, device): written through as it is, never
//    truncated or replaced; the program's own descriptor is used where it is
//    one, so its offset and append mode hold.
// A symbolic link that another user put in a shared sticky folder is never
// followed, whatever the kernel's fs.protected_symlinks says.
// A failure leaves the old text; where the new text already has the name the
// message says so ("the new text is in place"), and where the old text could
// not be put back it says that and where a copy of it is.
// A caught interruption (platform/Interruption.h) ends a write as a failure does.

#include "platform/write/Interruption.h"

#include <memory>
#include <string>
#include <string_view>

// The POSIX side's file status; its members are the POSIX source's business.
struct stat;

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
    void openMissing();
    void openExisting();
    void openWrittenThrough(int fd);
    bool openReplacement(int folder, const struct stat* old);
    bool replaceWhereItIs(int fd, const struct stat& st);
    void openInPlace(int fd);
    void rewriteInstead();
    void writeAll(std::string_view bytes);
    void putInPlace();
    void discard() noexcept;

    InterruptionGuard m_guard; // first made, last gone: holds a signal off while it lives
    std::string m_target;      // as the caller named it, for messages
    std::unique_ptr<InPlaceFile> m_inPlace;
    int m_fd = -1;           // the replacement, or the file written through
    int m_folder = -1;       // the folder of a replacement
    std::string m_name;      // its name there
    std::string m_tempName;  // the replacement's short name, where it has one
    bool m_replaces = false; // a file is at m_name, to be renamed over
    bool m_durable = false;
};

} // namespace zentory::platform
