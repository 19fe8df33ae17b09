#pragma once
// Texts on Windows: UTF-8 in the program, UTF-16 at the system call.

#include <string>
#include <string_view>

namespace zentory::platform {

// UTF-8 to UTF-16 and back. Bytes that are not UTF-8 become U+FFFD.
std::wstring widen(std::string_view utf8);
std::string narrow(std::wstring_view utf16);

// Text in the ANSI code page to UTF-8.
std::string ansiToUtf8(std::string_view ansi);
// Whether every byte of `text` belongs to valid UTF-8.
bool isUtf8(std::string_view text);

} // namespace zentory::platform
