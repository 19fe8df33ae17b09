#pragma once
// Shared by the fuzz targets: a private folder that plays the executable's
// folder, and the files in it.

#include "platform/ExecutablePath.h"

#include <cstdlib>
#include <fstream>
#include <string>

#include <unistd.h>

namespace zentory::fuzz {

inline const std::string& workFolder() {
    static const std::string folder = [] {
        std::string pattern = "/tmp/zentory-fuzz-XXXXXX";
        if (::mkdtemp(pattern.data()) == nullptr) {
            std::abort();
        }
        platform::setExecutableFolderForTesting(pattern);
        return pattern;
    }();
    return folder;
}

inline void put(const std::string& name, const std::string& bytes) {
    std::ofstream out(workFolder() + "/" + name, std::ios::binary | std::ios::trunc);
    out << bytes;
}

} // namespace zentory::fuzz
