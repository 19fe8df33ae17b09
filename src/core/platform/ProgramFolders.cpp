#include "platform/ProgramFolders.h"

#include <mutex>

namespace zentory::platform {

namespace {
std::mutex g_mutex;
std::optional<std::string> g_override;
} // namespace

std::string executableFolder() {
    {
        std::lock_guard lock(g_mutex);
        if (g_override) {
            return *g_override;
        }
    }
    return systemExecutableFolder();
}

void setExecutableFolderForTesting(std::optional<std::string> folder) {
    std::lock_guard lock(g_mutex);
    g_override = std::move(folder);
}

} // namespace zentory::platform
