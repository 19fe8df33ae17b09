#pragma once
// The threads of a folder walk and what each of them owns while it runs.

#include "listing/FolderOrder.h"
#include "listing/WalkRecords.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <memory>
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

// Memory that a thread takes for the walk's whole length in large blocks, so
// that the heap does not grow a page at a time (a system call each time) as
// a million small records pile up. Nothing in it moves or is freed early.
class Space {
public:
    // Room for `bytes` bytes, aligned for a pointer.
    char* take(size_t bytes) {
        bytes = (bytes + kAlign - 1) & ~(kAlign - 1);
        if (bytes > m_left) {
            if (bytes > kBlock / 8) {
                return m_blocks.emplace_back(new char[bytes]).get(); // a block of its own
            }
            m_next = m_blocks.emplace_back(new char[kBlock]).get();
            m_left = kBlock;
        }
        char* at = m_next;
        m_next += bytes;
        m_left -= bytes;
        return at;
    }

private:
    static constexpr size_t kBlock = size_t{1} << 20;
    static constexpr size_t kAlign = alignof(void*);
    std::vector<std::unique_ptr<char[]>> m_blocks;
    char* m_next = nullptr;
    size_t m_left = 0;
};

// What one thread owns while the walk runs.
struct Worker {
    FolderOrder order;
    std::vector<Folder*> children; // of the folder just read, in order
    std::string name;              // a file name to look up, NUL-terminated
    size_t files = 0;              // entries its folders contribute
    uint64_t nameBytes = 0;        // and the bytes of their names

    Space space; // for the records of the folders it reads

    // A folder that lives as long as the walk, at an address that never changes.
    Folder* newFolder() {
        if (m_used == kFoldersPerBlock || m_folders.empty()) {
            m_folders.emplace_back(new Folder[kFoldersPerBlock]);
            m_used = 0;
        }
        return &m_folders.back()[m_used++];
    }

private:
    static constexpr size_t kFoldersPerBlock = 2048;
    std::vector<std::unique_ptr<Folder[]>> m_folders; // the folders it made
    size_t m_used = 0;                                // of the last block
};

} // namespace zentory::walk
