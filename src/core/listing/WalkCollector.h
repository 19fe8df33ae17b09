#pragma once
// What the folder walk takes of the entries of one folder it reads.

#include "listing/FolderOrder.h"
#include "listing/ListFilter.h"
#include "platform/Directory.h"

#include <string_view>

namespace zentory::walk {

// Takes the accepted entries of one folder into an order.
class Collector : public platform::Directory::Visitor {
public:
    // `subFolders`: whether sub-folders of this folder, `depth` levels below the
    // chosen one, are read at all.
    Collector(FolderOrder& order, bool subFolders, const FileFilter& filter, int depth)
        : m_order(order), m_filter(filter), m_subFolders(subFolders), m_depth(depth) {}

    void entry(std::string_view name, bool isFolder) override {
        if (isFolder) {
            if (!m_subFolders || name == "." || name == ".." ||
                !m_filter.takesFolder(name, m_depth + 1)) {
                return;
            }
        } else if (name.empty() || name.back() == '.' || !m_filter.takesFile(name)) {
            return;
        }
        if (!m_order.add(name, isFolder)) {
            m_overflow = true;
        }
    }
    bool overflow() const { return m_overflow; }

private:
    FolderOrder& m_order;
    const FileFilter& m_filter;
    const bool m_subFolders;
    const int m_depth;
    bool m_overflow = false;
};

} // namespace zentory::walk
