#pragma once
// The one way the program rewrites a file (the exported list, config.ini): the
// old text never gives way to a failed or abandoned write, the file a person
// chose stays that file, and no other user can turn the write elsewhere.
//
// On Linux the name is always resolved by the kernel, opened as a shell's `>`
// opens it (but never truncated), so that the kernel's protections of shared
// folders (fs.protected_symlinks, protected_regular, protected_fifos) apply;
// what the name leads to is then learnt from the open descriptor.
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
// A caught interruption (Interruption.h) ends a write as a failure does.
//
// On Windows the same promises are kept the system's way: the new text goes
// to a short-named file beside the target that the system deletes should the
// program die, and takes the name with ReplaceFileW (which keeps the old
// file's attributes, access list and streams) by way of a backup name, so
// that a replacement stopped halfway is finished or undone. A file with other
// names, or in a folder that refuses new files, is rewritten in place; CON,
// NUL and pipes are written through; the other device names every folder
// holds (aux, prn, com1, lpt1...) are refused.
//
// The parts: InPlaceFile (the locked rewrite in place), Spool (bytes held
// aside meanwhile), posix/FileTarget.h (what a name leads to, asked of the
// descriptor), Interruption.h (signals held off), and the seam of
// platform/StepFailure.h, through which a test fails any step in turn.

#include "platform/write/Interruption.h"

#include <memory>
#include <string>
#include <string_view>

namespace zentory::platform {

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
    // What the platform keeps of the way to the target: its descriptors or
    // handles, names, and whether it replaces, rewrites in place or writes
    // through (SafeFile_posix.cpp, SafeFile_win32.cpp).
    struct State;

    // The platform's write of `bytes`, and its letting go of what a failed
    // write leaves; the interruption rules around them are the same for both.
    void writeNow(std::string_view bytes);
    void discard() noexcept;

    InterruptionGuard m_guard; // first made, last gone: holds a signal off while it lives
    std::string m_target;      // as the caller named it, for messages
    std::unique_ptr<State> m_state;
};

} // namespace zentory::platform
