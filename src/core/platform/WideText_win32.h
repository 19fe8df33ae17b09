#pragma once
// The Windows side of texts and paths: UTF-8 in the program, UTF-16 at the
// system call. Paths handed to the system are made absolute and written with
// the "\\?\" prefix, so that no 260-character limit applies.

#include <string>
#include <string_view>
#include <windows.h>

namespace zentory::platform {

// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// Text in the ANSI code page to UTF-8.
std::string ansiToUtf8(std::string_view ansi);
// Whether every byte of `text` belongs to valid UTF-8.
bool isUtf8(std::string_view text);

// `path` as the system takes it beyond 260 characters: absolute, with "\" as
// the separator, "." and ".." resolved, and "\\?\" (or "\\?\UNC\" for a share)
// in front. Device names (CON, NUL, "\\.\...") and paths that already carry a
// prefix are left as the system names them.
std::wstring longPath(const std::string& path);
// The same for a path whose absolute form is already known.
std::wstring prefixedPath(std::wstring absolute);
// A prefixed path as a person writes it: "\\?\C:\x" as "C:\x", "\\?\UNC\s\x"
// as "\\s\x".
std::string plainPath(std::string path);

// The errno value closest to a Windows error code.
int errnoOf(DWORD error);
// The system's message for a Windows error code, in one line.
std::string windowsErrorText(DWORD error);

// Whether `h` is a console, which takes UTF-16 text rather than bytes. (NUL
// is a character device too, but no console.)
bool isConsole(HANDLE h);
// Writes all of `bytes` to `h`: to a console as UTF-16 text, so that every
// name shows whatever its code page; to anything else as the bytes they are.
// A UTF-8 character cut at the end of `bytes` waits in `pending` for the rest.
// Returns 0 or the Windows error.
DWORD writeAllTo(HANDLE h, std::string_view bytes, std::string& pending);

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

} // namespace zentory::platform
