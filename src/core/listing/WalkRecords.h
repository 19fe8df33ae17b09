#pragma once
// What the folder walk keeps of each folder it reads: the folder itself, and
// its entries in order as compact records; and the one pass that joins the
// records of all folders, from the chosen folder down, into the file list.

#include "listing/FolderScan.h"
#include "platform/Directory.h"

#include <atomic>
#include <cstdint>
#include <cstring>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace zentory::walk {

struct Folder {
    Folder* parent = nullptr;
    std::string_view name;         // in the parent's records, followed by a NUL
    platform::EntryIdentity entry; // what the parent's read told of its identity
    platform::FolderIdentity id;   // set once it is entered
    // Kept open while sub-folders still have to be opened in it; `users`
    // counts them (and anyone opening a deeper folder through it). The last
    // one closes it. A folder that is not kept has no users.
    platform::Directory dir;
    std::atomic<uint32_t> users{0};
    std::span<char> records; // its entries in order, in its reader's space; none when not read
    int error = 0;           // errno when it could not be opened or read
    int depth = 0;           // levels below the chosen folder
};

// One record: kind (1 byte), name length (2 bytes, little-endian), the name,
// a NUL, and for a sub-folder its Folder*, for a file with its size and time
// its FileStat. A name is shorter than 64 KiB, as the system hands over no
// longer one.
struct Record {
    std::string_view name;
    const Folder* folder = nullptr; // the sub-folder; none for a file
    bool hasStat = false;
    FileStat stat;
};

inline size_t recordSize(std::string_view name, bool isFolder, bool withStat = false) {
    return 3 + name.size() + 1 + (isFolder ? sizeof(Folder*) : withStat ? sizeof(FileStat) : 0);
}

// Writes the record of `name` at `out`; a sub-folder's record points at
// `folder`, whose name then lives in the record. Returns the end of the record.
inline char* putRecord(char* out, std::string_view name, Folder* folder) {
    out[0] = folder != nullptr ? 'd' : 'f';
    out[1] = static_cast<char>(name.size() & 0xff);
    out[2] = static_cast<char>(name.size() >> 8);
    char* stored = out + 3;
    std::memcpy(stored, name.data(), name.size());
    stored[name.size()] = '\0';
    out = stored + name.size() + 1;
    if (folder != nullptr) {
        folder->name = std::string_view(stored, name.size());
        std::memcpy(out, &folder, sizeof folder);
        out += sizeof folder;
    }
    return out;
}

// Writes the record of the file `name` with its `stat`.
inline char* putRecord(char* out, std::string_view name, const FileStat& stat) {
    out = putRecord(out, name, nullptr);
    *(out - name.size() - 4) = 's';
    std::memcpy(out, &stat, sizeof stat);
    return out + sizeof stat;
}

// Reads the record at `at` into `out`. Returns the start of the next record.
inline const char* getRecord(const char* at, Record& out) {
    const size_t length = static_cast<unsigned char>(at[1]) |
                          static_cast<size_t>(static_cast<unsigned char>(at[2])) << 8;
    out.name = std::string_view(at + 3, length);
    out.folder = nullptr;
    out.hasStat = false;
    const char* next = at + 3 + length + 1;
    if (at[0] == 'd') {
        std::memcpy(&out.folder, next, sizeof out.folder);
        next += sizeof out.folder;
    } else if (at[0] == 's') {
        out.hasStat = true;
        std::memcpy(&out.stat, next, sizeof out.stat);
        next += sizeof out.stat;
    }
    return next;
}

// The path of `f`, a folder below (or at) `root`, the chosen folder at `rootPath`.
std::string pathOf(const std::string& rootPath, const Folder& f);

// Joins the records below `root`, the folder at `path`, into result.files (which
// gets room for `files` entries with `nameBytes` bytes of names first), their
// sizes and times (with `fileStats`) into result.stats, and names the folders
// that could not be read in result.unreadableFolders (result.lostFolders for
// those that lacked open files or memory), all in the order of the list.
void joinRecords(const std::string& path, const Folder& root, size_t files, uint64_t nameBytes,
                 bool fileStats, ScanResult& result);

} // namespace zentory::walk
