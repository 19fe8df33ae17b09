#include "platform/Environment.h"

#include "platform/win32/Utf16.h"

#include <windows.h>

namespace zentory::platform {

std::string environmentValue(const char* name) {
    const std::wstring wideName = widen(name);
    DWORD n = GetEnvironmentVariableW(wideName.c_str(), nullptr, 0);
    while (n > 0) {
        std::wstring value(n, L'\0');
        const DWORD got = GetEnvironmentVariableW(wideName.c_str(), value.data(), n);
        if (got == 0) {
            break;
        }
        if (got < n) {
            value.resize(got);
            return narrow(value);
        }
        n = got;
    }
    return {};
}

std::string homeFolder() {
    std::string home = environmentValue("USERPROFILE");
    if (home.empty()) {
        const std::string drive = environmentValue("HOMEDRIVE");
        const std::string path = environmentValue("HOMEPATH");
        if (!drive.empty() && !path.empty()) {
            home = drive + path;
        }
    }
    return home;
}

void setAccountHomeLookup(AccountHomeLookup) {
    // The profile's folder comes from the environment alone here.
}

} // namespace zentory::platform
