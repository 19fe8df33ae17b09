#pragma once
// The list options of the window: which files a read takes and what the list
// shows and saves beside the names, as the command line's options do (the same
// core code). They last while the program runs and are not stored; at their
// defaults the window lists and saves exactly as without them.

#include "export/TextExport.h"
#include "listing/FolderScan.h"
#include "listing/ListFilter.h"

namespace zentory::window {

struct ListOptions {
    // Include and exclude patterns, letter case, hidden entries and the depth
    // (-1: no bound; 0: the folder's own files only).
    ListFilter filter;
    // The size and date columns and the totals.
    ListColumns columns;

    // The walk of a read with the sub-folder box as `subFolders`: the depth
    // bounds how far sub-folders are read, and the columns ask for each file's
    // size and time.
    ScanOptions ScanFor(bool subFolders) const {
        ScanOptions options;
        options.subFolders = subFolders && filter.maxDepth != 0;
        options.filter = filter;
        options.fileStats = columns.size || columns.modified || columns.totals;
        return options;
    }
};

} // namespace zentory::window
