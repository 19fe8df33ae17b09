#pragma once
// Where the program finds its shipped files (config.ini, the translation file,
// the help page) and where a user's own settings live. A portable folder (the
// build folder, the unpacked archive) holds the files beside the executable
// and its config.ini is the settings; an installed tree holds them in
// ../share/zentory relative to the executable, and each user's settings are
// a config.ini of their own in $XDG_CONFIG_HOME/zentory (~/.config/zentory).
// That folder is used only when it is the user's own, the way ssh treats
// ~/.ssh: root started with another user's environment (su without "-") must
// neither read settings that user made nor write through their folders.

#include <optional>
#include <string>
#include <string_view>

namespace zentory::platform {

// The folder of the running executable, without a trailing separator: the
// folder whose config.ini, translation file and help page a portable copy uses.
std::string executableFolder();

// Test seam: makes executableFolder() answer `folder` until reset with nullopt.
void setExecutableFolderForTesting(std::optional<std::string> folder);

// The folder as the system tells it, each platform its own way; "" when it
// cannot. executableFolder() answers this unless a test has set another.
std::string systemExecutableFolder();

struct ProgramFolders {
    // The folder of the shipped files, without a trailing separator.
    std::string data;
    // The user's settings folder in an installed tree; "" in a portable folder
    // and when no home folder is known.
    std::string userSettings;
    bool installed = false;
    // Why userSettings is not used, "" when it is: a folder on its way or the
    // config.ini in it is another user's, or every user may change a folder
    // on its way. The shipped file is then read and nothing is written.
    std::string userSettingsRefused;
};

// The name of the file that the Windows setup program puts beside the
// executable. On Windows the shipped files always lie beside the executable,
// and a folder the user may write to is a portable one whose config.ini is the
// settings (the unpacked zip); but a copy installed for one user lies in a
// folder of the user's own (%LOCALAPPDATA%\Programs\Orvane Zentory), so this
// file tells it apart: with it the copy counts as installed and the user's
// settings live in %APPDATA%\Orvane\Zentory, where uninstalling leaves them.
inline constexpr const char* kInstalledMarker = "installed-by-setup.txt";

// Linux: the executable's folder when config.ini lies beside it; else its
// ../share/zentory when config.ini lies there; else the executable's folder,
// whose missing config.ini is then what a read reports. Windows: the
// executable's folder, installed when kInstalledMarker lies in it or the user
// may not write to it (Program Files).
ProgramFolders programFolders();

// The user's settings folder: $XDG_CONFIG_HOME/zentory when that variable holds
// an absolute path, else HOME's .config/zentory; "" when no home is known.
std::string userSettingsFolder();

// Whether anything (a file, a folder, a dangling link excepted) answers to
// `path`. A path that cannot be looked up for another reason than its absence
// counts as there, so that using it reports the real cause.
bool pathExists(const std::string& path);

// Why `folder`, and the file `name` in it, may not hold this user's settings;
// "" when they may or are not there yet. Every folder on the way must belong
// to the user or to root, and `folder` and the file to the user (the effective
// user id); a symbolic link counts as its owner's, and what it leads to must
// pass too, every folder on its way included. No folder on the way may be one
// that every user may change (writable by others without the sticky bit). A
// path that cannot be looked at for another reason is left to the read or
// write that uses it to report.
//
// Each step is judged by what was opened, never by a name looked up again: a
// folder is opened without following a link, its owner read from the open
// descriptor, and the next step opened relative to it, so that renaming
// another folder into the path afterwards changes nothing already checked.
std::string foreignSettingsReason(const std::string& folder, const std::string& name);

// What the user's own settings file holds, checked and read in one walk as
// foreignSettingsReason describes: the bytes read are those of the very file
// whose owner, and whose folders' owners, were checked.
struct UserSettingsFile {
    std::string refused; // foreignSettingsReason's answer; nothing is read when set
    bool found = false;  // the file is there and `bytes` holds it
    std::string bytes;
};
// Throws FileError ("open", "read") naming folder/name when the file is there
// but cannot be opened or read, or is too large (platform/TextFile.h).
UserSettingsFile readUserSettings(const std::string& folder, const std::string& name);

// Writes `text` (LF line ends, as platform::writeText) and `tail` to `name`
// in `folder`, made first as createFolders makes it. The file goes into the
// folder that was made or checked, held open from the check to the write, and
// is refused (FileError "write to" with the reason) when the file there may
// not hold the user's settings.
void writeUserSettings(const std::string& folder, const std::string& name, std::string_view text,
                       std::string_view tail);

// Makes `folder` and every missing folder on its way, private to the user
// (mode 0700 before the umask), checking each step as foreignSettingsReason
// does before it goes below it, and that each folder made is the user's own
// once made. Throws FileError ("create folder") naming the folder that failed.
void createFolders(const std::string& folder);

// For tests: called with the path of each step of a settings walk once that
// step is opened and checked, before the next is opened, so that a test can
// move folders about between the two. nullptr (the default) calls nothing.
using SettingsStepHook = void (*)(const std::string& step);
void setSettingsStepHook(SettingsStepHook hook);

} // namespace zentory::platform
