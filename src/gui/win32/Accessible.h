#pragma once
// What assistive technology (a screen reader) says of a window beyond its own
// text: its name and its description, set through the system's annotation
// service. Where the service is not at hand, the window keeps its own.

#include "WinApi.h"

#include <string>

namespace zentory::win32 {

// The name of `hwnd` (a control, or a dialog itself) for assistive technology.
void setAccessibleName(HWND hwnd, const std::wstring& name);
// The description of `hwnd`, which a screen reader reads out as it changes.
void announce(HWND hwnd, const std::wstring& text);

} // namespace zentory::win32
