#pragma once
// Makes the program take `folder` as its executable's folder (where it finds
// config.ini and the translation file) for as long as this object lives.

#include "platform/ProgramFolders.h"

#include <string>

namespace zentory::test {

class ExecutableFolder {
public:
    explicit ExecutableFolder(const std::string& folder) {
        platform::setExecutableFolderForTesting(folder);
    }
    ~ExecutableFolder() { platform::setExecutableFolderForTesting(std::nullopt); }
    ExecutableFolder(const ExecutableFolder&) = delete;
    ExecutableFolder& operator=(const ExecutableFolder&) = delete;
};

} // namespace zentory::test
