#pragma once
// Where the running program lies: the folder whose "config.ini", translation
// file and help page it uses.

#include <optional>
#include <string>

namespace zentory::platform {

// The folder of the running executable, without a trailing separator.
std::string executableFolder();

// Test seam: makes executableFolder() answer `folder` until reset with nullopt.
void setExecutableFolderForTesting(std::optional<std::string> folder);

// The folder as the system tells it, each platform its own way; "" when it
// cannot. executableFolder() answers this unless a test has set another.
std::string systemExecutableFolder();

} // namespace zentory::platform
