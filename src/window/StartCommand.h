#pragma once
// The window's command line, the same for every front end: `zentory [FOLDER]`,
// --help and --version.

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

} // namespace zentory
