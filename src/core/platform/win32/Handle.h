#pragma once
// A Windows handle that closes itself.

#include "platform/FileHandle.h"

#include <cstdint>
#include <windows.h>

namespace zentory::platform {

// A handle closed when it goes.
class Handle {
public:
    Handle() = default;
    explicit Handle(HANDLE h) : m_h(h) {}
    ~Handle() { close(); }
    Handle(Handle&& other) noexcept : m_h(other.release()) {}
    Handle& operator=(Handle&& other) noexcept;
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;

    HANDLE get() const { return m_h; }
    bool valid() const { return m_h != INVALID_HANDLE_VALUE && m_h != nullptr; }
    HANDLE release() noexcept;
    void close() noexcept;

private:
    HANDLE m_h = INVALID_HANDLE_VALUE;
};

// The Windows handle behind a FileHandle of the platform layer, and back.
inline HANDLE handleOf(FileHandle file) {
    return reinterpret_cast<HANDLE>(file.native());
}
inline FileHandle fileHandleOf(HANDLE h) {
    return FileHandle(reinterpret_cast<std::intptr_t>(h));
}

} // namespace zentory::platform
