#include "listing/FolderPath.h"

#include "listing/FileList.h"
#include "platform/Paths.h"

#include <algorithm>
#include <vector>

namespace zentory {

std::string folderLabel(std::string_view folder) {
    std::string label(folder);
    label += kPathSeparator;
    label += "...";
    return label;
}

namespace {

bool sameDrive(std::string_view drive, std::string_view folder) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    const std::string_view other = platform::pathRoot(folder);
    return other.size() == drive.size() &&
           std::equal(drive.begin(), drive.end(), other.begin(),
                      [&](char a, char b) { return lower(a) == lower(b); });
}

} // namespace

std::string absoluteFolder(std::string_view path, std::string_view workingDirectory) {
    if (path.empty()) {
        return {};
    }
    std::string joined;
    if (!platform::isAbsolutePath(path)) {
        // "C:img" is img in drive C's working folder: this one when it is on
        // C:, else C:'s root (a process keeps only one working folder).
        const std::string_view drive = platform::pathRoot(path);
        joined.assign(drive.empty() || sameDrive(drive, workingDirectory) ? workingDirectory
                                                                          : drive);
        joined += kPathSeparator;
        path.remove_prefix(drive.size());
    }
    joined.append(path);
    joined = platform::nativeSeparators(joined);
    // A drive or a share stays in front whatever ".." follow it.
    const std::string root(platform::pathRoot(joined));

    std::vector<std::string_view> parts;
    std::string_view rest = std::string_view(joined).substr(root.size());
    while (!rest.empty()) {
        const size_t end = rest.find(kPathSeparator);
        const std::string_view part = rest.substr(0, end);
        rest = end == std::string_view::npos ? std::string_view() : rest.substr(end + 1);
        if (part.empty() || part == ".") {
            continue;
        }
        if (part == "..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
            continue;
        }
        parts.push_back(part);
    }
    std::string result = root;
    for (const auto& part : parts) {
        result += kPathSeparator;
        result.append(part);
    }
    return result.size() == root.size() ? root + kPathSeparator : result;
}

} // namespace zentory
