#pragma once
// The folder walk: collects the files of a folder (and, on request, of all its
// sub-folders at any depth) into a file list in ascending byte order.

#include "listing/FileList.h"
#include "listing/FileStat.h"
#include "listing/ListFilter.h"
#include "platform/FileError.h"

#include <optional>
#include <string>
#include <vector>

namespace zentory {

struct ScanResult {
    // One entry per file, in ascending unsigned byte order of the whole entries.
    FileList files;
    // Set when the chosen folder itself could not be opened or read; the list is then empty.
    std::optional<platform::FileError> folderError;
    // Folders below the chosen one that could not be opened or read, in the
    // order of the list. Each contributed nothing; the walk went on without them.
    std::vector<platform::FileError> unreadableFolders;
    // Folders below the chosen one that could not be opened or read for lack
    // of open files or memory (EMFILE, ENFILE, ENOMEM), even after the walk
    // waited for room and tried again, in the order of the list. Unlike those
    // above they may hold files: with any of them the list is incomplete.
    std::vector<platform::FileError> lostFolders;
    // Set when the walk was cancelled through its ScanWatch; everything above is then empty.
    bool cancelled = false;
    // With ScanOptions::fileStats: the size and time of each entry of `files`,
    // in the same order; otherwise empty.
    std::vector<FileStat> stats;
};

// What a walk takes beyond the folder.
struct ScanOptions {
    bool subFolders = false;
    // Which files and sub-folders it takes; by default all of them.
    ListFilter filter;
    // Whether it also looks up each file's size and time (one more system call per file).
    bool fileStats = false;
    // Threads that read from the start; 0: as many as suit the machine.
    unsigned threads = 0;

    // Every file of the folder, and of all folders below it with `subFolders`.
    static ScanOptions all(bool subFolders, unsigned threads = 0) {
        ScanOptions options;
        options.subFolders = subFolders;
        options.threads = threads;
        return options;
    }
};

class ScanWatch;

// Walks `folder` (a path without a trailing separator, except for the root
// "/"). Every entry that is not a folder becomes an entry "folder/name" + LF,
// unless its name ends with "."; a link counts as what it leads to, a dangling
// link as a file. With `subFolders` every folder below is walked too, links to
// folders included, except a link back to a folder on the way down from
// `folder`, which is not entered again; without it, sub-folders are skipped.
// The depth is not bounded by the call stack, and paths may be longer than the
// system's path limit. Sub-folders are read on one thread per core, and on
// more once the walk proves long or waits for the disk (or on `options.threads`
// from the start); the result does not depend on how many threads read, nor
// on their timing. With a filter in `options`, only the files it takes are
// listed, and a sub-folder it does not take is not entered. A `watch` follows
// the walk from another thread and may cancel it.
ScanResult ScanFolder(const std::string& folder, const ScanOptions& options,
                      ScanWatch* watch = nullptr);

} // namespace zentory
