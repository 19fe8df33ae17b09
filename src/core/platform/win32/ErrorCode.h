#pragma once
// Windows error codes in the program's terms: the closest errno value, and
// the system's own message.

#include <string>
#include <windows.h>

namespace zentory::platform {

// The errno value closest to a Windows error code.
int errnoOf(DWORD error);
// The system's message for a Windows error code, in one line.
std::string windowsErrorText(DWORD error);

} // namespace zentory::platform
