#include "listing/ListFilter.h"

namespace zentory {

FileFilter::FileFilter(const ListFilter& rules)
    : m_maxDepth(rules.maxDepth), m_noHidden(rules.noHidden),
      m_plain(rules.include.empty() && rules.exclude.empty() && !rules.noHidden) {
    for (const auto& pattern : rules.include) {
        m_include.emplace_back(pattern, rules.ignoreCase);
    }
    for (const auto& pattern : rules.exclude) {
        m_exclude.emplace_back(pattern, rules.ignoreCase);
    }
}

bool FileFilter::matchesRules(std::string_view name) const {
    bool included = m_include.empty();
    for (const auto& glob : m_include) {
        if (glob.matches(name)) {
            included = true;
            break;
        }
    }
    if (!included) {
        return false;
    }
    for (const auto& glob : m_exclude) {
        if (glob.matches(name)) {
            return false;
        }
    }
    return true;
}

} // namespace zentory
