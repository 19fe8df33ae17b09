#pragma once
// An open file or folder as the platform layer's shared headers name it (the
// writer's parts hand it to each other; an open Directory keeps one): the
// platform's own descriptor or handle, which only the platform's sources make
// or look into (posix/Descriptor.h, win32/Handle.h). It names the file and
// owns nothing: whoever opened the file closes it.

#include <cstdint>

namespace zentory::platform {

class FileHandle {
public:
    FileHandle() = default;
    explicit FileHandle(std::intptr_t native) : m_native(native) {}

    // Whether it names an open file.
    bool valid() const { return m_native != kNone; }
    std::intptr_t native() const { return m_native; }

private:
    // No descriptor is negative, and a Windows handle that names nothing is -1.
    static constexpr std::intptr_t kNone = -1;
    std::intptr_t m_native = kNone;
};

} // namespace zentory::platform
