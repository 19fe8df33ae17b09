#include "platform/win32/Handle.h"

#include <utility>

namespace zentory::platform {

Handle& Handle::operator=(Handle&& other) noexcept {
    if (this != &other) {
        close();
        m_h = other.release();
    }
    return *this;
}

HANDLE Handle::release() noexcept {
    return std::exchange(m_h, INVALID_HANDLE_VALUE);
}

void Handle::close() noexcept {
    if (valid()) {
        CloseHandle(m_h);
    }
    m_h = INVALID_HANDLE_VALUE;
}

} // namespace zentory::platform
