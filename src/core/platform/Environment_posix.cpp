#include "platform/Environment.h"

#include <atomic>
#include <cstdlib>
#include <pwd.h>
#include <unistd.h>
#include <vector>

namespace zentory::platform {

std::string environmentValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

namespace {

std::string passwordFileHome() {
    long size = ::sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd* found = nullptr;
    if (::getpwuid_r(::getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 &&
        found != nullptr && found->pw_dir != nullptr) {
        return found->pw_dir;
    }
    return {};
}

std::atomic<AccountHomeLookup> g_accountHome{passwordFileHome};

} // namespace

std::string homeFolder() {
    std::string home = environmentValue("HOME");
    if (!home.empty()) {
        return home;
    }
    return g_accountHome.load()();
}

void setAccountHomeLookup(AccountHomeLookup lookup) {
    g_accountHome.store(lookup != nullptr ? lookup : passwordFileHome);
}

} // namespace zentory::platform
