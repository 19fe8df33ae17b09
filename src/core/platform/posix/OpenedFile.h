#pragma once
// Reading a file the POSIX side has already opened and checked, so that what
// is read is the very file that was checked, never one found again by name.

#include <cstddef>
#include <string>

namespace zentory::platform {

// readFile (platform/TextFile.h) for the open descriptor `fd`, which it
// closes; `path` names the file in a FileError.
std::string readOpenedFile(int fd, const std::string& path, size_t limit);

} // namespace zentory::platform
