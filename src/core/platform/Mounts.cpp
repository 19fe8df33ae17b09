#include "platform/Mounts.h"

#include <algorithm>

namespace zentory::platform {

namespace {

// The field of a mount table line after `count` spaces.
std::string_view field(std::string_view line, int count) {
    size_t at = 0;
    for (int i = 0; i < count; ++i) {
        at = line.find(' ', at);
        if (at == std::string_view::npos) {
            return {};
        }
        ++at;
    }
    return line.substr(at, line.find(' ', at) - at);
}

bool isOctal(std::string_view digits) {
    return digits[0] >= '0' && digits[0] <= '3' && digits[1] >= '0' && digits[1] <= '7' &&
           digits[2] >= '0' && digits[2] <= '7';
}

// The last name of a mount point as written in the table, its "\ooo" escapes
// (space, tab, line feed, backslash) turned back into their bytes.
std::string lastName(std::string_view path) {
    const size_t slash = path.rfind('/');
    const std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    std::string out;
    for (size_t i = 0; i < name.size(); ++i) {
        if (name[i] == '\\' && i + 3 < name.size() && isOctal(name.substr(i + 1, 3))) {
            out += static_cast<char>((name[i + 1] - '0') * 64 + (name[i + 2] - '0') * 8 +
                                     (name[i + 3] - '0'));
            i += 3;
        } else {
            out += name[i];
        }
    }
    return out;
}

} // namespace

MountNames MountNames::fromMountInfo(std::string_view text) {
    MountNames mounts;
    mounts.m_everyName = false;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        const std::string_view point = field(line, 4);
        if (!point.empty()) {
            mounts.m_names.push_back(lastName(point));
        }
    }
    std::sort(mounts.m_names.begin(), mounts.m_names.end());
    mounts.m_names.erase(std::unique(mounts.m_names.begin(), mounts.m_names.end()),
                         mounts.m_names.end());
    return mounts;
}

bool MountNames::mayBeMountPoint(std::string_view name) const {
    return m_everyName || std::binary_search(m_names.begin(), m_names.end(), name);
}

} // namespace zentory::platform
