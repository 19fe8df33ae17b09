#include "platform/win32/LongPath.h"

#include "platform/win32/Utf16.h"

#include <utility>
#include <windows.h>

namespace zentory::platform {

std::wstring prefixedPath(std::wstring absolute) {
    if (absolute.starts_with(L"\\\\?\\") || absolute.starts_with(L"\\\\.\\")) {
        return absolute;
    }
    if (absolute.starts_with(L"\\\\")) {
        return L"\\\\?\\UNC\\" + absolute.substr(2);
    }
    if (absolute.size() >= 3 && absolute[1] == L':' && absolute[2] == L'\\') {
        return L"\\\\?\\" + absolute;
    }
    return absolute;
}

std::string plainPath(std::string path) {
    if (path.starts_with("\\\\?\\UNC\\")) {
        return "\\\\" + path.substr(8);
    }
    if (path.starts_with("\\\\?\\")) {
        return path.substr(4);
    }
    return path;
}

std::wstring longPath(const std::string& path) {
    std::wstring wide = widen(path);
    if (wide.starts_with(L"\\\\?\\") || wide.empty()) {
        return wide;
    }
    // GetFullPathNameW resolves "." and "..", turns "/" into "\" and knows the
    // device names; its answer may itself be longer than MAX_PATH.
    DWORD n = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    while (n > 0) {
        std::wstring full(n, L'\0');
        const DWORD got = GetFullPathNameW(wide.c_str(), n, full.data(), nullptr);
        if (got == 0) {
            break;
        }
        if (got < n) {
            full.resize(got);
            return prefixedPath(std::move(full));
        }
        n = got;
    }
    return wide;
}

} // namespace zentory::platform
