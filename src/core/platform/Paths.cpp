#include "platform/Paths.h"

namespace zentory::platform {

namespace {

// Windows takes "/" beside its own "\\".
constexpr const char* kAcceptedSeparators = kPathSeparator == '/' ? "/" : "\\/";

} // namespace

std::string folderOf(const std::string& path) {
    const auto slash = path.find_last_of(kAcceptedSeparators);
    if (slash == std::string::npos) {
        return ".";
    }
    return slash == 0 ? path.substr(0, 1) : path.substr(0, slash);
}

std::string nameOf(const std::string& path) {
    const auto slash = path.find_last_of(kAcceptedSeparators);
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

} // namespace zentory::platform
