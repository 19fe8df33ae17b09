#include "platform/write/StandardOutput.h"

#include "platform/FileError.h"
#include "platform/win32/Console.h"
#include "platform/win32/ErrorCode.h"
#include "platform/win32/Handle.h"
#include "platform/win32/LongPath.h"
#include "platform/win32/Utf16.h"
#include "platform/write/Interruption.h"

#include <mutex>

namespace zentory::platform {

namespace {

constexpr size_t kPiece = 64 * 1024;

void writeStandard(DWORD which, const char* name, std::string_view bytes, std::string& pending) {
    const HANDLE h = GetStdHandle(which);
    if (h == INVALID_HANDLE_VALUE || h == nullptr) {
        throw FileError(name, "write to", windowsErrorText(GetLastError()));
    }
    // In pieces, so that Ctrl+C is seen between them.
    while (!bytes.empty()) {
        throwIfInterrupted();
        const std::string_view piece = bytes.substr(0, kPiece);
        if (const DWORD error = writeAllTo(h, piece, pending)) {
            throw FileError(name, "write to", windowsErrorText(error));
        }
        bytes.remove_prefix(piece.size());
    }
}

bool sameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION x, y;
    return GetFileInformationByHandle(a, &x) && GetFileInformationByHandle(b, &y) &&
           x.dwVolumeSerialNumber == y.dwVolumeSerialNumber &&
           x.nFileIndexHigh == y.nFileIndexHigh && x.nFileIndexLow == y.nFileIndexLow;
}

} // namespace

void writeStandardOutput(std::string_view bytes) {
    static std::string pending;
    writeStandard(STD_OUTPUT_HANDLE, "standard output", bytes, pending);
}

void writeStandardError(std::string_view bytes) {
    static std::mutex mutex;
    static std::string pending;
    const std::lock_guard lock(mutex);
    try {
        writeStandard(STD_ERROR_HANDLE, "standard error", bytes, pending);
    } catch (const FileError&) {
        // A message with nowhere to go is lost, as a closed stderr loses it.
    }
}

bool isStandardOutput(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out == INVALID_HANDLE_VALUE || out == nullptr) {
        return false;
    }
    // The console itself ("CON", "CONOUT$") when standard output is the console.
    if (isConsole(out)) {
        return _wcsicmp(widen(path).c_str(), L"CON") == 0 ||
               _wcsicmp(widen(path).c_str(), L"CONOUT$") == 0;
    }
    Handle named(CreateFileW(longPath(path).c_str(), 0,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                             OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    return named.valid() && GetFileType(out) == FILE_TYPE_DISK && sameFile(named.get(), out);
}

} // namespace zentory::platform
