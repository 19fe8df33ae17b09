#include "StartCommand.h"

#include <string_view>

namespace zentory {

StartOptions parseStartOptions(int argc, const char* const* argv) {
    StartOptions options;
    bool optionsEnded = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (!optionsEnded && arg == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && (arg == "-h" || arg == "--help")) {
            return {StartOptions::Action::Help, {}, {}};
        } else if (!optionsEnded && arg == "--version") {
            return {StartOptions::Action::Version, {}, {}};
        } else if (!optionsEnded && arg.size() > 1 && arg.front() == '-') {
            return {StartOptions::Action::Usage, {}, "unknown option '" + std::string(arg) + "'"};
        } else if (!options.folder.empty() || arg.empty()) {
            return {StartOptions::Action::Usage, {}, "give one folder"};
        } else {
            options.folder = arg;
        }
    }
    return options;
}

std::string startHelp() {
    return "Usage: zentory [FOLDER]\n"
           "Turns the contents of a folder into a plain text file.\n"
           "FOLDER, when given, is read at start as if chosen with Read File List.\n"
           "\n"
           "  -h, --help  show this help and exit\n"
           "  --version   show the version and exit\n"
           "\n"
           "zentory-cli writes the same list without a window.\n";
}

} // namespace zentory
