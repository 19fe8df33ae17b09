#pragma once
// Where the program finds its shipped files (config.ini, the translation file,
// the help page) and where a user's own settings live. A portable folder (the
// build folder, the unpacked archive) holds the files beside the executable
// and its config.ini is the settings; an installed tree holds them in
// ../share/zentory relative to the executable, and each user's settings are
// a config.ini of their own in $XDG_CONFIG_HOME/zentory (~/.config/zentory).

#include <string>

namespace zentory::platform {

struct ProgramFolders {
    // The folder of the shipped files, without a trailing separator.
    std::string data;
    // The user's settings folder in an installed tree; "" in a portable folder
    // and when no home folder is known.
    std::string userSettings;
    bool installed = false;
};

// The executable's folder when config.ini lies beside it; else its
// ../share/zentory when config.ini lies there; else the executable's folder,
// whose missing config.ini is then what a read reports.
ProgramFolders programFolders();

// The user's settings folder: $XDG_CONFIG_HOME/zentory when that variable holds
// an absolute path, else HOME's .config/zentory; "" when no home is known.
std::string userSettingsFolder();

// Whether anything (a file, a folder, a dangling link excepted) answers to
// `path`. A path that cannot be looked up for another reason than its absence
// counts as there, so that using it reports the real cause.
bool pathExists(const std::string& path);

// Makes `folder` and every missing folder on its way, private to the user
// (mode 0700 before the umask). Throws FileError naming the folder that failed.
void createFolders(const std::string& folder);

} // namespace zentory::platform
