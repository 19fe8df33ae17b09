#include "listing/WalkRecords.h"

#include "listing/WalkRoom.h"

#include <vector>

namespace zentory::walk {

std::string pathOf(const std::string& rootPath, const Folder& f) {
    std::vector<std::string_view> names;
    for (const Folder* up = &f; up->parent != nullptr; up = up->parent) {
        names.push_back(up->name);
    }
    std::string path = rootPath;
    for (auto name = names.rbegin(); name != names.rend(); ++name) {
        if (path.empty() || path.back() != kPathSeparator) {
            path += kPathSeparator;
        }
        path.append(*name);
    }
    return path;
}

void joinRecords(const std::string& path, const Folder& root, size_t files, uint64_t nameBytes,
                 bool fileStats, ScanResult& result) {
    FileList& list = result.files;
    list.reserve(files, nameBytes);
    if (fileStats) {
        result.stats.reserve(files);
    }
    constexpr uint32_t kNotYet = FileList::kNoFolder;
    struct Cursor {
        const char* next;
        const char* end;
        size_t pathLength;
        uint32_t number; // the folder's number in the list, once it has a file there
    };
    std::string here = path;
    const auto cursor = [&here](const Folder& f) {
        return Cursor{f.records.data(), f.records.data() + f.records.size(), here.size(), kNotYet};
    };
    std::vector<Cursor> stack{cursor(root)};
    Record record;
    while (!stack.empty()) {
        Cursor& top = stack.back();
        if (top.next == top.end) {
            stack.pop_back();
            if (!stack.empty()) {
                here.resize(stack.back().pathLength);
            }
            continue;
        }
        top.next = getRecord(top.next, record);
        if (record.folder == nullptr) {
            if (top.number == kNotYet) {
                top.number = list.addFolder(here);
            }
            list.appendIn(top.number, record.name);
            if (record.hasStat) {
                result.stats.push_back(record.stat);
            }
            continue;
        }
        const Folder& sub = *record.folder;
        const size_t base = here.size();
        here += kPathSeparator;
        here.append(record.name);
        if (sub.error != 0) {
            (isShortage(sub.error) ? result.lostFolders : result.unreadableFolders)
                .emplace_back(here, "read folder", sub.error);
        }
        if (sub.records.empty()) {
            here.resize(base);
            continue;
        }
        stack.push_back(cursor(sub));
    }
}

} // namespace zentory::walk
