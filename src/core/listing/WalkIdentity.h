#pragma once
// How the folder walk knows which folder it enters, so that it enters none
// twice on its own way down (a link, or a file system mounted, back to a
// folder above), without asking every folder: the read of its parent tells
// its inode number, the parent its device. Only a folder that may be a mount
// point, one reached on a file system whose entries are not yet known to
// carry the folders' own numbers, and one whose read told nothing, is asked.

#include "listing/IdentitySet.h"
#include "listing/WalkRecords.h"
#include "platform/Directory.h"
#include "platform/Mounts.h"

#include <cstdint>
#include <mutex>
#include <vector>

namespace zentory::walk {

class Identities {
public:
    explicit Identities(platform::MountNames mounts) : m_mounts(std::move(mounts)) {}

    // Sets f.id from what the read of its parent told, when that can be
    // trusted; false when the folder itself must be asked once it is open.
    bool fromEntry(Folder& f);
    // The open folder `f` told `id`: keeps it, and learns from it whether
    // the entries of its parent's file system carry the folders' own numbers.
    void told(Folder& f, const platform::FolderIdentity& id);
    // Notes that `f`, whose identity is set, is being entered; false when it
    // is a folder on its own way down, reached again, which is not entered again.
    bool enterOnce(const Folder& f);

    // Folders on one file system asked before its entries' numbers are trusted.
    static constexpr unsigned kChecks = 4;

private:
    struct Device {
        uint64_t device;
        unsigned agreed; // folders whose entry and own numbers agreed
        bool differs;    // one did not: every folder there is asked
    };
    Device& deviceOf(uint64_t device); // with m_mutex held

    const platform::MountNames m_mounts;
    std::mutex m_mutex; // guards everything below
    std::vector<Device> m_devices;
    IdentitySet m_seen;
};

} // namespace zentory::walk
