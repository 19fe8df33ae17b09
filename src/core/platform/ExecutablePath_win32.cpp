#include "platform/ExecutablePath.h"

#include "platform/WideText_win32.h"

namespace zentory::platform {

std::string systemExecutableFolder() {
    // The buffer grows until the whole name fits: a long path may pass MAX_PATH.
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (n == 0) {
            return {};
        }
        if (n < path.size()) {
            path.resize(n);
            break;
        }
        path.resize(path.size() * 2);
    }
    std::string utf8 = narrow(path);
    if (utf8.starts_with("\\\\?\\") && !utf8.starts_with("\\\\?\\UNC\\")) {
        utf8.erase(0, 4);
    }
    const auto slash = utf8.rfind('\\');
    return slash == std::string::npos ? std::string() : utf8.substr(0, slash);
}

} // namespace zentory::platform
