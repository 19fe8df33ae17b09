#include "platform/win32/Console.h"

#include "platform/win32/Utf16.h"

#include <algorithm>
#include <utility>

namespace zentory::platform {

bool isConsole(HANDLE h) {
    DWORD mode = 0;
    return GetFileType(h) == FILE_TYPE_CHAR && GetConsoleMode(h, &mode);
}

namespace {

// How many bytes at the end of `text` begin a UTF-8 character that is not whole.
size_t cutCharacter(std::string_view text) {
    for (size_t back = 1; back <= 3 && back <= text.size(); ++back) {
        const auto c = static_cast<unsigned char>(text[text.size() - back]);
        if ((c & 0xC0) != 0x80) {
            const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 1;
            return length > back ? back : 0;
        }
    }
    return 0;
}

DWORD writeConsole(HANDLE h, std::string_view bytes, std::string& pending) {
    std::string text = std::move(pending);
    pending.clear();
    text.append(bytes);
    const size_t cut = cutCharacter(text);
    pending.assign(text, text.size() - cut, cut);
    text.resize(text.size() - cut);
    const std::wstring wide = widen(text);
    for (size_t at = 0; at < wide.size();) {
        DWORD n = 0;
        auto chunk = static_cast<DWORD>(std::min<size_t>(wide.size() - at, 8192));
        // A character beyond the basic plane stays whole within one call.
        if (chunk > 1 && at + chunk < wide.size() && wide[at + chunk - 1] >= 0xD800 &&
            wide[at + chunk - 1] <= 0xDBFF) {
            --chunk;
        }
        if (!WriteConsoleW(h, wide.data() + at, chunk, &n, nullptr)) {
            return GetLastError();
        }
        if (n == 0) {
            return ERROR_WRITE_FAULT;
        }
        at += n;
    }
    return 0;
}

} // namespace

DWORD writeAllTo(HANDLE h, std::string_view bytes, std::string& pending) {
    if (isConsole(h)) {
        return writeConsole(h, bytes, pending);
    }
    while (!bytes.empty()) {
        DWORD n = 0;
        const auto chunk = static_cast<DWORD>(std::min<size_t>(bytes.size(), 1 << 20));
        if (!WriteFile(h, bytes.data(), chunk, &n, nullptr)) {
            return GetLastError();
        }
        if (n == 0) {
            return ERROR_WRITE_FAULT;
        }
        bytes.remove_prefix(n);
    }
    return 0;
}

} // namespace zentory::platform
