#pragma once
// The sizes and times of a folder's files, looked up by several threads at
// once: on a share each look-up is a round trip, and a folder of thousands of
// photos would keep one thread waiting for each in turn. The folder's records
// are written first, each file's FileStat unknown; chunks of them are then
// looked up, each by whichever thread is free, in the folder kept open for them.

#include "listing/ScanWatch.h"
#include "listing/WalkRecords.h"

#include <atomic>
#include <cstdint>
#include <vector>

namespace zentory::walk {

// A run of `files` file records of `folder`, the first at `from`.
struct Lookup {
    Folder* folder = nullptr;
    char* from = nullptr;
    uint32_t files = 0;
};

// Files in one chunk: few enough that many threads share a folder's files,
// enough that taking a chunk costs little beside its look-ups.
inline constexpr uint32_t kLookupChunk = 8;

// Cuts the records of `f` (all written, files with an unknown FileStat) into
// chunks of look-ups, added to `out`.
inline void cutLookups(Folder& f, std::vector<Lookup>& out) {
    char* at = f.records.data();
    char* const end = at + f.records.size();
    Lookup chunk{&f, nullptr, 0};
    Record record;
    while (at != end) {
        char* next = const_cast<char*>(getRecord(at, record));
        if (record.hasStat) {
            if (chunk.files == 0) {
                chunk.from = at;
            }
            if (++chunk.files == kLookupChunk) {
                out.push_back(chunk);
                chunk.files = 0;
            }
        }
        at = next;
    }
    if (chunk.files > 0) {
        out.push_back(chunk);
    }
}

// Looks up the files of `chunk` in `dir`, their folder's open handle, and
// writes each one's size and time into its record (unknown where it leads
// nowhere), counting each one in `done`, written by this thread alone. A
// cancel of `watch` (may be null) ends it after the file being looked up, so
// that a folder of thousands of files on a slow share stops at once.
inline void lookUp(const platform::Directory& dir, const Lookup& chunk, std::atomic<uint64_t>& done,
                   ScanWatch* watch) {
    char* at = chunk.from;
    Record record;
    for (uint32_t files = 0; files < chunk.files;) {
        char* next = const_cast<char*>(getRecord(at, record));
        if (record.hasStat) {
            if (watch != nullptr) {
                if (watch->cancelled()) {
                    return; // the walk ends as cancelled: nothing of it counts
                }
                watch->lookingUp();
            }
            FileStat stat;
            // The name in a record is followed by a NUL.
            if (dir.statEntry(record.name.data(), stat.size, stat.modified) != 0) {
                stat = FileStat{};
            }
            std::memcpy(next - sizeof stat, &stat, sizeof stat);
            done.store(done.load(std::memory_order_relaxed) + 1, std::memory_order_relaxed);
            ++files;
        }
        at = next;
    }
}

} // namespace zentory::walk
