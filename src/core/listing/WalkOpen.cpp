#include "listing/WalkOpen.h"

#include "listing/FileList.h"

#include <algorithm>
#include <cerrno>
#include <string>
#include <vector>

namespace zentory::walk {

using platform::Directory;
using platform::FolderIdentity;

FolderOpener::FolderOpener(unsigned threads) {
    // Leave most of the process's open files to everyone else, and room for
    // each thread to open a folder by its path (two at once). Under a low
    // limit every folder is opened by its path from the chosen one, always open.
    const size_t limit = platform::openFileLimit();
    const size_t spare = 32 + 2 * size_t{threads};
    m_budget = limit > spare + 8 ? std::min<size_t>((limit - spare) / 2, 1024) : 0;
}

void FolderOpener::keepRoot(Folder& root, Directory& dir, size_t subFolders) {
    // One use more than it has sub-folders: every reopening can start here.
    root.users.store(1 + static_cast<uint32_t>(subFolders));
    root.dir = std::move(dir);
}

void FolderOpener::keep(Folder& f, Directory& dir, size_t subFolders, size_t lookups) {
    if (lookups == 0 && (subFolders == 0 || m_kept.load(std::memory_order_relaxed) >=
                                                m_budget.load(std::memory_order_relaxed))) {
        return;
    }
    f.users.store(static_cast<uint32_t>(subFolders + lookups), std::memory_order_relaxed);
    f.dir = std::move(dir);
    m_kept.fetch_add(1, std::memory_order_relaxed);
}

int FolderOpener::open(const Folder& f, Directory& dir) {
    Folder& parent = *f.parent;
    if (parent.dir.isOpen()) {
        // Open until this folder, one of its users, lets go of it.
        const int err = dir.openIn(parent.dir, f.name.data());
        release(parent);
        return err;
    }
    return reopen(f, dir);
}

void FolderOpener::skip(const Folder& f) {
    // A kept parent stays open until each of its sub-folders lets go of it.
    if (f.parent->dir.isOpen()) {
        release(*f.parent);
    }
}

void FolderOpener::release(Folder& f) {
    if (f.users.fetch_sub(1, std::memory_order_acq_rel) == 1) {
        f.dir.close();
        m_kept.fetch_sub(1, std::memory_order_relaxed);
    }
}

// Takes a share of `f`'s handle when it is still open.
bool FolderOpener::pin(Folder& f) {
    uint32_t users = f.users.load(std::memory_order_acquire);
    while (users > 0) {
        if (f.users.compare_exchange_weak(users, users + 1, std::memory_order_acq_rel)) {
            return true;
        }
    }
    return false;
}

// Opens `f` by its path from the nearest folder above that is still open (its
// parent, when kept), a few names per call, checking that each folder reached
// is the one read before.
int FolderOpener::reopen(const Folder& f, Directory& dir) {
    std::vector<const Folder*> chain;
    Folder* anchor = f.parent;
    while (!pin(*anchor)) {
        chain.push_back(anchor);
        anchor = anchor->parent;
    }
    int err = 0;
    Directory at;
    const Directory* from = &anchor->dir;
    for (size_t end = chain.size(); end > 0 && err == 0;) {
        // Few enough names that the system follows every link among them.
        size_t begin = end;
        std::string relative;
        while (begin > 0 && end - begin < 16 && relative.size() < 2048) {
            if (!relative.empty()) {
                relative += kPathSeparator;
            }
            relative.append(chain[--begin]->name);
        }
        Directory next;
        err = next.openIn(*from, relative);
        FolderIdentity id;
        if (err == 0) {
            err = next.identity(id);
        }
        if (err == 0 && id != chain[begin]->id) {
            err = ENOENT; // replaced by another folder while the walk ran
        }
        at = std::move(next);
        from = &at;
        end = begin;
    }
    if (err == 0) {
        err = dir.openIn(*from, f.name.data());
    }
    release(*anchor);
    return err;
}

} // namespace zentory::walk
