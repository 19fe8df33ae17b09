#include "platform/WideText_win32.h"

#include <algorithm>
#include <cerrno>
#include <utility>

namespace zentory::platform {

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf8.size());
    const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    if (n <= 0) {
        return {};
    }
    std::wstring out(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), n) != n) {
        return {};
    }
    return out;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) {
        return {};
    }
    const int size = static_cast<int>(utf16.size());
    const int n = WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    if (n <= 0) {
        return {};
    }
    std::string out(static_cast<size_t>(n), '\0');
    if (WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, out.data(), n, nullptr, nullptr) != n) {
        return {};
    }
    return out;
}

bool isUtf8(std::string_view text) {
    return text.empty() || MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, text.data(),
                                               static_cast<int>(text.size()), nullptr, 0) > 0;
}

std::string ansiToUtf8(std::string_view ansi) {
    if (ansi.empty()) {
        return {};
    }
    const int size = static_cast<int>(ansi.size());
    const int n = MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, nullptr, 0);
    if (n <= 0) {
        return std::string(ansi);
    }
    std::wstring wide(static_cast<size_t>(n), L'\0');
    if (MultiByteToWideChar(CP_ACP, 0, ansi.data(), size, wide.data(), n) != n) {
        return std::string(ansi);
    }
    return narrow(wide);
}

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

int errnoOf(DWORD error) {
    switch (error) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
        return ENOENT;
    case ERROR_ACCESS_DENIED:
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_WRITE_PROTECT:
        return EACCES;
    case ERROR_DIRECTORY:
        return ENOTDIR;
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
        return EEXIST;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
        return ENOSPC;
    case ERROR_FILENAME_EXCED_RANGE:
        return ENAMETOOLONG;
    case ERROR_NOT_ENOUGH_MEMORY:
    case ERROR_OUTOFMEMORY:
        return ENOMEM;
    case ERROR_TOO_MANY_OPEN_FILES:
        return EMFILE;
    case ERROR_BROKEN_PIPE:
    case ERROR_NO_DATA:
        return EPIPE;
    case ERROR_INVALID_NAME:
    case ERROR_INVALID_PARAMETER:
        return EINVAL;
    default:
        return EIO;
    }
}

std::string windowsErrorText(DWORD error) {
    wchar_t* buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                                       FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, error, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                                   reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    std::string text;
    if (n > 0 && buffer != nullptr) {
        text = narrow(std::wstring_view(buffer, n));
    }
    if (buffer != nullptr) {
        LocalFree(buffer);
    }
    // One line, without the full stop and line end the system puts after it.
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r' || text.back() == ' ' ||
                             text.back() == '.')) {
        text.pop_back();
    }
    for (char& c : text) {
        if (c == '\r' || c == '\n') {
            c = ' ';
        }
    }
    return text.empty() ? "Windows error " + std::to_string(error) : text;
}

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
