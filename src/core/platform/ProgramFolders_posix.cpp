#include "platform/ProgramFolders.h"

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/FileError.h"

#include <cerrno>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

namespace zentory::platform {

namespace {

constexpr const char* kSettingsName = "/config.ini";
constexpr const char* kInstalledData = "/share/zentory";
constexpr const char* kProgramName = "/zentory";

// The paths of `path`'s folders from the top down, `path` itself last:
// "/a/b" gives "/a", "/a/b". Repeated and trailing separators add no step.
std::vector<std::string> stepsOf(const std::string& path) {
    std::vector<std::string> steps;
    for (size_t i = 1; i <= path.size(); ++i) {
        if ((i == path.size() || path[i] == '/') && path[i - 1] != '/') {
            steps.push_back(path.substr(0, i));
        }
    }
    return steps;
}

// Why what `st` describes may not be trusted with the settings: another
// user's (root's counts as the user's own unless `ownOnly`), or a folder that
// every user may change.
std::string untrusted(const std::string& path, const struct stat& st, bool ownOnly) {
    const uid_t me = ::geteuid();
    if (st.st_uid != me && (ownOnly || st.st_uid != 0)) {
        return "'" + path + "' belongs to another user (uid " + std::to_string(st.st_uid) + ")";
    }
    // In a sticky folder nobody but its owner may rename or remove what another put there.
    if (S_ISDIR(st.st_mode) && (st.st_mode & S_IWOTH) != 0 && (st.st_mode & S_ISVTX) == 0) {
        return "every user may change '" + path + "'";
    }
    return {};
}

// untrusted() for the entry at `path` itself and, for a symbolic link, for
// what it leads to. `missing` tells whether nothing is there.
std::string untrustedEntry(const std::string& path, bool ownOnly, bool& missing) {
    missing = false;
    struct stat st;
    if (::lstat(path.c_str(), &st) != 0) {
        missing = errno == ENOENT || errno == ENOTDIR;
        return {};
    }
    std::string why = untrusted(path, st, ownOnly);
    if (why.empty() && S_ISLNK(st.st_mode) && ::stat(path.c_str(), &st) == 0) {
        why = untrusted(path, st, ownOnly);
    }
    return why;
}

} // namespace

ProgramFolders programFolders() {
    const std::string exe = executableFolder();
    if (pathExists(exe + kSettingsName)) {
        return {exe, {}, false, {}};
    }
    // The executable's path has its links resolved, so its parent is the prefix.
    const std::string installed = exe.substr(0, exe.rfind('/')) + kInstalledData;
    if (pathExists(installed + kSettingsName)) {
        const std::string own = userSettingsFolder();
        return {installed, own, true,
                own.empty() ? std::string() : foreignSettingsReason(own, kSettingsName + 1)};
    }
    return {exe, {}, false, {}};
}

std::string userSettingsFolder() {
    // Only an absolute path counts; a relative one would depend on the working folder.
    const std::string configHome = environmentValue("XDG_CONFIG_HOME");
    if (!configHome.empty() && configHome.front() == '/') {
        return configHome + kProgramName;
    }
    const std::string home = homeFolder();
    return home.empty() ? std::string() : home + "/.config" + kProgramName;
}

bool pathExists(const std::string& path) {
    struct stat st;
    return ::stat(path.c_str(), &st) == 0 || (errno != ENOENT && errno != ENOTDIR);
}

std::string foreignSettingsReason(const std::string& folder, const std::string& name) {
    const std::vector<std::string> steps = stepsOf(folder);
    bool missing = false;
    for (size_t i = 0; i < steps.size() && !missing; ++i) {
        if (std::string why = untrustedEntry(steps[i], i + 1 == steps.size(), missing);
            !why.empty()) {
            return why;
        }
    }
    return missing ? std::string() : untrustedEntry(folder + "/" + name, true, missing);
}

void createFolders(const std::string& folder) {
    const std::vector<std::string> steps = stepsOf(folder);
    for (size_t i = 0; i < steps.size(); ++i) {
        const std::string& step = steps[i];
        bool missing = false;
        std::string why = untrustedEntry(step, i + 1 == steps.size(), missing);
        if (missing) {
            if (::mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
                throw FileError(step, "create folder", errno);
            }
            // Made by this user, or by someone who was quicker: looked at again.
            why = untrustedEntry(step, i + 1 == steps.size(), missing);
        }
        if (!why.empty()) {
            throw FileError(step, "create folder", why);
        }
    }
}

} // namespace zentory::platform
