#include "platform/Paths.h"

namespace zentory::platform {

bool isAbsolutePath(std::string_view path) {
    return !path.empty() && path.front() == '/';
}

std::string_view pathRoot(std::string_view) {
    return {};
}

std::string nativeSeparators(std::string_view path) {
    return std::string(path);
}

} // namespace zentory::platform
