#pragma once
// The POSIX descriptor behind a FileHandle of the platform layer, and back.

#include "platform/FileHandle.h"

namespace zentory::platform {

inline int descriptorOf(FileHandle file) {
    return static_cast<int>(file.native());
}

inline FileHandle fileHandleOf(int fd) {
    return FileHandle(fd);
}

} // namespace zentory::platform
