#include "listing/FolderOrder.h"

#include <algorithm>
#include <cstring>

namespace zentory {

bool FolderOrder::add(std::string_view name, bool isFolder,
                      const platform::EntryIdentity& identity) {
    const size_t offset = m_keys.size();
    const size_t extra = isFolder ? sizeof identity : 0;
    if (offset + name.size() + 1 + extra > UINT32_MAX) {
        return false;
    }
    m_keys.append(name);
    m_keys.push_back(isFolder ? kFolderMark : kFileMark);
    if (isFolder) {
        m_keys.append(reinterpret_cast<const char*>(&identity), sizeof identity);
    }
    const size_t length = name.size() + 1;
    uint64_t prefix = 0;
    const char* key = m_keys.data() + offset;
    for (size_t i = 0; i < 8; ++i) {
        prefix = (prefix << 8) | (i < length ? static_cast<unsigned char>(key[i]) : 0u);
    }
    m_items.push_back(Item{prefix, static_cast<uint32_t>(offset), static_cast<uint32_t>(length)});
    return true;
}

void FolderOrder::sort() {
    const char* keys = m_keys.data();
    // Keys hold no NUL, so the zero padding of a short key orders it before any
    // longer key that shares its bytes, as a shorter string does.
    std::sort(m_items.begin(), m_items.end(), [keys](const Item& a, const Item& b) {
        if (a.prefix != b.prefix) {
            return a.prefix < b.prefix;
        }
        if (a.length <= 8 || b.length <= 8) {
            return a.length < b.length;
        }
        const size_t common = std::min(a.length, b.length) - 8;
        const int c = std::memcmp(keys + a.offset + 8, keys + b.offset + 8, common);
        return c != 0 ? c < 0 : a.length < b.length;
    });
}

} // namespace zentory
