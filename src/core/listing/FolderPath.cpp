#include "listing/FolderPath.h"

#include "listing/FileList.h"
#include "platform/Paths.h"

#include <vector>

namespace zentory {

std::string FolderLabel(std::string_view folder) {
    std::string label(folder);
    label += kPathSeparator;
    label += "...";
    return label;
}

std::string AbsoluteFolder(std::string_view path, std::string_view workingDirectory) {
    if (path.empty()) {
        return {};
    }
    std::string joined;
    if (!platform::isAbsolutePath(path)) {
        joined.assign(workingDirectory);
        joined += kPathSeparator;
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
