#pragma once
// What SafeFile learns about the file a name leads to, and the steps of making
// its replacement: every name is resolved by the kernel, and what a name turned
// out to be is asked of the open descriptor.

#include "platform/Paths.h"

#include <string>
#include <sys/types.h>

namespace zentory::platform {

// Whether `target` names an open descriptor through the proc file system
// (/dev/stdout, /dev/fd/N, /proc/PID/fd/N), and whether it is one of this
// process's own that leads to the same file as the kernel's own look-up of
// `target`.
struct DescriptorName {
    enum Kind { None, Own, Other } kind = None;
    int descriptor = -1; // with Own
};
DescriptorName descriptorName(const std::string& target);

// The first symbolic link on the way to `target` that the kernel's
// fs.protected_symlinks would refuse to follow: one in a sticky folder that
// everyone may write to (such as /tmp), owned neither by the writer nor by
// the folder's owner. "" when there is none. It is refused whatever the
// setting is, as another user could plant it to turn a write elsewhere.
std::string foreignLinkInSharedFolder(const std::string& target);

// Whether the file open at `fd` carries extended attributes (an access list,
// a security label, a user's own).
bool hasExtendedAttributes(int fd);
// The file flags of `fd` that a person can see with lsattr (0 where the file
// system has none).
unsigned fileFlags(int fd);

// The folder that holds the regular file open at `fd` under the name
// `target`, with the file's name there. Through a symbolic link, only when
// that link and the file's folder belong to the writer: the folder is then
// opened by the kernel's path of the file, following no link on the way.
// `folder` is -1 where none qualifies.
struct FileFolder {
    int folder = -1; // an O_PATH descriptor
    std::string name;
};
FileFolder folderHolding(const std::string& target, int fd);

// A descriptor of the file open at `fd` (named `target`) for reading and
// writing, or -1 when the writer may not read it.
int reopenForReading(const std::string& target, int fd);

// A new file in `folder` with `mode` (before the umask): unnamed where the
// file system has unnamed files (and /proc is there to name it by), else under
// a short temporary name.
struct NewFile {
    int fd = -1;
    std::string name; // the temporary name; "" for an unnamed file
    int error = 0;    // with fd -1
};
NewFile createIn(int folder, mode_t mode);

// Gives the unnamed file `fd` the name `name` in `folder`. Returns 0 or the
// errno (EEXIST when the name is taken).
int linkUnnamed(int fd, int folder, const std::string& name);
// Gives it a short temporary name there and returns that ("" and errno set
// on failure).
std::string linkUnnamedAside(int fd, int folder);

// Flushes the folder's entries to the disk. Returns 0 or the errno.
int syncFolder(int folder);

} // namespace zentory::platform
