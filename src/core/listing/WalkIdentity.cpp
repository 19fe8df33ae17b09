#include "listing/WalkIdentity.h"

namespace zentory::walk {

using platform::EntryIdentity;
using platform::FolderIdentity;

Identities::Device& Identities::deviceOf(uint64_t device) {
    for (Device& d : m_devices) {
        if (d.device == device) {
            return d;
        }
    }
    return m_devices.emplace_back(Device{device, 0, false});
}

bool Identities::fromEntry(Folder& f) {
    switch (f.entry.source) {
    case EntryIdentity::Source::None:
        return false;
    case EntryIdentity::Source::Lookup:
        f.id = f.entry.id; // a link looked up tells both numbers of what it leads to
        return true;
    case EntryIdentity::Source::Entry:
        break;
    }
    if (m_mounts.mayBeMountPoint(f.name)) {
        return false;
    }
    const uint64_t device = f.parent->id.device;
    {
        std::lock_guard lock(m_mutex);
        const Device& d = deviceOf(device);
        if (d.differs || d.agreed < kChecks) {
            return false;
        }
    }
    f.id = FolderIdentity{device, f.entry.id.inode};
    return true;
}

void Identities::told(Folder& f, const FolderIdentity& id) {
    f.id = id;
    if (f.parent == nullptr || f.entry.source != EntryIdentity::Source::Entry ||
        m_mounts.mayBeMountPoint(f.name)) {
        return; // nothing to learn: the number would not have been used
    }
    const uint64_t device = f.parent->id.device;
    std::lock_guard lock(m_mutex);
    Device& d = deviceOf(device);
    // A folder on another device is a mount made after the walk began, or a
    // file system of its own without a mount: either way the entries there
    // do not tell, and every folder of the parent's file system is asked.
    if (id.device != device || id.inode != f.entry.id.inode) {
        d.differs = true;
    } else {
        ++d.agreed;
    }
}

bool Identities::enterOnce(const Folder& f) {
    bool seen = false;
    {
        std::lock_guard lock(m_mutex);
        seen = !m_seen.insert(f.id);
    }
    if (seen) {
        for (const Folder* up = f.parent; up != nullptr; up = up->parent) {
            if (up->id == f.id) {
                return false;
            }
        }
    }
    return true;
}

} // namespace zentory::walk
