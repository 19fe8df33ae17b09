#pragma once
// Shared by the fuzz targets: a private folder that plays the executable's
// folder, and the files in it.

#include "platform/ProgramFolders.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include <unistd.h>

namespace zentory::fuzz {

// On the RAM file system when there is one: the settings store syncs each
// rewrite to disk, which on a real disk holds a run to some dozens a second.
// Removed when the fuzzer ends normally.
inline const std::string& workFolder() {
    // Never destroyed, so that the exit handler can still name it.
    static const std::string& folder = *new std::string([] {
        const bool ram = ::access("/dev/shm", W_OK) == 0;
        std::string pattern = std::string(ram ? "/dev/shm" : "/tmp") + "/zentory-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        platform::setExecutableFolderForTesting(pattern);
        std::atexit([] {
            std::error_code ec;
            std::filesystem::remove_all(workFolder(), ec);
        });
        return pattern;
    }());
    return folder;
}

inline void put(const std::string& name, const std::string& bytes) {
    std::ofstream out(workFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace zentory::fuzz
