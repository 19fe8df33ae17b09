#include "platform/ExecutablePath.h"

#include <mutex>
#include <unistd.h>

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
    std::string path(4096, '\0');
    for (;;) {
        ssize_t n = ::readlink("/proc/self/exe", path.data(), path.size());
        if (n < 0) {
            return {};
        }
        if (static_cast<size_t>(n) < path.size()) {
            path.resize(static_cast<size_t>(n));
            break;
        }
        path.resize(path.size() * 2);
    }
    auto slash = path.rfind('/');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

void setExecutableFolderForTesting(std::optional<std::string> folder) {
    std::lock_guard lock(g_mutex);
    g_override = std::move(folder);
}

} // namespace zentory::platform
