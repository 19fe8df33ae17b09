#pragma once
// Writing bytes to a Windows handle that may be a console, which takes
// UTF-16 text rather than bytes.

#include <string>
#include <string_view>
#include <windows.h>

namespace zentory::platform {

// Whether `h` is a console, which takes UTF-16 text rather than bytes. (NUL
// is a character device too, but no console.)
bool isConsole(HANDLE h);
// Writes all of `bytes` to `h`: to a console as UTF-16 text, so that every
// name shows whatever its code page; to anything else as the bytes they are.
// A UTF-8 character cut at the end of `bytes` waits in `pending` for the rest.
// Returns 0 or the Windows error.
DWORD writeAllTo(HANDLE h, std::string_view bytes, std::string& pending);

} // namespace zentory::platform
