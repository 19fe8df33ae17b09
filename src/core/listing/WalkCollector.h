#pragma once
// What the folder walk takes of the entries of one folder it reads.

#include "listing/FolderOrder.h"
#include "listing/ListFilter.h"
#include "listing/ScanWatch.h"
#include "platform/Directory.h"

#include <cstddef>
#include <string_view>

namespace zentory::walk {

// Takes the accepted entries of one folder into an order.
class Collector : public platform::Directory::Visitor {
public:
    // `subFolders`: whether sub-folders of this folder, `depth` levels below the
    // chosen one, are read at all. Every few thousand entries `watch` (may be
    // null) is told the files taken so far, and a cancel of it ends the read,
    // so that even a folder of a million files shows its count and stops at once.
    // `sizes`: the files' sizes and times will be looked up in the folder read.
    Collector(FolderOrder& order, bool subFolders, const FileFilter& filter, int depth,
              ScanWatch* watch, bool sizes = false)
        : m_order(order), m_filter(filter), m_watch(watch), m_subFolders(subFolders),
          m_depth(depth), m_sizes(sizes) {}

    bool wantsSizes() const override { return m_sizes; }

    bool entry(std::string_view name, bool isFolder,
               const platform::EntryIdentity& identity) override {
        if (m_watch != nullptr && (++m_seen & kCheckMask) == 0) {
            if (m_watch->cancelled()) {
                return false;
            }
            m_watch->found(m_taken - m_reported);
            m_reported = m_taken;
        }
        if (isFolder) {
            if (!m_subFolders || name == "." || name == ".." ||
                !m_filter.takesFolder(name, m_depth + 1)) {
                return true;
            }
        } else if (name.empty() || name.back() == '.' || !m_filter.takesFile(name)) {
            return true;
        }
        if (!m_order.add(name, isFolder, identity)) {
            m_overflow = true;
        }
        m_taken += isFolder ? 0 : 1;
        return true;
    }
    bool overflow() const { return m_overflow; }
    // The files already told to the watch.
    size_t reported() const { return m_reported; }

private:
    // The watch is looked at once in this many entries (plus one).
    static constexpr unsigned kCheckMask = 4095;

    FolderOrder& m_order;
    const FileFilter& m_filter;
    ScanWatch* m_watch;
    unsigned m_seen = 0;
    size_t m_taken = 0;    // files taken into the order
    size_t m_reported = 0; // of them, told to the watch
    const bool m_subFolders;
    const int m_depth;
    bool m_overflow = false;
    const bool m_sizes;
};

} // namespace zentory::walk
