#pragma once
// The threads of a folder walk and what each of them owns while it runs.

#include "listing/FolderOrder.h"
#include "listing/WalkRecords.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace zentory::walk {

using Clock = std::chrono::steady_clock;

// Threads for a walk. It starts with one per core, which is all a walk of
// cached folders can use. One that is still going after kPatience is large or
// waits for the disk; it gets more threads than there are cores, because a
// folder that is not cached keeps its thread waiting, and the disk serves
// several reads at once far faster than one after the other. A small cached
// walk does not pay for starting threads it has no use for.
struct Crew {
    unsigned first;
    unsigned most;
};
inline constexpr auto kPatience = std::chrono::milliseconds(20);

inline Crew defaultCrew() {
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned most = std::clamp(4 * cores, 4u, 16u);
    return Crew{std::min(cores, most), most};
}

// What one thread owns while the walk runs.
struct Worker {
    std::deque<Folder> folders; // the folders it made; a deque never moves them
    FolderOrder order;
    std::vector<Folder*> children; // of the folder just read, in order
    std::string name;              // a file name to look up, NUL-terminated
    size_t files = 0;              // entries its folders contribute
    uint64_t nameBytes = 0;        // and the bytes of their names

    Folder* newFolder() { return &folders.emplace_back(); }
};

} // namespace zentory::walk
