#pragma once
// Which files a list takes: by name (wildcard patterns to include and to
// exclude), by depth, and without hidden entries.

#include "listing/Glob.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentory {

// The rules, as a person gives them.
struct ListFilter {
    // A file is listed when its name matches one of `include` (or there is
    // none) and none of `exclude`; see Glob for the patterns.
    std::vector<std::string> include;
    std::vector<std::string> exclude;
    bool ignoreCase = false; // for both
    // Folders below the chosen one are read down to this depth (1: its
    // sub-folders); -1 sets no bound.
    int maxDepth = -1;
    // Leaves out files and folders whose name begins with ".".
    bool noHidden = false;
};

// The rules made ready to be asked once per entry.
class FileFilter {
public:
    explicit FileFilter(const ListFilter& rules);

    // Whether a file of this name is listed.
    bool takesFile(std::string_view name) const {
        if (m_plain) {
            return true;
        }
        if (m_noHidden && !name.empty() && name.front() == '.') {
            return false;
        }
        return matchesRules(name);
    }
    // Whether a sub-folder of this name, `depth` levels below the chosen
    // folder, is read.
    bool takesFolder(std::string_view name, int depth) const {
        return (m_maxDepth < 0 || depth <= m_maxDepth) &&
               !(m_noHidden && !name.empty() && name.front() == '.');
    }

private:
    bool matchesRules(std::string_view name) const;

    std::vector<Glob> m_include;
    std::vector<Glob> m_exclude;
    int m_maxDepth;
    bool m_noHidden;
    bool m_plain; // takes every file
};

} // namespace zentory
