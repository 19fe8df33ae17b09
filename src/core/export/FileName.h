#pragma once
// The parts of a listed file's name and path that every list writes alike.

#include "listing/FileList.h"

#include <string_view>

namespace zentory {

// Where the extension of `name` begins: the position of its last ".", unless
// that is its first character (a leading dot names a hidden file, it starts
// no extension); npos when the name has none.
inline size_t extensionDot(std::string_view name) {
    if (name.size() <= 1) {
        return std::string_view::npos;
    }
    const size_t dot = name.rfind('.');
    return dot == 0 ? std::string_view::npos : dot;
}

// The folder of an entry relative to the chosen folder `chosen`: "" for the
// chosen folder itself, "img/old" for one below it.
inline std::string_view relativeFolder(std::string_view folder, std::string_view chosen) {
    if (folder.size() <= chosen.size()) {
        return {};
    }
    folder.remove_prefix(chosen.size());
    if (folder.front() == kPathSeparator) {
        folder.remove_prefix(1);
    }
    return folder;
}

// The folder part of a file's path in the tables: the list's own, except that
// the list of the root "/" holds its entries as "//name" and "//etc/name"
// (the root's label is "//..."); a table writes them "/name" and "/etc/name".
inline std::string_view tableFolder(std::string_view folder) {
    if (folder == "/" || (folder.size() > 1 && folder[0] == '/' && folder[1] == '/')) {
        folder.remove_prefix(1);
    }
    return folder;
}

} // namespace zentory
