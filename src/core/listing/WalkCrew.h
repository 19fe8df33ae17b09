#pragma once
// The threads of a folder walk and what each of them owns while it runs.

#include "listing/FolderOrder.h"
#include "listing/WalkLookups.h"
#include "listing/WalkRecords.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

namespace zentory::walk {

using Clock = std::chrono::steady_clock;

// Threads for a walk: `first` read from the start, and the crew may grow to
// `most`. A walk of cached folders can use one thread per core and no more; on
// a disk or a network share each read waits for a round trip, and the file
// system serves many reads at once far faster than one after the other.
struct Crew {
    unsigned first;
    unsigned most;
};
// How long a walk runs on its first threads before the crew is sized: a small
// cached walk does not pay for threads it has no use for.
inline constexpr auto kPatience = std::chrono::milliseconds(20);
// How long each later window of time lasts.
inline constexpr auto kWindow = std::chrono::milliseconds(20);
// How long the threads get after a change of the crew before its rate is
// measured: the started ones get going, the others finish their folder.
inline constexpr auto kSettle = std::chrono::milliseconds(5);
// The most threads a walk keeps reading: enough requests in flight for a
// share whose every request waits a few milliseconds. A walk that looks up
// each file's size and time makes a request per file besides a few per
// folder, and may keep more of them in flight.
inline constexpr unsigned kMostThreads = 64;
inline constexpr unsigned kMostThreadsWithLookups = 512;

// One thread per core at first, as many as the file system rewards later;
// `threads` (not 0) fixes the crew, for a person who must spare a server.
inline Crew crewFor(unsigned threads, bool lookups = false) {
    if (threads > 0) {
        return Crew{threads, threads};
    }
    const unsigned cores = std::max(1u, std::thread::hardware_concurrency());
    const unsigned most = lookups ? kMostThreadsWithLookups : kMostThreads;
    return Crew{std::min(cores, most), most};
}

// The rule that sizes the crew from what it achieves, known to nobody but the
// walk's own count of folders read: after each window of time it is told how
// many folders per second the threads of that window read, and answers how
// many threads read in the next one. It doubles the crew while each doubling
// pays (the rate rises by a fifth or more), and goes back to the last size that
// paid when one does not: on cached folders that is where it began, one thread
// per core. A step whose rate grew almost as much as the crew (four fifths of
// it: every thread spent its time waiting for a server) is followed by one
// four times as large, so that a share has its requests in flight after a few
// windows rather than many. When the rate later falls to less than half of
// what the chosen size gave (the walk has reached folders that are not cached,
// or a slower server), it tries doubling again.
class CrewSize {
public:
    explicit CrewSize(Crew crew)
        : m_first(std::max(1u, crew.first)), m_most(std::max(m_first, crew.most)),
          m_threads(m_first) {}

    unsigned threads() const { return m_threads; }
    bool fixed() const { return m_first == m_most; }

    // The last window's rate with threads() threads; returns the next size.
    // `starved`: threads waited for work in it, so the rate was set by the
    // folders found so far, not by the threads: it judges nothing.
    unsigned measured(double foldersPerSecond, bool starved = false) {
        if (starved && m_tried > 0) {
            return m_threads;
        }
        if (m_tried == 0 || (!m_growing && foldersPerSecond < kDrop * m_bestRate)) {
            startGrowing(foldersPerSecond, 2); // the first window, or the walk slowed down
        } else if (m_growing) {
            if (foldersPerSecond >= kGain * m_bestRate) {
                const double grew = static_cast<double>(m_threads) / m_best;
                const bool waited = foldersPerSecond >= kWaited * grew * m_bestRate;
                startGrowing(foldersPerSecond, waited ? 4 : 2);
            } else {
                m_threads = m_best; // the doubling did not pay: back to the size that did
                m_growing = false;
            }
        } else if (foldersPerSecond > m_bestRate) {
            m_bestRate = foldersPerSecond;
        }
        return m_threads;
    }

    static constexpr double kGain = 1.2;
    static constexpr double kWaited = 0.8;
    static constexpr double kDrop = 0.5;

private:
    // The rate of threads() paid: the next window tries `factor` times as many.
    void startGrowing(double rate, unsigned factor) {
        ++m_tried;
        m_best = m_threads;
        m_bestRate = rate;
        m_growing = m_threads < m_most;
        m_threads = std::min(factor * m_threads, m_most);
    }

    const unsigned m_first;
    const unsigned m_most;
    unsigned m_threads;
    unsigned m_best = 0;    // the size that paid last
    double m_bestRate = 0;  // and its rate
    bool m_growing = false; // threads() is a doubling being tried
    unsigned m_tried = 0;   // windows that set a new best
};

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
    std::vector<Lookup> lookups;   // of its files, for any thread
    // Folders read and files looked up, for the crew's size: written by its
    // thread alone (no locked add), read by whichever sizes the crew.
    alignas(64) std::atomic<uint64_t> done{0};
    static void count(std::atomic<uint64_t>& done) {
        done.store(done.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
    }
    size_t files = 0;       // entries its folders contribute
    uint64_t nameBytes = 0; // and the bytes of their names

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
