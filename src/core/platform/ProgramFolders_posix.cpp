#include "platform/ProgramFolders.h"

#include "platform/Environment.h"
#include "platform/ExecutablePath.h"
#include "platform/FileError.h"

#include <cerrno>
#include <sys/stat.h>

namespace zentory::platform {

namespace {

constexpr const char* kSettingsName = "/config.ini";
constexpr const char* kInstalledData = "/share/zentory";
constexpr const char* kProgramName = "/zentory";

} // namespace

ProgramFolders programFolders() {
    const std::string exe = executableFolder();
    if (pathExists(exe + kSettingsName)) {
        return {exe, {}, false};
    }
    // The executable's path has its links resolved, so its parent is the prefix.
    const std::string installed = exe.substr(0, exe.rfind('/')) + kInstalledData;
    if (pathExists(installed + kSettingsName)) {
        return {installed, userSettingsFolder(), true};
    }
    return {exe, {}, false};
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

void createFolders(const std::string& folder) {
    for (size_t end = folder.find('/', 1);; end = folder.find('/', end + 1)) {
        const std::string step = folder.substr(0, end);
        if (!step.empty() && ::mkdir(step.c_str(), 0700) != 0 && errno != EEXIST) {
            throw FileError(step, "create folder", errno);
        }
        if (end == std::string::npos) {
            return;
        }
    }
}

} // namespace zentory::platform
