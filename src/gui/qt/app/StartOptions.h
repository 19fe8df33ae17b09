#pragma once
// The window's command line (`zentory [FOLDER]`, --help, --version) and the
// check that a display is there, both made before Qt starts: Qt ends the
// process when it finds no display.

#include <string>

namespace zentory {

struct StartOptions {
    enum class Action { Run, Help, Version, Usage };
    Action action = Action::Run;
    // The folder to read at start, as given; "" for none.
    std::string folder;
    // What was wrong with the command line when action is Usage.
    std::string error;
};

// Reads the arguments after the program name. "--" ends the options.
StartOptions parseStartOptions(int argc, const char* const* argv);

// The text that --help prints.
std::string startHelp();

// "" when Qt can open a window with these values of QT_QPA_PLATFORM, DISPLAY
// and WAYLAND_DISPLAY; otherwise one line that says what is missing.
std::string displayProblem(const std::string& platforms, const std::string& x11Display,
                           const std::string& waylandDisplay);
// The same for this process's environment.
std::string displayProblem();

} // namespace zentory
