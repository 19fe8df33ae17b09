#include "platform/Paths.h"

namespace zentory::platform {

namespace {

bool isSeparator(char c) {
    return c == '\\' || c == '/';
}

bool hasDrive(std::string_view path) {
    const char d = path.size() >= 2 ? path[0] : '\0';
    return ((d >= 'A' && d <= 'Z') || (d >= 'a' && d <= 'z')) && path[1] == ':';
}

} // namespace

bool isAbsolutePath(std::string_view path) {
    return (hasDrive(path) && path.size() >= 3 && isSeparator(path[2])) ||
           (path.size() >= 2 && isSeparator(path[0]) && isSeparator(path[1]));
}

std::string_view pathRoot(std::string_view path) {
    if (hasDrive(path)) {
        return path.substr(0, 2);
    }
    if (path.size() < 2 || !isSeparator(path[0]) || !isSeparator(path[1])) {
        return {};
    }
    // A share: two separators, the server, one, the share's name.
    size_t end = path.find_first_of("\\/", 2);
    if (end != std::string_view::npos) {
        end = path.find_first_of("\\/", end + 1);
    }
    return path.substr(0, end);
}

std::string nativeSeparators(std::string_view path) {
    std::string out(path);
    for (char& c : out) {
        if (c == '/') {
            c = '\\';
        }
    }
    return out;
}

} // namespace zentory::platform
