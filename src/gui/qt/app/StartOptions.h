#pragma once
// The window's command line (src/window's StartCommand.h) and the check
// that a display is there, both made before Qt starts: Qt ends the process
// when it finds no display.

#include "StartCommand.h"

#include <string>

namespace zentory::qt {

// "" when Qt can open a window with these values of QT_QPA_PLATFORM, DISPLAY
// and WAYLAND_DISPLAY; otherwise one line that says what is missing.
std::string displayProblem(const std::string& platforms, const std::string& x11Display,
                           const std::string& waylandDisplay);
// The same for this process's environment.
std::string displayProblem();

} // namespace zentory::qt
