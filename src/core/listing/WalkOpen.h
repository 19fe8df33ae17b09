#pragma once
// How the folder walk opens folders: inside their open parent, so no path is
// ever spelled out from the top and no path length limit applies. A parent is
// kept open while its sub-folders still need it, within a budget drawn from
// the process's open-file limit; the sub-folders of one that could not be kept
// are opened by their path from the nearest open folder above.

#include "listing/WalkRecords.h"
#include "platform/Directory.h"

#include <atomic>
#include <cstddef>

namespace zentory::walk {

class FolderOpener {
public:
    // For a walk on at most `threads` threads.
    explicit FolderOpener(unsigned threads);

    // Keeps the chosen folder `root` open for the whole walk, `dir` being its handle.
    void keepRoot(Folder& root, platform::Directory& dir, size_t subFolders);
    // Keeps `f`, just read through `dir`, open for its `subFolders`, when the
    // budget allows; otherwise `dir` stays with the caller. With `lookups`
    // chunks of its files still to look up in it, it is kept whatever the
    // budget, until they are done: there are never many.
    void keep(Folder& f, platform::Directory& dir, size_t subFolders, size_t lookups = 0);
    // One chunk of look-ups in `f` is done.
    void lookedUp(Folder& f) { release(f); }
    // Opens `f` (not the chosen folder) into `dir`. Returns 0 or the errno value.
    int open(const Folder& f, platform::Directory& dir);
    // Lets go of what `f`, which is not entered, held of its parent.
    void skip(const Folder& f);
    // Opens `f` again after open() failed for it: from the nearest folder
    // above that is still open. Returns 0 or the errno value.
    int retry(const Folder& f, platform::Directory& dir) { return reopen(f, dir); }
    // Keeps no more folders open for their sub-folders: the process or the
    // system is short of open files or memory. Those kept already close as
    // their sub-folders are opened.
    void keepNoMore() { m_budget.store(0, std::memory_order_relaxed); }

private:
    void release(Folder& f);
    static bool pin(Folder& f);
    int reopen(const Folder& f, platform::Directory& dir);

    std::atomic<size_t> m_budget;
    std::atomic<size_t> m_kept{0};
};

} // namespace zentory::walk
