#include "listing/StatFiles.h"

#include "platform/Directory.h"

#include <string>

namespace zentory {

namespace {

// The folder an entry's folder path names: the root's entries ("/a", "C:\a")
// leave only what precedes the separator.
std::string openablePath(std::string_view folderPath) {
    std::string path(folderPath);
    if (path.empty() || path.back() == ':') {
        path += kPathSeparator;
    }
    return path;
}

} // namespace

std::vector<FileStat> statFiles(const FileList& files) {
    std::vector<FileStat> stats(files.size());
    platform::Directory folder;
    bool opened = false;
    uint32_t openIndex = FileList::kNoFolder;
    std::string name;
    for (size_t i = 0; i < files.size(); ++i) {
        const uint32_t index = files.folderIndex(i);
        if (index == FileList::kNoFolder) {
            continue; // no folder to look in
        }
        if (index != openIndex) {
            folder.close();
            // A folder that cannot be opened leaves its files unknown.
            opened = folder.open(openablePath(files.folderPath(index))) == 0;
            openIndex = index;
        }
        name.assign(files.name(i));
        FileStat& stat = stats[i];
        if (!opened || folder.statEntry(name.c_str(), stat.size, stat.modified) != 0) {
            stat = FileStat{};
        }
    }
    return stats;
}

} // namespace zentory
