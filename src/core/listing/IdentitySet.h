#pragma once
// A set of folder identities, for a walk that must recognise a folder it has
// entered before.

#include "platform/Directory.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <utility>
#include <vector>

namespace zentory {

// The identities of the folders entered so far: open addressing in one array
// of identities, far less memory than a node per folder. Not thread-safe.
class IdentitySet {
public:
    // Adds `id`; false when it was there already.
    bool insert(const platform::FolderIdentity& id) {
        if (id == kFreeId) {
            return !std::exchange(m_holdsFreeId, true);
        }
        if (4 * (m_count + 1) > 3 * m_slots.size()) {
            grow();
        }
        if (place(m_slots, id)) {
            ++m_count;
            return true;
        }
        return false;
    }

private:
    // A slot holding kFreeId is free; that identity itself, should a folder
    // ever have it, is noted apart.
    static constexpr platform::FolderIdentity kFreeId{UINT64_MAX, UINT64_MAX};
    struct Slot {
        platform::FolderIdentity id = kFreeId;
        bool used() const { return !(id == kFreeId); }
    };

    static bool place(std::vector<Slot>& slots, const platform::FolderIdentity& id) {
        const size_t mask = slots.size() - 1;
        size_t i = static_cast<size_t>((id.inode * 0x9e3779b97f4a7c15ULL ^ id.device) >> 17) & mask;
        for (; slots[i].used(); i = (i + 1) & mask) {
            if (slots[i].id == id) {
                return false;
            }
        }
        slots[i].id = id;
        return true;
    }
    void grow() {
        std::vector<Slot> bigger(std::max<size_t>(1024, 2 * m_slots.size()));
        for (const Slot& slot : m_slots) {
            if (slot.used()) {
                place(bigger, slot.id);
            }
        }
        m_slots.swap(bigger);
    }

    std::vector<Slot> m_slots;
    size_t m_count = 0;
    bool m_holdsFreeId = false;
};

} // namespace zentory
