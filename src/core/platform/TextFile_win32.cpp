#include "platform/TextFile.h"

#include "platform/FileError.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"

#include <algorithm>

namespace zentory::platform {

std::string readFile(const std::string& path, size_t limit) {
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
    // Refused before a byte is read: the whole file is held in memory.
    if (static_cast<unsigned long long>(size.QuadPart) > limit) {
        throw FileError(path, "read", tooLargeReason(limit));
    }
    std::string data;
    data.reserve(static_cast<size_t>(size.QuadPart) + 1);
    char buf[65536];
    for (;;) {
        // One byte more than the limit at most: a file that grows while it is
        // read is found too large without reading what it grew by.
        const auto room = static_cast<DWORD>(std::min(sizeof buf, limit + 1 - data.size()));
        DWORD n = 0;
        if (!ReadFile(file.get(), buf, room, &n, nullptr)) {
            throw FileError(path, "read", windowsErrorText(GetLastError()));
        }
        if (n == 0) {
            break;
        }
        data.append(buf, n);
        if (data.size() > limit) {
            throw FileError(path, "read", tooLargeReason(limit));
        }
    }
    // Settings and catalogues are UTF-8; an older file in the system's ANSI
    // code page is taken as that, so that it keeps working.
    return isUtf8(data) ? data : ansiToUtf8(data);
}

} // namespace zentory::platform
