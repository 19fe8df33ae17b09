#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/WideText_win32.h"

namespace zentory::platform {

std::string readFile(const std::string& path) {
    Handle file(CreateFileW(longPath(path).c_str(), GENERIC_READ,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                            OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        throw FileError(path, "open", windowsErrorText(GetLastError()));
    }
    // Only a file on a disk has an end: a pipe or a device could hold the
    // program for ever.
    LARGE_INTEGER size;
    if (GetFileType(file.get()) != FILE_TYPE_DISK || !GetFileSizeEx(file.get(), &size)) {
        throw FileError(path, "read", "not a regular file");
    }
    std::string data;
    data.reserve(static_cast<size_t>(size.QuadPart) + 1);
    char buf[65536];
    for (;;) {
        DWORD n = 0;
        if (!ReadFile(file.get(), buf, sizeof buf, &n, nullptr)) {
            throw FileError(path, "read", windowsErrorText(GetLastError()));
        }
        if (n == 0) {
            break;
        }
        data.append(buf, n);
    }
    // Settings and catalogues are UTF-8; an older file in the system's ANSI
    // code page is taken as that, so that it keeps working.
    return isUtf8(data) ? data : ansiToUtf8(data);
}

} // namespace zentory::platform
