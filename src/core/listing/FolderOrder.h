#pragma once
// The order of one folder's entries. Each name is ordered as its sort key: the
// name followed by "/" for a folder or by LF for a file. Emitting each folder's
// files in this order, and a sub-folder's whole list at its place, gives the
// files of the whole tree in the byte order of their entries without a global
// comparison sort: a sub-folder's entries all begin with "name/", a file's entry
// is "name" + LF, and a name holds neither "/" nor NUL.

#include "platform/Directory.h"
#include "platform/PathSeparator.h"

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace zentory {

class FolderOrder {
public:
    // Forgets the names, keeping the memory for the next folder.
    void clear() {
        m_keys.clear();
        m_items.clear();
    }
    // Adds a name, a folder's with what the read told of its identity.
    // Returns false, adding nothing, when the folder's names outgrow what one
    // order can hold (4 GiB).
    bool add(std::string_view name, bool isFolder,
             const platform::EntryIdentity& identity = platform::EntryIdentity());
    // Puts the names in ascending unsigned byte order of their sort keys.
    void sort();

    size_t size() const { return m_items.size(); }
    // The name in place `i` (after sort), without its mark.
    std::string_view name(size_t i) const {
        const Item& item = m_items[i];
        return std::string_view(m_keys.data() + item.offset, item.length - 1);
    }
    bool isFolder(size_t i) const {
        const Item& item = m_items[i];
        return m_keys[item.offset + item.length - 1] == kFolderMark;
    }
    // What the read told of the identity of the folder in place `i`.
    platform::EntryIdentity identity(size_t i) const {
        const Item& item = m_items[i];
        platform::EntryIdentity identity;
        std::memcpy(&identity, m_keys.data() + item.offset + item.length, sizeof identity);
        return identity;
    }

private:
    static constexpr char kFolderMark = platform::kPathSeparator;
    static constexpr char kFileMark = '\n';

    struct Item {
        uint64_t prefix; // the key's first eight bytes, big-endian, zero-padded
        uint32_t offset; // of the key in m_keys
        uint32_t length; // of the key, mark included
    };

    std::string m_keys; // each key, a folder's followed by its EntryIdentity
    std::vector<Item> m_items;
};

} // namespace zentory
