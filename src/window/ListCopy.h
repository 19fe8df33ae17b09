#pragma once
// What the main window puts on the clipboard: the names or full paths of the
// rows chosen in the list, one a line, or the whole list as it would be saved;
// with the platform's line ends (CR LF on Windows, LF elsewhere).

#include "listing/FileList.h"

#include <string>
#include <string_view>
#include <vector>

namespace zentory::window {

// The line end of text handed to other programs on this platform.
inline constexpr std::string_view kLineEnd = kPathSeparator == '\\' ? "\r\n" : "\n";

enum class CopyWhat { Names, FullPaths };

// The names (or full paths) of `rows` of `files`, in the order of `rows`,
// each followed by a line end; a control byte is written as "?", as the saved
// list writes it, so that each row stays one line.
std::string CopiedRows(const FileList& files, const std::vector<size_t>& rows, CopyWhat what);

// `text`, whose lines end with CR LF (the saved list's), with the platform's line ends.
std::string PlatformLines(std::string text);

} // namespace zentory::window
