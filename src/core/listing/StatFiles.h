#pragma once
// The sizes and times of a list's files, looked up after the walk: for a list
// that was read without them and is then asked for a table or a column.

#include "listing/FileList.h"
#include "listing/FileStat.h"

#include <vector>

namespace zentory {

// One FileStat per entry of `files`, in its order, as a walk with
// ScanOptions::fileStats gives them: a link followed to what it leads to;
// unknown for a file that leads nowhere or whose folder cannot be opened.
std::vector<FileStat> statFiles(const FileList& files);

} // namespace zentory
